#include "rename/rename_fixture.h"

namespace tavik::rename {
namespace {

using filelist::kNewName;
using filelist::kStatus;
using filelist::kTagStatus;
using V = std::vector<std::string>;

TEST_F(RenameTest, GeneralPageReadsItsScopeAndBoxes) {
  AddFiles({"a.txt", "b.txt", "README"});
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"0.txt", "1.txt", "2"}));

  Set("文件名前缀编辑框", "IMG_");
  Set("文件名位数调节编辑框", "3");
  Set("起始量编辑框", "1");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"IMG_001.txt", "IMG_002.txt", "IMG_003"}));

  // Both parts, extension boxes empty: the extension goes with its ".".
  Check("常规全部单选框");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"IMG_001", "IMG_002", "IMG_003"}));

  Check("常规扩展名单选框");
  Set("新扩展名编辑框", "bak");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"a.bak", "b.bak", "README.bak"}));
  Set("扩展名位数调节编辑框", "1");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"a.bak1", "b.bak2", "READMEbak3"}));
}

TEST_F(RenameTest, GeneralNumbersFollowStartAndStepAlsoDownwards) {
  AddFiles({"a", "b", "c", "d"});
  Set("文件名位数调节编辑框", "2");
  Set("起始量编辑框", "9");
  Set("增量编辑框", "1");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"09", "10", "11", "12"}));
  // The boxes take digits only from the keyboard, but a number read from
  // text may be negative; the fill keeps the width it started with.
  Set("文件名位数调节编辑框", "3");
  Set("起始量编辑框", "10");
  Set("增量编辑框", "-4");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"010", "06", "02", "0-2"}));
}

TEST_F(RenameTest, ReplaceInsertAndCasePagesReadTheirControls) {
  AddFiles({"Banana.avi", "ABBA.txt", "a.b.c"});
  Tab(kReplacePage);
  Set("查找内容编辑框", "a");
  Set("替换为编辑框", "b");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"Bbnbnb.avi", "bBBb.txt", "b.b.c"}));
  form.SetChecked(C("区分大小写选择框"), true);
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"Bbnbnb.avi", "ABBA.txt", "b.b.c"}));
  Check("替换删除全部单选框");
  Set("查找内容编辑框", ".");
  Set("替换为编辑框", "_");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"Banana.avi", "ABBA.txt", "a_b.c"}));
  Check("仅扩展名单选框");
  Set("查找内容编辑框", "txt");
  Set("替换为编辑框", "");
  pages.RefreshPreview();
  EXPECT_EQ(Cell(1, kNewName), "ABBA");

  Tab(kInsertPage);
  Set("插入到文件名的字符编辑框", "X");
  Set("插入文件名位置编辑框", "3");
  Set("插入到扩展名的字符编辑框", "Y");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"BaXnana.Yavi", "ABXBA.Ytxt", "a.Xb.Yc"}));
  Check("插入文件名尾单选框");
  Check("插入扩展名尾单选框");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"BananaX.aviY", "ABBAX.txtY", "a.bX.cY"}));
  Set("插入扩展名位置编辑框", "");
  Check("插入扩展名位置单选框");
  pages.RefreshPreview();
  EXPECT_EQ(Cell(0, kNewName), "BananaXY.avi");  // an empty position goes before the "."

  Tab(kCasePage);  // the start-up choices: all upper in both groups
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"BANANA.AVI", "ABBA.TXT", "A.B.C"}));
  Check("文件名首字母小写单选框");
  Check("扩展名首字母大写单选框");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"banana.Avi", "aBBA.Txt", "a.b.C"}));
}

TEST_F(RenameTest, CaseOnDoubleByteNamesKeepsTheirCharacters) {
  // 豠 is 0xD8 0x61: its second byte is the value of "a".
  AddFiles({"abc中文d.txt", "豠x.txt"});
  Tab(kCasePage);
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"ABC中文D.TXT", "豠X.TXT"}));
  Check("文件名首字母大写单选框");
  pages.RefreshPreview();
  EXPECT_EQ(Cell(1, kNewName), "豠X.TXT");
}

