// A driver script's syntax: lines split into arguments, quoting, $W and $H,
// the values arguments stand for, and failures reported by file and line.
#pragma once
#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tavik::drive {

struct Line {
  int number = 0;                 // 0: the script as a whole
  std::vector<std::string> args;  // GBK, $W and $H expanded; args[0] is the command
  std::string error;              // the line could not be split
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
std::string ExpandArgument(const std::string& utf8, const std::string& work, const std::string& home);

// Every line of a script, numbered from 1, arguments expanded.
std::vector<Line> ReadScript(std::istream& in, const std::string& work, const std::string& home);

// Argument values.
std::string Num(int64_t n);
// A whole decimal number and nothing else.
bool ParseInt(const std::string& s, int* value);
// Hex digits split over the arguments from `from` on, two to a byte.
std::optional<std::string> ParseHex(const std::vector<std::string>& args, size_t from);
// R G B from the three arguments from `from` on, or "default".
bool ParseColour(const std::vector<std::string>& args, size_t from, int32_t* colour);

// Counts the script's passed and failed checks and prints each failure as
// FILE:LINE: MESSAGE.
class Report {
 public:
  explicit Report(std::ostream& out) : out_(out) {}

  void SetFile(const std::string& file) { file_ = file; }
  const std::string& file() const { return file_; }
  std::ostream& out() { return out_; }
  // The stream after "FILE:LINE: ".
  std::ostream& At(const Line& line);

  void Pass() { ++passed_; }
  void Fail(const Line& line, const std::string& message);  // message in GBK
  // Counts the expectation; the texts are only used when it failed.
  void Check(const Line& line, bool ok, const std::string& expected, const std::string& got);
  // Whether the command has from `least` to `most` arguments; a failure
  // when not.
  bool Arity(const Line& line, size_t least, size_t most);

  int passed() const { return passed_; }
  int failed() const { return failed_; }

 private:
  std::ostream& out_;
  std::string file_;
  int passed_ = 0, failed_ = 0;
};

}  // namespace tavik::drive
