// Cost of each rule page over a large list, against copying the same names
// into a new vector. Both allocate one string per item; a page may cost at
// most three copies, so what it adds per byte and per item stays small.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "bench_timer.h"
#include "rename/rules.h"

namespace {

using Names = std::vector<std::string>;
using tavik::bench::NowSeconds;

constexpr size_t kItems = 100000;
constexpr int kRounds = 9;
constexpr double kLimit = 3.0;

// Names as a music and photo folder holds them: ASCII, GBK, several dots,
// no extension, most longer than a short-string buffer.
Names MakeNames() {
  Names names;
  names.reserve(kItems);
  char buf[96];
  for (size_t i = 0; i < kItems; ++i) {
    switch (i % 5) {
      case 0: std::snprintf(buf, sizeof buf, "IMG_20240315_%06zu.jpg", i); break;
      case 1: std::snprintf(buf, sizeof buf, "第%05zu集 我的视频文件.mp4", i); break;
      case 2: std::snprintf(buf, sizeof buf, "Track %05zu - Artist Name.mp3", i); break;
      case 3: std::snprintf(buf, sizeof buf, "report.final.v%zu.docx", i); break;
      default: std::snprintf(buf, sizeof buf, "README_%zu", i); break;
    }
    names.emplace_back(buf);
  }
  return names;
}

volatile size_t g_sink;

// glibc decides by heuristics whether freed memory goes back to the system,
// which makes a new table land on fresh pages in one round and on recycled
// ones in the next. Each phase fixes that choice for all rows alike.
void ReturnFreeMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}
void KeepFreeMemory() {
#ifdef __GLIBC__
  mallopt(M_TRIM_THRESHOLD, INT_MAX);
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
#endif
}

struct Row {
  const char* page;
  std::function<void(Names&)> run;
  double fresh = 1e9, recycled = 1e9;
};

// Each call fills a new table, as the copy gets one; the best round counts,
// and rounds interleave the rows so a busy moment hits them alike.
void Measure(std::vector<Row>& rows, bool freshMemory) {
  for (int round = 0; round < kRounds; ++round) {
    for (Row& r : rows) {
      if (freshMemory) ReturnFreeMemory();
      Names out;
      double t0 = NowSeconds();
      r.run(out);
      double t = NowSeconds() - t0;
      g_sink = g_sink + out.size() + out[kItems / 2].size();
      double& best = freshMemory ? r.fresh : r.recycled;
      best = std::min(best, t);
    }
  }
}

}  // namespace

int main() {
  using namespace tavik::rename;
  const Names old = MakeNames();

  GeneralPage general;
  general.prefix = "IMG_";
  general.digits = "6";
  general.start = "1";
  general.step = "1";
  ReplacePage replace;
  replace.find = "_";
  replace.replace = " - ";
  replace.extScope = true;
  InsertPage insert;
  insert.mainText = "[新]";
  insert.mainPosition = "5";
  insert.extText = "bak";
  insert.extAtPosition = false;
  insert.extAtEnd = true;
  CasePage casing;
  casing.mainUpper = false;
  casing.mainFirstUpper = true;
  casing.extUpper = false;
  casing.extLower = true;

  std::vector<Row> rows = {
      {"copy", [&](Names& out) { out = Names(old); }},
      {"general", [&](Names& out) { ComputeGeneral(general, old, old.size(), out); }},
      {"replace", [&](Names& out) { ComputeReplace(replace, old, old.size(), out); }},
      {"insert", [&](Names& out) { ComputeInsert(insert, old, old.size(), out); }},
      {"case", [&](Names& out) { ComputeCase(casing, old, old.size(), out); }},
  };
  Measure(rows, true);
  KeepFreeMemory();
  Measure(rows, false);

  const Row& copy = rows[0];
  std::printf("%zu names; copy %.2f ms on fresh memory, %.2f ms on recycled memory\n", kItems, copy.fresh * 1e3,
              copy.recycled * 1e3);
  bool ok = true;
  for (size_t i = 1; i < rows.size(); ++i) {
    const Row& r = rows[i];
    double fresh = r.fresh / copy.fresh, recycled = r.recycled / copy.recycled;
    ok = ok && fresh <= kLimit;
    std::printf("%-8s %.2fx copy (%.2f ms); recycled memory %.2fx (%.2f ms)%s\n", r.page, fresh, r.fresh * 1e3,
                recycled, r.recycled * 1e3, fresh <= kLimit ? "" : "  OVER LIMIT");
  }
  std::printf("peak memory %.0f MB\n", tavik::bench::PeakMemoryBytes() / 1e6);
  return ok ? 0 : 1;
}
