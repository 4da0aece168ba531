#include "drive/driver.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>

#include "platform/platform.h"
#include "text/gbk.h"

namespace tavik::drive {

namespace fs = std::filesystem;

namespace {

// std::filesystem takes native paths: UTF-8 on Linux, UTF-16 on Windows,
// where the program's own ANSI form is GBK.
fs::path FsPath(const std::string& path) {
#ifdef _WIN32
  std::string utf8 = GbkToUtf8(path);
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
#else
  return fs::path(ToNativePath(path));
#endif
}

std::string ProgramPath(const fs::path& p) {
#ifdef _WIN32
  std::u8string u = p.u8string();
  return Utf8ToGbk(std::string(u.begin(), u.end()));
#else
  return FromNativePath(p.string());
#endif
}

std::string Quote(const std::string& s) { return QuoteText(s); }

std::string Num(int64_t n) { return text::NumberToText(n); }

std::string RowsText(const std::vector<int>& rows) {
  std::string out;
  for (int r : rows) out += (out.empty() ? "" : " ") + Num(r);
  return out.empty() ? "none" : out;
}

// A whole decimal number and nothing else.
bool ParseInt(const std::string& s, int* value) {
  if (s.empty()) return false;
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, *value);
  return ec == std::errc() && p == end;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hex digits split over any number of arguments, two to a byte.
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

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out.empty() ? "(nothing)" : out;
}

bool ParseBool(const std::string& s, bool* value) {
  if (s == "true") {
    *value = true;
  } else if (s == "false") {
    *value = false;
  } else {
    return false;
  }
  return true;
}

constexpr int32_t Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

std::string ColourText(int32_t c) {
  if (c == ui::kDefaultColour) return "default";
  return Num(c & 0xFF) + " " + Num((c >> 8) & 0xFF) + " " + Num((c >> 16) & 0xFF);
}

// R G B from three arguments, or "default".
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

const char* IconName(ui::MsgIcon icon) {
  switch (icon) {
    case ui::MsgIcon::Info: return "info";
    case ui::MsgIcon::Warning: return "warning";
    case ui::MsgIcon::Error: return "error";
    case ui::MsgIcon::None: break;
  }
  return "none";
}

bool ParseIcon(const std::string& s, ui::MsgIcon* icon) {
  for (ui::MsgIcon i : {ui::MsgIcon::None, ui::MsgIcon::Info, ui::MsgIcon::Warning, ui::MsgIcon::Error})
    if (s == IconName(i)) {
      *icon = i;
      return true;
    }
  return false;
}

std::string MessageText(const MessageInfo& m) {
  return "message " + Quote(m.text) + " title " + Quote(m.title) + " icon " + IconName(m.icon);
}

// "Delete", "A", "Ctrl+A", "Ctrl+Shift+Delete", "F5", ... as a key press
// with its virtual key code.
bool ParseKey(const std::string& s, ui::KeyPress* key) {
  ui::KeyPress k;
  std::string rest = s;
  for (;;) {
    size_t plus = rest.find('+');
    if (plus == std::string::npos || plus + 1 == rest.size()) break;
    std::string mod = rest.substr(0, plus);
    if (mod == "Ctrl") {
      k.ctrl = true;
    } else if (mod == "Shift") {
      k.shift = true;
    } else if (mod == "Alt") {
      k.alt = true;
    } else {
      return false;
    }
    rest = rest.substr(plus + 1);
  }
  static const std::pair<const char*, int> named[] = {
      {"Delete", 46}, {"Insert", 45}, {"Enter", 13},  {"Esc", 27},     {"Space", 32},
      {"Tab", 9},     {"Backspace", 8}, {"Home", 36}, {"End", 35},     {"PageUp", 33},
      {"PageDown", 34}, {"Left", 37}, {"Up", 38},     {"Right", 39},   {"Down", 40},
      {"Apps", 93},
  };
  k.code = 0;
  for (auto& [name, code] : named)
    if (rest == name) k.code = code;
  if (k.code == 0 && rest.size() == 1) {
    char c = rest[0];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) k.code = c;
  }
  int f = 0;
  if (k.code == 0 && rest.size() >= 2 && rest[0] == 'F' && ParseInt(rest.substr(1), &f) && f >= 1 &&
      f <= 12)
    k.code = 111 + f;
  if (k.code == 0) return false;
  k.key = k.code == 46 ? ui::Key::Delete : k.code == 65 ? ui::Key::A : ui::Key::Other;
  *key = k;
  return true;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(FsPath(path).parent_path(), ec);
  auto f = SystemFileSystem().Open(path, FileAccess::ReadWrite, FileShare::ReadWrite,
                                   FileCreate::OpenAlways);
  return f && f->Seek(0, SeekFrom::Begin) && f->SetEnd() &&
         (bytes.empty() || f->Write(bytes.data(), bytes.size()));
}

