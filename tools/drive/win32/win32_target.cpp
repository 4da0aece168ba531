// The program runs on its own user-interface thread with the real Win32
// backend; the script thread acts by posting window messages to the real
// controls (so a modal dialog or message box may open without blocking it)
// and waits until the program is idle again.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>

#include "drive/win32/win32_target.h"
#include "drive/win32/win32_target_internal.h"
#include "ui/win32/controls.h"
#include "platform/platform.h"
#include "forms/descriptions.h"
#include "ui/win32/drop_target.h"

namespace tavik::drive {

using ui::Control;
using ui::ControlType;
using ui::Form;
using ui::WindowHost;

namespace {

struct ThreadStart {
  Win32Target* self;
  HANDLE ready;
};

// Signals once the program's queue holds nothing more that an action
// posted (keys, commands, further posted work).
void PostSettled(HANDLE done, int tries) {
  ui::PostOnUi([done, tries] {
    // Mouse moves are not work an action posted (a window appearing under
    // the pointer makes one), and re-posting would keep them waiting.
    DWORD pending = HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE | QS_KEY | QS_MOUSEBUTTON));
    if (pending && tries > 0)
      PostSettled(done, tries - 1);
    else
      SetEvent(done);
  });
}

}  // namespace

std::string MenuCaption(HMENU menu, int pos) {
  wchar_t buf[256] = {};
  GetMenuStringW(menu, pos, buf, 256, MF_BYPOSITION);
  std::string s = ui::win::Narrow(buf);
  size_t tab = s.find('\t');
  return tab == std::string::npos ? s : s.substr(0, tab);
}

std::vector<std::string> DriverShell::OpenFiles(Form*, const std::string&, const std::string&,
                                                const std::string&) {
  std::lock_guard<std::mutex> lock(mutex);
  return NextOpenAnswer();
}

std::optional<std::string> DriverShell::BrowseForFolder(Form*, const std::string&) {
  std::lock_guard<std::mutex> lock(mutex);
  return NextFolderAnswer();
}

bool DriverShell::PickFont(Form*, ui::FontChoice& font) {
  std::lock_guard<std::mutex> lock(mutex);
  return NextFontAnswer(font);
}

bool DriverShell::ChooseColour(Form*, int32_t& colour) {
  std::lock_guard<std::mutex> lock(mutex);
  return NextColourAnswer(colour);
}

Win32Target::Win32Target() {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ThreadStart start{this, ready};
  thread_ = CreateThread(nullptr, 0, &Win32Target::UiThread, &start, 0, &threadId_);
  boxes_.Watch(threadId_);
  WaitForSingleObject(ready, INFINITE);
  CloseHandle(ready);
}

DWORD WINAPI Win32Target::UiThread(LPVOID p) {
  auto* s = static_cast<ThreadStart*>(p);
  Win32Target* self = s->self;
  self->shell_ = std::make_unique<DriverShell>();
  self->shell_->quitWhenMainDestroyed = false;
  SetEvent(s->ready);
  self->shell_->RunMessageLoop();
  self->app_.reset();
  self->shell_.reset();
  return 0;
}

Win32Target::~Win32Target() {
  ui::RunOnUi([this] { app_.reset(); });
  PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_, 10000);
  CloseHandle(thread_);
}

void Win32Target::Start(const std::string& home) {
  if (app_) Close();
  ui::PostOnUi([this, home] {
    app_ = std::make_unique<app::App>(*shell_, SystemFileSystem(), SystemProfile(), home);
    app_->Start();
    WatchStatusBar();
  });
  WaitIdle();
}

void Win32Target::Close() {
  HWND main = MainHwnd();
  if (main) {
    ui::PostOnUi([main] { SendMessageW(main, WM_CLOSE, 0, 0); });
    WaitIdle();
  }
  ui::RunOnUi([this] { app_.reset(); });
}

bool Win32Target::Running() {
  bool r = false;
  ui::RunOnUi([&] { r = app_ && MainHostUi(); });
  return r;
}

bool Win32Target::Type(const std::string& name, const std::string& text) {
  HWND h = nullptr;
  Control* c = Resolve(name, &h);
  if (!c || !h) return false;
  if (!ui::TakesTyping(c->type)) return false;
  ui::PostOnUi([h, c, text] {
    if (!IsWindowEnabled(h) || (GetWindowLongW(h, GWL_STYLE) & ES_READONLY)) return;
    if (c->type == ControlType::Edit && (GetWindowLongW(h, GWL_STYLE) & ES_MULTILINE)) {
      // A multi-line edit reports no change for a set text, only for an
      // edit; its own limit is lifted so the model's applies, as below.
      ui::win::Edit edit(h);
      LRESULT limit = edit.Limit();
      edit.SetLimit(0);
      edit.SelectAll();
      edit.ReplaceSelection(text);
      edit.SetLimit(limit);
    } else if (c->type == ControlType::Edit) {
      // The whole content replaced at once, one change; the program's
      // model applies the box's limits as it does to typed text.
      ui::win::Window(h).SetText(text);
    } else {
      ui::win::Window(h).SetText(text);
      ui::win::Window(h).NotifyParent(CBN_EDITCHANGE);
    }
  });
  WaitIdle();
  return true;
}

