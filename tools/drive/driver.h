// The automation driver's core: reads a script of user actions and
// expectations and plays it against a Target, one command a line. Nothing
// here knows which backend runs the program.
#pragma once
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "drive/commands.h"
#include "drive/script.h"
#include "drive/target.h"

namespace tavik::drive {

// A backend that can also tell a control's font (for `expect font`).
class FontSource {
 public:
  virtual ~FontSource() = default;
  virtual std::optional<ui::Font> ControlFont(const std::string& control) = 0;
};

// A backend with a screen (for `screenshot`).
class ScreenSource {
 public:
  virtual ~ScreenSource() = default;
  // The topmost open form's window as the screen shows it, frame included,
  // as the bytes of a BMP file; nullopt with *error set when it cannot.
  virtual std::optional<std::string> CaptureTopWindow(std::string* error) = 0;
};

// A backend that keeps every text a status pane was given (for `expect
// shown`): a progress bar of marks is gone again when its command ends.
class StatusHistorySource {
 public:
  virtual ~StatusHistorySource() = default;
  // The pane's texts since the last call, in order, empty ones and
  // repeats of the one before left out.
  virtual std::vector<std::string> TakeStatusHistory(int pane) = 0;
};

// Keeps such a history; a backend feeds it every text it sees set.
class StatusHistory {
 public:
  void Record(int pane, const std::string& text);
  std::vector<std::string> Take(int pane);

 private:
  std::vector<std::pair<int, std::string>> texts_;
};

struct DriverOptions {
  std::string backend = "headless";
  bool keepDirectories = false;  // leave $W and $H behind for a look
  // The folder that holds $W and $H (as work and home), created when
  // missing and kept afterwards, so that a run can continue where a killed
  // one stopped. Empty: a fresh temporary one for each script.
  std::string root;
};

class Driver {
 public:
  Driver(Target& target, DriverOptions options, std::ostream& out);
  ~Driver();
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  // Reads the script and creates fresh $W and $H directories. False (with
  // the failure counted) when either cannot be done.
  bool Load(const std::string& file);
  // Runs the next command. Re-entrant: a backend whose dialogs block the
  // caller calls it from inside the action that opened the dialog. False
  // when the script has no command left.
  bool Step();
  // Every command, then closes the program if it is still running.
  void Run();

  int passed() const { return session_.report.passed(); }
  int failed() const { return session_.report.failed(); }
  const std::string& work() const { return session_.work; }
  const std::string& home() const { return session_.home; }

 private:
  void Execute(const Line& line);

  DriverOptions options_;
  Session session_;
  std::vector<Line> lines_;
  size_t next_ = 0;
  bool skipping_ = false;  // inside a block for another backend
  std::string root_;       // holds $W and $H
  bool ownsRoot_ = false;  // made for this script, so removed with it
};

}  // namespace tavik::drive
