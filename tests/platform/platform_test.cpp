// One test source for both implementations: natively it checks the Linux
// stand-ins, under Wine the real Win32 API. Both must give the same results.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "filelist/test_dirs.h"
#include "platform/platform.h"
#include "text/unicode.h"
#include "support/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace tavik {
namespace {

using testing::ReadWholeFile;
using testing::TempDir;
using testing::WriteWholeFile;

// A GBK character whose trail byte is "\" (0x5C): 誠 is not it in every code
// page, so spell the bytes: D5 5C is a valid CP936 character.
const std::string kTrail5C = "\xD5\x5C";

std::set<std::string> ListNames(const std::string& dir, bool withDirs) {
  std::set<std::string> names;
  SystemFileSystem().List(dir, [&](const DirEntry& e) {
    if (withDirs || !e.isDirectory) names.insert(e.name);
  });
  return names;
}

TEST(FileSystem, ListsFilesHiddenOnesIncludedAndMarksDirectories) {
  TempDir t;
  ASSERT_TRUE(WriteWholeFile(t / "a.txt", "a"));
  ASSERT_TRUE(WriteWholeFile(t / ".hidden", "h"));
  auto& fs = SystemFileSystem();
#ifdef _WIN32
  ASSERT_TRUE(WriteWholeFile(t / "h.txt", "h"));
  ASSERT_TRUE(SetFileAttributesA((t / "h.txt").c_str(), 2 /*FILE_ATTRIBUTE_HIDDEN*/));
#endif
  ASSERT_TRUE(fs.Exists(t / "a.txt"));
  std::string sub = t / "sub";
  ASSERT_TRUE(WriteWholeFile(t / "b.mp3", ""));
  EXPECT_FALSE(fs.IsDirectory(t / "a.txt"));
  EXPECT_TRUE(fs.IsDirectory(t.path()));
  EXPECT_FALSE(fs.Exists(t / "missing"));

  std::set<std::string> files = ListNames(t.path(), false);
  EXPECT_TRUE(files.count("a.txt"));
  EXPECT_TRUE(files.count(".hidden"));
  EXPECT_TRUE(files.count("b.mp3"));
#ifdef _WIN32
  EXPECT_TRUE(files.count("h.txt"));
#endif
  // "." and ".." come as directories and are never taken for files.
  EXPECT_FALSE(files.count("."));
  std::set<std::string> all = ListNames(t.path() + "\\", true);
  EXPECT_TRUE(all.count("."));
  EXPECT_FALSE(fs.List(t / "missing", [](const DirEntry&) {}));
}

TEST(FileSystem, ListReportsSubdirectoriesAsDirectories) {
  TempDir t;
  ASSERT_TRUE(WriteWholeFile(t / "f", "x"));
  std::string sub = t / "sub";
#ifdef _WIN32
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
#else
  ASSERT_EQ(system(("mkdir '" + ToNativePath(sub) + "'").c_str()), 0);
#endif
  bool sawSub = false;
  SystemFileSystem().List(t.path(), [&](const DirEntry& e) {
    if (e.name == "sub") sawSub = e.isDirectory;
  });
  EXPECT_TRUE(sawSub);
  EXPECT_TRUE(SystemFileSystem().IsDirectory(sub));
}

TEST(FileSystem, MoveNeverReplacesAnExistingFile) {
  TempDir t;
  auto& fs = SystemFileSystem();
  ASSERT_TRUE(WriteWholeFile(t / "a", "first"));
  ASSERT_TRUE(WriteWholeFile(t / "b", "second"));
  EXPECT_FALSE(fs.Move(t / "a", t / "b"));
  std::string a, b;
  ASSERT_TRUE(ReadWholeFile(t / "a", &a));
  ASSERT_TRUE(ReadWholeFile(t / "b", &b));
  EXPECT_EQ(a, "first");
  EXPECT_EQ(b, "second");
  EXPECT_TRUE(fs.Move(t / "a", t / "c"));
  EXPECT_FALSE(fs.Exists(t / "a"));
  EXPECT_FALSE(fs.Move(t / "missing", t / "d"));
  EXPECT_FALSE(fs.Exists(t / "d"));
}

TEST(FileSystem, MovingAFileOntoItsOwnNameSucceedsAndKeepsIt) {
  TempDir t;
  auto& fs = SystemFileSystem();
  ASSERT_TRUE(WriteWholeFile(t / "same.txt", "x"));
  EXPECT_TRUE(fs.Move(t / "same.txt", t / "same.txt"));
  std::string data;
  ASSERT_TRUE(ReadWholeFile(t / "same.txt", &data));
  EXPECT_EQ(data, "x");
  EXPECT_FALSE(fs.Move(t / "gone.txt", t / "gone.txt"));
}

TEST(FileSystem, CaseOnlyMoveChangesTheName) {
  TempDir t;
  auto& fs = SystemFileSystem();
  ASSERT_TRUE(WriteWholeFile(t / "song.mp3", "x"));
  ASSERT_TRUE(fs.Move(t / "song.mp3", t / "SONG.MP3"));
  std::set<std::string> names = ListNames(t.path(), false);
  EXPECT_EQ(names, std::set<std::string>{"SONG.MP3"});
}

#ifdef _WIN32
// A second spelling of a name in a Linux folder, which Win32 calls cannot
// make under Wine (they fold case): a Linux program makes it. False where
// the folder folds case itself.
bool MakeSecondSpelling(const std::string& dir, const std::string& name) {
  auto spawn = reinterpret_cast<int(__cdecl*)(char* const*, int)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
  auto unixName = reinterpret_cast<char*(__cdecl*)(const wchar_t*)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!spawn || !unixName) return false;
  char* base = unixName(std::wstring(dir.begin(), dir.end()).c_str());  // temp paths are ASCII
  std::string path = std::string(base) + "/" + name;
  HeapFree(GetProcessHeap(), 0, base);
  char* argv[] = {const_cast<char*>("touch"), path.data(), nullptr};
  return spawn(argv, 1) == 0 && ListNames(dir, false).count(name);
}

