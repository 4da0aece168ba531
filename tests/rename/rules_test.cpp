#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rename/rules.h"

namespace tavik::rename {
namespace {

using Names = std::vector<std::string>;

// GBK characters whose trail byte is an ASCII letter or separator.
const std::string kTrailLowerA = "癮";  // B0 61
const std::string kTrailUpperA = "癆";  // B0 41
const std::string kTrailBackslash = "誠";  // D5 5C
const std::string kTrailBar = "亅";        // 81 7C

template <typename Page, typename Fn>
Names Run(Fn compute, const Page& page, const Names& old) {
  Names out;
  compute(page, old, old.size(), out);
  return out;
}

Names General(const GeneralPage& p, const Names& old) { return Run(ComputeGeneral, p, old); }
Names Replace(const ReplacePage& p, const Names& old) { return Run(ComputeReplace, p, old); }
Names Insert(const InsertPage& p, const Names& old) { return Run(ComputeInsert, p, old); }
Names Case(const CasePage& p, const Names& old) { return Run(ComputeCase, p, old); }

GeneralPage Numbering(std::string digits, std::string start, std::string step) {
  GeneralPage p;
  p.digits = std::move(digits);
  p.start = std::move(start);
  p.step = std::move(step);
  return p;
}

TEST(SplitName, CutsAtTheLastDotOutsideCharacters) {
  EXPECT_EQ(SplitName("a.b.txt").main, "a.b");
  EXPECT_EQ(SplitName("a.b.txt").ext, ".txt");
  EXPECT_EQ(SplitName("README").ext, "");
  EXPECT_EQ(SplitName(".cfg").main, "");
  EXPECT_EQ(SplitName("name.").ext, ".");
  EXPECT_EQ(SplitName("歌曲.中文").main, "歌曲");
}

TEST(GeneralRule, NumbersWithZeroFillStartAndStep) {
  EXPECT_EQ(General(Numbering("1", "0", "1"), {"a.txt", "b.txt"}), (Names{"0.txt", "1.txt"}));
  GeneralPage img = Numbering("3", "1", "1");
  img.prefix = "IMG_";
  EXPECT_EQ(General(img, {"x.jpg", "y.jpg", "z.jpg"}), (Names{"IMG_001.jpg", "IMG_002.jpg", "IMG_003.jpg"}));
  // The fill narrows as the number grows and never cuts it.
  EXPECT_EQ(General(Numbering("2", "8", "1"), {"a", "b", "c"}), (Names{"08", "09", "10"}));
  EXPECT_EQ(General(Numbering("2", "123", "1"), {"a"}), (Names{"123"}));
  // Empty boxes: no fill, start 0, step 0.
  EXPECT_EQ(General(Numbering("", "", ""), {"a", "b"}), (Names{"0", "0"}));
  GeneralPage full = Numbering("２", "５", "５");  // full-width digits count
  full.body = "第";
  full.suffix = "集";
  EXPECT_EQ(General(full, {"x.mp4", "y.mp4"}), (Names{"第05集.mp4", "第10集.mp4"}));
}

TEST(GeneralRule, ZeroFillChangesOnlyWhenTheNumberTextGrows) {
  EXPECT_EQ(General(Numbering("2", "10", "-1"), {"a", "b", "c"}), (Names{"10", "9", "8"}));
  // "-1" to "0" is shorter, so the fill of "-2" stays; "-2" itself gets one
  // zero because the sign counts.
  EXPECT_EQ(General(Numbering("3", "-2", "1"), {"a", "b", "c", "d"}), (Names{"0-2", "0-1", "00", "01"}));
  EXPECT_EQ(General(Numbering("3", "9", "1"), {"a", "b"}), (Names{"009", "010"}));
  EXPECT_EQ(ZeroFill(3, -5), "0");
  EXPECT_EQ(ZeroFill(0, 7), "");
}

TEST(GeneralRule, LargeStartAndStepDoNotOverflow) {
  EXPECT_EQ(General(Numbering("", "2147483647", "2147483647"), {"a", "b", "c"}),
            (Names{"2147483647", "4294967294", "6442450941"}));
  EXPECT_EQ(General(Numbering("", "-2147483648", "-2147483648"), {"a", "b"}),
            (Names{"-2147483648", "-4294967296"}));
}

TEST(GeneralRule, KeepsALeadingDotOfTheMainName) {
  GeneralPage p = Numbering("", "5", "1");
  p.body = "x";
  EXPECT_EQ(General(p, {".cfg.old", ".cfg", "a..b"}), (Names{".x5.old", "x6.cfg", "x7.b"}));
}

TEST(GeneralRule, ExtensionRules) {
  GeneralPage drop = Numbering("", "0", "1");
  drop.extScope = true;
  EXPECT_EQ(General(drop, {"a.txt", "README", "b."}), (Names{"0", "1", "2"}));

  GeneralPage fixed = Numbering("1", "0", "1");
  fixed.mainScope = false;
  fixed.extScope = true;
  fixed.extBody = "bak";
  EXPECT_EQ(General(fixed, {"a.txt", "README", "name.", ".cfg"}),
            (Names{"a.bak", "README.bak", "name.bak", ".bak"}));

  // A digit count, even "0", numbers the extension; without an extension
  // there is no "." to keep.
  GeneralPage numbered = fixed;
  numbered.extDigits = "0";
  EXPECT_EQ(General(numbered, {"a.txt", "README"}), (Names{"a.bak0", "READMEbak1"}));
  numbered.extDigits = "2";
  numbered.extBody = "txt";
  numbered.start = "1";
  EXPECT_EQ(General(numbered, {"README"}), (Names{"READMEtxt01"}));

  GeneralPage prefixOnly = fixed;
  prefixOnly.extBody.clear();
  prefixOnly.extPrefix = "p";
  prefixOnly.extSuffix = "s";
  EXPECT_EQ(General(prefixOnly, {"a.txt"}), (Names{"a.ps"}));

  // Both scopes count from the same start, each with its own fill.
  GeneralPage both = Numbering("3", "9", "1");
  both.extScope = true;
  both.extDigits = "1";
  EXPECT_EQ(General(both, {"a.x", "b.y"}), (Names{"009.9", "010.10"}));
}

TEST(GeneralRule, FillsOnlyTheFirstNAndKeepsTheRest) {
  Names old{"a.txt", "b.txt", "c.txt"};
  Names out{"keep0", "keep1"};
  ComputeGeneral(Numbering("1", "4", "3"), old, 2, out);
  EXPECT_EQ(out, (Names{"4.txt", "7.txt", ""}));
  out[2] = "kept";
  ComputeGeneral(Numbering("1", "0", "1"), old, 1, out);
  EXPECT_EQ(out, (Names{"0.txt", "7.txt", "kept"}));
}

TEST(ReplaceRule, ReplacesWithAndWithoutCase) {
  ReplacePage p;
  p.find = "a";
  p.replace = "b";
  EXPECT_EQ(Replace(p, {"Banana.avi", "ABBA.txt"}), (Names{"Bbnbnb.avi", "bBBb.txt"}));
  p.caseSensitive = true;
  EXPECT_EQ(Replace(p, {"ABBA.txt"}), (Names{"ABBA.txt"}));
  // Folding is for ASCII letters, not for the trail bytes of two different
  // characters.
  p.caseSensitive = false;
  p.find = kTrailUpperA;
  EXPECT_EQ(Replace(p, {kTrailLowerA + ".txt"}), (Names{kTrailLowerA + ".txt"}));
  p.find = "A";
  EXPECT_EQ(Replace(p, {kTrailLowerA + "a"}), (Names{kTrailLowerA + "b"}));
}

TEST(ReplaceRule, ExtensionFromItsSecondByteAndTheLoneDotDropped) {
  ReplacePage p;
  p.find = "txt";
  p.mainScope = false;
  p.extScope = true;
  EXPECT_EQ(Replace(p, {"a.txt", "a.txt2", "txt", "name.", "txt.", "a.TXT"}),
            (Names{"a", "a.2", "txt", "name.", "txt.", "a"}));
  p.find = ".";
  p.replace = "_";
  p.mainScope = true;
  EXPECT_EQ(Replace(p, {"a.b.c", ".x"}), (Names{"a_b.c", ".x"}));
  p.find.clear();
  EXPECT_EQ(Replace(p, {"a.b.c", "name."}), (Names{"a.b.c", "name."}));
}

TEST(ReplaceRule, EachPartIsSearchedOnItsOwn) {
  ReplacePage p;
  p.find = "a";
  p.replace = "b";
  p.extScope = true;
  EXPECT_EQ(Replace(p, {"Banana.avi"}), (Names{"Bbnbnb.bvi"}));
  p.mainScope = false;
  EXPECT_EQ(Replace(p, {"Banana.avi", "Bn.xa"}), (Names{"Banana.bvi", "Bn.xb"}));
  p.mainScope = true;
  p.extScope = false;
  EXPECT_EQ(Replace(p, {"x.a", "ab.a"}), (Names{"x.a", "bb.a"}));
  // A match across the "." belongs to neither part.
  p.find = "a.b";
  p.extScope = true;
  EXPECT_EQ(Replace(p, {"xa.b", "a.ba.b"}), (Names{"xa.b", "ba.b"}));
}

TEST(ReplaceRule, MatchesLeftToRightWithoutOverlapOrRescan) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b", 1, true), "ba");
  EXPECT_EQ(ReplaceAll("aa", "a", "aa", 1, true), "aaaa");
  EXPECT_EQ(ReplaceAll("xaXa", "a", "", 1, false), "xX");
  EXPECT_EQ(ReplaceAll(".a.a", ".", "", 2, true), ".aa");
  EXPECT_EQ(ReplaceAll("abc", "c", "", 4, true), "abc");
  // A start inside a character moves past it instead of matching its trail.
  EXPECT_EQ(ReplaceAll(kTrailLowerA + "a", "a", "b", 2, true), kTrailLowerA + "b");
}

TEST(InsertRule, PositionsAreClampedAndNeverSplitACharacter) {
  EXPECT_EQ(InsertAt("abc", 1, "X"), "Xabc");
  EXPECT_EQ(InsertAt("abc", 3, "X"), "abXc");
  EXPECT_EQ(InsertAt("abc", 0, "X"), "Xabc");
  EXPECT_EQ(InsertAt("abc", -7, "X"), "Xabc");
  EXPECT_EQ(InsertAt("abc", 99, "X"), "abcX");
  EXPECT_EQ(InsertAt("abc", -2147483647 - 1, "X"), "Xabc");
  EXPECT_EQ(InsertAt("中文", 2, "X"), "X中文");
  EXPECT_EQ(InsertAt("a中", 3, "X"), "aX中");
  EXPECT_EQ(InsertAt("a中", 4, "X"), "a中X");
}

TEST(InsertRule, MainNameAndExtension) {
  InsertPage p;
  p.mainText = "X";
  p.mainPosition = "3";
  EXPECT_EQ(Insert(p, {"abc.txt"}), (Names{"abXc.txt"}));
  p.mainPosition = "";
  EXPECT_EQ(Insert(p, {"abc.txt"}), (Names{"Xabc.txt"}));
  p.mainAtPosition = false;
  p.mainAtEnd = true;
  EXPECT_EQ(Insert(p, {"abc.txt"}), (Names{"abcX.txt"}));

  InsertPage e;
  e.extText = "X";
  EXPECT_EQ(Insert(e, {"a.txt", "README", "a.", "a.中文"}), (Names{"a.Xtxt", "README.X", "a.X", "a.X中文"}));
  e.extPosition = "2";
  EXPECT_EQ(Insert(e, {"a.中文"}), (Names{"a.X中文"}));
  for (const char* pos : {"0", "-3", ""}) {
    e.extPosition = pos;
    EXPECT_EQ(Insert(e, {"a.txt"}), (Names{"aX.txt"})) << pos;
  }
  e.extPosition = "2147483647";
  EXPECT_EQ(Insert(e, {"a.txt"}), (Names{"a.txtX"}));
  e.extAtPosition = false;
  e.extAtEnd = true;
  EXPECT_EQ(Insert(e, {"a.txt", "README"}), (Names{"a.txtX", "README.X"}));
  e.extText.clear();
  EXPECT_EQ(Insert(e, {"README"}), (Names{"README"}));
}

CasePage CaseOf(char main, char ext) {  // U, L, F (first upper), f (first lower), 0 (none)
  CasePage p;
  p.mainUpper = main == 'U', p.mainLower = main == 'L', p.mainFirstUpper = main == 'F', p.mainFirstLower = main == 'f';
  p.extUpper = ext == 'U', p.extLower = ext == 'L', p.extFirstUpper = ext == 'F', p.extFirstLower = ext == 'f';
  return p;
}

TEST(CaseRule, WholeCaseLeavesDoubleByteCharactersAlone) {
  EXPECT_EQ(Case(CasePage{}, {"abc中文d", "Song.mp3"}), (Names{"ABC中文D", "SONG.MP3"}));
  EXPECT_EQ(Case(CaseOf('U', 'U'), {kTrailLowerA + "x.t" + kTrailLowerA}),
            (Names{kTrailLowerA + "X.T" + kTrailLowerA}));
  EXPECT_EQ(Case(CaseOf('L', 'U'), {kTrailUpperA + "AB.txt"}), (Names{kTrailUpperA + "ab.TXT"}));
  EXPECT_EQ(Case(CaseOf('U', 'L'), {"ab.TXT", "ab"}), (Names{"AB.txt", "AB"}));
}

TEST(CaseRule, FirstLetterChange) {
  EXPECT_EQ(Case(CaseOf('F', 'L'), {"12abc.txt", "123.TXT", "中ab"}), (Names{"12Abc.txt", "123.txt", "中Ab"}));
  // The trail byte "a" of the first character is not a letter.
  EXPECT_EQ(Case(CaseOf('F', 'L'), {kTrailLowerA + "bc"}), (Names{kTrailLowerA + "Bc"}));
  EXPECT_EQ(Case(CaseOf('f', 'F'), {"ABC.txt", ".x"}), (Names{"aBC.Txt", ".X"}));
  EXPECT_EQ(Case(CaseOf('U', 'F'), {"ab.txt"}), (Names{"AB.Txt"}));
  EXPECT_EQ(Case(CaseOf('L', 'F'), {"AB." + kTrailLowerA + "tx"}), (Names{"ab." + kTrailLowerA + "Tx"}));
  // Nothing checked: the main name stays, the extension's first letter is lowered.
  EXPECT_EQ(Case(CaseOf('0', '0'), {"AB.TXT"}), (Names{"AB.tXT"}));
}

TEST(PlainFileName, RefusesSeparatorsWildcardsAndControlBytes) {
  for (const std::string& ok : Names{"a.txt", "...", "a.", "歌曲 (1).mp3", kTrailBackslash + ".txt", kTrailBar})
    EXPECT_TRUE(IsPlainFileName(ok)) << ok;
  for (const std::string& bad : Names{"", ".", "..", "a\\b", "a/b", "c:", "*.txt", "a?", "\"q\"", "<a", "a>", "a|b", "a\tb",
                          std::string("a\0b", 3), "\x1F"})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  // As Windows converts code page 936: 0x80 and 0xFF stand alone, so the
  // "\" or ":" after them is real; a lead byte without a trail byte is "?".
  for (const std::string& ok : Names{"\x80.mp3", "\xFF.mp3", "\xA1\x40\xFE\xFE.mp3", "\x81\x7C\x81\x80"})
    EXPECT_TRUE(IsPlainFileName(ok)) << ok;
  for (const std::string& bad : Names{"\xFF\\evil.mp3", "ok\xFF:ads.mp3", "\xD6/x.mp3", "a\x81", "\x81\x7F.mp3",
                                      "\xFE\xFF.mp3", "\x81\x30.mp3"})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  // GB18030's four-byte form of a character (U+00F6) is one; past U+10FFFF
  // it is none.
  EXPECT_TRUE(IsPlainFileName("\x81\x30\x8B\x32.mp3"));
  EXPECT_FALSE(IsPlainFileName("\xFE\x39\xFE\x39.mp3"));
  for (const std::string& end : Names{"a.", "a ", "...", "歌."}) EXPECT_TRUE(EndsInDotOrSpace(end)) << end;
  for (const std::string& fine : Names{"", "a.b", " a", "歌", kTrailBackslash}) EXPECT_FALSE(EndsInDotOrSpace(fine)) << fine;
}

TEST(DeviceName, ReservedInAnyCaseWithOrWithoutExtension) {
  for (const std::string& device : Names{"CON", "prn.txt", "Aux.tar.gz", "nul", "COM1", "lpt9.mp3", "con .t", "COM1  .t", "nul  "})
    EXPECT_TRUE(IsDeviceName(device)) << device;
  for (const std::string& file : Names{"", "COM0", "LPT10", "cons", "acon", "con_.txt", " con", "歌CON", ".con", "con  x", "COM1x.t"})
    EXPECT_FALSE(IsDeviceName(file)) << file;
}

}  // namespace
}  // namespace tavik::rename
