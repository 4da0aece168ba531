// Every state the driver expects is read back from the real windows (or,
// for what only the program knows, from its model) on the program's thread.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "drive/win32/screen_capture.h"
#include "drive/win32/win32_target_internal.h"

namespace tavik::drive {

using ui::Control;
using ui::ControlType;
using ui::Form;
using ui::WindowHost;
using ui::WindowText;

std::optional<ControlState> Win32Target::Read(const std::string& name) {
  std::optional<ControlState> result;
  ui::RunOnUi([&] {
    WindowHost* host = nullptr;
    Control* c = ResolveUi(name, &host);
    if (!c) return;
    HWND h = host->HwndOf(*c);
    ControlState s;
    s.type = ui::TypeName(c->type);
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

int Win32Target::RowCount() {
  int n = 0;
  HWND h = ListHwnd();
  if (h) ui::RunOnUi([&] { n = ListView_GetItemCount(h); });
  return n;
}

std::string Win32Target::Cell(int row, int column) {
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

int Win32Target::Image(int row) {
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

std::vector<int> Win32Target::SelectedRows() {
  std::vector<int> rows;
  HWND h = ListHwnd();
  if (!h) return rows;
  ui::RunOnUi([&] {
    int i = -1;
    while ((i = ListView_GetNextItem(h, i, LVNI_SELECTED)) >= 0) rows.push_back(i);
  });
  return rows;
}

std::string Win32Target::Status(int pane) {
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

bool Win32Target::ToolbarEnabled(int index) {
  bool enabled = false;
  ui::RunOnUi([&] {
    WindowHost* host = MainHostUi();
    HWND h = host ? host->HwndOf("工具条") : nullptr;
    if (h) enabled = SendMessageA(h, TB_ISBUTTONENABLED, WindowHost::kToolbarBase + index, 0) != 0;
  });
  return enabled;
}

std::optional<bool> Win32Target::MenuEnabled(const std::string& caption) {
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

std::string Win32Target::TopDialogTitle() {
  std::string title;
  ui::RunOnUi([&] {
    auto forms = shell_->OpenForms();
    if (forms.size() < 2) return;
    if (WindowHost* host = shell_->HostOf(*forms.back()))
      if (IsWindowVisible(host->hwnd())) title = WindowText(host->hwnd());
  });
  return title;
}

bool Win32Target::WaitCursor() {
  bool wait = false;
  ui::RunOnUi([&] {
    wait = shell_->waitDepth() > 0 ||
           GetCursor() == LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT));
  });
  return wait;
}

ui::Rect Win32Target::WindowRect() {
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

std::optional<ui::Font> Win32Target::ControlFont(const std::string& name) {
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

std::optional<std::string> Win32Target::CaptureTopWindow(std::string* error) {
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
    if (IsWindow(h)) bmp = CaptureWindowBmp(h, error);
    else *error = "the window closed";
  });
  return bmp;
}

std::vector<MessageInfo> Win32Target::TakeMessages() { return boxes_.Take(); }

std::string Win32Target::Dump() {
  std::string out;
  ui::RunOnUi([&] {
    auto forms = shell_->OpenForms();
    for (Form* f : forms) {
      WindowHost* host = shell_->HostOf(*f);
      out += std::string("form ") + f->desc().name + " \"" + (host ? WindowText(host->hwnd()) : "") + "\"\n";
      for (auto& c : f->controls()) {
        HWND h = host ? host->HwndOf(*c) : nullptr;
        RECT r = host ? host->ModelRectOf(*c) : RECT{};
        out += "  " + c->name + " " + ui::TypeName(c->type) + " \"" + (h ? WindowText(h) : c->text) + "\" " +
               std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) +
               "x" + std::to_string(r.bottom - r.top) + (h && !IsWindowEnabled(h) ? " disabled" : "") +
               (h && !IsWindowVisible(h) ? " hidden" : "") + "\n";
      }
    }
  });
  return out;
}

std::vector<std::string> Win32Target::TakeStatusHistory(int pane) {
  std::vector<std::string> texts;
  ui::RunOnUi([&] { texts = statusHistory_.Take(pane); });
  return texts;
}

bool Win32Target::IsPageShown(WindowHost& host, const Control& page) {
  if (!page.parent) return false;
  HWND tabs = host.HwndOf(*page.parent);
  return tabs && SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == ui::PageIndex(page);
}

// The colours a control is painted with, asked of its parent exactly as
// the control asks when it paints. A colour the program never set is
// reported as the default.
void Win32Target::ReadColours(const Control& c, HWND h, ControlState* s) {
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

// Every text the real status bar is given passes through here on its way
// in, so what a long command showed can be checked after it ended.
LRESULT CALLBACK Win32Target::StatusProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Win32Target*>(GetPropA(h, "tavik.drive"));
  auto old = reinterpret_cast<WNDPROC>(GetPropA(h, "tavik.proc"));
  LRESULT r = CallWindowProcA(old, h, msg, wp, lp);
  if (self && msg == SB_SETTEXTA) {
    const char* text = reinterpret_cast<const char*>(lp);
    self->statusHistory_.Record(static_cast<int>(wp & 0xFF), text ? text : "");
  }
  return r;
}

void Win32Target::WatchStatusBar() {
  WindowHost* host = MainHostUi();
  HWND h = host ? host->HwndOf("状态条") : nullptr;
  if (!h || GetPropA(h, "tavik.proc")) return;
  SetPropA(h, "tavik.drive", this);
  SetPropA(h, "tavik.proc", reinterpret_cast<HANDLE>(GetWindowLongPtrA(h, GWLP_WNDPROC)));
  SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StatusProc));
}

}  // namespace tavik::drive
