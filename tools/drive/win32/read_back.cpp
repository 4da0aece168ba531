// Every state the driver expects is read back from the real windows (or,
// for what only the program knows, from its model) on the program's thread.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "drive/win32/screen_capture.h"
#include "drive/win32/win32_target_internal.h"
#include "ui/win32/controls.h"
#include "ui/win32/mark_colours.h"

namespace tavik::drive {

using ui::Control;
using ui::ControlType;
using ui::Form;
using ui::WindowHost;
namespace win = ui::win;

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
        s.checked = win::Button(h).Checked();
        s.text = win::Window(h).Text();
        break;
      case ControlType::ComboList:
      case ControlType::ComboEditable: {
        win::ComboBox box(h);
        s.selected = std::max(box.Selected(), -1);
        s.text = win::Window(h).Text();
        for (int i = 0, n = box.Count(); i < n; ++i) s.items.push_back(box.ItemText(i));
        break;
      }
      case ControlType::TabControl: {
        win::TabControl tabs(h);
        s.selected = tabs.Selected();
        for (int i = 0, n = tabs.Count(); i < n; ++i) s.items.push_back(tabs.Text(i));
        break;
      }
      case ControlType::ListView:
        s.items = win::ListView(h).ColumnTitles();
        s.textColour = static_cast<int32_t>(win::ListView(h).TextColour());
        s.backColour = static_cast<int32_t>(win::ListView(h).BackColour());
        break;
      case ControlType::ColourPicker:
        s.backColour = c->backColour;  // owner-drawn from the model's colour
        break;
      default:
        s.text = win::Window(h).Text();
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
  if (h) ui::RunOnUi([&] { n = win::ListView(h).Count(); });
  return n;
}

std::string Win32Target::Cell(int row, int column) {
  std::string s;
  HWND h = ListHwnd();
  if (!h) return s;
  ui::RunOnUi([&] { s = win::ListView(h).Text(row, column); });
  return s;
}

int Win32Target::Image(int row) {
  int image = -1;
  HWND h = ListHwnd();
  if (!h) return image;
  ui::RunOnUi([&] { image = win::ListView(h).Image(row, 3); });
  return image;
}

namespace {

// Whether the rectangle of the window, as the screen shows it, is filled
// with the mark's colour for the list's background: at least a third of
// its pixels are (the rest are the name's ink and the warning sign).
bool HasMarkFill(HWND h, const RECT& r) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  const COLORREF fill = ui::MarkColoursOn(ListView_GetTextBkColor(h)).fill;
  HDC dc = GetDC(h);
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ old = SelectObject(mem, bitmap);
  BitBlt(mem, 0, 0, width, height, dc, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = -height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  bool read = GetDIBits(mem, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                        DIB_RGB_COLORS) == height;
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(h, dc);
  if (!read) return false;
  const uint32_t want = GetRValue(fill) << 16 | GetGValue(fill) << 8 | GetBValue(fill);
  size_t filled = 0;
  for (uint32_t p : pixels) filled += (p & 0xFFFFFF) == want;
  return filled * 3 >= pixels.size();
}

}  // namespace

// Read as a user sees it: the fill of the row's new name, then the tip that
// shows once the pointer rests on that cell.
std::optional<std::string> Win32Target::Mark(int row) {
  HWND list = ListHwnd();
  if (!list) return std::nullopt;
  RECT cell{};
  bool filled = false;
  HWND tip = nullptr;
  ui::RunOnUi([&] {
    ListView_EnsureVisible(list, row, FALSE);
    UpdateWindow(list);
    ListView_GetSubItemRect(list, row, ui::kMarkColumn, LVIR_LABEL, &cell);
    filled = HasMarkFill(list, cell);
    if (WindowHost* host = MainHostUi()) tip = host->markTip();
  });
  if (!filled || !tip) return std::nullopt;
  POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
  POINT screen = at;
  ui::RunOnUi([&] { ClientToScreen(list, &screen); });
  // The pointer's move, and any of the pointer's old place over a window
  // that has just opened, reach the list before the tip still up for
  // another row goes.
  SetCursorPos(screen.x, screen.y);
  Sleep(50);
  ui::RunOnUi([&] { SendMessageW(tip, TTM_POP, 0, 0); });
  PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
  // The tip shows after the system's hover delay, and may show before it
  // has asked for its text: it counts once it has some.
  std::string text;
  for (int waited = 0; waited < 5000; waited += 20) {
    ui::RunOnUi([&] {
      if (IsWindowVisible(tip)) text = win::Window(tip).Text();
    });
    if (!text.empty()) return text;
    Sleep(20);
  }
  return std::string();
}