// "*" matches anything; for rectangles whose size depends on the platform.
bool RectMatches(const std::vector<std::string>& args, size_t from, const ui::Rect& r, bool* bad) {
  int got[4] = {r.left, r.top, r.width, r.height};
  bool ok = true;
  for (int i = 0; i < 4; ++i) {
    if (args[from + i] == "*") continue;
    int v;
    if (!ParseInt(args[from + i], &v)) {
      *bad = true;
      return false;
    }
    if (v != got[i]) ok = false;
  }
  return ok;
}

std::string RectText(const ui::Rect& r) {
  return Num(r.left) + " " + Num(r.top) + " " + Num(r.width) + " " + Num(r.height);
}

std::string FontText(const ui::Font& f) {
  std::string size = f.points ? Num(f.points) : f.heightPixels ? Num(f.heightPixels) + "px" : "0";
  return Quote(f.face) + " " + size;
}

const char kMissing[] = "\x01<missing>\x01";

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
          case '"': arg += '"'; break;
          case '\\': arg += '\\'; break;
          case 'r': arg += '\r'; break;
          case 'n': arg += '\n'; break;
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

std::string ExpandArgument(const std::string& utf8, const std::string& work,
                           const std::string& home) {
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
    out += Utf8ToGbk(piece);
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

Driver::Driver(Target& target, DriverOptions options, std::ostream& out)
    : target_(target), options_(std::move(options)), out_(out) {}

Driver::~Driver() {
  if (root_.empty()) return;
  if (options_.keepDirectories) {
    out_ << file_ << ": kept " << GbkToUtf8(root_) << "\n";
    return;
  }
  std::error_code ec;
  fs::remove_all(FsPath(root_), ec);
}

bool Driver::Load(const std::string& file) {
  file_ = file;
  Line whole;
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    Fail(whole, "cannot read the script");
    return false;
  }
  std::random_device rd;
  fs::path base = fs::temp_directory_path();
  for (int i = 0; i < 100 && root_.empty(); ++i) {
    fs::path dir = base / ("tavik-drive-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(dir, ec)) {
      fs::create_directory(dir / "work", ec);
      fs::create_directory(dir / "home", ec);
      root_ = ProgramPath(dir);
      work_ = ProgramPath(dir / "work");
      home_ = ProgramPath(dir / "home");
    }
  }
  if (root_.empty()) {
    Fail(whole, "cannot create the temporary directories");
    return false;
  }

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
      line.error = Utf8ToGbk(line.error);
    } else {
      for (const std::string& a : raw) line.args.push_back(ExpandArgument(a, work_, home_));
    }
    lines_.push_back(std::move(line));
  }
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
  Collect();
  if (target_.Running()) target_.Close();
}

void Driver::Collect() {
  for (MessageInfo& m : target_.TakeMessages()) messages_.push_back(std::move(m));
}

void Driver::Fail(const Line& line, const std::string& message) {
  ++failed_;
  out_ << file_ << ":" << line.number << ": " << GbkToUtf8(message) << "\n";
}

void Driver::Check(const Line& line, bool ok, const std::string& expected, const std::string& got) {
  if (ok)
    Pass();
  else
    Fail(line, "expected " + expected + ", got " + got);
}

bool Driver::Arity(const Line& line, size_t least, size_t most) {
  // Expectations count their arguments after the kind.
  size_t skip = line.args[0] == "expect" ? 2 : 1;
  size_t n = line.args.size() - std::min(skip, line.args.size());
  if (n >= least && n <= most) return true;
  std::string name = line.args[0] + (skip == 2 && line.args.size() > 1 ? " " + line.args[1] : "");
  std::string want = least == most ? Num(least) : most == SIZE_MAX ? "at least " + Num(least)
                                                                  : Num(least) + " to " + Num(most);
  Fail(line, name + " takes " + want + " arguments, got " + Num(n));
  return false;
}

std::optional<ControlState> Driver::ReadControl(const Line& line, const std::string& name) {
  std::optional<ControlState> s = target_.Read(name);
  if (!s) Fail(line, "expected a control " + Quote(name) + ", got none");
  return s;
}

