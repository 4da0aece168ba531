#include "ui/win32/win32_shell.h"

#include <commctrl.h>
#include <cderr.h>
#include <commdlg.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/wide.h"
#include "text/gbk.h"
#include "ui/win32/drop_target.h"
#include "ui/win32/window_host.h"

namespace tavik::ui {
namespace {

using tavik::win::Narrow;
using tavik::win::Wide;

constexpr UINT kRunMessage = WM_APP + 7;
HWND g_uiWindow = nullptr;
DWORD g_uiThread = 0;

LRESULT CALLBACK UiProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRunMessage) {
    auto* fn = reinterpret_cast<std::function<void()>*>(lp);
    try {
      (*fn)();
    } catch (...) {
    }
    if (wp) delete fn;  // posted: owned by the message
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

UINT IconFlag(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Info:
      return MB_ICONINFORMATION;
    case MsgIcon::Warning:
      return MB_ICONEXCLAMATION;
    case MsgIcon::Error:
      return MB_ICONERROR;
    case MsgIcon::None:
      break;
  }
  return 0;
}

HWND OwnerWindow(Win32Shell& shell, Form* owner) {
  if (!owner) return nullptr;
  WindowHost* host = shell.HostOf(*owner);
  return host ? host->hwnd() : nullptr;
}

int CALLBACK BrowseCallback(HWND h, UINT msg, LPARAM, LPARAM) {
  if (msg == BFFM_INITIALIZED) {
    // Keep the browser over its owner.
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  return 0;
}

}  // namespace

void InitUiThread() {
  if (g_uiWindow) return;
  g_uiThread = GetCurrentThreadId();
  WNDCLASSW wc{};
  wc.lpfnWndProc = UiProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TavikUiThread";
  RegisterClassW(&wc);
  g_uiWindow =
      CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

DWORD UiThreadId() { return g_uiThread; }

void RunOnUi(const std::function<void()>& fn) {
  if (GetCurrentThreadId() == g_uiThread) {
    fn();
    return;
  }
  auto copy = fn;
  SendMessageW(g_uiWindow, kRunMessage, 0, reinterpret_cast<LPARAM>(&copy));
}

void PostOnUi(std::function<void()> fn) {
  auto* heap = new std::function<void()>(std::move(fn));
  if (!PostMessageW(g_uiWindow, kRunMessage, 1, reinterpret_cast<LPARAM>(heap))) delete heap;
}

Win32Shell::Win32Shell() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                           ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&icc);
  OleInitialize(nullptr);
  InitUiThread();
}

Win32Shell::~Win32Shell() {
  hosts_.clear();
  OleUninitialize();
}

WindowHost* Win32Shell::HostOf(const Form& form) {
  auto it = hosts_.find(&form);
  return it == hosts_.end() ? nullptr : it->second.get();
}

std::vector<Form*> Win32Shell::OpenForms() { return order_; }

MsgAnswer Win32Shell::ShowMessage(Form* owner, const std::string& title, const std::string& text,
                                  MsgIcon icon, MsgButtons buttons) {
  UINT type = IconFlag(icon) | (buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK);
  int r = ::MessageBoxW(OwnerWindow(*this, owner), Wide(text).c_str(), Wide(title).c_str(), type);
  if (r == IDYES) return MsgAnswer::Yes;
  if (r == IDNO) return MsgAnswer::No;
  return MsgAnswer::Ok;
}

