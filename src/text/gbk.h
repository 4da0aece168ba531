// Byte-string helpers for the program's text (GB18030 as code page 936
// writes it). Every search for a separator or a letter in this program goes
// through here, because a trail byte (0x40-0xFE) may equal "\", "|" or an
// ASCII letter.
//
// Characters are stepped as Windows converts code page 936, plus GB18030's
// four-byte form: a lead byte 0x81-0xFE, a digit 0x30-0x39, a lead byte and
// a digit is one character; else a lead byte followed by a trail byte
// 0x40-0x7E or 0x80-0xFE is one; any other byte (0x80, 0xFF, or a lead
// whose next byte is no trail) is a character of its own. What the file
// system sees as "\" or ":" is then what these helpers see.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavik::text {

constexpr size_t npos = std::string_view::npos;

inline bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
inline bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
inline bool IsFormDigit(unsigned char b) { return b >= 0x30 && b <= 0x39; }

// Length of the character starting at pos: 4 for the four-byte form, 2 for
// a lead byte followed by a trail byte, else 1.
inline size_t CharLength(std::string_view s, size_t pos) {
  if (!IsLeadByte(static_cast<unsigned char>(s[pos])) || pos + 1 >= s.size()) return 1;
  const unsigned char next = static_cast<unsigned char>(s[pos + 1]);
  if (IsTrailByte(next)) return 2;
  return IsFormDigit(next) && pos + 3 < s.size() && IsLeadByte(static_cast<unsigned char>(s[pos + 2])) &&
                 IsFormDigit(static_cast<unsigned char>(s[pos + 3]))
             ? 4
             : 1;
}

// A lead byte standing alone: no character, converted to the default
// character "?".
inline bool IsLoneLead(std::string_view s, size_t pos) {
  return IsLeadByte(static_cast<unsigned char>(s[pos])) && CharLength(s, pos) == 1;
}

// Whether s holds a four-byte form: a character code page 936 lacks.
bool HasFourByteForm(std::string_view s);
// s with each four-byte form replaced by "?", as code page 936 writes it.
std::string CodePage936Only(std::string_view s);

// Position of the first / last single-byte character c, never a trail byte.
size_t FindFirst(std::string_view s, char c, size_t from = 0);
size_t FindLast(std::string_view s, char c);

// First occurrence of needle starting on a character boundary at or after
// from; foldCase compares ASCII letters case-insensitively.
size_t FindText(std::string_view hay, std::string_view needle, bool foldCase, size_t from = 0);

// The largest character boundary that is <= pos (pos itself when it is one).
size_t BoundaryAtOrBefore(std::string_view s, size_t pos);

// The first bytes of s, at most max of them, never half a character.
std::string CutBytes(std::string_view s, size_t max);

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
inline bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Case of ASCII letters only; multi-byte characters are left whole.
std::string ToUpperAscii(std::string_view s);
std::string ToLowerAscii(std::string_view s);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// Full-width letters, digits and signs (row A3) become ASCII; the
// ideographic space (A1 A1) becomes a space.
std::string FullWidthToAscii(std::string_view s);

// Leading decimal number after full-width conversion, as strtod reads it in
// the C locale but decimal only; 0 when there is none.
double TextToNumber(std::string_view s);
// The same, truncated toward zero and clamped to the int32 range.
int32_t TextToInt(std::string_view s);
std::string NumberToText(int64_t v);

}  // namespace tavik::text
