#include <cstdint>

#include "tags/id3v2_frames.h"
#include "text/unicode.h"

namespace tavik::tags::frames {
namespace {

constexpr size_t npos = std::string_view::npos;
constexpr uint32_t kReplacement = 0xFFFD;

bool Wide(unsigned char encoding) { return encoding == 1 || encoding == 2; }

// Position of the terminator of the string at from, npos when it has none.
// Wide strings end in two zero bytes on a character boundary.
size_t StringEnd(unsigned char encoding, std::string_view s, size_t from) {
  if (!Wide(encoding)) return s.find('\0', from);
  for (size_t i = from; i + 1 < s.size(); i += 2)
    if (s[i] == '\0' && s[i + 1] == '\0') return i;
  return npos;
}

// One character of UTF-8 at *at; a malformed or overlong sequence reads as
// U+FFFD and moves one byte on, so both platforms see the same text.
uint32_t NextUtf8(std::string_view s, size_t* at) {
  const auto b = static_cast<unsigned char>(s[*at]);
  const size_t n = b < 0x80 ? 1 : b < 0xC2 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF5 ? 4 : 0;
  if (n == 1 || n == 0 || s.size() - *at < n) {
    ++*at;
    return n == 1 ? b : kReplacement;
  }
  uint32_t c = b & (0x7Fu >> n);
  for (size_t i = 1; i < n; ++i) {
    const auto next = static_cast<unsigned char>(s[*at + i]);
    if ((next & 0xC0) != 0x80) {
      ++*at;
      return kReplacement;
    }
    c = (c << 6) | (next & 0x3Fu);
  }
  constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kLeast[n] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) {
    ++*at;
    return kReplacement;
  }
  *at += n;
  return c;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
    return;
  }
  constexpr unsigned kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
  const int n = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
  out += static_cast<char>(kLead[n] | (c >> (6 * (n - 1))));
  for (int i = n - 2; i >= 0; --i) out += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
}

void AppendUtf16Le(std::string& out, uint32_t c) {
  auto unit = [&](uint32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  if (c < 0x10000) return unit(c);
  unit(0xD800 + ((c - 0x10000) >> 10));
  unit(0xDC00 + ((c - 0x10000) & 0x3FF));
}

// In encoding 1 each string opens with a byte-order mark, little-endian
// where it has none. Anywhere else U+FEFF is an invisible space and is
// dropped, as in every encoding, and U+FFFE is no character.
std::string Utf16ToUtf8(std::string_view s, unsigned char encoding) {
  std::string out;
  bool bigEndian = encoding == 2, stringStart = encoding == 1;
  uint32_t high = 0;  // a high surrogate waiting for its pair
  for (size_t i = 0; i + 1 < s.size(); i += 2) {
    const auto a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]);
    const uint32_t u = bigEndian ? (a << 8 | b) : (b << 8 | a);
    if (high && (u < 0xDC00 || u >= 0xE000)) AppendUtf8(out, kReplacement);
    if (stringStart && (u == 0xFEFF || u == 0xFFFE)) {
      bigEndian ^= u == 0xFFFE;
      stringStart = false;
      continue;
    }
    stringStart = encoding == 1 && u == 0;
    if (u >= 0xDC00 && u < 0xE000) {
      AppendUtf8(out, high ? 0x10000 + ((high - 0xD800) << 10) + (u - 0xDC00) : kReplacement);
      high = 0;
      continue;
    }
    high = 0;
    if (u >= 0xD800 && u < 0xDC00)
      high = u;
    else if (u != 0 && u != 0xFEFF)
      AppendUtf8(out, u);
  }
  if (high) AppendUtf8(out, kReplacement);
  return out;
}

std::string WithoutZeros(std::string_view s) {
  std::string out;
  for (char c : s)
    if (c != '\0') out += c;
  return out;
}

// Where COMM and WXXX keep their description, after the encoding byte
// (and COMM's language).
size_t DescriptionAt(const Frame& f) { return f.id == "COMM" ? 4 : f.id == "WXXX" ? 1 : npos; }

// The end of the description, npos when the frame has none or it is not
// terminated.
size_t DescriptionEnd(const Frame& f, std::string_view c) {
  const size_t at = DescriptionAt(f);
  return c.empty() || at == npos || at > c.size() ? npos : StringEnd(c[0], c, at);
}

