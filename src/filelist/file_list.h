// The file list: the rows of `显示超级列表框` and the name tables parallel
// to them. Item i (from 1) is row i - 1 and entry i - 1 of each table.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/settings.h"
#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::filelist {

enum Column { kOldName = 0, kNewName = 1, kPath = 2, kStatus = 3, kTagStatus = 4 };

// What the list's operations work with. refreshPreview is the rename
// engine's RefreshPreview(explicit).
struct ListContext {
  ui::Form& form;
  ui::Control& list;
  ui::Shell& shell;
  FileSystem& fs;
  const Settings& settings;
  std::string exeDir;
  std::function<void(int)> refreshPreview;
};

class FileList {
 public:
  explicit FileList(ListContext ctx);

  int32_t ItemCount() const { return static_cast<int32_t>(oldNames.size()); }
  // Pane 0: the count and "个文件"; pane 2: the automatic preview state.
  void UpdateStatusBar();

  // Parallel to the rows. undoNames stays parallel too: removing items
  // removes their entries and new items get empty ones.
  std::vector<std::string> oldNames, newNames, undoNames;

  ListContext& context() { return ctx_; }

 private:
  ListContext ctx_;
};

}  // namespace tavik::filelist