bool Win32Target::Click(const std::string& name) {
  HWND h = nullptr;
  Control* c = Resolve(name, &h);
  if (!c || !h || !ui::TakesClick(c->type)) return false;
  ui::PostOnUi([h] {
    ui::win::Button button(h);
    if (button.IsEnabled() && button.IsVisible()) button.Click();
  });
  WaitIdle();
  return true;
}

bool Win32Target::Choose(const std::string& name, int index) {
  HWND h = nullptr;
  Control* c = Resolve(name, &h);
  if (!c || !h) return false;
  if (c->type == ControlType::TabControl) return Tab(index);
  if (!ui::IsCombo(c->type)) return false;
  ui::PostOnUi([h, index] {
    if (!IsWindowEnabled(h)) return;
    ui::win::ComboBox box(h);
    box.Select(index);
    box.NotifyParent(CBN_SELCHANGE);
  });
  WaitIdle();
  return true;
}

bool Win32Target::Tab(int index) {
  HWND h = nullptr;
  ui::RunOnUi([&] {
    if (Control* tab = TabControlFor(*shell_, index))
      if (WindowHost* host = shell_->HostOf(*tab->form)) h = host->HwndOf(*tab);
  });
  if (!h) return false;
  ui::PostOnUi([h, index] {
    ui::win::TabControl tabs(h);
    if (tabs.Selected() == index) return;
    tabs.Notify(TCN_SELCHANGING);
    tabs.Select(index);
    tabs.Notify(TCN_SELCHANGE);
  });
  WaitIdle();
  return true;
}