// Wine takes any spelling for a name, so a case-only move (through a
// temporary name) must not start while another spelling is there: neither
// the step on nor the step back would find its name free.
TEST(FileSystem, CaseOnlyMoveBesideAnotherSpellingLeavesEveryFileWhereItWas) {
  TempDir t;
  auto& fs = SystemFileSystem();
  ASSERT_TRUE(WriteWholeFile(t / "a.txt", "lower"));
  if (!MakeSecondSpelling(t.path(), "A.TXT")) GTEST_SKIP() << "this folder folds case";
  EXPECT_FALSE(fs.Move(t / "a.txt", t / "A.TXT"));
  EXPECT_FALSE(fs.Move(t / "A.TXT", t / "a.txt"));  // undo after the old name was taken
  ASSERT_TRUE(MakeSecondSpelling(t.path(), "A.txt"));
  // Wine answers a free spelling with the first one its listing holds,
  // which for one of these is the source itself.
  for (const char* source : {"a.txt", "A.TXT", "A.txt"})
    EXPECT_FALSE(fs.Move(t / source, t / "a.TxT")) << source;
  EXPECT_EQ(ListNames(t.path(), false), (std::set<std::string>{"A.TXT", "A.txt", "a.txt"}));
  std::string data;
  EXPECT_TRUE(ReadWholeFile(t / "a.txt", &data) && data == "lower");
}
#endif

