// Tags checked against independent tools: python3-mutagen and the id3v2
// command. Native build only; each test skips when its tool is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "support/test_support.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "text/unicode.h"

namespace tavik::tags {
namespace {

using tavik::testing::TempDir;
using tavik::testing::WriteWholeFile;

#ifndef _WIN32
std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// The pyenv python found first on PATH may lack the system's mutagen.
const std::string& PythonWithMutagen() {
  static const std::string found = [] {
    for (const char* python : {"python3", "/usr/bin/python3"})
      if (std::system((std::string(python) + " -c 'import mutagen' >/dev/null 2>&1").c_str()) == 0)
        return std::string(python);
    return std::string();
  }();
  return found;
}

bool HaveId3v2Tool() { return std::system("id3v2 --version >/dev/null 2>&1") == 0; }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs a python script with arguments; "key=value" lines come back as a map.
std::map<std::string, std::string> RunPython(const TempDir& dir, const std::string& script,
                                             const std::string& args) {
  std::string path = dir / "script.py";
  EXPECT_TRUE(WriteWholeFile(path, script));
  std::string out = Capture(PythonWithMutagen() + " " + Quote(ToNativePath(path)) + " " + args +
                            " 2>&1");
  std::map<std::string, std::string> values;
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    std::string line = out.substr(start, end - start);
    size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    else if (!line.empty()) ADD_FAILURE() << "tool said: " << line;
    start = end + 1;
  }
  return values;
}
#endif

#ifdef _WIN32
#define REQUIRE_NATIVE() GTEST_SKIP() << "the tools run natively only"
#define REQUIRE_MUTAGEN() REQUIRE_NATIVE()
#define REQUIRE_ID3V2() REQUIRE_NATIVE()
#else
#define REQUIRE_MUTAGEN() \
  if (PythonWithMutagen().empty()) GTEST_SKIP() << "python3-mutagen is not installed"
#define REQUIRE_ID3V2() \
  if (!HaveId3v2Tool()) GTEST_SKIP() << "the id3v2 command is not installed"
#endif

#ifndef _WIN32
const std::string kAudio = std::string("\xFF\xFB\x90\x00", 4) + std::string(4000, '\0');

TagFields AsciiFields() {
  TagFields f;
  f.title = "Interop Title";
  f.artist = "Some Artist";
  f.album = "An Album";
  f.track = "7/12";
  f.year = "2004";
  f.genre = "(17)Rock";
  f.comment = "A comment here";
  f.composer = "Comp Oser";
  f.origArtist = "Orig Artist";
  f.rights = "2004 Rights";
  f.url = "http://example.org/x";
  f.encodedBy = "Encoder 1";
  return f;
}

std::string WriteOurTag(const TempDir& dir, const TagFields& f) {
  std::string path = dir / "ours.mp3";
  EXPECT_TRUE(WriteWholeFile(path, kAudio + BuildId3v1({.title = "v1"}, -1)));
  auto file = SystemFileSystem().Open(path, FileAccess::ReadWrite, FileShare::None,
                                      FileCreate::OpenExisting);
  EXPECT_TRUE(file && WriteId3v2(*file, f));
  return path;
}
#endif

TEST(Interop, MutagenReadsOurId3v2AsVersion23) {
  REQUIRE_MUTAGEN();
#ifndef _WIN32
  TempDir dir;
  TagFields f = AsciiFields();
  std::string path = WriteOurTag(dir, f);
  auto v = RunPython(dir, R"py(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False, load_v1=False)
print("version=%d.%d.%d" % t.version)
print("frames=%d" % len(t))
for fr in t.values():
    if fr.FrameID == "COMM":
        print("COMM=%s|%s|%s" % (fr.lang, fr.desc, fr.text[0]))
    elif fr.FrameID == "WXXX":
        print("WXXX=%s|%s" % (fr.desc, fr.url))
    else:
        print("%s=%s" % (fr.FrameID, "/".join(str(x) for x in fr.text)))
)py",
                     Quote(ToNativePath(path)));
  EXPECT_EQ(v["version"], "2.3.0");
  EXPECT_EQ(v["frames"], "12");
  EXPECT_EQ(v["TIT2"], f.title);
  EXPECT_EQ(v["TPE1"], f.artist);
  EXPECT_EQ(v["TALB"], f.album);
  EXPECT_EQ(v["TRCK"], f.track);
  EXPECT_EQ(v["TYER"], f.year);
  EXPECT_EQ(v["TCON"], f.genre);
  EXPECT_EQ(v["COMM"], "CHS||" + f.comment);
  EXPECT_EQ(v["TCOM"], f.composer);
  EXPECT_EQ(v["TOPE"], f.origArtist);
  EXPECT_EQ(v["TCOP"], f.rights);
  EXPECT_EQ(v["WXXX"], "|" + f.url);
  EXPECT_EQ(v["TENC"], f.encodedBy);
#endif
}

