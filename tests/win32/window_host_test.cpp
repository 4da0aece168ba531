// The Win32 backend mirrors the model both ways: what the program sets shows
// in the real control, and what happens to the real control reaches the
// model as the user's action, raising each event once.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "forms/descriptions.h"
#include "ui/win32/controls.h"
#include "ui/win32/win32_shell.h"
#include "ui/win32/window_host.h"


namespace tavik::ui {
namespace {

std::string Text(HWND h) { return win::Window(h).Text(); }

class Win32Mirror : public ::testing::Test {
 protected:
  void SetUp() override {
    shell.quitWhenMainDestroyed = false;
    shell.Show(form);
    host = shell.HostOf(form);
    ASSERT_NE(host, nullptr);
  }
  void TearDown() override { shell.Destroy(form); }
  HWND H(const char* name) { return host->HwndOf(name); }
  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  Win32Shell shell;
  Form form{MainWindowDesc()};
  WindowHost* host = nullptr;
};

TEST_F(Win32Mirror, EveryVisibleControlHasARealWindow) {
  for (auto& c : form.controls()) {
    bool windowless = c->type == ControlType::TabPage || c->type == ControlType::DropTarget ||
                      c->type == ControlType::FontDialog;
    EXPECT_EQ(host->HwndOf(*c) != nullptr, !windowless) << c->name;
  }
  RECT r = host->ModelRectOf(form["起始量编辑框"]);
  EXPECT_EQ(r.left, 342);
  EXPECT_EQ(r.top, 29);
  EXPECT_EQ(r.right - r.left, 48);
  EXPECT_EQ(r.bottom - r.top, 18);
  // A combo box keeps the height of its layout, not its dropped list.
  RECT combo = host->ModelRectOf(form["预定义方案组合框"]);
  EXPECT_EQ(combo.bottom - combo.top, 22);
}

TEST_F(Win32Mirror, ProgramTextShowsAndRaisesOneChange) {
  Control& edit = form["文件名编辑框"];
  int changes = 0;
  edit.onChange = [&] { ++changes; };
  form.SetText(edit, "abc");
  EXPECT_EQ(Text(H("文件名编辑框")), "abc");
  EXPECT_EQ(changes, 1);
  form.SetText(edit, "abc");  // unchanged, still one event
  EXPECT_EQ(changes, 2);
}

TEST_F(Win32Mirror, TypingInTheRealEditReachesTheModelWithItsLimits) {
  Control& digits = form["文件名位数调节编辑框"];  // numeric, at most 3 characters
  int changes = 0;
  digits.onChange = [&] { ++changes; };
  HWND h = H("文件名位数调节编辑框");
  win::Edit(h).SelectAll();
  win::Edit(h).ReplaceSelection("12");
  EXPECT_EQ(digits.text, "12");
  EXPECT_EQ(changes, 1);
  // A program-set text bypasses the edit's own limits; the model's apply.
  SetWindowTextW(h, L"4x567");
  EXPECT_EQ(digits.text, "456");
  EXPECT_EQ(Text(h), "456");
}

TEST_F(Win32Mirror, CheckBoxesAndRadioGroupsFollowTheModel) {
  Control& box = form["区分大小写选择框"];
  int clicks = 0;
  box.onClick = [&] { ++clicks; };
  win::Button(H("区分大小写选择框")).Click();
  EXPECT_TRUE(box.checked);
  EXPECT_TRUE(win::Button(H("区分大小写选择框")).Checked());
  EXPECT_EQ(clicks, 1);
  form.SetChecked(box, false);
  EXPECT_FALSE(win::Button(H("区分大小写选择框")).Checked());
  EXPECT_EQ(clicks, 1);

  win::Button(H("替换删除全部单选框")).Click();
  EXPECT_TRUE(form["替换删除全部单选框"].checked);
  EXPECT_FALSE(form["仅文件名单选框"].checked);
  EXPECT_FALSE(win::Button(H("仅文件名单选框")).Checked());
  // Another group is not touched.
  EXPECT_TRUE(win::Button(H("文件名全部大写单选框")).Checked());
}

TEST_F(Win32Mirror, DisabledControlsIgnoreClicks) {
  Control& button = form["常规清空按钮"];
  int clicks = 0;
  button.onClick = [&] { ++clicks; };
  form.SetEnabled(button, false);
  EXPECT_FALSE(IsWindowEnabled(H("常规清空按钮")));
  win::Button(H("常规清空按钮")).Click();
  EXPECT_EQ(clicks, 0);
}

TEST_F(Win32Mirror, ComboSelectionFromTheProgramIsSilentFromTheUserNot) {
  Control& combo = form["预定义方案组合框"];
  int changes = 0;
  combo.onSelChange = [&] { ++changes; };
  HWND h = H("预定义方案组合框");
  EXPECT_EQ(win::ComboBox(h).Count(), 4);
  form.SetSelected(combo, 2);
  EXPECT_EQ(win::ComboBox(h).Selected(), 2);
  EXPECT_EQ(changes, 0);
  win::ComboBox(h).Select(1);
  win::ComboBox(h).NotifyParent(CBN_SELCHANGE);
  EXPECT_EQ(combo.selected, 1);
  EXPECT_EQ(changes, 1);
}

TEST_F(Win32Mirror, ChangingThePageShowsOnlyItsControls) {
  Control& tabs = form["选择夹"];
  int changes = 0;
  tabs.onSelChange = [&] { ++changes; };
  EXPECT_TRUE(IsWindowVisible(H("起始量编辑框")));
  EXPECT_FALSE(IsWindowVisible(H("查找内容编辑框")));
  HWND h = H("选择夹");
  win::TabControl(h).Select(1);
  win::TabControl(h).Notify(TCN_SELCHANGE);
  EXPECT_EQ(tabs.selected, 1);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(IsWindowVisible(H("起始量编辑框")));
  EXPECT_TRUE(IsWindowVisible(H("查找内容编辑框")));
}

TEST_F(Win32Mirror, TheVirtualListReadsItsRowsFromTheModel) {
  Control& list = form[ui::kFileList];
  HWND h = H(ui::kFileList);
  for (int i = 0; i < 3; ++i) {
    ListRow row;
    row.cells[0] = "文件" + std::to_string(i) + ".txt";
    row.cells[2] = "C:\\目录\\";
    form.AppendRow(list, row);
  }
  form.SetCell(list, 1, 3, "更名成功");
  form.SetImage(list, 1, 0);
  Pump();  // list updates are applied when the handler returns to the loop
  win::ListView lv(h);
  EXPECT_EQ(lv.Count(), 3);
  EXPECT_EQ(lv.Text(2, 0), "文件2.txt");
  EXPECT_EQ(lv.Text(1, 3), "更名成功");
  EXPECT_EQ(lv.Image(1, 3), 0);

  form.SetRowSelected(list, 2, true);
  Pump();
  EXPECT_EQ(lv.NextSelected(-1), 2);
  // The user's selection reaches the model.
  lv.Select(0, true);
  EXPECT_TRUE(form.Rows(list)[0].selected);
  EXPECT_EQ(form.CurrentSelected(list), 0);
  EXPECT_EQ(form.SelectedCount(list), 2);
}

// A count change is applied with the list's drawing held off; what shows
// afterwards must still be whole: the list visible, its scroll bar following
// the rows, and no row left on screen once the rows are gone.
TEST_F(Win32Mirror, ACountChangeRedrawsTheWholeList) {
  Control& list = form[ui::kFileList];
  HWND h = H(ui::kFileList);
  // A few rows first, then enough for the scroll bar.
  int made = 0;
  for (int chunk : {3, 97}) {
    std::vector<ListRow> rows(static_cast<size_t>(chunk));
    for (auto& r : rows) r.cells[0] = "歌曲" + std::to_string(made++) + ".mp3";
    form.AppendRows(list, std::move(rows));
    Pump();
  }
  UpdateWindow(GetParent(h));
  ASSERT_TRUE(IsWindowVisible(h));
  EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE;
  GetScrollInfo(h, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 99);
  EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE));

