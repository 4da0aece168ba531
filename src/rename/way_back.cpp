#include "rename/way_back.h"

#include <unordered_map>
#include <unordered_set>

#include "rename/batch_mover.h"
#include "rename/journal.h"
#include "text/gbk.h"

namespace tavik::rename {

namespace {

// Each folder of the journal listed once, when a move first names it:
// under Wine a query for a missing name reads the whole folder.
class ListedNames final : public NamesOnDisk {
 public:
  explicit ListedNames(FileSystem& fs) : fs_(fs) {}

  std::string Key(const std::string& folder, const std::string& name) override {
    fs_.NameKey(folder, key_);
    std::string key = key_;
    if (listed_.insert(key).second) {
      allRead_ &= fs_.List(folder, [&](DirEntry& e) {
        fs_.NameKey(e.name, key_);
        names_.try_emplace(key + key_, std::move(e.name));
      });
    }
    fs_.NameKey(name, key_);
    return key + key_;
  }

  const std::string* Spelling(const std::string& key) override {
    auto it = names_.find(key);
    return it == names_.end() ? nullptr : &it->second;
  }

  // Whether every folder named so far could be listed.
  bool AllRead() const { return allRead_; }

 private:
  FileSystem& fs_;
  std::unordered_set<std::string> listed_;
  std::unordered_map<std::string, std::string> names_;
  std::string key_;
  bool allRead_ = true;
};

}  // namespace

void OfferWayBack(ui::Form& main, ui::Shell& shell, FileSystem& fs, AppendFiles& files,
                  const std::string& exeDir) {
  const std::string path = JournalPath(exeDir);
  std::string bytes;
  if (!files.ReadAll(path, &bytes)) return;
  JournalReading journal = ReadJournal(bytes, exeDir);
  if (journal.state == JournalState::Foreign) return;
  // Counted by the disk, not the journal: a way back cut off earlier took
  // some of them back already.
  std::vector<JournalMove> made;
  ListedNames disk(fs);
  {
    ui::WaitCursor wait(shell);
    made = MovesStillMade(journal, disk);
  }
  const auto k = static_cast<int32_t>(made.size());
  if (k > 0) {
    const std::string count = text::NumberToText(k);
    std::string question =
        journal.kind == BatchKind::Rename
            ? "上一次更名没有完成，其中 " + count + " 个文件已经改名。\r\n是否把这些文件恢复为原来的名称？"
            : "上一次撤消没有完成，其中 " + count + " 个文件已经恢复。\r\n是否把这些文件改回撤消之前的名称？";
    if (shell.ShowMessage(&main, "询问：", question, ui::MsgIcon::Info, ui::MsgButtons::YesNo) ==
        ui::MsgAnswer::Yes) {
      int32_t restored = 0;
      {
        ui::WaitCursor wait(shell);
        // Latest first, so a chain within the batch unwinds in order; Move
        // never replaces.
        for (const JournalMove& m : made)
          if (fs.Move(m.folder + m.to, m.folder + m.from)) ++restored;
      }
      if (restored == k)
        shell.ShowMessage(&main, "Tavik批量更名器", count + " 个文件已恢复原来的名称。", ui::MsgIcon::Info,
                          ui::MsgButtons::Ok);
      else
        shell.ShowMessage(&main, "Tavik批量更名器", RestoreSummary(k, restored), ui::MsgIcon::Warning,
                          ui::MsgButtons::Ok);
    }
  }
  // Asked once, whatever the answer; but a folder that could not be read (a
  // drive not there now) may still hold moves of the batch: the journal stays
  // for the next start, which counts only what is still made.
  if (disk.AllRead()) files.Remove(path);
}

}  // namespace tavik::rename
