#include "tags/dialog/tag_dialog.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "forms/descriptions.h"
#include "ui/headless/headless_shell.h"

namespace tavik::tags {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

const std::string kAudio(3000, '\x55');

class TagDialogTest : public ::testing::Test {
 protected:
  // A file with the given tags around some audio bytes, then the dialog
  // loaded on it.
  void Open(const std::string& bytes) {
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    dialog = std::make_unique<TagDialog>(form, shell, SystemFileSystem(), path, state);
    dialog->Load();
  }
  std::string File() {
    std::string s;
    ReadWholeFile(path, &s);
    return s;
  }
  ui::Control& C(const char* name) { return form[name]; }

  TempDir t;
  std::string path = t / "歌曲.mp3";
  ui::HeadlessShell shell;
  ui::Form form{ui::TagDialogDesc()};
  TagDialogState state;
  std::unique_ptr<TagDialog> dialog;
};

TEST_F(TagDialogTest, AFileWithoutTagsGainsAnId3v1TagThroughTheDialog) {
  Open(kAudio);
  EXPECT_FALSE(C("ID3v1选择框").checked);
  EXPECT_FALSE(C("ID3v2选择框").checked);
  EXPECT_FALSE(C("歌曲名1编辑框").enabled);
  EXPECT_EQ(C("歌曲名1编辑框").backColour, 0xC0C0C0);
  EXPECT_FALSE(C("编码者编辑框").enabled);
  EXPECT_FALSE(C("更新按钮").enabled);
  EXPECT_EQ(C("MP3文件名编辑框").text, path);

  form.UserClick(C("ID3v1选择框"));
  EXPECT_TRUE(C("歌曲名1编辑框").enabled);
  EXPECT_EQ(C("歌曲名1编辑框").backColour, 0xFFFFFF);
  EXPECT_TRUE(C("更新按钮").enabled);
  form.UserType(C("歌曲名1编辑框"), "标题");
  form.UserClick(C("更新按钮"));
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "ID3v1标签更新成功！");
  EXPECT_EQ(shell.messages[0].title, "Tavik批量更名器");
  EXPECT_EQ(shell.messages[0].icon, ui::MsgIcon::None);
  std::string bytes = File();
  ASSERT_EQ(bytes.size(), kAudio.size() + 128);
  EXPECT_EQ(bytes.substr(kAudio.size(), 3), "TAG");
  EXPECT_EQ(bytes.substr(kAudio.size() + 3, 4), "标题");
  EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 255);  // no genre chosen
  // The dialog stays as it is: fields not re-read, Update still enabled.
  EXPECT_TRUE(C("更新按钮").enabled);
}

TEST_F(TagDialogTest, UncheckingAnId3v2TagRemovesItWithoutAMessage) {
  TagFields f;
  f.title = "T";
  Open(BuildId3v2(f) + kAudio);
  EXPECT_TRUE(C("ID3v2选择框").checked);
  EXPECT_EQ(C("歌曲名2编辑框").text, "T");
  EXPECT_FALSE(C("更新按钮").enabled);  // loading raised changes, then disabled it
  EXPECT_EQ(state.v2Changed, 1);
  form.UserClick(C("ID3v2选择框"));
  form.UserClick(C("更新按钮"));
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(File(), kAudio);
}

TEST_F(TagDialogTest, WithBothTagsOneUpdateRewritesV1AndRemovesV2) {
  TagFields f;
  f.title = "Two";
  Open(BuildId3v2(f) + kAudio + BuildId3v1({.title = "One", .artist = "A", .album = "B", .track = "3",
      .year = "1999", .comment = "c"}, 17));
  EXPECT_EQ(C("歌曲名1编辑框").text, "One");
  EXPECT_EQ(C("音轨1编辑框").text, "3");
  ASSERT_GE(C("流派1组合框").selected, 0);
  EXPECT_EQ(C("流派1组合框").items[C("流派1组合框").selected].text, "Rock");
  form.UserClick(C("ID3v2选择框"));
  form.UserClick(C("更新按钮"));
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "ID3v1标签更新成功！");
  std::string bytes = File();
  EXPECT_EQ(bytes.size(), kAudio.size() + 128);
  EXPECT_EQ(static_cast<unsigned char>(bytes.back()), 17);
}