const std::vector<Driver::Command>& Driver::Commands() {
  static const std::vector<Command> commands = {
      {"mkdir", &Driver::MkDir},       {"mkfile", &Driver::MkFile},
      {"mkbytes", &Driver::MkBytes},   {"start", &Driver::StartCmd},
      {"close", &Driver::CloseCmd},    {"restart", &Driver::RestartCmd},
      {"type", &Driver::TypeCmd},      {"click", &Driver::ClickCmd},
      {"choose", &Driver::ChooseCmd},  {"tab", &Driver::TabCmd},
      {"menu", &Driver::MenuCmd},      {"toolbar", &Driver::ToolbarCmd},
      {"rows", &Driver::RowsCmd},      {"key", &Driver::KeyCmd},
      {"dblclick", &Driver::DblClickCmd}, {"rclick", &Driver::RClickCmd},
      {"esc", &Driver::EscCmd},        {"resize", &Driver::ResizeCmd},
      {"drop", &Driver::DropCmd},      {"answer", &Driver::AnswerCmd},
      {"show", &Driver::ShowCmd},      {"dump", &Driver::DumpCmd},
      {"screenshot", &Driver::ScreenshotCmd},
      {"expect", &Driver::ExpectCmd},
  };
  return commands;
}

const std::vector<Driver::Command>& Driver::Expectations() {
  static const std::vector<Command> kinds = {
      {"text", &Driver::ExpectText},         {"checked", &Driver::ExpectChecked},
      {"enabled", &Driver::ExpectEnabled},   {"visible", &Driver::ExpectVisible},
      {"tag", &Driver::ExpectTag},           {"rect", &Driver::ExpectRect},
      {"colour", &Driver::ExpectColour},     {"font", &Driver::ExpectFont},
      {"selected", &Driver::ExpectSelected}, {"items", &Driver::ExpectItems},
      {"count", &Driver::ExpectCount},       {"cell", &Driver::ExpectCell},
      {"image", &Driver::ExpectImage},       {"selrows", &Driver::ExpectSelRows},
      {"status", &Driver::ExpectStatus},     {"toolbar", &Driver::ExpectToolbar},
      {"shown", &Driver::ExpectShown},
      {"menu", &Driver::ExpectMenu},         {"message", &Driver::ExpectMessage},
      {"no-message", &Driver::ExpectNoMessage}, {"dialog", &Driver::ExpectDialog},
      {"cursor", &Driver::ExpectCursor},     {"window", &Driver::ExpectWindow},
      {"file", &Driver::ExpectFile},         {"config", &Driver::ExpectConfig},
      {"backend", &Driver::ExpectBackend},
  };
  return kinds;
}

void Driver::Execute(const Line& line) {
  if (!line.error.empty()) {
    Fail(line, line.error);
    return;
  }
  Collect();
  for (const Command& c : Commands()) {
    if (line.args[0] != c.name) continue;
    try {
      (this->*c.run)(line);
    } catch (const std::exception& e) {
      Fail(line, std::string("internal error: ") + e.what());
    }
    Collect();
    return;
  }
  Fail(line, "unknown command " + Quote(line.args[0]));
}

// Fixtures.

void Driver::MkDir(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  std::error_code ec;
  fs::create_directories(FsPath(line.args[1]), ec);
  if (!fs::is_directory(FsPath(line.args[1]), ec)) Fail(line, "mkdir: cannot create " + Quote(line.args[1]));
}

void Driver::MkFile(const Line& line) {
  if (!Arity(line, 1, 2)) return;
  std::string body = line.args.size() > 2 ? line.args[2] : std::string();
  if (!WriteFile(line.args[1], body)) Fail(line, "mkfile: cannot write " + Quote(line.args[1]));
}

void Driver::MkBytes(const Line& line) {
  if (!Arity(line, 2, SIZE_MAX)) return;
  std::optional<std::string> bytes = ParseHex(line.args, 2);
  if (!bytes) {
    Fail(line, "mkbytes: the bytes are not pairs of hex digits");
    return;
  }
  if (!WriteFile(line.args[1], *bytes)) Fail(line, "mkbytes: cannot write " + Quote(line.args[1]));
}

// Program life.

void Driver::StartCmd(const Line& line) {
  if (!Arity(line, 0, 0)) return;
  if (target_.Running()) {
    Fail(line, "start: the program is already running");
    return;
  }
  target_.Start(home_);
}

void Driver::CloseCmd(const Line& line) {
  if (!Arity(line, 0, 0)) return;
  if (!target_.Running()) {
    Fail(line, "close: the program is not running");
    return;
  }
  // The main window takes no input while a modal dialog is open.
  std::string dialog = target_.TopDialogTitle();
  if (!dialog.empty()) {
    Fail(line, "close: the dialog " + Quote(dialog) + " is open");
    return;
  }
  target_.Close();
}

void Driver::RestartCmd(const Line& line) {
  if (!Arity(line, 0, 0)) return;
  std::string dialog = target_.TopDialogTitle();
  if (!dialog.empty()) {
    Fail(line, "restart: the dialog " + Quote(dialog) + " is open");
    return;
  }
  if (target_.Running()) target_.Close();
  Collect();
  target_.Start(home_);
}