std::vector<std::string> Win32Shell::OpenFiles(Form* owner, const std::string& title,
                                               const std::string& filter, const std::string& initialDir) {
  std::wstring filterZ = Wide(filter);
  for (wchar_t& ch : filterZ)
    if (ch == L'|') ch = L'\0';
  filterZ.append(2, L'\0');
  const std::wstring wideTitle = Wide(title), wideDir = Wide(initialDir);
  // A selection larger than the buffer is asked for again with a buffer of
  // the size the dialog reports, so no choice is silently dropped.
  size_t size = 8192;
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::vector<wchar_t> buffer(size, L'\0'), titleBuffer(8192, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = OwnerWindow(*this, owner);
    ofn.lpstrFilter = filterZ.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrFileTitle = titleBuffer.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(titleBuffer.size());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : wideDir.c_str();
    ofn.lpstrTitle = wideTitle.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    if (!GetOpenFileNameW(&ofn)) {
      if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
        size_t needed = static_cast<uint16_t>(buffer[0]);
        size = std::max(size * 4, needed + 16);
        continue;
      }
      return {};
    }
    // Either one full path, or a directory and names separated by NULs.
    std::vector<std::string> parts;
    const wchar_t* p = buffer.data();
    while (*p) {
      std::wstring_view part(p);
      parts.push_back(Narrow(part));
      p += part.size() + 1;
    }
    if (parts.size() <= 1) return parts;
    std::string dir = parts[0];
    if (text::FindLast(dir, '\\') != dir.size() - 1) dir += '\\';
    std::vector<std::string> paths;
    for (size_t i = 1; i < parts.size(); ++i) paths.push_back(dir + parts[i]);
    return paths;
  }
  return {};
}

std::optional<std::string> Win32Shell::BrowseForFolder(Form* owner, const std::string& title) {
  const std::wstring wideTitle = Wide(title);
  BROWSEINFOW bi{};
  bi.hwndOwner = OwnerWindow(*this, owner);
  bi.lpszTitle = wideTitle.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  bi.lpfn = BrowseCallback;
  LPITEMIDLIST item = SHBrowseForFolderW(&bi);
  if (!item) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  BOOL ok = SHGetPathFromIDListW(item, path);
  CoTaskMemFree(item);
  if (!ok || !path[0]) return std::nullopt;
  return Narrow(path);
}

bool Win32Shell::PickFont(Form* owner, FontChoice& font) {
  LOGFONTW lf{};
  HDC dc = GetDC(nullptr);
  lf.lfHeight = -MulDiv(font.points, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ReleaseDC(nullptr, dc);
  lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = font.italic;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, Wide(font.face).c_str(), LF_FACESIZE);
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = OwnerWindow(*this, owner);
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  if (!::ChooseFontW(&cf)) return false;
  font.face = Narrow(lf.lfFaceName);
  font.points = cf.iPointSize / 10;
  font.bold = lf.lfWeight >= FW_BOLD;
  font.italic = lf.lfItalic != 0;
  return true;
}

bool Win32Shell::ChooseColour(Form* owner, int32_t& colour) {
  static COLORREF custom[16] = {};
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = OwnerWindow(*this, owner);
  cc.rgbResult = static_cast<COLORREF>(colour);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorW(&cc)) return false;
  colour = static_cast<int32_t>(cc.rgbResult);
  return true;
}

void Win32Shell::BeginWaitCursor() {
  if (waitDepth_++ == 0)
    previousCursor_ = SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
}

void Win32Shell::EndWaitCursor() {
  if (waitDepth_ == 0 || --waitDepth_ > 0) return;
  SetCursor(previousCursor_ ? previousCursor_ : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
  // Setting the position where it already is redraws the shape at once.
  POINT p;
  if (GetCursorPos(&p)) SetCursorPos(p.x, p.y);
}

void Win32Shell::PopupMenu(Form& owner, const std::string& menuCaption) {
  WindowHost* host = HostOf(owner);
  if (!host) return;
  auto& menus = owner.menus();
  for (size_t m = 0; m < menus.size(); ++m) {
    if (menus[m].caption != menuCaption) continue;
    HMENU menu = host->MenuHandle(menus[m]);
    POINT p;
    GetCursorPos(&p);
    openPopup = menu;
    openPopupOwner = &owner;
    forcedPopupChoice = -1;
    SetForegroundWindow(host->hwnd());
    int cmd = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, host->hwnd(), nullptr);
    openPopup = nullptr;
    openPopupOwner = nullptr;
    int menuIndex = 0, item = forcedPopupChoice;
    if (cmd) ParseMenuCommand(cmd, &menuIndex, &item);
    forcedPopupChoice = -1;
    if (item >= 0 && item < static_cast<int>(menus[m].items.size()))
      owner.UserChooseMenu(menus[m].items[item]);
    return;
  }
}

