// The settings dialog "设置": the preview options and the list's colours
// and font, edited on the dialog's own controls and stored into Settings by
// "应用" or "确定".
#pragma once
#include <functional>

#include "settings/settings.h"
#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::dialogs {

// Runs the dialog modally over owner and returns when it has closed.
// applySettings pushes Settings to the list; it runs after every store.
void OpenSettingsDialog(ui::Shell& shell, ui::Form& owner, Settings& settings,
                        std::function<void()> applySettings);

}  // namespace tavik::dialogs