// Actions. A false from the target means the control is missing or of
// another type; the state of the program says which.

namespace {
std::string NoControl(Target& target, const std::string& command, const std::string& control,
                      const std::string& what) {
  std::string s = command + ": no control " + Quote(control) + " that " + what;
  if (!target.Running()) s += " (the program is not running)";
  return s;
}
}  // namespace

void Driver::TypeCmd(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  if (!target_.Type(line.args[1], line.args[2]))
    Fail(line, NoControl(target_, "type", line.args[1], "takes typing"));
}

void Driver::ClickCmd(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  if (!target_.Click(line.args[1])) Fail(line, NoControl(target_, "click", line.args[1], "can be clicked"));
}

void Driver::ChooseCmd(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  int index;
  if (!ParseInt(line.args[2], &index)) {
    Fail(line, "choose: bad index " + Quote(line.args[2]));
    return;
  }
  if (!target_.Choose(line.args[1], index))
    Fail(line, NoControl(target_, "choose", line.args[1], "has an item " + Num(index)));
}

void Driver::TabCmd(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  int index;
  if (!ParseInt(line.args[1], &index)) {
    Fail(line, "tab: bad index " + Quote(line.args[1]));
    return;
  }
  if (!target_.Tab(index)) Fail(line, "tab: no tab control with a page " + Num(index));
}

void Driver::MenuCmd(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  const std::string& caption = line.args[1];
  std::optional<bool> enabled = target_.MenuEnabled(caption);
  if (!enabled) {
    Fail(line, "menu: no menu item " + Quote(caption));
  } else if (!*enabled) {
    Fail(line, "menu: menu item " + Quote(caption) + " disabled");
  } else if (!target_.Menu(caption)) {
    Fail(line, "menu: no menu item " + Quote(caption) + " in the menu bar or the open popup menu");
  }
}

void Driver::ToolbarCmd(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  int index;
  if (!ParseInt(line.args[1], &index)) {
    Fail(line, "toolbar: bad index " + Quote(line.args[1]));
    return;
  }
  if (!target_.ToolbarEnabled(index)) {
    Fail(line, "toolbar: entry " + Num(index) + " is disabled or not a button");
  } else if (!target_.Toolbar(index)) {
    Fail(line, "toolbar: no button " + Num(index));
  }
}

void Driver::RowsCmd(const Line& line) {
  if (!Arity(line, 1, SIZE_MAX)) return;
  std::vector<int> rows;
  if (!(line.args.size() == 2 && line.args[1] == "none")) {
    for (size_t i = 1; i < line.args.size(); ++i) {
      int r;
      if (!ParseInt(line.args[i], &r)) {
        Fail(line, "rows: bad row " + Quote(line.args[i]));
        return;
      }
      rows.push_back(r);
    }
  }
  if (!target_.Rows(rows)) Fail(line, "rows: no such row, or no list (" + Num(target_.RowCount()) + " rows)");
}

void Driver::KeyCmd(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  ui::KeyPress key;
  if (!ParseKey(line.args[2], &key)) {
    Fail(line, "key: bad key " + Quote(line.args[2]));
    return;
  }
  if (!target_.Key(line.args[1], key)) Fail(line, NoControl(target_, "key", line.args[1], "takes keys"));
}

void Driver::DblClickCmd(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  if (!target_.DoubleClick(line.args[1]))
    Fail(line, NoControl(target_, "dblclick", line.args[1], "can be double-clicked"));
}

void Driver::RClickCmd(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  if (!target_.RightClick(line.args[1]))
    Fail(line, NoControl(target_, "rclick", line.args[1], "can be right-clicked"));
}

void Driver::EscCmd(const Line& line) {
  if (Arity(line, 0, 0)) target_.Escape();
}

void Driver::ResizeCmd(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  int w, h;
  if (!ParseInt(line.args[1], &w) || !ParseInt(line.args[2], &h) || w <= 0 || h <= 0) {
    Fail(line, "resize: bad size");
    return;
  }
  if (!target_.Running()) {
    Fail(line, "resize: the program is not running");
    return;
  }
  target_.Resize(w, h);
}

void Driver::DropCmd(const Line& line) {
  if (!Arity(line, 1, SIZE_MAX)) return;
  if (!target_.Running()) {
    Fail(line, "drop: the program is not running");
    return;
  }
  target_.Drop(std::vector<std::string>(line.args.begin() + 1, line.args.end()));
}

