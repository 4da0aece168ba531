#include "app/app.h"
#include "tags/mp3.h"

namespace tavik::app {

namespace {
const char kListMenu[] = "右键菜单";
}  // namespace

void App::WireListCommands() {
  ui::Form& f = *main_;
  auto onMenu = [&f](const char* caption, std::function<void()> run) {
    if (ui::MenuItem* item = f.FindMenuItem(caption)) item->onChosen = std::move(run);
  };
  onMenu("选择目录(&D)...", [this] { list_->AddChosenDirectory(); });
  onMenu("添加文件(&N)...", [this] { list_->AddFiles(); });
  onMenu("预览(&V)", [this] { rulePages_->RefreshPreview(rename::PreviewRows::All); });
  onMenu("添加整个目录(&O)", [this] { list_->AddChosenDirectory(); });
  onMenu("加入文件(&F)", [this] { list_->AddFiles(); });
  onMenu("删除选择的项目(&D)", [this] { list_->DeleteSelected(); });
  onMenu("清空列表(&E)", [this] { list_->ClearList(); });
  onMenu("全选", [this] { list_->SelectAll(); });
  onMenu("删除无MP3标签项目(M)", [this] { list_->DeleteUntaggedItems(); });

  f.onToolbar = [this](int index) { ToolbarClicked(index); };

  ui::Control& list = f[ui::kFileList];
  list.onRightClick = [this] { ShowListMenu(); };
  list.onDoubleClick = [this] { ListDoubleClicked(); };
  list.onKey = [this](const ui::KeyPress& key) { ListKey(key); };
  f["拖放对象"].onDrop = [this](const std::vector<std::string>& paths) { list_->AddDroppedPaths(paths); };
}

void App::ToolbarClicked(int index) {
  ui::Form& f = *main_;
  auto tell = [&](const std::string& text, ui::MsgIcon icon) {
    shell_.ShowMessage(&f, ui::kProgramTitle, text, icon, ui::MsgButtons::Ok);
  };
  switch (index) {
    case filelist::kDirectoryButton:
      list_->AddChosenDirectory();
      break;
    case filelist::kAddFilesButton:
      list_->AddFiles();
      break;
    case filelist::kUndoButton: {
      rename::UndoOutcome outcome = batchMover_->UndoLastBatch();
      // Declined: nothing was asked of the files, so nothing is reported.
      if (!outcome.confirmed) break;
      int32_t total = list_->ItemCount();
      if (outcome.restored == total)
        tell("上一次的操作已经成功撤消！", ui::MsgIcon::Info);
      else
        tell(rename::UndoSummary(total, outcome.restored), ui::MsgIcon::Warning);
      break;
    }
    case filelist::kPreviewButton:
      rulePages_->RefreshPreview(rename::PreviewRows::All);
      break;
    case filelist::kRenameButton: {
      int32_t moved = batchMover_->RenameAll();
      int32_t total = list_->ItemCount();
      if (moved == total)
        tell("文件更名完毕！", ui::MsgIcon::Info);
      else
        tell(rename::RenameSummary(total, moved), ui::MsgIcon::Warning);
      break;
    }
    default:
      break;
  }
  f.SetStatusText(1, std::string());
}

void App::ShowListMenu() {
  ui::Form& f = *main_;
  ui::Control& list = f[ui::kFileList];
  bool selected = f.CurrentSelected(list) != -1;
  f.SetMenuEnabled("删除选择的项目(&D)", selected);
  f.SetMenuEnabled("MP3标签信息(&I)...", selected);
  bool rows = f.RowCount(list) > 0;
  for (const char* caption : {"清空列表(&E)", "全选", "过滤(&L)...", "预览(&V)"})
    f.SetMenuEnabled(caption, rows);
  f.SetMenuEnabled("删除无MP3标签项目(M)", rows && rulePages_->CurrentPage() == rename::kMp3Page);
  f.SetMenuEnabled("添加整个目录(&O)", true);
  f.SetMenuEnabled("加入文件(&F)", true);
  shell_.PopupMenu(f, kListMenu);
}

void App::ListDoubleClicked() {
  ui::Form& f = *main_;
  ui::Control& list = f[ui::kFileList];
  int row = f.CurrentSelected(list);
  if (row == -1) {
    list_->AddFiles();
    return;
  }
  if (tags::IsMp3Name(f.Rows(list)[row].cells[filelist::kOldName])) OpenTagDialog();
}

void App::ListKey(const ui::KeyPress& key) {
  if (key.code == ui::kDeleteKey)
    list_->DeleteSelected();
  else if (key.code == 'A' && key.ctrl && !key.shift && !key.alt)
    list_->SelectAll();
  else if (key.code == ui::kF3Key && !key.ctrl && !key.shift && !key.alt)
    SelectNextMarked();
}

void App::SelectNextMarked() {
  ui::Form& f = *main_;
  ui::Control& list = f[ui::kFileList];
  int next = f.NextMarked(list, f.CurrentSelected(list));
  if (next < 0) return;
  f.SetAllSelected(list, false);
  f.SetRowSelected(list, next, true);
  f.ShowRow(list, next);
}

}  // namespace tavik::app
