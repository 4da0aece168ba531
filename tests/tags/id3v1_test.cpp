#include <gtest/gtest.h>

#include "tags/file_doubles.h"
#include "tags/id3v1.h"

namespace tavik::tags {
namespace {

using testing::MemoryFile;

// A raw 128-byte tag with the given field bytes.
std::string RawV1(const std::string& title, const std::string& comment30, unsigned char b125,
                  unsigned char b126, unsigned char genre) {
  std::string b(128, '\0');
  b.replace(0, 3, "TAG");
  b.replace(3, title.size(), title);
  b.replace(97, comment30.size(), comment30);
  b[125] = static_cast<char>(b125);
  b[126] = static_cast<char>(b126);
  b[127] = static_cast<char>(genre);
  return b;
}

TEST(Id3v1Detect, NeedsTheLast128BytesToStartWithTag) {
  MemoryFile exact(RawV1("x", "", 0, 0, 255));
  EXPECT_TRUE(HasId3v1(exact));
  MemoryFile shorter(RawV1("x", "", 0, 0, 255).substr(1));
  EXPECT_FALSE(HasId3v1(shorter));
  MemoryFile notAtEnd(RawV1("x", "", 0, 0, 255) + "a");
  EXPECT_FALSE(HasId3v1(notAtEnd));
  TagFields f;
  f.title = "keep";
  EXPECT_FALSE(ReadId3v1(notAtEnd, f));
  EXPECT_EQ(f.title, "keep");
}

TEST(Id3v1Read, TrackByteAndCommentWidthFollowByte125) {
  TagFields f;
  MemoryFile v11("audio" + RawV1("T", std::string(28, 'c'), 0, 7, 17));
  ASSERT_TRUE(ReadId3v1(v11, f));
  EXPECT_EQ(f.comment, std::string(28, 'c'));
  EXPECT_EQ(f.track, "7");
  EXPECT_EQ(f.genre, "17");  // the number, never the name

  MemoryFile zeroTrack(RawV1("T", "short", 0, 0, 255));
  ASSERT_TRUE(ReadId3v1(zeroTrack, f));
  EXPECT_EQ(f.comment, "short");
  EXPECT_EQ(f.track, "");
  EXPECT_EQ(f.genre, "255");

  MemoryFile v10(RawV1("T", std::string(28, 'c'), 0x41, 0x42, 12));
  ASSERT_TRUE(ReadId3v1(v10, f));
  EXPECT_EQ(f.comment, std::string(28, 'c') + "AB");
  EXPECT_EQ(f.track, "");

  MemoryFile highTrack(RawV1("T", "", 0, 255, 0));
  ASSERT_TRUE(ReadId3v1(highTrack, f));
  EXPECT_EQ(f.track, "255");
  EXPECT_EQ(f.genre, "0");
}

TEST(Id3v1Read, FieldsEndAtZeroOrFieldEndAndOnlyNamesAreTrimmed) {
  std::string raw = RawV1(std::string(30, 'x'), "", 0, 0, 255);
  raw.replace(33, 10, "  Artist  ");
  const std::string album = "\xA1\xA1" "Album \xA1\xA1 ";
  raw.replace(63, album.size(), album);
  raw.replace(93, 4, " 199");
  TagFields f;
  f.composer = "untouched";
  MemoryFile file(raw);
  ASSERT_TRUE(ReadId3v1(file, f));
  EXPECT_EQ(f.title, std::string(30, 'x'));
  EXPECT_EQ(f.artist, "Artist");
  EXPECT_EQ(f.album, "Album");
  EXPECT_EQ(f.year, " 199");
  EXPECT_EQ(f.composer, "untouched");
}

TEST(Id3v1Trim, StepsOverDoubleByteCharacters) {
  EXPECT_EQ(TrimTagSpaces(" \xA1\xA1 a b \xA1\xA1"), "a b");
  // C4 A1 is one character; the lone A1 after it is not half a space.
  EXPECT_EQ(TrimTagSpaces("\xC4\xA1\xA1"), "\xC4\xA1\xA1");
  // A1 A1 after a character whose trail byte is A1 is a real space.
  EXPECT_EQ(TrimTagSpaces("\xB0\xA1\xA1\xA1"), "\xB0\xA1");
  EXPECT_EQ(TrimTagSpaces("   "), "");
  EXPECT_EQ(TrimTagSpaces("\xA1\xA1"), "");
}

TEST(Id3v1Write, LayoutWidthsAndCharacterSafeCuts) {
  std::string b = BuildId3v1({.title = std::string(29, 't') + "中", .artist = "Artist",
      .album = std::string(31, 'a'), .year = "19991", .comment = "c"}, -1);
  ASSERT_EQ(b.size(), 128u);
  EXPECT_EQ(b.substr(0, 3), "TAG");
  EXPECT_EQ(b.substr(3, 30), std::string(29, 't') + '\0');  // 中 would be split: left out
  EXPECT_EQ(b.substr(33, 30), "Artist" + std::string(24, '\0'));
  EXPECT_EQ(b.substr(63, 30), std::string(30, 'a'));
  EXPECT_EQ(b.substr(93, 4), "1999");
  EXPECT_EQ(b[97], 'c');
  EXPECT_EQ(b[126], 0);
  EXPECT_EQ(static_cast<unsigned char>(b[127]), 255);
  EXPECT_EQ(BuildId3v1({}, 17)[127], 17);
  EXPECT_EQ(BuildId3v1({.track = "300"}, 0)[126], static_cast<char>(300 & 0xFF));
  EXPECT_EQ(BuildId3v1({}, 1)[127], 1);
  // A character code page 936 lacks (Korean, beyond the BMP) becomes "?".
  const std::string v1 = BuildId3v1({.artist = "a\x83\x36\x84\x33\x95\x34\xB2\x35中"}, -1);
  EXPECT_EQ(v1.substr(33, 6), "a??中" + std::string(1, '\0'));
}

TEST(Id3v1Write, EmptyTrackKeepsTheWholeCommentAndATrackMakesV11) {
  const std::string c30 = "0123456789012345678901234567AB";
  std::string v10 = BuildId3v1({.comment = c30}, -1);
  EXPECT_EQ(v10.substr(97, 30), c30);
  std::string v11 = BuildId3v1({.track = "5", .comment = c30}, -1);
  EXPECT_EQ(v11.substr(97, 28), c30.substr(0, 28));
  EXPECT_EQ(v11[125], 0);
  EXPECT_EQ(v11[126], 5);
  // A track text without a number is no track.
  EXPECT_EQ(BuildId3v1({.track = "abc", .comment = c30}, -1).substr(97, 30), c30);
  // The 28-byte cut never splits a character.
  std::string cut = BuildId3v1({.track = "5", .comment = std::string(27, 'c') + "中"}, -1);
  EXPECT_EQ(cut.substr(97, 29), std::string(27, 'c') + std::string(2, '\0'));

  for (const std::string& comment : {c30, c30.substr(0, 29), c30.substr(0, 28)}) {
    for (const char* track : {"", "9"}) {
      MemoryFile file("audio");
      ASSERT_TRUE(WriteId3v1(file, {.title = "T", .artist = "A", .album = "L", .track = track,
          .year = "2001", .comment = comment}, 3));
      TagFields f;
      ASSERT_TRUE(ReadId3v1(file, f));
      EXPECT_EQ(f.comment, *track ? comment.substr(0, 28) : comment) << comment << track;
      EXPECT_EQ(f.track, track);
      EXPECT_EQ(f.genre, "3");
    }
  }
}

TEST(Id3v1Write, AppendsOnceThenOverwritesInPlace) {
  MemoryFile file("audio bytes");
  ASSERT_TRUE(WriteId3v1(file, {.title = "Title", .artist = "Artist", .album = "Album", .year = "1999",
      .comment = "Comment"}, -1));
  EXPECT_EQ(file.data.size(), 11u + 128u);
  ASSERT_TRUE(WriteId3v1(file, {.title = "T2", .track = "12"}, 17));
  EXPECT_EQ(file.data.size(), 11u + 128u);
  EXPECT_EQ(file.data.substr(0, 11), "audio bytes");
  TagFields f;
  ASSERT_TRUE(ReadId3v1(file, f));
  EXPECT_EQ(f.title, "T2");
  EXPECT_EQ(f.artist, "");
  EXPECT_EQ(f.track, "12");
  EXPECT_EQ(f.genre, "17");

  MemoryFile blank("x");
  ASSERT_TRUE(WriteId3v1(blank, {}, -1));
  ASSERT_TRUE(ReadId3v1(blank, f));
  EXPECT_EQ(f.track, "");
  EXPECT_EQ(f.genre, "255");
}

TEST(Id3v1Delete, RemovesOnlyTheTag) {
  MemoryFile none("no tag here");
  EXPECT_TRUE(DeleteId3v1(none));
  EXPECT_EQ(none.data, "no tag here");
  MemoryFile tagged("audio" + RawV1("x", "", 0, 0, 1));
  EXPECT_TRUE(DeleteId3v1(tagged));
  EXPECT_EQ(tagged.data, "audio");
  MemoryFile onlyTag(RawV1("x", "", 0, 0, 1));
  EXPECT_TRUE(DeleteId3v1(onlyTag));
  EXPECT_EQ(onlyTag.data, "");
}

}  // namespace
}  // namespace tavik::tags
