#include "app/app.h"

#include "platform/append_file.h"
#include "rename/way_back.h"
#include "text/gbk.h"
#include "forms/descriptions.h"

namespace tavik::app {

using ui::Control;
using ui::ControlType;

namespace {
constexpr int32_t kGrey = 0x808080;  // RGB 128, 128, 128
}

App::App(ui::Shell& shell, FileSystem& fs, Profile& profile, std::string exeDir)
    : shell_(shell), fs_(fs), profile_(profile), exeDir_(std::move(exeDir)) {}

App::~App() {
  if (running_) Exit();
}

void App::Start() {
  // The process-wide state starts zero-filled and empty.
  settings = Settings{};
  tagDialog = tags::TagDialogState{};
  main_ = std::make_unique<ui::Form>(ui::MainWindowDesc());
  ui::Form& f = *main_;
  list_ = std::make_unique<filelist::FileList>(
      filelist::ListContext{f, f[ui::kFileList], shell_, fs_, settings, exeDir_,
                            [this](int explicitFlag) { RefreshPreview(explicitFlag); }});
  rulePages_ = std::make_unique<rename::RulePages>(f, fs_, settings, *list_);
  batchMover_ = std::make_unique<rename::BatchMover>(f, shell_, fs_, *list_, *rulePages_);
  batchMover_->KeepJournal(SystemAppendFiles(), exeDir_);
  WireEvents();
  running_ = true;
  shell_.Show(f);
  rename::OfferWayBack(f, shell_, fs_, SystemAppendFiles(), exeDir_);
}

void App::Exit() {
  if (!running_) return;
  running_ = false;
  shell_.Destroy(*main_);
}

void App::OnCreated() {
  ui::Form& f = *main_;
  // 1-2: outer size 800 x 600, centred by the client size (so it sits off
  // centre by half its frame).
  f.SetWindowRect({f.windowRect.left, f.windowRect.top, 800, 600});
  ui::ScreenMetrics m = shell_.Metrics();
  int left = (m.screenWidth - f.clientWidth) / 2;
  int top = (m.screenHeight - f.clientHeight) / 2;
  f.SetWindowRect({left, top, 800, 600});
  // 3-4
  LoadSettings(settings, exeDir_, fs_, profile_);
  ApplySettings();
  // 5
  for (int i : {ui::kUndoButton, ui::kPreviewButton, ui::kRenameButton}) f.SetToolbarEnabled(i, false);
  // 6: the extension group of the general page starts inactive.
  for (const char* name : {"扩展名分组框", "前缀2标签", "新扩展名标签", "扩展名位数标签", "后缀2标签"})
    f.SetTextColour(f[name], kGrey);
  for (const char* name : {"扩展名前缀编辑框", "新扩展名编辑框", "扩展名位数调节编辑框", "扩展名后缀编辑框"})
    f.SetEnabled(f[name], false);
  // 7
  genres.Fill();
  // 8
  f.SetEnabled(f["拖放对象"], true);
  // 9
  WireSharedHandlers();
  // 10
  f.SetTitle("Tavik批量更名器");
}

void App::OnSized() {
  // Only the tab control and the list follow the window.
  ui::Form& f = *main_;
  Control& tab = f["选择夹"];
  Control& list = f[ui::kFileList];
  int width = f.windowRect.width - 8;
  f.SetRect(tab, {tab.rect.left, tab.rect.top, width, tab.rect.height});
  f.SetRect(list, {list.rect.left, list.rect.top, width, f.windowRect.height - 226});
}

void App::WireSharedHandlers() {
  ui::Form& f = *main_;
  Control& prefix = f["文件名前缀编辑框"];
  for (int tag = 1; tag <= 11; ++tag)
    if (Control* c = f.FindByTag(tag, ControlType::Edit)) c->onChange = prefix.onChange;
  Control& onlyMain = f["仅文件名单选框"];
  for (int tag = 20; tag <= 29; ++tag)
    if (Control* c = f.FindByTag(tag, ControlType::Radio)) c->onClick = onlyMain.onClick;
  // The field buttons' handler tells them apart by their tags, so each one
  // passes itself to it.
  for (int tag = 52; tag <= 56; ++tag)
    if (Control* c = f.FindByTag(tag, ControlType::FlatButton))
      c->onClick = [this, c] { rulePages_->FieldButton(*c); };
}

void App::WireEvents() {
  ui::Form& f = *main_;
  f.onCreated = [this] { OnCreated(); };
  f.onSized = [this] { OnSized(); };
  f.onDestroying = [this] { SaveSettings(settings, exeDir_, profile_); };
  if (ui::MenuItem* exit = f.FindMenuItem("退出(&X)")) exit->onChosen = [this] { Exit(); };

  auto refresh = [this] { RefreshPreview(0); };
  f["选择夹"].onSelChange = refresh;
  f["文件名前缀编辑框"].onChange = refresh;
  f["仅文件名单选框"].onClick = refresh;
  for (const char* name : {"区分大小写选择框", "V1优先单选框", "V2优先单选框"}) f[name].onClick = refresh;
  for (const char* name : {"插入到扩展名的字符编辑框", "插入文件名位置编辑框", "插入扩展名位置编辑框"})
    f[name].onChange = refresh;
  WireListCommands();
  WireDialogCommands();
}

void App::ApplySettings() {
  ui::Form& f = *main_;
  Control& list = f[ui::kFileList];
  f.SetBackColour(list, settings.backColour);
  f.SetTextColour(list, settings.textColour);
  ui::Font font = list.font;
  font.face = settings.fontName;
  font.points = settings.fontSize;
  font.heightPixels = 0;
  f.SetFont(list, font);
  // The menus are plain platform menus, so no menu colour follows the list.
  RefreshPreview(0);
  list_->UpdateStatusBar();
}

void App::RefreshPreview(int explicitFlag) { rulePages_->RefreshPreview(explicitFlag); }

}  // namespace tavik::app
