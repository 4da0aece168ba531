#include "filelist/file_list.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "filelist/test_dirs.h"
#include "support/test_support.h"
#include "forms/descriptions.h"
#include "ui/headless/headless_shell.h"

namespace tavik::filelist {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

class FileListTest : public ::testing::Test {
 protected:
  FileListTest()
      : list(ListContext{form, form[ui::kFileList], shell, SystemFileSystem(), settings, home.path(),
                         [this] { ++refreshes; }}) {
    DefaultSettings(settings);
    for (int i : {kUndoButton, kPreviewButton, kRenameButton}) form.SetToolbarEnabled(i, false);
  }

  std::string Dir(const std::string& name) {
    std::string d = work / name;
    EXPECT_TRUE(testing::MakeDirectory(d)) << d;
    return d;
  }
  std::string MakeFile(const std::string& path, const std::string& bytes = "x") {
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    return path;
  }
  ui::ListRow& Row(int r) { return form.Rows(form[ui::kFileList])[r]; }
  int Rows() { return form.RowCount(form[ui::kFileList]); }
  void Select(std::initializer_list<int> rows) {
    for (int r : rows) form.SetRowSelected(form[ui::kFileList], r, true);
  }
  bool Enabled(int i) { return form.toolbar()[i].enabled; }
  // The tables and the rows agree, item by item.
  void ExpectParallel() {
    ASSERT_EQ(static_cast<int>(list.oldNames.size()), Rows());
    ASSERT_EQ(list.newNames.size(), list.oldNames.size());
    ASSERT_EQ(list.undoNames.size(), list.oldNames.size());
    for (int r = 0; r < Rows(); ++r) EXPECT_EQ(Row(r).cells[kOldName], list.oldNames[r]) << r;
  }
  // Adds n items named 0.txt ... through a drop, so the rows are real.
  void AddNamed(std::initializer_list<const char*> names) {
    std::string d = Dir("items");
    std::vector<std::string> paths;
    for (const char* n : names) paths.push_back(MakeFile(d + "\\" + n));
    list.AddDroppedPaths(paths);
  }

