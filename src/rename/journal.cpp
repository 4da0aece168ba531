// The journal is GBK text, one record a line, each line ending in CR LF:
//
//   Tavik批量更名器 rename.log 1        program and format version
//   home D:\Tavik                         the folder it was written for
//   rename 2                              kind and count of planned moves
//   3<TAB>D:\Music\<TAB>a.mp3<TAB>0.mp3   item number, folder, from, to
//   5<TAB>D:\Music\<TAB>b.mp3<TAB>1.mp3
//   end 2                                 the plan is whole
//   3                                     move 3 begins
//   5                                     move 5 begins (so 3 was made)
//   -5                                    move 5 failed
//
// Why it reads safely after any damage:
// - The plan is written and synced before the first move, so a plan that
//   is cut short or does not parse means no file was moved yet.
// - The first two lines tie the file to this program and this home; a file
//   that another program left, or one copied from another home, is never
//   acted on.
// - A tab, CR or LF cannot stand in a Windows file or folder name, nor as
//   the second byte of a GBK character; names holding one (possible on
//   Linux) are not journalled at all.
// - A number is written before its move, not after: a kill most often lands
//   inside the move's system call, which the system finishes before the
//   process dies, so a number written afterwards would be missing for a
//   file that did move. The last begun move is therefore in doubt, and the
//   way back asks the file system about it alone.
// - A progress line counts only when it ends in CR LF (a torn last line
//   does not), is a number of the plan, and is above every number before it
//   (moves run in list order); a cancel counts only for the move in flight.
//   Anything else, garbage or a zero-filled tail, is skipped.
#include "rename/journal.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <unordered_map>

#include "rename/rules.h"

namespace tavik::rename {

namespace {

const char kMagic[] = "Tavik批量更名器 rename.log 1";

bool Representable(const std::string& s) {
  return std::none_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

void AppendNumber(std::string& out, int64_t n) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, n);
  out.append(buf, r.ptr);
}

// Plain decimal digits only, no sign, no blanks.
bool ParseCount(std::string_view s, int32_t* n) {
  if (s.empty() || s.size() > 9 ||
      !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  std::from_chars(s.data(), s.data() + s.size(), *n);
  return true;
}

// Splits off the next line ending in "\r\n"; false at the end or at a line
// without its ending (a torn last line).
bool NextLine(std::string_view& rest, std::string_view* line) {
  size_t lf = rest.find('\n');
  if (lf == std::string_view::npos) return false;
  std::string_view l = rest.substr(0, lf);
  rest.remove_prefix(lf + 1);
  if (l.empty() || l.back() != '\r') {
    *line = std::string_view("\x01", 1);  // never a valid record
    return true;
  }
  *line = l.substr(0, l.size() - 1);
  return true;
}

bool ParseMove(std::string_view line, JournalMove* m) {
  std::string_view f[4];
  for (int i = 0; i < 3; ++i) {
    size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    f[i] = line.substr(0, tab);
    line.remove_prefix(tab + 1);
  }
  f[3] = line;
  if (!ParseCount(f[0], &m->number) || m->number < 1) return false;
  if (f[1].empty() || f[1].back() != '\\' || !IsPlainFileName(f[2]) || !IsPlainFileName(f[3])) return false;
  m->folder = f[1];
  m->from = f[2];
  m->to = f[3];
  return true;
}

}  // namespace

std::string JournalPath(const std::string& exeDir) {
  bool endsInSlash = !exeDir.empty() && exeDir.back() == '\\';
  return exeDir + (endsInSlash ? "rename.log" : "\\rename.log");
}

BatchJournal::BatchJournal(AppendFiles& files, std::string exeDir)
    : files_(files), exeDir_(std::move(exeDir)) {}

BatchJournal::~BatchJournal() = default;

void BatchJournal::Begin(BatchKind kind) {
  file_.reset();
  kind_ = kind;
  plan_.clear();
  planned_ = 0;
  representable_ = Representable(exeDir_);
}

void BatchJournal::Add(int32_t number, const std::string& folder, const std::string& from,
                       const std::string& to) {
  if (!Representable(folder) || !Representable(from) || !Representable(to)) representable_ = false;
  if (!representable_) return;
  AppendNumber(plan_, number);
  plan_.append("\t").append(folder).append("\t").append(from).append("\t").append(to).append("\r\n");
  ++planned_;
}

bool BatchJournal::Open() {
  if (!representable_) return false;
  std::string head = std::string(kMagic) + "\r\nhome " + exeDir_ + "\r\n";
  head += kind_ == BatchKind::Rename ? "rename " : "undo ";
  AppendNumber(head, planned_);
  head += "\r\n";
  std::string tail = "end ";
  AppendNumber(tail, planned_);
  tail += "\r\n";
  file_ = files_.Create(JournalPath(exeDir_));
  bool ok = file_ && file_->Append(head + plan_ + tail) && file_->Sync();
  plan_.clear();
  plan_.shrink_to_fit();
  if (!ok) Finish();
  return ok;
}

void BatchJournal::Append(std::string_view bytes) {
  if (file_ && !file_->Append(bytes)) file_.reset();
}

void BatchJournal::Moving(int32_t number) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf - 2, number);
  *r.ptr++ = '\r';
  *r.ptr++ = '\n';
  Append(std::string_view(buf, r.ptr - buf));
}

