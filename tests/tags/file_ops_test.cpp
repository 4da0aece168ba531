#include <gtest/gtest.h>

#include <functional>

#include "tags/file_doubles.h"
#include "tags/file_ops.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

namespace tavik::tags {
namespace {

using testing::FaultyFile;
using testing::MemoryFile;

std::string Pattern(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + seed) ^ (i >> 9));
  return s;
}

TEST(FileOps, ReplaceMatchesRemoveThenInsertAcrossBlocks) {
  const size_t B = kMoveBlockBytes;
  const std::string base = Pattern(2 * B + 777, 1);
  struct Case {
    size_t pos, count, len;
  } cases[] = {{0, 0, 10},          {0, 10, 0},         {0, 1024, 1024},    {5, 1000, 1000 + B},
               {0, B + 3, 2},       {0, 2, B + 3},      {100, 2 * B, 50},   {0, base.size(), 9},
               {base.size(), 0, 3}, {B - 1, 1, B + 1},  {0, base.size(), 3 * B}};
  for (const Case& c : cases) {
    std::string bytes = Pattern(c.len, 99);
    MemoryFile file(base);
    ASSERT_TRUE(file.Seek(static_cast<int64_t>(c.pos), SeekFrom::Begin));
    ASSERT_TRUE(ReplaceBytes(file, static_cast<int64_t>(c.count), bytes));
    std::string expected = base;
    expected.replace(c.pos, c.count, bytes);
    EXPECT_TRUE(file.data == expected) << c.pos << " " << c.count << " " << c.len;
  }
}

TEST(FileOps, RemoveAndInsertWorkAtThePosition) {
  const std::string base = Pattern(3 * kMoveBlockBytes + 5, 2);
  MemoryFile file(base);
  ASSERT_TRUE(file.Seek(7, SeekFrom::Begin));
  ASSERT_TRUE(RemoveBytes(file, 100000));
  EXPECT_TRUE(file.data == base.substr(0, 7) + base.substr(100007));
  ASSERT_TRUE(file.Seek(7, SeekFrom::Begin));
  ASSERT_TRUE(InsertBytes(file, base.substr(7, 100000)));
  EXPECT_TRUE(file.data == base);
  // Past the end is refused and changes nothing.
  ASSERT_TRUE(file.Seek(-10, SeekFrom::End));
  EXPECT_FALSE(RemoveBytes(file, 11));
  EXPECT_EQ(file.Tell(), static_cast<int64_t>(base.size()) - 10);
  EXPECT_TRUE(file.data == base);
}

// A full disk: the growth is refused before any old byte is touched.
TEST(FileOps, FullDiskLeavesTheFileAsItWas) {
  const std::string old = BuildId3v2({}) + Pattern(50000, 3);
  TagFields f;
  f.comment = std::string(3000, 'c');
  for (size_t spare : {0u, 1u, 2999u}) {
    MemoryFile file(old, old.size() + spare);
    EXPECT_FALSE(WriteId3v2(file, f)) << spare;
    EXPECT_TRUE(file.data == old) << spare;
  }
  MemoryFile roomy(old, old.size() + 3000);
  EXPECT_TRUE(WriteId3v2(roomy, f));
  EXPECT_TRUE(roomy.data == BuildId3v2(f) + old.substr(1024));
}

// Runs op on a copy of initial that fails operation k, for every k the
// operation performs: each failure must be reported, and the file must be
// unchanged whenever no original byte had been overwritten yet.
void ExpectEveryFailureReported(const std::string& initial, const std::string& expected,
                                const std::function<bool(File&)>& op) {
  MemoryFile clean(initial);
  FaultyFile counter(clean, 0);
  ASSERT_TRUE(op(counter));
  ASSERT_TRUE(clean.data == expected);
  for (bool partial : {false, true}) {
    for (int k = 1; k <= counter.operations; ++k) {
      MemoryFile copy(initial);
      FaultyFile faulty(copy, k, partial);
      EXPECT_FALSE(op(faulty)) << "operation " << k;
      bool untouchedYet = faulty.firstOverwrite == 0 || k < faulty.firstOverwrite;
      if (untouchedYet) {
        EXPECT_TRUE(copy.data == initial) << "operation " << k << " " << partial;
      }
    }
  }
}

TEST(FaultInjection, WriteId3v2InEveryShape) {
  const std::string audio = Pattern(3 * kMoveBlockBytes + 11, 4);
  const std::string v1 = BuildId3v1({.title = "t", .artist = "a", .album = "l", .track = "1",
      .year = "2000", .comment = "c"}, 1);
  TagFields f;
  f.title = "A title";
  const std::string tag = BuildId3v2(f);
  TagFields same = f;
  same.title = "Z title";
  auto write = [&](File& file) { return WriteId3v2(file, f); };
  struct Shape {
    const char* name;
    std::string oldTag;
    std::string rest;
  } shapes[] = {
      {"no tag", "", audio + v1},
      {"smaller tag", BuildId3v2({}), audio},
      {"larger tag", BuildId3v2({}) + std::string(kMoveBlockBytes, '\0'), audio + v1},
      {"same size", BuildId3v2(same), audio},
      {"tail longer than the audio", BuildId3v2({}).substr(0, 10), "xyz"},
  };
  // Keep the stated size right for the padded "larger tag".
  auto size = EncodeSynchsafe(static_cast<uint32_t>(shapes[2].oldTag.size() - 10));
  for (int i = 0; i < 4; ++i) shapes[2].oldTag[6 + i] = static_cast<char>(size[i]);
  auto empty = EncodeSynchsafe(0);
  for (int i = 0; i < 4; ++i) shapes[4].oldTag[6 + i] = static_cast<char>(empty[i]);
  for (const Shape& s : shapes) {
    SCOPED_TRACE(s.name);
    ExpectEveryFailureReported(s.oldTag + s.rest, tag + s.rest, write);
  }
}

TEST(FaultInjection, SameSizeRewriteMovesNothing) {
  TagFields f;
  f.title = "abcd";
  const std::string audio = Pattern(200000, 5);
  MemoryFile file(BuildId3v2(f) + audio);
  f.title = "wxyz";
  FaultyFile counter(file, 0);
  ASSERT_TRUE(WriteId3v2(counter, f));
  EXPECT_TRUE(file.data == BuildId3v2(f) + audio);
  EXPECT_LT(counter.operations, 12);
}

TEST(FaultInjection, DeletesAndId3v1Writes) {
  const std::string audio = Pattern(kMoveBlockBytes + 300, 6);
  const std::string v1 = BuildId3v1({.title = "t", .artist = "a", .album = "l", .track = "1",
      .year = "2000", .comment = "c"}, 1);
  const std::string v2 = BuildId3v2({});
  ExpectEveryFailureReported(v2 + audio + v1, audio + v1, [](File& f) { return DeleteId3v2(f); });
  ExpectEveryFailureReported(v2 + audio + v1, v2 + audio, [](File& f) { return DeleteId3v1(f); });
  const TagFields n{.title = "T", .artist = "A", .album = "L", .year = "1999", .comment = "x"};
  const std::string nv1 = BuildId3v1(n, 2);
  auto writeV1 = [&n](File& f) { return WriteId3v1(f, n, 2); };
  ExpectEveryFailureReported(audio + v1, audio + nv1, writeV1);
  ExpectEveryFailureReported(audio, audio + nv1, writeV1);
}

}  // namespace
}  // namespace tavik::tags
