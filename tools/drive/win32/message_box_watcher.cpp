#include "drive/win32/message_box_watcher.h"

#include <string>

#include "ui/win32/controls.h"

namespace tavik::drive {

using ui::win::Window;

namespace {

std::string ClassOf(HWND h) {
  wchar_t buf[64] = {};
  GetClassNameW(h, buf, 64);
  return ui::win::Narrow(buf);
}

BOOL CALLBACK FindBox(HWND h, LPARAM p) {
  if (IsWindowVisible(h) && ClassOf(h) == "#32770") {
    *reinterpret_cast<HWND*>(p) = h;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

// A message box of the program's thread, if one is open: recorded from its
// window and answered with the next queued answer (OK otherwise).
bool MessageBoxWatcher::AnswerOpenBox() {
  struct Found {
    HWND box = nullptr;
  } found;
  EnumThreadWindows(threadId_, &FindBox, reinterpret_cast<LPARAM>(&found));
  if (!found.box) return false;
  HWND box = found.box;
  MessageInfo info;
  info.title = Window(box).Text();
  HICON icon = nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != "Static") continue;
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
      icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    } else {
      std::string t = Window(child).Text();
      if (!t.empty()) info.text = t;
    }
  }
  auto same = [&](LPCSTR id) { return icon && icon == LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(id)); };
  if (!icon)
    info.icon = ui::MsgIcon::None;
  else if (same(reinterpret_cast<LPCSTR>(IDI_ASTERISK)))
    info.icon = ui::MsgIcon::Info;
  else if (same(reinterpret_cast<LPCSTR>(IDI_EXCLAMATION)))
    info.icon = ui::MsgIcon::Warning;
  else if (same(reinterpret_cast<LPCSTR>(IDI_HAND)))
    info.icon = ui::MsgIcon::Error;
  else
    info.icon = ui::MsgIcon::None;
  bool yesNo = GetDlgItem(box, IDYES) != nullptr;
  info.buttons = yesNo ? ui::MsgButtons::YesNo : ui::MsgButtons::Ok;
  seen_.push_back(info);
  ui::MsgAnswer answer = answers_.NextMessageAnswer();
  int id = IDOK;
  if (yesNo)
    id = answer == ui::MsgAnswer::Yes ? IDYES : IDNO;
  else if (!GetDlgItem(box, IDOK))
    id = IDCANCEL;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
  // Until the box is destroyed, not only hidden: its own loop may still
  // run between the two and must not be taken for the program's idle loop.
  for (int i = 0; i < 1000 && IsWindow(box); ++i) Sleep(5);
  return true;
}
}  // namespace tavik::drive
