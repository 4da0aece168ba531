// The program runs on its own user-interface thread with the real Win32
// backend; the script thread acts by posting window messages to the real
// controls (so a modal dialog or message box may open without blocking it)
// and reads every state back from the windows.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <deque>
#include <memory>
#include <mutex>

#include "app/app.h"
#include "platform/platform.h"
#include "text/gbk.h"
#include "ui/descriptions.h"
#include "ui/win32/drop_target.h"
#include "ui/win32/win32_shell.h"
#include "ui/win32/window_host.h"
#include "driver.h"
#include "win32_target.h"

#undef MessageBox
#undef ChooseFont

namespace tavik::drive {
namespace {

using ui::Control;
using ui::ControlType;
using ui::Form;
using ui::WindowHost;
using ui::WindowText;

// The platform's common dialogs cannot be driven from outside in a portable
// way; under the driver they take queued answers. Message boxes stay real.
class DriverShell final : public ui::Win32Shell {
 public:
  std::deque<std::optional<std::vector<std::string>>> openAnswers;
  std::deque<std::optional<std::string>> folderAnswers;
  std::deque<std::optional<ui::FontChoice>> fontAnswers;
  std::deque<std::optional<int32_t>> colourAnswers;
  std::mutex mutex;

  std::vector<std::string> OpenFiles(Form*, const std::string&, const std::string&,
                                     const std::string&) override {
    std::lock_guard<std::mutex> lock(mutex);
    if (openAnswers.empty()) return {};
    auto a = openAnswers.front();
    openAnswers.pop_front();
    return a ? *a : std::vector<std::string>{};
  }
  std::optional<std::string> BrowseForFolder(Form*, const std::string&) override {
    std::lock_guard<std::mutex> lock(mutex);
    if (folderAnswers.empty()) return std::nullopt;
    auto a = folderAnswers.front();
    folderAnswers.pop_front();
    return a;
  }
  bool ChooseFont(Form*, ui::FontChoice& font) override {
    std::lock_guard<std::mutex> lock(mutex);
    if (fontAnswers.empty()) return false;
    auto a = fontAnswers.front();
    fontAnswers.pop_front();
    if (!a) return false;
    font = *a;
    return true;
  }
  bool ChooseColour(Form*, int32_t& colour) override {
    std::lock_guard<std::mutex> lock(mutex);
    if (colourAnswers.empty()) return false;
    auto a = colourAnswers.front();
    colourAnswers.pop_front();
    if (!a) return false;
    colour = *a;
    return true;
  }
};


std::string ClassOf(HWND h) {
  char buf[64] = {};
  GetClassNameA(h, buf, sizeof buf);
  return buf;
}

std::string MenuCaption(HMENU menu, int pos) {
  char buf[256] = {};
  GetMenuStringA(menu, pos, buf, sizeof buf, MF_BYPOSITION);
  std::string s = buf;
  size_t tab = s.find('\t');
  return tab == std::string::npos ? s : s.substr(0, tab);
}

const char* TypeName(ControlType t) {
  switch (t) {
    case ControlType::Label: return "label";
    case ControlType::GroupBox: return "group";
    case ControlType::Edit: return "edit";
    case ControlType::CheckBox: return "check";
    case ControlType::Radio: return "radio";
    case ControlType::ComboList: return "combo-list";
    case ControlType::ComboEditable: return "combo";
    case ControlType::Button: return "button";
    case ControlType::FlatButton: return "flat-button";
    case ControlType::ShapeLine: return "line";
    case ControlType::ShapeRect: return "rect";
    case ControlType::ColourPicker: return "colour";
    case ControlType::TabControl: return "tabs";
    case ControlType::TabPage: return "page";
    case ControlType::ListView: return "list";
    case ControlType::Toolbar: return "toolbar";
    case ControlType::StatusBar: return "status";
    case ControlType::DropTarget: return "drop";
    case ControlType::FontDialog: return "font";
  }
  return "?";
}

class Win32Target final : public Target,
                          public FontSource,
                          public ScreenSource,
                          public StatusHistorySource {
 public:
  Win32Target() {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ThreadStart start{this, ready};
    thread_ = CreateThread(nullptr, 0, &Win32Target::UiThread, &start, 0, &threadId_);
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
  }

  struct ThreadStart {
    Win32Target* self;
    HANDLE ready;
  };
  static DWORD WINAPI UiThread(LPVOID p) {
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

  ~Win32Target() override {
    ui::RunOnUi([this] { app_.reset(); });
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
  }

  void Start(const std::string& home) override {
    if (app_) Close();
    ui::PostOnUi([this, home] {
      app_ = std::make_unique<app::App>(*shell_, SystemFileSystem(), SystemProfile(), home);
      app_->Start();
      WatchStatusBar();
    });
    WaitIdle();
  }

  std::vector<std::string> TakeStatusHistory(int pane) override {
    std::vector<std::string> texts;
    ui::RunOnUi([&] { texts = statusHistory_.Take(pane); });
    return texts;
  }

  void Close() override {
    HWND main = MainHwnd();
    if (main) {
      ui::PostOnUi([main] { SendMessageA(main, WM_CLOSE, 0, 0); });
      WaitIdle();
    }
    ui::RunOnUi([this] { app_.reset(); });
  }

  bool Running() override {
    bool r = false;
    ui::RunOnUi([&] { r = app_ && MainHostUi(); });
    return r;
  }

  // ---- actions ----

  bool Type(const std::string& name, const std::string& text) override {
    HWND h = nullptr;
    Control* c = Resolve(name, &h);
    if (!c || !h) return false;
    bool editable = c->type == ControlType::Edit || c->type == ControlType::ComboEditable;
    if (!editable) return false;
    ui::PostOnUi([h, c, text] {
      if (!IsWindowEnabled(h) || (GetWindowLongA(h, GWL_STYLE) & ES_READONLY)) return;
      if (c->type == ControlType::Edit && (GetWindowLongA(h, GWL_STYLE) & ES_MULTILINE)) {
        // A multi-line edit reports no change for a set text, only for an
        // edit; its own limit is lifted so the model's applies, as below.
        LRESULT limit = SendMessageA(h, EM_GETLIMITTEXT, 0, 0);
        SendMessageA(h, EM_LIMITTEXT, 0, 0);
        SendMessageA(h, EM_SETSEL, 0, -1);
        SendMessageA(h, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageA(h, EM_LIMITTEXT, limit, 0);
      } else if (c->type == ControlType::Edit) {
        // The whole content replaced at once, one change; the program's
        // model applies the box's limits as it does to typed text.
        SetWindowTextA(h, text.c_str());
      } else {
        SetWindowTextA(h, text.c_str());
        SendMessageA(GetParent(h), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(h), CBN_EDITCHANGE), reinterpret_cast<LPARAM>(h));
      }
    });
    WaitIdle();
    return true;
  }

  bool Click(const std::string& name) override {
    HWND h = nullptr;
    Control* c = Resolve(name, &h);
    if (!c || !h) return false;
    switch (c->type) {
      case ControlType::Button:
      case ControlType::FlatButton:
      case ControlType::CheckBox:
      case ControlType::Radio:
      case ControlType::ColourPicker:
        break;
      default:
        return false;
    }
    ui::PostOnUi([h] {
      if (IsWindowEnabled(h) && IsWindowVisible(h)) SendMessageA(h, BM_CLICK, 0, 0);
    });
    WaitIdle();
    return true;
  }

  bool Choose(const std::string& name, int index) override {
    HWND h = nullptr;
    Control* c = Resolve(name, &h);
    if (!c || !h) return false;
    if (c->type == ControlType::TabControl) return Tab(index);
    if (c->type != ControlType::ComboList && c->type != ControlType::ComboEditable) return false;
    ui::PostOnUi([h, index] {
      if (!IsWindowEnabled(h)) return;
      SendMessageA(h, CB_SETCURSEL, index, 0);
      SendMessageA(GetParent(h), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(h));
    });
    WaitIdle();
    return true;
  }

  bool Tab(int index) override {
    HWND h = nullptr;
    Control* c = Resolve("选择夹", &h);
    if (!c || !h) return false;
    ui::PostOnUi([h, index] {
      if (SendMessageA(h, TCM_GETCURSEL, 0, 0) == index) return;
      NMHDR nm{h, static_cast<UINT_PTR>(GetDlgCtrlID(h)), static_cast<UINT>(TCN_SELCHANGING)};
      SendMessageA(GetParent(h), WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
      SendMessageA(h, TCM_SETCURSEL, index, 0);
      nm.code = TCN_SELCHANGE;
      SendMessageA(GetParent(h), WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
    });
    WaitIdle();
    return true;
  }

  bool Menu(const std::string& caption) override {
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
          int cmd = host->MenuCommand(static_cast<int>(mi), i);
          HWND main = host->hwnd();
          ui::PostOnUi([main, cmd] { SendMessageA(main, WM_COMMAND, MAKEWPARAM(cmd, 0), 0); });
          return;
        }
      }
    });
    WaitIdle();
    return found;
  }