ScreenMetrics Win32Shell::Metrics() {
  ScreenMetrics m;
  m.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  m.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT r{0, 0, 100, 100};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
  m.frameWidth = (r.right - r.left) - 100;
  m.frameHeight = (r.bottom - r.top) - 100;
  return m;
}

void Win32Shell::Show(Form& form) {
  auto host = std::make_unique<WindowHost>(*this, form, nullptr);
  WindowHost* h = host.get();
  hosts_[&form] = std::move(host);
  order_.push_back(&form);
  if (Control* drop = [&]() -> Control* {
        for (auto& c : form.controls())
          if (c->type == ControlType::DropTarget) return c.get();
        return nullptr;
      }())
    RegisterDropTarget(h->hwnd(), form, *drop);
  if (form.onCreated) form.onCreated();
  h->FlushPending();
  ShowWindow(h->hwnd(), SW_SHOW);
  UpdateWindow(h->hwnd());
}

void Win32Shell::OpenModal(Form& dialog, Form& owner) {
  WindowHost* ownerHost = HostOf(owner);
  HWND ownerHwnd = ownerHost ? ownerHost->hwnd() : nullptr;
  hosts_[&dialog] = std::make_unique<WindowHost>(*this, dialog, ownerHwnd);
  order_.push_back(&dialog);
  if (ownerHwnd) EnableWindow(ownerHwnd, FALSE);
}

void Win32Shell::ModalLoop(Form& dialog) {
  WindowHost* h = HostOf(dialog);
  h->FlushPending();
  ShowWindow(h->hwnd(), SW_SHOW);
  // The first control of the focus order takes the focus.
  auto order = dialog.FocusOrder();
  for (Control* c : order)
    if (c->enabled && c->visible) {
      if (HWND ch = h->HwndOf(*c)) SetFocus(ch);
      break;
    }
  MSG msg;
  while (!dialog.closing()) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!IsDialogMessageW(h->hwnd(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void Win32Shell::CloseModal(Form& dialog, Form& owner) {
  WindowHost* ownerHost = HostOf(owner);
  HWND ownerHwnd = ownerHost ? ownerHost->hwnd() : nullptr;
  if (ownerHwnd) EnableWindow(ownerHwnd, TRUE);
  order_.erase(std::remove(order_.begin(), order_.end(), &dialog), order_.end());
  hosts_.erase(&dialog);
  if (ownerHwnd) SetActiveWindow(ownerHwnd);
}

void Win32Shell::Destroy(Form& form) {
  auto it = hosts_.find(&form);
  if (it == hosts_.end()) return;
  bool isMain = form.desc().kind == FormKind::MainWindow;
  if (form.onDestroying) form.onDestroying();
  if (isMain) RevokeDragDrop(it->second->hwnd());
  order_.erase(std::remove(order_.begin(), order_.end(), &form), order_.end());
  hosts_.erase(it);
  if (isMain && quitWhenMainDestroyed) PostQuitMessage(0);
}

void Win32Shell::Flush(Form& form) {
  WindowHost* h = HostOf(form);
  if (!h) return;
  h->FlushPending();
  // A long operation shows its progress without returning to the loop.
  UpdateWindow(h->hwnd());
  for (auto& c : form.controls())
    if (c->type == ControlType::StatusBar)
      if (HWND s = h->HwndOf(*c)) UpdateWindow(s);
}

int Win32Shell::RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    Form* main = order_.empty() ? nullptr : order_.front();
    WindowHost* host = main ? HostOf(*main) : nullptr;
    if (host && host->accelerators() && TranslateAcceleratorW(host->hwnd(), host->accelerators(), &msg))
      continue;
    if (host && IsDialogMessageW(host->hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace tavik::ui
