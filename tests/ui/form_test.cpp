#include <gtest/gtest.h>

#include "ui/form.h"

namespace tavik::ui {
namespace {

using T = ControlType;

ControlDesc Make(const char* name, T type, const char* parent = "", uint32_t flags = 0,
                 int maxLength = 0, const char* text = "") {
  ControlDesc d;
  d.name = name;
  d.type = type;
  d.parent = parent;
  d.flags = flags;
  d.maxLength = maxLength;
  d.text = text;
  return d;
}

ControlDesc Combo(const char* name, T type, const char* text = "") {
  ControlDesc d = Make(name, type, "", 0, 0, text);
  d.items = {{"删除", 0}, {"保留", 1}, {"txt", 2}};
  return d;
}

// A small form with one of everything the event rules care about.
const FormDesc& TestDesc() {
  static const FormDesc desc = [] {
    FormDesc f;
    f.name = "test";
    f.title = "测试";
    f.outerWidth = 400;
    f.outerHeight = 300;
    f.controls = {
        Make("edit", T::Edit),
        Make("limited", T::Edit, "", 0, 3),
        Make("numeric", T::Edit, "", kNumeric, 3),
        Make("track", T::Edit, "", kNumeric | kTrackChars, 2),
        Make("readonly", T::Edit, "", kReadOnly, 0, "固定"),
        Make("label", T::Label, "", 0, 0, "标签"),
        Combo("list", T::ComboList),
        Combo("editable", T::ComboEditable, "起始"),
        Make("check", T::CheckBox),
        Make("button", T::Button),
        Make("off", T::Button, "", kDisabled),
        Make("hidden", T::Button, "", kHidden),
        Make("box1", T::GroupBox),
        Make("a1", T::Radio, "box1", kChecked),
        Make("a2", T::Radio, "box1"),
        Make("box2", T::GroupBox),
        Make("b1", T::Radio, "box2", kChecked),
        Make("b2", T::Radio, "box2"),
        Make("tabs", T::TabControl),
        Make("p0", T::TabPage, "tabs"),
        Make("p1", T::TabPage, "tabs"),
        Make("picker", T::ColourPicker),
        Make("rows", T::ListView),
        Make("drop", T::DropTarget, "", kHidden),
        Make("bar", T::Toolbar),
        Make("status", T::StatusBar),
    };
    f.controls[0].tag = "7";
    f.controls[9].tag = "７";  // full-width digit, read as 7
    f.menus = {MenuDesc{"文件(&F)", {{"打开(&O)", "Ctrl+O"}, {nullptr}, {"退出(&X)"}}},
               MenuDesc{"右键菜单", {{"全选", "Ctrl+A"}}, true}};
    f.toolbar = {{0, "一"}, {-1, ""}, {1, "二", false}, {2, "三"}};
    f.statusPanes = {{80, "甲"}, {160, "乙"}};
    return f;
  }();
  return desc;
}

// Counts what the backend would be told.
struct Recorder : FormObserver {
  std::vector<std::pair<std::string, What>> changes;
  int rectChanges = 0, listCounts = 0, listRows = 0, listSelections = 0, menus = 0, toolbars = 0;
  void ControlChanged(Control& c, What what) override { changes.emplace_back(c.name, what); }
  void MenuChanged(Menu&, int) override { ++menus; }
  void ToolbarChanged(int) override { ++toolbars; }
  void StatusChanged(int) override {}
  void TitleChanged() override {}
  void WindowRectChanged() override { ++rectChanges; }
  void ListCountChanged(Control&) override { ++listCounts; }
  void ListRowChanged(Control&, int, int) override { ++listRows; }
  void ListSelectionChanged(Control&) override { ++listSelections; }
};

class FormTest : public ::testing::Test {
 protected:
  FormTest() : form(TestDesc()) { form.SetObserver(&rec); }
  int Count(Control& c, std::function<void()> Control::*event) {
    auto n = std::make_shared<int>(0);
    c.*event = [n] { ++*n; };
    counters.push_back(n);
    return static_cast<int>(counters.size()) - 1;
  }
  int Fired(int counter) { return *counters[counter]; }

