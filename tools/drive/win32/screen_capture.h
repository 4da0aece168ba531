// Screenshots for the driver's `screenshot` command.
#pragma once
#include <windows.h>
#include <optional>
#include <string>

namespace tavik::drive {

std::optional<std::string> CaptureWindowBmp(HWND h, std::string* error);

}  // namespace tavik::drive
