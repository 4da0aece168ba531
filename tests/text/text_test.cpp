#include <gtest/gtest.h>

#include "text/gbk.h"

namespace tavik::text {
namespace {

// "表" is B1 ED; "\" as a trail byte: "誠" = D5 5C... use raw bytes to be exact.
const std::string kTrailBackslash = "\xD5\x5C";  // one GBK character whose trail byte is "\"
const std::string kLeadDot = "\x81\x2E";         // "." is no trail byte: two characters
const std::string kTrailA = "\xB0\x41";          // trail byte equal to "A"

TEST(TextSearch, SeparatorsNeverMatchTrailBytes) {
  EXPECT_EQ(FindLast("a" + kTrailBackslash, '\\'), npos);
  EXPECT_EQ(FindLast("x\\" + kTrailBackslash, '\\'), 1u);
  EXPECT_EQ(FindLast("a.b.txt", '.'), 3u);
  EXPECT_EQ(FindLast("name" + kLeadDot + "x", '.'), 5u);
  EXPECT_EQ(FindFirst(kTrailBackslash + "\\", '\\'), 2u);
  // A lone lead byte at the end is one character.
  EXPECT_EQ(FindLast("ab.\xB1", '.'), 2u);
}

// Pairs as Windows converts code page 936: 0x80 and 0xFF stand alone, and a
// lead byte takes only a trail byte (0x40-0x7E, 0x80-0xFE).
TEST(TextSearch, StepsAsCodePage936) {
  EXPECT_EQ(FindFirst("\xFF\\evil", '\\'), 1u);
  EXPECT_EQ(FindLast("ok\xFF:ads", ':'), 3u);
  EXPECT_EQ(FindFirst("\xD6/", '/'), 1u);
  EXPECT_EQ(FindLast("\x80\\", '\\'), 1u);
  EXPECT_EQ(FindLast("\xB0\x80\\", '\\'), 2u);
  EXPECT_EQ(FindLast("\xB0\xB0\x81\\", '\\'), npos);
  EXPECT_EQ(FindLast("a\x81\x7F|", '|'), 3u);
  EXPECT_EQ(FindFirst("\x81\xFF\x81\\", '\\'), npos);
  EXPECT_EQ(ToUpperAscii("\xFF" "a\x81\x7F" "b"), "\xFF" "A\x81\x7F" "B");
  EXPECT_EQ(CutBytes("a\xFF" "b", 2), "a\xFF");
  EXPECT_TRUE(IsLoneLead("a\x81", 1));
  EXPECT_TRUE(IsLoneLead("\xFE\x30", 0));
  EXPECT_FALSE(IsLoneLead("\xFE\x40", 0));
  EXPECT_FALSE(IsLoneLead("\xFF\x40", 0));
  // A match never ends inside a character.
  EXPECT_EQ(FindText("\x81\x41", "\x81", false), npos);
  EXPECT_EQ(FindText("\xFF" "AB", "ab", true), 1u);
}

TEST(TextSearch, FindTextStepsOverCharactersAndFoldsAsciiOnly) {
  EXPECT_EQ(FindText("xABCy.doc", "abc", true), 1u);
  EXPECT_EQ(FindText("xABCy.doc", "abc", false), npos);
  // "A" as a trail byte must not start a match.
  EXPECT_EQ(FindText(kTrailA + "B", "AB", false), npos);
  EXPECT_EQ(FindText("aaa", "aa", false, 1), 1u);
}

TEST(TextCase, ChangesAsciiLettersOnlyAndKeepsDoubleByteCharacters) {
  EXPECT_EQ(ToUpperAscii("abc中文d"), "ABC中文D");
  EXPECT_EQ(ToLowerAscii(kTrailA + "X"), kTrailA + "x");
  EXPECT_EQ(ToUpperAscii("\xB0\x61z"), "\xB0\x61Z");
  EXPECT_TRUE(EqualsIgnoreAsciiCase("Song.MP3", "song.mp3"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase(kTrailA, "\xB0\x61"));
}

TEST(TextCut, NeverSplitsACharacter) {
  EXPECT_EQ(CutBytes("ab中", 3), "ab");
  EXPECT_EQ(CutBytes("ab中", 4), "ab中");
  EXPECT_EQ(CutBytes("abc", 10), "abc");
  EXPECT_EQ(BoundaryAtOrBefore("中文", 3), 2u);
  EXPECT_EQ(BoundaryAtOrBefore("中文", 2), 2u);
  EXPECT_EQ(BoundaryAtOrBefore("a中", 2), 1u);
}

TEST(TextFullWidth, BecomesAscii) {
  EXPECT_EQ(FullWidthToAscii("１２Ａｂ－＋"), "12Ab-+");
  EXPECT_EQ(FullWidthToAscii("　7中"), " 7中");
}

TEST(TextNumber, ReadsTheLeadingDecimalNumber) {
  EXPECT_EQ(TextToInt("25.9"), 25);
  EXPECT_EQ(TextToInt("-3"), -3);
  EXPECT_EQ(TextToInt("-3.9"), -3);
  EXPECT_EQ(TextToInt(""), 0);
  EXPECT_EQ(TextToInt("abc"), 0);
  EXPECT_EQ(TextToInt("  +12abc"), 12);
  EXPECT_EQ(TextToInt("１２"), 12);
  EXPECT_EQ(TextToInt("　－５"), -5);
  EXPECT_EQ(TextToInt("1e3"), 1000);
  EXPECT_EQ(TextToInt("1e"), 1);
  EXPECT_EQ(TextToInt(".5"), 0);
  EXPECT_EQ(TextToInt("-"), 0);
  EXPECT_EQ(TextToInt("."), 0);
  // Decimal only: no hex, no inf or nan.
  EXPECT_EQ(TextToInt("0x10"), 0);
  EXPECT_EQ(TextToInt("inf"), 0);
  EXPECT_EQ(TextToInt("nan"), 0);
  // Out of range clamps instead of overflowing.
  EXPECT_EQ(TextToInt("99999999999"), 2147483647);
  EXPECT_EQ(TextToInt("-99999999999"), -2147483647 - 1);
  EXPECT_EQ(TextToInt("1e400"), 2147483647);
  EXPECT_DOUBLE_EQ(TextToNumber("2.5e1x"), 25.0);
  EXPECT_EQ(NumberToText(-42), "-42");
  EXPECT_EQ(NumberToText(0), "0");
}

}  // namespace
}  // namespace tavik::text

namespace tavik::text {
namespace {

// The search from either end must agree with a plain walk over the
// characters, also on runs of lead bytes and lone trailing lead bytes.
TEST(TextSearch, FastSearchAgreesWithACharacterWalk) {
  const char alphabet[] = {'.', '\\', 'a', 'A', '\x81', '\xB0', '\xD5', '\x5C', '\x2E', '\xFE', '\x40', '0', '9',
                           '\xFF', '\x80', '\x7F', ':'};
  uint32_t seed = 12345;
  for (int round = 0; round < 20000; ++round) {
    std::string s;
    int len = static_cast<int>(seed % 9);
    for (int k = 0; k < len; ++k) {
      seed = seed * 1103515245u + 12345u;
      s += alphabet[(seed >> 16) % sizeof alphabet];
    }
    seed = seed * 1103515245u + 12345u;
    for (char c : {'.', '\\', '\x80', '\xFF'}) {
      size_t first = npos, last = npos, from = (seed >> 20) % 4;
      for (size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        if (s[i] != c) continue;
        if (first == npos && i >= from) first = i;
        last = i;
      }
      ASSERT_EQ(FindLast(s, c), last) << round;
      ASSERT_EQ(FindFirst(s, c, from), first) << round;
    }
  }
}

}  // namespace
}  // namespace tavik::text
