#include <gtest/gtest.h>

#include "platform/platform.h"
#include "settings/settings.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

class SettingsFile : public ::testing::Test {
 protected:
  Settings Load() {
    Settings s;
    s.previewCount = 777;  // loading must overwrite every field
    LoadSettings(s, t.path(), SystemFileSystem(), SystemProfile());
    return s;
  }
  void WriteIni(const std::string& body) { ASSERT_TRUE(WriteWholeFile(t / "config.ini", body)); }
  Settings WithKey(const char* section, const char* key, const std::string& value) {
    WriteIni(std::string("[") + section + "]\r\n" + key + "=" + value + "\r\n");
    return Load();
  }
  TempDir t;
};

TEST_F(SettingsFile, MissingFileGivesTheDefaultsAndCreatesNothing) {
  Settings s = Load();
  EXPECT_EQ(s.autoPreview, 0);
  EXPECT_EQ(s.previewAll, 0);
  EXPECT_EQ(s.previewCount, 10);
  EXPECT_EQ(s.textColour, 8388608);
  EXPECT_EQ(s.backColour, 8429696);
  EXPECT_EQ(s.fontName, "宋体");
  EXPECT_EQ(s.fontSize, 10);
  EXPECT_EQ(s.bold, 0);
  EXPECT_EQ(s.italic, 0);
  EXPECT_FALSE(SystemFileSystem().Exists(t / "config.ini"));
}

TEST_F(SettingsFile, AnExistingFileWithoutKeysGivesEachKeysDefault) {
  WriteIni("[其他]\r\nx=1\r\n");
  Settings s = Load();
  Settings d;
  DefaultSettings(d);
  EXPECT_EQ(s.previewCount, d.previewCount);
  EXPECT_EQ(s.backColour, d.backColour);
  EXPECT_EQ(s.textColour, d.textColour);
  EXPECT_EQ(s.fontName, d.fontName);
  EXPECT_EQ(s.fontSize, d.fontSize);
  EXPECT_EQ(s.autoPreview, 0);
}

TEST_F(SettingsFile, OnlyTheWordOpenTurnsFlagsOn) {
  EXPECT_EQ(WithKey("预览选项", "自动预览", "开").autoPreview, 1);
  EXPECT_EQ(WithKey("预览选项", "自动预览", "on").autoPreview, 0);
  EXPECT_EQ(WithKey("预览选项", "自动预览", "1").autoPreview, 0);
  EXPECT_EQ(WithKey("预览选项", "自动预览", "关").autoPreview, 0);
  EXPECT_EQ(WithKey("预览选项", "全部预览", "开").previewAll, 1);
  EXPECT_EQ(WithKey("预览选项", "全部预览", "开 ").previewAll, 1);  // values are trimmed
}

TEST_F(SettingsFile, NumbersGoThroughTheSharedConversionWithoutRangeChecks) {
  EXPECT_EQ(WithKey("预览选项", "预览数量", "25.9").previewCount, 25);
  EXPECT_EQ(WithKey("预览选项", "预览数量", "-3").previewCount, -3);
  EXPECT_EQ(WithKey("预览选项", "预览数量", "").previewCount, 0);
  EXPECT_EQ(WithKey("预览选项", "预览数量", "abc").previewCount, 0);
  EXPECT_EQ(WithKey("预览选项", "预览数量", "１５").previewCount, 15);
  EXPECT_EQ(WithKey("颜色", "背景颜色", "255").backColour, 255);
  EXPECT_EQ(WithKey("颜色", "字体颜色", "16777215").textColour, 16777215);
  EXPECT_EQ(WithKey("字体", "字体大小", "99999").fontSize, 99999);
}

TEST_F(SettingsFile, FontNameIsTakenAsItStandsAndLongValuesAreCut) {
  EXPECT_EQ(WithKey("字体", "字体名称", "黑体").fontName, "黑体");
  EXPECT_EQ(WithKey("字体", "字体名称", "").fontName, "");
  EXPECT_EQ(WithKey("字体", "字体名称", std::string(11000, 'F')).fontName.size(), 10239u);
}

