// The rule pages and the batch mover on a real main form and a real
// temporary directory, without the App around it. The page controls'
// handlers are wired as the program does.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filelist/file_list.h"
#include "forms/descriptions.h"
#include "rename/batch_mover.h"
#include "rename/rule_pages.h"
#include "support/test_support.h"
#include "ui/headless/headless_shell.h"

namespace tavik::rename {

// A new file with these bytes. Not through a truncation: on ext4 a file cut
// to zero and rewritten is flushed to disk when closed, which makes
// thousands of fixtures slow.
inline bool WriteNewFile(const std::string& path, const std::string& bytes) {
  auto f = SystemFileSystem().Open(path, FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::OpenAlways);
  return f && f->Size() == 0 && f->Write(bytes.data(), bytes.size());
}

// Records the progress pane each time the mover asks for it to be shown.
class RecordingShell : public ui::HeadlessShell {
 public:
  void Flush(ui::Form& form) override {
    HeadlessShell::Flush(form);
    progress.push_back(form.status()[1].text);
  }
  std::vector<std::string> progress;
};

// The system's files, with the opens and listings counted: a keystroke
// must not read every file again, nor adding a file list its folder.
class CountingFileSystem final : public FileSystem {
 public:
  int opens = 0, lists = 0;
  bool List(const std::string& d, const std::function<void(DirEntry&)>& on) override {
    ++lists;
    return fs_.List(d, on);
  }
  bool Exists(const std::string& path) override { return fs_.Exists(path); }
  bool IsDirectory(const std::string& path) override { return fs_.IsDirectory(path); }
  bool Move(const std::string& from, const std::string& to) override { return fs_.Move(from, to); }
  std::unique_ptr<File> Open(const std::string& path, FileAccess a, FileShare s, FileCreate c) override {
    ++opens;
    return fs_.Open(path, a, s, c);
  }
  void NameKey(std::string_view name, std::string& key) override { fs_.NameKey(name, key); }
  bool LengthFits(std::string_view folder, std::string_view name) override {
    return fs_.LengthFits(folder, name);
  }
  // A name standing for one the listing could give only lossily.
  std::string unreachable;
  bool NameReachable(std::string_view name) override { return name != unreachable && fs_.NameReachable(name); }

 private:
  FileSystem& fs_ = SystemFileSystem();
};

class RenameTest : public ::testing::Test {
 protected:
  RenameTest()
      : list(filelist::ListContext{form, form[ui::kFileList], shell, fs, settings, home.path(),
                                   [this] { pages.RefreshPreview(); }}),
        pages(form, fs, settings, list),
        mover(form, shell, fs, list, pages) {
    DefaultSettings(settings);
    settings.autoPreview = 1;
    settings.previewAll = 1;
    pages.WirePageControls();
  }

  std::string Path(const std::string& name) { return work / name; }
  void Make(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(WriteNewFile(Path(name), bytes)) << name;
  }
  // Files whose content is their own name, added in this order.
  void AddFiles(const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& n : names) {
      Make(n, n);
      paths.push_back(Path(n));
    }
    list.AddPaths(paths);
  }
  bool Exists(const std::string& name) { return SystemFileSystem().Exists(Path(name)); }
  std::string Content(const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(testing::ReadWholeFile(Path(name), &bytes)) << name;
    return bytes;
  }
  ui::Control& C(const char* name) { return form[name]; }
  ui::ListRow& Row(int r) { return form.Rows(form[ui::kFileList])[r]; }
  std::string Cell(int r, int column) { return Row(r).cells[column]; }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> out;
    for (auto& row : form.Rows(form[ui::kFileList])) out.push_back(row.cells[column]);
    return out;
  }
  void Tab(int page) { form.SetSelected(C("选择夹"), page); }
  void Check(const char* radio) { form.SetChecked(C(radio), true); }
  void Set(const char* edit, const std::string& text) { form.SetText(C(edit), text); }

  testing::TempDir home, work;
  RecordingShell shell;
  CountingFileSystem fs;
  ui::Form form{ui::MainWindowDesc()};
  Settings settings;
  filelist::FileList list;
  RulePages pages;
  BatchMover mover;
};

}  // namespace tavik::rename
