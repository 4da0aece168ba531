#include "rename/batch_mover.h"

#include "rename/move_check.h"
#include "text/gbk.h"

namespace tavik::rename {

using filelist::kNewName;
using filelist::kOldName;
using filelist::kPath;
using filelist::kStatus;

namespace {

constexpr int kMarks = 20;
const char kMark[] = "■";

std::string Summary(int32_t total, int32_t done, const char* ok, const char* failed) {
  return "文件总数：" + text::NumberToText(total) + " 个文件\r\n\r\n" + text::NumberToText(done) + ok +
         "\r\n" + text::NumberToText(static_cast<int64_t>(total) - done) + failed;
}

}  // namespace

std::string RenameSummary(int32_t total, int32_t moved) {
  return Summary(total, moved, " 个文件更名成功！", " 个文件更名失败！");
}

std::string UndoSummary(int32_t total, int32_t restored) {
  return Summary(total, restored, " 个文件撤消成功！", " 个文件撤消失败！");
}

std::string RestoreSummary(int32_t total, int32_t restored) {
  return Summary(total, restored, " 个文件恢复成功！", " 个文件恢复失败！");
}

// Renaming moves each item from its old name to its new one and records the
// old name for undo; undoing moves it back to that recorded name.
struct BatchMover::Direction {
  bool back;
  const char* succeeded;  // the item's status text
  const char* failed;
};

BatchMover::BatchMover(ui::Form& form, ui::Shell& shell, FileSystem& fs, filelist::FileList& list,
                       RulePages& pages)
    : form_(form), shell_(shell), fs_(fs), list_(list), pages_(pages) {}

BatchMover::~BatchMover() = default;

void BatchMover::KeepJournal(AppendFiles& files, const std::string& exeDir) {
  journal_ = std::make_unique<BatchJournal>(files, exeDir);
}

namespace {

// The names the preview marks as failing by their form are refused here, so
// a mark and the batch never disagree. An empty undo entry is an item the
// batch did not move (or one added since): there is nothing to move back.
// A file the listing could name only lossily is never reached.
bool WillTry(FileSystem& fs, const std::string& folder, const std::string& source, const std::string& target,
             bool back) {
  if (!fs.NameReachable(source)) return false;
  return back ? IsPlainFileName(target) : NameFailure(fs, folder, target) == Failure::None;
}

}  // namespace

// The plan is every move the loop will try, written and synced once before
// the first. After that a move costs one append of a few bytes: 10,000 of
// them took 10 to 31 ms under Wine, against 60 to 120 s for the 10,000
// moves of bench_e2e's batch there, where each new name reads the folder.
bool BatchMover::OpenJournal(bool back, int32_t n, const std::vector<std::string>& targets) {
  if (!journal_) return false;
  journal_->Begin(back ? BatchKind::Undo : BatchKind::Rename);
  const std::vector<ui::ListRow>& rows = form_.Rows(list_.context().list);
  for (int32_t i = 0; i < n; ++i)
    if (WillTry(fs_, rows[i].cells[kPath], list_.oldNames[i], targets[i], back))
      journal_->Add(i + 1, rows[i].cells[kPath], list_.oldNames[i], targets[i]);
  return journal_->Open();
}

void BatchMover::ShowProgress(std::string& marks, int& shown, int64_t done, int64_t total) {
  int m = static_cast<int>(done * kMarks / total);
  if (m <= shown) return;
  while (shown < m) {
    marks += kMark;
    ++shown;
  }
  form_.SetStatusText(1, marks);
  shell_.Flush(form_);
}

int32_t BatchMover::MoveEach(const Direction& direction, int32_t n) {
  const bool back = direction.back;
  int32_t moved = 0;
  ui::Control& list = list_.context().list;
  std::vector<std::string>& oldNames = list_.oldNames;
  std::vector<std::string>& undoNames = list_.undoNames;
  std::vector<std::string>& targets = back ? undoNames : list_.newNames;
  undoNames.resize(oldNames.size());
  const bool journalled = OpenJournal(back, n, targets);
  std::string marks, from, to;
  int shown = 0;
  // The marks spoke of the names before the batch.
  form_.SetMarks(list, {});
  for (int32_t i = 0; i < n; ++i) {
    const std::string& folder = form_.Rows(list)[i].cells[kPath];
    const std::string& target = targets[i];
    if (back) form_.SetCell(list, i, kOldName, oldNames[i]);
    bool ok = false;
    if (WillTry(fs_, folder, oldNames[i], target, back)) {
      from.assign(folder).append(oldNames[i]);
      to.assign(folder).append(target);
      if (journalled) journal_->Moving(i + 1);
      ok = fs_.Move(from, to);
      if (journalled && !ok) journal_->Failed(i + 1);
    }
    if (ok) {
      ++moved;
      pages_.moveCheck().Moved(static_cast<size_t>(i), folder, oldNames[i], target);
      pages_.knownTags().Moved(folder, oldNames[i], target);
      if (!back) undoNames[i] = std::move(oldNames[i]);
      oldNames[i] = target;
      form_.SetCell(list, i, kOldName, target);
      form_.SetImage(list, i, 0);
      form_.SetCell(list, i, kStatus, direction.succeeded);
    } else {
      if (!back) {
        undoNames[i].clear();
        form_.SetCell(list, i, kNewName, target);
      }
      form_.SetImage(list, i, 1);
      form_.SetCell(list, i, kStatus, direction.failed);
    }
    ShowProgress(marks, shown, i + 1, n);
  }
  if (journalled) journal_->Finish();
  return moved;
}

int32_t BatchMover::RenameAll() {
  form_.SetToolbarEnabled(filelist::kPreviewButton, false);
  int32_t moved = 0;
  {
    ui::WaitCursor wait(shell_);
    const int32_t n = list_.ItemCount();
    // Nothing is renamed from a tag read before the batch.
    pages_.knownTags().ReadAllAgain();
    pages_.ComputeNewNames(n);
    moved = MoveEach({.back = false, .succeeded = "更名成功", .failed = "更名失败"}, n);
  }
  form_.SetToolbarEnabled(filelist::kPreviewButton, true);
  form_.SetToolbarEnabled(filelist::kUndoButton, true);
  return moved;
}

UndoOutcome BatchMover::UndoLastBatch() {
  UndoOutcome outcome;
  if (shell_.ShowMessage(&form_, "询问：", "是否真的撤消上一次操作？", ui::MsgIcon::Info,
                         ui::MsgButtons::YesNo) != ui::MsgAnswer::Yes)
    return outcome;
  outcome.confirmed = true;
  {
    ui::WaitCursor wait(shell_);
    outcome.restored =
        MoveEach({.back = true, .succeeded = "撤消成功", .failed = "撤消失败"}, list_.ItemCount());
    form_.SetStatusText(1, "");
  }
  form_.SetToolbarEnabled(filelist::kUndoButton, false);
  return outcome;
}

}  // namespace tavik::rename
