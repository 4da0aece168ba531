// Appending 100,000 rows to the program's real (virtual) list view, with
// the window as start-up leaves it, against appending them to the model
// alone, in one run. The model is filled two ways: rows made in a table and
// appended one by one, and rows built in place in the list's own table, as
// the file list does; the second is three times cheaper, so the window's
// fixed cost weighs more against it.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "bench_timer.h"
#include "platform/platform.h"
#include "forms/descriptions.h"
#include "ui/win32/win32_shell.h"
#include "ui/win32/window_host.h"

using namespace tavik;

enum class Fill { OneByOne, InPlace };

static void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

static void FillRows(ui::Form& form, ui::Control& list, int n, Fill fill) {
  auto name = [](int i) { return "file" + std::to_string(i) + ".mp3"; };
  const char* path = "C:\\Music\\Album\\";
  if (fill == Fill::OneByOne) {
    std::vector<ui::ListRow> rows(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      rows[i].cells[0] = name(i);
      rows[i].cells[2] = path;
    }
    for (auto& r : rows) form.AppendRow(list, std::move(r));
  } else {
    std::vector<ui::ListRow>& rows = form.Rows(list);
    rows.reserve(rows.size() + static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      ui::ListRow& row = rows.emplace_back();
      row.cells[0] = name(i);
      row.cells[2] = path;
    }
    form.AppendRows(list, {});  // tells the backend the new count once
  }
}

// Rows made and added, then the window brought up to date as the message
// loop would: the new count and a paint.
static double Append(ui::Form& form, ui::WindowHost* host, int n, Fill fill, double* windowPart) {
  ui::Control& list = form[ui::kFileList];
  double t0 = bench::NowSeconds();
  FillRows(form, list, n, fill);
  double t1 = bench::NowSeconds();
  if (host) {
    host->FlushPending();
    RedrawWindow(host->hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  double t2 = bench::NowSeconds();
  *windowPart = t2 - t1;
  return t2 - t0;
}

static double Once(ui::Win32Shell& shell, int n, bool real, Fill fill, double* windowPart) {
  if (!real) {
    ui::Form form(ui::MainWindowDesc());
    return Append(form, nullptr, n, fill, windowPart);
  }
  // The program as start-up leaves it (size, settings, fonts), up and idle,
  // as it is when the user's files arrive.
  app::App app(shell, SystemFileSystem(), SystemProfile(), ExecutableDirectory());
  app.Start();
  Pump();
  double t = Append(app.main(), shell.HostOf(app.main()), n, fill, windowPart);
  app.Exit();
  return t;
}

struct Best {
  double total = 1e9, windowPart = 0;
  void Take(double t, double part) {
    if (t < total) {
      total = t;
      windowPart = part;
    }
  }
};

int main() {
  ui::Win32Shell shell;
  shell.quitWhenMainDestroyed = false;
  const int n = 100000;
  const Fill fills[] = {Fill::OneByOne, Fill::InPlace};
  const char* fillNames[] = {"rows appended one by one", "rows built in place, as the file list does"};
  // Model and window take turns, so that a slow spell of the machine or of
  // its memory falls on both; the best of seven of each is compared.
  Best model[2], real[2], small;
  for (int round = 0; round < 7; ++round) {
    double part = 0;
    for (int f = 0; f < 2; ++f) {
      model[f].Take(Once(shell, n, false, fills[f], &part), 0);
      double t = Once(shell, n, true, fills[f], &part);
      real[f].Take(t, part);
    }
    double t = Once(shell, 20, true, Fill::InPlace, &part);
    small.Take(t, part);
  }
  for (int f = 0; f < 2; ++f)
    std::printf("list view, %d %s: model alone %.1f ms, real virtual list view %.1f ms: %.2fx (goal <= 2)\n", n,
                fillNames[f], model[f].total * 1e3, real[f].total * 1e3, real[f].total / model[f].total);
  std::printf("  the window's part: %.1f ms for %d rows, %.1f ms for 20 rows (count, scroll range and paint)\n",
              real[1].windowPart * 1e3, n, small.windowPart * 1e3);
  return 0;
}