// Layouts of the frames with encoded strings, after the encoding byte: a
// digit copies that many bytes, 'l' a Latin-1 string and its terminator,
// 's' an encoded one, 'r' the rest; what follows '+' repeats to the end.
struct Layout {
  const char* id;
  const char* layout;
};
constexpr Layout kLayouts[] = {
    {"COMM", "3+s"},  {"USLT", "3+s"},  {"USER", "3+s"},     {"WXXX", "sr"},   {"IPLS", "+s"},
    {"APIC", "l1sr"}, {"GEOB", "lssr"}, {"SYLT", "311s+s4"}, {"OWNE", "l8+s"}, {"COMR", "l8l1sslr"},
};

const char* LayoutOf(const std::string& id) {
  if (id[0] == 'T') return "+s";  // TXXX, TIPL and TMCL hold strings only too
  for (const Layout& l : kLayouts)
    if (id == l.id) return l.layout;
  return nullptr;
}

// One string in UTF-16 with a mark: big-endian text only needs the mark.
void AppendAsUtf16(std::string& out, unsigned char encoding, std::string_view s) {
  if (encoding == 2) {
    out += "\xFE\xFF";
    out.append(s);
    return;
  }
  out += "\xFF\xFE";
  for (size_t i = 0; i < s.size();) AppendUtf16Le(out, NextUtf8(s, &i));
}

}  // namespace

std::string Decode(unsigned char encoding, std::string_view s) {
  // The UTF-8 built here is whole, so the conversion is exact.
  if (Wide(encoding)) return text::FromUtf8Lossy(Utf16ToUtf8(s, encoding));
  if (encoding != 3) return WithoutZeros(s);
  std::string utf8;
  for (size_t i = 0; i < s.size();) {
    uint32_t c = NextUtf8(s, &i);
    if (c && c != 0xFEFF) AppendUtf8(utf8, c);
  }
  return text::FromUtf8Lossy(utf8);
}

// Without a terminated description, everything after the encoding byte is
// the text.
std::string FieldText(const Frame& f) {
  std::string_view c = Payload(f);
  if (c.empty()) return {};
  const auto encoding = static_cast<unsigned char>(c[0]);
  const size_t end = DescriptionEnd(f, c);
  std::string_view text = c.substr(end == npos ? 1 : end + (Wide(encoding) ? 2 : 1));
  // A URL is Latin-1 whatever the description's encoding.
  return f.id == "WXXX" ? WithoutZeros(text) : Decode(encoding, text);
}

bool Described(const Frame& f) {
  std::string_view c = Payload(f);
  const size_t end = DescriptionEnd(f, c), at = DescriptionAt(f);
  return end != npos && end > at && !Decode(c[0], c.substr(at, end - at)).empty();
}

std::string ToUtf16(const Frame& f) {
  const std::string& c = f.content;
  const char* layout = c.empty() || f.format ? nullptr : LayoutOf(f.id);
  const auto encoding = static_cast<unsigned char>(c.empty() ? 0 : c[0]);
  // A comment or URL whose description has no end reads whole (FieldText),
  // which a new encoding of part of it would change.
  if (!layout || (encoding != 2 && encoding != 3) ||
      (DescriptionAt(f) != npos && DescriptionEnd(f, c) == npos))
    return c;
  std::string out(1, '\x01');
  size_t at = 1;
  const char* repeat = nullptr;
  for (const char* op = layout;; ++op) {
    if (!*op) {
      if (!repeat || at >= c.size()) break;
      op = repeat;
    }
    if (*op == '+') {
      repeat = op + 1;
      continue;
    }
    size_t end = c.size();
    if (*op == 'l' || *op == 's') {
      size_t zero = *op == 'l' ? c.find('\0', at) : StringEnd(encoding, c, at);
      end = zero == npos ? c.size() : zero;
      if (*op == 's') {
        AppendAsUtf16(out, encoding, std::string_view(c).substr(at, end - at));
        if (zero != npos) out.append(2, '\0');
        at = zero == npos ? end : zero + (Wide(encoding) ? 2 : 1);
        continue;
      }
      if (zero != npos) ++end;
    } else if (*op != 'r') {
      end = std::min(c.size(), at + static_cast<size_t>(*op - '0'));
    }
    out.append(c, at, end - at);
    at = end;
  }
  return out;
}

}  // namespace tavik::tags::frames
