// Tag benchmarks. Prints figures measured in this one run:
//  1. reading the six naming fields of 10,000 MP3 files, against TagLib;
//  2. rewriting the ID3v2 tag of a 100 MB file, once with a change of the
//     tag's size and once without: bytes read and written (counted below the
//     tag code), and wall time beside python3-mutagen saving the same change.
// Usage: bench_tags [file count] [megabytes]
#include <sys/wait.h>
#include <unistd.h>

#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_timer.h"
#include "platform/platform.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/mp3.h"

using namespace tavik;
using namespace tavik::tags;

namespace {

// Counts what passes between the tag code and the file.
class CountingFile : public File {
 public:
  explicit CountingFile(File& inner) : inner_(inner) {}
  uint64_t bytesRead = 0, bytesWritten = 0;
  bool Seek(int64_t offset, SeekFrom from) override { return inner_.Seek(offset, from); }
  int64_t Tell() override { return inner_.Tell(); }
  bool Read(void* buffer, size_t n, size_t* got) override {
    bool ok = inner_.Read(buffer, n, got);
    bytesRead += *got;
    return ok;
  }
  bool Write(const void* buffer, size_t n) override {
    bytesWritten += n;
    return inner_.Write(buffer, n);
  }
  bool SetEnd() override { return inner_.SetEnd(); }
  int64_t Size() override { return inner_.Size(); }