  win::ListView lv(h);
  RECT label{};
  ASSERT_TRUE(lv.RowRect(0, &label, LVIR_LABEL));
  InflateRect(&label, -2, -2);
  COLORREF back = lv.BackColour();
  auto inked = [&] {
    HDC dc = GetDC(h);
    int n = 0;
    for (int y = label.top; y < label.bottom; ++y)
      for (int x = label.left; x < label.right; ++x) n += GetPixel(dc, x, y) != back;
    ReleaseDC(h, dc);
    return n;
  };
  EXPECT_GT(inked(), 0) << "the first row's name is drawn";

  form.ClearRows(list);
  Pump();
  UpdateWindow(GetParent(h));
  ASSERT_TRUE(IsWindowVisible(h));
  EXPECT_FALSE(GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(inked(), 0) << "no stale row left on screen";
}

// A changed cell is drawn again where it shows, in the column's place after
// the user dragged it, and nothing else is: a row below the page is read when
// it scrolls in, so changing it costs no drawing.
TEST_F(Win32Mirror, AChangedCellIsDrawnAgainWhereItShowsAndNowhereElse) {
  Control& list = form[ui::kFileList];
  HWND h = H(ui::kFileList);
  std::vector<ListRow> rows(100);
  for (size_t i = 0; i < rows.size(); ++i) rows[i].cells[0] = "歌曲" + std::to_string(i) + ".mp3";
  form.AppendRows(list, std::move(rows));
  Pump();
  int order[5] = {1, 0, 2, 3, 4};  // the new names first
  win::ListView lv(h);
  ASSERT_TRUE(lv.SetColumnOrder(5, order));
  InvalidateRect(h, nullptr, TRUE);
  UpdateWindow(GetParent(h));
  ASSERT_FALSE(GetUpdateRect(h, nullptr, FALSE));
  auto dirty = [&](int row, int column) {
    RECT r;
    lv.CellRect(row, column, &r);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(h, rgn, FALSE);
    bool in = PtInRegion(rgn, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    DeleteObject(rgn);
    return in;
  };

  form.SetCell(list, 90, 1, "新名字.mp3");
  host->FlushPending();
  EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE)) << "row 90 is below the page";
  form.SetCell(list, 2, 1, "新名字.mp3");
  host->FlushPending();
  EXPECT_TRUE(dirty(2, 1));
  EXPECT_FALSE(dirty(2, 2)) << "the path column did not change";
  UpdateWindow(h);
  form.SetImage(list, 4, 0);  // shown in the status column
  host->FlushPending();
  EXPECT_TRUE(dirty(4, 3));
  UpdateWindow(h);
  EXPECT_EQ(lv.Text(2, 1), "新名字.mp3");
}