  TempDir home, work;
  ui::HeadlessShell shell;
  ui::Form form{ui::MainWindowDesc()};
  Settings settings;
  int refreshes = 0;
  FileList list;
};

TEST_F(FileListTest, AddFilesAppendsTheChosenFilesAndRemembersTheirDirectory) {
  std::string music = Dir("Music");
  shell.openAnswers.push_back(std::vector<std::string>{
      MakeFile(music + "\\a.mp3"), MakeFile(music + "\\b.mp3"), MakeFile(music + "\\c.txt")});
  list.AddFiles();

  ASSERT_EQ(shell.openRequests.size(), 1u);
  EXPECT_EQ(shell.openRequests[0].title, "请选择文件(可多选)：");
  EXPECT_EQ(
      shell.openRequests[0].filter,
      "所有文件(*.*)|*.*|音乐文件(*.mp3;wav;wma)|*.mp3;wav;wma|图片文件(*.gif;*.jpg;*.jpeg;*.bmp;*.png)|"
      "*.gif;*.jpg;*.jpeg;*.bmp;*.png|文本文件(*.txt)|*.txt");
  EXPECT_EQ(shell.openRequests[0].initialDir, "");
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(Row(0).cells[kOldName], "a.mp3");
  EXPECT_EQ(Row(2).cells[kOldName], "c.txt");
  for (int r = 0; r < 3; ++r) EXPECT_EQ(Row(r).cells[kPath], music + "\\");
  ExpectParallel();
  std::string remembered;
  ASSERT_TRUE(ReadWholeFile(home / "dir.txt", &remembered));
  EXPECT_EQ(remembered, music + "\\\r\n");
  EXPECT_EQ(refreshes, 1);
  EXPECT_TRUE(Enabled(kPreviewButton));
  EXPECT_TRUE(Enabled(kRenameButton));
  EXPECT_FALSE(Enabled(kUndoButton));
  EXPECT_EQ(form.status()[0].text, "3个文件");
  EXPECT_EQ(form.status()[2].text, "自动预览－关");
  EXPECT_GT(shell.waitCalls, 0);
  EXPECT_EQ(shell.waitDepth, 0);

  // The next dialog starts there; one file gives one row with its directory.
  std::string other = Dir("Other");
  shell.openAnswers.push_back(std::vector<std::string>{MakeFile(other + "\\d.wav")});
  list.AddFiles();
  EXPECT_EQ(shell.openRequests[1].initialDir, music + "\\");
  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(Row(3).cells[kPath], other + "\\");
  ASSERT_TRUE(ReadWholeFile(home / "dir.txt", &remembered));
  EXPECT_EQ(remembered, other + "\\\r\n");
}

TEST_F(FileListTest, CancelledDialogAddsNothingButCreatesTheEmptyDirFile) {
  list.AddFiles();
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(refreshes, 0);
  EXPECT_FALSE(Enabled(kRenameButton));
  EXPECT_EQ(shell.waitCalls, 0);
  std::string content = "?";
  ASSERT_TRUE(ReadWholeFile(home / "dir.txt", &content));
  EXPECT_EQ(content, "");
}

TEST_F(FileListTest, DirFileGivesItsFirstLineAndIsRewrittenWhole) {
  std::string d = Dir("d");
  // A longer old content must not survive behind the new line.
  ASSERT_TRUE(WriteWholeFile(home / "dir.txt", "C:\\a very long old directory\\\r\nsecond line\r\n"));
  shell.openAnswers.push_back(std::vector<std::string>{MakeFile(d + "\\x")});
  list.AddFiles();
  EXPECT_EQ(shell.openRequests[0].initialDir, "C:\\a very long old directory\\");
  std::string content;
  ASSERT_TRUE(ReadWholeFile(home / "dir.txt", &content));
  EXPECT_EQ(content, d + "\\\r\n");

  for (auto [bytes, expected] : std::vector<std::pair<std::string, std::string>>{
           {"D:\\m\\\n", "D:\\m\\"},                       // LF alone
           {std::string("D:\\n\\\0rest", 10), "D:\\n\\"},  // NUL ends it
           {"D:\\o\\\x1arest", "D:\\o\\"},                 // so does 0x1A
           {"D:\\p\\", "D:\\p\\"}}) {                      // no line end at all
    ASSERT_TRUE(WriteWholeFile(home / "dir.txt", bytes));
    list.AddFiles();  // cancelled
    EXPECT_EQ(shell.openRequests.back().initialDir, expected);
  }
}

TEST_F(FileListTest, UnwritableHomeOpensTheDialogWithoutStartAndRemembersNothing) {
  FileList away(ListContext{form, form[ui::kFileList], shell, SystemFileSystem(), settings,
                            work / "missing\\home", [] {}});
  std::string d = Dir("d");
  shell.openAnswers.push_back(std::vector<std::string>{MakeFile(d + "\\x")});
  away.AddFiles();
  EXPECT_EQ(shell.openRequests[0].initialDir, "");
  EXPECT_EQ(away.ItemCount(), 1);
  EXPECT_FALSE(SystemFileSystem().Exists(work / "missing"));
}

TEST_F(FileListTest, ChosenPathsStayWholeAndKeepTheirOwnDirectories) {
  std::string a = Dir("a"), b = Dir("b");
  shell.openAnswers.push_back(std::vector<std::string>{MakeFile(a + "\\one;two.txt"),
                                                       MakeFile(b + "\\三.txt"), MakeFile(a + "\\four")});
  list.AddFiles();
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(Row(0).cells[kOldName], "one;two.txt");
  EXPECT_EQ(Row(0).cells[kPath], a + "\\");
  EXPECT_EQ(Row(1).cells[kPath], b + "\\");
  EXPECT_EQ(Row(2).cells[kPath], a + "\\");
  ExpectParallel();
}

TEST_F(FileListTest, AddDirectoryTakesFilesOnlyInEveryCallAndCountsThemTwice) {
  std::string d = Dir("album");
  MakeFile(d + "\\1.mp3");
  MakeFile(d + "\\.hidden");
  Dir("album\\sub");
  MakeFile(d + "\\sub\\deep.mp3");
  shell.folderAnswers.push_back(d);
  list.AddChosenDirectory();
  ASSERT_EQ(shell.folderRequests, std::vector<std::string>{"请选择一个目录"});
  ASSERT_EQ(Rows(), 2);
  std::vector<std::string> names = {Row(0).cells[kOldName], Row(1).cells[kOldName]};
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".hidden", "1.mp3"}));
  EXPECT_EQ(Row(0).cells[kPath], d + "\\");
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(shell.waitDepth, 0);

  list.AddDirectory(d + "\\");  // already ending in "\": not doubled
  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(Row(3).cells[kPath], d + "\\");
  EXPECT_EQ(form.status()[0].text, "4个文件");
  ExpectParallel();
}

