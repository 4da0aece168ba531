// Random batches on a real directory: whatever the rules make of the names
// (collisions, chains, swaps, refused names, files gone or listed twice),
// renaming and undoing never lose or overwrite a file, and every item's
// status tells where its file is.
#include <algorithm>
#include <iterator>
#include <map>
#include <random>

#include "filelist/test_dirs.h"
#include "rename/rename_fixture.h"

namespace tavik::rename {
namespace {

using filelist::kStatus;

class BatchMoverPropertyTest : public RenameTest {
 protected:
  // Contents of the files directly in dir, sorted.
  std::vector<std::string> Contents(const std::string& dir) {
    std::vector<std::string> out;
    SystemFileSystem().List(dir, [&](const DirEntry& e) {
      if (e.isDirectory) return;
      std::string bytes;
      EXPECT_TRUE(testing::ReadWholeFile(dir + "\\" + e.name, &bytes)) << e.name;
      out.push_back(bytes);
    });
    std::sort(out.begin(), out.end());
    return out;
  }
  std::string ContentAt(const std::string& path) {
    std::string bytes;
    return testing::ReadWholeFile(path, &bytes) ? bytes : std::string("<missing>");
  }

  std::mt19937 rng{20240601};
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  template <size_t N>
  const char* PickOf(const char* const (&options)[N]) {
    return options[Pick(static_cast<int>(N))];
  }