void Driver::AnswerCmd(const Line& line) {
  if (!Arity(line, 2, SIZE_MAX)) return;
  const std::string& kind = line.args[1];
  bool cancel = line.args.size() == 3 && line.args[2] == "cancel";
  if (kind == "folder") {
    if (line.args.size() != 3) {
      Fail(line, "answer folder takes PATH or cancel");
      return;
    }
    target_.AnswerFolder(cancel ? std::nullopt : std::optional<std::string>(line.args[2]));
  } else if (kind == "open") {
    if (cancel) {
      target_.AnswerOpen(std::nullopt);
    } else {
      target_.AnswerOpen(std::vector<std::string>(line.args.begin() + 2, line.args.end()));
    }
  } else if (kind == "font") {
    if (cancel) {
      target_.AnswerFont(std::nullopt);
      return;
    }
    ui::FontChoice font;
    bool ok = line.args.size() >= 4 && line.args.size() <= 6 && ParseInt(line.args[3], &font.points);
    for (size_t i = 4; ok && i < line.args.size(); ++i) {
      if (line.args[i] == "bold")
        font.bold = true;
      else if (line.args[i] == "italic")
        font.italic = true;
      else
        ok = false;
    }
    if (!ok) {
      Fail(line, "answer font takes FACE SIZE [bold] [italic] or cancel");
      return;
    }
    font.face = line.args[2];
    target_.AnswerFont(font);
  } else if (kind == "colour") {
    int32_t colour;
    if (cancel) {
      target_.AnswerColour(std::nullopt);
    } else if (line.args.size() == 5 && ParseColour(line.args, 2, &colour)) {
      target_.AnswerColour(colour);
    } else {
      Fail(line, "answer colour takes R G B (0 to 255) or cancel");
    }
  } else if (kind == "message") {
    const std::string a = line.args.size() == 3 ? line.args[2] : "";
    if (a == "yes")
      target_.AnswerMessage(ui::MsgAnswer::Yes);
    else if (a == "no")
      target_.AnswerMessage(ui::MsgAnswer::No);
    else if (a == "ok")
      target_.AnswerMessage(ui::MsgAnswer::Ok);
    else
      Fail(line, "answer message takes yes, no or ok");
  } else {
    Fail(line, "answer: unknown dialog " + Quote(kind) + " (folder, open, font, colour, message)");
  }
}

void Driver::ShowCmd(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  if (!target_.Show(line.args[1])) Fail(line, "show: no dialog titled " + Quote(line.args[1]));
}

void Driver::DumpCmd(const Line& line) {
  if (!Arity(line, 0, 0)) return;
  std::string dump = GbkToUtf8(target_.Dump());
  out_ << file_ << ":" << line.number << ": dump\n" << dump;
  if (!dump.empty() && dump.back() != '\n') out_ << "\n";
}

void Driver::ScreenshotCmd(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  std::string path = line.args[1];
  std::string ending = path.size() >= 4 ? text::ToLowerAscii(path.substr(path.size() - 4)) : "";
  if (ending != ".png" && ending != ".bmp") {
    Fail(line, "screenshot: the file ends in .png or .bmp");
    return;
  }
  // Without a screen there is nothing to see.
  auto* screen = dynamic_cast<ScreenSource*>(&target_);
  if (!screen) return;
  // The capture is a BMP; a PNG is made from it by an image tool outside,
  // so a .png name gets the BMP beside it under the .bmp ending.
  if (ending == ".png") path = path.substr(0, path.size() - 4) + ".bmp";
  std::string error;
  std::optional<std::string> bmp = screen->CaptureTopWindow(&error);
  if (!bmp)
    Fail(line, "screenshot: " + error);
  else if (!WriteFile(path, *bmp))
    Fail(line, "screenshot: cannot write " + Quote(path));
}

void Driver::ExpectCmd(const Line& line) {
  if (line.args.size() < 2) {
    Fail(line, "expect: what?");
    return;
  }
  for (const Command& c : Expectations()) {
    if (line.args[1] == c.name) {
      (this->*c.run)(line);
      return;
    }
  }
  Fail(line, "expect: unknown expectation " + Quote(line.args[1]));
}

// Expectations.

void Driver::ExpectText(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  const std::string &name = line.args[2], &want = line.args[3];
  if (auto s = ReadControl(line, name)) Check(line, s->text == want, "text " + Quote(want) + " in " + name, Quote(s->text));
}

void Driver::ExpectTag(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  const std::string &name = line.args[2], &want = line.args[3];
  if (auto s = ReadControl(line, name)) Check(line, s->tag == want, "tag " + Quote(want) + " on " + name, Quote(s->tag));
}

void Driver::ExpectFlag(const Line& line, bool ControlState::*flag) {
  if (!Arity(line, 2, 2)) return;
  const std::string &name = line.args[2], &value = line.args[3];
  bool want;
  if (!ParseBool(value, &want)) {
    Fail(line, "expect " + line.args[1] + ": the value is true or false, not " + Quote(value));
    return;
  }
  if (auto s = ReadControl(line, name)) {
    bool got = (*s).*flag;
    Check(line, got == want, name + " " + line.args[1] + " " + value, got ? "true" : "false");
  }
}

