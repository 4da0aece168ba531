#include "drive/script.h"

#include <algorithm>
#include <charconv>

#include "platform/platform.h"
#include "text/gbk.h"
#include "text/unicode.h"
#include "ui/form.h"

namespace tavik::drive {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr int32_t Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

}  // namespace

std::string QuoteText(const std::string& s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size();) {
    size_t n = text::CharLength(s, i);
    if (n == 1 && (s[i] == '"' || s[i] == '\\')) {
      out += '\\';
      out += s[i];
    } else if (n == 1 && s[i] == '\r') {
      out += "\\r";
    } else if (n == 1 && s[i] == '\n') {
      out += "\\n";
    } else {
      out.append(s, i, n);
    }
    i += n;
  }
  return out + "\"";
}

bool SplitLine(const std::string& line, std::vector<std::string>* args, std::string* error) {
  args->clear();
  size_t i = 0, n = line.size();
  auto blank = [&](char c) { return c == ' ' || c == '\t'; };
  for (;;) {
    while (i < n && blank(line[i])) ++i;
    if (i == n || line[i] == '#') return true;
    std::string arg;
    bool quoted = false;
    while (i < n && (quoted || !blank(line[i]))) {
      char c = line[i++];
      if (c == '"') {
        quoted = !quoted;
      } else if (quoted && c == '\\') {
        if (i == n) break;
        char e = line[i++];
        switch (e) {
          case '"':
            arg += '"';
            break;
          case '\\':
            arg += '\\';
            break;
          case 'r':
            arg += '\r';
            break;
          case 'n':
            arg += '\n';
            break;
          case 't':
            arg += '\t';
            break;
          default:
            *error = std::string("unknown escape \\") + e + " in a quoted argument";
            return false;
        }
      } else {
        arg += c;
      }
    }
    if (quoted) {
      *error = "a quoted argument is not closed";
      return false;
    }
    args->push_back(std::move(arg));
  }
}

std::string ExpandArgument(const std::string& utf8, const std::string& work, const std::string& home) {
  // UTF-8 has no ASCII byte inside a multi-byte character, so "/" and "$"
  // are found here before the conversion to GBK.
  std::string out;
  bool afterDirectory = false;
  size_t start = 0;
  auto flush = [&](size_t end) {
    std::string piece = utf8.substr(start, end - start);
    if (afterDirectory)
      for (char& c : piece)
        if (c == '/') c = '\\';
    out += text::FromUtf8Lossy(piece);
  };
  for (size_t i = 0; i + 1 < utf8.size();) {
    if (utf8[i] == '$' && (utf8[i + 1] == 'W' || utf8[i + 1] == 'H')) {
      flush(i);
      out += utf8[i + 1] == 'W' ? work : home;
      afterDirectory = true;
      i += 2;
      start = i;
    } else {
      ++i;
    }
  }
  flush(utf8.size());
  return out;
}

std::vector<Line> ReadScript(std::istream& in, const std::string& work, const std::string& home) {
  std::vector<Line> lines;
  std::string text;
  int number = 0;
  while (std::getline(in, text)) {
    ++number;
    if (number == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    Line line;
    line.number = number;
    std::vector<std::string> raw;
    if (!SplitLine(text, &raw, &line.error)) {
      line.error = text::FromUtf8Lossy(line.error);
    } else {
      for (const std::string& a : raw) line.args.push_back(ExpandArgument(a, work, home));
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::string Num(int64_t n) { return text::NumberToText(n); }

bool ParseInt(const std::string& s, int* value) {
  if (s.empty()) return false;
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, *value);
  return ec == std::errc() && p == end;
}

std::optional<std::string> ParseHex(const std::vector<std::string>& args, size_t from) {
  std::string digits;
  for (size_t i = from; i < args.size(); ++i) digits += args[i];
  if (digits.size() % 2) return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < digits.size(); i += 2) {
    int hi = HexDigit(digits[i]), lo = HexDigit(digits[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes += static_cast<char>(hi * 16 + lo);
  }
  return bytes;
}

bool ParseColour(const std::vector<std::string>& args, size_t from, int32_t* colour) {
  if (args.size() == from + 1 && args[from] == "default") {
    *colour = ui::kDefaultColour;
    return true;
  }
  if (args.size() != from + 3) return false;
  int c[3];
  for (int i = 0; i < 3; ++i)
    if (!ParseInt(args[from + i], &c[i]) || c[i] < 0 || c[i] > 255) return false;
  *colour = Rgb(c[0], c[1], c[2]);
  return true;
}

std::ostream& Report::At(const Line& line) { return out_ << file_ << ":" << line.number << ": "; }

void Report::Fail(const Line& line, const std::string& message) {
  ++failed_;
  At(line) << text::ToUtf8Lossy(message) << "\n";
}

void Report::Check(const Line& line, bool ok, const std::string& expected, const std::string& got) {
  if (ok)
    Pass();
  else
    Fail(line, "expected " + expected + ", got " + got);
}

bool Report::Arity(const Line& line, size_t least, size_t most) {
  // Expectations count their arguments after the kind.
  size_t skip = line.args[0] == "expect" ? 2 : 1;
  size_t n = line.args.size() - std::min(skip, line.args.size());
  if (n >= least && n <= most) return true;
  std::string name = line.args[0] + (skip == 2 && line.args.size() > 1 ? " " + line.args[1] : "");
  std::string want = least == most      ? Num(least)
                     : most == SIZE_MAX ? "at least " + Num(least)
                                        : Num(least) + " to " + Num(most);
  Fail(line, name + " takes " + want + " arguments, got " + Num(n));
  return false;
}

}  // namespace tavik::drive
