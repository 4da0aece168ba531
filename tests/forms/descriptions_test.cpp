#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "tags/genres.h"
#include "forms/descriptions.h"
#include "ui/headless/headless_shell.h"

namespace tavik::ui {
namespace {

using T = ControlType;

std::vector<const FormDesc*> AllDescs() {
  return {&MainWindowDesc(), &SettingsDialogDesc(), &TagDialogDesc(), &FilterDialogDesc()};
}

TEST(Descriptions, NamesAreUniqueAndParentsComeFirst) {
  for (const FormDesc* d : AllDescs()) {
    SCOPED_TRACE(d->name);
    std::set<std::string> seen;
    for (const ControlDesc& c : d->controls) {
      EXPECT_TRUE(seen.insert(c.name).second) << "twice: " << c.name;
      if (*c.parent) {
        EXPECT_TRUE(seen.count(c.parent)) << c.name << " before its parent " << c.parent;
      }
    }
  }
}

// Parents are containers, and tab pages belong to a tab control and
// nothing else does.
TEST(Descriptions, ParentsAreContainers) {
  for (const FormDesc* d : AllDescs()) {
    Form form(*d);
    for (auto& c : form.controls()) {
      SCOPED_TRACE(std::string(d->name) + " " + c->name);
      if (c->type == T::TabPage) {
        ASSERT_NE(c->parent, nullptr);
        EXPECT_EQ(c->parent->type, T::TabControl);
      } else if (c->parent) {
        T p = c->parent->type;
        EXPECT_TRUE(p == T::TabPage || p == T::GroupBox || p == T::ShapeRect);
      }
    }
  }
}

// Every control lies inside its parent, and a form's top-level controls
// inside the client area the headless frame leaves of the outer size.
TEST(Descriptions, ControlsFitInsideTheirParents) {
  for (const FormDesc* d : AllDescs()) {
    HeadlessShell shell;
    Form form(*d);
    shell.Show(form);
    for (auto& c : form.controls()) {
      if (c->type == T::Toolbar || c->type == T::StatusBar || c->type == T::DropTarget ||
          c->type == T::FontDialog)
        continue;
      SCOPED_TRACE(std::string(d->name) + " " + c->name);
      int w = c->parent ? c->parent->rect.width : form.clientWidth;
      int h = c->parent ? c->parent->rect.height : form.clientHeight;
      EXPECT_GE(c->rect.left, 0);
      EXPECT_GE(c->rect.top, 0);
      EXPECT_GT(c->rect.width, 0);
      EXPECT_GT(c->rect.height, 0);
      EXPECT_LE(c->rect.left + c->rect.width, w);
      EXPECT_LE(c->rect.top + c->rect.height, h);
    }
  }
}

// Each group of radio buttons starts with exactly one of them checked.
TEST(Descriptions, EveryRadioGroupStartsWithOneChecked) {
  for (const FormDesc* d : AllDescs()) {
    Form form(*d);
    std::map<Control*, int> checked;
    for (auto& c : form.controls())
      if (c->type == T::Radio) checked[c->parent] += c->checked ? 1 : 0;
    for (auto& [parent, n] : checked) {
      SCOPED_TRACE(std::string(d->name) + " " + (parent ? parent->name : "form"));
      EXPECT_EQ(n, 1);
    }
  }
}

// The window's own tags (the driver's dump shows them), on the controls that carry them.
TEST(Descriptions, MainWindowTagsFindTheWiredControls) {
  Form form(MainWindowDesc());
  const char* edits[] = {"起始量编辑框",     "文件名编辑框",       "文件名位数调节编辑框", "文件名后缀编辑框",
                         "扩展名前缀编辑框", "新扩展名编辑框",     "扩展名位数调节编辑框", "扩展名后缀编辑框",
                         "增量编辑框",       "查找内容编辑框",     "替换为编辑框"};
  for (int n = 1; n <= 11; ++n) {
    Control* c = form.FindByTag(n, T::Edit);
    ASSERT_NE(c, nullptr) << n;
    EXPECT_EQ(c->name, edits[n - 1]) << n;
  }
  const char* radios[] = {"仅扩展名单选框",         "替换删除全部单选框",     "文件名全部大写单选框",
                          "文件名全部小写单选框",   "文件名首字母大写单选框", "文件名首字母小写单选框",
                          "扩展名全部大写单选框",   "扩展名全部小写单选框",   "扩展名首字母大写单选框",
                          "扩展名首字母小写单选框"};
  for (int n = 20; n <= 29; ++n) {
    Control* c = form.FindByTag(n, T::Radio);
    ASSERT_NE(c, nullptr) << n;
    EXPECT_EQ(c->name, radios[n - 20]) << n;
  }
  const char* fields[] = {"艺术家超级按钮", "歌曲名超级按钮", "专辑超级按钮",
                          "音轨超级按钮",   "年代超级按钮",   "流派超级按钮"};
  for (int n = 51; n <= 56; ++n) {
    Control* c = form.FindByTag(n, T::FlatButton);
    ASSERT_NE(c, nullptr) << n;
    EXPECT_EQ(c->name, fields[n - 51]) << n;
  }
  // Their neighbours carry none.
  EXPECT_EQ(form["文件名前缀编辑框"].tag, "");
  EXPECT_EQ(form["仅文件名单选框"].tag, "");
}

TEST(Descriptions, GenreCombosHoldTheListWithGenreNumbers) {
  Form form(TagDialogDesc());
  for (const char* name : {"流派1组合框", "流派2组合框"}) {
    SCOPED_TRACE(name);
    const Control& c = form[name];
    ASSERT_EQ(c.items.size(), static_cast<size_t>(tags::kGenreCount));
    for (int i = 0; i < tags::kGenreCount; ++i) {
      EXPECT_EQ(c.items[i].value, tags::GenreList[i]);
      EXPECT_EQ(c.items[i].text, tags::GenreNames[c.items[i].value]);
    }
    EXPECT_EQ(c.items.front().text, "A capella");
    EXPECT_EQ(c.items[3].text, "Acid");
    EXPECT_EQ(c.items.back().text, "Vocal");
    EXPECT_EQ(c.selected, -1);
    EXPECT_EQ(c.text, "");
  }
  EXPECT_EQ(form["流派1组合框"].type, T::ComboList);
  EXPECT_EQ(form["流派2组合框"].type, T::ComboEditable);
}

// A dialog's focus order names every control that takes focus, once each.
TEST(Descriptions, FocusOrdersCoverTheFocusControls) {
  for (const FormDesc* d : {&SettingsDialogDesc(), &TagDialogDesc(), &FilterDialogDesc()}) {
    SCOPED_TRACE(d->name);
    Form form(*d);
    std::multiset<std::string> ordered, focusable;
    for (const char* name : d->focusOrder) ordered.insert(name);
    for (auto& c : form.controls())
      if (c->desc->flags & kFocus) focusable.insert(c->name);
    EXPECT_EQ(ordered, focusable);
    EXPECT_EQ(form.FocusOrder().size(), d->focusOrder.size());
  }
}

TEST(Descriptions, ComboItemsCarryTheirPositionAsValue) {
  Form filter(FilterDialogDesc());
  Form main(MainWindowDesc());
  for (Control* c : {&filter["操作方式组合框"], &filter["扩展名组合框"], &main["预定义方案组合框"]}) {
    SCOPED_TRACE(c->name);
    ASSERT_FALSE(c->items.empty());
    for (size_t i = 0; i < c->items.size(); ++i) EXPECT_EQ(c->items[i].value, static_cast<int>(i));
    EXPECT_EQ(c->selected, -1);
  }
  EXPECT_EQ(filter["扩展名组合框"].items.size(), 16u);
  EXPECT_EQ(filter["扩展名组合框"].items[15].text, "ppt");
}

// Typing goes through the limits the boxes declare.
TEST(Descriptions, EditLimitsApplyToTyping) {
  Form tag(TagDialogDesc());
  tag.UserType(tag["音轨1编辑框"], "-12");
  EXPECT_EQ(tag["音轨1编辑框"].text, "-1");
  tag.UserType(tag["音轨2编辑框"], "a/b");
  EXPECT_EQ(tag["音轨2编辑框"].text, "a/");
  tag.UserType(tag["歌曲名1编辑框"], std::string(29, 'x') + "歌");
  EXPECT_EQ(tag["歌曲名1编辑框"].text, std::string(29, 'x'));
  std::string long_text(100, 'y');
  tag.UserType(tag["歌曲名2编辑框"], long_text);
  EXPECT_EQ(tag["歌曲名2编辑框"].text, long_text);
  tag.UserType(tag["MP3文件名编辑框"], "x");
  EXPECT_EQ(tag["MP3文件名编辑框"].text, "");

  Form main(MainWindowDesc());
  main.UserType(main["起始量编辑框"], "１２3456789");
  EXPECT_EQ(main["起始量编辑框"].text, "3456789");
  main.UserType(main["MP3命名规则编辑框"], std::string(60, '#'));
  EXPECT_EQ(main["MP3命名规则编辑框"].text.size(), 50u);

  Form settings(SettingsDialogDesc());
  settings.UserType(settings["预览数量编辑框"], "5");  // disabled at creation
  EXPECT_EQ(settings["预览数量编辑框"].text, "10");
}

TEST(Descriptions, MainWindowBarsAndMenus) {
  HeadlessShell shell;
  Form form(MainWindowDesc());
  shell.Show(form);
  EXPECT_EQ(form.clientWidth, 590);  // the size it was laid out for
  form.SetWindowRect({0, 0, 800, 600});  // as start-up sizes it
  EXPECT_EQ(form.clientWidth, 792);
  EXPECT_EQ(form.clientHeight, 546);
  EXPECT_EQ(form["工具条"].rect, (Rect{0, 0, 792, 28}));
  EXPECT_EQ(form["状态条"].rect, (Rect{0, 526, 792, 20}));
  EXPECT_FALSE(form["拖放对象"].visible);
  EXPECT_TRUE(form["拖放对象"].enabled);

  // Separators count in the toolbar's indices.
  std::vector<int> clicked;
  form.onToolbar = [&](int i) { clicked.push_back(i); };
  for (int i = 0; i < static_cast<int>(form.toolbar().size()); ++i) form.UserClickToolbar(i);
  EXPECT_EQ(clicked, (std::vector<int>{0, 1}));
  EXPECT_EQ(form.toolbar().size(), 7u);
  EXPECT_EQ(form.toolbar()[5].tooltip, "开始命名");

  Menu* popup = form.FindMenu("右键菜单");
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(popup->hidden);
  EXPECT_EQ(popup->items.size(), 14u);
  for (const Menu& m : form.menus()) {
    EXPECT_EQ(m.hidden, &m == popup);
    for (const MenuItem& item : m.items) EXPECT_TRUE(item.enabled) << item.caption;
  }
  ASSERT_NE(form.FindMenuItem("退出(&X)"), nullptr);
  EXPECT_EQ(form.FindMenuItem("退出(&X)")->accelerator, "Ctrl+X");

  // Tab pages keep all their state; the first is shown.
  EXPECT_EQ(form["选择夹"].selected, 0);
  form.UserChoose(form["选择夹"], 4);
  EXPECT_EQ(form["选择夹"].selected, 4);
}

}  // namespace
}  // namespace tavik::ui
