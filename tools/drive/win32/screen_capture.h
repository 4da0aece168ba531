// Screenshots for the driver's `screenshot` command.
#pragma once
#include <windows.h>
// The Shell port names these too; the API is called by its A names.
#undef MessageBox
#undef ChooseFont

#include <optional>
#include <string>

namespace tavik::drive {

std::optional<std::string> CaptureWindowBmp(HWND h, std::string* error);

}  // namespace tavik::drive
