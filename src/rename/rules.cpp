#include "rename/rules.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "text/gbk.h"
#include "text/unicode.h"

namespace tavik::rename {
namespace {

struct PartViews {
  std::string_view main, ext;
};

// The last "." outside double-byte characters starts the extension.
PartViews Split(std::string_view name) {
  size_t dot = text::FindLast(name, '.');
  if (dot == text::npos) return {name, {}};
  return {name.substr(0, dot), name.substr(dot)};
}

// Every page writes into the caller's table in place, so a table kept
// between previews reuses its strings' buffers.
size_t PrepareTable(const std::vector<std::string>& oldNames, size_t n, std::vector<std::string>& newNames) {
  if (newNames.size() < oldNames.size()) newNames.resize(oldNames.size());
  return std::min(n, oldNames.size());
}

// begin is a character boundary of x; the bytes before it are kept.
void AppendReplacedFrom(std::string& out, std::string_view x, std::string_view find, std::string_view repl,
                        size_t begin, bool caseSensitive) {
  if (find.empty() || begin >= x.size()) {
    out.append(x);
    return;
  }
  out.append(x.substr(0, begin));
  // Searching the rest as its own text makes each match end the next
  // search's start, which is what keeps matches from overlapping.
  std::string_view rest = x.substr(begin);
  for (;;) {
    size_t at = text::FindText(rest, find, !caseSensitive);
    if (at == text::npos) break;
    out.append(rest.substr(0, at));
    out.append(repl);
    rest.remove_prefix(at + find.size());
  }
  out.append(rest);
}

size_t InsertPoint(std::string_view x, int64_t position) {
  int64_t at = std::clamp<int64_t>(position - 1, 0, static_cast<int64_t>(x.size()));
  return text::BoundaryAtOrBefore(x, static_cast<size_t>(at));
}

void AppendInserted(std::string& out, std::string_view x, int64_t position, std::string_view t) {
  size_t at = InsertPoint(x, position);
  out.append(x.substr(0, at));
  out.append(t);
  out.append(x.substr(at));
}

// One numbered piece: the old piece's leading "." survives, the rest is new.
// head is prefix + body + zero fill, rebuilt only when the fill changes.
void AppendNumbered(std::string& out, std::string_view old, const std::string& head, std::string_view number,
                    const std::string& suffix) {
  if (!old.empty() && old.front() == '.') out += '.';
  out.append(head);
  out.append(number);
  out.append(suffix);
}

// Plain decimal into buf, the same text NumberToText gives, without a
// string per item.
struct NumberText {
  char buf[24];
  size_t len = 0;
  void Set(int64_t v) { len = static_cast<size_t>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf); }
  std::string_view view() const { return {buf, len}; }
};

enum class CaseMode { Keep, Upper, Lower, FirstUpper, FirstLower };

bool IsWhole(CaseMode m) { return m == CaseMode::Upper || m == CaseMode::Lower; }

std::string WholeCase(CaseMode m, std::string_view s) {
  return m == CaseMode::Upper ? text::ToUpperAscii(s) : text::ToLowerAscii(s);
}

// Changes the first ASCII letter of s[from, to), stepping over double-byte
// characters so that a trail byte in the letter range is never taken.
void FirstLetterInPlace(std::string& s, size_t from, size_t to, bool upper) {
  for (size_t i = from; i < to; i += text::CharLength(s, i)) {
    if (text::CharLength(s, i) == 1 && text::IsAsciiLetter(s[i])) {
      s[i] = upper ? text::UpperAscii(s[i]) : text::LowerAscii(s[i]);
      return;
    }
  }
}

}  // namespace

NameParts SplitName(std::string_view name) {
  PartViews p = Split(name);
  return {std::string(p.main), std::string(p.ext)};
}

std::string ZeroFill(int digits, int64_t v) {
  int64_t missing = static_cast<int64_t>(digits) - static_cast<int64_t>(text::NumberToText(v).size());
  return missing > 0 ? std::string(static_cast<size_t>(missing), '0') : std::string();
}

std::string ReplaceAll(std::string_view x, std::string_view find, std::string_view repl, size_t startPos,
                       bool caseSensitive) {
  size_t begin = std::min(startPos > 1 ? startPos - 1 : 0, x.size());
  // A start inside a character moves past it, so the scan never begins on a
  // trail byte.
  size_t boundary = text::BoundaryAtOrBefore(x, begin);
  if (boundary < begin) begin = boundary + text::CharLength(x, boundary);
  std::string out;
  out.reserve(x.size());
  AppendReplacedFrom(out, x, find, repl, begin, caseSensitive);
  return out;
}

std::string InsertAt(std::string_view x, int position, std::string_view t) {
  std::string out;
  out.reserve(x.size() + t.size());
  AppendInserted(out, x, position, t);
  return out;
}