  Form form;
  Recorder rec;
  std::vector<std::shared_ptr<int>> counters;
};

TEST_F(FormTest, BuildsControlsFromTheDescription) {
  EXPECT_EQ(form.title(), "测试");
  EXPECT_EQ(form.windowRect, (Rect{0, 0, 400, 300}));
  EXPECT_EQ(form["a1"].parent, form.Find("box1"));
  EXPECT_EQ(form["edit"].parent, nullptr);
  EXPECT_TRUE(form["a1"].checked);
  EXPECT_FALSE(form["off"].enabled);
  EXPECT_FALSE(form["hidden"].visible);
  EXPECT_EQ(form["readonly"].text, "固定");
  // A list combo has no text until an item is chosen; an editable one keeps its own.
  EXPECT_EQ(form["list"].text, "");
  EXPECT_EQ(form["editable"].text, "起始");
  EXPECT_EQ(form["editable"].selected, -1);
  EXPECT_EQ(form["tabs"].selected, 0);
  EXPECT_EQ(form.Find("无此控件"), nullptr);
  ASSERT_EQ(form.menus().size(), 2u);
  EXPECT_TRUE(form.menus()[1].hidden);
  EXPECT_EQ(form.menus()[0].items[1].caption, "");
  EXPECT_EQ(form.status()[1].rightEdge, 160);
}

TEST_F(FormTest, MissingControlIsAFaultNamingIt) {
  EXPECT_DEATH(form["nosuch"], "nosuch");
}

TEST_F(FormTest, ProgramTextRaisesChangeOnceOnlyOnEditBoxes) {
  int edit = Count(form["edit"], &Control::onChange);
  int combo = Count(form["editable"], &Control::onChange);
  int label = Count(form["label"], &Control::onChange);
  form.SetText(form["edit"], "abc");
  EXPECT_EQ(Fired(edit), 1);
  form.SetText(form["edit"], "abc");  // unchanged, still one event
  EXPECT_EQ(Fired(edit), 2);
  // The program's text is not limited as typing is.
  form.SetText(form["numeric"], "x12345");
  EXPECT_EQ(form["numeric"].text, "x12345");
  form.SetText(form["editable"], "新");
  form.SetText(form["label"], "新标签");
  EXPECT_EQ(Fired(combo), 0);
  EXPECT_EQ(Fired(label), 0);
  EXPECT_EQ(form["editable"].text, "新");
  EXPECT_EQ(form["label"].text, "新标签");
}

TEST_F(FormTest, ProgramComboSelectionIsSilentAndSetsText) {
  Control& list = form["list"];
  Control& editable = form["editable"];
  int a = Count(list, &Control::onSelChange);
  int b = Count(editable, &Control::onSelChange);
  int c = Count(editable, &Control::onChange);
  form.SetSelected(list, 1);
  EXPECT_EQ(list.text, "保留");
  form.SetSelected(list, -1);
  EXPECT_EQ(list.selected, -1);
  EXPECT_EQ(list.text, "");
  form.SetSelected(editable, 0);
  EXPECT_EQ(editable.text, "删除");
  form.SetText(editable, "自己打的");
  EXPECT_EQ(editable.selected, 0);  // setting the text selects nothing else
  form.SetSelected(editable, -1);
  EXPECT_EQ(editable.text, "自己打的");
  form.SetSelected(editable, 99);  // out of range: no selection
  EXPECT_EQ(editable.selected, -1);
  EXPECT_EQ(Fired(a) + Fired(b) + Fired(c), 0);
  // A list combo's text can only be one of its items.
  form.SetText(list, "txt");
  EXPECT_EQ(list.selected, 2);
  form.SetText(list, "不在列表");
  EXPECT_EQ(list.selected, 2);
  EXPECT_EQ(list.text, "txt");
}

TEST_F(FormTest, TypingAppliesLimitsByBytesWithoutSplittingCharacters) {
  int n = Count(form["limited"], &Control::onChange);
  form.UserType(form["limited"], "a中文");
  EXPECT_EQ(form["limited"].text, "a中");
  form.UserType(form["limited"], "中文");
  EXPECT_EQ(form["limited"].text, "中");
  EXPECT_EQ(Fired(n), 2);

  // Digits only; a full-width digit is none. A digit is never a trail byte,
  // so the "1" after the lead byte 0xB0 is one, as Windows reads it.
  form.UserType(form["numeric"], "1a２\xB0\x31" "2-345");
  EXPECT_EQ(form["numeric"].text, "112");
  form.UserType(form["track"], "-1x");
  EXPECT_EQ(form["track"].text, "-1");
  form.UserType(form["track"], "+7");
  EXPECT_EQ(form["track"].text, "7");
}

TEST_F(FormTest, TypingIsIgnoredWhereTheUserCannotType) {
  int ro = Count(form["readonly"], &Control::onChange);
  form.UserType(form["readonly"], "x");
  EXPECT_EQ(form["readonly"].text, "固定");
  EXPECT_EQ(Fired(ro), 0);

  Control& edit = form["edit"];
  int n = Count(edit, &Control::onChange);
  form.SetEnabled(edit, false);
  form.UserType(edit, "x");
  EXPECT_EQ(edit.text, "");
  form.SetEnabled(edit, true);
  form.inputBlocked = true;
  form.UserType(edit, "x");
  EXPECT_EQ(Fired(n), 0);
  form.inputBlocked = false;
  form.UserType(edit, "x");
  EXPECT_EQ(Fired(n), 1);

  // A drop-down list has no edit part.
  form.UserType(form["list"], "txt");
  EXPECT_EQ(form["list"].selected, -1);
}

TEST_F(FormTest, TypingIntoAnEditableComboDropsItsSelection) {
  Control& c = form["editable"];
  int changes = Count(c, &Control::onChange);
  int sel = Count(c, &Control::onSelChange);
  form.SetSelected(c, 1);
  form.UserType(c, "mp3");
  EXPECT_EQ(c.text, "mp3");
  EXPECT_EQ(c.selected, -1);
  EXPECT_EQ(Fired(changes), 1);
  EXPECT_EQ(Fired(sel), 0);
}

TEST_F(FormTest, RadioGroupsAreFormedByParent) {
  Control &a1 = form["a1"], &a2 = form["a2"], &b1 = form["b1"], &b2 = form["b2"];
  form.SetChecked(a2, true);
  EXPECT_FALSE(a1.checked);
  EXPECT_TRUE(a2.checked);
  EXPECT_TRUE(b1.checked);  // another box, another group
  int clicks = Count(b2, &Control::onClick);
  form.UserClick(b2);
  form.UserClick(b2);  // already checked: stays checked, still a click
  EXPECT_TRUE(b2.checked);
  EXPECT_FALSE(b1.checked);
  EXPECT_TRUE(a2.checked);
  EXPECT_EQ(Fired(clicks), 2);
  // The backend hears of the one that was cleared.
  bool toldCleared = false;
  for (auto& [name, what] : rec.changes)
    if (name == "b1" && what == FormObserver::What::Checked) toldCleared = true;
  EXPECT_TRUE(toldCleared);
}

TEST_F(FormTest, ClicksToggleCheckBoxesAndSkipInactiveControls) {
  Control& check = form["check"];
  std::vector<bool> seen;
  check.onClick = [&] { seen.push_back(check.checked); };
  form.UserClick(check);
  form.UserClick(check);
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));

