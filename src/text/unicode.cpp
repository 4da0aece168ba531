#include "text/unicode.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

#include "text/gbk.h"

namespace tavik::text {

namespace {

// The Unicode value of each pair, by (lead - 0x81) * 192 + (trail - 0x40);
// 0 where the pair is no character.
constexpr uint16_t kPairs[] = {
#include "text/cp936_pairs.inc"
};
static_assert(sizeof kPairs / sizeof kPairs[0] == 126 * 192);

struct Run {
  uint32_t index;  // linear number of the first four-byte form
  uint32_t first;  // its code point
  uint32_t count;
};
constexpr Run kRuns[] = {
#include "text/gb18030_ranges.inc"
};

constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr uint32_t kSupplementaryBase = 189000;  // linear number of 0x90308130
constexpr uint32_t kEuro = 0x20AC, kFF = 0xF8F5;

uint32_t Linear(const unsigned char* b) {
  return (((b[0] - 0x81u) * 10 + (b[1] - 0x30u)) * 126 + (b[2] - 0x81u)) * 10 + (b[3] - 0x30u);
}

void AppendFour(uint32_t linear, std::string& out) {
  char b[4];
  b[3] = static_cast<char>(0x30 + linear % 10), linear /= 10;
  b[2] = static_cast<char>(0x81 + linear % 126), linear /= 126;
  b[1] = static_cast<char>(0x30 + linear % 10), linear /= 10;
  b[0] = static_cast<char>(0x81 + linear);
  out.append(b, 4);
}

// The form of each BMP value: the pair (high byte first), or 0x10000 plus
// the linear number of its four-byte form; 0 for a surrogate. Built once.
const std::array<uint32_t, 0x10000>& BmpForms() {
  static const auto forms = [] {
    auto t = std::make_unique<std::array<uint32_t, 0x10000>>();
    t->fill(0);
    for (const Run& r : kRuns)
      for (uint32_t k = 0; k < r.count; ++k) (*t)[r.first + k] = 0x10000 + r.index + k;
    for (uint32_t i = 0; i < sizeof kPairs / sizeof kPairs[0]; ++i)
      if (kPairs[i]) (*t)[kPairs[i]] = ((0x81 + i / 192) << 8) | (0x40 + i % 192);
    return t;
  }();
  return *forms;
}

// Appends the form of one scalar value.
void Encode(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c == kEuro) {
    out += '\x80';
  } else if (c == kFF) {
    out += '\xFF';
  } else if (c >= 0x10000) {
    AppendFour(kSupplementaryBase + (c - 0x10000), out);
  } else {
    uint32_t f = BmpForms()[c];
    if (f >= 0x10000) {
      AppendFour(f - 0x10000, out);
    } else {
      out += static_cast<char>(f >> 8);
      out += static_cast<char>(f & 0xFF);
    }
  }
}

// The scalar value of the character at pos (its length from CharLength),
// or kNone when those bytes are no character.
uint32_t Decode(std::string_view s, size_t pos, size_t n) {
  const auto* b = reinterpret_cast<const unsigned char*>(s.data() + pos);
  if (n == 1) {
    if (b[0] < 0x80) return b[0];
    if (b[0] == 0x80) return kEuro;
    if (b[0] == 0xFF) return kFF;
    return kNone;  // a lead byte without its trail
  }
  if (n == 2) {
    uint16_t u = kPairs[(b[0] - 0x81) * 192 + (b[1] - 0x40)];
    return u ? u : kNone;
  }
  uint32_t linear = Linear(b);
  if (linear >= kSupplementaryBase) {
    uint32_t c = 0x10000 + (linear - kSupplementaryBase);
    return c <= 0x10FFFF ? c : kNone;
  }
  const Run* end = std::end(kRuns);
  const Run* r = std::upper_bound(std::begin(kRuns), end, linear,
                                  [](uint32_t v, const Run& run) { return v < run.index; });
  if (r == std::begin(kRuns)) return kNone;
  --r;
  return linear - r->index < r->count ? r->first + (linear - r->index) : kNone;
}

// Calls emit(value) for each character; kNone for bytes that are none.
template <class Emit>
void EachScalar(std::string_view s, Emit emit) {
  for (size_t i = 0; i < s.size();) {
    size_t n = CharLength(s, i);
    emit(Decode(s, i, n));
    i += n;
  }
}

void AppendUtf16(uint32_t c, std::u16string& out) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

void AppendUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The scalar value of the UTF-16 at i, advancing i; kNone for a lone
// surrogate.
uint32_t NextUtf16(std::u16string_view s, size_t& i) {
  uint32_t c = s[i++];
  if (c < 0xD800 || c > 0xDFFF) return c;
  if (c <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
    return 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
  return kNone;
}

// The scalar value of the UTF-8 at i, advancing i past it (or past one byte
// when it is no character, so that the next lead byte is read afresh).
// Overlong forms, surrogates and values past U+10FFFF are no character.
uint32_t NextUtf8(std::string_view s, size_t& i) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  if (b < 0x80) return ++i, b;
  size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
  if (n == 0 || b > 0xF4 || i + n > s.size()) return ++i, kNone;
  uint32_t c = b & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    const unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) return ++i, kNone;
    c = (c << 6) | (t & 0x3F);
  }
  static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return ++i, kNone;
  i += n;
  return c;
}

}  // namespace

bool IsCharacterAt(std::string_view text, size_t pos) {
  return Decode(text, pos, CharLength(text, pos)) != kNone;
}

bool ToUtf16(std::string_view text, std::u16string& out) {
  out.clear();
  out.reserve(text.size());
  bool ok = true;
  EachScalar(text, [&](uint32_t c) { c == kNone ? void(ok = false) : AppendUtf16(c, out); });
  if (!ok) out.clear();
  return ok;
}

bool ToUtf8(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size() + text.size() / 2);
  bool ok = true;
  EachScalar(text, [&](uint32_t c) { c == kNone ? void(ok = false) : AppendUtf8(c, out); });
  if (!ok) out.clear();
  return ok;
}

bool FromUtf16(std::u16string_view utf16, std::string& out) {
  out.clear();
  // Exact for ASCII, the most names: a listed name keeps this capacity for
  // as long as it stays in the list.
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size();) {
    uint32_t c = NextUtf16(utf16, i);
    if (c == kNone) return out.clear(), false;
    Encode(c, out);
  }
  return true;
}

bool FromUtf8(std::string_view utf8, std::string& out) {
  out.clear();
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    uint32_t c = NextUtf8(utf8, i);
    if (c == kNone) return out.clear(), false;
    Encode(c, out);
  }
  return true;
}

std::u16string ToUtf16Lossy(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  EachScalar(text, [&](uint32_t c) { AppendUtf16(c == kNone ? '?' : c, out); });
  return out;
}

std::string ToUtf8Lossy(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  EachScalar(text, [&](uint32_t c) { AppendUtf8(c == kNone ? '?' : c, out); });
  return out;
}

std::string FromUtf16Lossy(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size();) {
    uint32_t c = NextUtf16(utf16, i);
    Encode(c == kNone ? '?' : c, out);
  }
  return out;
}

std::string FromUtf8Lossy(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    uint32_t c = NextUtf8(utf8, i);
    Encode(c == kNone ? '?' : c, out);
  }
  return out;
}

}  // namespace tavik::text
