// The commands that act: fixtures on disk, the program's life, and user
// actions on its windows. Each fails with what the script got wrong, or
// what the program lacked, in its own words.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "drive/commands.h"
#include "drive/driver.h"
#include "platform/platform.h"
#include "text/gbk.h"
#include "text/unicode.h"

namespace tavik::drive {

namespace fs = std::filesystem;

namespace {

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
      {"Delete", 46},   {"Insert", 45}, {"Enter", 13}, {"Esc", 27},    {"Space", 32},    {"Tab", 9},
      {"Backspace", 8}, {"Home", 36},   {"End", 35},   {"PageUp", 33}, {"PageDown", 34}, {"Left", 37},
      {"Up", 38},       {"Right", 39},  {"Down", 40},  {"Apps", 93},
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
  if (k.code == 0 && rest.size() >= 2 && rest[0] == 'F' && ParseInt(rest.substr(1), &f) && f >= 1 && f <= 12)
    k.code = 111 + f;
  if (k.code == 0) return false;
  *key = k;
  return true;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(FsPath(path).parent_path(), ec);
  auto f = SystemFileSystem().Open(path, FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::OpenAlways);
  return f && f->Seek(0, SeekFrom::Begin) && f->SetEnd() &&
         (bytes.empty() || f->Write(bytes.data(), bytes.size()));
}

// Fixtures.

void MkDir(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  std::error_code ec;
  fs::create_directories(FsPath(line.args[1]), ec);
  if (!fs::is_directory(FsPath(line.args[1]), ec))
    session.Fail(line, "mkdir: cannot create " + Quote(line.args[1]));
}

void MkFile(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 2)) return;
  std::string body = line.args.size() > 2 ? line.args[2] : std::string();
  if (!WriteFile(line.args[1], body)) session.Fail(line, "mkfile: cannot write " + Quote(line.args[1]));
}

void MkBytes(Session& session, const Line& line) {
  if (!session.Arity(line, 2, SIZE_MAX)) return;
  std::optional<std::string> bytes = ParseHex(line.args, 2);
  if (!bytes) {
    session.Fail(line, "mkbytes: the bytes are not pairs of hex digits");
    return;
  }
  if (!WriteFile(line.args[1], *bytes)) session.Fail(line, "mkbytes: cannot write " + Quote(line.args[1]));
}

// Program life.

void StartCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 0, 0)) return;
  if (session.target.Running()) {
    session.Fail(line, "start: the program is already running");
    return;
  }
  session.target.Start(session.home);
}

void CloseCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 0, 0)) return;
  if (!session.target.Running()) {
    session.Fail(line, "close: the program is not running");
    return;
  }
  // The main window takes no input while a modal dialog is open.
  std::string dialog = session.target.TopDialogTitle();
  if (!dialog.empty()) {
    session.Fail(line, "close: the dialog " + Quote(dialog) + " is open");
    return;
  }
  session.target.Close();
}

void RestartCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 0, 0)) return;
  std::string dialog = session.target.TopDialogTitle();
  if (!dialog.empty()) {
    session.Fail(line, "restart: the dialog " + Quote(dialog) + " is open");
    return;
  }
  if (session.target.Running()) session.target.Close();
  session.Collect();
  session.target.Start(session.home);
}

// Actions. A false from the target means the control is missing or of
// another type; the state of the program says which.
std::string NoControl(Target& target, const std::string& command, const std::string& control,
                      const std::string& what) {
  std::string s = command + ": no control " + Quote(control) + " that " + what;
  if (!target.Running()) s += " (the program is not running)";
  return s;
}

void TypeCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  if (!session.target.Type(line.args[1], line.args[2]))
    session.Fail(line, NoControl(session.target, "type", line.args[1], "takes typing"));
}

void ClickCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  if (!session.target.Click(line.args[1]))
    session.Fail(line, NoControl(session.target, "click", line.args[1], "can be clicked"));
}

void ChooseCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  int index;
  if (!ParseInt(line.args[2], &index)) {
    session.Fail(line, "choose: bad index " + Quote(line.args[2]));
    return;
  }
  if (!session.target.Choose(line.args[1], index))
    session.Fail(line, NoControl(session.target, "choose", line.args[1], "has an item " + Num(index)));
}

void TabCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  int index;
  if (!ParseInt(line.args[1], &index)) {
    session.Fail(line, "tab: bad index " + Quote(line.args[1]));
    return;
  }
  if (!session.target.Tab(index)) session.Fail(line, "tab: no tab control with a page " + Num(index));
}

void MenuCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  const std::string& caption = line.args[1];
  std::optional<bool> enabled = session.target.MenuEnabled(caption);
  if (!enabled) {
    session.Fail(line, "menu: no menu item " + Quote(caption));
  } else if (!*enabled) {
    session.Fail(line, "menu: menu item " + Quote(caption) + " disabled");
  } else if (!session.target.Menu(caption)) {
    session.Fail(line, "menu: no menu item " + Quote(caption) + " in the menu bar or the open popup menu");
  }
}

void ToolbarCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  int index;
  if (!ParseInt(line.args[1], &index)) {
    session.Fail(line, "toolbar: bad index " + Quote(line.args[1]));
    return;
  }
  if (!session.target.ToolbarEnabled(index)) {
    session.Fail(line, "toolbar: entry " + Num(index) + " is disabled or not a button");
  } else if (!session.target.Toolbar(index)) {
    session.Fail(line, "toolbar: no button " + Num(index));
  }
}

void RowsCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 1, SIZE_MAX)) return;
  std::vector<int> rows;
  if (!(line.args.size() == 2 && line.args[1] == "none")) {
    for (size_t i = 1; i < line.args.size(); ++i) {
      int r;
      if (!ParseInt(line.args[i], &r)) {
        session.Fail(line, "rows: bad row " + Quote(line.args[i]));
        return;
      }
      rows.push_back(r);
    }
  }
  if (!session.target.Rows(rows))
    session.Fail(line, "rows: no such row, or no list (" + Num(session.target.RowCount()) + " rows)");
}

void KeyCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  ui::KeyPress key;
  if (!ParseKey(line.args[2], &key)) {
    session.Fail(line, "key: bad key " + Quote(line.args[2]));
    return;
  }
  if (!session.target.Key(line.args[1], key))
    session.Fail(line, NoControl(session.target, "key", line.args[1], "takes keys"));
}

void DblClickCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  if (!session.target.DoubleClick(line.args[1]))
    session.Fail(line, NoControl(session.target, "dblclick", line.args[1], "can be double-clicked"));
}

void RClickCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  if (!session.target.RightClick(line.args[1]))
    session.Fail(line, NoControl(session.target, "rclick", line.args[1], "can be right-clicked"));
}

void EscCmd(Session& session, const Line& line) {
  if (session.Arity(line, 0, 0)) session.target.Escape();
}

void ResizeCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  int w, h;
  if (!ParseInt(line.args[1], &w) || !ParseInt(line.args[2], &h) || w <= 0 || h <= 0) {
    session.Fail(line, "resize: bad size");
    return;
  }
  if (!session.target.Running()) {
    session.Fail(line, "resize: the program is not running");
    return;
  }
  session.target.Resize(w, h);
}

void DropCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 1, SIZE_MAX)) return;
  if (!session.target.Running()) {
    session.Fail(line, "drop: the program is not running");
    return;
  }
  session.target.Drop(std::vector<std::string>(line.args.begin() + 1, line.args.end()));
}

void AnswerCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 2, SIZE_MAX)) return;
  const std::string& kind = line.args[1];
  bool cancel = line.args.size() == 3 && line.args[2] == "cancel";
  if (kind == "folder") {
    if (line.args.size() != 3) {
      session.Fail(line, "answer folder takes PATH or cancel");
      return;
    }
    session.target.AnswerFolder(cancel ? std::nullopt : std::optional<std::string>(line.args[2]));
  } else if (kind == "open") {
    if (cancel) {
      session.target.AnswerOpen(std::nullopt);
    } else {
      session.target.AnswerOpen(std::vector<std::string>(line.args.begin() + 2, line.args.end()));
    }
  } else if (kind == "font") {
    if (cancel) {
      session.target.AnswerFont(std::nullopt);
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
      session.Fail(line, "answer font takes FACE SIZE [bold] [italic] or cancel");
      return;
    }
    font.face = line.args[2];
    session.target.AnswerFont(font);
  } else if (kind == "colour") {
    int32_t colour;
    if (cancel) {
      session.target.AnswerColour(std::nullopt);
    } else if (line.args.size() == 5 && ParseColour(line.args, 2, &colour)) {
      session.target.AnswerColour(colour);
    } else {
      session.Fail(line, "answer colour takes R G B (0 to 255) or cancel");
    }
  } else if (kind == "message") {
    const std::string a = line.args.size() == 3 ? line.args[2] : "";
    if (a == "yes")
      session.target.AnswerMessage(ui::MsgAnswer::Yes);
    else if (a == "no")
      session.target.AnswerMessage(ui::MsgAnswer::No);
    else if (a == "ok")
      session.target.AnswerMessage(ui::MsgAnswer::Ok);
    else
      session.Fail(line, "answer message takes yes, no or ok");
  } else {
    session.Fail(line, "answer: unknown dialog " + Quote(kind) + " (folder, open, font, colour, message)");
  }
}

void ShowCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  if (!session.target.Show(line.args[1])) session.Fail(line, "show: no dialog titled " + Quote(line.args[1]));
}

void DumpCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 0, 0)) return;
  std::string dump = text::ToUtf8Lossy(session.target.Dump());
  std::ostream& out = session.report.At(line) << "dump\n" << dump;
  if (!dump.empty() && dump.back() != '\n') out << "\n";
}

void ScreenshotCmd(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  std::string path = line.args[1];
  std::string ending = path.size() >= 4 ? text::ToLowerAscii(path.substr(path.size() - 4)) : "";
  if (ending != ".png" && ending != ".bmp") {
    session.Fail(line, "screenshot: the file ends in .png or .bmp");
    return;
  }
  // Without a screen there is nothing to see.
  auto* screen = dynamic_cast<ScreenSource*>(&session.target);
  if (!screen) return;
  // The capture is a BMP; a PNG is made from it by an image tool outside,
  // so a .png name gets the BMP beside it under the .bmp ending.
  if (ending == ".png") path = path.substr(0, path.size() - 4) + ".bmp";
  std::string error;
  std::optional<std::string> bmp = screen->CaptureTopWindow(&error);
  if (!bmp)
    session.Fail(line, "screenshot: " + error);
  else if (!WriteFile(path, *bmp))
    session.Fail(line, "screenshot: cannot write " + Quote(path));
}

}  // namespace

const std::vector<Command>& Actions() {
  static const std::vector<Command> commands = {
      {"mkdir", &MkDir},
      {"mkfile", &MkFile},
      {"mkbytes", &MkBytes},
      {"start", &StartCmd},
      {"close", &CloseCmd},
      {"restart", &RestartCmd},
      {"type", &TypeCmd},
      {"click", &ClickCmd},
      {"choose", &ChooseCmd},
      {"tab", &TabCmd},
      {"menu", &MenuCmd},
      {"toolbar", &ToolbarCmd},
      {"rows", &RowsCmd},
      {"key", &KeyCmd},
      {"dblclick", &DblClickCmd},
      {"rclick", &RClickCmd},
      {"esc", &EscCmd},
      {"resize", &ResizeCmd},
      {"drop", &DropCmd},
      {"answer", &AnswerCmd},
      {"show", &ShowCmd},
      {"dump", &DumpCmd},
      {"screenshot", &ScreenshotCmd},
  };
  return commands;
}

}  // namespace tavik::drive