  int off = Count(form["off"], &Control::onClick);
  int hidden = Count(form["hidden"], &Control::onClick);
  form.UserClick(form["off"]);
  form.UserClick(form["hidden"]);
  EXPECT_EQ(Fired(off) + Fired(hidden), 0);
  form.SetChecked(form["a1"], false);
  form.SetEnabled(form["a1"], false);
  form.UserClick(form["a1"]);
  EXPECT_FALSE(form["a1"].checked);
  // The program's setter works on a disabled control.
  form.SetChecked(form["a1"], true);
  EXPECT_TRUE(form["a1"].checked);
}

TEST_F(FormTest, ChoosingSelectsThenRaisesSelChange) {
  Control& list = form["list"];
  std::string seenText;
  list.onSelChange = [&] { seenText = list.text; };
  form.UserChoose(list, 2);
  EXPECT_EQ(seenText, "txt");
  seenText.clear();
  form.UserChoose(list, 2);  // the same item again is still a choice
  EXPECT_EQ(seenText, "txt");
  seenText.clear();
  form.UserChoose(list, 3);  // no such item
  EXPECT_EQ(seenText, "");
  EXPECT_EQ(list.selected, 2);

  Control& tabs = form["tabs"];
  int pages = Count(tabs, &Control::onSelChange);
  form.UserChoose(tabs, 1);
  EXPECT_EQ(tabs.selected, 1);
  form.UserChoose(tabs, 1);  // the shown tab: nothing happens
  form.UserChoose(tabs, 2);  // only two pages
  EXPECT_EQ(Fired(pages), 1);
  form.SetSelected(tabs, 0);
  EXPECT_EQ(Fired(pages), 1);
  EXPECT_EQ(tabs.selected, 0);
}

