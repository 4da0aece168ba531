// One small wrapper per kind of Win32 control: the messages the program,
// the driver and the tests send, each a one-line method, so that a message
// and its casts are written once. A wrapper holds only the window handle.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/wide.h"

namespace tavik::ui::win {

using tavik::win::Narrow;
using tavik::win::Wide;

class Window {
 public:
  explicit Window(HWND h = nullptr) : h_(h) {}
  HWND hwnd() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  bool IsEnabled() const { return IsWindowEnabled(h_) != FALSE; }
  bool IsVisible() const { return IsWindowVisible(h_) != FALSE; }
  void SetFont(HFONT font, bool redraw) { Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
  HFONT Font() const { return reinterpret_cast<HFONT>(Send(WM_GETFONT)); }
  std::string Text() const {
    std::wstring w(static_cast<size_t>(GetWindowTextLengthW(h_)) + 1, L'\0');
    w.resize(static_cast<size_t>(std::max(GetWindowTextW(h_, w.data(), static_cast<int>(w.size())), 0)));
    return Narrow(w);
  }
  void SetText(const std::string& text) { SetWindowTextW(h_, Wide(text).c_str()); }
  // Tells the parent as the control itself would.
  void NotifyParent(WORD code) const {
    SendMessageW(GetParent(h_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(h_), code), reinterpret_cast<LPARAM>(h_));
  }
  // Tells the parent as a common control would, with a bare header.
  LRESULT Notify(UINT code) const {
    NMHDR nm{h_, static_cast<UINT_PTR>(GetDlgCtrlID(h_)), code};
    return SendMessageW(GetParent(h_), WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
  }
  void PrintClient(HDC dc, DWORD parts) const { Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), parts); }
  LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageW(h_, msg, wp, lp); }

 protected:
  HWND h_;
};

class Button : public Window {
 public:
  using Window::Window;
  bool Checked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
  void SetChecked(bool on) { Send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED); }
  void Click() { Send(BM_CLICK); }
};

class Edit : public Window {
 public:
  using Window::Window;
  LRESULT Limit() const { return Send(EM_GETLIMITTEXT); }
  void SetLimit(LRESULT chars) { Send(EM_LIMITTEXT, static_cast<WPARAM>(chars)); }
  void SelectAll() { Send(EM_SETSEL, 0, -1); }
  void ReplaceSelection(const std::string& text) {
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
  }
};

class UpDown : public Window {
 public:
  using Window::Window;
  void SetBuddy(HWND buddy) { Send(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy)); }
  void SetRange(int low, int high) { Send(UDM_SETRANGE32, low, high); }
};

class ComboBox : public Window {
 public:
  using Window::Window;
  void Clear() { Send(CB_RESETCONTENT); }
  int Add(const std::string& text) {
    return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(text).c_str())));
  }
  void SetData(int i, LPARAM value) { Send(CB_SETITEMDATA, i, value); }
  int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
  std::string ItemText(int i) const {
    std::wstring w(static_cast<size_t>(std::max<LRESULT>(Send(CB_GETLBTEXTLEN, i), 0)) + 1, L'\0');
    Send(CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(w.data()));
    w.resize(std::wcslen(w.c_str()));
    return Narrow(w);
  }
  int Selected() const { return static_cast<int>(Send(CB_GETCURSEL)); }
  void Select(int i) { Send(CB_SETCURSEL, i); }
  void SetItemHeight(int pixels) { Send(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), pixels); }
};

class TabControl : public Window {
 public:
  using Window::Window;
  int Selected() const { return static_cast<int>(Send(TCM_GETCURSEL)); }
  void Select(int page) { Send(TCM_SETCURSEL, page); }
  int Count() const { return static_cast<int>(Send(TCM_GETITEMCOUNT)); }
  bool Insert(int page, const std::string& text) {
    std::wstring w = Wide(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = w.data();
    return Send(TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item)) >= 0;
  }
  std::string Text(int page) const {
    wchar_t buf[256] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = 256;
    Send(TCM_GETITEMW, page, reinterpret_cast<LPARAM>(&item));
    return Narrow(buf);
  }
};

class Toolbar : public Window {
 public:
  using Window::Window;
  bool IsButtonEnabled(int command) const { return Send(TB_ISBUTTONENABLED, command) != 0; }
  void EnableButton(int command, bool on) { Send(TB_ENABLEBUTTON, command, MAKELONG(on, 0)); }
  void SetImageList(HIMAGELIST images) { Send(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)); }
  void SetButtonStructSize() { Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON)); }  // before any button
  bool AddButtons(const std::vector<TBBUTTON>& buttons) {
    return Send(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())) != 0;
  }
  // Tells the parent as a click on the button would.
  void Click(int command) const {
    SendMessageW(GetParent(h_), WM_COMMAND, command, reinterpret_cast<LPARAM>(h_));
  }
};

