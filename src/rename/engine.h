// The rename engine on the main form: reads the selected rule page into the
// rule records, computes new names, shows the preview, renames the listed
// files and undoes the last batch. Also the handlers of the page controls
// that do more than refresh the preview.
#pragma once
#include <cstdint>
#include <string>

#include "filelist/file_list.h"
#include "platform/platform.h"
#include "rename/rules.h"
#include "settings/settings.h"
#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::rename {

enum Page { kGeneralPage = 0, kReplacePage = 1, kInsertPage = 2, kCasePage = 3, kMp3Page = 4 };

struct UndoOutcome {
  bool confirmed = false;  // false: the user said no and nothing happened
  int32_t restored = 0;
};

class Engine {
 public:
  // fs reads the tags and moves the files; settings is the process-wide
  // record (clearing the general page switches automatic preview off for a
  // moment).
  Engine(ui::Form& form, ui::Shell& shell, FileSystem& fs, Settings& settings, filelist::FileList& list);

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
  void RefreshPreview(int explicitFlag);
  // Moves every item to its freshly computed name; the count moved.
  int32_t RenameAll();
  // Asks first; moves the last batch back.
  UndoOutcome UndoLastBatch();

  // Handlers of the page controls.
  void WirePageControls();
  void ApplyGeneralScope();  // greys the inactive group of the general page
  void ClearGeneralPage();   // `常规清空按钮`
  void KeepEqualClicked();   // `保持一致选择框`
  void InsertMainTextChanged();
  void InsertRadiosChanged();  // the position boxes follow their radio buttons
  void Mp3RuleChanged();
  void SchemeChosen();
  void FieldButton(ui::Control& button);

 private:
  void ShowProgress(std::string& marks, int& shown, int64_t done, int64_t total);

  ui::Form& form_;
  ui::Shell& shell_;
  FileSystem& fs_;
  Settings& settings_;
  filelist::FileList& list_;
};

// The toolbar's outcome messages.
std::string RenameSummary(int32_t total, int32_t moved);
std::string UndoSummary(int32_t total, int32_t restored);

}  // namespace tavik::rename
