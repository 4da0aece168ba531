// The driver's commands, by name: what they share and where to find them.
#pragma once
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "drive/script.h"
#include "drive/target.h"

namespace tavik::drive {

// What a script's commands act on and report to.
struct Session {
  Session(Target& target, std::ostream& out) : target(target), report(out) {}

  // Message boxes shown since the last look join the unchecked ones.
  void Collect();

  void Pass() { report.Pass(); }
  void Fail(const Line& line, const std::string& message) { report.Fail(line, message); }
  void Check(const Line& line, bool ok, const std::string& expected, const std::string& got) {
    report.Check(line, ok, expected, got);
  }
  bool Arity(const Line& line, size_t least, size_t most) { return report.Arity(line, least, most); }

  Target& target;
  Report report;
  std::string work, home;            // $W and $H, program path form
  std::deque<MessageInfo> messages;  // shown and not yet checked
};

struct Command {
  const char* name;
  void (*run)(Session& session, const Line& line);
};

// Fixtures, program life and user actions (actions.cpp).
const std::vector<Command>& Actions();
// `expect KIND ...`, dispatched by its kind (expectations.cpp).
void Expect(Session& session, const Line& line);

inline std::string Quote(const std::string& s) { return QuoteText(s); }

// A path of the program's form as std::filesystem takes it.
std::filesystem::path FsPath(const std::string& path);

}  // namespace tavik::drive