// Windows opens no path of 260 bytes or more (MAX_PATH counts the
// terminator), Linux holds names of up to 255 UTF-8 bytes (中 takes three),
// and a case-only move needs room for its temporary name: a move past these
// is refused, the longest that fit work both ways.
TEST(FileSystem, MoveRefusesNamesTooLongToUseAfterwards) {
  TempDir t;
  auto& fs = SystemFileSystem();
  ASSERT_TRUE(WriteWholeFile(t / "f", "x"));
  const std::string dir = t.path() + "\\";
  const std::string longest(259 - dir.size(), 'p');
  std::string cjk;
  for (int i = 0; i < 84; ++i) cjk += "中";
  // Wine refuses some names a little too long and cuts longer ones short.
  const std::pair<std::string, std::string> cases[] = {{longest, longest + "q"},
                                                       {cjk + "abc", cjk + "abc中中中"}};
  for (const auto& [fits, over] : cases) {
    EXPECT_TRUE(fs.Move(t / "f", dir + fits)) << fits.size();
    EXPECT_TRUE(fs.Move(dir + fits, t / "f")) << fits.size();
    EXPECT_FALSE(fs.Move(t / "f", dir + over)) << over.size();
  }
  EXPECT_EQ(ListNames(t.path(), false), std::set<std::string>{"f"});
  const std::string deep = dir + std::string(245 - dir.size(), 'd');
  ASSERT_TRUE(testing::MakeDirectory(deep));
  ASSERT_TRUE(WriteWholeFile(deep + "\\a", "x"));
  bool moved = fs.Move(deep + "\\a", deep + "\\A");
  EXPECT_EQ(ListNames(deep, false), std::set<std::string>{moved ? "A" : "a"});
}

TEST(FileSystem, MoveRefusesAFileThatIsOpen) {
  TempDir t;
  auto& fs = SystemFileSystem();
  ASSERT_TRUE(WriteWholeFile(t / "locked", "x"));
  auto f = fs.Open(t / "locked", FileAccess::Read, FileShare::Read, FileCreate::OpenExisting);
  ASSERT_TRUE(f);
  EXPECT_FALSE(fs.Move(t / "locked", t / "moved"));
  f.reset();
  EXPECT_TRUE(fs.Move(t / "locked", t / "moved"));
}

TEST(FileSystem, GbkNamesWithBackslashTrailBytesSurviveListingAndMoving) {
  TempDir t;
  auto& fs = SystemFileSystem();
  std::string name = "a" + kTrail5C + ".txt";
  std::string renamed = kTrail5C + "中文.txt";
  ASSERT_TRUE(WriteWholeFile(t / name, "data"));
  EXPECT_TRUE(ListNames(t.path(), false).count(name));
  ASSERT_TRUE(fs.Move(t / name, t / renamed));
  std::set<std::string> names = ListNames(t.path(), false);
  EXPECT_EQ(names, std::set<std::string>{renamed});
  std::string data;
  ASSERT_TRUE(ReadWholeFile(t / renamed, &data));
  EXPECT_EQ(data, "data");
}

#ifndef _WIN32
// Linux only: a folder on Windows holds neither named pipes nor names that
// its code page cannot spell.
TEST(FileSystem, APipeIsListedButNeverOpened) {
  TempDir t;
  auto& fs = SystemFileSystem();
  ASSERT_EQ(mkfifo(ToNativePath(t / "x.mp3").c_str(), 0600), 0);
  EXPECT_TRUE(ListNames(t.path(), false).count("x.mp3"));
  EXPECT_FALSE(fs.Open(t / "x.mp3", FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenAlways));
  EXPECT_FALSE(fs.Open(t / "x.mp3", FileAccess::Read, FileShare::Read, FileCreate::OpenExisting));
}

