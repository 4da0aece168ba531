// A keystroke in a rule box over 100,000 previewed rows on the headless
// backend, taken apart: the new names, the move check alone, and the whole
// keystroke (names, rows, check, marks), against a tight loop that formats
// the same number of numbered names into strings it keeps. Built natively
// (callgrind runs it) and for Windows (run under Wine on the folder
// scripts/bench makes, since there each new file costs a read of the
// folder).
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#endif

#include "app/app.h"
#include "bench_timer.h"
#include "platform/platform.h"
#include "ui/headless/headless_shell.h"

using namespace tavik;
using bench::NowSeconds;

namespace {

constexpr int kItems = 100000;

volatile size_t g_sink;

// The floor: names formatted into kept strings, no file system, no list.
void FormatNames(std::vector<std::string>& out) {
  out.resize(kItems);
  char buf[32] = "Holiday ";
  for (int i = 0; i < kItems; ++i) {
    char* end = std::to_chars(buf + 8, buf + 24, i).ptr;
    std::memcpy(end, ".jpg", 4);
    out[i].assign(buf, static_cast<size_t>(end + 4 - buf));
  }
  g_sink = g_sink + out.back().size();
}

#ifndef _WIN32
// A fresh folder of the names scripts/bench gives its list.
std::string MakeFolder() {
  char tmpl[] = "/tmp/tavik-keystroke-XXXXXX";
  if (!mkdtemp(tmpl)) return {};
  char name[64];
  for (int i = 0; i < kItems; ++i) {
    std::snprintf(name, sizeof name, "%s/IMG_20240315_%06d.jpg", tmpl, i);
    std::ofstream(name).flush();
  }
  return tmpl;
}
#endif

}  // namespace

// FOLDER (optional natively): a folder of 100,000 files. ROUNDS: best of
// how many (callgrind wants few).
int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "";
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
  bool made = false;
#ifndef _WIN32
  if (folder.empty()) {
    folder = MakeFolder();
    made = !folder.empty();
  }
#endif
  if (folder.empty()) {
    std::fprintf(stderr, "usage: bench_keystroke FOLDER [ROUNDS]\n");
    return 2;
  }
  const char sep = folder.find('\\') != std::string::npos ? '\\' : '/';
  if (folder.back() != sep) folder += sep;

  ui::HeadlessShell shell;
  // The program's settings go beside the folder, not into it.
  std::string home = folder.substr(0, folder.size() - 1) + "-home";
#ifdef _WIN32
  _mkdir(home.c_str());
#else
  mkdir(home.c_str(), 0700);
#endif
  app::App app(shell, SystemFileSystem(), SystemProfile(), home);
  app.Start();
  app.settings.autoPreview = 1;
  app.settings.previewAll = 1;
  shell.folderAnswers.push_back(folder);
  ui::Form& form = app.main();
  app.main().UserClickToolbar(filelist::kDirectoryButton);
  filelist::FileList& list = app.list();
  if (list.ItemCount() != kItems) {
    std::fprintf(stderr, "the folder holds %d files, not %d\n", list.ItemCount(), kItems);
    return 1;
  }
  ui::Control& box = form["文件名编辑框"];
  form.UserType(box, "Holiday ");

  // The steps of a keystroke one by one: the box's text changes with the
  // preview off, then the names, the rows and the check (on a check of its
  // own that has seen the names once) are timed apart.
  rename::MoveCheck check(SystemFileSystem());
  const auto& rows = form.Rows(form[ui::kFileList]);
  auto folderOf = [&rows](size_t i) -> const std::string& { return rows[i].cells[filelist::kPath]; };
  std::vector<rename::Forecast> forecasts;
  check.Check(kItems, list.oldNames, list.newNames, folderOf, forecasts);

  std::vector<std::string> formatted;
  double floor = 1e9, names = 1e9, fill = 1e9, checkOnly = 1e9, keystroke = 1e9;
  const char* texts[] = {"Weekend ", "Holiday "};
  for (int r = 0; r < rounds; ++r) {
    app.settings.autoPreview = 0;
    form.UserType(box, texts[r % 2]);
    app.settings.autoPreview = 1;
    double t0 = NowSeconds();
    FormatNames(formatted);
    double t1 = NowSeconds();
    app.rulePages().ComputeNewNames(kItems);
    double t2 = NowSeconds();
    list.FillRows(filelist::kNewNames, 0, kItems - 1, std::string());
    double t3 = NowSeconds();
    check.Check(kItems, list.oldNames, list.newNames, folderOf, forecasts);
    double t4 = NowSeconds();
    form.UserType(box, texts[(r + 1) % 2]);
    double t5 = NowSeconds();
    floor = std::min(floor, t1 - t0);
    names = std::min(names, t2 - t1);
    fill = std::min(fill, t3 - t2);
    checkOnly = std::min(checkOnly, t4 - t3);
    keystroke = std::min(keystroke, t5 - t4);
  }
  if (rows.back().cells[filelist::kNewName].rfind(texts[rounds % 2], 0) != 0) {
    std::fprintf(stderr, "the keystroke did not reach the rows\n");
    return 1;
  }
  std::printf(
      "keystroke, %d rows previewed and checked, best of %d: %.2f ms (%.2fx the floor); its steps alone: the "
      "names"
      " %.2f ms, the rows %.2f ms, the check %.2f ms; floor (format %d names) %.2f ms\n",
      kItems, rounds, keystroke * 1e3, keystroke / floor, names * 1e3, fill * 1e3, checkOnly * 1e3, kItems,
      floor * 1e3);
  app.Exit();
  if (made) {
    std::string command = "rm -rf '" + folder + "' '" + home + "'";
    g_sink = g_sink + static_cast<size_t>(std::system(command.c_str()));
  }
  return 0;
}
