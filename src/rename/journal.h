// The batch journal, rename.log beside config.ini: the plan of a running
// batch and its progress, so that a batch the process did not live to
// finish can be taken back at the next start. It exists only while a batch
// runs or after one was cut off.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/append_file.h"

namespace tavik::rename {

enum class BatchKind { Rename, Undo };

struct JournalMove {
  int32_t number = 0;  // the item's position in the list, from 1
  std::string folder;  // ends in "\"
  std::string from, to;
};

std::string JournalPath(const std::string& exeDir);

// Writes the journal of one batch at a time. Once a write fails it writes
// nothing more: what it wrote until then still tells the truth.
class BatchJournal {
 public:
  BatchJournal(AppendFiles& files, std::string exeDir);
  ~BatchJournal();

  // The plan, gathered in list order, then written and synced at once by
  // Open; false when it cannot be, and the batch then runs without one.
  void Begin(BatchKind kind);
  void Add(int32_t number, const std::string& folder, const std::string& from, const std::string& to);
  bool Open();
  // Around each planned move.
  void Moving(int32_t number);
  void Failed(int32_t number);
  // The batch ended: the journal goes.
  void Finish();

 private:
  void Append(std::string_view bytes);

  AppendFiles& files_;
  std::string exeDir_;
  BatchKind kind_ = BatchKind::Rename;
  std::string plan_;
  int32_t planned_ = 0;
  bool representable_ = true;
  std::unique_ptr<AppendFile> file_;
};

enum class JournalState {
  Foreign,  // not this program's, or written for another home: left alone
  Damaged,  // ours, but its plan is incomplete or broken
  CutOff,   // a batch that did not end
};

struct JournalReading {
  JournalState state = JournalState::Foreign;
  BatchKind kind = BatchKind::Rename;
  std::vector<JournalMove> done;  // moves known to have been made, in order
  // The move begun last and neither cancelled nor followed by another: the
  // process may have died before or after the system made it.
  bool hasInDoubt = false;
  JournalMove inDoubt;
  // The plan's moves after the last one begun, in order: a power cut can
  // lose the progress lines of moves the system had made.
  std::vector<JournalMove> later;
};

JournalReading ReadJournal(std::string_view bytes, std::string_view exeDir);

// The names a folder holds, as the way back asks the disk.
class NamesOnDisk {
 public:
  virtual ~NamesOnDisk() = default;
  // The name as the file system compares it, its folder included.
  virtual std::string Key(const std::string& folder, const std::string& name) = 0;
  // The spelling of the entry answering to the key; nullptr when none does.
  virtual const std::string* Spelling(const std::string& key) = 0;
};

// The moves of a cut-off batch that the disk shows still made, latest
// first, the order to take them back in. Replayed latest first, a move
// counts where its new name is there and its old name is free (a case-only
// move: where the entry has the new spelling). Moves after the last one
// recorded count while the disk shows them, up to the first it does not.
std::vector<JournalMove> MovesStillMade(JournalReading& reading, NamesOnDisk& disk);

}  // namespace tavik::rename
