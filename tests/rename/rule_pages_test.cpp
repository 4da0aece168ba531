#include "rename/rename_fixture.h"

namespace tavik::rename {
namespace {

using filelist::kNewName;
using V = std::vector<std::string>;

constexpr int32_t kGrey = 0x808080;

TEST_F(RenameTest, ScopeButtonsGreyTheInactiveGroupAndRefresh) {
  AddFiles({"a.txt"});
  form.UserClick(C("常规扩展名单选框"));
  EXPECT_FALSE(C("文件名前缀编辑框").enabled);
  EXPECT_FALSE(C("文件名位数调节编辑框").enabled);
  EXPECT_TRUE(C("新扩展名编辑框").enabled);
  EXPECT_EQ(C("文件名分组框").textColour, kGrey);
  EXPECT_EQ(C("后缀1标签").textColour, kGrey);
  EXPECT_EQ(C("扩展名分组框").textColour, 0);
  EXPECT_EQ(C("扩展名位数标签").textColour, 0);
  EXPECT_EQ(Cell(0, kNewName), "a");  // extension boxes all empty: no extension

  form.UserClick(C("常规全部单选框"));
  for (const char* box : {"文件名前缀编辑框", "文件名后缀编辑框", "扩展名前缀编辑框", "扩展名后缀编辑框"})
    EXPECT_TRUE(C(box).enabled) << box;
  for (const char* label : {"文件名标签", "前缀2标签", "新扩展名标签"})
    EXPECT_EQ(C(label).textColour, 0) << label;
  EXPECT_EQ(Cell(0, kNewName), "0");

  form.UserClick(C("常规文件名单选框"));
  EXPECT_FALSE(C("扩展名前缀编辑框").enabled);
  EXPECT_EQ(C("前缀2标签").textColour, kGrey);
  EXPECT_EQ(C("前缀1标签").textColour, 0);
  EXPECT_EQ(Cell(0, kNewName), "0.txt");
}

TEST_F(RenameTest, ClearButtonEmptiesNineBoxesWithOnePreview) {
  AddFiles({"a.txt", "b.txt"});
  const char* nine[] = {"文件名前缀编辑框",     "文件名编辑框",     "文件名位数调节编辑框",
                        "文件名后缀编辑框",     "扩展名前缀编辑框", "新扩展名编辑框",
                        "扩展名位数调节编辑框", "扩展名后缀编辑框", "起始量编辑框"};
  for (const char* box : nine) Set(box, "7");
  Set("增量编辑框", "3");
  pages.RefreshPreview();
  // What automatic preview was while each box changed.
  std::vector<int32_t> seen;
  for (const char* box : nine) C(box).onChange = [&] { seen.push_back(settings.autoPreview); };
  form.UserClick(C("常规清空按钮"));
  EXPECT_EQ(seen, std::vector<int32_t>(9, 0));
  for (const char* box : nine) EXPECT_EQ(C(box).text, "") << box;
  EXPECT_EQ(C("增量编辑框").text, "3");
  EXPECT_EQ(settings.autoPreview, 1);
  // The one refresh at the end shows the cleared page: start 0, step 3.
  EXPECT_EQ(Column(kNewName), (V{"0.txt", "3.txt"}));

  settings.autoPreview = 0;
  Set("文件名前缀编辑框", "z");
  form.UserClick(C("常规清空按钮"));
  EXPECT_EQ(settings.autoPreview, 0);
  EXPECT_EQ(Column(kNewName), (V{"0.txt", "3.txt"}));
}

TEST_F(RenameTest, KeepEqualCopiesTheMainInsertTextWhileTicked) {
  AddFiles({"a.txt"});
  Tab(kInsertPage);
  ui::Control& mainText = C("插入到文件名的字符编辑框");
  ui::Control& extText = C("插入到扩展名的字符编辑框");
  form.UserType(mainText, "X");
  EXPECT_EQ(Cell(0, kNewName), "Xa.txt");
  form.UserClick(C("保持一致选择框"));
  EXPECT_EQ(extText.text, "X");
  EXPECT_FALSE(extText.enabled);
  EXPECT_EQ(C("插入扩展名标签").textColour, kGrey);
  EXPECT_EQ(Cell(0, kNewName), "Xa.Xtxt");
  form.UserType(mainText, "YZ");
  EXPECT_EQ(extText.text, "YZ");
  EXPECT_EQ(Cell(0, kNewName), "YZa.YZtxt");
  form.UserClick(C("保持一致选择框"));
  EXPECT_TRUE(extText.enabled);
  EXPECT_EQ(C("插入扩展名标签").textColour, 0);
  EXPECT_EQ(extText.text, "YZ");
  form.UserType(mainText, "Q");
  EXPECT_EQ(extText.text, "YZ");
  EXPECT_EQ(Cell(0, kNewName), "Qa.YZtxt");
}

TEST_F(RenameTest, InsertRadiosEnableTheirPositionBoxes) {
  AddFiles({"abc.txt"});
  Tab(kInsertPage);
  Set("插入到文件名的字符编辑框", "X");
  form.UserClick(C("插入文件名尾单选框"));
  EXPECT_FALSE(C("插入文件名位置编辑框").enabled);
  EXPECT_TRUE(C("插入扩展名位置编辑框").enabled);
  EXPECT_EQ(Cell(0, kNewName), "abcX.txt");
  form.UserClick(C("插入扩展名尾单选框"));
  EXPECT_FALSE(C("插入扩展名位置编辑框").enabled);
  form.UserClick(C("插入文件名位置单选框"));
  EXPECT_TRUE(C("插入文件名位置编辑框").enabled);
  EXPECT_EQ(Cell(0, kNewName), "Xabc.txt");
  form.UserClick(C("插入扩展名位置单选框"));
  EXPECT_TRUE(C("插入扩展名位置编辑框").enabled);
}

TEST_F(RenameTest, Mp3RuleIsCutAt50BytesAndShownWithFieldNames) {
  ui::Control& rule = C("MP3命名规则编辑框");
  int changes = 0;
  std::string ascii60(60, 'x');
  Set("MP3命名规则编辑框", "#12");
  EXPECT_EQ(C("参照编辑框").text, "艺术家2");
  Set("MP3命名规则编辑框", "#1-#2 #3#4#5#6 #7");
  EXPECT_EQ(C("参照编辑框").text, "艺术家-歌曲名 专辑音轨年代流派 #7");

  C("参照编辑框").onChange = [&] { ++changes; };
  Set("MP3命名规则编辑框", ascii60);
  EXPECT_EQ(rule.text, std::string(50, 'x'));
  EXPECT_EQ(C("参照编辑框").text, std::string(50, 'x'));
  EXPECT_EQ(changes, 1);
  // A character across the limit goes whole.
  Set("MP3命名规则编辑框", std::string(49, 'y') + "歌曲");
  EXPECT_EQ(rule.text, std::string(49, 'y'));
  Set("MP3命名规则编辑框", std::string(48, 'y') + "歌曲");
  EXPECT_EQ(rule.text, std::string(48, 'y') + "歌");
}

TEST_F(RenameTest, SchemesAndFieldButtonsWriteTheRule) {
  AddFiles({"a.wav"});
  Tab(kMp3Page);
  ui::Control& combo = C("预定义方案组合框");
  ui::Control& rule = C("MP3命名规则编辑框");
  form.UserChoose(combo, 2);
  EXPECT_EQ(rule.text, "#1-#3-#5-#2");
  EXPECT_EQ(combo.selected, -1);
  EXPECT_EQ(combo.text, "");
  EXPECT_EQ(C("参照编辑框").text, "艺术家-专辑-年代-歌曲名");
  EXPECT_EQ(form.focused(), &rule);
  EXPECT_EQ(Cell(0, filelist::kTagStatus), "非MP3文件");  // refreshed
  form.UserChoose(combo, 3);
  EXPECT_EQ(rule.text, "#1-#3-#5-#2-#4");

  Set("MP3命名规则编辑框", "");
  form.UserClick(C("艺术家超级按钮"));
  pages.FieldButton(C("歌曲名超级按钮"));
  EXPECT_EQ(rule.text, "#1-#2");
  pages.FieldButton(C("流派超级按钮"));
  EXPECT_EQ(rule.text, "#1-#2-#6");
  EXPECT_EQ(C("参照编辑框").text, "艺术家-歌曲名-流派");
  // Appending past the limit keeps the rule at 50 bytes.
  Set("MP3命名规则编辑框", std::string(49, 'z'));
  pages.FieldButton(C("专辑超级按钮"));
  EXPECT_EQ(rule.text, std::string(49, 'z') + "-");
}

}  // namespace
}  // namespace tavik::rename