TEST_F(FileListTest, DirectoryEndingInATrailByteStillGetsItsBackslash) {
  // 乗 is 0x81 0x5C: its second byte is the value of "\".
  std::string d = Dir("乗");
  MakeFile(d + "\\f.txt");
  list.AddDirectory(d);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Row(0).cells[kPath], d + "\\");
  EXPECT_EQ(WithBackslash("x\\乗"), "x\\乗\\");
  EXPECT_EQ(DirectoryOf("a\\乗"), "a\\");
  EXPECT_EQ(NameOf("a\\乗"), "乗");
}

TEST_F(FileListTest, CancelledBrowserAddsNothingAndAnEmptyDirectoryStillEnables) {
  list.AddChosenDirectory();
  EXPECT_EQ(refreshes, 0);
  EXPECT_FALSE(Enabled(kRenameButton));

  list.AddDirectory(Dir("empty"));
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(refreshes, 1);
  EXPECT_TRUE(Enabled(kRenameButton));
  EXPECT_TRUE(Enabled(kPreviewButton));
  EXPECT_EQ(form.status()[0].text, "0个文件");
}

TEST_F(FileListTest, DropAddsFilesFirstThenTheDroppedFolders) {
  std::string d = Dir("drop"), folder = Dir("drop\\folder");
  MakeFile(d + "\\a.txt");
  MakeFile(d + "\\b.txt");
  MakeFile(folder + "\\inner.txt");
  list.AddDroppedPaths({folder, d + "\\a.txt", work / "gone.txt", d + "\\b.txt"});
  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(Row(0).cells[kOldName], "a.txt");
  EXPECT_EQ(Row(1).cells[kOldName], "b.txt");
  EXPECT_EQ(Row(0).cells[kPath], d + "\\");
  EXPECT_EQ(Row(2).cells[kOldName], "inner.txt");
  EXPECT_EQ(Row(2).cells[kPath], folder + "\\");
  // Once for the files, once for each leftover entry (the missing one too).
  EXPECT_EQ(refreshes, 3);
  ExpectParallel();
  EXPECT_EQ(shell.waitDepth, 0);

  // Files of two folders keep theirs.
  std::string other = Dir("other");
  list.AddDroppedPaths({MakeFile(other + "\\c.txt")});
  list.AddDroppedPaths({d + "\\a.txt", other + "\\c.txt"});
  ASSERT_EQ(Rows(), 6);
  EXPECT_EQ(Row(3).cells[kPath], other + "\\");
  EXPECT_EQ(Row(4).cells[kPath], d + "\\");
  EXPECT_EQ(Row(5).cells[kPath], other + "\\");
}

TEST_F(FileListTest, DropOfNothingThatExistsStillRefreshesAndEnables) {
  list.AddDroppedPaths({work / "nothing"});
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(Enabled(kRenameButton));
  EXPECT_EQ(form.status()[0].text, "0个文件");
}

