// Files dropped anywhere on a window reach the form's drop target control.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "ui/form.h"

namespace tavik::ui {

void RegisterDropTarget(HWND hwnd, Form& form, Control& target);
// The paths of a CF_HDROP block.
std::vector<std::string> DroppedPaths(HDROP drop);
// Builds a CF_HDROP block from paths (for simulated drops).
HGLOBAL MakeHDrop(const std::vector<std::string>& paths);
// Delivers a drop as the system would: through the registered IDropTarget.
bool SimulateDrop(HWND hwnd, const std::vector<std::string>& paths);

}  // namespace tavik::ui