TEST_F(SettingsFile, FontStyleReadsTheOldWordsAndTheWordsItWrites) {
  struct Case {
    const char* value;
    int bold, italic;
  } cases[] = {{"加粗", 1, 0}, {"倾斜", 0, 1}, {"粗体", 1, 0}, {"斜体", 0, 1},
               {"粗斜体", 1, 1}, {"常规", 0, 0}, {"bold", 0, 0}, {"", 0, 0}};
  for (const Case& c : cases) {
    Settings s = WithKey("字体", "字体样式", c.value);
    EXPECT_EQ(s.bold, c.bold) << c.value;
    EXPECT_EQ(s.italic, c.italic) << c.value;
  }
}

TEST_F(SettingsFile, SavingWritesAllEightKeysInOrder) {
  Settings s;
  DefaultSettings(s);
  s.previewCount = -3;
  SaveSettings(s, t.path(), SystemProfile());
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(t / "config.ini", &bytes));
  EXPECT_EQ(bytes,
            "[预览选项]\r\n自动预览=关\r\n全部预览=关\r\n预览数量=-3\r\n"
            "[颜色]\r\n背景颜色=8429696\r\n字体颜色=8388608\r\n"
            "[字体]\r\n字体名称=宋体\r\n字体大小=10\r\n字体样式=常规\r\n");
}

TEST_F(SettingsFile, EveryStyleSurvivesARestart) {
  for (int bold = 0; bold <= 1; ++bold)
    for (int italic = 0; italic <= 1; ++italic) {
      Settings s;
      DefaultSettings(s);
      s.autoPreview = 1;
      s.previewAll = 1;
      s.bold = bold;
      s.italic = italic;
      s.fontName = "楷体";
      s.fontSize = 12;
      s.backColour = 123;
      s.textColour = 456;
      SaveSettings(s, t.path(), SystemProfile());
      Settings r = Load();
      EXPECT_EQ(r.bold, bold);
      EXPECT_EQ(r.italic, italic);
      EXPECT_EQ(r.autoPreview, 1);
      EXPECT_EQ(r.previewAll, 1);
      EXPECT_EQ(r.fontName, "楷体");
      EXPECT_EQ(r.fontSize, 12);
      EXPECT_EQ(r.backColour, 123);
      EXPECT_EQ(r.textColour, 456);
    }
}

TEST_F(SettingsFile, SavingKeepsOtherLinesOfTheFile) {
  WriteIni("[预览选项]\r\n自动预览=开\r\n[其他]\r\nmine=yes\r\n");
  Settings s = Load();
  SaveSettings(s, t.path(), SystemProfile());
  EXPECT_EQ(SystemProfile().Get(t / "config.ini", "其他", "mine", ""), "yes");
  EXPECT_EQ(Load().autoPreview, 1);
}

TEST_F(SettingsFile, AFailedWriteIsIgnored) {
  Settings s;
  DefaultSettings(s);
  SaveSettings(s, t.path() + "\\no\\such", SystemProfile());  // must not crash or throw
  EXPECT_FALSE(SystemFileSystem().Exists(t / "no"));
}

TEST(SettingsPath, AddsOneBackslashAndNoneAfterARoot) {
  EXPECT_EQ(ConfigPath("C:\\"), "C:\\config.ini");
  EXPECT_EQ(ConfigPath("D:\\Tools"), "D:\\Tools\\config.ini");
  EXPECT_EQ(ConfigPath("\\"), "\\config.ini");
  // A trail byte 0x5C at the end is not a separator.
  EXPECT_EQ(ConfigPath("D:\\\xD5\x5C"), "D:\\\xD5\x5C\\config.ini");
}

}  // namespace
}  // namespace tavik
