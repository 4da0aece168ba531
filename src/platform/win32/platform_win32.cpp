// The real Win32 file services, through the wide calls: every name goes
// to and from UTF-16 by the program's own conversion, so none depends on
// the system code page.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/wide.h"
#include "text/gbk.h"
#include "text/unicode.h"

namespace tavik {
namespace {

class Win32File final : public File {
 public:
  explicit Win32File(HANDLE h) : h_(h) {}
  ~Win32File() override { CloseHandle(h_); }
  bool Seek(int64_t offset, SeekFrom from) override {
    LARGE_INTEGER li;
    li.QuadPart = offset;
    DWORD method = from == SeekFrom::Begin ? FILE_BEGIN : from == SeekFrom::End ? FILE_END : FILE_CURRENT;
    return SetFilePointerEx(h_, li, nullptr, method) != 0;
  }
  int64_t Tell() override {
    LARGE_INTEGER zero{}, pos{};
    if (!SetFilePointerEx(h_, zero, &pos, FILE_CURRENT)) return -1;
    return pos.QuadPart;
  }
  bool Read(void* buffer, size_t n, size_t* got) override {
    size_t total = 0;
    while (total < n) {
      DWORD chunk = static_cast<DWORD>(n - total > (1u << 30) ? (1u << 30) : n - total), r = 0;
      if (!ReadFile(h_, static_cast<char*>(buffer) + total, chunk, &r, nullptr)) {
        *got = total;
        return false;
      }
      if (r == 0) break;
      total += r;
    }
    *got = total;
    return true;
  }
  bool Write(const void* buffer, size_t n) override {
    size_t total = 0;
    while (total < n) {
      DWORD chunk = static_cast<DWORD>(n - total > (1u << 30) ? (1u << 30) : n - total), w = 0;
      if (!WriteFile(h_, static_cast<const char*>(buffer) + total, chunk, &w, nullptr) || w == 0)
        return false;
      total += w;
    }
    return true;
  }
  bool SetEnd() override { return SetEndOfFile(h_) != 0; }
  int64_t Size() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(h_, &size) ? size.QuadPart : -1;
  }

 private:
  HANDLE h_;
};

bool RunningUnderWine() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

// The part after the last "\".
std::string_view NameOf(std::string_view path) {
  size_t slash = text::FindLast(path, '\\');
  return path.substr(slash == text::npos ? 0 : slash + 1);
}

// UTF-16 units of a text; a text with no exact form counts as too long, as
// no file can be reached by it.
size_t Units(std::string_view s) {
  thread_local std::u16string u;
  return text::ToUtf16(s, u) ? u.size() : SIZE_MAX;
}

// Wine keeps a file under the UTF-8 form of its name and cuts a longer one
// short while the move reports success.
bool FitsLinuxName(std::string_view name) {
  // A byte of the program's text is at most three bytes of UTF-8.
  if (name.size() * 3 <= kLongestLinuxName) return true;
  thread_local std::string utf8;
  return text::ToUtf8(name, utf8) && utf8.size() <= kLongestLinuxName;
}

// The name a find returns for path (no wildcards in it): the file's name as
// the file system holds it.
bool FoundName(const std::wstring& path, std::wstring& name) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(path.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  name = fd.cFileName;
  FindClose(h);
  return true;
}

std::wstring_view WideNameOf(const std::wstring& path) {
  size_t slash = path.rfind(L'\\');
  return std::wstring_view(path).substr(slash == std::wstring::npos ? 0 : slash + 1);
}

// Each UTF-16 unit as Windows compares names by it: its upper case, from
// the system's own table (RtlUpcaseUnicodeChar is what CompareStringOrdinal
// with ignore-case folds by), so every letter folds, not only ASCII.
const std::vector<uint16_t>& FoldTable() {
  static const std::vector<uint16_t> table = [] {
    using Upcase = WCHAR(WINAPI*)(WCHAR);
    auto upcase = reinterpret_cast<Upcase>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlUpcaseUnicodeChar")));
    std::vector<uint16_t> t(65536);
    for (size_t w = 0; w < t.size(); ++w)
      t[w] = upcase ? upcase(static_cast<WCHAR>(w)) : static_cast<uint16_t>(w);
    return t;
  }();
  return table;
}

bool SameFoldedName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  const std::vector<uint16_t>& fold = FoldTable();
  for (size_t i = 0; i < a.size(); ++i)
    if (fold[static_cast<uint16_t>(a[i])] != fold[static_cast<uint16_t>(b[i])]) return false;
  return true;
}

