// The program: its process-wide state, the main window's start-up sequence,
// the wiring of every event to its operation, and the end.
#pragma once
#include <memory>
#include <string>

#include "filelist/file_list.h"
#include "forms/descriptions.h"
#include "platform/platform.h"
#include "rename/batch_mover.h"
#include "rename/rule_pages.h"
#include "settings/settings.h"
#include "tags/dialog/tag_dialog.h"
#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::app {

class App {
 public:
  App(ui::Shell& shell, FileSystem& fs, Profile& profile, std::string exeDir);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Creates the main window from its description and shows it; its created
  // event runs the start-up sequence.
  void Start();
  // "退出(&X)" and the frame's close box: the window is destroyed and the
  // settings are saved on the way.
  void Exit();
  bool running() const { return running_; }

  ui::Form& main() { return *main_; }
  ui::Shell& shell() { return shell_; }
  filelist::FileList& list() { return *list_; }
  rename::RulePages& rulePages() { return *rulePages_; }
  rename::BatchMover& batchMover() { return *batchMover_; }

  // Pushes Settings to the list view, refreshes the preview and the status bar.
  void ApplySettings();
  // The MP3 tag information dialog for the current selected item.
  void OpenTagDialog();

  // Process-wide state.
  Settings settings;
  tags::TagDialogState tagDialog;  // the MP3 dialog's change flags and genre positions

 private:
  void OnCreated();
  void OnSized();
  void WireEvents();
  // The file list and rename commands (menus, toolbar, list keys and
  // mouse); app_list_commands.cpp.
  void WireListCommands();
  // Enable states of the right-click menu, then the menu at the mouse.
  void ShowListMenu();
  void ListDoubleClicked();
  void ListKey(const ui::KeyPress& key);
  // F3: the next row whose move will fail, after the current one.
  void SelectNextMarked();
  void ToolbarClicked(int index);
  // The three dialogs and the commands that open them; app_dialogs.cpp.
  void WireDialogCommands();

  ui::Shell& shell_;
  FileSystem& fs_;
  Profile& profile_;
  std::string exeDir_;
  std::unique_ptr<ui::Form> main_;
  std::unique_ptr<filelist::FileList> list_;
  std::unique_ptr<rename::RulePages> rulePages_;
  std::unique_ptr<rename::BatchMover> batchMover_;
  bool running_ = false;
};

}  // namespace tavik::app