  bool Toolbar(int index) override {
    HWND tb = nullptr, main = nullptr;
    ui::RunOnUi([&] {
      if (WindowHost* host = MainHostUi()) {
        main = host->hwnd();
        tb = host->HwndOf("工具条");
      }
    });
    if (!tb) return false;
    ui::PostOnUi([tb, main, index] {
      int cmd = WindowHost::kToolbarBase + index;
      if (!SendMessageA(tb, TB_ISBUTTONENABLED, cmd, 0)) return;
      SendMessageA(main, WM_COMMAND, MAKEWPARAM(cmd, BN_CLICKED), reinterpret_cast<LPARAM>(tb));
    });
    WaitIdle();
    return true;
  }

  bool Rows(const std::vector<int>& rows) override {
    HWND h = ListHwnd();
    if (!h) return false;
    ui::PostOnUi([h, rows] {
      ListView_SetItemState(h, -1, 0, LVIS_SELECTED);
      for (int r : rows) ListView_SetItemState(h, r, LVIS_SELECTED, LVIS_SELECTED);
    });
    WaitIdle();
    return true;
  }

  bool Key(const std::string& name, const ui::KeyPress& key) override {
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
      PostMessageA(h, key.alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key.code, 1);
      PostMessageA(h, key.alt ? WM_SYSKEYUP : WM_KEYUP, key.code, 0xC0000001);
      ui::PostOnUi([saved] { SetKeyboardState(saved->data()); });
    });
    WaitIdle();
    return true;
  }

  bool DoubleClick(const std::string& name) override { return ListNotify(name, NM_DBLCLK); }
  bool RightClick(const std::string& name) override { return ListNotify(name, NM_RCLICK); }

  void Escape() override {
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
      PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 1);
      PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    });
    WaitIdle();
  }

  void Resize(int width, int height) override {
    HWND main = MainHwnd();
    if (!main) return;
    ui::PostOnUi([main, width, height] {
      SetWindowPos(main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    });
    WaitIdle();
  }

  void Drop(const std::vector<std::string>& paths) override {
    HWND main = MainHwnd();
    if (!main) return;
    ui::PostOnUi([main, paths] { ui::SimulateDrop(main, paths); });
    WaitIdle();
  }

  bool Show(const std::string& title) override {
    const ui::FormDesc* desc = nullptr;
    for (const ui::FormDesc* d : {&ui::SettingsDialogDesc(), &ui::TagDialogDesc(), &ui::FilterDialogDesc()})
      if (title == d->title) desc = d;
    if (!desc || !app_) return false;
    ui::PostOnUi([this, desc] {
      Form dialog(*desc);
      dialog.onEscape = [&dialog] { dialog.Close(); };
      shell_->RunModal(dialog, app_->main());
    });
    WaitIdle();
    return true;
  }

  // ---- answers ----

  void AnswerFolder(std::optional<std::string> path) override {
    std::lock_guard<std::mutex> lock(shell_->mutex);
    shell_->folderAnswers.push_back(std::move(path));
  }
  void AnswerOpen(std::optional<std::vector<std::string>> paths) override {
    std::lock_guard<std::mutex> lock(shell_->mutex);
    shell_->openAnswers.push_back(std::move(paths));
  }
  void AnswerFont(std::optional<ui::FontChoice> font) override {
    std::lock_guard<std::mutex> lock(shell_->mutex);
    shell_->fontAnswers.push_back(std::move(font));
  }
  void AnswerColour(std::optional<int32_t> colour) override {
    std::lock_guard<std::mutex> lock(shell_->mutex);
    shell_->colourAnswers.push_back(colour);
  }
  void AnswerMessage(ui::MsgAnswer answer) override { messageAnswers_.push_back(answer); }

  // ---- reads ----

  std::optional<ControlState> Read(const std::string& name) override {
    std::optional<ControlState> result;
    ui::RunOnUi([&] {
      WindowHost* host = nullptr;
      Control* c = ResolveUi(name, &host);
      if (!c) return;
      HWND h = host->HwndOf(*c);
      ControlState s;
      s.type = TypeName(c->type);
      s.tag = c->tag;  // a tag lives only in the program
      if (!h) {
        // Controls without a window of their own (tab pages, invisible
        // components) exist only in the model.
        s.text = c->text;
        s.checked = c->checked;
        s.enabled = c->enabled;
        s.visible = c->visible;
        s.rect = c->rect;
        if (c->type == ControlType::TabPage) s.visible = IsPageShown(*host, *c);
        s.textColour = c->textColour;
        s.backColour = c->backColour;
        s.selected = c->selected;
        result = s;
        return;
      }
      s.enabled = IsWindowEnabled(h) != 0;
      s.visible = IsWindowVisible(h) != 0;
      RECT r = host->ModelRectOf(*c);
      s.rect = {r.left, r.top, r.right - r.left, r.bottom - r.top};
      switch (c->type) {
        case ControlType::CheckBox:
        case ControlType::Radio:
          s.checked = SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
          s.text = WindowText(h);
          break;
        case ControlType::ComboList:
        case ControlType::ComboEditable: {
          s.selected = static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0));
          if (s.selected < 0) s.selected = -1;
          s.text = WindowText(h);
          int n = static_cast<int>(SendMessageA(h, CB_GETCOUNT, 0, 0));
          for (int i = 0; i < n; ++i) {
            int len = static_cast<int>(SendMessageA(h, CB_GETLBTEXTLEN, i, 0));
            std::string item(static_cast<size_t>(std::max(len, 0)) * 2 + 2, '\0');
            SendMessageA(h, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            s.items.push_back(item.c_str());
          }
          break;
        }
        case ControlType::TabControl: {
          s.selected = static_cast<int>(SendMessageA(h, TCM_GETCURSEL, 0, 0));
          int n = static_cast<int>(SendMessageA(h, TCM_GETITEMCOUNT, 0, 0));
          for (int i = 0; i < n; ++i) {
            char buf[128] = {};
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = buf;
            item.cchTextMax = sizeof buf;
            SendMessageA(h, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            s.items.push_back(buf);
          }
          break;
        }
        case ControlType::ListView:
          s.textColour = static_cast<int32_t>(ListView_GetTextColor(h));
          s.backColour = static_cast<int32_t>(ListView_GetBkColor(h));
          break;
        case ControlType::ColourPicker:
          s.backColour = c->backColour;  // owner-drawn from the model's colour
          break;
        default:
          s.text = WindowText(h);
          break;
      }
      if (c->type != ControlType::ListView && c->type != ControlType::ColourPicker) ReadColours(*c, h, &s);
      result = s;
    });
    return result;
  }

  int RowCount() override {
    int n = 0;
    HWND h = ListHwnd();
    if (h) ui::RunOnUi([&] { n = ListView_GetItemCount(h); });
    return n;
  }

  std::string Cell(int row, int column) override {
    std::string s;
    HWND h = ListHwnd();
    if (!h) return s;
    ui::RunOnUi([&] {
      char buf[4096] = {};
      ListView_GetItemText(h, row, column, buf, sizeof buf);
      s = buf;
    });
    return s;
  }

  int Image(int row) override {
    int image = -1;
    HWND h = ListHwnd();
    if (!h) return image;
    ui::RunOnUi([&] {
      LVITEMA item{};
      item.mask = LVIF_IMAGE;
      item.iItem = row;
      item.iSubItem = 3;
      item.iImage = -1;
      if (SendMessageA(h, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) image = item.iImage;
    });
    return image < 0 ? -1 : image;
  }

  std::vector<int> SelectedRows() override {
    std::vector<int> rows;
    HWND h = ListHwnd();
    if (!h) return rows;
    ui::RunOnUi([&] {
      int i = -1;
      while ((i = ListView_GetNextItem(h, i, LVNI_SELECTED)) >= 0) rows.push_back(i);
    });
    return rows;
  }

  std::string Status(int pane) override {
    std::string s;
    ui::RunOnUi([&] {
      WindowHost* host = MainHostUi();
      HWND h = host ? host->HwndOf("状态条") : nullptr;
      if (!h) return;
      // The length the control reports counts characters, not GBK bytes.
      int len = LOWORD(SendMessageA(h, SB_GETTEXTLENGTHA, pane, 0));
      std::string buf(static_cast<size_t>(len) * 2 + 1, '\0');
      SendMessageA(h, SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(buf.data()));
      s = buf.c_str();
    });
    return s;
  }

  bool ToolbarEnabled(int index) override {
    bool enabled = false;
    ui::RunOnUi([&] {
      WindowHost* host = MainHostUi();
      HWND h = host ? host->HwndOf("工具条") : nullptr;
      if (h) enabled = SendMessageA(h, TB_ISBUTTONENABLED, WindowHost::kToolbarBase + index, 0) != 0;
    });
    return enabled;
  }

  std::optional<bool> MenuEnabled(const std::string& caption) override {
    std::optional<bool> result;
    ui::RunOnUi([&] {
      WindowHost* host = MainHostUi();
      if (!host) return;
      for (auto& menu : host->form().menus()) {
        HMENU m = host->MenuHandle(menu);
        for (int i = 0, n = GetMenuItemCount(m); i < n; ++i)
          if (MenuCaption(m, i) == caption) {
            result = !(GetMenuState(m, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
            return;
          }
      }
    });
    return result;
  }

  std::string TopDialogTitle() override {
    std::string title;
    ui::RunOnUi([&] {
      auto forms = shell_->OpenForms();
      if (forms.size() < 2) return;
      if (WindowHost* host = shell_->HostOf(*forms.back()))
        if (IsWindowVisible(host->hwnd())) title = WindowText(host->hwnd());
    });
    return title;
  }

  bool WaitCursor() override {
    bool wait = false;
    ui::RunOnUi([&] {
      wait = shell_->waitDepth() > 0 ||
             GetCursor() == LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
    });
    return wait;
  }

  ui::Rect WindowRect() override {
    ui::Rect r;
    HWND main = MainHwnd();
    if (!main) return r;
    ui::RunOnUi([&] {
      RECT wr;
      GetWindowRect(main, &wr);
      r = {wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top};
    });
    return r;
  }

  std::optional<ui::Font> ControlFont(const std::string& name) override {
    std::optional<ui::Font> font;
    ui::RunOnUi([&] {
      WindowHost* host = nullptr;
      Control* c = ResolveUi(name, &host);
      HWND h = c ? host->HwndOf(*c) : nullptr;
      if (!h) return;
      HFONT hf = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
      LOGFONTA lf{};
      if (!hf || !GetObjectA(hf, sizeof lf, &lf)) return;
      ui::Font f;
      f.face = lf.lfFaceName;
      int pixels = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
      HDC dc = GetDC(nullptr);
      int dpi = GetDeviceCaps(dc, LOGPIXELSY);
      ReleaseDC(nullptr, dc);
      f.heightPixels = pixels;
      f.points = MulDiv(pixels, 72, dpi);
      f.bold = lf.lfWeight >= FW_BOLD;
      f.italic = lf.lfItalic != 0;
      font = f;
    });
    return font;
  }

  std::optional<std::string> CaptureTopWindow(std::string* error) override {
    HWND h = nullptr;
    ui::RunOnUi([&] {
      auto forms = shell_->OpenForms();
      WindowHost* host = forms.empty() ? nullptr : shell_->HostOf(*forms.back());
      if (host && IsWindowVisible(host->hwnd())) h = host->hwnd();
      // Frame and controls painted now rather than when the queue gets to it.
      if (h) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
    if (!h) {
      *error = "no window is open";
      return std::nullopt;
    }
    // Under Wine what is painted reaches the screen only once the thread has
    // waited in its loop for a while.
    WaitIdle();
    Sleep(300);
    std::optional<std::string> bmp;
    ui::RunOnUi([&] {
      if (IsWindow(h)) bmp = CaptureScreen(h, error);
      else *error = "the window closed";
    });
    return bmp;
  }

  std::vector<MessageInfo> TakeMessages() override {
    std::vector<MessageInfo> m;
    m.swap(messages_);
    return m;
  }

  std::string Dump() override {
    std::string out;
    ui::RunOnUi([&] {
      auto forms = shell_->OpenForms();
      for (Form* f : forms) {
        WindowHost* host = shell_->HostOf(*f);
        out += std::string("form ") + f->desc().name + " \"" + (host ? WindowText(host->hwnd()) : "") + "\"\n";
        for (auto& c : f->controls()) {
          HWND h = host ? host->HwndOf(*c) : nullptr;
          RECT r = host ? host->ModelRectOf(*c) : RECT{};
          out += "  " + c->name + " " + TypeName(c->type) + " \"" + (h ? WindowText(h) : c->text) + "\" " +
                 std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
                 "x" + std::to_string(r.bottom - r.top) + (h && !IsWindowEnabled(h) ? " disabled" : "") +
                 (h && !IsWindowVisible(h) ? " hidden" : "") + "\n";
        }
      }
    });
    return out;
  }

 private:
  WindowHost* MainHostUi() {
    if (!app_) return nullptr;
    return shell_->HostOf(app_->main());
  }

  HWND MainHwnd() {
    HWND h = nullptr;
    ui::RunOnUi([&] {
      if (WindowHost* host = MainHostUi()) h = host->hwnd();
    });
    return h;
  }

  HWND ListHwnd() {
    HWND h = nullptr;
    ui::RunOnUi([&] {
      if (WindowHost* host = MainHostUi()) h = host->HwndOf("显示超级列表框");
    });
    return h;
  }

  // The control of that name in the topmost open form that has one.
  Control* ResolveUi(const std::string& name, WindowHost** hostOut) {
    auto forms = shell_->OpenForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
      if (Control* c = (*it)->Find(name)) {
        *hostOut = shell_->HostOf(**it);
        return *hostOut ? c : nullptr;
      }
    return nullptr;
  }

  Control* Resolve(const std::string& name, HWND* h) {
    Control* c = nullptr;
    ui::RunOnUi([&] {
      WindowHost* host = nullptr;
      c = ResolveUi(name, &host);
      *h = c && host ? host->HwndOf(*c) : nullptr;
    });
    return c;
  }

  bool IsPageShown(WindowHost& host, const Control& page) {
    if (!page.parent) return false;
    HWND tabs = host.HwndOf(*page.parent);
    int index = 0;
    for (auto& other : host.form().controls()) {
      if (other.get() == &page) break;
      if (other->parent == page.parent && other->type == ControlType::TabPage) ++index;
    }
    return tabs && SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index;
  }

  // The colours a control is painted with, asked of its parent exactly as
  // the control asks when it paints. A colour the program never set is
  // reported as the default.
  void ReadColours(const Control& c, HWND h, ControlState* s) {
    bool isEdit = c.type == ControlType::Edit && IsWindowEnabled(h) &&
                  !(GetWindowLongA(h, GWL_STYLE) & ES_READONLY);
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(1, 2, 3));
    SendMessageA(GetParent(h), isEdit ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                 reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h));
    COLORREF text = GetTextColor(dc), back = GetBkColor(dc);
    DeleteDC(dc);
    s->textColour = c.textColour == ui::kDefaultColour ? ui::kDefaultColour : static_cast<int32_t>(text);
    s->backColour = c.backColour == ui::kDefaultColour ? ui::kDefaultColour : static_cast<int32_t>(back);
  }

  bool ListNotify(const std::string& name, UINT code) {
    HWND h = nullptr;
    Control* c = Resolve(name, &h);
    if (!c || !h || c->type != ControlType::ListView) return false;
    ui::PostOnUi([h, code] {
      NMITEMACTIVATE nm{};
      nm.hdr = {h, static_cast<UINT_PTR>(GetDlgCtrlID(h)), code};
      nm.iItem = -1;
      SendMessageA(GetParent(h), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    });
    WaitIdle();
    return true;
  }

  // The window's rectangle of the screen, copied from the screen DC, as a
  // bottom-up 24-bit BMP.
  static std::optional<std::string> CaptureScreen(HWND h, std::string* error) {
    RECT r;
    GetWindowRect(h, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) {
      *error = "the window has no size";
      return std::nullopt;
    }
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(mem, bitmap);
    bool copied = BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT) != 0;
    SelectObject(mem, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // positive: rows bottom-up, as BMP files store them
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    bool read = copied && GetDIBits(mem, bitmap, 0, height, pixels.data(),
                                    reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (!read) {
      *error = "the screen could not be read";
      return std::nullopt;
    }

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    info.biSizeImage = static_cast<DWORD>(pixels.size());
    std::string out(reinterpret_cast<const char*>(&file), sizeof file);
    out.append(reinterpret_cast<const char*>(&info), sizeof info);
    return out + pixels;
  }

  static BOOL CALLBACK FindBox(HWND h, LPARAM p) {
    if (IsWindowVisible(h) && ClassOf(h) == "#32770") {
      *reinterpret_cast<HWND*>(p) = h;
      return FALSE;
    }
    return TRUE;
  }

  // A message box of the program's thread, if one is open: recorded from its
  // window and answered with the next queued answer (OK otherwise).
  bool HandleMessageBox() {
    struct Found {
      HWND box = nullptr;
    } found;
    EnumThreadWindows(threadId_, &FindBox, reinterpret_cast<LPARAM>(&found));
    if (!found.box) return false;
    HWND box = found.box;
    MessageInfo info;
    info.title = WindowText(box);
    HICON icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassOf(child) != "Static") continue;
      LONG style = GetWindowLongA(child, GWL_STYLE);
      if ((style & SS_TYPEMASK) == SS_ICON) {
        icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
      } else {
        std::string t = WindowText(child);
        if (!t.empty()) info.text = t;
      }
    }
    auto same = [&](LPCSTR id) { return icon && icon == LoadIconA(nullptr, id); };
    if (!icon) info.icon = ui::MsgIcon::None;
    else if (same(reinterpret_cast<LPCSTR>(IDI_ASTERISK))) info.icon = ui::MsgIcon::Info;
    else if (same(reinterpret_cast<LPCSTR>(IDI_EXCLAMATION))) info.icon = ui::MsgIcon::Warning;
    else if (same(reinterpret_cast<LPCSTR>(IDI_HAND))) info.icon = ui::MsgIcon::Error;
    else info.icon = ui::MsgIcon::None;
    bool yesNo = GetDlgItem(box, IDYES) != nullptr;
    info.buttons = yesNo ? ui::MsgButtons::YesNo : ui::MsgButtons::Ok;
    messages_.push_back(info);
    ui::MsgAnswer answer = ui::MsgAnswer::Ok;
    if (!messageAnswers_.empty()) {
      answer = messageAnswers_.front();
      messageAnswers_.pop_front();
    }
    int id = IDOK;
    if (yesNo) id = answer == ui::MsgAnswer::Yes ? IDYES : IDNO;
    else if (!GetDlgItem(box, IDOK)) id = IDCANCEL;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
    // Until the box is destroyed, not only hidden: its own loop may still
    // run between the two and must not be taken for the program's idle loop.
    for (int i = 0; i < 1000 && IsWindow(box); ++i) Sleep(5);
    return true;
  }

  // Every text the real status bar is given passes through here on its way
  // in, so what a long command showed can be checked after it ended.
  static LRESULT CALLBACK StatusProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Win32Target*>(GetPropA(h, "tavik.drive"));
    auto old = reinterpret_cast<WNDPROC>(GetPropA(h, "tavik.proc"));
    LRESULT r = CallWindowProcA(old, h, msg, wp, lp);
    if (self && msg == SB_SETTEXTA) {
      const char* text = reinterpret_cast<const char*>(lp);
      self->statusHistory_.Record(static_cast<int>(wp & 0xFF), text ? text : "");
    }
    return r;
  }

  void WatchStatusBar() {
    WindowHost* host = MainHostUi();
    HWND h = host ? host->HwndOf("状态条") : nullptr;
    if (!h || GetPropA(h, "tavik.proc")) return;
    SetPropA(h, "tavik.drive", this);
    SetPropA(h, "tavik.proc", reinterpret_cast<HANDLE>(GetWindowLongPtrA(h, GWLP_WNDPROC)));
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StatusProc));
  }

  // Signals once the program's queue holds nothing more that an action
  // posted (keys, commands, further posted work).
  static void PostSettled(HANDLE done, int tries) {
    ui::PostOnUi([done, tries] {
      // Mouse moves are not work an action posted (a window appearing under
      // the pointer makes one), and re-posting would keep them waiting.
      DWORD pending = HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE | QS_KEY | QS_MOUSEBUTTON));
      if (pending && tries > 0) PostSettled(done, tries - 1);
      else SetEvent(done);
    });
  }

  // Until the program's thread is waiting in a message loop with nothing to
  // do: any message box on the way is recorded and answered.
  void WaitIdle() {
    for (int round = 0; round < 200; ++round) {
      HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      PostSettled(done, 50);
      int waited = 0;
      bool answered = false;
      while (WaitForSingleObject(done, 20) == WAIT_TIMEOUT) {
        answered |= HandleMessageBox();
        if ((waited += 20) > 300000) break;  // a program that never idles fails the next expectation
      }
      CloseHandle(done);
      // A box's own loop may have signalled before the box was answered; the
      // program then went on past it, so the round proves nothing.
      if (!answered && !HandleMessageBox()) return;
    }
  }

  std::unique_ptr<DriverShell> shell_;
  std::unique_ptr<app::App> app_;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  std::deque<ui::MsgAnswer> messageAnswers_;
  StatusHistory statusHistory_;  // touched on the program's thread only
  std::vector<MessageInfo> messages_;
};

}  // namespace

std::unique_ptr<Target> MakeWin32Target() { return std::make_unique<Win32Target>(); }

}  // namespace tavik::drive
