#include <gtest/gtest.h>

#include <algorithm>

#include "app/app.h"
#include "support/test_support.h"
#include "tags/id3v1.h"
#include "ui/headless/headless_shell.h"

namespace tavik::app {
namespace {

using filelist::kNewName;
using filelist::kOldName;
using filelist::kStatus;
using V = std::vector<std::string>;

class AppListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app.Start();
    app.settings.autoPreview = 1;
    app.settings.previewAll = 1;
  }

  std::string Path(const std::string& name) { return work / name; }
  // Files whose content is their name, added through the folder browser.
  void AddFolder(const std::vector<std::string>& names) {
    for (const std::string& n : names) ASSERT_TRUE(testing::WriteWholeFile(Path(n), n));
    shell.folderAnswers.push_back(work.path());
    f().UserClickToolbar(0);
  }
  ui::Form& f() { return app.main(); }
  ui::Control& C(const char* name) { return f()[name]; }
  ui::Control& List() { return f()[ui::kFileList]; }
  std::string Cell(int r, int c) { return f().Rows(List())[r].cells[c]; }
  V Column(int c) {
    V out;
    for (auto& row : f().Rows(List())) out.push_back(row.cells[c]);
    return out;
  }
  V SortedColumn(int c) {
    V out = Column(c);
    std::sort(out.begin(), out.end());
    return out;
  }
  bool MenuEnabled(const char* caption) { return f().FindMenuItem(caption)->enabled; }
  void Menu(const char* caption) { f().UserChooseMenu(*f().FindMenuItem(caption)); }
  void Key(int code, bool ctrl, bool shift = false, bool alt = false) {
    f().UserKey(List(), ui::KeyPress{code, ctrl, shift, alt});
  }
  const ui::HeadlessShell::Message& LastMessage() { return shell.messages.back(); }

  testing::TempDir home, work;
  ui::HeadlessShell shell;
  App app{shell, SystemFileSystem(), SystemProfile(), home.path()};
};

TEST_F(AppListTest, AddCommandsFromToolbarAndMenusAndTheButtonsTheyEnable) {
  for (int i : {3, 4, 5}) EXPECT_FALSE(f().toolbar()[i].enabled);
  AddFolder({"a.txt", "b.txt"});
  EXPECT_EQ(shell.folderRequests, V{"请选择一个目录"});
  EXPECT_EQ(SortedColumn(kOldName), (V{"a.txt", "b.txt"}));
  EXPECT_TRUE(f().toolbar()[4].enabled);
  EXPECT_TRUE(f().toolbar()[5].enabled);
  EXPECT_FALSE(f().toolbar()[3].enabled);
  EXPECT_EQ(f().status()[0].text, "2个文件");

  shell.openAnswers.push_back(V{Path("a.txt")});
  f().UserClickToolbar(1);
  shell.folderAnswers.push_back(work.path());
  Menu("选择目录(&D)...");
  shell.openAnswers.push_back(V{Path("b.txt")});
  Menu("添加文件(&N)...");
  EXPECT_EQ(f().RowCount(List()), 6);
  EXPECT_EQ(shell.openRequests.size(), 2u);
  EXPECT_EQ(shell.folderRequests.size(), 2u);
}

TEST_F(AppListTest, EveryToolbarCommandEmptiesTheProgressPane) {
  for (int index : {0, 1, 4}) {
    f().SetStatusText(1, "■■");
    f().SetToolbarEnabled(index, true);
    f().UserClickToolbar(index);
    EXPECT_EQ(f().status()[1].text, "") << index;
  }
}

TEST_F(AppListTest, RenameAndUndoReportTheirOutcome) {
  AddFolder({"a.txt", "b.txt"});
  f().UserClickToolbar(5);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(LastMessage().title, "Tavik批量更名器");
  EXPECT_EQ(LastMessage().text, "文件更名完毕！");
  EXPECT_EQ(LastMessage().icon, ui::MsgIcon::Info);
  EXPECT_EQ(f().status()[1].text, "");
  EXPECT_TRUE(f().toolbar()[3].enabled);
  EXPECT_TRUE(SystemFileSystem().Exists(Path("0.txt")));

  shell.messageAnswers = {ui::MsgAnswer::Yes};
  f().UserClickToolbar(3);
  ASSERT_EQ(shell.messages.size(), 3u);
  EXPECT_EQ(shell.messages[1].title, "询问：");
  EXPECT_EQ(LastMessage().text, "上一次的操作已经成功撤消！");
  EXPECT_EQ(LastMessage().icon, ui::MsgIcon::Info);
  EXPECT_FALSE(f().toolbar()[3].enabled);
  EXPECT_EQ(SortedColumn(kOldName), (V{"a.txt", "b.txt"}));
}