TEST_F(Win32Mirror, ToolbarStatusBarAndMenusShowTheModelsState) {
  HWND tb = H("工具条");
  EXPECT_FALSE(win::Toolbar(tb).IsButtonEnabled(WindowHost::kToolbarBase + 4));  // as created
  form.SetToolbarEnabled(4, true);
  EXPECT_TRUE(win::Toolbar(tb).IsButtonEnabled(WindowHost::kToolbarBase + 4));
  form.SetToolbarEnabled(4, false);
  EXPECT_FALSE(win::Toolbar(tb).IsButtonEnabled(WindowHost::kToolbarBase + 4));
  int clicked = -1;
  form.onToolbar = [&](int i) { clicked = i; };
  win::Toolbar(tb).Click(WindowHost::kToolbarBase + 4);
  EXPECT_EQ(clicked, -1);  // disabled
  win::Toolbar(tb).Click(WindowHost::kToolbarBase + 1);
  EXPECT_EQ(clicked, 1);

  form.SetStatusText(2, "自动预览－开");
  EXPECT_EQ(win::StatusBar(H("状态条")).Text(2), "自动预览－开");

  form.SetMenuEnabled("全选", false);
  Menu* popup = form.FindMenu("右键菜单");
  ASSERT_NE(popup, nullptr);
  HMENU m = host->MenuHandle(*popup);
  int last = GetMenuItemCount(m) - 1;
  EXPECT_TRUE(GetMenuState(m, last, MF_BYPOSITION) & MF_GRAYED);
  // The hidden menu is not in the menu bar.
  EXPECT_EQ(GetMenuItemCount(host->menuBar()), 2);
}

TEST_F(Win32Mirror, AWindowSizeSetByTheProgramRaisesOneSizeEvent) {
  int sized = 0;
  form.onSized = [&] { ++sized; };
  form.SetWindowRect({10, 20, 700, 500});
  RECT r;
  GetWindowRect(host->hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 700);
  EXPECT_EQ(r.bottom - r.top, 500);
  EXPECT_EQ(sized, 1);
  RECT client;
  GetClientRect(host->hwnd(), &client);
  EXPECT_EQ(form.clientWidth, client.right);
  // A size the user gives the window arrives as the same event.
  SetWindowPos(host->hwnd(), nullptr, 0, 0, 900, 650, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(sized, 2);
  EXPECT_EQ(form.windowRect.width, 900);
}

}  // namespace
}  // namespace tavik::ui
