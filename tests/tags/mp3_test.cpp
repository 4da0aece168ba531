#include <gtest/gtest.h>

#include "support/test_support.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/mp3.h"

namespace tavik::tags {
namespace {

using tavik::testing::TempDir;
using tavik::testing::WriteWholeFile;

TEST(Mp3Name, ExtensionAfterTheLastDotIgnoringAsciiCase) {
  EXPECT_TRUE(IsMp3Name("song.mp3"));
  EXPECT_TRUE(IsMp3Name("SONG.Mp3"));
  EXPECT_TRUE(IsMp3Name("a.b.MP3"));
  EXPECT_TRUE(IsMp3Name("歌曲.mp3"));
  EXPECT_FALSE(IsMp3Name("song.mp3.bak"));
  EXPECT_FALSE(IsMp3Name("mp3"));
  EXPECT_FALSE(IsMp3Name("song.mp4"));
  EXPECT_FALSE(IsMp3Name("song.mp33"));
  // "." is no trail byte: after a lead byte it still starts the extension,
  // as Windows reads the name.
  EXPECT_TRUE(IsMp3Name("a\x81.mp3"));
}

std::vector<std::pair<std::string, int>> Pieces(std::string_view rule) {
  std::vector<std::pair<std::string, int>> out;
  for (const RulePiece& p : ParseMp3Rule(rule)) out.emplace_back(p.literal, p.field);
  return out;
}

TEST(Mp3Rule, ParsesPlaceholdersAndLiterals) {
  using P = std::vector<std::pair<std::string, int>>;
  EXPECT_TRUE(ParseMp3Rule("").empty());
  EXPECT_EQ(Pieces("#1-#2"), (P{{"", 1}, {"-", 2}, {"", 0}}));
  EXPECT_EQ(Pieces("#12"), (P{{"", 1}, {"", 2}, {"", 0}}));
  EXPECT_EQ(Pieces("#7"), (P{{"#7", 0}}));
  EXPECT_EQ(Pieces("#0#6"), (P{{"#0", 6}, {"", 0}}));
  EXPECT_EQ(Pieces("##1"), (P{{"#", 1}, {"", 0}}));
  EXPECT_EQ(Pieces("x#"), (P{{"x#", 0}}));
  EXPECT_EQ(Pieces("#2 (#5)"), (P{{"", 2}, {" (", 5}, {")", 0}}));
  EXPECT_EQ(Pieces("#1a2"), (P{{"", 1}, {"a2", 0}}));
  EXPECT_EQ(Pieces("歌#3曲"), (P{{"歌", 3}, {"曲", 0}}));
}

TEST(Mp3Rule, BuildsNamesFromTheSixFields) {
  TagFields f;
  f.artist = "A";
  f.title = "T";
  f.album = "L";
  f.track = "4";
  f.year = "1999";
  f.genre = "Rock";
  f.comment = "not a field";
  EXPECT_EQ(BuildMp3Name(ParseMp3Rule("#1-#2"), f), "A-T.mp3");
  EXPECT_EQ(BuildMp3Name(ParseMp3Rule("#1-#3-#5-#2-#4#6"), f), "A-L-1999-T-4Rock.mp3");
  EXPECT_EQ(BuildMp3Name(ParseMp3Rule("#2 (#5)"), f), "T (1999).mp3");
  EXPECT_EQ(BuildMp3Name(ParseMp3Rule("#12"), f), "AT.mp3");
  EXPECT_EQ(BuildMp3Name(ParseMp3Rule("#7"), f), "#7.mp3");
  TagFields noArtist = f;
  noArtist.artist.clear();
  EXPECT_EQ(BuildMp3Name(ParseMp3Rule("#1-#2"), noArtist), "-T.mp3");
  EXPECT_EQ(BuildMp3Name(ParseMp3Rule("#1#2"), TagFields{}), "");
  EXPECT_EQ(BuildMp3Name({}, f), "");
  // Nothing after the closing piece counts.
  EXPECT_EQ(BuildMp3Name({{"a", 0}, {"b", 1}}, f), "a.mp3");
}

TEST(Mp3Rule, PageTexts) {
  EXPECT_EQ(Mp3ReferenceText("#1-#2"), "艺术家-歌曲名");
  EXPECT_EQ(Mp3ReferenceText("#12"), "艺术家2");
  EXPECT_EQ(Mp3ReferenceText("#3#4#5#6#7#1#1"), "专辑音轨年代流派#7艺术家艺术家");
  EXPECT_EQ(CutMp3Rule(std::string(60, 'x')), std::string(50, 'x'));
  EXPECT_EQ(CutMp3Rule(std::string(49, 'x') + "中"), std::string(49, 'x'));
  EXPECT_EQ(CutMp3Rule(std::string(48, 'x') + "中a"), std::string(48, 'x') + "中");
  EXPECT_EQ(FieldButtonAppend("", '1'), "#1");
  EXPECT_EQ(FieldButtonAppend(FieldButtonAppend("", '1'), '2'), "#1-#2");
  for (std::string_view rule : kPredefinedMp3Rules) EXPECT_EQ(ParseMp3Rule(rule).back().field, 0);
}

class Mp3Items : public ::testing::Test {
 protected:
  std::string Make(const std::string& name, const std::string& bytes) {
    std::string path = dir_ / name;
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    return path;
  }
  TempDir dir_;
  std::string audio_ = std::string(3000, '\x55');
  std::string v1_ = BuildId3v1({.title = "V1 title", .artist = "V1 artist", .year = "2001"}, 17);
  std::string V2() {
    TagFields f;
    f.title = "V2 title";
    f.genre = "(17)";
    return BuildId3v2(f);
  }
};

TEST_F(Mp3Items, PriorityDecidesWhichTagSuppliesEveryField) {
  std::string both = Make("both.mp3", V2() + audio_ + v1_);
  TagFields f;
  ASSERT_EQ(ReadTagsForItem(SystemFileSystem(), both, true, f), ReadResult::TagRead);
  EXPECT_EQ(f.title, "V1 title");
  EXPECT_EQ(BuildMp3Name(ParseMp3Rule("#6"), f), "17.mp3");
  f = {};
  ASSERT_EQ(ReadTagsForItem(SystemFileSystem(), both, false, f), ReadResult::TagRead);
  EXPECT_EQ(f.title, "V2 title");
  EXPECT_EQ(f.artist, "");  // no field falls back to the other tag
  EXPECT_EQ(BuildMp3Name(ParseMp3Rule("#6"), f), "Rock.mp3");

  std::string v2only = Make("v2.MP3", V2() + audio_);
  f = {};
  ASSERT_EQ(ReadTagsForItem(SystemFileSystem(), v2only, true, f), ReadResult::TagRead);
  EXPECT_EQ(f.title, "V2 title");
  // A valid header without frames is still a tag.
  std::string bare = Make("bare.mp3", std::string("ID3\x03\x00\x00\x00\x00\x00\x00", 10) + audio_);
  f.title = "old";
  ASSERT_EQ(ReadTagsForItem(SystemFileSystem(), bare, true, f), ReadResult::TagRead);
  EXPECT_EQ(f.title, "");
}

TEST_F(Mp3Items, NoTagMissingAndLockedFiles) {
  TagFields f;
  std::string plain = Make("plain.mp3", audio_);
  EXPECT_EQ(ReadTagsForItem(SystemFileSystem(), plain, false, f), ReadResult::NoTag);
  EXPECT_EQ(ReadTagsForItem(SystemFileSystem(), dir_ / "missing.mp3", false, f),
            ReadResult::OpenFailed);
  std::string locked = Make("locked.mp3", v1_);
  {
    auto writer = SystemFileSystem().Open(locked, FileAccess::ReadWrite, FileShare::Read,
                                          FileCreate::OpenExisting);
    ASSERT_TRUE(writer);
    EXPECT_EQ(ReadTagsForItem(SystemFileSystem(), locked, false, f), ReadResult::OpenFailed);
  }
  // A reader that lets others read does not stop it, and it lets readers in.
  auto reader = SystemFileSystem().Open(locked, FileAccess::Read, FileShare::Read,
                                        FileCreate::OpenExisting);
  ASSERT_TRUE(reader);
  EXPECT_EQ(ReadTagsForItem(SystemFileSystem(), locked, false, f), ReadResult::TagRead);
}

}  // namespace
}  // namespace tavik::tags