void Driver::ExpectChecked(const Line& line) { ExpectFlag(line, &ControlState::checked); }
void Driver::ExpectEnabled(const Line& line) { ExpectFlag(line, &ControlState::enabled); }
void Driver::ExpectVisible(const Line& line) { ExpectFlag(line, &ControlState::visible); }

void Driver::ExpectRect(const Line& line) {
  if (!Arity(line, 5, 5)) return;
  const std::string& name = line.args[2];
  auto s = target_.Read(name);
  bool bad = false;
  bool ok = s && RectMatches(line.args, 3, s->rect, &bad);
  std::string want = line.args[3] + " " + line.args[4] + " " + line.args[5] + " " + line.args[6];
  if (bad) {
    Fail(line, "expect rect: bad number in " + want);
    return;
  }
  Check(line, ok, "rect " + want + " of " + name, s ? RectText(s->rect) : "no control " + Quote(name));
}

void Driver::ExpectColour(const Line& line) {
  if (!Arity(line, 3, 5)) return;
  const std::string &name = line.args[2], &which = line.args[3];
  int32_t want;
  if ((which != "text" && which != "back") || !ParseColour(line.args, 4, &want)) {
    Fail(line, "expect colour takes CONTROL text|back R G B (or default)");
    return;
  }
  if (auto s = ReadControl(line, name)) {
    int32_t got = which == "text" ? s->textColour : s->backColour;
    Check(line, got == want, which + " colour " + ColourText(want) + " of " + name, ColourText(got));
  }
}

void Driver::ExpectFont(const Line& line) {
  if (!Arity(line, 3, 3)) return;
  const std::string &name = line.args[2], &face = line.args[3], &size = line.args[4];
  int n;
  bool pixels = size.size() > 2 && size.compare(size.size() - 2, 2, "px") == 0;
  if (!ParseInt(pixels ? size.substr(0, size.size() - 2) : size, &n)) {
    Fail(line, "expect font takes CONTROL FACE POINTS (or PIXELSpx)");
    return;
  }
  auto* source = dynamic_cast<FontSource*>(&target_);
  if (!source) {
    Fail(line, "expect font: this backend cannot read fonts");
    return;
  }
  std::optional<ui::Font> font = source->ControlFont(name);
  if (!font) {
    Fail(line, "expected a control " + Quote(name) + ", got none");
    return;
  }
  bool ok = font->face == face && (pixels ? font->heightPixels == n : font->points == n);
  Check(line, ok, "font " + Quote(face) + " " + size + " of " + name, FontText(*font));
}

void Driver::ExpectSelected(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  const std::string &name = line.args[2], &value = line.args[3];
  int want = -1;
  if (value != "none" && (!ParseInt(value, &want) || want < 0)) {
    Fail(line, "expect selected takes CONTROL INDEX or none");
    return;
  }
  if (auto s = ReadControl(line, name))
    Check(line, s->selected == want, "item " + value + " selected in " + name,
          s->selected < 0 ? std::string("none") : Num(s->selected));
}

void Driver::ExpectItems(const Line& line) {
  if (!Arity(line, 1, SIZE_MAX)) return;
  const std::string& name = line.args[2];
  std::vector<std::string> want(line.args.begin() + 3, line.args.end());
  auto s = ReadControl(line, name);
  if (!s) return;
  if (s->items == want) {
    Pass();
    return;
  }
  // The first difference says more than two long lists.
  size_t i = 0;
  while (i < want.size() && i < s->items.size() && want[i] == s->items[i]) ++i;
  std::string w = i < want.size() ? Quote(want[i]) : "no item";
  std::string g = i < s->items.size() ? Quote(s->items[i]) : "no item";
  Fail(line, "expected " + Num(want.size()) + " items in " + name + ", item " + Num(i) + " " + w +
                 ", got " + Num(s->items.size()) + " items, item " + Num(i) + " " + g);
}

void Driver::ExpectCount(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  int want;
  if (!ParseInt(line.args[2], &want)) {
    Fail(line, "expect count takes a number");
    return;
  }
  int got = target_.RowCount();
  Check(line, got == want, Num(want) + " rows", Num(got));
}

void Driver::ExpectCell(const Line& line) {
  if (!Arity(line, 3, 3)) return;
  int row, column;
  if (!ParseInt(line.args[2], &row) || !ParseInt(line.args[3], &column) || column < 0 || column > 4) {
    Fail(line, "expect cell takes ROW COLUMN (0 to 4) TEXT");
    return;
  }
  const std::string& want = line.args[4];
  std::string what = "cell " + Num(row) + " " + Num(column) + " " + Quote(want);
  if (row < 0 || row >= target_.RowCount()) {
    Check(line, false, what, Num(target_.RowCount()) + " rows");
    return;
  }
  std::string got = target_.Cell(row, column);
  Check(line, got == want, what, Quote(got));
}