TEST_F(TagDialogTest, GenreBytesOutsideTheTableLeaveNoSelectionAndStayUnlessPicked) {
  Open(kAudio + BuildId3v1({.title = "x"}, 200));
  EXPECT_EQ(C("流派1组合框").selected, -1);
  form.UserType(C("歌曲名1编辑框"), "y");
  form.UserClick(C("更新按钮"));
  EXPECT_EQ(static_cast<unsigned char>(File().back()), 200);
  form.UserChoose(C("流派1组合框"), 0);
  form.UserClick(C("更新按钮"));
  EXPECT_EQ(static_cast<unsigned char>(File().back()), C("流派1组合框").items[0].value);
}

TEST_F(TagDialogTest, AnId3v2UpdateWithoutAPickedGenreKeepsTheFilesGenre) {
  TagFields f;
  f.genre = "(17)";
  Open(BuildId3v2(f) + kAudio);
  EXPECT_EQ(C("流派2组合框").text, "Rock");
  EXPECT_EQ(C("流派2组合框").selected, -1);
  form.UserType(C("艺术家2编辑框"), "Me");
  form.UserClick(C("更新按钮"));
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "ID3v2标签更新成功！");
  std::string tag = File();
  EXPECT_EQ(ReadFrameText(tag, "TPE1"), "Me");
  EXPECT_EQ(ReadFrameText(tag, "TCON"), "(17)");
  // A picked genre is written as its number in brackets and its name.
  form.UserChoose(C("流派2组合框"), 0);
  form.UserClick(C("更新按钮"));
  EXPECT_EQ(ReadFrameText(File(), "TCON"), "(123)A capella");
}

TEST_F(TagDialogTest, AnId3v2UpdateKeepsTheFramesOfFieldsNotEdited) {
  using namespace std::string_literals;
  const std::string frames = "TIT2\0\0\0\x04\0\0\0Old"s + "TPE1\0\0\0\x09\0\0\x03" "Beyonc\xC3\xA9"s +
                             "COMM\0\0\0\x11\0\0\0engiTunNORM\0 44E"s + "COMM\0\0\0\x09\0\0\0eng\0real"s +
                             "TDRC\0\0\0\x0B\0\0\0" "2005-03-14"s;
  Open("ID3\x04\0\0\0\0\0"s + static_cast<char>(frames.size()) + frames + kAudio);
  EXPECT_EQ(C("艺术家2编辑框").text, "Beyoncé");
  EXPECT_EQ(C("注释2编辑框").text, "real");
  form.UserType(C("歌曲名2编辑框"), "New");
  form.UserClick(C("更新按钮"));
  const std::string tag = File().substr(0, File().size() - kAudio.size());
  EXPECT_EQ(ReadFrameText(tag, "TIT2"), "New");
  // Other readers read the artist, both comments and the year as before.
  EXPECT_NE(tag.find("TPE1\0\0\0\x11\0\0\x01\xFF\xFE" "B\0e\0y\0o\0n\0c\0\xE9\0TIT2"s), std::string::npos);
  EXPECT_NE(tag.find("COMM\0\0\0\x09\0\0\0eng\0realTCON"s), std::string::npos);
  EXPECT_NE(tag.find("COMM\0\0\0\x11\0\0\0engiTunNORM\0 44E"s), std::string::npos);
  EXPECT_NE(tag.find("TYER\0\0\0\x05\0\0\0" "2005TALB"s), std::string::npos);
  // A second edit, of the other tag, keeps this tag's bytes.
  form.UserClick(C("ID3v1选择框"));
  form.UserType(C("歌曲名1编辑框"), "v1");
  form.UserClick(C("更新按钮"));
  EXPECT_EQ(File().substr(0, tag.size()), tag);
}

