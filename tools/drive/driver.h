// The automation driver's core: reads a script of user actions and
// expectations and plays it against a Target, one command a line. Nothing
// here knows which backend runs the program.
#pragma once
#include <deque>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

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

// Splits one UTF-8 script line into its arguments: blanks separate them,
// "..." quotes (with \" \\ \r \n) and joins to the text around it, and a
// "#" where an argument would begin ends the line. False with *error set
// when the quoting is broken.
bool SplitLine(const std::string& line, std::vector<std::string>* args, std::string* error);

// A GBK text in double quotes with the script's escapes, as a script would
// write it.
std::string QuoteText(const std::string& gbk);

// One argument in GBK with $W and $H replaced by those directories (program
// path form); every "/" after the first of them becomes "\".
std::string ExpandArgument(const std::string& utf8, const std::string& work,
                           const std::string& home);

struct DriverOptions {
  std::string backend = "headless";
  bool keepDirectories = false;  // leave $W and $H behind for a look
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

  int passed() const { return passed_; }
  int failed() const { return failed_; }
  const std::string& work() const { return work_; }
  const std::string& home() const { return home_; }

 private:
  struct Line {
    int number = 0;
    std::vector<std::string> args;  // GBK, $W and $H expanded; args[0] is the command
    std::string error;              // the line could not be split
  };
  using Handler = void (Driver::*)(const Line&);
  struct Command {
    const char* name;
    Handler run;
  };
  static const std::vector<Command>& Commands();
  static const std::vector<Command>& Expectations();

  void Execute(const Line& line);
  void Collect();  // message boxes shown since the last look
  void Pass() { ++passed_; }
  void Fail(const Line& line, const std::string& message);  // message in GBK
  // Counts the expectation; the texts are only used when it failed.
  void Check(const Line& line, bool ok, const std::string& expected, const std::string& got);
  bool Arity(const Line& line, size_t least, size_t most);
  // The control's state, or a failed expectation when there is none.
  std::optional<drive::ControlState> ReadControl(const Line& line, const std::string& what);

  // Fixtures and program life.
  void MkDir(const Line& line);
  void MkFile(const Line& line);
  void MkBytes(const Line& line);
  void StartCmd(const Line& line);
  void CloseCmd(const Line& line);
  void RestartCmd(const Line& line);
  // Actions.
  void TypeCmd(const Line& line);
  void ClickCmd(const Line& line);
  void ChooseCmd(const Line& line);
  void TabCmd(const Line& line);
  void MenuCmd(const Line& line);
  void ToolbarCmd(const Line& line);
  void RowsCmd(const Line& line);
  void KeyCmd(const Line& line);
  void DblClickCmd(const Line& line);
  void RClickCmd(const Line& line);
  void EscCmd(const Line& line);
  void ResizeCmd(const Line& line);
  void DropCmd(const Line& line);
  void AnswerCmd(const Line& line);
  void ShowCmd(const Line& line);
  void DumpCmd(const Line& line);
  void ScreenshotCmd(const Line& line);
  void ExpectCmd(const Line& line);
  // Expectations (args[1] is the kind).
  void ExpectText(const Line& line);
  void ExpectChecked(const Line& line);
  void ExpectEnabled(const Line& line);
  void ExpectVisible(const Line& line);
  void ExpectTag(const Line& line);
  void ExpectRect(const Line& line);
  void ExpectColour(const Line& line);
  void ExpectFont(const Line& line);
  void ExpectSelected(const Line& line);
  void ExpectItems(const Line& line);
  void ExpectCount(const Line& line);
  void ExpectCell(const Line& line);
  void ExpectImage(const Line& line);
  void ExpectSelRows(const Line& line);
  void ExpectStatus(const Line& line);
  void ExpectShown(const Line& line);
  void ExpectToolbar(const Line& line);
  void ExpectMenu(const Line& line);
  void ExpectMessage(const Line& line);
  void ExpectNoMessage(const Line& line);
  void ExpectDialog(const Line& line);
  void ExpectCursor(const Line& line);
  void ExpectWindow(const Line& line);
  void ExpectFile(const Line& line);
  void ExpectConfig(const Line& line);
  void ExpectBackend(const Line& line);
  void ExpectFlag(const Line& line, bool drive::ControlState::*flag);

  Target& target_;
  DriverOptions options_;
  std::ostream& out_;
  std::string file_;
  std::vector<Line> lines_;
  size_t next_ = 0;
  bool skipping_ = false;  // inside a block for another backend
  std::string root_, work_, home_;
  std::deque<MessageInfo> messages_;  // shown and not yet checked
  int passed_ = 0, failed_ = 0;
};

}  // namespace tavik::drive
