#include "app/app.h"

#include "filelist/dialog/filter_dialog.h"
#include "settings/dialog/settings_dialog.h"
#include "tags/mp3.h"

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
  if (ui::MenuItem* item = f.FindMenuItem("MP3标签信息(&I)...")) {
    item->onChosen = [this] {
      ui::Control& list = (*main_)[ui::kFileList];
      int row = main_->CurrentSelected(list);
      std::string name = row < 0 ? std::string() : main_->Rows(list)[row].cells[filelist::kOldName];
      if (tags::IsMp3Name(name)) {
        OpenTagDialog();
      } else {
        shell_.ShowMessage(main_.get(), ui::kProgramTitle, "抱歉，该文件不是MP3文件！", ui::MsgIcon::Warning,
                           ui::MsgButtons::Ok);
      }
    };
  }
}

void App::OpenTagDialog() {
  ui::Control& list = (*main_)[ui::kFileList];
  int row = main_->CurrentSelected(list);
  if (row < 0) return;
  const ui::ListRow& r = main_->Rows(list)[row];
  const std::string folder = r.cells[filelist::kPath], name = r.cells[filelist::kOldName];
  tags::OpenTagDialog(shell_, *main_, fs_, folder + name, tagDialog);
  // The dialog may have written the tags: the next refresh reads them.
  rulePages_->knownTags().Forget(folder, name);
}

}  // namespace tavik::app