namespace {

// The single bytes a name may not hold: controls and \ / : * ? " < > |.
// A table, not a search of the list: under Wine every search is a call into
// the system's memchr, and with one a byte the check of 100,000 names took
// 7 ms of a 30 ms keystroke (perf, bench_keystroke).
constexpr std::array<bool, 128> kRefusedByte = [] {
  std::array<bool, 128> refused{};
  for (int c = 0; c < 0x20; ++c) refused[c] = true;
  for (char c : std::string_view("\\/:*?\"<>|")) refused[static_cast<unsigned char>(c)] = true;
  return refused;
}();

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  // Most names are ASCII, which one look at each byte settles: the preview
  // asks this of every name at every keystroke.
  size_t ascii = 0;
  for (; ascii < name.size(); ++ascii) {
    const unsigned char c = static_cast<unsigned char>(name[ascii]);
    if (c >= 0x80) break;
    if (kRefusedByte[c]) return false;
  }
  if (ascii == name.size()) return true;
  // By character, as the system converts the name: "\" and "|" may be trail
  // bytes, and bytes that are no character (a lead byte without its trail,
  // a four-byte form of none) have no name there.
  for (size_t i = 0; i < name.size(); i += text::CharLength(name, i)) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || !text::IsCharacterAt(name, i)) return false;
    if (c < 0x80 && kRefusedByte[c]) return false;
  }
  return true;
}

