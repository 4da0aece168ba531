#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "text/gbk.h"

namespace tavik {

namespace {

// One iconv conversion, kept open for the characters of one string.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Appends the conversion of all of in, or nothing and false.
  bool Append(std::string_view in, std::string& out) {
    if (!ok()) return false;
    char buffer[16];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0) return false;
    out.append(buffer, dst - buffer);
    return true;
  }

 private:
  iconv_t cd_;
};

// The single bytes of code page 936 beside ASCII, as Windows maps them.
constexpr char kEuroUtf8[] = "\xE2\x82\xAC";  // 0x80
constexpr char kFFUtf8[] = "\xEF\xA3\xB5";    // 0xFF: U+F8F5

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

// Character by character, stepped as Windows steps code page 936, so that a
// byte the check of a name saw as "/" or "\" comes out as that byte and
// nothing hides in an unconvertible pair. A lead byte without its trail
// becomes "?", as the ANSI API does. The user-defined pairs that GBK leaves
// out get the private-use characters Windows gives them (as GB18030 does).
std::string GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  Converter gbkTo("UTF-8", "GBK"), gb18030To("UTF-8", "GB18030");
  std::string out;
  out.reserve(gbk.size() * 3 / 2 + 4);
  for (size_t i = 0; i < gbk.size();) {
    const size_t n = text::CharLength(gbk, i);
    const unsigned char b = static_cast<unsigned char>(gbk[i]);
    std::string_view ch = gbk.substr(i, n);
    if (b < 0x80)
      out += gbk[i];
    else if (b == 0x80)
      out += kEuroUtf8;
    else if (b == 0xFF)
      out += kFFUtf8;
    else if (n == 1 || !(gbkTo.Append(ch, out) || gb18030To.Append(ch, out)))
      out += '?';
    i += n;
  }
  return out;
}

// Each UTF-8 sequence becomes one character of code page 936 or "?" (two
// for a character beyond the BMP, which Windows holds as two UTF-16 units).
std::string Utf8ToGbk(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  Converter toGbk("GBK", "UTF-8"), toGb18030("GB18030", "UTF-8");
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    n = std::min(n, utf8.size() - i);
    std::string_view ch = utf8.substr(i, n);
    if (b < 0x80) {
      out += utf8[i];
    } else if (ch == kFFUtf8) {
      out += '\xFF';
    } else if (!toGbk.Append(ch, out)) {
      // GB18030 agrees with code page 936 on its two-byte characters only.
      size_t mark = out.size();
      if (!toGb18030.Append(ch, out) || out.size() - mark != 2) {
        out.resize(mark);
        out.append(n == 4 ? 2 : 1, '?');
      }
    }
    i += n;
  }
  return out;
}

// "\" is mapped after conversion, never on GBK bytes, where it may be a
// trail byte.
std::string ToNativePath(const std::string& path) {
  std::string s = GbkToUtf8(path);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

// A "\" inside a Linux name has no Windows form: it comes out as "?", which
// the file layer refuses, rather than as a separator that would lead to some
// other file.
std::string FromNativePath(const std::string& native) {
  std::string s = native;
  for (char& c : s)
    if (c == '\\' || c == '/') c = c == '/' ? '\\' : '?';
  if (IsAscii(s)) return s;  // most names: no second copy
  return Utf8ToGbk(s);
}

std::string ExecutableDirectory() {
  if (const char* home = std::getenv("TAVIK_HOME"); home && *home) {
    std::string dir = FromNativePath(home);
    while (dir.size() > 1 && dir.back() == '\\') dir.pop_back();
    return dir;
  }
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "\\";
  std::string exe = FromNativePath(std::string(buf, n));
  size_t slash = text::FindLast(exe, '\\');
  if (slash == text::npos || slash == 0) return "\\";
  return exe.substr(0, slash);
}

}  // namespace tavik
