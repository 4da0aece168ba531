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

}  // namespace
}  // namespace tavik::rename
