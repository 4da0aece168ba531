#include "filelist/test_dirs.h"
#include "rename/rename_fixture.h"

namespace tavik::rename {
namespace {

using filelist::kNewName;
using filelist::kOldName;
using filelist::kStatus;
using V = std::vector<std::string>;

std::vector<int> Images(ui::Form& form) {
  std::vector<int> out;
  for (auto& row : form.Rows(form[ui::kFileList])) out.push_back(row.image);
  return out;
}

std::string Marks(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "■";
  return s;
}

TEST_F(RenameTest, RenameMovesEveryFileAndRecordsWhatItWas) {
  AddFiles({"a.txt", "b.txt", "c.txt"});
  Set("文件名前缀编辑框", "n");
  form.SetToolbarEnabled(filelist::kPreviewButton, false);
  EXPECT_EQ(mover.RenameAll(), 3);
  for (const char* name : {"n0.txt", "n1.txt", "n2.txt"}) EXPECT_TRUE(Exists(name)) << name;
  EXPECT_EQ(Content("n1.txt"), "b.txt");
  EXPECT_FALSE(Exists("a.txt"));
  EXPECT_EQ(list.oldNames, (V{"n0.txt", "n1.txt", "n2.txt"}));
  EXPECT_EQ(Column(kOldName), list.oldNames);
  EXPECT_EQ(list.undoNames, (V{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(Column(kStatus), (V{"更名成功", "更名成功", "更名成功"}));
  EXPECT_EQ(Images(form), (std::vector<int>{0, 0, 0}));
  EXPECT_TRUE(form.toolbar()[filelist::kPreviewButton].enabled);
  EXPECT_TRUE(form.toolbar()[filelist::kUndoButton].enabled);
  EXPECT_EQ(shell.waitDepth, 0);
  EXPECT_GT(shell.waitCalls, 0);
}

TEST_F(RenameTest, CollisionsChainsAndSwapsFailWithoutOverwriting) {
  // Step 0: every item wants "0.txt"; only the first gets it.
  AddFiles({"x.txt", "y.txt", "z.txt"});
  Set("增量编辑框", "0");
  EXPECT_EQ(mover.RenameAll(), 1);
  EXPECT_EQ(Content("0.txt"), "x.txt");
  EXPECT_EQ(Content("y.txt"), "y.txt");
  EXPECT_EQ(Column(kStatus), (V{"更名成功", "更名失败", "更名失败"}));
  EXPECT_EQ(Images(form), (std::vector<int>{0, 1, 1}));
  // A failed item shows the name it would have had.
  EXPECT_EQ(Cell(1, kNewName), "0.txt");
  EXPECT_EQ(list.undoNames, (V{"x.txt", "", ""}));
}

TEST_F(RenameTest, ChainAndSwapDependOnListOrder) {
  // 1 -> 2 while 2 still exists fails; 2 -> 3 works.
  AddFiles({"1", "2"});
  Set("起始量编辑框", "2");
  EXPECT_EQ(mover.RenameAll(), 1);
  EXPECT_EQ(Content("1"), "1");
  EXPECT_EQ(Content("3"), "2");
  EXPECT_FALSE(Exists("2"));

  list.ClearList();
  AddFiles({"p0", "p1"});
  // p0 -> p1 and p1 -> p0: both targets exist, both stay.
  Set("文件名前缀编辑框", "p");
  Set("起始量编辑框", "1");
  Set("增量编辑框", "-1");
  EXPECT_EQ(mover.RenameAll(), 0);
  EXPECT_EQ(Content("p0"), "p0");
  EXPECT_EQ(Content("p1"), "p1");
}

TEST_F(RenameTest, NamesThatAreNotPlainFileNamesAreRefused) {
  // The files sit one level down, so a name climbing out stays in the test.
  ASSERT_TRUE(testing::MakeDirectory(Path("in")));
  ASSERT_TRUE(testing::MakeDirectory(Path("in\\sub")));
  std::vector<std::string> names = {"x.txt", "q.txt", "a", "c.txt", "d.txt", "e.txt", "k", "s"};
  std::vector<std::string> paths;
  for (const std::string& n : names) {
    Make("in\\" + n, n);
    paths.push_back(Path("in\\" + n));
  }
  list.AddPaths(paths);
  Tab(kReplacePage);  // main names only: each find text is in one name
  // Each file gets its own replacement through a separate batch; the others
  // keep their names.
  struct Case {
    int row;
    const char* find;
    const char* replace;
  };
  for (Case c : {Case{0, "x", "sub\\y"}, Case{1, "q", "..\\q"}, Case{2, "a", ".."}, Case{2, "a", ""},
                 Case{3, "c", "c:"}, Case{4, "d", "d*"}, Case{5, "e", "e\x01"},
                 // Windows would name these "k" and "s".
                 Case{6, "k", "k."}, Case{7, "s", "s "}}) {
    Set("查找内容编辑框", c.find);
    Set("替换为编辑框", c.replace);
    mover.RenameAll();
    EXPECT_EQ(Cell(c.row, kStatus), "更名失败") << c.replace;
  }
  for (const std::string& n : names) EXPECT_EQ(Content("in\\" + n), n);
  EXPECT_FALSE(Exists("in\\sub\\y.txt"));
  EXPECT_FALSE(Exists("q.txt"));
}

// A name the listing could give only lossily (Windows: a lone surrogate)
// is marked whatever its new name, and the batch fails it as marked.
TEST_F(RenameTest, ANameNoCallReachesIsMarkedAndFails) {
  fs.unreachable = "b.txt";
  AddFiles({"a.txt", "b.txt"});
  Set("文件名前缀编辑框", "n");
  EXPECT_EQ(pages.MarkText(0), "");
  EXPECT_EQ(pages.MarkText(1), "原文件名含有系统无法处理的字符");
  EXPECT_EQ(mover.RenameAll(), 1);
  EXPECT_EQ(Column(kStatus), (V{"更名成功", "更名失败"}));
  EXPECT_TRUE(Exists("b.txt"));
}

TEST_F(RenameTest, LockedAndMissingFilesFailAndTheRestGoOn) {
  AddFiles({"a.txt", "b.txt", "c.txt"});
  ASSERT_TRUE(SystemFileSystem().Move(Path("c.txt"), Path("elsewhere")));
  {
    auto locked = SystemFileSystem().Open(Path("b.txt"), FileAccess::ReadWrite, FileShare::None,
                                          FileCreate::OpenExisting);
    ASSERT_TRUE(locked);
    EXPECT_EQ(mover.RenameAll(), 1);
  }
  EXPECT_EQ(Column(kStatus), (V{"更名成功", "更名失败", "更名失败"}));
  EXPECT_EQ(Content("b.txt"), "b.txt");
  EXPECT_EQ(Cell(1, kNewName), "1.txt");
  EXPECT_EQ(RenameSummary(3, 1), "文件总数：3 个文件\r\n\r\n1 个文件更名成功！\r\n2 个文件更名失败！");
  EXPECT_EQ(UndoSummary(5, 3), "文件总数：5 个文件\r\n\r\n3 个文件撤消成功！\r\n2 个文件撤消失败！");
}

TEST_F(RenameTest, ProgressGrowsInTwentiethsAndIsShownEachTime) {
  std::vector<std::string> names;
  for (int i = 0; i < 7; ++i) names.push_back("s" + std::to_string(i));
  AddFiles(names);
  Set("文件名前缀编辑框", "t");
  mover.RenameAll();
  EXPECT_EQ(shell.progress, (V{Marks(2), Marks(5), Marks(8), Marks(11), Marks(14), Marks(17), Marks(20)}));
  EXPECT_EQ(form.status()[1].text, Marks(20));

  shell.progress.clear();
  shell.messageAnswers.push_back(ui::MsgAnswer::Yes);
  EXPECT_TRUE(mover.UndoLastBatch().confirmed);
  EXPECT_EQ(shell.progress.size(), 7u);
  EXPECT_EQ(form.status()[1].text, "");  // the undo empties it itself
}

TEST_F(RenameTest, SixtyItemsKeepSixtyUndoEntries) {
  std::vector<std::string> names;
  for (int i = 0; i < 60; ++i) names.push_back("m" + std::to_string(i));
  AddFiles(names);
  Set("文件名前缀编辑框", "k");
  EXPECT_EQ(mover.RenameAll(), 60);
  ASSERT_EQ(list.undoNames.size(), 60u);
  EXPECT_EQ(list.undoNames[59], "m59");
  EXPECT_EQ(shell.progress.size(), 20u);  // one mark for every three items
  EXPECT_EQ(shell.progress.front(), Marks(1));
}

TEST_F(RenameTest, UndoAfterPartialFailureBringsBackWhatMoved) {
  AddFiles({"a.txt", "b.txt", "c.txt"});
  Make("1.txt", "blocker");
  EXPECT_EQ(mover.RenameAll(), 2);
  shell.messageAnswers.push_back(ui::MsgAnswer::Yes);
  UndoOutcome out = mover.UndoLastBatch();
  EXPECT_TRUE(out.confirmed);
  EXPECT_EQ(out.restored, 2);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].title, "询问：");
  EXPECT_EQ(shell.messages[0].text, "是否真的撤消上一次操作？");
  EXPECT_EQ(shell.messages[0].icon, ui::MsgIcon::Info);
  EXPECT_EQ(shell.messages[0].buttons, ui::MsgButtons::YesNo);
  EXPECT_EQ(Column(kStatus), (V{"撤消成功", "撤消失败", "撤消成功"}));
  EXPECT_EQ(Images(form), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(Column(kOldName), (V{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(list.oldNames, Column(kOldName));
  EXPECT_EQ(Content("a.txt"), "a.txt");
  EXPECT_EQ(Content("c.txt"), "c.txt");
  EXPECT_EQ(Content("1.txt"), "blocker");
  EXPECT_FALSE(form.toolbar()[filelist::kUndoButton].enabled);
  // The undo reads its table and keeps it.
  EXPECT_EQ(list.undoNames, (V{"a.txt", "", "c.txt"}));
}

TEST_F(RenameTest, DeclinedUndoChangesNothing) {
  AddFiles({"a.txt"});
  EXPECT_EQ(mover.RenameAll(), 1);
  int waits = shell.waitCalls;
  shell.messageAnswers.push_back(ui::MsgAnswer::No);
  UndoOutcome out = mover.UndoLastBatch();
  EXPECT_FALSE(out.confirmed);
  EXPECT_EQ(out.restored, 0);
  EXPECT_TRUE(Exists("0.txt"));
  EXPECT_EQ(Cell(0, kStatus), "更名成功");
  EXPECT_EQ(shell.waitCalls, waits);
  EXPECT_TRUE(form.toolbar()[filelist::kUndoButton].enabled);
}

TEST_F(RenameTest, UndoPairsNamesWithTheirItemsAfterTheListChanged) {
  AddFiles({"a", "b", "c"});
  EXPECT_EQ(mover.RenameAll(), 3);  // 0, 1, 2
  form.SetRowSelected(C(ui::kFileList), 0, true);
  list.DeleteSelected();
  AddFiles({"new"});
  shell.messageAnswers.push_back(ui::MsgAnswer::Yes);
  EXPECT_EQ(mover.UndoLastBatch().restored, 2);
  EXPECT_EQ(Column(kOldName), (V{"b", "c", "new"}));
  EXPECT_EQ(Column(kStatus), (V{"撤消成功", "撤消成功", "撤消失败"}));
  EXPECT_EQ(Content("b"), "b");
  EXPECT_EQ(Content("new"), "new");
  EXPECT_EQ(Content("0"), "a");  // left the list, stays as renamed
}

TEST_F(RenameTest, UndoNeverOverwritesAFileThatTookTheOldName) {
  AddFiles({"a", "b"});
  EXPECT_EQ(mover.RenameAll(), 2);
  Make("a", "newcomer");
  shell.messageAnswers.push_back(ui::MsgAnswer::Yes);
  EXPECT_EQ(mover.UndoLastBatch().restored, 1);
  EXPECT_EQ(Content("a"), "newcomer");
  EXPECT_EQ(Content("0"), "a");
  EXPECT_EQ(Content("b"), "b");
  EXPECT_EQ(list.oldNames, (V{"0", "b"}));
}

// Files picked after their folder was listed are known to be there,
// without a listing per file.
TEST_F(RenameTest, PickedFilesAreKnownWithoutListingTheirFolderAgain) {
  AddFiles({"a.txt"});
  pages.RefreshPreview();
  const int lists = fs.lists;
  AddFiles({"b.txt", "c.txt"});
  pages.RefreshPreview();
  EXPECT_EQ(fs.lists, lists);
  EXPECT_EQ(pages.MarkText(1) + pages.MarkText(2), "");
}

#ifdef _WIN32
// Under Wine a Linux folder can hold two spellings of one name: a row that
// keeps its name is not marked, one that takes another spelling is.
TEST_F(RenameTest, SecondSpellingMarksOnlyRowsThatChangeTheirName) {
  AddFiles({"a.txt"});
  if (!testing::MakeSecondSpelling(work.path(), "A.TXT")) GTEST_SKIP() << "this folder folds case";
  list.AddPaths({Path("A.TXT")});
  Tab(kReplacePage);
  Set("查找内容编辑框", "a");  // the name before the extension
  Set("替换为编辑框", "a");
  pages.RefreshPreview(PreviewRows::All);
  EXPECT_EQ(pages.MarkText(0), "");
  EXPECT_EQ(pages.MarkText(1), "同名文件已存在");
}
#endif

TEST_F(RenameTest, EmptyListRenamesAndUndoesNothing) {
  EXPECT_EQ(mover.RenameAll(), 0);
  shell.messageAnswers.push_back(ui::MsgAnswer::Yes);
  UndoOutcome out = mover.UndoLastBatch();
  EXPECT_TRUE(out.confirmed);
  EXPECT_EQ(out.restored, 0);
}

TEST_F(RenameTest, Mp3ItemsWithoutNamesFailAndStayPut) {
  AddFiles({"a.wav", "b.mp3"});  // b.mp3 holds no tag
  Tab(kMp3Page);
  Set("MP3命名规则编辑框", "#1-#2");
  EXPECT_EQ(mover.RenameAll(), 0);
  EXPECT_EQ(Column(kStatus), (V{"更名失败", "更名失败"}));
  EXPECT_EQ(Column(filelist::kTagStatus), (V{"非MP3文件", "无标签"}));
  EXPECT_TRUE(Exists("a.wav"));
  EXPECT_TRUE(Exists("b.mp3"));
}

}  // namespace
}  // namespace tavik::rename