TEST(FileSystem, NamesWithoutAWindowsFormAreListedButNeverReached) {
  TempDir t;
  auto& fs = SystemFileSystem();
  const std::string dir = ToNativePath(t.path()) + "/";
  auto make = [](const std::string& native) {
    std::FILE* f = std::fopen(native.c_str(), "wb");
    return f && std::fclose(f) == 0;
  };
  // Hangul has no GBK form: the name lists exactly (GB18030's four-byte
  // forms), never as "??.mp3", the name of another file here.
  ASSERT_TRUE(make(dir + "\xEA\xB0\x80\xEB\x82\x98.mp3"));
  const std::string hangul = "\x82\x37\xCF\x35\x82\x38\xC7\x31.mp3";
  ASSERT_TRUE(make(dir + "??.mp3"));
  ASSERT_EQ(mkdir((dir + "a").c_str(), 0700), 0);
  ASSERT_TRUE(make(dir + "a/b.mp3"));
  ASSERT_TRUE(make(dir + "a\\b.mp3"));
  EXPECT_EQ(ListNames(t.path(), false), (std::set<std::string>{"??.mp3", "a?b.mp3", hangul}));
  EXPECT_TRUE(fs.Exists(t / hangul));
  EXPECT_FALSE(fs.Exists(t / "??.mp3"));
  EXPECT_FALSE(fs.Open(t / "??.mp3", FileAccess::Read, FileShare::Read, FileCreate::OpenExisting));
  EXPECT_FALSE(fs.Move(t / "??.mp3", t / "moved.mp3"));
  EXPECT_FALSE(fs.Move(t / "a?b.mp3", t / "moved.mp3"));
  EXPECT_FALSE(fs.Open(t / "new*.mp3", FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenAlways));
  EXPECT_FALSE(fs.List(t / "*", [](const DirEntry&) {}));
  struct stat st;
  for (const char* kept : {"??.mp3", "a/b.mp3", "a\\b.mp3"})
    EXPECT_EQ(stat((dir + kept).c_str(), &st), 0) << kept;
  EXPECT_FALSE(fs.Exists(t / "moved.mp3"));
}
#endif

TEST(File, SeekReadWriteAndSetEnd) {
  TempDir t;
  auto& fs = SystemFileSystem();
  EXPECT_FALSE(fs.Open(t / "none", FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting));
  auto f = fs.Open(t / "f", FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenAlways);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Size(), 0);
  ASSERT_TRUE(f->Write("0123456789", 10));
  EXPECT_EQ(f->Size(), 10);
  ASSERT_TRUE(f->Seek(-3, SeekFrom::End));
  EXPECT_EQ(f->Tell(), 7);
  char buf[8] = {};
  size_t got = 0;
  ASSERT_TRUE(f->Read(buf, 8, &got));
  EXPECT_EQ(got, 3u);
  EXPECT_EQ(std::string(buf, got), "789");
  ASSERT_TRUE(f->Read(buf, 8, &got));
  EXPECT_EQ(got, 0u);
  ASSERT_TRUE(f->Seek(4, SeekFrom::Begin));
  ASSERT_TRUE(f->SetEnd());
  EXPECT_EQ(f->Size(), 4);
  ASSERT_TRUE(f->Seek(6, SeekFrom::Begin));
  ASSERT_TRUE(f->SetEnd());  // growing fills with zeros
  EXPECT_EQ(f->Size(), 6);
  f.reset();
  std::string all;
  ASSERT_TRUE(ReadWholeFile(t / "f", &all));
  EXPECT_EQ(all, std::string("0123\0\0", 6));
}

TEST(File, OpenAlwaysCreatesButNeverTruncates) {
  TempDir t;
  auto& fs = SystemFileSystem();
  ASSERT_TRUE(WriteWholeFile(t / "dir.txt", "keep\r\n"));
  auto f = fs.Open(t / "dir.txt", FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::OpenAlways);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Size(), 6);
  f.reset();
  auto g = fs.Open(t / "new.txt", FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::OpenAlways);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->Size(), 0);
}

