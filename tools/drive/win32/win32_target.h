// The driver's Win32 backend: the program's real windows under Wine or
// Windows, driven by window messages and read back from the windows.
#pragma once
#include <memory>

#include "drive/target.h"

namespace tavik::drive {

std::unique_ptr<Target> MakeWin32Target();

}  // namespace tavik::drive