// Whether a file other than `from` answers to the name of `to` (in the same
// folder). Windows folds case, so only the file itself answers to another
// spelling of its name; Wine folds case on Linux folders that may hold
// several spellings and takes whichever it meets, and lists them all only
// for a pattern.
bool AnotherFileAnswersTo(const std::wstring& from, const std::wstring& to) {
  std::wstring pattern = to + (RunningUnderWine() ? L"*" : L"");
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  const std::wstring_view fromName = WideNameOf(from), toName = WideNameOf(to);
  bool other = false;
  do {
    other = fromName != fd.cFileName && SameFoldedName(fd.cFileName, toName);
  } while (!other && FindNextFileW(h, &fd));
  FindClose(h);
  return other;
}

class Win32FileSystem final : public FileSystem {
 public:
  bool List(const std::string& directory, const std::function<void(DirEntry&)>& onEntry) override {
    std::wstring pattern;
    if (!win::WideExact(directory, pattern)) return false;
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L"*.*";
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    DirEntry entry;
    do {
      // A name with no exact form (a lone surrogate) is listed as well as
      // it can be; NameReachable tells the preview it cannot be moved.
      if (!win::NarrowExact(fd.cFileName, entry.name)) entry.name = win::Narrow(fd.cFileName);
      entry.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.hidden = (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
      entry.system = (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
      entry.readOnly = (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
      onEntry(entry);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return true;
  }

  bool Exists(const std::string& path) override { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

  bool IsDirectory(const std::string& path) override {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }

  // "?" is in no name Windows holds: it stands for what had no exact form.
  bool NameReachable(std::string_view name) override {
    return text::FindFirst(name, '?') == text::npos && Units(name) != SIZE_MAX;
  }

  void NameKey(std::string_view name, std::string& key) override {
    const std::vector<uint16_t>& fold = FoldTable();
    // Written in place: every previewed name is folded at every keystroke,
    // and most are ASCII, folded byte by byte with no conversion.
    key.resize(name.size() * 2);
    size_t ascii = 0;
    for (char* out = key.data(); ascii < name.size(); ++ascii) {
      const auto b = static_cast<unsigned char>(name[ascii]);
      if (b >= 0x80) break;
      *out++ = static_cast<char>(fold[b] & 0xFF);
      *out++ = static_cast<char>(fold[b] >> 8);
    }
    if (ascii == name.size()) return;
    thread_local std::u16string units;
    if (!text::ToUtf16(name, units)) {
      // Bytes that are no character: kept apart by the bytes themselves,
      // behind a unit that no folded name holds.
      key.assign("\xFF\xFF");
      key.append(name);
      return;
    }
    key.resize(units.size() * 2);
    char* out = key.data();
    for (char16_t u : units) {
      uint16_t w = fold[u];
      *out++ = static_cast<char>(w & 0xFF);
      *out++ = static_cast<char>(w >> 8);
    }
  }

  // Windows counts UTF-16 units: MAX_PATH with the terminator for the path,
  // 255 for a name.
  bool LengthFits(std::string_view folder, std::string_view name) override {
    // No text has more units than bytes.
    if (folder.size() + name.size() > kLongestPath || name.size() > kLongestName) {
      size_t nameUnits = Units(name);
      if (nameUnits > kLongestName || nameUnits == SIZE_MAX) return false;
      size_t folderUnits = Units(folder);
      if (folderUnits == SIZE_MAX || folderUnits + nameUnits > kLongestPath) return false;
    }
    return !RunningUnderWine() || FitsLinuxName(name);
  }

  bool Move(const std::string& from, const std::string& to) override {
    std::string_view name = NameOf(to);
    if (!LengthFits(std::string_view(to).substr(0, to.size() - name.size()), name)) return false;
    std::wstring wideFrom, wideTo;
    if (!NameReachable(NameOf(from)) || !win::WideExact(from, wideFrom) || !win::WideExact(to, wideTo))
      return false;
    std::string keyFrom, keyTo;
    NameKey(from, keyFrom);
    NameKey(to, keyTo);
    bool caseOnly = from != to && keyFrom == keyTo;
    if (!caseOnly) {
      if (!MoveFileW(wideFrom.c_str(), wideTo.c_str())) return false;
    } else if (!MoveThroughTemporary(wideFrom, wideTo)) {
      return false;
    }
    return Confirm(wideFrom, wideTo);
  }

  std::unique_ptr<File> Open(const std::string& path, FileAccess access, FileShare share,
                             FileCreate create) override {
    std::wstring wide;
    if (!win::WideExact(path, wide)) return nullptr;
    DWORD desired = GENERIC_READ | (access == FileAccess::ReadWrite ? GENERIC_WRITE : 0);
    DWORD shareMode = (static_cast<unsigned>(share) & 1 ? FILE_SHARE_READ : 0) |
                      (static_cast<unsigned>(share) & 2 ? FILE_SHARE_WRITE : 0);
    DWORD disposition = create == FileCreate::OpenAlways ? OPEN_ALWAYS : OPEN_EXISTING;
    HANDLE h =
        CreateFileW(wide.c_str(), desired, shareMode, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(h);
  }

 private:
  static constexpr size_t kLongestName = 255;

  static DWORD Attributes(const std::string& path) {
    std::wstring wide;
    return win::WideExact(path, wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
  }

  // Wine reports success for a change of letter case alone and keeps the
  // old name; going through a unique intermediate name works everywhere,
  // as long as the steps on and back are sure to find their names free
  // and the intermediate path can serve as a source.
  static bool MoveThroughTemporary(const std::wstring& from, const std::wstring& to) {
    if (AnotherFileAnswersTo(from, to)) return false;
    size_t slash = from.rfind(L'\\');
    std::wstring dir = slash == std::wstring::npos ? std::wstring() : from.substr(0, slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::wstring temp = dir + L"~tvk" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                          std::to_wstring(GetTickCount() + attempt) + L".tmp";
      if (temp.size() > kLongestPath) return false;
      if (GetFileAttributesW(temp.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
      if (!MoveFileW(from.c_str(), temp.c_str())) return false;
      if (MoveFileW(temp.c_str(), to.c_str())) return true;
      MoveFileW(temp.c_str(), from.c_str());
      return false;
    }
    return false;
  }

  // A move is done when the file answers to the new name exactly as the
  // file system shows it: a file system may report success and keep another
  // spelling (a case change, or a form it normalises to). Otherwise the file
  // goes back to the name its row shows, and the move failed.
  static bool Confirm(const std::wstring& from, const std::wstring& to) {
    std::wstring found;
    if (!FoundName(to, found)) return false;
    if (found == WideNameOf(to)) return true;
    size_t slash = to.rfind(L'\\');
    std::wstring now = (slash == std::wstring::npos ? std::wstring() : to.substr(0, slash + 1)) + found;
    if (found == WideNameOf(from)) return false;  // reported, never made
    if (SameFoldedName(found, WideNameOf(from)))
      MoveThroughTemporary(now, from);
    else
      MoveFileW(now.c_str(), from.c_str());
    return false;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

std::string ToNativePath(const std::string& path) { return path; }
std::string FromNativePath(const std::string& native) { return native; }

std::string ExecutableDirectory() {
  std::string dir;
  wchar_t buf[32768];
  if (DWORD n = GetEnvironmentVariableW(L"TAVIK_HOME", buf, 32768); n > 0 && n < 32768) {
    dir = win::Narrow(std::wstring_view(buf, n));
  } else {
    n = GetModuleFileNameW(nullptr, buf, 32768);
    dir = win::Narrow(std::wstring_view(buf, n));
    size_t slash = text::FindLast(dir, '\\');
    dir = slash == text::npos ? std::string() : dir.substr(0, slash);
  }
  // A root keeps its backslash ("C:\"), anything else loses it.
  while (dir.size() > 3 && dir.back() == '\\' && text::FindLast(dir, '\\') == dir.size() - 1) dir.pop_back();
  if (dir.size() == 2 && dir[1] == ':') dir += '\\';
  return dir;
}

}  // namespace tavik