TEST_F(AppListTest, PartialOutcomesShowTheSummary) {
  AddFolder({"a.txt", "b.txt", "c.txt"});
  ASSERT_TRUE(testing::WriteWholeFile(Path("x1.txt"), "blocker"));
  C("文件名前缀编辑框").text = "x";  // without an event: the rule alone
  f().UserClickToolbar(5);
  EXPECT_EQ(LastMessage().text, "文件总数：3 个文件\r\n\r\n2 个文件更名成功！\r\n1 个文件更名失败！");
  EXPECT_EQ(LastMessage().icon, ui::MsgIcon::Warning);

  shell.messageAnswers = {ui::MsgAnswer::Yes};
  f().UserClickToolbar(3);
  EXPECT_EQ(LastMessage().text, "文件总数：3 个文件\r\n\r\n2 个文件撤消成功！\r\n1 个文件撤消失败！");
  EXPECT_EQ(LastMessage().icon, ui::MsgIcon::Warning);
}

TEST_F(AppListTest, DeclinedUndoShowsNothingMore) {
  AddFolder({"a.txt"});
  f().UserClickToolbar(5);
  shell.messageAnswers = {ui::MsgAnswer::No};
  f().UserClickToolbar(3);
  ASSERT_EQ(shell.messages.size(), 2u);
  EXPECT_EQ(LastMessage().text, "是否真的撤消上一次操作？");
  EXPECT_EQ(Cell(0, kStatus), "更名成功");
  EXPECT_TRUE(f().toolbar()[3].enabled);
  EXPECT_TRUE(SystemFileSystem().Exists(Path("0.txt")));
}

TEST_F(AppListTest, PreviewCommandsComputeEveryItem) {
  AddFolder({"a", "b", "c", "d"});
  app.settings.previewAll = 0;
  app.settings.previewCount = 1;
  f().UserType(C("文件名前缀编辑框"), "p");
  EXPECT_EQ(Column(kNewName), (V{"p0", "", "", ""}));
  f().UserClickToolbar(4);
  EXPECT_EQ(Column(kNewName), (V{"p0", "p1", "p2", "p3"}));
  f().UserType(C("文件名前缀编辑框"), "q");
  f().UserRightClick(List());
  Menu("预览(&V)");
  EXPECT_EQ(Column(kNewName), (V{"q0", "q1", "q2", "q3"}));
}

TEST_F(AppListTest, ListMenuEnablesWhatFitsTheListAndThePage) {
  const char* always[] = {"添加整个目录(&O)", "加入文件(&F)"};
  const char* withRows[] = {"清空列表(&E)", "全选", "过滤(&L)...", "预览(&V)"};
  f().UserRightClick(List());
  EXPECT_EQ(shell.popups, V{"右键菜单"});
  for (const char* c : always) EXPECT_TRUE(MenuEnabled(c)) << c;
  for (const char* c : withRows) EXPECT_FALSE(MenuEnabled(c)) << c;
  EXPECT_FALSE(MenuEnabled("删除选择的项目(&D)"));
  EXPECT_FALSE(MenuEnabled("MP3标签信息(&I)..."));
  EXPECT_FALSE(MenuEnabled("删除无MP3标签项目(M)"));

  AddFolder({"a.mp3"});
  f().UserRightClick(List());
  for (const char* c : withRows) EXPECT_TRUE(MenuEnabled(c)) << c;
  EXPECT_FALSE(MenuEnabled("删除无MP3标签项目(M)"));
  EXPECT_FALSE(MenuEnabled("删除选择的项目(&D)"));
  f().SetRowSelected(List(), 0, true);
  f().UserChoose(C("选择夹"), 4);
  f().UserRightClick(List());
  EXPECT_TRUE(MenuEnabled("删除无MP3标签项目(M)"));
  EXPECT_TRUE(MenuEnabled("删除选择的项目(&D)"));
  EXPECT_TRUE(MenuEnabled("MP3标签信息(&I)..."));
  // The menu bar is never disabled.
  EXPECT_TRUE(MenuEnabled("选择目录(&D)..."));
}