TEST(File, ShareModesShutOutOtherOpeners) {
  TempDir t;
  auto& fs = SystemFileSystem();
  ASSERT_TRUE(WriteWholeFile(t / "s.mp3", "abc"));
  // Reading with other writers shut out: another reader is fine, a writer is not.
  auto r = fs.Open(t / "s.mp3", FileAccess::Read, FileShare::Read, FileCreate::OpenExisting);
  ASSERT_TRUE(r);
  EXPECT_TRUE(fs.Open(t / "s.mp3", FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting));
  EXPECT_FALSE(fs.Open(t / "s.mp3", FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::OpenExisting));
  r.reset();
  // Reading and writing, others may read but not write.
  auto w = fs.Open(t / "s.mp3", FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenExisting);
  ASSERT_TRUE(w);
  EXPECT_FALSE(fs.Open(t / "s.mp3", FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::OpenExisting));
  // A reader that lets others read and write still conflicts: the writer
  // holding the file did not allow... reading is allowed, so it opens.
  EXPECT_TRUE(fs.Open(t / "s.mp3", FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting));
  // A reader that shuts out writers cannot open while a writer holds it.
  EXPECT_FALSE(fs.Open(t / "s.mp3", FileAccess::Read, FileShare::Read, FileCreate::OpenExisting));
  w.reset();
  auto none = fs.Open(t / "s.mp3", FileAccess::Read, FileShare::None, FileCreate::OpenExisting);
  ASSERT_TRUE(none);
  EXPECT_FALSE(fs.Open(t / "s.mp3", FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting));
}

class ProfileTest : public ::testing::Test {
 protected:
  std::string Bytes(const std::string& file) {
    std::string s;
    ReadWholeFile(file, &s);
    return s;
  }
  TempDir t;
  Profile& p = SystemProfile();
};

TEST_F(ProfileTest, WritingCreatesTheFileWithSectionsInOrder) {
  std::string ini = t / "config.ini";
  ASSERT_TRUE(p.Put(ini, "预览选项", "自动预览", "开"));
  ASSERT_TRUE(p.Put(ini, "预览选项", "预览数量", "10"));
  ASSERT_TRUE(p.Put(ini, "颜色", "背景颜色", "8429696"));
  EXPECT_EQ(Bytes(ini),
            "[预览选项]\r\n自动预览=开\r\n预览数量=10\r\n[颜色]\r\n背景颜色=8429696\r\n");
}

TEST_F(ProfileTest, ReplacingAKeyKeepsEveryOtherLine) {
  std::string ini = t / "c.ini";
  ASSERT_TRUE(WriteWholeFile(ini, "[A]\r\nx=1\r\ny=2\r\n[B]\r\nx=3\r\n"));
  ASSERT_TRUE(p.Put(ini, "a", "X", "9"));
  ASSERT_TRUE(p.Put(ini, "A", "z", "new"));
  EXPECT_EQ(p.Get(ini, "A", "x", "d"), "9");
  EXPECT_EQ(p.Get(ini, "A", "y", "d"), "2");
  EXPECT_EQ(p.Get(ini, "A", "z", "d"), "new");
  EXPECT_EQ(p.Get(ini, "B", "x", "d"), "3");
}

TEST_F(ProfileTest, MissingKeysSectionsAndFilesGiveTheDefault) {
  std::string ini = t / "c.ini";
  EXPECT_EQ(p.Get(ini, "A", "x", "fallback"), "fallback");
  EXPECT_FALSE(SystemFileSystem().Exists(ini));  // reading creates nothing
  ASSERT_TRUE(WriteWholeFile(ini, "[A]\r\nx = spaced value \r\nempty=\r\n"));
  EXPECT_EQ(p.Get(ini, "A", "x", "d"), "spaced value");
  EXPECT_EQ(p.Get(ini, "A", "empty", "d"), "");
  EXPECT_EQ(p.Get(ini, "A", "nokey", "d"), "d");
  EXPECT_EQ(p.Get(ini, "Nosection", "x", "d"), "d");
}

