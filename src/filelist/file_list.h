// The file list: the rows of `显示超级列表框` and the name tables parallel
// to them. Item i (from 1) is row i - 1 and entry i - 1 of each table.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/settings.h"
#include "ui/form.h"
#include "ui/shell.h"

namespace tavik::filelist {

enum Column { kOldName = 0, kNewName = 1, kPath = 2, kStatus = 3, kTagStatus = 4 };

// Which cells FillRows writes.
enum Columns : unsigned { kOldNames = 1u, kNewNames = 2u, kPaths = 4u };

// The main window's toolbar entries by index (separators counted); the
// last three are enabled as the list fills and empties.
enum ToolbarEntry : int {
  kDirectoryButton = 0,
  kAddFilesButton = 1,
  kUndoButton = 3,
  kPreviewButton = 4,
  kRenameButton = 5,
};

// What the list's operations work with. refreshPreview is the rule pages'
// refresh after a change.
struct ListContext {
  ui::Form& form;
  ui::Control& list;
  ui::Shell& shell;
  FileSystem& fs;
  const Settings& settings;
  std::string exeDir;
  std::function<void()> refreshPreview;
};

class FileList {
 public:
  explicit FileList(ListContext ctx);

  int32_t ItemCount() const { return static_cast<int32_t>(oldNames.size()); }
  // Pane 0: the count and "个文件"; pane 2: the automatic preview state.
  void UpdateStatusBar();

  // The open-file dialog, starting in the directory "dir.txt" remembers.
  void AddFiles();
  // Appends the chosen files, each with its own directory as path.
  void AddPaths(const std::vector<std::string>& paths);
  // Appends the files of a directory (not its subdirectories), asked for or
  // given; nothing for "".
  void AddChosenDirectory();
  void AddDirectory(std::string directory);
  // Appends the names of the directory's files to the tables (not to the
  // rows); the number appended.
  int32_t ScanDirectory(std::string directory);
  // Dropped paths: the files first, then the directories.
  void AddDroppedPaths(const std::vector<std::string>& paths);

  // Writes the chosen cells of rows first..last (0-based); old names append
  // the rows. Clears stale statuses and the new names below last.
  void FillRows(unsigned columns, int first, int last, const std::string& path);

  void DeleteSelected();
  void ClearList();
  void SelectAll();
  // Removes the items whose "MP3标签状态" cell is not empty.
  void DeleteUntaggedItems();
  // One item out of every table and its row; nothing else changes.
  void RemoveItem(int row);

  // Parallel to the rows. undoNames stays parallel too: removing items
  // removes their entries and new items get empty ones.
  std::vector<std::string> oldNames, newNames, undoNames;
  // Every entry of a folder the list was filled from: its files, then its
  // directories ("." and ".." among them where the system lists them).
  std::function<void(const std::string& folder, std::span<const std::string> files,
                     std::span<const std::string> directories)>
      onListed;
  // Each file the user picked (open dialog, drop) as it is added; seen: the
  // disk was asked and has it.
  std::function<void(const std::string& folder, const std::string& name, bool seen)> onPicked;
  // Grows whenever items come or go, so that what was worked out per item
  // can tell it is out of date.
  uint64_t generation = 0;

  ListContext& context() { return ctx_; }
  // The "dir.txt" beside the executable.
  std::string LastDirFile() const;

 private:
  // Appends one item to the tables.
  void PushItem(std::string name);
  // Rows for items first.. with the paths given per item (runs of one path
  // are filled together).
  void FillAppended(int first, const std::vector<std::string>& dirs);
  void EnableListButtons();
  void DisableWhenEmpty();

  ListContext ctx_;
};

// The directory part of a path, up to and including its last "\" (empty
// when it has none), and the rest.
std::string DirectoryOf(const std::string& path);
std::string NameOf(const std::string& path);
// The text with one "\" at its end.
std::string WithBackslash(std::string directory);

}  // namespace tavik::filelist