void Driver::ExpectImage(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  int row, want = -1;
  const std::string& value = line.args[3];
  if (!ParseInt(line.args[2], &row) ||
      (value != "none" && (!ParseInt(value, &want) || want < 0 || want > 1))) {
    Fail(line, "expect image takes ROW none|0|1");
    return;
  }
  std::string what = "image " + value + " in row " + Num(row);
  if (row < 0 || row >= target_.RowCount()) {
    Check(line, false, what, Num(target_.RowCount()) + " rows");
    return;
  }
  int got = target_.Image(row);
  Check(line, got == want, what, got < 0 ? std::string("none") : Num(got));
}

void Driver::ExpectSelRows(const Line& line) {
  std::vector<int> want;
  bool none = line.args.size() == 3 && line.args[2] == "none";
  for (size_t i = 2; !none && i < line.args.size(); ++i) {
    int r;
    if (!ParseInt(line.args[i], &r)) {
      Fail(line, "expect selrows takes ROW... or none");
      return;
    }
    want.push_back(r);
  }
  std::vector<int> got = target_.SelectedRows();
  Check(line, got == want, "selected rows " + RowsText(want), RowsText(got));
}

void Driver::ExpectStatus(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  int pane;
  if (!ParseInt(line.args[2], &pane)) {
    Fail(line, "expect status takes PANE TEXT");
    return;
  }
  std::string got = target_.Status(pane);
  Check(line, got == line.args[3], "status pane " + Num(pane) + " " + Quote(line.args[3]), Quote(got));
}

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
    if (p == pane) out.push_back(t);
    else rest.emplace_back(p, t);
  }
  texts_.swap(rest);
  return out;
}

// expect shown PANE TEXT...: what the pane showed since the last such line.
void Driver::ExpectShown(const Line& line) {
  if (!Arity(line, 1, SIZE_MAX)) return;
  int pane;
  if (!ParseInt(line.args[2], &pane)) {
    Fail(line, "expect shown takes PANE TEXT...");
    return;
  }
  auto* source = dynamic_cast<StatusHistorySource*>(&target_);
  if (!source) {
    Fail(line, "expect shown: this backend keeps no status history");
    return;
  }
  std::vector<std::string> want(line.args.begin() + 3, line.args.end());
  std::vector<std::string> got = source->TakeStatusHistory(pane);
  std::string gotText;
  for (const auto& t : got) gotText += (gotText.empty() ? "" : " ") + Quote(t);
  std::string wantText;
  for (const auto& t : want) wantText += (wantText.empty() ? "" : " ") + Quote(t);
  Check(line, got == want, "pane " + Num(pane) + " to have shown " + wantText,
        gotText.empty() ? std::string("nothing") : gotText);
}

void Driver::ExpectToolbar(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  int index;
  const std::string& value = line.args[3];
  if (!ParseInt(line.args[2], &index) || (value != "enabled" && value != "disabled")) {
    Fail(line, "expect toolbar takes INDEX enabled|disabled");
    return;
  }
  bool got = target_.ToolbarEnabled(index);
  Check(line, got == (value == "enabled"), "toolbar entry " + Num(index) + " " + value,
        got ? "enabled" : "disabled");
}

void Driver::ExpectMenu(const Line& line) {
  if (!Arity(line, 2, 2)) return;
  const std::string &caption = line.args[2], &value = line.args[3];
  if (value != "enabled" && value != "disabled") {
    Fail(line, "expect menu takes CAPTION enabled|disabled");
    return;
  }
  std::optional<bool> got = target_.MenuEnabled(caption);
  Check(line, got && *got == (value == "enabled"), "menu item " + Quote(caption) + " " + value,
        !got ? std::string("no such item") : *got ? "enabled" : "disabled");
}

void Driver::ExpectMessage(const Line& line) {
  if (!Arity(line, 1, 5)) return;
  const std::string& text = line.args[2];
  std::optional<std::string> title;
  std::optional<ui::MsgIcon> icon;
  for (size_t i = 3; i < line.args.size(); i += 2) {
    ui::MsgIcon ic;
    if (i + 1 < line.args.size() && line.args[i] == "title") {
      title = line.args[i + 1];
    } else if (i + 1 < line.args.size() && line.args[i] == "icon" && ParseIcon(line.args[i + 1], &ic)) {
      icon = ic;
    } else {
      Fail(line, "expect message takes TEXT [title T] [icon info|warning|error|none]");
      return;
    }
  }
  std::string want = "message " + Quote(text);
  if (title) want += " title " + Quote(*title);
  if (icon) want += std::string(" icon ") + IconName(*icon);
  if (messages_.empty()) {
    Check(line, false, want, "no message");
    return;
  }
  MessageInfo m = messages_.front();
  messages_.pop_front();
  bool ok = m.text == text && (!title || m.title == *title) && (!icon || m.icon == *icon);
  Check(line, ok, want, MessageText(m));
}

