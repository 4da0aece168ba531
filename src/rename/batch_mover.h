// Moves the listed files as one batch: every item to its freshly computed
// name, or the last batch back to the names it came from, with the progress
// marks in the status bar.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "filelist/file_list.h"
#include "platform/append_file.h"
#include "platform/platform.h"
#include "rename/journal.h"
#include "rename/rule_pages.h"
#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::rename {

struct UndoOutcome {
  bool confirmed = false;  // false: the user said no and nothing happened
  int32_t restored = 0;
};

class BatchMover {
 public:
  // pages computes the new names; fs moves the files.
  BatchMover(ui::Form& form, ui::Shell& shell, FileSystem& fs, filelist::FileList& list, RulePages& pages);
  ~BatchMover();

  // From now on each batch keeps its journal in exeDir (without one, a
  // batch cut off is not known at the next start).
  void KeepJournal(AppendFiles& files, const std::string& exeDir);

  // Moves every item to its freshly computed name; the count moved.
  int32_t RenameAll();
  // Asks first; moves the last batch back.
  UndoOutcome UndoLastBatch();

 private:
  struct Direction;
  int32_t MoveEach(const Direction& direction, int32_t n);
  bool OpenJournal(bool back, int32_t n, const std::vector<std::string>& targets);
  void ShowProgress(std::string& marks, int& shown, int64_t done, int64_t total);

  ui::Form& form_;
  ui::Shell& shell_;
  FileSystem& fs_;
  filelist::FileList& list_;
  RulePages& pages_;
  std::unique_ptr<BatchJournal> journal_;
};

// The toolbar's outcome messages.
std::string RenameSummary(int32_t total, int32_t moved);
std::string UndoSummary(int32_t total, int32_t restored);
// The way back's outcome after a batch was cut off.
std::string RestoreSummary(int32_t total, int32_t restored);

}  // namespace tavik::rename
