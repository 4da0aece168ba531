// The program's text at the wide Win32 calls. Windows' wchar_t is a UTF-16
// unit; the conversions are the program's own (src/text/unicode.h), so no
// text depends on the system code page.
#pragma once
#include <string>
#include <string_view>

#include "text/unicode.h"

namespace tavik::win {

inline std::u16string_view U16(std::wstring_view w) {
  return {reinterpret_cast<const char16_t*>(w.data()), w.size()};
}

// Texts to show or read back: whatever they hold comes out ("?" for what
// has no form on the other side).
inline std::wstring Wide(std::string_view text) {
  std::u16string u = text::ToUtf16Lossy(text);
  return std::wstring(u.begin(), u.end());
}
inline std::string Narrow(std::wstring_view wide) { return text::FromUtf16Lossy(U16(wide)); }

// Names and paths: exact or nothing, so that no file is ever reached under
// a name that only resembles its own.
inline bool WideExact(std::string_view text, std::wstring& out) {
  std::u16string u;
  if (!text::ToUtf16(text, u)) return false;
  out.assign(u.begin(), u.end());
  return true;
}
inline bool NarrowExact(std::wstring_view wide, std::string& out) { return text::FromUtf16(U16(wide), out); }

}  // namespace tavik::win
