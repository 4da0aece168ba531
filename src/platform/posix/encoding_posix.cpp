#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "text/gbk.h"
#include "text/unicode.h"

namespace tavik {

// "\" is mapped after conversion, never on the program's bytes, where it
// may be a trail byte. Bytes that are no character come out as "?", which
// the file layer refuses.
std::string ToNativePath(const std::string& path) {
  std::string s = text::ToUtf8Lossy(path);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

// A "\" inside a Linux name has no Windows form: it comes out as "?", which
// the file layer refuses, rather than as a separator that would lead to some
// other file. So do bytes that are no UTF-8.
std::string FromNativePath(const std::string& native) {
  std::string s = native;
  for (char& c : s)
    if (c == '\\' || c == '/') c = c == '/' ? '\\' : '?';
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return text::FromUtf8Lossy(s);
  return s;  // most names: no second copy
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