// Fields code page 936 cannot hold go as UTF-16 with a byte-order mark:
// the driver's UTF-8 tag with the title the dialog gives it there, and a
// comment beyond the BMP.
TEST(Interop, MutagenReadsOurUtf16Fields) {
  REQUIRE_MUTAGEN();
#ifndef _WIN32
  const char* source = std::getenv("TAVIK_SOURCE_DIR");
  if (!source) GTEST_SKIP() << "TAVIK_SOURCE_DIR (set by ctest) names the folder of the driver script";
  std::ifstream script(std::string(source) + "/tests/drive/unicode_names.tvd");
  std::string bytes;
  for (std::string line; std::getline(script, line);)
    if (line.rfind("mkbytes $W/v24.mp3 ", 0) == 0)
      for (size_t i = 19; i + 1 < line.size(); i += 2)
        bytes += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
  TempDir dir;
  const std::string path = dir / "v24.mp3";
  ASSERT_TRUE(WriteWholeFile(path, bytes));
  auto file = SystemFileSystem().Open(path, FileAccess::ReadWrite, FileShare::None, FileCreate::OpenExisting);
  TagFields f;
  ASSERT_TRUE(file && ReadId3v2(*file, f));
  f.title = text::FromUtf8Lossy("\xC3\x85sa \xF0\x9F\x8E\xB5");     // Åsa 🎵
  f.comment = text::FromUtf8Lossy("\xED\x95\x9C\xF0\xA0\xAE\xB7");  // 한𠮷
  f.album = "红豆";
  ASSERT_TRUE(WriteId3v2(*file, f, {&TagFields::artist}));
  file.reset();
  auto v = RunPython(dir, R"py(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False, load_v1=False)
for fr in t.values():
    if hasattr(fr, "text") and fr.text:
        print("%s=%d|%s" % (fr.FrameID, fr.encoding, fr.text[0]))
)py",
                     Quote(ToNativePath(path)));
  EXPECT_EQ(v["TIT2"], "1|" + text::ToUtf8Lossy(f.title));
  EXPECT_EQ(v["COMM"], "1|" + text::ToUtf8Lossy(f.comment));
  EXPECT_EQ(v["TPE1"], "1|Mot\xC3\xB6rhead");
  EXPECT_EQ(v["TALB"].substr(0, 2), "0|");  // GBK bytes, which mutagen takes for Latin-1
#endif
}

TEST(Interop, Id3v2CommandListsOurFrames) {
  REQUIRE_ID3V2();
#ifndef _WIN32
  TempDir dir;
  TagFields f = AsciiFields();
  f.genre = "(17)";
  std::string out = Capture("id3v2 -l " + Quote(ToNativePath(WriteOurTag(dir, f))) + " 2>&1");
  std::map<std::string, std::string> v;
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    std::string line = out.substr(start, end - start);
    size_t colon = line.find("): ");
    if (line.size() > 5 && line[4] == ' ' && line[5] == '(' && colon != std::string::npos)
      v[line.substr(0, 4)] = line.substr(colon + 3);
    start = end + 1;
  }
  EXPECT_NE(out.find("id3v2 tag info"), std::string::npos) << out;
  EXPECT_EQ(v.size(), 12u) << out;
  EXPECT_EQ(v["TIT2"], f.title);
  EXPECT_EQ(v["TPE1"], f.artist);
  EXPECT_EQ(v["TALB"], f.album);
  EXPECT_EQ(v["TRCK"], f.track);
  EXPECT_EQ(v["TYER"], f.year);
  EXPECT_EQ(v["TCON"], "Rock (17)");  // the command shows the name it resolved
  EXPECT_EQ(v["COMM"], "()[CHS]: " + f.comment);
  EXPECT_EQ(v["TCOM"], f.composer);
  EXPECT_EQ(v["TOPE"], f.origArtist);
  EXPECT_EQ(v["TCOP"], f.rights);
  EXPECT_EQ(v["WXXX"], "(): " + f.url);
  EXPECT_EQ(v["TENC"], f.encodedBy);
#endif
}