 private:
  File& inner_;
};

bool WriteNative(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string Python() {
  for (const char* python : {"python3", "/usr/bin/python3"})
    if (std::system((std::string(python) + " -c 'import mutagen' >/dev/null 2>&1").c_str()) == 0)
      return python;
  return {};
}

// Runs a command and returns its first output line.
std::string FirstLine(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[512];
    if (std::fgets(buf, sizeof buf, p)) out = buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

TagFields SongFields(int i) {
  TagFields f;
  f.title = "Song title number " + std::to_string(i);
  f.artist = "Artist " + std::to_string(i % 97);
  f.album = "Album " + std::to_string(i % 31);
  f.track = std::to_string(i % 20 + 1);
  f.year = std::to_string(1970 + i % 50);
  f.genre = "(" + std::to_string(i % 126) + ")";
  f.comment = "Comment";
  f.encodedBy = "bench";
  return f;
}

std::string Audio(size_t n, unsigned seed) {
  std::string a(n, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1664525u + 1013904223u;
    a[i] = static_cast<char>(x >> 24);
  }
  for (size_t i = 0; i + 4 <= n; i += 418) a.replace(i, 4, "\xFF\xFB\x90\x64", 4);
  return a;
}

double ReadOurs(const std::vector<std::string>& paths, size_t* check) {
  double t0 = bench::NowSeconds();
  size_t sum = 0;
  for (const std::string& p : paths) {
    TagFields f;
    if (ReadTagsForItem(SystemFileSystem(), p, false, f) != ReadResult::TagRead) std::abort();
    sum += f.artist.size() + f.title.size() + f.album.size() + f.track.size() + f.year.size() +
           f.genre.size();
  }
  *check = sum;
  return bench::NowSeconds() - t0;
}

double ReadTagLib(const std::vector<std::string>& paths, size_t* check) {
  double t0 = bench::NowSeconds();
  size_t sum = 0;
  for (const std::string& p : paths) {
    TagLib::MPEG::File file(p.c_str(), false);
    TagLib::Tag* t = file.tag();
    if (!t) std::abort();
    sum += t->artist().to8Bit().size() + t->title().to8Bit().size() +
           t->album().to8Bit().size() + std::to_string(t->track()).size() +
           std::to_string(t->year()).size() + t->genre().to8Bit().size();
  }
  *check = sum;
  return bench::NowSeconds() - t0;
}

void ReadBenchmark(const std::string& dir, int count) {
  std::vector<std::string> ours, native;
  for (int i = 0; i < count; ++i) {
    std::string name = dir + "/song" + std::to_string(i) + ".mp3";
    TagFields f = SongFields(i);
    std::string bytes = BuildId3v2(f) + Audio(4096 + i % 1000, i) +
                        BuildId3v1({.title = f.title, .artist = f.artist, .album = f.album,
                            .track = f.track, .year = f.year}, i % 126);
    if (!WriteNative(name, bytes)) std::abort();
    native.push_back(name);
    ours.push_back(FromNativePath(name));
  }
  size_t a = 0, b = 0;
  ReadOurs(ours, &a);  // warm the page cache for both
  ReadTagLib(native, &b);
  double best = 1e9, bestTagLib = 1e9;
  for (int round = 0; round < 5; ++round) {
    best = std::min(best, ReadOurs(ours, &a));
    bestTagLib = std::min(bestTagLib, ReadTagLib(native, &b));
  }
  std::printf("read six naming fields of %d files (best of 5 rounds):\n", count);
  std::printf("  tavik  %.3f s  (%.1f us a file)\n", best, best / count * 1e6);
  std::printf("  TagLib %.3f s  (%.1f us a file)\n", bestTagLib, bestTagLib / count * 1e6);
  std::printf("  ratio tavik/TagLib = %.2f  (%s)\n", best / bestTagLib,
              best <= bestTagLib ? "no slower" : "SLOWER");
  std::printf("  field bytes: tavik %zu, TagLib %zu\n", a, b);
}

struct Rewrite {
  uint64_t read = 0, written = 0;
  int64_t sizeBefore = 0, sizeAfter = 0;
  double seconds = 0;
};

Rewrite RewriteOurs(const std::string& path, const TagFields& f) {
  Rewrite r;
  double t0 = bench::NowSeconds();
  auto file = SystemFileSystem().Open(FromNativePath(path), FileAccess::ReadWrite,
                                      FileShare::None, FileCreate::OpenExisting);
  if (!file) std::abort();
  CountingFile counting(*file);
  r.sizeBefore = file->Size();
  if (!WriteId3v2(counting, f)) std::abort();
  r.sizeAfter = file->Size();
  file.reset();
  r.seconds = bench::NowSeconds() - t0;
  r.read = counting.bytesRead;
  r.written = counting.bytesWritten;
  return r;
}

// Seconds mutagen takes to load the tag and save the same change, measured
// inside the interpreter so that its start-up is left out; *total gets the
// whole run of the interpreter.
double RewriteMutagen(const std::string& python, const std::string& dir, const std::string& path,
                      const TagFields& f, double* total) {
  std::string script = dir + "/rewrite.py";
  WriteNative(script, R"py(
import sys, time
from mutagen.id3 import ID3, TIT2, COMM
path, title, comment = sys.argv[1:4]
t0 = time.perf_counter()
tags = ID3(path)
tags.setall("TIT2", [TIT2(encoding=0, text=title)])
tags.setall("COMM", [COMM(encoding=0, lang="CHS", desc="", text=comment)])
tags.save(path, v2_version=3)
print(time.perf_counter() - t0)
)py");
  double t0 = bench::NowSeconds();
  std::string out = FirstLine(python + " " + script + " " + path + " '" + f.title + "' '" +
                              f.comment + "'");
  *total = bench::NowSeconds() - t0;
  return out.empty() ? -1 : std::atof(out.c_str());
}

void RewriteCase(const char* what, const std::string& python, const std::string& dir,
                 const TagFields& f) {
  Rewrite r = RewriteOurs(dir + "/ours.mp3", f);
  TagFields back;
  auto check = SystemFileSystem().Open(FromNativePath(dir + "/ours.mp3"), FileAccess::Read,
                                       FileShare::Read, FileCreate::OpenExisting);
  if (!check || !ReadId3v2(*check, back) || back.title != f.title || back.comment != f.comment)
    std::abort();
  check.reset();
  double size = static_cast<double>(std::max(r.sizeBefore, r.sizeAfter));
  std::printf("%s (%lld -> %lld bytes):\n", what, static_cast<long long>(r.sizeBefore),
              static_cast<long long>(r.sizeAfter));
  std::printf("  tavik   read %llu bytes (%.4f of the file), wrote %llu bytes (%.4f), %.3f s\n",
              static_cast<unsigned long long>(r.read), r.read / size,
              static_cast<unsigned long long>(r.written), r.written / size, r.seconds);
  if (python.empty()) {
    std::printf("  mutagen not found; no baseline\n");
    return;
  }
  double total = 0;
  double m = RewriteMutagen(python, dir, dir + "/theirs.mp3", f, &total);
  std::printf("  mutagen %.3f s (interpreter run %.3f s); ratio tavik/mutagen = %.2f\n", m, total,
              m > 0 ? r.seconds / m : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::atoi(argv[1]) : 10000;
  int megabytes = argc > 2 ? std::atoi(argv[2]) : 100;
  std::string base = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
  std::string templ = base + "/tavik-bench-XXXXXX";
  if (!mkdtemp(templ.data())) return 1;
  const std::string dir = templ;

  ReadBenchmark(dir, count);

  TagFields f = SongFields(1);
  std::string big = BuildId3v2(f) + Audio(static_cast<size_t>(megabytes) << 20, 7) +
                    BuildId3v1({.title = f.title, .artist = f.artist, .album = f.album, .track = f.track,
                        .year = f.year}, 1);
  if (!WriteNative(dir + "/ours.mp3", big) || !WriteNative(dir + "/theirs.mp3", big)) return 1;
  big.clear();
  big.shrink_to_fit();
  const std::string python = Python();
  f.title = "Changed title";
  f.comment = std::string(4000, 'c');  // beyond any padding: the tag must grow
  RewriteCase("rewrite with a larger tag", python, dir, f);
  f.title = "Changed TITLE";
  RewriteCase("rewrite with a tag of the same size", python, dir, f);

  std::system(("rm -rf '" + dir + "'").c_str());
  return 0;
}