TEST_F(FileListTest, FillRowsClearsStaleStatusesAndNewNamesBelowTheRange) {
  AddNamed({"a", "b", "c", "d", "e"});
  ui::Control& lv = form[ui::kFileList];
  for (int r = 0; r < 5; ++r) {
    list.newNames[r] = "n" + std::to_string(r);
    form.SetCell(lv, r, kStatus, "更名成功");
    form.SetImage(lv, r, 0);
  }
  list.FillRows(kNewNames, 0, 4, "");
  for (int r = 0; r < 5; ++r) {
    EXPECT_EQ(Row(r).cells[kNewName], "n" + std::to_string(r));
    EXPECT_EQ(Row(r).cells[kStatus], "");
    EXPECT_EQ(Row(r).image, -1);
  }
  // Only row 0 is looked at: a status further down survives when row 0 has none.
  form.SetCell(lv, 3, kStatus, "更名失败");
  form.SetCell(lv, 3, kNewName, "");  // a gap does not end the clearing below the range
  list.FillRows(kNewNames, 0, 0, "");
  EXPECT_EQ(Row(0).cells[kNewName], "n0");
  EXPECT_EQ(Row(1).cells[kNewName], "");
  EXPECT_EQ(Row(2).cells[kNewName], "");
  EXPECT_EQ(Row(4).cells[kNewName], "");
  EXPECT_EQ(Row(3).cells[kStatus], "更名失败");
  // An empty range clears from row 0 down.
  list.FillRows(kNewNames, 0, -1, "");
  EXPECT_EQ(Row(0).cells[kNewName], "");
}

TEST_F(FileListTest, DeleteSelectedKeepsTablesWithTheirRows) {
  AddNamed({"a", "b", "c", "d", "e"});
  for (int r = 0; r < 5; ++r) {
    list.newNames[r] = std::string("new-") + list.oldNames[r];
    list.undoNames[r] = std::string("undo-") + list.oldNames[r];
  }
  list.DeleteSelected();  // nothing selected: nothing goes
  EXPECT_EQ(Rows(), 5);
  Select({0, 2, 4});
  list.DeleteSelected();
  ASSERT_EQ(Rows(), 2);
  ExpectParallel();
  EXPECT_EQ(list.oldNames, (std::vector<std::string>{"b", "d"}));
  EXPECT_EQ(list.newNames, (std::vector<std::string>{"new-b", "new-d"}));
  EXPECT_EQ(list.undoNames, (std::vector<std::string>{"undo-b", "undo-d"}));
  EXPECT_EQ(form.SelectedCount(form[ui::kFileList]), 0);
  EXPECT_EQ(form.status()[0].text, "2个文件");
  EXPECT_TRUE(Enabled(kRenameButton));
  EXPECT_EQ(shell.waitDepth, 0);

  form.SetToolbarEnabled(kUndoButton, true);
  list.SelectAll();
  list.DeleteSelected();
  EXPECT_EQ(Rows(), 0);
  for (int i : {kUndoButton, kPreviewButton, kRenameButton}) EXPECT_FALSE(Enabled(i));
}

TEST_F(FileListTest, ClearListEmptiesEverythingAndDisablesTheButtons) {
  AddNamed({"a", "b"});
  form.SetToolbarEnabled(kUndoButton, true);
  list.ClearList();
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(list.oldNames.empty());
  EXPECT_TRUE(list.undoNames.empty());
  EXPECT_EQ(form.status()[0].text, "0个文件");
  for (int i : {kUndoButton, kPreviewButton, kRenameButton}) EXPECT_FALSE(Enabled(i));
}

TEST_F(FileListTest, DeleteUntaggedItemsRemovesExactlyTheMarkedOnes) {
  AddNamed({"a.mp3", "b.wav", "c.mp3", "d.mp3"});
  ui::Control& lv = form[ui::kFileList];
  Select({0});
  list.DeleteUntaggedItems();  // no status yet: nothing, and the selection is gone
  EXPECT_EQ(Rows(), 4);
  EXPECT_EQ(form.SelectedCount(lv), 0);
  form.SetCell(lv, 1, kTagStatus, "非MP3文件");
  form.SetCell(lv, 3, kTagStatus, "无标签");
  list.DeleteUntaggedItems();
  EXPECT_EQ(list.oldNames, (std::vector<std::string>{"a.mp3", "c.mp3"}));
  ExpectParallel();
}

TEST_F(FileListTest, RemoveItemTakesOneItemOutOfEveryTable) {
  AddNamed({"a", "b", "c"});
  list.undoNames = {"ua", "ub", "uc"};
  list.RemoveItem(1);
  list.RemoveItem(7);
  list.RemoveItem(-1);
  EXPECT_EQ(list.oldNames, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(list.undoNames, (std::vector<std::string>{"ua", "uc"}));
  ExpectParallel();
}

}  // namespace
}  // namespace tavik::filelist