bool EndsInDotOrSpace(std::string_view name) {
  // Neither byte can be the second byte of a character.
  return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

bool IsDeviceName(std::string_view name) {
  // Windows also takes "CON .txt" for the device: spaces before the "."
  // do not count.
  // Asked of every previewed name at every keystroke: a name whose fourth
  // and fifth bytes carry on past three or four letters is no device.
  if (name.size() >= 5 && name[3] != '.' && name[3] != ' ' && name[4] != '.' && name[4] != ' ') return false;
  // By hand: under Wine find() is a call into the system's memchr.
  size_t dot = 0;
  while (dot < name.size() && name[dot] != '.') ++dot;
  std::string_view base = name.substr(0, dot);
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  if (base.size() != 3 && base.size() != 4) return false;
  std::string upper(base);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
         upper[3] <= '9';
}

void ComputeGeneral(const GeneralPage& page, const std::vector<std::string>& oldNames, size_t n,
                    std::vector<std::string>& newNames) {
  n = PrepareTable(oldNames, n, newNames);
  const int64_t start = text::TextToInt(page.start);
  const int64_t step = text::TextToInt(page.step);
  const int mainDigits = text::TextToInt(page.digits);
  const int extDigits = text::TextToInt(page.extDigits);
  const bool dropExt =
      page.extPrefix.empty() && page.extBody.empty() && page.extDigits.empty() && page.extSuffix.empty();
  const bool numberExt = !dropExt && !page.extDigits.empty();
  std::string fixedExt;  // the un-numbered extension, the same for every item
  if (page.extScope && !dropExt && !numberExt)
    fixedExt = "." + page.extPrefix + page.extBody + page.extSuffix;

  // The zero fill follows the number's text only when it grows longer, so a
  // falling count keeps the width it started with.
  auto headOf = [](const std::string& prefix, const std::string& body, int digits, int64_t v) {
    return prefix + body + ZeroFill(digits, v);
  };
  std::string mainHead = headOf(page.prefix, page.body, mainDigits, start);
  std::string extHead = headOf(page.extPrefix, page.extBody, extDigits, start);
  NumberText number;
  number.Set(start);

  std::string scratch;  // built here, then copied once at its exact size
  for (size_t i = 0; i < n; ++i) {
    PartViews old = Split(oldNames[i]);
    scratch.clear();
    if (page.mainScope)
      AppendNumbered(scratch, old.main, mainHead, number.view(), page.suffix);
    else
      scratch.append(old.main);
    if (!page.extScope)
      scratch.append(old.ext);
    else if (numberExt)
      AppendNumbered(scratch, old.ext, extHead, number.view(), page.extSuffix);
    else
      scratch.append(fixedExt);  // empty when all four extension boxes are
    newNames[i].assign(scratch);

    // 64-bit: start and step are any int32, and i up to the list's size.
    const int64_t value = start + static_cast<int64_t>(i + 1) * step;
    const size_t previousLength = number.len;
    number.Set(value);
    if (number.len > previousLength) {
      if (page.mainScope) mainHead = headOf(page.prefix, page.body, mainDigits, value);
      if (numberExt) extHead = headOf(page.extPrefix, page.extBody, extDigits, value);
    }
  }
}

void ComputeReplace(const ReplacePage& page, const std::vector<std::string>& oldNames, size_t n,
                    std::vector<std::string>& newNames) {
  n = PrepareTable(oldNames, n, newNames);
  const bool fold = !page.caseSensitive;
  std::string scratch;  // built here, then copied once at its exact size
  for (size_t i = 0; i < n; ++i) {
    const std::string& name = oldNames[i];
    // A match inside either part is a match in the whole name, so one search
    // passes over names without the text, and the parts' searches can start
    // at the first hit.
    size_t first = page.find.empty() ? text::npos : text::FindText(name, page.find, fold);
    if (first == text::npos) {
      newNames[i].assign(name);
      continue;
    }
    PartViews old = Split(name);
    const size_t mainLen = old.main.size();
    scratch.clear();
    if (page.mainScope)
      AppendReplacedFrom(scratch, old.main, page.find, page.replace, first, page.caseSensitive);
    else
      scratch.append(old.main);
    if (page.extScope) {
      // From its second byte: the extension's own "." is never matched.
      size_t mark = scratch.size();
      size_t begin = first > mainLen + 1 ? first - mainLen : 1;
      AppendReplacedFrom(scratch, old.ext, page.find, page.replace, begin, page.caseSensitive);
      // Deleting all of an extension takes its "." along; a name that ended
      // in a bare "." keeps it, since nothing of it was deleted.
      if (old.ext.size() > 1 && scratch.size() == mark + 1) scratch.resize(mark);
    } else {
      scratch.append(old.ext);
    }
    newNames[i].assign(scratch);
  }
}

void ComputeInsert(const InsertPage& page, const std::vector<std::string>& oldNames, size_t n,
                   std::vector<std::string>& newNames) {
  n = PrepareTable(oldNames, n, newNames);
  const int64_t mainPos = text::TextToInt(page.mainPosition);
  // The extension position counts from the byte after its ".".
  const int64_t extPos = static_cast<int64_t>(text::TextToInt(page.extPosition)) + 1;
  const bool extRule = page.extAtPosition || page.extAtEnd;
  for (size_t i = 0; i < n; ++i) {
    PartViews old = Split(oldNames[i]);
    std::string& out = newNames[i];
    out.clear();
    out.reserve(oldNames[i].size() + page.mainText.size() + page.extText.size() + 1);
    if (page.mainAtPosition)
      AppendInserted(out, old.main, mainPos, page.mainText);
    else if (page.mainAtEnd)
      (out += old.main) += page.mainText;
    else
      out.append(old.main);
    if (old.ext.empty()) {
      // A name without extension gets one made of the inserted text alone.
      if (extRule && !page.extText.empty()) (out += '.') += page.extText;
    } else if (page.extAtPosition) {
      AppendInserted(out, old.ext, extPos, page.extText);
    } else if (page.extAtEnd) {
      (out += old.ext) += page.extText;
    } else {
      out.append(old.ext);
    }
  }
}

void ComputeCase(const CasePage& page, const std::vector<std::string>& oldNames, size_t n,
                 std::vector<std::string>& newNames) {
  n = PrepareTable(oldNames, n, newNames);
  CaseMode mainMode = page.mainUpper        ? CaseMode::Upper
                      : page.mainLower      ? CaseMode::Lower
                      : page.mainFirstUpper ? CaseMode::FirstUpper
                      : page.mainFirstLower ? CaseMode::FirstLower
                                            : CaseMode::Keep;
  // Unlike the main name, an extension with none of its four buttons
  // checked still gets its first letter lowered.
  CaseMode extMode = page.extUpper        ? CaseMode::Upper
                     : page.extLower      ? CaseMode::Lower
                     : page.extFirstUpper ? CaseMode::FirstUpper
                                          : CaseMode::FirstLower;
  for (size_t i = 0; i < n; ++i) {
    const std::string& name = oldNames[i];
    PartViews old = Split(name);
    const size_t mainLen = old.main.size();
    std::string& out = newNames[i];
    // The "." is a character boundary, so casing the whole name at once
    // equals casing both parts; the extension is redone only if it differs.
    if (IsWhole(mainMode))
      out = WholeCase(mainMode, name);
    else
      out.assign(name);
    if (mainMode == CaseMode::FirstUpper || mainMode == CaseMode::FirstLower)
      FirstLetterInPlace(out, 0, mainLen, mainMode == CaseMode::FirstUpper);
    if (IsWhole(extMode)) {
      if (extMode != mainMode) out.replace(mainLen, old.ext.size(), WholeCase(extMode, old.ext));
    } else {
      if (IsWhole(mainMode)) out.replace(mainLen, old.ext.size(), old.ext);
      FirstLetterInPlace(out, mainLen, out.size(), extMode == CaseMode::FirstUpper);
    }
  }
}

}  // namespace tavik::rename
