// The driver's Win32 target, shared by its files: win32_target.cpp (the
// program's thread, actions, waiting for idle) and read_back.cpp (reads).
#pragma once
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "drive/driver.h"
#include "drive/target.h"
#include "drive/win32/message_box_watcher.h"
#include "ui/scripted_answers.h"
#include "ui/win32/win32_shell.h"
#include "ui/win32/window_host.h"

namespace tavik::drive {

// The platform's common dialogs cannot be driven from outside in a portable
// way; under the driver they take queued answers. Message boxes stay real.
class DriverShell final : public ui::Win32Shell, public ui::ScriptedAnswers {
 public:
  std::mutex mutex;  // the answers are queued on the script's thread and taken on the program's

  std::vector<std::string> OpenFiles(ui::Form*, const std::string&, const std::string&,
                                     const std::string&) override;
  std::optional<std::string> BrowseForFolder(ui::Form*, const std::string&) override;
  bool PickFont(ui::Form*, ui::FontChoice& font) override;
  bool ChooseColour(ui::Form*, int32_t& colour) override;
};

// A menu item's caption without its shortcut text.
std::string MenuCaption(HMENU menu, int pos);

class Win32Target final : public Target, public FontSource, public ScreenSource, public StatusHistorySource {
 public:
  Win32Target();
  ~Win32Target() override;

  void Start(const std::string& home) override;
  void Close() override;
  bool Running() override;

  bool Type(const std::string& name, const std::string& text) override;
  bool Click(const std::string& name) override;
  bool Choose(const std::string& name, int index) override;
  bool Tab(int index) override;
  bool Menu(const std::string& caption) override;
  bool Toolbar(int index) override;
  bool Rows(const std::vector<int>& rows) override;
  bool Key(const std::string& name, const ui::KeyPress& key) override;
  bool DoubleClick(const std::string& name) override;
  bool RightClick(const std::string& name) override;
  void Escape() override;
  void Resize(int width, int height) override;
  void Drop(const std::vector<std::string>& paths) override;
  bool Show(const std::string& title) override;

  void AnswerFolder(std::optional<std::string> path) override;
  void AnswerOpen(std::optional<std::vector<std::string>> paths) override;
  void AnswerFont(std::optional<ui::FontChoice> font) override;
  void AnswerColour(std::optional<int32_t> colour) override;
  void AnswerMessage(ui::MsgAnswer answer) override;

  // Read back (read_back.cpp).
  std::optional<ControlState> Read(const std::string& name) override;
  int RowCount() override;
  std::string Cell(int row, int column) override;
  int Image(int row) override;
  std::optional<std::string> Mark(int row) override;
  std::vector<int> SelectedRows() override;
  std::string Status(int pane) override;
  bool ToolbarEnabled(int index) override;
  std::optional<bool> MenuEnabled(const std::string& caption) override;
  std::string TopDialogTitle() override;
  std::string TopTitle() override;
  bool WaitCursor() override;
  ui::Rect WindowRect() override;
  std::optional<ui::Font> ControlFont(const std::string& name) override;
  std::optional<std::string> CaptureTopWindow(std::string* error) override;
  std::vector<MessageInfo> TakeMessages() override;
  std::vector<std::string> TakeStatusHistory(int pane) override;
  std::string Dump() override;

 private:
  static DWORD WINAPI UiThread(LPVOID p);

  ui::WindowHost* MainHostUi();
  HWND MainHwnd();
  HWND ListHwnd();
  ui::Control* ResolveUi(const std::string& name, ui::WindowHost** hostOut);
  ui::Control* Resolve(const std::string& name, HWND* h);
  bool ListNotify(const std::string& name, UINT code);
  void WaitIdle();

  bool IsPageShown(ui::WindowHost& host, const ui::Control& page);
  void ReadColours(const ui::Control& c, HWND h, ControlState* s);
  static LRESULT CALLBACK StatusProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  void WatchStatusBar();

  std::unique_ptr<DriverShell> shell_;
  std::unique_ptr<app::App> app_;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  MessageBoxWatcher boxes_;
  StatusHistory statusHistory_;  // touched on the program's thread only
};

}  // namespace tavik::drive