TEST(Interop, MutagenReadsOurId3v1WithTrack) {
  REQUIRE_MUTAGEN();
#ifndef _WIN32
  struct Case {
    const char *title, *artist, *album, *year, *comment, *track;
    int genre;
    const char* expectComment;
  } cases[] = {
      {"Title One", "Artist", "Album", "1999", "Short comment", "7", 17, "Short comment"},
      {"T", "A", "L", "2000", "twenty-nine bytes of comment.", "", -1,
       "twenty-nine bytes of comment."},
      // A track takes the comment's last two bytes.
      {"T", "A", "L", "2000", "thirty bytes of comment here!!", "12", 0,
       "thirty bytes of comment here"},
      {"Thirty characters of the titl", "B", "C", "2010", "", "255", 125, ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::string path = dir / "v1.mp3";
    ASSERT_TRUE(WriteWholeFile(path, kAudio));
    {
      auto file = SystemFileSystem().Open(path, FileAccess::ReadWrite, FileShare::None,
                                          FileCreate::OpenExisting);
      ASSERT_TRUE(file && WriteId3v1(*file, {.title = c.title, .artist = c.artist, .album = c.album,
          .track = c.track, .year = c.year, .comment = c.comment}, c.genre));
    }
    auto v = RunPython(dir, R"py(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False)
print("version=%d.%d" % t.version[:2])
for fr in t.values():
    print("%s=%s" % (fr.FrameID, str(fr.text[0])))
)py",
                       Quote(ToNativePath(path)));
    SCOPED_TRACE(c.comment);
    EXPECT_EQ(v["version"], "1.1");
    EXPECT_EQ(v["TIT2"], c.title);
    EXPECT_EQ(v["TPE1"], c.artist);
    EXPECT_EQ(v["TALB"], c.album);
    EXPECT_EQ(v["TDRC"], c.year);
    EXPECT_EQ(v["COMM"], c.expectComment);
    EXPECT_EQ(v["TRCK"], c.track);
    EXPECT_EQ(v["TCON"], c.genre < 0 ? "" : std::to_string(c.genre));
  }
#endif
}

// The tags of the tag dialog's driver script as other writers write them:
// changing only the title "Old", as the dialog does, leaves every frame
// mutagen reads as it was.
TEST(Interop, AnEditOfTheTitleKeepsWhatMutagenReadsInOtherWritersTags) {
  REQUIRE_MUTAGEN();
#ifndef _WIN32
  const char* source = std::getenv("TAVIK_SOURCE_DIR");
  if (!source) GTEST_SKIP() << "TAVIK_SOURCE_DIR (set by ctest) names the folder of the driver script";
  std::ifstream script(std::string(source) + "/tests/drive/tag_dialog.tvd");
  const KeptSlots allButTitle = {&TagFields::artist,   &TagFields::album,      &TagFields::track,
                                 &TagFields::year,     &TagFields::genre,      &TagFields::comment,
                                 &TagFields::composer, &TagFields::origArtist, &TagFields::rights,
                                 &TagFields::url,      &TagFields::encodedBy};
  int tags = 0, refused = 0;
  for (std::string line, word; std::getline(script, line);) {
    std::istringstream words(line);
    std::string bytes;
    if (!(words >> word) || word != "mkbytes" || !(words >> word)) continue;
    while (words >> word)
      for (size_t i = 0; i + 1 < word.size(); i += 2)
        bytes += static_cast<char>(std::stoi(word.substr(i, 2), nullptr, 16));
    if (bytes.compare(0, 3, "ID3") || bytes.find("Old") == std::string::npos) continue;
    SCOPED_TRACE(line.substr(0, 40));
    ++tags;
    TempDir dir;
    const std::string before = dir / "before.mp3", after = dir / "after.mp3";
    ASSERT_TRUE(WriteWholeFile(before, bytes) && WriteWholeFile(after, bytes));
    auto file =
        SystemFileSystem().Open(after, FileAccess::ReadWrite, FileShare::None, FileCreate::OpenExisting);
    TagFields f;
    ASSERT_TRUE(file && ReadId3v2(*file, f));
    f.title = "New";
    const bool wrote = WriteId3v2(*file, f, allButTitle);
    file.reset();
    // A refusal leaves every byte: the compressed 2.2 tag only.
    if (std::string now; !wrote) {
      ++refused;
      EXPECT_TRUE(testing::ReadWholeFile(after, &now) && now == bytes);
      continue;
    }
    auto v = RunPython(dir, R"py(
import sys
from mutagen.id3 import ID3
for name, path in (("before", sys.argv[1]), ("after", sys.argv[2])):
    t = ID3(path, translate=False, load_v1=False)
    print("%s=%d.%d|%s" % ((name,) + t.version[:2] + ("|".join(sorted(f.pprint() for f in t.values())),)))
print("beyond23=%d" % sum(getattr(f, "encoding", 0) > 1 for f in t.values()))
)py",
                       Quote(ToNativePath(before)) + " " + Quote(ToNativePath(after)));
    std::string want = v["before"];
    ASSERT_NE(want.find("|TIT2=Old"), std::string::npos) << want;
    want.replace(want.find("|TIT2=Old"), 9, "|TIT2=New").replace(0, 3, "2.3");
    EXPECT_EQ(v["after"], want);
    EXPECT_EQ(v["beyond23"], "0");  // encodings 2.3 readers do not know
  }
  EXPECT_EQ(tags, 17);
  EXPECT_EQ(refused, 1);
