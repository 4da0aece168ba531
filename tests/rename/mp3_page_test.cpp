#include "filelist/test_dirs.h"
#include "rename/rename_fixture.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

namespace tavik::rename {
namespace {

using filelist::kNewName;
using filelist::kTagStatus;
using V = std::vector<std::string>;

const std::string kAudio(64, '\x55');

std::string V1(const char* title, const char* artist, int genre = 17, const char* year = "1999") {
  return kAudio + tags::BuildId3v1({.title = title, .artist = artist, .album = "Album1", .track = "3",
      .year = year}, genre);
}

std::string V2(const char* title, const char* artist, const char* genre = "(17)") {
  tags::TagFields f;
  f.title = title;
  f.artist = artist;
  f.album = "Album2";
  f.track = "7";
  f.year = "2001";
  f.genre = genre;
  return tags::BuildId3v2(f) + kAudio;
}

class Mp3PageTest : public RenameTest {
 protected:
  // Files with the given bytes, listed in this order.
  void AddBytes(const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<std::string> paths;
    for (auto& [name, bytes] : files) {
      Make(name, bytes);
      paths.push_back(Path(name));
    }
    list.AddPaths(paths);
  }
  V Names(const char* rule) {
    Tab(kMp3Page);
    Set("MP3命名规则编辑框", rule);  // refreshes through its handler
    return Column(kNewName);
  }
};

TEST_F(Mp3PageTest, RuleFieldsFromTheTag) {
  AddBytes({{"a.mp3", V1("T", "A")}, {"b.mp3", V1("T", "")}, {"c.mp3", V1("", "")}});
  EXPECT_EQ(Names("#1-#2"), (V{"A-T.mp3", "-T.mp3", "-.mp3"}));
  EXPECT_EQ(Names("#2 (#5)"), (V{"T (1999).mp3", "T (1999).mp3", " (1999).mp3"}));
  EXPECT_EQ(Names("#12"), (V{"AT.mp3", "T.mp3", ""}));  // nothing at all: no ".mp3"
  EXPECT_EQ(Names("#7"), (V{"#7.mp3", "#7.mp3", "#7.mp3"}));
  EXPECT_EQ(Names("#4#6#3"), (V{"317Album1.mp3", "317Album1.mp3", "317Album1.mp3"}));
  EXPECT_EQ(Column(kTagStatus), (V{"", "", ""}));
}

TEST_F(Mp3PageTest, WhichItemsCountAsMp3AndWhichHaveTags) {
  AddBytes({{"song.Mp3", V1("T", "A")},
            {"song.mp3.bak", V1("T", "A")},
            {"x.wav", V1("T", "A")},
            {"bare.mp3", kAudio}});
  EXPECT_EQ(Names("#1"), (V{"A.mp3", "", "", ""}));
  EXPECT_EQ(Column(kTagStatus), (V{"", "非MP3文件", "非MP3文件", "无标签"}));
}

TEST_F(Mp3PageTest, PriorityBetweenTheTwoTagsAndTheGenreText) {
  AddBytes({{"both.mp3", V2("T2", "A2") + tags::BuildId3v1({.title = "T1", .artist = "A1"}, 17)},
            {"v2only.mp3", V2("T2", "A2")},
            {"v1only.mp3", V1("T1", "A1")}});
  // V2 first is the start-up choice.
  EXPECT_EQ(Names("#1-#6"), (V{"A2-Rock.mp3", "A2-Rock.mp3", "A1-17.mp3"}));
  form.SetChecked(C("V1优先单选框"), true);
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"A1-17.mp3", "A2-Rock.mp3", "A1-17.mp3"}));
}

TEST_F(Mp3PageTest, EmptyRuleEmptiesNamesAndKeepsStatuses) {
  AddBytes({{"a.mp3", V1("T", "A")}, {"b.txt", "x"}});
  EXPECT_EQ(Names("#2"), (V{"T.mp3", ""}));
  EXPECT_EQ(Cell(1, kTagStatus), "非MP3文件");
  EXPECT_EQ(Names(""), (V{"", ""}));
  EXPECT_EQ(Cell(1, kTagStatus), "非MP3文件");
}

TEST_F(Mp3PageTest, UnreadableFileKeepsItsStatusUntilItsTagIsRead) {
  AddBytes({{"gone.mp3", kAudio}, {"fine.mp3", V1("T", "A")}});
  EXPECT_EQ(Names("#2"), (V{"", "T.mp3"}));
  EXPECT_EQ(Cell(0, kTagStatus), "无标签");
  // Now it has a tag but is gone: the old status stays. Changes behind the
  // program's back show at the next explicit preview.
  ASSERT_TRUE(SystemFileSystem().Move(Path("gone.mp3"), Path("moved")));
  pages.RefreshPreview(PreviewRows::All);
  EXPECT_EQ(Names("#2-#1"), (V{"", "T-A.mp3"}));
  EXPECT_EQ(Cell(0, kTagStatus), "无标签");
  // Back with a readable tag: the name comes from it and the mark goes.
  ASSERT_TRUE(testing::WriteWholeFile(Path("moved"), V1("N", "M")));
  ASSERT_TRUE(SystemFileSystem().Move(Path("moved"), Path("gone.mp3")));
  pages.RefreshPreview(PreviewRows::All);
  EXPECT_EQ(Names("#2"), (V{"N.mp3", "T.mp3"}));
  EXPECT_EQ(Cell(0, kTagStatus), "");
}

