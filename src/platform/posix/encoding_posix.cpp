#include <iconv.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "text/gbk.h"

namespace tavik {

// Converts character by character so that one unconvertible character
// becomes "?" and the rest still comes through, as the ANSI API does.
static std::string Convert(const char* to, const char* from, std::string_view in, size_t maxIn) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.reserve(in.size() * 3 / 2 + 4);
  char buffer[16];
  size_t pos = 0;
  while (pos < in.size()) {
    bool done = false;
    for (size_t len = 1; len <= maxIn && pos + len <= in.size() && !done; ++len) {
      char* src = const_cast<char*>(in.data() + pos);
      size_t srcLeft = len;
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && srcLeft == 0) {
        out.append(buffer, dst - buffer);
        pos += len;
        done = true;
      } else if (errno != EINVAL) {
        break;  // invalid, not just incomplete
      }
    }
    if (!done) {
      // Windows converts through UTF-16, so a character beyond the BMP (two
      // UTF-16 units) becomes "??".
      size_t marks = 1;
      // Skip the whole UTF-8 sequence, or one byte of anything else.
      size_t skip = 1;
      if (maxIn == 4) {
        unsigned char b = static_cast<unsigned char>(in[pos]);
        skip = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        while (skip > 1 && pos + skip > in.size()) --skip;
        if (skip == 4) marks = 2;
      }
      out.append(marks, '?');
      pos += skip;
    }
  }
  iconv_close(cd);
  return out;
}

static bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  return Convert("UTF-8", "GBK", gbk, 2);
}

std::string Utf8ToGbk(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return Convert("GBK", "UTF-8", utf8, 4);
}

// "\" is mapped after conversion, never on GBK bytes, where it may be a
// trail byte.
std::string ToNativePath(const std::string& path) {
  std::string s = GbkToUtf8(path);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

std::string FromNativePath(const std::string& native) {
  std::string s = native;
  for (char& c : s)
    if (c == '/') c = '\\';
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
