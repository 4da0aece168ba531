#include "ui/win32/window_host.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "text/gbk.h"
#include "text/unicode.h"
#include "ui/win32/controls.h"
#include "ui/win32/images.h"

namespace tavik::ui {
namespace {

const wchar_t kFormClass[] = L"TavikForm";

LRESULT CALLBACK FormProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    static_cast<WindowHost*>(cs->lpCreateParams)->Attach(h);
  }
  auto* host = reinterpret_cast<WindowHost*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!host) return DefWindowProcW(h, msg, wp, lp);
  try {
    return host->Handle(msg, wp, lp);
  } catch (...) {
    // An exception must never unwind through the window system.
    return 0;
  }
}

void RegisterFormClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FormProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  RegisterClassExW(&wc);
  done = true;
}

}  // namespace

WindowHost::WindowHost(Shell& shell, Form& form, HWND owner) : shell_(shell), form_(form) {
  RegisterFormClass();
  CreateFrame(owner);
  CreateMenus();
  CreateControls();
  form_.SetObserver(this);
  UpdateClientSize();
}

WindowHost::~WindowHost() {
  if (form_.observer() == this) form_.SetObserver(nullptr);
  DestroyWindowNow();
  if (accel_) DestroyAcceleratorTable(accel_);
  for (HMENU m : menus_)
    if (m && GetMenu(hwnd_) != m) DestroyMenu(m);
  for (auto& [c, b] : brushes_) DeleteObject(b);
  for (auto& [f, h] : fonts_) DeleteObject(h);
  if (toolbarImages_) ImageList_Destroy(toolbarImages_);
  if (listImages_) ImageList_Destroy(listImages_);
}

void WindowHost::DestroyWindowNow() {
  if (!hwnd_) return;
  HWND h = hwnd_;
  SetWindowLongPtrW(h, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  DestroyWindow(h);
}

void WindowHost::CreateFrame(HWND owner) {
  const FormDesc& d = form_.desc();
  DWORD style, exStyle = 0;
  if (d.kind == FormKind::MainWindow) {
    style = WS_OVERLAPPEDWINDOW;
  } else {
    // A fixed frame whose title bar carries only the title.
    style = WS_POPUP | WS_CAPTION;
    exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    if (d.showInTaskbar) exStyle |= WS_EX_APPWINDOW;
  }
  int w = d.outerWidth, h = d.outerHeight;
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (d.kind == FormKind::Dialog) {
    x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    form_.windowRect = {x, y, w, h};
  }
  hwnd_ = CreateWindowExW(exStyle, kFormClass, win::Wide(form_.title()).c_str(), style, x, y, w, h, owner,
                          nullptr, GetModuleHandleW(nullptr), this);
  if (d.kind == FormKind::MainWindow) {
    RECT r;
    GetWindowRect(hwnd_, &r);
    form_.windowRect = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  }
}

HMENU WindowHost::MenuHandle(const Menu& menu) const {
  auto& menus = form_.menus();
  for (size_t m = 0; m < menus.size(); ++m)
    if (&menus[m] == &menu) return menus_[m];
  return nullptr;
}

HWND WindowHost::HwndOf(const Control& c) const {
  auto& controls = form_.controls();
  for (size_t i = 0; i < controls.size(); ++i)
    if (controls[i].get() == &c) return hwnds_[i];
  return nullptr;
}

HWND WindowHost::HwndOf(std::string_view name) const {
  Control* c = form_.Find(name);
  return c ? HwndOf(*c) : nullptr;
}

Control* WindowHost::ControlOf(HWND h) const {
  auto it = indexOf_.find(h);
  return it == indexOf_.end() ? nullptr : form_.controls()[it->second].get();
}

RECT WindowHost::ModelRectOf(const Control& c) const {
  RECT r{0, 0, 0, 0};
  HWND h = HwndOf(c);
  if (!h) return r;
  GetWindowRect(h, &r);
  MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&r), 2);
  POINT o = OriginOf(c.parent);
  OffsetRect(&r, -o.x, -o.y);
  return r;
}

void WindowHost::ApplyVisibility() {
  auto& controls = form_.controls();
  for (size_t i = 0; i < controls.size(); ++i) {
    HWND h = hwnds_[i];
    if (!h || h == toolbar_ || h == status_) continue;
    bool show = Shown(*controls[i]);
    ShowWindow(h, show ? SW_SHOWNA : SW_HIDE);
    if (HWND ud = UpDownOf(h)) ShowWindow(ud, show ? SW_SHOWNA : SW_HIDE);
  }
}

void WindowHost::UpdateClientSize() {
  RECT r;
  GetClientRect(hwnd_, &r);
  form_.clientWidth = r.right;
  form_.clientHeight = r.bottom;
}

