#include "text/gbk.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace tavik::text {

// Whether pos starts a character, without scanning from the start. A byte
// that is neither a lead byte nor a digit always ends a character (it stands
// alone or is a trail byte), so stepping from the last such byte before pos
// finds the boundaries.
static bool IsBoundary(std::string_view s, size_t pos) {
  size_t i = pos;
  while (i > 0) {
    const unsigned char b = static_cast<unsigned char>(s[i - 1]);
    if (!IsLeadByte(b) && !IsFormDigit(b)) break;
    --i;
  }
  while (i < pos) i += CharLength(s, i);
  return i == pos;
}

bool HasFourByteForm(std::string_view s) {
  for (size_t i = 0; i < s.size(); i += CharLength(s, i))
    if (CharLength(s, i) == 4) return true;
  return false;
}

std::string CodePage936Only(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const size_t n = CharLength(s, i);
    if (n == 4)
      out += '?';
    else
      out.append(s, i, n);
    i += n;
  }
  return out;
}

size_t FindFirst(std::string_view s, char c, size_t from) {
  if (IsLeadByte(static_cast<unsigned char>(c))) {
    for (size_t i = 0; i < s.size(); i += CharLength(s, i))
      if (i >= from && s[i] == c) return i;
    return npos;
  }
  for (size_t i = s.find(c, from); i != std::string_view::npos; i = s.find(c, i + 1))
    if (IsBoundary(s, i)) return i;
  return npos;
}

size_t FindLast(std::string_view s, char c) {
  if (IsLeadByte(static_cast<unsigned char>(c))) {
    size_t found = npos;
    for (size_t i = 0; i < s.size(); i += CharLength(s, i))
      if (s[i] == c) found = i;
    return found;
  }
  for (size_t i = s.rfind(c); i != std::string_view::npos; i = i ? s.rfind(c, i - 1) : npos)
    if (IsBoundary(s, i)) return i;
  return npos;
}

static bool MatchAt(std::string_view hay, size_t at, std::string_view needle, bool foldCase) {
  for (size_t k = 0; k < needle.size();) {
    char a = hay[at + k], b = needle[k];
    // A needle ending in a lone lead byte must not take the first half of a
    // character of hay.
    if (CharLength(hay, at + k) != CharLength(needle, k)) return false;
    if (const size_t n = CharLength(needle, k); n > 1) {
      // A trail byte in the letter range belongs to a multi-byte
      // character, which must match exactly.
      if (hay.compare(at + k, n, needle, k, n) != 0) return false;
      k += n;
    } else {
      if (foldCase ? UpperAscii(a) != UpperAscii(b) : a != b) return false;
      ++k;
    }
  }
  return true;
}

size_t FindText(std::string_view hay, std::string_view needle, bool foldCase, size_t from) {
  if (needle.empty() || needle.size() > hay.size()) return needle.empty() ? from : npos;
  // The first byte rules out most positions before the full comparison.
  const char first = needle[0];
  const char other = foldCase && IsAsciiLetter(first) ? static_cast<char>(first ^ 0x20) : first;
  for (size_t i = 0; i + needle.size() <= hay.size(); i += CharLength(hay, i))
    if ((hay[i] == first || hay[i] == other) && i >= from && MatchAt(hay, i, needle, foldCase)) return i;
  return npos;
}

size_t BoundaryAtOrBefore(std::string_view s, size_t pos) {
  if (pos >= s.size()) return s.size();
  size_t i = 0;
  while (i < pos) {
    size_t next = i + CharLength(s, i);
    if (next > pos) break;
    i = next;
  }
  return i;
}

std::string CutBytes(std::string_view s, size_t max) {
  return std::string(s.substr(0, BoundaryAtOrBefore(s, max)));
}

template <char (*Map)(char)>
static std::string MapLetters(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size();) {
    size_t n = CharLength(out, i);
    if (n == 1) out[i] = Map(out[i]);
    i += n;
  }
  return out;
}

std::string ToUpperAscii(std::string_view s) { return MapLetters<UpperAscii>(s); }
std::string ToLowerAscii(std::string_view s) { return MapLetters<LowerAscii>(s); }

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ToUpperAscii(a) == ToUpperAscii(b);
}

std::string FullWidthToAscii(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    size_t n = CharLength(s, i);
    unsigned char b0 = static_cast<unsigned char>(s[i]);
    if (n == 2) {
      unsigned char b1 = static_cast<unsigned char>(s[i + 1]);
      if (b0 == 0xA3 && b1 >= 0xA1 && b1 <= 0xFE) {
        out += static_cast<char>(b1 - 0xA1 + 0x21);
      } else if (b0 == 0xA1 && b1 == 0xA1) {
        out += ' ';
      } else {
        out.append(s.substr(i, 2));
      }
    } else {
      out += s[i];
    }
    i += n;
  }
  return out;
}

static bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

double TextToNumber(std::string_view input) {
  std::string s = FullWidthToAscii(input);
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  size_t start = i;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t e = i + 1;
    if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
    if (e < s.size() && IsDigit(s[e])) {
      while (e < s.size() && IsDigit(s[e])) ++e;
      i = e;
    }
  }
  // Only a validated decimal number reaches strtod, so its hex and
  // inf/nan forms never apply.
  std::string number = s.substr(start, i - start);
  return std::strtod(number.c_str(), nullptr);
}

int32_t TextToInt(std::string_view s) {
  double v = std::trunc(TextToNumber(s));
  if (!(v >= static_cast<double>(std::numeric_limits<int32_t>::min())))
    return std::numeric_limits<int32_t>::min();
  if (v > static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(v);
}

std::string NumberToText(int64_t v) { return std::to_string(v); }

}  // namespace tavik::text
