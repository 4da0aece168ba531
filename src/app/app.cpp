#include "app/app.h"

#include "platform/append_file.h"
#include "rename/way_back.h"
#include "text/gbk.h"

namespace tavik::app {

using ui::Control;

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
  list_ = std::make_unique<filelist::FileList>(filelist::ListContext{
      f, f[ui::kFileList], shell_, fs_, settings, exeDir_, [this] { rulePages_->RefreshPreview(); }});
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
  // Outer size 800 x 600, centred by the client size (so it sits off centre
  // by half its frame).
  f.SetWindowRect({f.windowRect.left, f.windowRect.top, 800, 600});
  ui::ScreenMetrics m = shell_.Metrics();
  int left = (m.screenWidth - f.clientWidth) / 2;
  int top = (m.screenHeight - f.clientHeight) / 2;
  f.SetWindowRect({left, top, 800, 600});
  LoadSettings(settings, exeDir_, fs_, profile_);
  ApplySettings();
  for (int i : {filelist::kUndoButton, filelist::kPreviewButton, filelist::kRenameButton})
    f.SetToolbarEnabled(i, false);
  rulePages_->ShowStartState();
  f.SetEnabled(f["拖放对象"], true);
  f.SetTitle(ui::kProgramTitle);
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

void App::WireEvents() {
  ui::Form& f = *main_;
  f.onCreated = [this] { OnCreated(); };
  f.onSized = [this] { OnSized(); };
  f.onDestroying = [this] { SaveSettings(settings, exeDir_, profile_); };
  if (ui::MenuItem* exit = f.FindMenuItem("退出(&X)")) exit->onChosen = [this] { Exit(); };

  rulePages_->WirePageControls();
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
  rulePages_->RefreshPreview();
  list_->UpdateStatusBar();
}

}  // namespace tavik::app