HFONT WindowHost::FontFor(const Font& f) {
  // The program's texts are Chinese: on a system whose code page is not 936
  // the stock dialog font holds no Chinese glyphs, so the default font asks
  // for the Chinese character set by name.
  const bool chineseSystem = GetACP() == 936;
  if (f.face.empty() && f.heightPixels == 0 && f.points == 0 && !f.bold && !f.italic && chineseSystem)
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (auto& [font, h] : fonts_)
    if (font == f) return h;
  int height = 0;
  if (f.heightPixels) {
    height = -f.heightPixels;
  } else if (f.points) {
    HDC dc = GetDC(nullptr);
    height = -MulDiv(f.points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(nullptr, dc);
  } else {
    LOGFONTW lf;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    height = lf.lfHeight;
  }
  std::wstring face = win::Wide(f.face);
  if (face.empty()) {
    LOGFONTW lf;
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    face = lf.lfFaceName;
  }
  HFONT h = CreateFontW(height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, f.italic, 0, 0,
                        chineseSystem ? DEFAULT_CHARSET : GB2312_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                        face.c_str());
  fonts_.emplace_back(f, h);
  return h;
}

HBRUSH WindowHost::Brush(COLORREF c) {
  auto it = brushes_.find(c);
  if (it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(c);
  brushes_[c] = b;
  return b;
}

void WindowHost::PushFont(Control& c) {
  HWND h = HwndOf(c);
  if (!h) return;
  win::Window(h).SetFont(FontFor(c.font), true);
}

void WindowHost::PushText(Control& c) {
  HWND h = HwndOf(c);
  if (!h) return;
  if (c.type == ControlType::ComboList || c.type == ControlType::TabControl ||
      c.type == ControlType::ListView || c.type == ControlType::ColourPicker)
    return;
  // The window's own change coming back from the model needs no push; a
  // push would also move the caret of an edit the user is typing in.
  if (win::Window(h).Text() == c.text) return;
  ++echo_;
  win::Window(h).SetText(c.text);
  --echo_;
}

void WindowHost::PushItems(Control& c) {
  HWND h = HwndOf(c);
  if (!h) return;
  ++echo_;
  win::ComboBox box(h);
  box.Clear();
  for (const ComboItem& item : c.items) box.SetData(box.Add(item.text), item.value);
  --echo_;
}

void WindowHost::PushSelection(Control& c) {
  HWND h = HwndOf(c);
  if (!h) return;
  ++echo_;
  if (c.type == ControlType::TabControl) {
    win::TabControl tabs(h);
    if (tabs.Selected() != c.selected) tabs.Select(c.selected);
    ApplyVisibility();
  } else if (IsCombo(c.type)) {
    win::ComboBox(h).Select(c.selected);
    if (c.type == ControlType::ComboEditable) PushText(c);
  }
  --echo_;
}

// ---- model -> windows ----

void WindowHost::ControlChanged(Control& c, What what) {
  HWND h = HwndOf(c);
  switch (what) {
    case What::Text:
      PushText(c);
      break;
    case What::Checked:
      if (h) {
        ++echo_;
        win::Button(h).SetChecked(c.checked);
        --echo_;
      }
      break;
    case What::Enabled:
      if (h) EnableWindow(h, c.enabled);
      if (HWND ud = h ? UpDownOf(h) : nullptr) EnableWindow(ud, c.enabled);
      break;
    case What::Visible:
      ApplyVisibility();
      break;
    case What::Colour:
      if (c.type == ControlType::ListView) {
        PushListColours(c);
      } else if (h) {
        InvalidateRect(h, nullptr, TRUE);
      }
      break;
    case What::Font:
      PushFont(c);
      if (c.type == ControlType::ListView && h) InvalidateRect(h, nullptr, TRUE);
      break;
    case What::Items:
      PushItems(c);
      break;
    case What::Selection:
      PushSelection(c);
      break;
    case What::Rect:
      if (h) {
        POINT o = OriginOf(c.parent);
        int height = c.rect.height + (IsCombo(c.type) ? kComboDropHeight : 0);
        ++echo_;
        SetWindowPos(h, nullptr, o.x + c.rect.left, o.y + c.rect.top, c.rect.width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        --echo_;
      }
      break;
    case What::Focus:
      if (h) ::SetFocus(h);
      break;
    case What::Tag:
      break;
  }
}

void WindowHost::MenuChanged(Menu& menu, int item) {
  HMENU m = MenuHandle(menu);
  if (!m || item < 0 || item >= static_cast<int>(menu.items.size())) return;
  EnableMenuItem(m, item, MF_BYPOSITION | (menu.items[item].enabled ? MF_ENABLED : MF_GRAYED));
}

void WindowHost::ToolbarChanged(int index) {
  if (!toolbar_) return;
  win::Toolbar(toolbar_).EnableButton(kToolbarBase + index, form_.toolbar()[index].enabled);
}

void WindowHost::StatusChanged(int pane) {
  if (!status_) return;
  win::StatusBar(status_).SetText(pane, form_.status()[pane].text);
}

void WindowHost::TitleChanged() { win::Window(hwnd_).SetText(form_.title()); }

void WindowHost::WindowRectChanged() {
  const Rect& r = form_.windowRect;
  ++echo_;
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  --echo_;
  RECT wr;
  GetWindowRect(hwnd_, &wr);
  form_.windowRect = {wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top};
  UpdateClientSize();
  DockToolbar();
  if (status_) win::StatusBar(status_).FollowParent();
}

void WindowHost::DockToolbar() {
  if (!toolbar_) return;
  RECT r;
  GetClientRect(hwnd_, &r);
  SetWindowPos(toolbar_, nullptr, 0, 0, r.right, form_.desc().toolbarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- windows -> model ----

LRESULT WindowHost::OnCommand(WPARAM wp, LPARAM lp) {
  int id = LOWORD(wp), code = HIWORD(wp);
  if (id == IDCANCEL && lp == 0) {
    form_.UserEscape();
    return 0;
  }
  int m = 0, i = 0;
  if (ParseMenuCommand(id, &m, &i)) {
    auto& menus = form_.menus();
    if (m < static_cast<int>(menus.size()) && i < static_cast<int>(menus[m].items.size()))
      form_.UserChooseMenu(menus[m].items[i]);
    return 0;
  }
  if (id >= kToolbarBase) {
    form_.UserClickToolbar(id - kToolbarBase);
    return 0;
  }
  if (echo_ > 0) return 0;
  Control* c = ControlOf(reinterpret_cast<HWND>(lp));
  if (!c) return 0;
  HWND h = reinterpret_cast<HWND>(lp);
  switch (c->type) {
    case ControlType::Edit:
      if (code == EN_CHANGE) form_.UserType(*c, win::Window(h).Text());
      break;
    case ControlType::ComboList:
    case ControlType::ComboEditable:
      if (code == CBN_SELCHANGE) {
        form_.UserChoose(*c, win::ComboBox(h).Selected());
      } else if (code == CBN_EDITCHANGE) {
        form_.UserType(*c, win::Window(h).Text());
      }
      break;
    default:
      if (TakesClick(c->type) && code == BN_CLICKED) form_.UserClick(*c);
      break;
  }
  return 0;
}

LRESULT WindowHost::OnNotify(NMHDR* nm) {
  if (markTip_ && nm->hwndFrom == markTip_) return MarkTipText(nm);
  if (nm->code == TTN_GETDISPINFOW && toolbar_) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(nm);
    int index = static_cast<int>(nm->idFrom) - kToolbarBase;
    auto& tb = form_.toolbar();
    if (index >= 0 && index < static_cast<int>(tb.size())) {
      wideScratch_ = win::Wide(tb[index].tooltip);
      info->lpszText = wideScratch_.data();
    }
    return 0;
  }
  Control* c = ControlOf(nm->hwndFrom);
  if (!c) return 0;
  if (c->type == ControlType::TabControl && nm->code == TCN_SELCHANGE) {
    if (echo_ == 0) form_.UserChoose(*c, win::TabControl(nm->hwndFrom).Selected());
    return 0;
  }
  if (c->type != ControlType::ListView) return 0;
  switch (nm->code) {
    case LVN_GETDISPINFOW: {
      // Asked for the rows being drawn only: a keystroke over 100,000 rows
      // converts the few on screen, into a buffer kept for the next.
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(nm);
      auto& rows = form_.Rows(*c);
      int r = di->item.iItem, col = di->item.iSubItem;
      if (r < 0 || r >= static_cast<int>(rows.size()) || col < 0 || col > 4) return 0;
      if (di->item.mask & LVIF_TEXT && di->item.pszText && di->item.cchTextMax > 0) {
        const std::string& s = rows[r].cells[col];
        if (!text::ToUtf16(s, cellScratch_)) cellScratch_ = text::ToUtf16Lossy(s);
        size_t n = std::min(cellScratch_.size(), static_cast<size_t>(di->item.cchTextMax - 1));
        // Never half a surrogate pair.
        if (n > 0 && n < cellScratch_.size() && cellScratch_[n - 1] >= 0xD800 && cellScratch_[n - 1] < 0xDC00)
          --n;
        std::memcpy(di->item.pszText, cellScratch_.data(), n * sizeof(wchar_t));
        di->item.pszText[n] = L'\0';
      }
      if (di->item.mask & LVIF_IMAGE) di->item.iImage = col == ImageColumn() ? rows[r].image : -1;
      return 0;
    }
    case LVN_ITEMCHANGED: {
      auto* lv = reinterpret_cast<NMLISTVIEW*>(nm);
      if (echo_ == 0 && (lv->uChanged & LVIF_STATE) && ((lv->uOldState ^ lv->uNewState) & LVIS_SELECTED))
        ReadListSelection(*c);
      return 0;
    }
    case LVN_ODSTATECHANGED:
      if (echo_ == 0) ReadListSelection(*c);
      return 0;
    case NM_CUSTOMDRAW:
      return ListCustomDraw(*c, reinterpret_cast<NMLVCUSTOMDRAW*>(nm));
    case NM_RCLICK:
      form_.UserRightClick(*c);
      return 0;
    case NM_DBLCLK:
      form_.UserDoubleClick(*c);
      return 0;
    case LVN_KEYDOWN: {
      auto* kd = reinterpret_cast<NMLVKEYDOWN*>(nm);
      KeyPress k;
      k.code = kd->wVKey;
      k.ctrl = GetKeyState(VK_CONTROL) < 0;
      k.shift = GetKeyState(VK_SHIFT) < 0;
      k.alt = GetKeyState(VK_MENU) < 0;
      form_.UserKey(*c, k);
      return 0;
    }
    default:
      return 0;
  }
}

// The tab control's body may be drawn by a theme in a colour of its own;
// what stands on a page takes that colour, read from the control itself.
COLORREF WindowHost::TabBodyColour() {
  if (tabBody_ != CLR_INVALID) return tabBody_;
  tabBody_ = GetSysColor(COLOR_BTNFACE);
  for (auto& c : form_.controls()) {
    if (c->type != ControlType::TabControl) continue;
    HWND h = HwndOf(*c);
    RECT r;
    GetClientRect(h, &r);
    HDC screen = GetDC(h);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(dc, bmp);
    win::Window(h).PrintClient(dc, PRF_CLIENT | PRF_ERASEBKGND);
    COLORREF body = GetPixel(dc, r.right / 2, r.bottom - 6);
    if (body != CLR_INVALID) tabBody_ = body;
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(h, screen);
    break;
  }
  return tabBody_;
}

LRESULT WindowHost::OnColour(HDC dc, HWND child, bool isEdit) {
  Control* c = ControlOf(child);
  COLORREF back = GetSysColor(isEdit ? COLOR_WINDOW : COLOR_BTNFACE);
  if (c && !isEdit && c->type != ControlType::Edit && OnTabPage(*c)) back = TabBodyColour();
  if (c) {
    // A read-only or disabled edit asks for static colours but keeps its box.
    if (c->type == ControlType::Edit && !isEdit && (c->desc && (c->desc->flags & kReadOnly)))
      back = GetSysColor(COLOR_WINDOW);
    if (c->backColour != kDefaultColour) back = ToColorRef(c->backColour);
    if (c->textColour != kDefaultColour)
      SetTextColor(dc, ToColorRef(c->textColour));
    else if (!c->enabled && c->type == ControlType::Edit)
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  }
  SetBkColor(dc, back);
  return reinterpret_cast<LRESULT>(Brush(back));
}

void WindowHost::OnDrawItem(DRAWITEMSTRUCT* d) {
  Control* c = ControlOf(d->hwndItem);
  if (!c) return;
  RECT r = d->rcItem;
  DrawEdge(d->hDC, &r, (d->itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  InflateRect(&r, -2, -2);
  COLORREF colour = c->backColour == kDefaultColour ? RGB(0, 0, 0) : ToColorRef(c->backColour);
  FillRect(d->hDC, &r, Brush(colour));
  if (d->itemState & ODS_FOCUS) {
    InflateRect(&r, 1, 1);
    DrawFocusRect(d->hDC, &r);
  }
}

LRESULT WindowHost::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      return OnCommand(wp, lp);
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), false);
    case WM_CTLCOLOREDIT:
      return OnColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), true);
    case WM_DRAWITEM:
      OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case kFlushMessage:
      FlushPending();
      return 0;
    case WM_SIZE:
      DockToolbar();
      if (status_) win::StatusBar(status_).FollowParent();
      if (echo_ == 0 && wp != SIZE_MINIMIZED) {
        RECT wr;
        GetWindowRect(hwnd_, &wr);
        Rect r{wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top};
        UpdateClientSize();
        form_.UserResize(r);
      }
      return 0;
    case WM_MOVE:
      if (echo_ == 0) {
        RECT wr;
        GetWindowRect(hwnd_, &wr);
        form_.UserMove(wr.left, wr.top);
      }
      return 0;
    case WM_CLOSE:
      if (form_.desc().kind == FormKind::MainWindow) {
        shell_.Destroy(form_);
      } else {
        form_.UserEscape();
      }
      return 0;
    default:
      return DefWindowProcW(hwnd_, msg, wp, lp);
  }
}

}  // namespace tavik::ui