TEST_F(RenameTest, PreviewCountBoundsAutomaticRefreshesOnly) {
  std::vector<std::string> names;
  for (int i = 0; i < 10; ++i) names.push_back("f" + std::to_string(i) + ".txt");
  AddFiles(names);
  settings.previewAll = 0;
  settings.previewCount = 3;
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"0.txt", "1.txt", "2.txt", "", "", "", "", "", "", ""}));
  pages.RefreshPreview(PreviewRows::All);
  EXPECT_EQ(Cell(9, kNewName), "9.txt");
  // A smaller count empties what lies below it.
  Set("文件名前缀编辑框", "p");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"p0.txt", "p1.txt", "p2.txt", "", "", "", "", "", "", ""}));
  settings.previewCount = 0;
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), V(10, ""));
  pages.RefreshPreview(PreviewRows::All);
  settings.previewCount = -5;  // a hand-edited config.ini
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), V(10, ""));
  settings.previewCount = 1000;
  pages.RefreshPreview();
  EXPECT_EQ(Cell(9, kNewName), "p9.txt");
}

TEST_F(RenameTest, PreviewOffShowsNothingButTheRenameStillComputes) {
  AddFiles({"a.txt", "b.txt"});
  settings.autoPreview = 0;
  pages.RefreshPreview();
  pages.RefreshPreview(PreviewRows::All);
  EXPECT_EQ(Column(kNewName), (V{"", ""}));
  EXPECT_EQ(mover.RenameAll(), 2);
  EXPECT_TRUE(Exists("0.txt"));
  EXPECT_TRUE(Exists("1.txt"));
}

TEST_F(RenameTest, EmptyListLeavesEverythingAlone) {
  pages.RefreshPreview(PreviewRows::All);
  pages.ComputeNewNames(5);
  EXPECT_EQ(form.RowCount(C(ui::kFileList)), 0);
  EXPECT_TRUE(list.newNames.empty());
}

TEST_F(RenameTest, FirstPreviewAfterARenameClearsEveryStatus) {
  AddFiles({"a.txt", "b.txt", "taken"});
  Make("1.txt", "in the way");
  EXPECT_EQ(mover.RenameAll(), 2);
  EXPECT_EQ(Column(kStatus), (V{"更名成功", "更名失败", "更名成功"}));
  settings.previewAll = 0;
  settings.previewCount = 1;  // the clearing covers rows past the count too
  pages.RefreshPreview();
  EXPECT_EQ(Column(kStatus), (V{"", "", ""}));
  for (int r = 0; r < 3; ++r) EXPECT_EQ(Row(r).image, -1);
}

TEST_F(RenameTest, Mp3PageTakesEveryItemWhateverTheCount) {
  AddFiles({"a.wav", "b.txt", "c.ogg"});
  Tab(kMp3Page);
  Set("MP3命名规则编辑框", "#1");
  settings.previewAll = 0;
  settings.previewCount = 1;
  pages.RefreshPreview();
  EXPECT_EQ(Column(kTagStatus), (V{"非MP3文件", "非MP3文件", "非MP3文件"}));
  list.newNames = {"x", "y", "z"};
  pages.ComputeNewNames(1);
  EXPECT_EQ(list.newNames, (V{"", "", ""}));
}

TEST_F(RenameTest, OtherPagesLeaveNamesBeyondTheCountAlone) {
  AddFiles({"a", "b", "c"});
  list.newNames = {"x", "y", "z"};
  pages.ComputeNewNames(2);
  EXPECT_EQ(list.newNames, (V{"0", "1", "z"}));
  pages.ComputeNewNames(-3);
  EXPECT_EQ(list.newNames, (V{"0", "1", "z"}));
}

}  // namespace
}  // namespace tavik::rename