// A keystroke, the priority and a change of the list read no file that was
// read before; an explicit preview and a return to the page read them all.
TEST_F(Mp3PageTest, TagsAreReadAgainOnlyWhenTheyMayHaveChanged) {
  AddBytes({{"a.mp3", V1("T", "A")},
            {"both.mp3", V2("T2", "A2") + tags::BuildId3v1({.title = "T1", .artist = "A1"}, 17)}});
  EXPECT_EQ(Names("#1-#2"), (V{"A-T.mp3", "A2-T2.mp3"}));
  const int opens = fs.opens;
  EXPECT_EQ(Names("#2"), (V{"T.mp3", "T2.mp3"}));
  Check("V1优先单选框");
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"T.mp3", "T1.mp3"}));
  AddBytes({{"c.mp3", V1("T3", "A3")}});
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"T.mp3", "T1.mp3", "T3.mp3"}));
  EXPECT_EQ(fs.opens, opens + 1);
  list.RemoveItem(0);
  pages.RefreshPreview();
  EXPECT_EQ(Column(kNewName), (V{"T1.mp3", "T3.mp3"}));
  EXPECT_EQ(fs.opens, opens + 1);

  ASSERT_TRUE(testing::WriteWholeFile(Path("c.mp3"), V1("New", "A3")));
  pages.RefreshPreview(PreviewRows::All);
  EXPECT_EQ(Column(kNewName), (V{"T1.mp3", "New.mp3"}));
  ASSERT_TRUE(testing::WriteWholeFile(Path("c.mp3"), V1("Newer", "A3")));
  Tab(kGeneralPage);
  pages.RefreshPreview();
  EXPECT_EQ(Names("#2"), (V{"T1.mp3", "Newer.mp3"}));
}

// The batch reads the files as they are when it starts, and the tags stay
// known under the names it gave.
TEST_F(Mp3PageTest, BatchNamesFromTheTagsAsTheyStand) {
  AddBytes({{"a.mp3", V1("T", "A")}, {"b.mp3", V1("U", "B")}});
  EXPECT_EQ(Names("#1-#2"), (V{"A-T.mp3", "B-U.mp3"}));
  ASSERT_TRUE(testing::WriteWholeFile(Path("a.mp3"), V1("N", "M")));
  EXPECT_EQ(mover.RenameAll(), 2);
  EXPECT_EQ(list.oldNames, (V{"M-N.mp3", "B-U.mp3"}));
  const int opens = fs.opens;
  AddBytes({{"c.mp3", V1("W", "C")}});
  EXPECT_EQ(Names("#2"), (V{"N.mp3", "U.mp3", "W.mp3"}));
  EXPECT_EQ(fs.opens, opens + 1);
}

TEST_F(Mp3PageTest, RenameUsesTheTagNames) {
  AddBytes({{"track01.mp3", V1("Title", "Artist")}, {"notes.txt", "n"}});
  Names("#1-#2");
  EXPECT_EQ(mover.RenameAll(), 1);
  EXPECT_TRUE(Exists("Artist-Title.mp3"));
  EXPECT_TRUE(Exists("notes.txt"));
  EXPECT_EQ(list.oldNames, (V{"Artist-Title.mp3", "notes.txt"}));
}

// Same-named songs in two folders keep their own tags; a naming field as
// long as the long-length marker's value reads whole.
TEST_F(Mp3PageTest, KnownTagsTellFoldersApartAndKeepLongFields) {
  ASSERT_TRUE(testing::MakeDirectory(Path("x")) && testing::MakeDirectory(Path("y")));
  AddBytes({{"x\\01.mp3", V2("T1", std::string(255, 'a').c_str())}, {"y\\01.mp3", V2("T2", "b")}});
  EXPECT_EQ(Names("#2"), (V{"T1.mp3", "T2.mp3"}));
}

TEST_F(Mp3PageTest, TagTextWithASeparatorIsNeverUsedAsAPath) {
  // One level down, so a name climbing out stays in the test.
  ASSERT_TRUE(testing::MakeDirectory(Path("in")));
  AddBytes({{"in\\a.mp3", V1("..\\escaped", "x")}});
  EXPECT_EQ(Names("#2"), (V{"..\\escaped.mp3"}));  // shown as read
  EXPECT_EQ(mover.RenameAll(), 0);
  EXPECT_TRUE(Exists("in\\a.mp3"));
  EXPECT_FALSE(Exists("escaped.mp3"));
}

}  // namespace
}  // namespace tavik::rename
