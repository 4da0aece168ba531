// The `expect` commands: each reads one fact back from the program or the
// disk and counts as passed or failed, saying what it expected and got.
#include <optional>
#include <string>
#include <vector>

#include "drive/commands.h"
#include "drive/driver.h"
#include "platform/platform.h"
#include "text/gbk.h"

namespace tavik::drive {

namespace {

std::string RowsText(const std::vector<int>& rows) {
  std::string out;
  for (int r : rows) out += (out.empty() ? "" : " ") + Num(r);
  return out.empty() ? "none" : out;
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

std::string ColourText(int32_t c) {
  if (c == ui::kDefaultColour) return "default";
  return Num(c & 0xFF) + " " + Num((c >> 8) & 0xFF) + " " + Num((c >> 16) & 0xFF);
}

const char* IconName(ui::MsgIcon icon) {
  switch (icon) {
    case ui::MsgIcon::Info:
      return "info";
    case ui::MsgIcon::Warning:
      return "warning";
    case ui::MsgIcon::Error:
      return "error";
    case ui::MsgIcon::None:
      break;
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

std::optional<ControlState> ReadControl(Session& session, const Line& line, const std::string& name) {
  std::optional<ControlState> s = session.target.Read(name);
  if (!s) session.Fail(line, "expected a control " + Quote(name) + ", got none");
  return s;
}

void ExpectText(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  const std::string &name = line.args[2], &want = line.args[3];
  if (auto s = ReadControl(session, line, name))
    session.Check(line, s->text == want, "text " + Quote(want) + " in " + name, Quote(s->text));
}

void ExpectTag(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  const std::string &name = line.args[2], &want = line.args[3];
  if (auto s = ReadControl(session, line, name))
    session.Check(line, s->tag == want, "tag " + Quote(want) + " on " + name, Quote(s->tag));
}

void ExpectFlag(Session& session, const Line& line, bool ControlState::*flag) {
  if (!session.Arity(line, 2, 2)) return;
  const std::string &name = line.args[2], &value = line.args[3];
  bool want;
  if (!ParseBool(value, &want)) {
    session.Fail(line, "expect " + line.args[1] + ": the value is true or false, not " + Quote(value));
    return;
  }
  if (auto s = ReadControl(session, line, name)) {
    bool got = (*s).*flag;
    session.Check(line, got == want, name + " " + line.args[1] + " " + value, got ? "true" : "false");
  }
}

void ExpectChecked(Session& session, const Line& line) { ExpectFlag(session, line, &ControlState::checked); }
void ExpectEnabled(Session& session, const Line& line) { ExpectFlag(session, line, &ControlState::enabled); }
void ExpectVisible(Session& session, const Line& line) { ExpectFlag(session, line, &ControlState::visible); }

void ExpectRect(Session& session, const Line& line) {
  if (!session.Arity(line, 5, 5)) return;
  const std::string& name = line.args[2];
  auto s = session.target.Read(name);
  bool bad = false;
  bool ok = s && RectMatches(line.args, 3, s->rect, &bad);
  std::string want = line.args[3] + " " + line.args[4] + " " + line.args[5] + " " + line.args[6];
  if (bad) {
    session.Fail(line, "expect rect: bad number in " + want);
    return;
  }
  session.Check(line, ok, "rect " + want + " of " + name,
                s ? RectText(s->rect) : "no control " + Quote(name));
}

void ExpectColour(Session& session, const Line& line) {
  if (!session.Arity(line, 3, 5)) return;
  const std::string &name = line.args[2], &which = line.args[3];
  int32_t want;
  if ((which != "text" && which != "back") || !ParseColour(line.args, 4, &want)) {
    session.Fail(line, "expect colour takes CONTROL text|back R G B (or default)");
    return;
  }
  if (auto s = ReadControl(session, line, name)) {
    int32_t got = which == "text" ? s->textColour : s->backColour;
    session.Check(line, got == want, which + " colour " + ColourText(want) + " of " + name, ColourText(got));
  }
}

void ExpectFont(Session& session, const Line& line) {
  if (!session.Arity(line, 3, 3)) return;
  const std::string &name = line.args[2], &face = line.args[3], &size = line.args[4];
  int n;
  bool pixels = size.size() > 2 && size.compare(size.size() - 2, 2, "px") == 0;
  if (!ParseInt(pixels ? size.substr(0, size.size() - 2) : size, &n)) {
    session.Fail(line, "expect font takes CONTROL FACE POINTS (or PIXELSpx)");
    return;
  }
  auto* source = dynamic_cast<FontSource*>(&session.target);
  if (!source) {
    session.Fail(line, "expect font: this backend cannot read fonts");
    return;
  }
  std::optional<ui::Font> font = source->ControlFont(name);
  if (!font) {
    session.Fail(line, "expected a control " + Quote(name) + ", got none");
    return;
  }
  bool ok = font->face == face && (pixels ? font->heightPixels == n : font->points == n);
  session.Check(line, ok, "font " + Quote(face) + " " + size + " of " + name, FontText(*font));
}

void ExpectSelected(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  const std::string &name = line.args[2], &value = line.args[3];
  int want = -1;
  if (value != "none" && (!ParseInt(value, &want) || want < 0)) {
    session.Fail(line, "expect selected takes CONTROL INDEX or none");
    return;
  }
  if (auto s = ReadControl(session, line, name))
    session.Check(line, s->selected == want, "item " + value + " selected in " + name,
                  s->selected < 0 ? std::string("none") : Num(s->selected));
}

void ExpectItems(Session& session, const Line& line) {
  if (!session.Arity(line, 1, SIZE_MAX)) return;
  const std::string& name = line.args[2];
  std::vector<std::string> want(line.args.begin() + 3, line.args.end());
  auto s = ReadControl(session, line, name);
  if (!s) return;
  if (s->items == want) {
    session.Pass();
    return;
  }
  // The first difference says more than two long lists.
  size_t i = 0;
  while (i < want.size() && i < s->items.size() && want[i] == s->items[i]) ++i;
  std::string w = i < want.size() ? Quote(want[i]) : "no item";
  std::string g = i < s->items.size() ? Quote(s->items[i]) : "no item";
  session.Fail(line, "expected " + Num(want.size()) + " items in " + name + ", item " + Num(i) + " " + w +
                         ", got " + Num(s->items.size()) + " items, item " + Num(i) + " " + g);
}

void ExpectCount(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  int want;
  if (!ParseInt(line.args[2], &want)) {
    session.Fail(line, "expect count takes a number");
    return;
  }
  int got = session.target.RowCount();
  session.Check(line, got == want, Num(want) + " rows", Num(got));
}

// A row past the list's end fails the expectation with the row count.
bool RowExists(Session& session, const Line& line, int row, const std::string& what) {
  if (row >= 0 && row < session.target.RowCount()) return true;
  session.Check(line, false, what, Num(session.target.RowCount()) + " rows");
  return false;
}

void ExpectCell(Session& session, const Line& line) {
  if (!session.Arity(line, 3, 3)) return;
  int row, column;
  if (!ParseInt(line.args[2], &row) || !ParseInt(line.args[3], &column) || column < 0 || column > 4) {
    session.Fail(line, "expect cell takes ROW COLUMN (0 to 4) TEXT");
    return;
  }
  const std::string& want = line.args[4];
  std::string what = "cell " + Num(row) + " " + Num(column) + " " + Quote(want);
  if (!RowExists(session, line, row, what)) return;
  std::string got = session.target.Cell(row, column);
  session.Check(line, got == want, what, Quote(got));
}

void ExpectImage(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  int row, want = -1;
  const std::string& value = line.args[3];
  if (!ParseInt(line.args[2], &row) ||
      (value != "none" && (!ParseInt(value, &want) || want < 0 || want > 1))) {
    session.Fail(line, "expect image takes ROW none|0|1");
    return;
  }
  std::string what = "image " + value + " in row " + Num(row);
  if (!RowExists(session, line, row, what)) return;
  int got = session.target.Image(row);
  session.Check(line, got == want, what, got < 0 ? std::string("none") : Num(got));
}

// A marked row's new name is drawn in red and its tip says why its move
// will fail.
void ExpectMark(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  int row;
  if (!ParseInt(line.args[2], &row)) {
    session.Fail(line, "expect mark takes ROW TEXT|none");
    return;
  }
  const std::string& want = line.args[3];
  std::string what = "mark " + Quote(want) + " in row " + Num(row);
  if (!RowExists(session, line, row, what)) return;
  std::optional<std::string> got = session.target.Mark(row);
  session.Check(line, got ? *got == want : want == "none", what, got ? Quote(*got) : std::string("none"));
}

void ExpectSelRows(Session& session, const Line& line) {
  std::vector<int> want;
  bool none = line.args.size() == 3 && line.args[2] == "none";
  for (size_t i = 2; !none && i < line.args.size(); ++i) {
    int r;
    if (!ParseInt(line.args[i], &r)) {
      session.Fail(line, "expect selrows takes ROW... or none");
      return;
    }
    want.push_back(r);
  }
  std::vector<int> got = session.target.SelectedRows();
  session.Check(line, got == want, "selected rows " + RowsText(want), RowsText(got));
}

void ExpectStatus(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  int pane;
  if (!ParseInt(line.args[2], &pane)) {
    session.Fail(line, "expect status takes PANE TEXT");
    return;
  }
  std::string got = session.target.Status(pane);
  session.Check(line, got == line.args[3], "status pane " + Num(pane) + " " + Quote(line.args[3]),
                Quote(got));
}

// expect shown PANE TEXT...: what the pane showed since the last such line.
void ExpectShown(Session& session, const Line& line) {
  if (!session.Arity(line, 1, SIZE_MAX)) return;
  int pane;
  if (!ParseInt(line.args[2], &pane)) {
    session.Fail(line, "expect shown takes PANE TEXT...");
    return;
  }
  auto* source = dynamic_cast<StatusHistorySource*>(&session.target);
  if (!source) {
    session.Fail(line, "expect shown: this backend keeps no status history");
    return;
  }
  std::vector<std::string> want(line.args.begin() + 3, line.args.end());
  std::vector<std::string> got = source->TakeStatusHistory(pane);
  std::string gotText;
  for (const auto& t : got) gotText += (gotText.empty() ? "" : " ") + Quote(t);
  std::string wantText;
  for (const auto& t : want) wantText += (wantText.empty() ? "" : " ") + Quote(t);
  session.Check(line, got == want, "pane " + Num(pane) + " to have shown " + wantText,
                gotText.empty() ? std::string("nothing") : gotText);
}

void ExpectToolbar(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  int index;
  const std::string& value = line.args[3];
  if (!ParseInt(line.args[2], &index) || (value != "enabled" && value != "disabled")) {
    session.Fail(line, "expect toolbar takes INDEX enabled|disabled");
    return;
  }
  bool got = session.target.ToolbarEnabled(index);
  session.Check(line, got == (value == "enabled"), "toolbar entry " + Num(index) + " " + value,
                got ? "enabled" : "disabled");
}

void ExpectMenu(Session& session, const Line& line) {
  if (!session.Arity(line, 2, 2)) return;
  const std::string &caption = line.args[2], &value = line.args[3];
  if (value != "enabled" && value != "disabled") {
    session.Fail(line, "expect menu takes CAPTION enabled|disabled");
    return;
  }
  std::optional<bool> got = session.target.MenuEnabled(caption);
  session.Check(line, got && *got == (value == "enabled"), "menu item " + Quote(caption) + " " + value,
                !got   ? std::string("no such item")
                : *got ? "enabled"
                       : "disabled");
}

void ExpectMessage(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 5)) return;
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
      session.Fail(line, "expect message takes TEXT [title T] [icon info|warning|error|none]");
      return;
    }
  }
  std::string want = "message " + Quote(text);
  if (title) want += " title " + Quote(*title);
  if (icon) want += std::string(" icon ") + IconName(*icon);
  if (session.messages.empty()) {
    session.Check(line, false, want, "no message");
    return;
  }
  MessageInfo m = session.messages.front();
  session.messages.pop_front();
  bool ok = m.text == text && (!title || m.title == *title) && (!icon || m.icon == *icon);
  session.Check(line, ok, want, MessageText(m));
}

void ExpectNoMessage(Session& session, const Line& line) {
  if (!session.Arity(line, 0, 0)) return;
  if (session.messages.empty()) {
    session.Pass();
    return;
  }
  std::string got = MessageText(session.messages.front());
  if (session.messages.size() > 1) got += " and " + Num(session.messages.size() - 1) + " more";
  // Counted as checked, so one stray box fails only here.
  session.messages.clear();
  session.Check(line, false, "no message", got);
}

void ExpectDialog(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  std::string want = line.args[2] == "none" ? "" : line.args[2];
  std::string got = session.target.TopDialogTitle();
  session.Check(line, got == want, "dialog " + (want.empty() ? std::string("none") : Quote(want)),
                got.empty() ? std::string("none") : Quote(got));
}

void ExpectTitle(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  std::string got = session.target.TopTitle();
  session.Check(line, got == line.args[2], "title " + Quote(line.args[2]), Quote(got));
}

void ExpectCursor(Session& session, const Line& line) {
  if (!session.Arity(line, 1, 1)) return;
  const std::string& value = line.args[2];
  if (value != "normal" && value != "wait") {
    session.Fail(line, "expect cursor takes normal or wait");
    return;
  }
  bool wait = session.target.WaitCursor();
  session.Check(line, wait == (value == "wait"), value + " cursor", wait ? "wait" : "normal");
}

void ExpectWindow(Session& session, const Line& line) {
  if (!session.Arity(line, 4, 4)) return;
  ui::Rect r = session.target.WindowRect();
  bool bad = false;
  bool ok = RectMatches(line.args, 2, r, &bad);
  std::string want = line.args[2] + " " + line.args[3] + " " + line.args[4] + " " + line.args[5];
  if (bad) {
    session.Fail(line, "expect window: bad number in " + want);
    return;
  }
  session.Check(line, ok, "window " + want, RectText(r));
}

void ExpectFile(Session& session, const Line& line) {
  if (!session.Arity(line, 2, SIZE_MAX)) return;
  const std::string &path = line.args[2], &kind = line.args[3];
  FileSystem& fsys = SystemFileSystem();
  bool exists = fsys.Exists(path);
  if (kind == "exists" || kind == "missing") {
    if (!session.Arity(line, 2, 2)) return;
    session.Check(line, exists == (kind == "exists"), "file " + Quote(path) + " " + kind,
                  exists ? "exists" : "missing");
    return;
  }
  int n;
  if (kind == "size") {
    if (!session.Arity(line, 3, 3)) return;
    if (!ParseInt(line.args[4], &n)) {
      session.Fail(line, "expect file PATH size takes a number");
      return;
    }
    auto f = fsys.Open(path, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
    int64_t size = f ? f->Size() : -1;
    session.Check(line, f && size == n, "file " + Quote(path) + " size " + Num(n),
                  f ? "size " + Num(size) : std::string("no file"));
    return;
  }
  if (kind == "bytes") {
    if (!session.Arity(line, 4, SIZE_MAX)) return;
    std::optional<std::string> want = ParseHex(line.args, 5);
    if (!ParseInt(line.args[4], &n) || n < 0 || !want) {
      session.Fail(line, "expect file PATH bytes takes OFFSET HEX...");
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
    session.Check(line, f && got == *want, "file " + Quote(path) + " bytes at " + Num(n) + " " + Hex(*want),
                  f ? Hex(got) : std::string("no file"));
    return;
  }
  session.Fail(line, "expect file takes PATH exists|missing|size N|bytes OFFSET HEX");
}

void ExpectConfig(Session& session, const Line& line) {
  if (!session.Arity(line, 3, 3)) return;
  const std::string &section = line.args[2], &key = line.args[3], &want = line.args[4];
  std::string got = SystemProfile().Get(session.home + "\\config.ini", section, key, kMissing);
  bool missing = got == kMissing;
  bool ok = want == "missing" ? missing : !missing && got == want;
  session.Check(line, ok, "[" + section + "] " + key + " " + (want == "missing" ? want : Quote(want)),
                missing ? std::string("missing") : Quote(got));
}

void ExpectBackend(Session& session, const Line& line) {
  // Valid lines are taken by Step; only a bad value arrives here.
  session.Fail(line, "expect backend takes headless, win32 or any");
}

const std::vector<Command>& Kinds() {
  static const std::vector<Command> kinds = {
      {"text", &ExpectText},         {"checked", &ExpectChecked},
      {"enabled", &ExpectEnabled},   {"visible", &ExpectVisible},
      {"tag", &ExpectTag},           {"rect", &ExpectRect},
      {"colour", &ExpectColour},     {"font", &ExpectFont},
      {"selected", &ExpectSelected}, {"items", &ExpectItems},
      {"count", &ExpectCount},       {"cell", &ExpectCell},
      {"image", &ExpectImage},       {"selrows", &ExpectSelRows},
      {"status", &ExpectStatus},     {"toolbar", &ExpectToolbar},
      {"shown", &ExpectShown},       {"menu", &ExpectMenu},
      {"message", &ExpectMessage},   {"no-message", &ExpectNoMessage},
      {"dialog", &ExpectDialog},     {"title", &ExpectTitle},
      {"cursor", &ExpectCursor},     {"window", &ExpectWindow},
      {"file", &ExpectFile},         {"config", &ExpectConfig},
      {"backend", &ExpectBackend},   {"mark", &ExpectMark},
  };
  return kinds;
}

}  // namespace

void Expect(Session& session, const Line& line) {
  if (line.args.size() < 2) {
    session.Fail(line, "expect: what?");
    return;
  }
  for (const Command& c : Kinds()) {
    if (line.args[1] == c.name) {
      c.run(session, line);
      return;
    }
  }
  session.Fail(line, "expect: unknown expectation " + Quote(line.args[1]));
}

}  // namespace tavik::drive
