#include <gtest/gtest.h>

#include "text/gbk.h"
#include "text/unicode.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tavik::text {
namespace {

std::string Form(uint32_t c) {
  std::string out;
  std::u16string u = c >= 0x10000 ? std::u16string{static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
                                                   static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))}
                                  : std::u16string(1, static_cast<char16_t>(c));
  EXPECT_TRUE(FromUtf16(u, out));
  return out;
}

TEST(Unicode, EveryScalarValueHasOneFormThatComesBack) {
  for (uint32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c == 0xD800) c = 0xE000;
    std::string form = Form(c);
    ASSERT_EQ(CharLength(form, 0), form.size()) << std::hex << c;
    std::u16string u16;
    std::string u8, back;
    ASSERT_TRUE(ToUtf16(form, u16)) << std::hex << c;
    ASSERT_TRUE(ToUtf8(form, u8) && FromUtf8(u8, back)) << std::hex << c;
    ASSERT_EQ(back, form) << std::hex << c;
    ASSERT_EQ(
        Form(u16[0] >= 0xD800 && u16[0] < 0xDC00 ? 0x10000 + ((u16[0] - 0xD800) << 10) + (u16[1] - 0xDC00)
                                                 : u16[0]),
        form);
  }
  // Any other byte sequence of the right shape is no character.
  std::u16string u16;
  for (int a = 0x81; a <= 0xFE; ++a)
    for (int b = 0x40; b <= 0xFE; ++b) {
      const std::string pair{static_cast<char>(a), static_cast<char>(b)};
      if (CharLength(pair, 0) == 2 && ToUtf16(pair, u16)) {
        ASSERT_EQ(Form(u16[0]), pair);
      }
      for (int d = 0x30; d <= 0x39; ++d)
        for (int e = 0x30; e <= 0x39; ++e) {
          const std::string four{static_cast<char>(a), static_cast<char>(d), static_cast<char>(b),
                                 static_cast<char>(e)};
          if (b < 0x81 || !ToUtf16(four, u16)) continue;
          std::string back;
          ASSERT_TRUE(FromUtf16(u16, back));
          ASSERT_EQ(back, four);
        }
    }
}

TEST(Unicode, CodePage936BytesStayAndOthersTakeGb18030Forms) {
  std::string out;
  EXPECT_TRUE(FromUtf8("a\xE2\x82\xAC\xE4\xB8\xAD\xE6\x96\x87\xEF\xA3\xB5", out));
  EXPECT_EQ(out, "a\x80中文\xFF");
  EXPECT_TRUE(FromUtf8("\xC3\xB6\xC3\x85\xC3\xB1\xED\x95\x9C\xF0\x9F\x8E\xB5\xF0\xA0\xAE\xB7", out));
  EXPECT_EQ(
      out,
      "\x81\x30\x8B\x32\x81\x30\x87\x33\x81\x30\x8A\x39\x83\x36\x84\x33\x94\x39\xC1\x39\x95\x34\xB2\x35");
  // A pair 936 gives to a private-use value: the character GB18030 writes
  // there takes that value's four-byte form.
  EXPECT_TRUE(FromUtf8("\xC7\xB9\xEE\x9F\x88", out));
  EXPECT_EQ(out, "\x83\x36\xC8\x30\xA8\xBF");
  EXPECT_EQ(Form(0x10FFFF), "\xE3\x32\x9A\x35");
  EXPECT_EQ(ToUtf8Lossy("\x95\x34\xB2\x35x"),
            "\xF0\xA0\xAE\xB7"
            "x");
  EXPECT_EQ(FindLast("\x81\x30\x81\x5C\\", '\\'), 4u);
  EXPECT_EQ(CutBytes("a\x95\x34\xB2\x35", 4), "a");
}

TEST(Unicode, RejectsWhatHasNoForm) {
  std::string out = "x";
  std::u16string u16 = u"x";
  for (std::string_view bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "a\xE4\xB8", "\xFF"}) {
    EXPECT_FALSE(FromUtf8(bad, out)) << bad;
    EXPECT_EQ(out, "");
  }
  EXPECT_FALSE(FromUtf16(u"a\xD800", out));
  EXPECT_FALSE(FromUtf16(u"\xDC00\xD800", out));
  EXPECT_EQ(FromUtf16Lossy(u"a\xDC00z"), "a?z");
  EXPECT_EQ(FromUtf8Lossy("a\xE4\xB8z"), "a??z");
  // A lone lead byte, GB18030's four-byte form of a character 936 has
  // (U+F8F5 is 0xFF), a form of none at all, and past U+10FFFF.
  for (std::string_view bad :
       {"a\x81", "\x83\x39\xFE\x30", "\x84\x31\xA5\x30", "\xE3\x32\x9A\x36", "\xFE\x39\xFE\x39"}) {
    EXPECT_FALSE(ToUtf16(bad, u16)) << bad;
    EXPECT_FALSE(ToUtf8(bad, out)) << bad;
    EXPECT_EQ(u16, u"");
  }
  EXPECT_EQ(ToUtf16Lossy("a\x81"), u"a?");
}

#ifdef _WIN32
// The pairs are Windows' own. 0xFF alone converts to U+F8F5, though the
// strict call refuses it.
TEST(Unicode, PairsAreWhatWindowsConverts) {
  for (int a = 0x80; a <= 0xFF; ++a)
    for (int b = 0x40; b <= 0xFE; ++b) {
      const std::string s = a == 0x80 || a == 0xFF ? std::string(1, static_cast<char>(a))
                                                   : std::string{static_cast<char>(a), static_cast<char>(b)};
      if (CharLength(s, 0) != s.size()) continue;
      wchar_t w[4];
      int n = MultiByteToWideChar(936, s.size() == 1 ? 0 : MB_ERR_INVALID_CHARS, s.data(),
                                  static_cast<int>(s.size()), w, 4);
      std::u16string mine;
      ASSERT_EQ(n == 1, ToUtf16(s, mine)) << a << " " << b;
      if (n == 1) {
        ASSERT_EQ(mine, std::u16string(1, static_cast<char16_t>(w[0]))) << a << " " << b;
      }
    }
}
#endif

}  // namespace
}  // namespace tavik::text