TEST_F(FormTest, PickingAColourRaisesItsChange) {
  Control& picker = form["picker"];
  int n = Count(picker, &Control::onSelChange);
  form.SetBackColour(picker, 0x123456);
  EXPECT_EQ(Fired(n), 0);
  form.UserPickColour(picker, 0x808080);
  EXPECT_EQ(picker.backColour, 0x808080);
  EXPECT_EQ(Fired(n), 1);
}

TEST_F(FormTest, DropsReachAnInvisibleButEnabledTarget) {
  Control& drop = form["drop"];
  std::vector<std::string> got;
  drop.onDrop = [&](const std::vector<std::string>& paths) { got = paths; };
  form.UserDrop(drop, {"C:\\a.txt"});
  EXPECT_EQ(got, (std::vector<std::string>{"C:\\a.txt"}));
  got.clear();
  form.SetEnabled(drop, false);
  form.UserDrop(drop, {"C:\\b.txt"});
  EXPECT_TRUE(got.empty());
}

TEST_F(FormTest, FindByTagReadsTheTagAsANumber) {
  EXPECT_EQ(form.FindByTag(7, T::Edit), form.Find("edit"));
  EXPECT_EQ(form.FindByTag(7, T::Button), form.Find("button"));  // "７"
  EXPECT_EQ(form.FindByTag(7, T::Radio), nullptr);
  // An empty tag reads as 0 but is no tag at all.
  EXPECT_EQ(form.FindByTag(0, T::Edit), nullptr);
  form.SetTag(form["limited"], "0");
  EXPECT_EQ(form.FindByTag(0, T::Edit), form.Find("limited"));
}

TEST_F(FormTest, MenusAndToolbarIgnoreDisabledEntries) {
  MenuItem* all = form.FindMenuItem("全选");  // in the hidden menu
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(all->accelerator, "Ctrl+A");
  EXPECT_EQ(form.FindMenuItem(""), nullptr);  // separators are not items
  int chosen = 0;
  all->onChosen = [&] { ++chosen; };
  form.UserChooseMenu(*all);
  form.SetMenuEnabled("全选", false);
  EXPECT_EQ(rec.menus, 1);
  form.UserChooseMenu(*all);
  EXPECT_EQ(chosen, 1);

  std::vector<int> clicked;
  form.onToolbar = [&](int i) { clicked.push_back(i); };
  for (int i = -1; i <= 4; ++i) form.UserClickToolbar(i);
  EXPECT_EQ(clicked, (std::vector<int>{0, 3}));
  form.SetToolbarEnabled(2, true);
  form.SetToolbarEnabled(0, false);
  clicked.clear();
  for (int i = 0; i < 4; ++i) form.UserClickToolbar(i);
  EXPECT_EQ(clicked, (std::vector<int>{2, 3}));
}