std::vector<int> Win32Target::SelectedRows() {
  std::vector<int> rows;
  HWND h = ListHwnd();
  if (!h) return rows;
  ui::RunOnUi([&] {
    int i = -1;
    while ((i = win::ListView(h).NextSelected(i)) >= 0) rows.push_back(i);
  });
  return rows;
}

std::string Win32Target::Status(int pane) {
  std::string s;
  ui::RunOnUi([&] {
    WindowHost* host = MainHostUi();
    HWND h = host ? host->HwndOf("状态条") : nullptr;
    if (!h) return;
    s = win::StatusBar(h).Text(pane);
  });
  return s;
}

bool Win32Target::ToolbarEnabled(int index) {
  bool enabled = false;
  ui::RunOnUi([&] {
    WindowHost* host = MainHostUi();
    HWND h = host ? host->HwndOf("工具条") : nullptr;
    if (h) enabled = win::Toolbar(h).IsButtonEnabled(WindowHost::kToolbarBase + index);
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
      if (IsWindowVisible(host->hwnd())) title = win::Window(host->hwnd()).Text();
  });
  return title;
}

std::string Win32Target::TopTitle() {
  std::string title;
  ui::RunOnUi([&] {
    auto forms = shell_->OpenForms();
    if (WindowHost* host = forms.empty() ? nullptr : shell_->HostOf(*forms.back()))
      title = win::Window(host->hwnd()).Text();
  });
  return title;
}

bool Win32Target::WaitCursor() {
  bool wait = false;
  ui::RunOnUi([&] {
    wait =
        shell_->waitDepth() > 0 || GetCursor() == LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
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
    HFONT hf = win::Window(h).Font();
    LOGFONTW lf{};
    if (!hf || !GetObjectW(hf, sizeof lf, &lf)) return;
    ui::Font f;
    f.face = win::Narrow(lf.lfFaceName);
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
    if (h)
      RedrawWindow(h, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
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
    if (IsWindow(h))
      bmp = CaptureWindowBmp(h, error);
    else
      *error = "the window closed";
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
      out += std::string("form ") + f->desc().name + " \"" + (host ? win::Window(host->hwnd()).Text() : "") +
             "\"\n";
      for (auto& c : f->controls()) {
        HWND h = host ? host->HwndOf(*c) : nullptr;
        RECT r = host ? host->ModelRectOf(*c) : RECT{};
        out += "  " + c->name + " " + ui::TypeName(c->type) + " \"" + (h ? win::Window(h).Text() : c->text) +
               "\" " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
               std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) +
               (h && !IsWindowEnabled(h) ? " disabled" : "") + (h && !IsWindowVisible(h) ? " hidden" : "") +
               "\n";
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
  return tabs && win::TabControl(tabs).Selected() == ui::PageIndex(page);
}

// The colours a control is painted with, asked of its parent exactly as
// the control asks when it paints. A colour the program never set is
// reported as the default.
void Win32Target::ReadColours(const Control& c, HWND h, ControlState* s) {
  bool isEdit =
      c.type == ControlType::Edit && IsWindowEnabled(h) && !(GetWindowLongW(h, GWL_STYLE) & ES_READONLY);
  HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, RGB(1, 2, 3));
  SetBkColor(dc, RGB(1, 2, 3));
  SendMessageW(GetParent(h), isEdit ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(h));
  COLORREF text = GetTextColor(dc), back = GetBkColor(dc);
  DeleteDC(dc);
  s->textColour = c.textColour == ui::kDefaultColour ? ui::kDefaultColour : static_cast<int32_t>(text);
  s->backColour = c.backColour == ui::kDefaultColour ? ui::kDefaultColour : static_cast<int32_t>(back);
}

// Every text the real status bar is given passes through here on its way
// in, so what a long command showed can be checked after it ended.
LRESULT CALLBACK Win32Target::StatusProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Win32Target*>(GetPropW(h, L"tavik.drive"));
  auto old = reinterpret_cast<WNDPROC>(GetPropW(h, L"tavik.proc"));
  LRESULT r = CallWindowProcW(old, h, msg, wp, lp);
  if (self && msg == SB_SETTEXTW) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(lp);
    self->statusHistory_.Record(static_cast<int>(wp & 0xFF), text ? win::Narrow(text) : std::string());
  }
  return r;
}

void Win32Target::WatchStatusBar() {
  WindowHost* host = MainHostUi();
  HWND h = host ? host->HwndOf("状态条") : nullptr;
  if (!h || GetPropW(h, L"tavik.proc")) return;
  SetPropW(h, L"tavik.drive", this);
  SetPropW(h, L"tavik.proc", reinterpret_cast<HANDLE>(GetWindowLongPtrW(h, GWLP_WNDPROC)));
  SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StatusProc));
}

}  // namespace tavik::drive
