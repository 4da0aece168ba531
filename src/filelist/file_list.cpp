#include "filelist/file_list.h"

#include <algorithm>

#include "text/gbk.h"

namespace tavik::filelist {

namespace {

const char kOpenTitle[] = "请选择文件(可多选)：";
const char kOpenFilter[] =
    "所有文件(*.*)|*.*|音乐文件(*.mp3;wav;wma)|*.mp3;wav;wma|图片文件(*.gif;*.jpg;*.jpeg;*.bmp;*.png)|"
    "*.gif;*.jpg;*.jpeg;*.bmp;*.png|文本文件(*.txt)|*.txt";
const char kBrowseTitle[] = "请选择一个目录";

bool EndsWithBackslash(const std::string& s) { return !s.empty() && text::FindLast(s, '\\') == s.size() - 1; }

// The first line of "dir.txt": up to LF, NUL or 0x1A, without the CR of a
// CR LF. The file holds one short line; a long one is not a directory.
std::string ReadFirstLine(File& file) {
  constexpr size_t kMaxLine = 32 * 1024;
  std::string line;
  char buffer[512];
  while (line.size() < kMaxLine) {
    size_t got = 0;
    if (!file.Read(buffer, sizeof buffer, &got) || got == 0) break;
    for (size_t i = 0; i < got; ++i) {
      char c = buffer[i];
      if (c == '\n') {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      if (c == '\0' || c == '\x1a') return line;
      line += c;
    }
  }
  return line;
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  size_t slash = text::FindLast(path, '\\');
  return slash == text::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  size_t slash = text::FindLast(path, '\\');
  return slash == text::npos ? path : path.substr(slash + 1);
}

std::string WithBackslash(std::string directory) {
  if (!EndsWithBackslash(directory)) directory += '\\';
  return directory;
}

FileList::FileList(ListContext ctx) : ctx_(std::move(ctx)) {}

std::string FileList::LastDirFile() const { return WithBackslash(ctx_.exeDir) + "dir.txt"; }

void FileList::UpdateStatusBar() {
  ctx_.form.SetStatusText(0, text::NumberToText(ItemCount()) + "个文件");
  ctx_.form.SetStatusText(2, ctx_.settings.autoPreview == 1 ? "自动预览－开" : "自动预览－关");
}

void FileList::PushItem(std::string name) {
  ++generation;
  oldNames.push_back(std::move(name));
  newNames.emplace_back();
  undoNames.emplace_back();
}

void FileList::EnableListButtons() {
  ctx_.form.SetToolbarEnabled(kRenameButton, true);
  ctx_.form.SetToolbarEnabled(kPreviewButton, true);
}

void FileList::DisableWhenEmpty() {
  if (ItemCount() != 0) return;
  for (int i : {kPreviewButton, kRenameButton, kUndoButton}) ctx_.form.SetToolbarEnabled(i, false);
}

void FileList::FillAppended(int first, const std::vector<std::string>& dirs) {
  // Consecutive items of one directory become one FillRows call, so a batch
  // from one folder appends its rows at once.
  size_t run = 0;
  while (run < dirs.size()) {
    size_t end = run + 1;
    while (end < dirs.size() && dirs[end] == dirs[run]) ++end;
    FillRows(kOldNames | kPaths, first + static_cast<int>(run), first + static_cast<int>(end) - 1, dirs[run]);
    run = end;
  }
}

void FileList::AddFiles() {
  std::unique_ptr<File> dirFile =
      ctx_.fs.Open(LastDirFile(), FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::OpenAlways);
  std::string start = dirFile ? ReadFirstLine(*dirFile) : std::string();
  // The dialog hands over a list, so a name holding ";" stays one file.
  std::vector<std::string> paths = ctx_.shell.OpenFiles(&ctx_.form, kOpenTitle, kOpenFilter, start);
  if (paths.empty()) return;

  ui::WaitCursor wait(ctx_.shell);
  std::string dir = DirectoryOf(paths.front());
  if (dirFile) {
    std::string line = dir + "\r\n";
    if (dirFile->Seek(0, SeekFrom::Begin) && dirFile->SetEnd()) dirFile->Write(line.data(), line.size());
    dirFile.reset();
  }
  AddPaths(paths);
  ctx_.refreshPreview();
  EnableListButtons();
  UpdateStatusBar();
}

void FileList::AddPaths(const std::vector<std::string>& paths) {
  int first = ItemCount();
  std::vector<std::string> dirs;
  dirs.reserve(paths.size());
  for (const std::string& p : paths) {
    dirs.push_back(DirectoryOf(p));
    PushItem(NameOf(p));
    if (onPicked) onPicked(dirs.back(), oldNames.back(), false);
  }
  FillAppended(first, dirs);
}

void FileList::AddChosenDirectory() {
  AddDirectory(ctx_.shell.BrowseForFolder(&ctx_.form, kBrowseTitle).value_or(""));
}

void FileList::AddDirectory(std::string directory) {
  if (directory.empty()) return;
  ui::WaitCursor wait(ctx_.shell);
  int first = ItemCount();
  directory = WithBackslash(std::move(directory));
  EnableListButtons();
  ScanDirectory(directory);
  FillRows(kOldNames | kPaths, first, ItemCount() - 1, directory);
  ctx_.refreshPreview();
  UpdateStatusBar();
}

int32_t FileList::ScanDirectory(std::string directory) {
  directory = WithBackslash(std::move(directory));
  const size_t before = oldNames.size();
  ++generation;
  std::vector<std::string> directories;
  bool listed = ctx_.fs.List(directory, [&](DirEntry& e) {
    if (!e.isDirectory)
      oldNames.push_back(std::move(e.name));
    else
      directories.push_back(std::move(e.name));
  });
  if (listed && onListed)
    onListed(directory, std::span<const std::string>(oldNames).subspan(before), directories);
  // The other tables follow in one step each rather than growing with
  // every entry.
  newNames.resize(oldNames.size());
  undoNames.resize(oldNames.size());
  return static_cast<int32_t>(oldNames.size() - before);
}

void FileList::AddDroppedPaths(const std::vector<std::string>& paths) {
  ui::WaitCursor wait(ctx_.shell);
  int first = ItemCount();
  std::vector<std::string> dirs, rest;
  for (const std::string& p : paths) {
    if (ctx_.fs.Exists(p) && !ctx_.fs.IsDirectory(p)) {
      // A drop from a search window mixes folders: each file keeps its own.
      dirs.push_back(DirectoryOf(p));
      PushItem(NameOf(p));
      if (onPicked) onPicked(dirs.back(), oldNames.back(), true);
    } else {
      rest.push_back(p);
    }
  }
  FillAppended(first, dirs);
  ctx_.refreshPreview();
  EnableListButtons();
  UpdateStatusBar();
  for (const std::string& p : rest) AddDirectory(p);
}

void FileList::FillRows(unsigned columns, int first, int last, const std::string& path) {
  ui::Form& form = ctx_.form;
  ui::Control& list = ctx_.list;
  std::vector<ui::ListRow>& rows = form.Rows(list);
  const int count = static_cast<int>(rows.size());

  // Statuses of the last rename or undo go at the next write.
  if (count > 0 && !rows[0].cells[kStatus].empty()) {
    for (int r = 0; r < count; ++r) {
      if (!rows[r].cells[kStatus].empty()) form.SetCell(list, r, kStatus, "");
      if (rows[r].image != -1) form.SetImage(list, r, -1);
    }
  }

  int appendedEnd = first;  // rows [first, appendedEnd) are new and complete
  if ((columns & kOldNames) && first <= last) {
    // Built in place, not in a second table handed over: a large directory
    // would otherwise hold every row twice. New rows are unselected, which
    // keeps the model's selection count right; appending no rows then tells
    // the backend the new count once.
    rows.reserve(rows.size() + static_cast<size_t>(last - first + 1));
    for (int r = first; r <= last; ++r) {
      ui::ListRow& row = rows.emplace_back();
      row.cells[kOldName] = oldNames[r];
      if (columns & kNewNames) row.cells[kNewName] = newNames[r];
      if (columns & kPaths) row.cells[kPath] = path;
    }
    form.AppendRows(list, {});
    appendedEnd = last + 1;
  }
  const int rowCount = form.RowCount(list);
  for (int r = std::max(first, appendedEnd); r <= last && r < rowCount; ++r) {
    std::vector<ui::ListRow>& now = form.Rows(list);
    // An unchanged cell is not written: no redraw for it.
    if ((columns & kNewNames) && now[r].cells[kNewName] != newNames[r])
      form.SetCell(list, r, kNewName, newNames[r]);
    if ((columns & kPaths) && now[r].cells[kPath] != path) form.SetCell(list, r, kPath, path);
  }

  // New names of rows this call did not cover disappear, all the way down:
  // a row without one (an MP3 item without a tag) may stand above older ones.
  for (int r = std::max(last + 1, 0); r < rowCount; ++r)
    if (!form.Rows(list)[r].cells[kNewName].empty()) form.SetCell(list, r, kNewName, "");
}

void FileList::DeleteSelected() {
  ui::WaitCursor wait(ctx_.shell);
  ui::Form& form = ctx_.form;
  ++generation;
  if (form.SelectedCount(ctx_.list) > 0) {
    // One pass over the list: deleting rows one at a time would move the
    // rows behind each of them again.
    std::vector<ui::ListRow>& rows = form.Rows(ctx_.list);
    std::vector<ui::ListRow> kept;
    kept.reserve(rows.size());
    size_t w = 0;
    for (size_t r = 0; r < rows.size() && r < oldNames.size(); ++r) {
      if (rows[r].selected) continue;
      kept.push_back(std::move(rows[r]));
      if (w != r) {
        oldNames[w] = std::move(oldNames[r]);
        newNames[w] = std::move(newNames[r]);
        undoNames[w] = std::move(undoNames[r]);
      }
      ++w;
    }
    oldNames.resize(w);
    newNames.resize(w);
    undoNames.resize(w);
    form.ClearRows(ctx_.list);
    form.AppendRows(ctx_.list, std::move(kept));
  }
  UpdateStatusBar();
  DisableWhenEmpty();
}

void FileList::ClearList() {
  ui::WaitCursor wait(ctx_.shell);
  ++generation;
  ctx_.form.ClearRows(ctx_.list);
  oldNames.clear();
  newNames.clear();
  undoNames.clear();
  UpdateStatusBar();
  DisableWhenEmpty();
}

void FileList::SelectAll() { ctx_.form.SetAllSelected(ctx_.list, true); }

void FileList::DeleteUntaggedItems() {
  ui::Form& form = ctx_.form;
  const int count = form.RowCount(ctx_.list);
  for (int r = 0; r < count; ++r) {
    const ui::ListRow& row = form.Rows(ctx_.list)[r];
    bool untagged = !row.cells[kTagStatus].empty();
    if (row.selected != untagged) form.SetRowSelected(ctx_.list, r, untagged);
  }
  DeleteSelected();
}

void FileList::RemoveItem(int row) {
  if (row < 0 || row >= ItemCount()) return;
  ++generation;
  oldNames.erase(oldNames.begin() + row);
  newNames.erase(newNames.begin() + row);
  undoNames.erase(undoNames.begin() + row);
  ctx_.form.DeleteRow(ctx_.list, row);
}

}  // namespace tavik::filelist