#endif
}

TEST(Interop, OurReaderReadsMutagenTagsAndARewriteKeepsTheirOtherFrames) {
  REQUIRE_MUTAGEN();
#ifndef _WIN32
  for (int version : {3, 4}) {
    for (int encoding : {0, 1, 2, 3}) {
      SCOPED_TRACE("v2." + std::to_string(version) + " encoding " + std::to_string(encoding));
      TempDir dir;
      std::string path = dir / "m.mp3";
      ASSERT_TRUE(WriteWholeFile(path, kAudio));
      auto v = RunPython(dir, R"py(
import sys
from mutagen.id3 import (ID3, TIT2, TPE1, TALB, TRCK, TYER, TDRC, TCON, COMM, TOPE, TCOP,
                         TCOM, WXXX, TENC, APIC, TXXX)
path, ver, enc = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
t = ID3()
t.add(TIT2(encoding=enc, text="Mutagen Title"))
t.add(TPE1(encoding=enc, text="Mutagen Artist"))
t.add(TALB(encoding=enc, text="Mutagen Album"))
t.add(TRCK(encoding=enc, text="3/9"))
# ID3v2.4 keeps the year in TDRC.
t.add(TYER(encoding=enc, text="2005") if ver == 3 else TDRC(encoding=enc, text="2005"))
t.add(TCON(encoding=enc, text="(17)"))
t.add(COMM(encoding=enc, lang="eng", desc="note", text="Mutagen comment"))
t.add(TOPE(encoding=enc, text="Mutagen Orig"))
t.add(TCOP(encoding=enc, text="Mutagen Rights"))
t.add(TCOM(encoding=enc, text="Mutagen Composer"))
t.add(WXXX(encoding=enc, desc="", url="http://m.example/"))
t.add(TENC(encoding=enc, text="Mutagen Enc"))
t.add(APIC(encoding=enc, mime="image/png", type=3, desc="", data=b"pic" * 200))
t.add(TXXX(encoding=enc, desc="replaygain_track_gain", text="-6.50 dB"))
t.save(path, v2_version=ver)
print("saved=1")
)py",
                         Quote(ToNativePath(path)) + " " + std::to_string(version) + " " +
                             std::to_string(encoding));
      ASSERT_EQ(v["saved"], "1");
      auto file = SystemFileSystem().Open(path, FileAccess::ReadWrite, FileShare::None,
                                          FileCreate::OpenExisting);
      ASSERT_TRUE(file);
      TagFields f;
      std::string tcon;
      ASSERT_TRUE(ReadId3v2(*file, f, &tcon));
      EXPECT_EQ(f.title, "Mutagen Title");
      EXPECT_EQ(f.artist, "Mutagen Artist");
      EXPECT_EQ(f.album, "Mutagen Album");
      EXPECT_EQ(f.track, "3/9");
      EXPECT_EQ(f.year, "2005");
      EXPECT_EQ(f.genre, "Rock");
      EXPECT_EQ(f.comment, "Mutagen comment");
      EXPECT_EQ(f.origArtist, "Mutagen Orig");
      EXPECT_EQ(f.rights, "Mutagen Rights");
      EXPECT_EQ(f.composer, "Mutagen Composer");
      EXPECT_EQ(f.url, "http://m.example/");
      EXPECT_EQ(f.encodedBy, "Mutagen Enc");

      // The title changed as the dialog writes it: the picture, the user
      // text and the genre as stored stay.
      f.title = "New Title";
      f.genre = tcon;
      ASSERT_TRUE(WriteId3v2(*file, f));
      file.reset();
      v = RunPython(dir, R"py(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False, load_v1=False)
p = t.getall("APIC")[0]
print("read=%d.%d.%d|%s|%s|%s|%d|%s" % (t.version + (t["TIT2"].text[0], "/".join(t["TCON"].genres),
      p.mime, p.data == b"pic" * 200, t["TXXX:replaygain_track_gain"].text[0])))
)py",
                    Quote(ToNativePath(path)));
      EXPECT_EQ(v["read"], "2.3.0|New Title|Rock|image/png|1|-6.50 dB");
    }
  }
#endif
}

}  // namespace
}  // namespace tavik::tags