bool Win32Target::Menu(const std::string& caption) {
  bool found = false;
  ui::RunOnUi([&] {
    if (shell_->openPopup) {
      HMENU m = shell_->openPopup;
      for (int i = 0, n = GetMenuItemCount(m); i < n; ++i) {
        if (MenuCaption(m, i) != caption) continue;
        found = true;
        if (!(GetMenuState(m, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED))) shell_->forcedPopupChoice = i;
        EndMenu();
        return;
      }
      return;
    }
    WindowHost* host = MainHostUi();
    if (!host) return;
    auto& menus = host->form().menus();
    for (size_t mi = 0; mi < menus.size(); ++mi) {
      if (menus[mi].hidden) continue;
      HMENU m = host->MenuHandle(menus[mi]);
      for (int i = 0, n = GetMenuItemCount(m); i < n; ++i) {
        if (MenuCaption(m, i) != caption) continue;
        found = true;
        if (GetMenuState(m, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) return;
        int cmd = ui::MenuCommand(static_cast<int>(mi), i);
        HWND main = host->hwnd();
        ui::PostOnUi([main, cmd] { SendMessageW(main, WM_COMMAND, MAKEWPARAM(cmd, 0), 0); });
        return;
      }
    }
  });
  WaitIdle();
  return found;
}

bool Win32Target::Toolbar(int index) {
  HWND tb = nullptr;
  ui::RunOnUi([&] {
    if (WindowHost* host = MainHostUi()) tb = host->HwndOf("工具条");
  });
  if (!tb) return false;
  ui::PostOnUi([tb, index] {
    ui::win::Toolbar bar(tb);
    int cmd = WindowHost::kToolbarBase + index;
    if (bar.IsButtonEnabled(cmd)) bar.Click(cmd);
  });
  WaitIdle();
  return true;
}

bool Win32Target::Rows(const std::vector<int>& rows) {
  HWND h = ListHwnd();
  if (!h) return false;
  ui::PostOnUi([h, rows] {
    ui::win::ListView list(h);
    list.SelectAll(false);
    for (int r : rows) list.Select(r, true);
  });
  WaitIdle();
  return true;
}

bool Win32Target::Key(const std::string& name, const ui::KeyPress& key) {
  HWND h = nullptr;
  Control* c = Resolve(name, &h);
  if (!c || !h) return false;
  // The keys go through the program's message loop, as typed keys do, so
  // the window's accelerators see them too; the modifier state is set for
  // them and put back after them.
  ui::PostOnUi([h, key] {
    auto saved = std::make_shared<std::array<BYTE, 256>>();
    GetKeyboardState(saved->data());
    std::array<BYTE, 256> state = *saved;
    state[VK_CONTROL] = key.ctrl ? 0x80 : 0;
    state[VK_SHIFT] = key.shift ? 0x80 : 0;
    state[VK_MENU] = key.alt ? 0x80 : 0;
    SetKeyboardState(state.data());
    SetFocus(h);
    PostMessageW(h, key.alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key.code, 1);
    PostMessageW(h, key.alt ? WM_SYSKEYUP : WM_KEYUP, key.code, 0xC0000001);
    ui::PostOnUi([saved] { SetKeyboardState(saved->data()); });
  });
  WaitIdle();
  return true;
}

bool Win32Target::DoubleClick(const std::string& name) { return ListNotify(name, NM_DBLCLK); }

bool Win32Target::RightClick(const std::string& name) { return ListNotify(name, NM_RCLICK); }

void Win32Target::Escape() {
  HWND top = nullptr;
  ui::RunOnUi([&] {
    auto forms = shell_->OpenForms();
    if (!forms.empty())
      if (WindowHost* host = shell_->HostOf(*forms.back())) top = host->hwnd();
  });
  if (!top) return;
  // As the Esc key in the dialog's loop: its cancel command.
  ui::PostOnUi([top] {
    HWND focus = GetFocus();
    HWND target = focus && IsChild(top, focus) ? focus : top;
    PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  });
  WaitIdle();
}

void Win32Target::Resize(int width, int height) {
  HWND main = MainHwnd();
  if (!main) return;
  ui::PostOnUi([main, width, height] {
    SetWindowPos(main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  });
  WaitIdle();
}

void Win32Target::Drop(const std::vector<std::string>& paths) {
  HWND main = MainHwnd();
  if (!main) return;
  ui::PostOnUi([main, paths] { ui::SimulateDrop(main, paths); });
  WaitIdle();
}

bool Win32Target::Show(const std::string& title) {
  const ui::FormDesc* desc = ui::DialogTitled(title);
  if (!desc || !app_) return false;
  ui::PostOnUi([this, desc] {
    Form dialog(*desc);
    dialog.onEscape = [&dialog] { dialog.Close(); };
    shell_->RunModal(dialog, app_->main());
  });
  WaitIdle();
  return true;
}

void Win32Target::AnswerFolder(std::optional<std::string> path) {
  std::lock_guard<std::mutex> lock(shell_->mutex);
  shell_->folderAnswers.push_back(std::move(path));
}

void Win32Target::AnswerOpen(std::optional<std::vector<std::string>> paths) {
  std::lock_guard<std::mutex> lock(shell_->mutex);
  shell_->openAnswers.push_back(std::move(paths));
}

void Win32Target::AnswerFont(std::optional<ui::FontChoice> font) {
  std::lock_guard<std::mutex> lock(shell_->mutex);
  shell_->fontAnswers.push_back(std::move(font));
}

void Win32Target::AnswerColour(std::optional<int32_t> colour) {
  std::lock_guard<std::mutex> lock(shell_->mutex);
  shell_->colourAnswers.push_back(colour);
}

void Win32Target::AnswerMessage(ui::MsgAnswer answer) { boxes_.QueueAnswer(answer); }

WindowHost* Win32Target::MainHostUi() {
  if (!app_) return nullptr;
  return shell_->HostOf(app_->main());
}

HWND Win32Target::MainHwnd() {
  HWND h = nullptr;
  ui::RunOnUi([&] {
    if (WindowHost* host = MainHostUi()) h = host->hwnd();
  });
  return h;
}

HWND Win32Target::ListHwnd() {
  HWND h = nullptr;
  ui::RunOnUi([&] {
    if (WindowHost* host = MainHostUi()) h = host->HwndOf(ui::kFileList);
  });
  return h;
}

Control* Win32Target::ResolveUi(const std::string& name, WindowHost** hostOut) {
  Control* c = shell_->Resolve(name);
  *hostOut = c ? shell_->HostOf(*c->form) : nullptr;
  return *hostOut ? c : nullptr;
}

Control* Win32Target::Resolve(const std::string& name, HWND* h) {
  Control* c = nullptr;
  ui::RunOnUi([&] {
    WindowHost* host = nullptr;
    c = ResolveUi(name, &host);
    *h = c && host ? host->HwndOf(*c) : nullptr;
  });
  return c;
}

bool Win32Target::ListNotify(const std::string& name, UINT code) {
  HWND h = nullptr;
  Control* c = Resolve(name, &h);
  if (!c || !h || c->type != ControlType::ListView) return false;
  ui::PostOnUi([h, code] {
    NMITEMACTIVATE nm{};
    nm.hdr = {h, static_cast<UINT_PTR>(GetDlgCtrlID(h)), code};
    nm.iItem = -1;
    SendMessageW(GetParent(h), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
  });
  WaitIdle();
  return true;
}

// Until the program's thread is waiting in a message loop with nothing to
// do: any message box on the way is recorded and answered.
void Win32Target::WaitIdle() {
  for (int round = 0; round < 200; ++round) {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    PostSettled(done, 50);
    int waited = 0;
    bool answered = false;
    while (WaitForSingleObject(done, 20) == WAIT_TIMEOUT) {
      answered |= boxes_.AnswerOpenBox();
      if ((waited += 20) > 300000) break;  // a program that never idles fails the next expectation
    }
    CloseHandle(done);
    // A box's own loop may have signalled before the box was answered; the
    // program then went on past it, so the round proves nothing.
    if (!answered && !boxes_.AnswerOpenBox()) return;
  }
}

std::unique_ptr<Target> MakeWin32Target() { return std::make_unique<Win32Target>(); }

}  // namespace tavik::drive