// What the private-profile functions take from a file written elsewhere.
TEST_F(ProfileTest, ReadsLinesEndedByCarriageReturnAloneAndCutsAtAZeroByte) {
  std::string ini = t / "c.ini";
  ASSERT_TRUE(WriteWholeFile(ini, std::string("[A]\rx=1\ry=ab\0cd\r\n[B]\nz=3", 24)));
  EXPECT_EQ(p.Get(ini, "A", "x", "d"), "1");
  EXPECT_EQ(p.Get(ini, "A", "y", "d"), "ab");
  EXPECT_EQ(p.Get(ini, "B", "z", "d"), "3");
}

TEST_F(ProfileTest, LongValuesAreCut) {
  std::string ini = t / "c.ini";
  std::string big(12000, 'v');
  ASSERT_TRUE(WriteWholeFile(ini, "[A]\r\nx=" + big + "\r\n"));
  EXPECT_EQ(p.Get(ini, "A", "x", "d").size(), 10239u);
  EXPECT_EQ(p.Get(ini, "A", "x", "d", 5), "vvvvv");
}

// A file in a drive's root: "C:\x.ini" on Windows, "\x.ini" (the file
// system root) on Linux. Both are joined without a doubled backslash.
TEST_F(ProfileTest, WorksForAFileInARootDirectory) {
#ifdef _WIN32
  const std::string root = "C:\\";
#else
  const std::string root = "\\";
#endif
  std::string ini = root + "tavik-profile-test.ini";
  if (!WriteWholeFile(ini, "")) GTEST_SKIP() << "the root directory is not writable here";
  EXPECT_TRUE(p.Put(ini, "字体", "字体名称", "宋体"));
  EXPECT_EQ(p.Get(ini, "字体", "字体名称", "x"), "宋体");
  EXPECT_EQ(Bytes(ini), "[字体]\r\n字体名称=宋体\r\n");
  std::remove(ToNativePath(ini).c_str());
}

TEST(Encoding, RoundTripsGbkAndGivesOtherCharactersTheirFourByteForms) {
  // Literals in this file are GBK already, so UTF-8 is spelled as bytes.
  const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
  EXPECT_EQ(text::FromUtf8Lossy(utf8), "中文");
  EXPECT_EQ(text::ToUtf8Lossy("中文"), utf8);
  EXPECT_EQ(text::FromUtf8Lossy(text::ToUtf8Lossy(kTrail5C + "x")), kTrail5C + "x");
  EXPECT_EQ(text::FromUtf8Lossy("a\xE2\x82\xAC" "b"), "a\x80" "b");  // the euro sign is 0x80 in CP936
  // An emoji has no GBK form: GB18030's four-byte form.
  EXPECT_EQ(text::FromUtf8Lossy("a\xF0\x9F\x98\x80" "b"), "a\x94\x39\xFC\x36" "b");
  // Code page 936 as Windows converts it: 0x80 and 0xFF stand alone, and the
  // user-defined pairs are private-use characters (A1 40 is U+E4C6).
  EXPECT_EQ(text::ToUtf8Lossy("\x80\xFF"), "\xE2\x82\xAC\xEF\xA3\xB5");
  EXPECT_EQ(text::ToUtf8Lossy("\xA1\x40\xA1\\"), "\xEE\x93\x86\xEE\x93\xA2");
  EXPECT_EQ(text::FromUtf8Lossy(text::ToUtf8Lossy("\x80\xFF\xA1\x40\xA1\\")), "\x80\xFF\xA1\x40\xA1\\");
#ifndef _WIN32
  // A lead byte takes no byte that is not a trail byte (Wine's converter
  // takes it along): the "/" the check of a name saw reaches Linux.
  EXPECT_EQ(ToNativePath("\xD6/a\x81"), "?/a?");
#endif
}

TEST(ExecutableDirectory, HasNoTrailingBackslashUnlessARoot) {
  std::string dir = ExecutableDirectory();
  ASSERT_FALSE(dir.empty());
  if (dir.size() > 3) {
    EXPECT_NE(dir.back(), '\\');
  }
}

}  // namespace
}  // namespace tavik
