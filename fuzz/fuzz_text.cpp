// The conversions between the program's text and UTF-16 / UTF-8: whatever
// one direction accepts, the other gives back byte for byte, and the
// stepping over characters agrees with what the conversion takes as one.
#include <cstdint>
#include <string>
#include <string_view>

#include "memory_file.h"
#include "text/gbk.h"
#include "text/unicode.h"

using namespace tavik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  std::string back, utf8;
  std::u16string utf16;

  // As the program's text.
  bool whole = true;
  size_t half = 0;  // the last boundary at or before size / 2
  for (size_t i = 0; i < in.size(); i += text::CharLength(in, i)) {
    FUZZ_CHECK(i + text::CharLength(in, i) <= in.size());
    whole = whole && text::IsCharacterAt(in, i);
    if (i <= size / 2) half = i;
  }
  if (size / 2 >= in.size() || size / 2 == 0) half = size / 2;
  FUZZ_CHECK(text::BoundaryAtOrBefore(in, size / 2) == half);
  FUZZ_CHECK(text::ToUtf16(in, utf16) == whole);
  FUZZ_CHECK(text::ToUtf8(in, utf8) == whole);
  if (whole) {
    FUZZ_CHECK(text::FromUtf16(utf16, back) && back == in);
    FUZZ_CHECK(text::FromUtf8(utf8, back) && back == in);
    FUZZ_CHECK(text::ToUtf16Lossy(in) == utf16 && text::ToUtf8Lossy(in) == utf8);
  }

  // As UTF-8.
  if (text::FromUtf8(in, back)) {
    FUZZ_CHECK(text::ToUtf8(back, utf8) && utf8 == in);
    FUZZ_CHECK(text::FromUtf8Lossy(in) == back);
  }
  FUZZ_CHECK(text::ToUtf8(text::FromUtf8Lossy(in), utf8));

  // As UTF-16 (little-endian units).
  std::u16string units(size / 2, u'\0');
  for (size_t i = 0; i + 1 < size; i += 2) units[i / 2] = static_cast<char16_t>(data[i] | data[i + 1] << 8);
  if (text::FromUtf16(units, back)) {
    FUZZ_CHECK(text::ToUtf16(back, utf16) && utf16 == units);
  }
  FUZZ_CHECK(text::ToUtf16(text::FromUtf16Lossy(units), utf16));
  return 0;
}
