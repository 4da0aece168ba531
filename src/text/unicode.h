// The program's only conversions between its own text (GB18030 as code page
// 936 writes it: 936's bytes where 936 has the character, GB18030's
// four-byte form for every other Unicode scalar value) and UTF-16 / UTF-8.
// Exact both ways; input with no form (a lone surrogate, bytes that are no
// character) makes the call return false. The Lossy forms put "?" in its
// place, for texts that must be shown whatever they hold.
#pragma once
#include <string>
#include <string_view>

namespace tavik::text {

bool ToUtf16(std::string_view text, std::u16string& out);
bool FromUtf16(std::u16string_view utf16, std::string& out);
bool ToUtf8(std::string_view text, std::string& out);
bool FromUtf8(std::string_view utf8, std::string& out);

// Whether the character at pos (as CharLength steps) has a Unicode value:
// not a lead byte alone, nor a four-byte form of no character.
bool IsCharacterAt(std::string_view text, size_t pos);

std::u16string ToUtf16Lossy(std::string_view text);
std::string FromUtf16Lossy(std::u16string_view utf16);
std::string ToUtf8Lossy(std::string_view text);
std::string FromUtf8Lossy(std::string_view utf8);

}  // namespace tavik::text