TEST_F(TagDialogTest, CopyingToId3v1CutsAtThirtyBytesWithoutHalfACharacter) {
  TagFields f;
  f.title = std::string(40, 'a');
  f.artist = std::string(29, 'b') + "中";  // 31 bytes: the character does not fit
  f.track = "7";
  Open(BuildId3v2(f) + kAudio);
  form.UserClick(C("v2复制到v1按钮"));
  EXPECT_TRUE(C("ID3v1选择框").checked);
  EXPECT_EQ(C("歌曲名1编辑框").text, std::string(30, 'a'));
  EXPECT_EQ(C("艺术家1编辑框").text, std::string(29, 'b'));
  EXPECT_EQ(C("音轨1编辑框").text, "7");
  EXPECT_EQ(state.v1Changed, 1);
}

TEST_F(TagDialogTest, CopyingToId3v2CarriesTheGenrePosition) {
  Open(kAudio + BuildId3v1({.title = "t", .artist = "a", .album = "b", .year = "2001", .comment = "c"}, 0));
  form.UserClick(C("v1复制到v2按钮"));
  EXPECT_TRUE(C("ID3v2选择框").checked);
  EXPECT_EQ(C("歌曲名2编辑框").text, "t");
  EXPECT_EQ(C("年代2编辑框").text, "2001");
  EXPECT_EQ(C("流派2组合框").selected, C("流派1组合框").selected);
  EXPECT_EQ(C("流派2组合框").text, "Blues");
}

TEST_F(TagDialogTest, UpdateWithNoGroupChangedWritesNothing) {
  Open(kAudio);
  form.UserClick(C("ID3v1选择框"));
  form.UserClick(C("ID3v1选择框"));
  form.UserClick(C("更新按钮"));  // enabled by the clicks, but no group is marked
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(File(), kAudio);
}

TEST_F(TagDialogTest, AFileThatCannotBeOpenedClosesTheDialogWithAMessage) {
  dialog = std::make_unique<TagDialog>(form, shell, SystemFileSystem(), t / "missing.mp3", state);
  dialog->Load();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].title, "错误");
  EXPECT_EQ(shell.messages[0].text, "打开文件：" + t / "missing.mp3" + "失败！");
  EXPECT_EQ(shell.messages[0].icon, ui::MsgIcon::Error);
  EXPECT_TRUE(form.closing());
}

TEST_F(TagDialogTest, AFileLockedForWritingReportsEachFailure) {
  Open(kAudio + BuildId3v1({.title = "t"}, 1));
  form.UserType(C("歌曲名1编辑框"), "new");
  form.UserClick(C("ID3v2选择框"));
  form.UserType(C("歌曲名2编辑框"), "v2");
  auto holder = SystemFileSystem().Open(path, FileAccess::Read, FileShare::Read, FileCreate::OpenExisting);
  ASSERT_TRUE(holder);
  form.UserClick(C("更新按钮"));
  ASSERT_EQ(shell.messages.size(), 2u);
  EXPECT_EQ(shell.messages[0].text, "ID3v1标签更新失败！");
  EXPECT_EQ(shell.messages[1].text, "ID3v2标签更新失败！");
  EXPECT_EQ(shell.messages[1].icon, ui::MsgIcon::Error);
}

TEST_F(TagDialogTest, ChangedFlagsOutliveTheDialog) {
  Open(kAudio + BuildId3v1({.title = "t"}, 1));
  EXPECT_EQ(state.v1Changed, 1);
  EXPECT_EQ(state.v2Changed, 0);
  // Opened again on a file without tags: the flag set before still holds.
  ui::Form second(ui::TagDialogDesc());
  ASSERT_TRUE(WriteWholeFile(t / "b.mp3", kAudio));
  TagDialog again(second, shell, SystemFileSystem(), t / "b.mp3", state);
  again.Load();
  EXPECT_EQ(state.v1Changed, 1);
  second.UserClick(second["ID3v1选择框"]);
  second.UserClick(second["更新按钮"]);  // writes a tag although nothing was typed
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "ID3v1标签更新成功！");
}

}  // namespace
}  // namespace tavik::tags
