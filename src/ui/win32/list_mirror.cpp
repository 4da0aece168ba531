// The list view's side of the mirror: a virtual list that reads its cells
// from the model, told of changes in batches that are applied once the
// handler that made them returns to the loop.
#include "ui/win32/window_host.h"
#include "ui/win32/controls.h"
#include "ui/win32/mark_colours.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

namespace tavik::ui {

void WindowHost::PushListColours(Control& c) {
  HWND h = HwndOf(c);
  if (!h) return;
  COLORREF back = c.backColour == kDefaultColour ? GetSysColor(COLOR_WINDOW) : ToColorRef(c.backColour);
  COLORREF fore = c.textColour == kDefaultColour ? GetSysColor(COLOR_WINDOWTEXT) : ToColorRef(c.textColour);
  win::ListView(h).SetColours(fore, back);
  InvalidateRect(h, nullptr, TRUE);
}

int WindowHost::ImageColumn() const {
  const std::vector<ColumnDesc>& columns = form_.desc().columns;
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].showsImage) return static_cast<int>(i);
  return -1;
}

void WindowHost::PostFlush() {
  if (flushPosted_) return;
  flushPosted_ = true;
  PostMessageW(hwnd_, kFlushMessage, 0, 0);
}

void WindowHost::ListCountChanged(Control& list) {
  if (std::find(dirtyCounts_.begin(), dirtyCounts_.end(), &list) == dirtyCounts_.end())
    dirtyCounts_.push_back(&list);
  PostFlush();
}

void WindowHost::ListRowChanged(Control& list, int row, int column) {
  // A tip on show would speak of the row as it was.
  if (row == tipRow_ && column == kMarkColumn && markTip_) SendMessageW(markTip_, TTM_POP, 0, 0);
  if (column < 0) column = ImageColumn();
  unsigned bit = column < 0 ? 0 : 1u << column;
  auto it =
      std::find_if(dirtyRows_.begin(), dirtyRows_.end(), [&](const DirtyRows& d) { return d.list == &list; });
  if (it == dirtyRows_.end()) {
    dirtyRows_.push_back({&list, row, row, bit});
  } else {
    it->first = std::min(it->first, row);
    it->last = std::max(it->last, row);
    it->columns |= bit;
  }
  PostFlush();
}

void WindowHost::ListRowShown(Control& list, int row) {
  shownList_ = &list;
  shownRow_ = row;
  if (!flushPosted_) {
    flushPosted_ = true;
    PostMessageW(hwnd_, kFlushMessage, 0, 0);
  }
}

void WindowHost::ListSelectionChanged(Control& list) {
  if (std::find(dirtySelections_.begin(), dirtySelections_.end(), &list) == dirtySelections_.end())
    dirtySelections_.push_back(&list);
  PostFlush();
}

