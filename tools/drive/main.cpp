// tavik-drive: plays driver scripts against the whole program.
//   tavik-drive [--backend headless|win32] [--report FILE] [--keep] [--root DIR] SCRIPT...
// Each script runs in a fresh program with fresh $W and $H, or with those
// under DIR, kept.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "drive/driver.h"
#include "drive/headless_target.h"
#include "platform/platform.h"
#ifdef TAVIK_DRIVE_WIN32
#include "drive/win32/win32_target.h"
#endif

namespace {

int Usage() {
  std::cerr
      << "usage: tavik-drive [--backend headless|win32] [--report FILE] [--keep] [--root DIR] SCRIPT...\n";
  return 2;
}

std::unique_ptr<tavik::drive::Target> MakeTarget(const std::string& backend) {
  if (backend == "headless") return std::make_unique<tavik::drive::HeadlessTarget>();
#ifdef TAVIK_DRIVE_WIN32
  if (backend == "win32") return tavik::drive::MakeWin32Target();
#endif
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  tavik::drive::DriverOptions options;
  std::string report;
  std::vector<std::string> scripts;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--backend" && i + 1 < argc) {
      options.backend = argv[++i];
    } else if (a == "--report" && i + 1 < argc) {
      report = argv[++i];
    } else if (a == "--root" && i + 1 < argc) {
      // The program's own form: GBK on Windows, "\tmp\x" for "/tmp/x" here.
#ifdef _WIN32
      options.root = argv[++i];
#else
      options.root = tavik::FromNativePath(argv[++i]);
#endif
    } else if (a == "--keep") {
      options.keepDirectories = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage();
    } else {
      scripts.push_back(a);
    }
  }
  if (scripts.empty() || (options.backend != "headless" && options.backend != "win32")) return Usage();

  int passed = 0, failed = 0;
  for (const std::string& script : scripts) {
    std::unique_ptr<tavik::drive::Target> target = MakeTarget(options.backend);
    if (!target) {
      std::cout << script << ": the " << options.backend << " backend is not built in\n";
      ++failed;
      continue;
    }
    tavik::drive::Driver driver(*target, options, std::cout);
    if (auto* headless = dynamic_cast<tavik::drive::HeadlessTarget*>(target.get()))
      headless->SetPump([&driver] { return driver.Step(); });
    if (driver.Load(script)) driver.Run();
    // The program goes before its directories do.
    target.reset();
    passed += driver.passed();
    failed += driver.failed();
  }
  std::cout << passed << " passed, " << failed << " failed" << std::endl;

  if (!report.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(report).parent_path(), ec);
    std::ofstream out(report);
    out << passed << " " << failed << "\n";
    if (!out) std::cerr << "cannot write " << report << "\n";
  }
  return failed == 0 ? 0 : 1;
}
