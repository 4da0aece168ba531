#include "app/app.h"

#include "settings/dialog/filter_dialog.h"
#include "settings/dialog/settings_dialog.h"

namespace tavik::app {

void App::WireDialogCommands() {
  ui::Form& f = *main_;
  if (ui::MenuItem* item = f.FindMenuItem("设置(&S)...")) {
    item->onChosen = [this] {
      dialogs::OpenSettingsDialog(shell_, *main_, settings, [this] { ApplySettings(); });
    };
  }
  if (ui::MenuItem* item = f.FindMenuItem("过滤(&L)..."))
    item->onChosen = [this] { dialogs::OpenFilterDialog(shell_, *main_, *list_); };
}

void App::OpenTagDialog() {}

}  // namespace tavik::app