TEST_F(AppListTest, ListMenuItemsRunTheirCommands) {
  ASSERT_TRUE(testing::WriteWholeFile(Path("a.mp3"), tags::BuildId3v1({.title = "T", .artist = "A"}, 1)));
  ASSERT_TRUE(testing::WriteWholeFile(Path("d.mp3"), "no tag"));
  AddFolder({"b.wav", "c.txt"});
  f().UserRightClick(List());
  Menu("全选");
  EXPECT_EQ(f().SelectedCount(List()), 4);
  f().SetAllSelected(List(), false);
  V names = Column(kOldName);
  int c = static_cast<int>(std::find(names.begin(), names.end(), "c.txt") - names.begin());
  f().SetRowSelected(List(), c, true);
  f().UserRightClick(List());
  Menu("删除选择的项目(&D)");
  EXPECT_EQ(SortedColumn(kOldName), (V{"a.mp3", "b.wav", "d.mp3"}));

  // The MP3 page marks the file that is no MP3 and the one without a tag,
  // which the menu then removes.
  f().UserChoose(C("选择夹"), 4);
  f().UserType(C("MP3命名规则编辑框"), "#1");
  f().UserRightClick(List());
  Menu("删除无MP3标签项目(M)");
  EXPECT_EQ(Column(kOldName), V{"a.mp3"});
  EXPECT_EQ(Cell(0, kNewName), "A.mp3");

  shell.folderAnswers.push_back(work.path());
  Menu("添加整个目录(&O)");
  shell.openAnswers.push_back(V{Path("c.txt")});
  Menu("加入文件(&F)");
  EXPECT_EQ(f().RowCount(List()), 6);
  f().UserRightClick(List());
  Menu("清空列表(&E)");
  EXPECT_EQ(f().RowCount(List()), 0);
  for (int i : {3, 4, 5}) EXPECT_FALSE(f().toolbar()[i].enabled);
}

TEST_F(AppListTest, DeleteWithAnyModifiersAndCtrlAAlone) {
  AddFolder({"a", "b", "c"});
  Key(65, true, true);  // Ctrl+Shift+A
  Key(65, true, false, true);
  Key(65, false);
  EXPECT_EQ(f().SelectedCount(List()), 0);
  Key(65, true);
  EXPECT_EQ(f().SelectedCount(List()), 3);

  f().SetAllSelected(List(), false);
  f().SetRowSelected(List(), 0, true);
  Key(46, false, true, true);
  EXPECT_EQ(f().RowCount(List()), 2);
  Key(46, false);  // nothing selected: nothing goes
  EXPECT_EQ(f().RowCount(List()), 2);
  EXPECT_EQ(f().status()[0].text, "2个文件");
}

TEST_F(AppListTest, DoubleClickAddsFilesOnlyWithoutASelection) {
  AddFolder({"song.Mp3", "song.wav"});
  f().UserDoubleClick(List());
  EXPECT_EQ(shell.openRequests.size(), 1u);
  int wav = Cell(0, kOldName) == "song.wav" ? 0 : 1;
  f().SetRowSelected(List(), wav, true);
  f().UserDoubleClick(List());
  f().SetRowSelected(List(), wav, false);
  f().SetRowSelected(List(), 1 - wav, true);
  f().UserDoubleClick(List());  // the tag dialog's business, never the file dialog
  EXPECT_EQ(shell.openRequests.size(), 1u);
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(AppListTest, DroppedPathsAreAdded) {
  ASSERT_TRUE(testing::WriteWholeFile(Path("d.txt"), "d"));
  f().UserDrop(C("拖放对象"), {Path("d.txt")});
  EXPECT_EQ(Column(kOldName), V{"d.txt"});
  EXPECT_TRUE(f().toolbar()[5].enabled);
}

TEST_F(AppListTest, PageControlsRefreshAndTheFieldButtonsKnowTheirFields) {
  AddFolder({"Song.mp3"});
  f().UserType(C("增量编辑框"), "5");
  f().UserType(C("起始量编辑框"), "7");
  EXPECT_EQ(Cell(0, kNewName), "7.mp3");
  f().UserChoose(C("选择夹"), 3);
  EXPECT_EQ(Cell(0, kNewName), "SONG.MP3");
  f().UserClick(C("扩展名全部小写单选框"));
  EXPECT_EQ(Cell(0, kNewName), "SONG.mp3");
  f().UserClick(C("文件名首字母小写单选框"));
  EXPECT_EQ(Cell(0, kNewName), "song.mp3");

  f().UserChoose(C("选择夹"), 4);
  f().UserClick(C("歌曲名超级按钮"));
  f().UserClick(C("流派超级按钮"));
  f().UserClick(C("艺术家超级按钮"));
  EXPECT_EQ(C("MP3命名规则编辑框").text, "#2-#6-#1");
  EXPECT_EQ(C("参照编辑框").text, "歌曲名-流派-艺术家");
  EXPECT_EQ(Cell(0, filelist::kTagStatus), "无标签");

  f().UserChoose(C("选择夹"), 0);
  f().UserClick(C("常规全部单选框"));
  EXPECT_TRUE(C("新扩展名编辑框").enabled);
  EXPECT_EQ(Cell(0, kNewName), "7");
  f().UserType(C("新扩展名编辑框"), "x");
  EXPECT_EQ(Cell(0, kNewName), "7.x");
}

}  // namespace
}  // namespace tavik::app