TEST_F(FormTest, ListKeepsSelectionCountAndLowestSelectedRow) {
  Control& list = form["rows"];
  EXPECT_EQ(form.CurrentSelected(list), -1);
  for (int i = 0; i < 5; ++i) {
    ListRow r;
    r.cells[0] = "f" + std::to_string(i);
    form.AppendRow(list, r);
  }
  EXPECT_EQ(rec.listCounts, 5);
  form.SetRowSelected(list, 3, true);
  form.SetRowSelected(list, 1, true);
  form.SetRowSelected(list, 1, true);  // twice: still one row
  EXPECT_EQ(form.SelectedCount(list), 2);
  EXPECT_EQ(form.CurrentSelected(list), 1);
  form.DeleteRow(list, 1);
  EXPECT_EQ(form.SelectedCount(list), 1);
  EXPECT_EQ(form.CurrentSelected(list), 2);  // the old row 3
  EXPECT_EQ(form.Rows(list)[2].cells[0], "f3");
  form.SetCell(list, 2, 4, "有标签");
  form.SetCell(list, 2, 5, "越界");  // no sixth column
  form.SetImage(list, 9, 0);          // no such row
  EXPECT_EQ(rec.listRows, 1);
  form.SetAllSelected(list, true);
  EXPECT_EQ(form.SelectedCount(list), 4);
  EXPECT_EQ(form.CurrentSelected(list), 0);
  form.ClearRows(list);
  EXPECT_EQ(form.RowCount(list), 0);
  EXPECT_EQ(form.SelectedCount(list), 0);
  EXPECT_EQ(form.CurrentSelected(list), -1);
}

TEST_F(FormTest, ManyRowsAppendWithoutPerRowWork) {
  Control& list = form["rows"];
  std::vector<ListRow> batch(1000);
  batch[500].selected = true;
  form.AppendRows(list, std::move(batch));
  EXPECT_EQ(rec.listCounts, 1);
  for (int i = 0; i < 100000; ++i) form.AppendRow(list, ListRow{});
  EXPECT_EQ(form.RowCount(list), 101000);
  EXPECT_EQ(form.SelectedCount(list), 1);
  EXPECT_EQ(form.CurrentSelected(list), 500);
}

TEST_F(FormTest, ResizeRaisesSizedOnlyWhenTheSizeChanges) {
  int sized = 0;
  form.onSized = [&] { ++sized; };
  form.SetWindowRect(Rect{50, 60, 400, 300});  // moved only
  EXPECT_EQ(sized, 0);
  EXPECT_EQ(rec.rectChanges, 1);
  form.SetWindowRect(Rect{50, 60, 500, 300});
  EXPECT_EQ(sized, 1);
}

TEST_F(FormTest, BarsDockToTheClientArea) {
  // What a backend does when the window rect changes.
  struct Frame : Recorder {
    Form* f = nullptr;
    void WindowRectChanged() override {
      f->clientWidth = f->windowRect.width - 10;
      f->clientHeight = f->windowRect.height - 50;
    }
  } frame;
  frame.f = &form;
  form.SetObserver(&frame);
  form.SetWindowRect(Rect{0, 0, 610, 450});
  EXPECT_EQ(form["bar"].rect, (Rect{0, 0, 600, 28}));
  EXPECT_EQ(form["status"].rect, (Rect{0, 380, 600, 20}));
}

}  // namespace
}  // namespace tavik::ui
