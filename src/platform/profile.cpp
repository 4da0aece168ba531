// The private-profile functions as this program uses them: sections in
// brackets, key=value lines, ASCII-case-insensitive names, values trimmed,
// and writes that keep every other line. Lines end in CR LF, as Windows
// writes them; CR or LF alone ends a line too when reading. One
// implementation on every system, over the File port: the files hold the
// program's own bytes, which Windows' wide profile functions would decode
// with the system code page.
#include <vector>

#include "platform/platform.h"
#include "text/gbk.h"

namespace tavik {
namespace {

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

bool ReadAll(const std::string& path, std::string* all) {
  auto file = SystemFileSystem().Open(path, FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting);
  int64_t size = file ? file->Size() : -1;
  if (size < 0) return false;
  all->resize(static_cast<size_t>(size));
  size_t got = 0;
  if (!file->Read(all->data(), all->size(), &got)) return false;
  all->resize(got);
  return true;
}

bool ReadLines(const std::string& path, std::vector<std::string>* lines) {
  std::string all;
  if (!ReadAll(path, &all)) return false;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find_first_of("\r\n", start);
    lines->push_back(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + (all.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return true;
}

// The section name of a "[name]" line.
bool SectionOf(const std::string& line, std::string* name) {
  std::string t = Trim(line);
  if (t.empty() || t[0] != '[') return false;
  size_t close = text::FindLast(t, ']');
  *name = Trim(std::string_view(t).substr(1, close == text::npos ? std::string::npos : close - 1));
  return true;
}

bool KeyOf(const std::string& line, std::string* key, std::string* value) {
  std::string t = Trim(line);
  if (t.empty() || t[0] == ';') return false;
  size_t eq = text::FindFirst(t, '=');
  *key = Trim(std::string_view(t).substr(0, eq));
  // The value goes out as a C string: a zero byte ends it.
  std::string_view v = eq == text::npos ? std::string_view() : std::string_view(t).substr(eq + 1);
  *value = Trim(v.substr(0, v.find('\0')));
  return !key->empty();
}

class FileProfile final : public Profile {
 public:
  std::string Get(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& fallback, size_t maxLength) override {
    std::vector<std::string> lines;
    std::string result = fallback;
    if (ReadLines(file, &lines)) {
      bool inSection = false;
      for (const std::string& line : lines) {
        std::string name, k, v;
        if (SectionOf(line, &name)) {
          if (inSection) break;  // the first section of that name decides
          inSection = text::EqualsIgnoreAsciiCase(name, section);
        } else if (inSection && KeyOf(line, &k, &v) && text::EqualsIgnoreAsciiCase(k, key)) {
          if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.substr(1, v.size() - 2);
          result = v;
          break;
        }
      }
    }
    if (result.size() > maxLength) result.resize(maxLength);
    return result;
  }

  bool Put(const std::string& file, const std::string& section, const std::string& key,
           const std::string& value) override {
    std::vector<std::string> lines;
    ReadLines(file, &lines);
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    size_t sectionLine = std::string::npos, insertAt = std::string::npos;
    bool replaced = false;
    for (size_t i = 0; i < lines.size() && !replaced; ++i) {
      std::string name, k, v;
      if (SectionOf(lines[i], &name)) {
        if (sectionLine != std::string::npos) break;
        if (text::EqualsIgnoreAsciiCase(name, section)) sectionLine = insertAt = i;
      } else if (sectionLine != std::string::npos) {
        if (KeyOf(lines[i], &k, &v)) {
          insertAt = i;
          if (text::EqualsIgnoreAsciiCase(k, key)) {
            lines[i] = k + "=" + value;
            replaced = true;
          }
        }
      }
    }
    if (!replaced) {
      if (sectionLine == std::string::npos) {
        lines.push_back("[" + section + "]");
        lines.push_back(key + "=" + value);
      } else {
        lines.insert(lines.begin() + insertAt + 1, key + "=" + value);
      }
    }
    std::string out;
    for (const std::string& line : lines) out += line + "\r\n";
    auto f = SystemFileSystem().Open(file, FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenAlways);
    return f && f->Seek(0, SeekFrom::Begin) && f->Write(out.data(), out.size()) && f->SetEnd();
  }
};

}  // namespace

Profile& SystemProfile() {
  static FileProfile profile;
  return profile;
}

}  // namespace tavik
