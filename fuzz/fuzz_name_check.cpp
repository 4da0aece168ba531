// The check of new names against the system's own conversion of code page
// 936: a name it lets through never converts to one holding a separator, a
// device or wildcard character or a control character. Natively the Linux
// stand-in's conversion is held against it as well.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "memory_file.h"
#include "platform/platform.h"
#include "rename/rules.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

using namespace tavik;

namespace {

#ifdef _WIN32
std::vector<uint32_t> SystemForm(const std::string& name) {
  int n = MultiByteToWideChar(936, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  std::wstring w(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(936, 0, name.data(), static_cast<int>(name.size()), w.data(), n);
  return std::vector<uint32_t>(w.begin(), w.end());
}
#else
// iconv's GB18030 shares the two-byte characters of code page 936; where it
// stops, Windows has 0x80 and 0xFF as characters and makes any other byte
// the default character "?", going on with the next byte.
std::vector<uint32_t> SystemForm(const std::string& name) {
  static iconv_t cd = iconv_open("UTF-32LE", "GB18030");
  FUZZ_CHECK(cd != reinterpret_cast<iconv_t>(-1));
  // Every byte gives at most one character.
  std::vector<uint32_t> out(name.size());
  char* src = const_cast<char*>(name.data());
  size_t left = name.size();
  char* dst = reinterpret_cast<char*>(out.data());
  size_t room = out.size() * sizeof(uint32_t);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  while (left > 0 && iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1)) {
    unsigned char b = static_cast<unsigned char>(*src);
    uint32_t c = b == 0x80 ? 0x20AC : b == 0xFF ? 0xF8F5 : '?';
    std::memcpy(dst, &c, sizeof c);
    dst += sizeof c;
    room -= sizeof c;
    ++src;
    --left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize((dst - reinterpret_cast<char*>(out.data())) / sizeof(uint32_t));
  return out;
}
#endif

bool Refused(uint32_t c) {
  if (c < 0x20) return true;
  for (char r : std::string_view("\\/:*?\"<>|"))
    if (c == static_cast<unsigned char>(r)) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name(reinterpret_cast<const char*>(data), size);
  if (!rename::IsPlainFileName(name)) return 0;
  for (uint32_t c : SystemForm(name)) FUZZ_CHECK(!Refused(c));
#ifndef _WIN32
  // What the Linux file layer is given for the name.
  for (char c : ToNativePath(name)) FUZZ_CHECK(!Refused(static_cast<unsigned char>(c)));
#endif
  return 0;
}