  // A rule that makes many names meet: short names over three letters.
  void RandomRule() {
    static const char* const kFinds[] = {"a", "b", "ab", "ba", ".", "c"};
    static const char* const kRepls[] = {"", "a", "b", "c", "ab", "\\", "..", ":"};
    static const char* const kScopes[] = {"仅文件名单选框", "仅扩展名单选框", "替换删除全部单选框"};
    static const char* const kStarts[] = {"0", "1", "2", "3"};
    static const char* const kSteps[] = {"0", "1", "-1", "2", "-2"};
    static const char* const kPrefixes[] = {"", "a", "b", "ab"};
    static const char* const kGeneralScopes[] = {"常规文件名单选框", "常规扩展名单选框", "常规全部单选框"};
    if (Pick(2) == 0) {
      Tab(kReplacePage);
      Check(PickOf(kScopes));
      Set("查找内容编辑框", PickOf(kFinds));
      Set("替换为编辑框", PickOf(kRepls));
    } else {
      Tab(kGeneralPage);
      Check(PickOf(kGeneralScopes));
      Set("文件名前缀编辑框", PickOf(kPrefixes));
      Set("起始量编辑框", PickOf(kStarts));
      Set("增量编辑框", PickOf(kSteps));
      Set("新扩展名编辑框", Pick(2) ? "t" : "");
    }
  }
};

// The files of dir by name, as a model of what the moves do.
using Files = std::map<std::string, std::string>;

// One move as the system makes it: never onto an existing name. The rename
// also refuses names that lose their end on Windows; undo takes old names
// back as they were.
bool ModelMove(Files& files, const std::string& from, const std::string& to, bool rename) {
  if (!IsPlainFileName(to) || (rename && EndsInDotOrSpace(to))) return false;
  if (!files.count(from) || files.count(to)) return false;
  files[to] = std::move(files[from]);
  files.erase(from);
  return true;
}

TEST_F(BatchMoverPropertyTest, NothingIsLostAndEveryStatusIsTrue) {
  static const char* const kNames[] = {"a", "b",   "ab",  "ba",  "0",   "1",
                                       "2", "a.t", "b.t", "0.t", "1.t", "ab.t"};
  int renamedTotal = 0, refusedTotal = 0, restoredTotal = 0;
  for (int round = 0; round < 150; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::string dir = work / ("r" + std::to_string(round));
    ASSERT_TRUE(testing::MakeDirectory(dir));
    ASSERT_TRUE(testing::MakeDirectory(dir + "\\away"));
    list.ClearList();

    // Distinct files with distinct contents, some listed twice, some gone
    // before the batch, in a random order.
    std::vector<std::string> names(std::begin(kNames), std::end(kNames));
    std::shuffle(names.begin(), names.end(), rng);
    names.resize(3 + Pick(8));
    std::vector<std::string> paths;
    for (const std::string& n : names) {
      ASSERT_TRUE(WriteNewFile(dir + "\\" + n, "content of " + n));
      paths.push_back(dir + "\\" + n);
      if (Pick(6) == 0) paths.push_back(dir + "\\" + n);
    }
    std::shuffle(paths.begin(), paths.end(), rng);
    list.AddPaths(paths);
    for (const std::string& n : names)
      if (Pick(8) == 0) {
        ASSERT_TRUE(SystemFileSystem().Move(dir + "\\" + n, dir + "\\away\\" + n));
      }
    Files model = Files();
    SystemFileSystem().List(dir, [&](const DirEntry& e) {
      if (!e.isDirectory) model[e.name] = ContentAt(dir + "\\" + e.name);
    });
    const std::vector<std::string> before = Contents(dir);
    const std::vector<std::string> listed = list.oldNames;

    RandomRule();
    int32_t moved = mover.RenameAll();
    EXPECT_EQ(Contents(dir), before);
    int successes = 0;
    for (int i = 0; i < list.ItemCount(); ++i) {
      const std::string& status = Cell(i, kStatus);
      const std::string& target = list.newNames[i];
      bool ok = status == "更名成功";
      ASSERT_TRUE(ok || status == "更名失败") << status;
      successes += ok;
      if (!IsPlainFileName(target) || EndsInDotOrSpace(target)) ++refusedTotal;
      if (target == listed[i]) {
        // Onto itself: the system decides, and nothing changes either way.
      } else {
        EXPECT_EQ(ok, ModelMove(model, listed[i], target, true)) << listed[i] << " -> " << target;
      }
      EXPECT_EQ(list.oldNames[i], ok ? target : listed[i]);
      EXPECT_EQ(list.undoNames[i], ok ? listed[i] : "");
    }
    EXPECT_EQ(moved, successes);
    renamedTotal += successes;
    for (auto& [name, content] : model) EXPECT_EQ(ContentAt(dir + "\\" + name), content) << name;

    shell.messageAnswers.push_back(ui::MsgAnswer::Yes);
    const std::vector<std::string> renamed = list.oldNames, undo = list.undoNames;
    UndoOutcome out = mover.UndoLastBatch();
    ASSERT_TRUE(out.confirmed);
    EXPECT_EQ(Contents(dir), before);
    int restored = 0;
    for (int i = 0; i < list.ItemCount(); ++i) {
      const std::string& status = Cell(i, kStatus);
      bool ok = status == "撤消成功";
      ASSERT_TRUE(ok || status == "撤消失败") << status;
      restored += ok;
      if (undo[i].empty()) {
        EXPECT_FALSE(ok);
      } else if (undo[i] != renamed[i]) {
        EXPECT_EQ(ok, ModelMove(model, renamed[i], undo[i], false)) << renamed[i];
      }
      EXPECT_EQ(list.oldNames[i], ok ? undo[i] : renamed[i]);
    }
    EXPECT_EQ(out.restored, restored);
    restoredTotal += restored;
    for (auto& [name, content] : model) EXPECT_EQ(ContentAt(dir + "\\" + name), content) << name;
    if (HasFailure()) break;
  }
  // The rounds did exercise both outcomes.
  EXPECT_GT(renamedTotal, 100);
  EXPECT_GT(refusedTotal, 10);
  EXPECT_GT(restoredTotal, 100);
}

// Batches built to fail in every way a move can: the rows the explicit
// preview marks are exactly the rows the batch then fails, and each reason
// is borne out by what the files and the other items did.
TEST_F(BatchMoverPropertyTest, MarksForetellExactlyTheFailedMoves) {
  FileSystem& fs = SystemFileSystem();
  auto key = [&](const std::string& name) {
    std::string k;
    fs.NameKey(name, k);
    return k;
  };
  std::map<std::string, int> seen;
  for (int round = 0; round < 1000; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    list.ClearList();
    // Two folders; names in the second overflow sooner.
    const std::string dirs[2] = {work / ("m" + std::to_string(round)),
                                 work / ("m" + std::to_string(round) + std::string(100, 'd'))};
    std::vector<std::string> paths;
    std::map<std::string, bool> outside;  // folder + key of each file not listed
    std::map<std::string, bool> gone;     // folder + name of each listed file moved away
    for (const std::string& dir : dirs) {
      ASSERT_TRUE(testing::MakeDirectory(dir));
      ASSERT_TRUE(testing::MakeDirectory(dir + "\\away"));
      std::map<std::string, bool> made;
      for (int k = 0; k < 25; ++k) {
        std::string name = std::string(Pick(2) ? "n" : "N") + std::to_string(Pick(8)) + (Pick(2) ? ".t" : "");
        if (made.count(key(name))) continue;
        made[key(name)] = true;
        ASSERT_TRUE(WriteNewFile(dir + "\\" + name, name));
        if (Pick(4) == 0) {
          outside[dir + "\\" + key(name)] = true;
        } else {
          paths.push_back(dir + "\\" + name);
        }
      }
    }
    std::shuffle(paths.begin(), paths.end(), rng);
    list.AddPaths(paths);
    for (const std::string& p : paths)
      if (Pick(10) == 0 && !gone.count(p)) {
        std::string name = filelist::NameOf(p);
        ASSERT_TRUE(fs.Move(p, filelist::DirectoryOf(p) + "away\\" + name));
        gone[p] = true;
      }

    // A rule that makes names meet, chain, swap, change case, or fail by
    // their form.
    const int longName = static_cast<int>(kLongestPath - dirs[1].size());
    static const char* const kPrefixes[] = {"n", "N", "COM", "lpt", "con", "歌", "L", "n"};
    switch (Pick(3)) {
      case 0: {
        Tab(kGeneralPage);
        Check("常规全部单选框");
        std::string prefix = PickOf(kPrefixes);
        // Over 255 bytes once in UTF-8; over the path limit in the second
        // folder.
        if (prefix == "歌")
          for (int k = 1; k < 90; ++k) prefix += "歌";
        if (prefix == "L") prefix.assign(longName - 2, 'L');
        Set("文件名前缀编辑框", prefix);
        Set("起始量编辑框", std::to_string(Pick(4)));
        Set("增量编辑框", std::to_string(Pick(4) - 1));
        Set("文件名后缀编辑框", Pick(6) == 0 ? (Pick(2) ? "." : " ") : "");
        Set("新扩展名编辑框", Pick(2) ? "t" : "");
        break;
      }
      case 1:
        Tab(kCasePage);
        Check(Pick(2) ? "文件名全部大写单选框" : "文件名全部小写单选框");
        Check(Pick(2) ? "扩展名全部大写单选框" : "扩展名全部小写单选框");
        break;
      default:
        Tab(kReplacePage);
        Check("替换删除全部单选框");
        static const char* const kFinds[] = {"n", ".t", "n1", "n2"};
        static const char* const kRepls[] = {"", "N", "con", "?"};
        Set("查找内容编辑框", PickOf(kFinds));
        Set("替换为编辑框", PickOf(kRepls));
        break;
    }
    pages.RefreshPreview(PreviewRows::All);
    const int n = list.ItemCount();
    std::vector<std::string> marks(n);
    for (int i = 0; i < n; ++i) marks[i] = pages.MarkText(i);
    const std::vector<std::string> before = list.oldNames;
    mover.RenameAll();
    for (int i = 0; i < n; ++i) {
      const bool failed = Cell(i, kStatus) == "更名失败";
      const std::string& folder = Cell(i, filelist::kPath);
      const std::string& name = list.newNames[i];
      EXPECT_EQ(failed, !marks[i].empty()) << i << ": " << before[i] << " -> " << name << " " << marks[i];
      if (marks[i].empty()) continue;
      std::string kind;
      for (char c : marks[i])
        if (c < '0' || c > '9') kind += c;
      ++seen[kind];
      // Each reason is borne out by the files and the other items.
      int other = -1;
      sscanf(marks[i].c_str() + marks[i].find("第") + 2, "%d", &other);
      --other;
      if (marks[i] == "新文件名为空") {
        EXPECT_TRUE(name.empty());
      } else if (marks[i] == "原文件不存在") {
        EXPECT_TRUE(gone.count(folder + before[i]));
      } else if (marks[i] == "同名文件已存在") {
        EXPECT_TRUE(outside.count(folder + key(name))) << name;
      } else if (marks[i] == "新的完整路径过长") {
        EXPECT_GT(folder.size() + name.size(), 100u);
      }
      if (marks[i].starts_with("与第")) {
        ASSERT_TRUE(other >= 0 && other < i);
        EXPECT_EQ(Cell(other, kStatus), "更名成功");
        EXPECT_EQ(key(Cell(other, filelist::kPath) + list.newNames[other]), key(folder + name));
      }
      if (marks[i].starts_with("新文件名被第")) {
        ASSERT_TRUE(other >= 0 && other < n && other != i);
        EXPECT_TRUE(other > i || Cell(other, kStatus) == "更名失败");
        EXPECT_EQ(key(Cell(other, filelist::kPath) + before[other]), key(folder + name));
      }
    }
    if (HasFailure()) break;
  }
  // Every reason came up.
  EXPECT_EQ(seen.size(), 9u);
}

}  // namespace
}  // namespace tavik::rename