void Driver::ExpectNoMessage(const Line& line) {
  if (!Arity(line, 0, 0)) return;
  if (messages_.empty()) {
    Pass();
    return;
  }
  std::string got = MessageText(messages_.front());
  if (messages_.size() > 1) got += " and " + Num(messages_.size() - 1) + " more";
  // Counted as checked, so one stray box fails only here.
  messages_.clear();
  Check(line, false, "no message", got);
}

void Driver::ExpectDialog(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  std::string want = line.args[2] == "none" ? "" : line.args[2];
  std::string got = target_.TopDialogTitle();
  Check(line, got == want, "dialog " + (want.empty() ? std::string("none") : Quote(want)),
        got.empty() ? std::string("none") : Quote(got));
}

void Driver::ExpectCursor(const Line& line) {
  if (!Arity(line, 1, 1)) return;
  const std::string& value = line.args[2];
  if (value != "normal" && value != "wait") {
    Fail(line, "expect cursor takes normal or wait");
    return;
  }
  bool wait = target_.WaitCursor();
  Check(line, wait == (value == "wait"), value + " cursor", wait ? "wait" : "normal");
}

void Driver::ExpectWindow(const Line& line) {
  if (!Arity(line, 4, 4)) return;
  ui::Rect r = target_.WindowRect();
  bool bad = false;
  bool ok = RectMatches(line.args, 2, r, &bad);
  std::string want = line.args[2] + " " + line.args[3] + " " + line.args[4] + " " + line.args[5];
  if (bad) {
    Fail(line, "expect window: bad number in " + want);
    return;
  }
  Check(line, ok, "window " + want, RectText(r));
}

void Driver::ExpectFile(const Line& line) {
  if (!Arity(line, 2, SIZE_MAX)) return;
  const std::string &path = line.args[2], &kind = line.args[3];
  FileSystem& fsys = SystemFileSystem();
  bool exists = fsys.Exists(path);
  if (kind == "exists" || kind == "missing") {
    if (!Arity(line, 2, 2)) return;
    Check(line, exists == (kind == "exists"), "file " + Quote(path) + " " + kind,
          exists ? "exists" : "missing");
    return;
  }
  int n;
  if (kind == "size") {
    if (!Arity(line, 3, 3)) return;
    if (!ParseInt(line.args[4], &n)) {
      Fail(line, "expect file PATH size takes a number");
      return;
    }
    auto f = fsys.Open(path, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
    int64_t size = f ? f->Size() : -1;
    Check(line, f && size == n, "file " + Quote(path) + " size " + Num(n),
          f ? "size " + Num(size) : std::string("no file"));
    return;
  }
  if (kind == "bytes") {
    if (!Arity(line, 4, SIZE_MAX)) return;
    std::optional<std::string> want = ParseHex(line.args, 5);
    if (!ParseInt(line.args[4], &n) || n < 0 || !want) {
      Fail(line, "expect file PATH bytes takes OFFSET HEX...");
      return;
    }
    std::string got;
    auto f = fsys.Open(path, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
    if (f && f->Seek(n, SeekFrom::Begin)) {
      got.assign(want->size(), '\0');
      size_t read = 0;
      if (!f->Read(got.data(), got.size(), &read)) read = 0;
      got.resize(read);
    }
    Check(line, f && got == *want, "file " + Quote(path) + " bytes at " + Num(n) + " " + Hex(*want),
          f ? Hex(got) : std::string("no file"));
    return;
  }
  Fail(line, "expect file takes PATH exists|missing|size N|bytes OFFSET HEX");
}

void Driver::ExpectConfig(const Line& line) {
  if (!Arity(line, 3, 3)) return;
  const std::string &section = line.args[2], &key = line.args[3], &want = line.args[4];
  std::string got = SystemProfile().Get(home_ + "\\config.ini", section, key, kMissing);
  bool missing = got == kMissing;
  bool ok = want == "missing" ? missing : !missing && got == want;
  Check(line, ok, "[" + section + "] " + key + " " + (want == "missing" ? want : Quote(want)),
        missing ? std::string("missing") : Quote(got));
}

void Driver::ExpectBackend(const Line& line) {
  // Valid lines are taken by Step; only a bad value arrives here.
  Fail(line, "expect backend takes headless, win32 or any");
}

}  // namespace tavik::drive
