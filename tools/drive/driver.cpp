#include "drive/driver.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>

#include "platform/platform.h"
#include "text/unicode.h"

namespace tavik::drive {

namespace fs = std::filesystem;

// std::filesystem takes native paths: UTF-8 on Linux, UTF-16 on Windows,
// converted exactly from the program's own text.
fs::path FsPath(const std::string& path) {
#ifdef _WIN32
  std::string utf8 = text::ToUtf8Lossy(path);
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
#else
  return fs::path(ToNativePath(path));
#endif
}

namespace {

std::string ProgramPath(const fs::path& p) {
#ifdef _WIN32
  std::u8string u = p.u8string();
  return text::FromUtf8Lossy(std::string(u.begin(), u.end()));
#else
  return FromNativePath(p.string());
#endif
}

}  // namespace

void StatusHistory::Record(int pane, const std::string& text) {
  if (text.empty()) return;
  for (auto it = texts_.rbegin(); it != texts_.rend(); ++it)
    if (it->first == pane) {
      if (it->second == text) return;
      break;
    }
  texts_.emplace_back(pane, text);
}

std::vector<std::string> StatusHistory::Take(int pane) {
  std::vector<std::string> out;
  std::vector<std::pair<int, std::string>> rest;
  for (auto& [p, t] : texts_) {
    if (p == pane)
      out.push_back(t);
    else
      rest.emplace_back(p, t);
  }
  texts_.swap(rest);
  return out;
}

void Session::Collect() {
  for (MessageInfo& m : target.TakeMessages()) messages.push_back(std::move(m));
}

Driver::Driver(Target& target, DriverOptions options, std::ostream& out)
    : options_(std::move(options)), session_(target, out) {}

Driver::~Driver() {
  if (!ownsRoot_) return;
  if (options_.keepDirectories) {
    session_.report.out() << session_.report.file() << ": kept " << text::ToUtf8Lossy(root_) << "\n";
    return;
  }
  std::error_code ec;
  fs::remove_all(FsPath(root_), ec);
}

bool Driver::Load(const std::string& file) {
  session_.report.SetFile(file);
  Line whole;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    session_.Fail(whole, "cannot read the script");
    return false;
  }
  if (!options_.root.empty()) {
    std::error_code ec;
    fs::path dir = fs::absolute(FsPath(options_.root), ec);
    fs::create_directories(dir / "work", ec);
    fs::create_directories(dir / "home", ec);
    if (fs::is_directory(dir / "work") && fs::is_directory(dir / "home")) {
      root_ = ProgramPath(dir);
      session_.work = ProgramPath(dir / "work");
      session_.home = ProgramPath(dir / "home");
    }
  }
  std::random_device rd;
  fs::path base = fs::temp_directory_path();
  for (int i = 0; i < 100 && root_.empty() && options_.root.empty(); ++i) {
    fs::path dir = base / ("tavik-drive-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(dir, ec)) {
      fs::create_directory(dir / "work", ec);
      fs::create_directory(dir / "home", ec);
      root_ = ProgramPath(dir);
      ownsRoot_ = true;
      session_.work = ProgramPath(dir / "work");
      session_.home = ProgramPath(dir / "home");
    }
  }
  if (root_.empty()) {
    session_.Fail(whole, "cannot create the temporary directories");
    return false;
  }
  lines_ = ReadScript(in, session_.work, session_.home);
  return true;
}

bool Driver::Step() {
  while (next_ < lines_.size()) {
    const Line& line = lines_[next_++];
    if (line.error.empty() && line.args.empty()) continue;
    if (line.args.size() == 3 && line.args[0] == "expect" && line.args[1] == "backend") {
      const std::string& b = line.args[2];
      if (b == "any" || b == "headless" || b == "win32") {
        skipping_ = !(b == "any" || b == options_.backend);
        continue;
      }
    }
    // A line that cannot be read is a fault of the script on every backend.
    if (skipping_ && line.error.empty()) continue;
    Execute(line);
    return true;
  }
  return false;
}

void Driver::Run() {
  while (Step()) {
  }
  session_.Collect();
  if (session_.target.Running()) session_.target.Close();
}

void Driver::Execute(const Line& line) {
  if (!line.error.empty()) {
    session_.Fail(line, line.error);
    return;
  }
  session_.Collect();
  void (*run)(Session&, const Line&) = line.args[0] == "expect" ? &Expect : nullptr;
  for (const Command& c : Actions())
    if (line.args[0] == c.name) run = c.run;
  if (!run) {
    session_.Fail(line, "unknown command " + Quote(line.args[0]));
    return;
  }
  try {
    run(session_, line);
  } catch (const std::exception& e) {
    session_.Fail(line, std::string("internal error: ") + e.what());
  }
  session_.Collect();
}

}  // namespace tavik::drive