void BatchJournal::Failed(int32_t number) {
  char buf[16] = {'-'};
  auto r = std::to_chars(buf + 1, buf + sizeof buf - 2, number);
  *r.ptr++ = '\r';
  *r.ptr++ = '\n';
  Append(std::string_view(buf, r.ptr - buf));
}

void BatchJournal::Finish() {
  // Closed first: Windows deletes no file that is open without delete sharing.
  file_.reset();
  files_.Remove(JournalPath(exeDir_));
}

JournalReading ReadJournal(std::string_view bytes, std::string_view exeDir) {
  JournalReading r;
  std::string_view rest = bytes, line;
  if (!NextLine(rest, &line) || line != kMagic) return r;
  if (!NextLine(rest, &line) || line.substr(0, 5) != "home " || line.substr(5) != exeDir) return r;
  r.state = JournalState::Damaged;
  int32_t count = 0;
  if (!NextLine(rest, &line)) return r;
  if (line.starts_with("rename ")) {
    r.kind = BatchKind::Rename;
    line.remove_prefix(7);
  } else if (line.starts_with("undo ")) {
    r.kind = BatchKind::Undo;
    line.remove_prefix(5);
  } else {
    return r;
  }
  if (!ParseCount(line, &count)) return r;
  std::vector<JournalMove> plan;
  // Room for what the bytes can hold, not what a damaged count claims: a
  // plan line takes at least nine bytes.
  plan.reserve(std::min<size_t>(count, rest.size() / 9));
  for (int32_t i = 0; i < count; ++i) {
    JournalMove m;
    if (!NextLine(rest, &line) || !ParseMove(line, &m)) return r;
    if (!plan.empty() && m.number <= plan.back().number) return r;
    plan.push_back(std::move(m));
  }
  int32_t end = 0;
  if (!NextLine(rest, &line) || !line.starts_with("end ") || !ParseCount(line.substr(4), &end) ||
      end != count)
    return r;
  r.state = JournalState::CutOff;

  auto find = [&plan](int32_t number) -> JournalMove* {
    auto it = std::lower_bound(plan.begin(), plan.end(), number,
                               [](const JournalMove& m, int32_t n) { return m.number < n; });
    return it != plan.end() && it->number == number ? &*it : nullptr;
  };
  JournalMove* pending = nullptr;  // begun, not yet known to be done
  int32_t last = 0;                // the highest number begun
  while (NextLine(rest, &line)) {
    bool cancel = line.starts_with("-");
    int32_t n = 0;
    if (!ParseCount(cancel ? line.substr(1) : line, &n)) continue;
    if (cancel) {
      if (pending && pending->number == n) pending = nullptr;
      continue;
    }
    JournalMove* m = find(n);
    if (!m || n <= last) continue;
    // A move begins only after the one before it ended.
    if (pending) r.done.push_back(std::move(*pending));
    pending = m;
    last = n;
  }
  if (pending) {
    r.hasInDoubt = true;
    r.inDoubt = std::move(*pending);
  }
  auto after = std::upper_bound(plan.begin(), plan.end(), last,
                                [](int32_t n, const JournalMove& m) { return n < m.number; });
  r.later.assign(std::make_move_iterator(after), std::make_move_iterator(plan.end()));
  return r;
}

std::vector<JournalMove> MovesStillMade(JournalReading& reading, NamesOnDisk& disk) {
  std::vector<JournalMove> moves = std::move(reading.done);
  const size_t recorded = moves.size();
  if (reading.hasInDoubt) moves.push_back(std::move(reading.inDoubt));
  for (JournalMove& m : reading.later) moves.push_back(std::move(m));
  reading.hasInDoubt = false;
  reading.later.clear();
  std::vector<std::string> from(moves.size()), to(moves.size());
  for (size_t i = 0; i < moves.size(); ++i) {
    from[i] = disk.Key(moves[i].folder, moves[i].from);
    to[i] = disk.Key(moves[i].folder, moves[i].to);
  }
  std::vector<bool> made;
  size_t end = moves.size();
  for (;;) {
    made.assign(end, false);
    // The names as the moves taken back so far leave them: freed (nullptr)
    // or taken again.
    std::unordered_map<std::string_view, const std::string*> now;
    auto spelling = [&](const std::string& key) {
      auto it = now.find(key);
      return it != now.end() ? it->second : disk.Spelling(key);
    };
    for (size_t i = end; i-- > 0;) {
      const JournalMove& m = moves[i];
      const std::string* there = spelling(to[i]);
      if (!there) continue;
      if (from[i] == to[i] ? *there != m.to || m.to == m.from : spelling(from[i]) != nullptr) continue;
      made[i] = true;
      now[to[i]] = nullptr;
      now[from[i]] = &m.from;
    }
    // A move the disk does not show ends the unrecorded ones; those after
    // it were not made either, and may have freed a name for one before.
    size_t shown = recorded;
    while (shown < end && made[shown]) ++shown;
    if (shown == end) break;
    end = shown;
  }
  std::vector<JournalMove> out;
  for (size_t i = end; i-- > 0;)
    if (made[i]) out.push_back(std::move(moves[i]));
  return out;
}

}  // namespace tavik::rename