class StatusBar : public Window {
 public:
  using Window::Window;
  void SetText(int pane, const std::string& text) {
    Send(SB_SETTEXTW, pane, reinterpret_cast<LPARAM>(Wide(text).c_str()));
  }
  std::string Text(int pane) const {
    std::wstring w(static_cast<size_t>(LOWORD(Send(SB_GETTEXTLENGTHW, pane))) + 1, L'\0');
    Send(SB_GETTEXTW, pane, reinterpret_cast<LPARAM>(w.data()));
    w.resize(std::wcslen(w.c_str()));
    return Narrow(w);
  }
  void SetTip(int pane, const std::string& text) {
    Send(SB_SETTIPTEXTW, pane, reinterpret_cast<LPARAM>(Wide(text).c_str()));
  }
  bool SetParts(const std::vector<int>& rightEdges) {
    return Send(SB_SETPARTS, rightEdges.size(), reinterpret_cast<LPARAM>(rightEdges.data())) != 0;
  }
  void SetMinHeight(int pixels) { Send(SB_SETMINHEIGHT, pixels); }
  void FollowParent() { Send(WM_SIZE); }  // a status bar docks itself on WM_SIZE
};

class Header : public Window {
 public:
  using Window::Window;
  bool ItemRect(int i, RECT* r) const { return Header_GetItemRect(h_, i, r) != FALSE; }
};

class ListView : public Window {
 public:
  using Window::Window;
  int Count() const { return ListView_GetItemCount(h_); }
  void SetCount(int n, DWORD flags) { ListView_SetItemCountEx(h_, n, flags); }
  std::string Text(int row, int column) const {
    wchar_t buf[4096] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = 4096;
    Send(LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return Narrow(buf);
  }
  int Image(int row, int column) const {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.iImage = -1;
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) && item.iImage >= 0 ? item.iImage : -1;
  }
  int NextSelected(int after) const { return ListView_GetNextItem(h_, after, LVNI_SELECTED); }
  void Select(int row, bool on) { ListView_SetItemState(h_, row, on ? LVIS_SELECTED : 0, LVIS_SELECTED); }
  void ShowAndFocus(int row) {
    ListView_SetItemState(h_, row, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_EnsureVisible(h_, row, FALSE);
  }
  void SelectAll(bool on) { Select(-1, on); }
  int TopIndex() const { return ListView_GetTopIndex(h_); }
  int CountPerPage() const { return ListView_GetCountPerPage(h_); }
  bool RowRect(int row, RECT* r, int part = LVIR_BOUNDS) const {
    return ListView_GetItemRect(h_, row, r, part) != FALSE;
  }
  bool CellRect(int row, int column, RECT* r) const {
    return ListView_GetSubItemRect(h_, row, column, LVIR_LABEL, r) != FALSE;
  }
  HWND Header() const { return ListView_GetHeader(h_); }
  bool ColumnRect(int column, RECT* r) const { return win::Header(Header()).ItemRect(column, r); }
  // The order the columns show in, by their indexes; the user may drag them.
  bool SetColumnOrder(int n, int* order) { return ListView_SetColumnOrderArray(h_, n, order) != FALSE; }
  bool InsertColumn(int i, const char* title, int width) {
    std::wstring w = Wide(title);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    col.fmt = LVCFMT_LEFT;
    col.cx = width;
    col.pszText = w.data();
    col.iSubItem = i;
    return Send(LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&col)) >= 0;
  }
  // The header's captions, in column order of creation.
  std::vector<std::string> ColumnTitles() const {
    std::vector<std::string> titles;
    wchar_t buf[256];
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buf;
    col.cchTextMax = 256;
    for (int i = 0; Send(LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&col)); ++i)
      titles.push_back(Narrow(buf));
    return titles;
  }
  void SetExtendedStyle(DWORD style) { ListView_SetExtendedListViewStyle(h_, style); }
  void SetSmallImages(HIMAGELIST images) { ListView_SetImageList(h_, images, LVSIL_SMALL); }
  COLORREF TextColour() const { return ListView_GetTextColor(h_); }
  COLORREF TextBackColour() const { return ListView_GetTextBkColor(h_); }
  COLORREF BackColour() const { return ListView_GetBkColor(h_); }
  void SetColours(COLORREF text, COLORREF back) {
    ListView_SetBkColor(h_, back);
    ListView_SetTextColor(h_, text);
    ListView_SetTextBkColor(h_, back);
  }
};

}  // namespace tavik::ui::win
