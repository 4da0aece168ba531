// The rule pages of the main form: reads the selected page into its rule
// record, computes new names and shows the preview; also the handlers of the
// page controls that do more than refresh the preview.
#pragma once
#include <cstdint>

#include "filelist/file_list.h"
#include "platform/platform.h"
#include "rename/move_check.h"
#include "rename/rules.h"
#include "settings/settings.h"
#include "tags/known_tags.h"
#include "ui/form.h"

namespace tavik::rename {

enum Page { kGeneralPage = 0, kReplacePage = 1, kInsertPage = 2, kCasePage = 3, kMp3Page = 4 };

// The rows a preview fills: after a change as many as the settings say
// (the MP3 page fills all), on the preview command all of them.
enum class PreviewRows { UpToCount, All };

class RulePages {
 public:
  // fs reads the tags; settings is the process-wide record (clearing the
  // general page switches automatic preview off for a moment).
  RulePages(ui::Form& form, FileSystem& fs, Settings& settings, filelist::FileList& list);

  // The selected tab of `选择夹`.
  int CurrentPage();
  GeneralPage ReadGeneralPage();
  ReplacePage ReadReplacePage();
  InsertPage ReadInsertPage();
  CasePage ReadCasePage();

  // newNames of the first n items by the selected page; the MP3 page takes
  // every item and writes the "MP3标签状态" cells.
  void ComputeNewNames(int32_t n);
  void ComputeMp3Names();
  // Then marks the previewed rows whose move will fail.
  void RefreshPreview(PreviewRows rows = PreviewRows::UpToCount);
  // Why the row's move will fail, as its tip says; empty when unmarked.
  std::string MarkText(int row);
  // What the batch's moves tell the check.
  MoveCheck& moveCheck() { return check_; }
  // The tags the MP3 page names from; the batch and the tag dialog keep
  // them true.
  tags::KnownTags& knownTags() { return known_; }

  // Every page control's handler, the tab control's too.
  void WirePageControls();
  void ShowStartState();     // the general page's extension group inactive
  void ApplyGeneralScope();  // greys the inactive group of the general page
  void ClearGeneralPage();   // `常规清空按钮`
  void KeepEqualClicked();   // `保持一致选择框`
  void InsertMainTextChanged();
  void InsertRadiosChanged();  // the position boxes follow their radio buttons
  void Mp3RuleChanged();
  void SchemeChosen();
  void FieldButton(ui::Control& button);

 private:
  // The explicit preview lists the folders again: files may have changed
  // behind the program's back.
  void MarkFailures(int32_t n, bool relist);

  ui::Form& form_;
  FileSystem& fs_;
  Settings& settings_;
  filelist::FileList& list_;
  MoveCheck check_;
  uint64_t checkedGeneration_ = 0;
  std::vector<Forecast> forecasts_;
  tags::KnownTags known_;
  int refreshedPage_ = -1;
};

}  // namespace tavik::rename