// A themed scroll bar costs Wine 5 to 8 ms a draw, and a count that brings
// the bar in would draw it four times: for the count, for the resize it
// causes, and twice in the list's first paint with rows, which recomputes the
// scroll bars. So the count is set with drawing held off (DefWindowProc's
// WM_SETREDRAW only clears WS_VISIBLE; the list's own handler would redo the
// scroll bars and invalidate everything), an empty list that gains rows is
// printed once into a 1 x 1 memory DC so that paint settles its metrics
// unseen, and then the rows and the frame are drawn once. The header keeps
// its pixels.
void WindowHost::SetListCount(HWND h, int count) {
  win::ListView lv(h);
  bool visible = lv.IsVisible();
  HWND header = lv.Header();
  RECT headerBefore{};
  if (header) GetWindowRect(header, &headerBefore);
  bool wasEmpty = lv.Count() == 0;
  if (visible) DefWindowProcW(h, WM_SETREDRAW, FALSE, 0);
  lv.SetCount(count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  if (wasEmpty && count > 0) {
    HDC mem = CreateCompatibleDC(nullptr);
    lv.PrintClient(mem, PRF_CLIENT);
    DeleteDC(mem);
  }
  if (!visible) return;
  DefWindowProcW(h, WM_SETREDRAW, TRUE, 0);
  RECT whole;
  GetWindowRect(h, &whole);
  MapWindowPoints(HWND_DESKTOP, h, reinterpret_cast<POINT*>(&whole), 2);
  HRGN rgn = CreateRectRgnIndirect(&whole);
  if (header && IsWindowVisible(header)) {
    RECT hr;
    GetWindowRect(header, &hr);
    // A scroll bar that came or went changed the header's width; only its
    // right end, where the bar was or is, needs drawing again.
    if (hr.right != headerBefore.right) {
      RECT strip{0, 0, hr.right - hr.left, hr.bottom - hr.top};
      strip.left = std::max(0L, std::min(hr.right, headerBefore.right) - hr.left - 16);
      RedrawWindow(header, &strip, nullptr, RDW_INVALIDATE | RDW_ERASE);
    }
    MapWindowPoints(HWND_DESKTOP, h, reinterpret_cast<POINT*>(&hr), 2);
    HRGN hrgn = CreateRectRgnIndirect(&hr);
    CombineRgn(rgn, rgn, hrgn, RGN_DIFF);
    DeleteObject(hrgn);
  }
  RedrawWindow(h, nullptr, rgn, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_NOCHILDREN);
  DeleteObject(rgn);
}

// A virtual list reads a row's cells when it draws the row, so of the rows
// that changed only those on screen are drawn again, and of those only the
// columns that changed, in one invalidation; the other rows are read when
// they scroll in. ListView_RedrawItems over every changed row costs Wine a
// call to its server per row, even off screen: a preview of 100,000 rows
// spent 4 to 6 s there against 5 ms for computing the names (bench_e2e).
// Over the rows on screen alone it took 0.7 ms and the paint of those whole
// rows 1.8 ms; one strip of the changed column takes 0.05 ms and its paint
// 1.4 ms (Wine still draws the first column of every row in the strip, as
// full-row selection wants).
void WindowHost::RedrawListRows(HWND h, int first, int last, unsigned columns) {
  win::ListView lv(h);
  int top = lv.TopIndex();
  // The row cut off at the bottom of the page counts too.
  first = std::max(first, top);
  last = std::min(last, top + lv.CountPerPage());
  RECT strip, lastRow;
  if (first > last || !lv.RowRect(first, &strip) || !lv.RowRect(last, &lastRow)) return;
  strip.bottom = lastRow.bottom;
  // Where the columns are now: the header follows the horizontal scroll
  // and the user may have dragged columns into another order.
  if (HWND header = lv.Header()) {
    RECT span{strip.right, 0, strip.left, 0};
    for (int col = 0; col < 5; ++col) {
      RECT r;
      if (!(columns & (1u << col)) || !lv.ColumnRect(col, &r)) continue;
      MapWindowPoints(header, h, reinterpret_cast<POINT*>(&r), 2);
      span.left = std::min(span.left, r.left);
      span.right = std::max(span.right, r.right);
    }
    if (span.left < span.right) {
      strip.left = std::max(strip.left, span.left);
      strip.right = std::min(strip.right, span.right);
    }
  }
  InvalidateRect(h, &strip, TRUE);
}

void WindowHost::FlushPending() {
  flushPosted_ = false;
  ++echo_;
  for (Control* list : dirtyCounts_)
    if (HWND h = HwndOf(*list)) SetListCount(h, form_.RowCount(*list));
  for (const DirtyRows& d : dirtyRows_)
    if (HWND h = HwndOf(*d.list))
      RedrawListRows(h, d.first, std::min(d.last, form_.RowCount(*d.list) - 1), d.columns);
  for (Control* list : dirtySelections_) {
    win::ListView lv(HwndOf(*list));
    if (!lv) continue;
    auto& rows = form_.Rows(*list);
    int selected = form_.SelectedCount(*list);
    int n = static_cast<int>(rows.size());
    if (selected == n && n > 0) {
      lv.SelectAll(true);
    } else {
      lv.SelectAll(false);
      for (int r = 0; r < n && selected > 0; ++r)
        if (rows[r].selected) {
          lv.Select(r, true);
          --selected;
        }
    }
  }
  if (shownList_ && shownRow_ < form_.RowCount(*shownList_)) {
    win::ListView lv(HwndOf(*shownList_));
    // The keyboard goes on from there, as after a click on the row.
    if (lv) lv.ShowAndFocus(shownRow_);
  }
  shownList_ = nullptr;
  --echo_;
  dirtyCounts_.clear();
  dirtyRows_.clear();
  dirtySelections_.clear();
}

void WindowHost::ReadListSelection(Control& list) {
  win::ListView lv(HwndOf(list));
  int n = form_.RowCount(list);
  std::vector<char> sel(static_cast<size_t>(n), 0);
  int i = -1;
  while ((i = lv.NextSelected(i)) >= 0 && i < n) sel[i] = 1;
  auto& rows = form_.Rows(list);
  FormObserver* saved = form_.observer();
  form_.SetObserver(nullptr);  // the window already shows this selection
  for (int r = 0; r < n; ++r)
    if (rows[r].selected != (sel[r] != 0)) form_.SetRowSelected(list, r, sel[r] != 0);
  form_.SetObserver(saved);
}

// A marked row's reason shows in a tip while the pointer rests on the row.
// The tip covers the whole list and asks for its text when it is about to
// show; moving to another row takes the shown tip down, so that the next one
// is asked for anew.
void WindowHost::SetUpMarkTip(HWND list) {
  markTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             0, 0, 0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!markTip_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(list);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(markTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(markTip_, TTM_SETMAXTIPWIDTH, 0, 600);
  SetWindowSubclass(list, ListProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK WindowHost::ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
  if (msg == WM_MOUSEMOVE) {
    auto* host = reinterpret_cast<WindowHost*>(self);
    LVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    int row = ListView_HitTest(h, &hit);
    if (row != host->tipRow_) {
      host->tipRow_ = row;
      SendMessageW(host->markTip_, TTM_POP, 0, 0);
    }
  }
  return DefSubclassProc(h, msg, wp, lp);
}

LRESULT WindowHost::MarkTipText(NMHDR* nm) {
  if (nm->code != TTN_GETDISPINFOW) return 0;
  Control* list = ControlOf(reinterpret_cast<HWND>(nm->idFrom));
  tipWide_.clear();
  // An unmarked row has no tip: an empty text shows none.
  if (list && list->markTip && form_.Marked(*list, tipRow_)) tipWide_ = win::Wide(list->markTip(tipRow_));
  reinterpret_cast<NMTTDISPINFOW*>(nm)->lpszText = tipWide_.data();
  return 0;
}

namespace {

MarkColours MarkColoursCached(COLORREF back) {
  static COLORREF lastBack = CLR_NONE;
  static MarkColours last{};
  if (back != lastBack) {
    lastBack = back;
    last = MarkColoursOn(back);
  }
  return last;
}

// A warning sign at the right end of the cell, in the ink: a mark seen by
// its shape too, and on a selected row, which the list paints over.
void DrawWarningSign(HDC dc, const RECT& cell, MarkColours c) {
  const int size = std::min<int>(cell.bottom - cell.top - 2, 14);
  if (size < 6 || cell.right - cell.left < 2 * size) return;
  const int right = cell.right - 3, bottom = cell.top + (cell.bottom - cell.top + size) / 2;
  POINT corners[3] = {{right - size / 2, bottom - size}, {right - size, bottom}, {right, bottom}};
  HBRUSH brush = CreateSolidBrush(c.ink);
  HPEN pen = CreatePen(PS_SOLID, 1, c.fill);
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
  Polygon(dc, corners, 3);
  // The "!": a stroke and a dot in the fill's colour.
  const int x = right - size / 2;
  RECT stroke{x - 1, bottom - size + 5, x + 1, bottom - 4}, dot{x - 1, bottom - 3, x + 1, bottom - 1};
  HBRUSH bang = CreateSolidBrush(c.fill);
  FillRect(dc, &stroke, bang);
  FillRect(dc, &dot, bang);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(bang);
  DeleteObject(brush);
  DeleteObject(pen);
}

}  // namespace

// Custom draw only while a row is marked: the cell of kMarkColumn of a
// marked row is filled, its ink and fill chosen by contrast with the list's
// background, and carries a warning sign; every other cell is drawn as the
// list draws it.
LRESULT WindowHost::ListCustomDraw(Control& list, NMLVCUSTOMDRAW* cd) {
  switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return form_.AnyMarked(list) ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT:
      return form_.Marked(list, static_cast<int>(cd->nmcd.dwItemSpec)) ? CDRF_NOTIFYSUBITEMDRAW
                                                                       : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      win::ListView lv(cd->nmcd.hdr.hwndFrom);
      cd->clrText = lv.TextColour();
      cd->clrTextBk = lv.TextBackColour();
      if (cd->iSubItem != kMarkColumn) return CDRF_NEWFONT;
      const MarkColours c = MarkColoursCached(cd->clrTextBk);
      cd->clrText = c.ink;
      cd->clrTextBk = c.fill;
      return CDRF_NEWFONT | CDRF_NOTIFYPOSTPAINT;
    }
    case CDDS_ITEMPOSTPAINT | CDDS_SUBITEM: {
      RECT cell;
      const int row = static_cast<int>(cd->nmcd.dwItemSpec);
      if (cd->iSubItem == kMarkColumn &&
          ListView_GetSubItemRect(cd->nmcd.hdr.hwndFrom, row, kMarkColumn, LVIR_BOUNDS, &cell))
        DrawWarningSign(cd->nmcd.hdc, cell,
                        MarkColoursCached(win::ListView(cd->nmcd.hdr.hwndFrom).TextBackColour()));
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

}  // namespace tavik::ui
