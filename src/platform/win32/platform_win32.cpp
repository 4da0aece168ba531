// The real Win32 file, profile and encoding services (ANSI API, code page
// 936 on a Chinese system).
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "text/gbk.h"

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

std::wstring Wide(UINT from, std::string_view in) {
  int wn = MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
  std::wstring w(wn, L'\0');
  MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), w.data(), wn);
  return w;
}

std::string Convert(UINT from, UINT to, std::string_view in) {
  if (in.empty()) return {};
  std::wstring w = Wide(from, in);
  int wn = static_cast<int>(w.size());
  int n = WideCharToMultiByte(to, 0, w.data(), wn, nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(to, 0, w.data(), wn, out.data(), n, nullptr, nullptr);
  return out;
}

bool RunningUnderWine() {
  static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

constexpr UINT kGbk = 936;

// The part after the last "\".
std::string_view NameOf(const std::string& path) {
  size_t slash = text::FindLast(path, '\\');
  return std::string_view(path).substr(slash == text::npos ? 0 : slash + 1);
}

// Wine keeps a file under the UTF-8 form of its name and cuts a longer one
// short while the move reports success.
bool FitsLinuxName(std::string_view name) {
  // A GBK byte is at most three bytes of UTF-8.
  return name.size() * 3 <= kLongestLinuxName || Convert(kGbk, CP_UTF8, name).size() <= kLongestLinuxName;
}

// Whether a file other than `from` answers to the name of `to` (in the same
// folder). Windows folds case, so only the file itself answers to another
// spelling of its name; Wine folds case on Linux folders that may hold
// several spellings and takes whichever it meets, and lists them all only
// for a pattern.
bool AnotherFileAnswersTo(const std::string& from, const std::string& to) {
  std::string pattern = to + (RunningUnderWine() ? "*" : "");
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  const std::string_view fromName = NameOf(from);
  const std::wstring toName = Wide(kGbk, NameOf(to));
  bool other = false;
  do {
    std::wstring found = Wide(kGbk, fd.cFileName);
    other = fromName != fd.cFileName &&
            CompareStringOrdinal(found.data(), static_cast<int>(found.size()), toName.data(),
                                 static_cast<int>(toName.size()), TRUE) == CSTR_EQUAL;
  } while (!other && FindNextFileA(h, &fd));
  FindClose(h);
  return other;
}

// Each character of code page 936 as the UTF-16 unit that Windows compares
// names by: its upper case, from the system's own table (RtlUpcaseUnicodeChar
// is what CompareStringOrdinal with ignore-case folds by). Byte pairs that
// are no character get 0 and are kept apart by their bytes.
const std::vector<uint16_t>& FoldTable() {
  static const std::vector<uint16_t> table = [] {
    using Upcase = WCHAR(WINAPI*)(WCHAR);
    auto upcase = reinterpret_cast<Upcase>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlUpcaseUnicodeChar")));
    std::vector<uint16_t> t(65536, 0);
    char bytes[2];
    auto fold = [&](int n, size_t at) {
      WCHAR w[2];
      if (MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes, n, w, 2) == 1)
        t[at] = upcase ? upcase(w[0]) : w[0];
    };
    for (int b = 0; b < 256; ++b) {
      bytes[0] = static_cast<char>(b);
      if (!text::IsLeadByte(static_cast<unsigned char>(b))) {
        fold(1, b);
        continue;
      }
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        bytes[1] = static_cast<char>(trail);
        fold(2, b << 8 | trail);
      }
    }
    return t;
  }();
  return table;
}

bool IsCaseOnlyChange(const std::string& a, const std::string& b) {
  return a != b && text::EqualsIgnoreAsciiCase(a, b);
}

class Win32FileSystem final : public FileSystem {
 public:
  bool List(const std::string& directory, const std::function<void(DirEntry&)>& onEntry) override {
    std::string pattern = directory;
    if (pattern.empty() || pattern.back() != '\\' || text::FindLast(pattern, '\\') != pattern.size() - 1)
      pattern += '\\';
    pattern += "*.*";
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    DirEntry entry;
    do {
      entry.name = fd.cFileName;
      entry.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.hidden = (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
      entry.system = (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
      entry.readOnly = (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
      onEntry(entry);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return true;
  }

  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool IsDirectory(const std::string& path) override {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }

  void NameKey(std::string_view name, std::string& key) override {
    const std::vector<uint16_t>& fold = FoldTable();
    // Written in place: every previewed name is folded at every keystroke.
    // A byte makes at most six: a byte pair that is no character stands as
    // three units.
    key.resize(name.size() * 6);
    char* out = key.data();
    auto put = [&out](uint16_t w) {
      *out++ = static_cast<char>(w & 0xFF);
      *out++ = static_cast<char>(w >> 8);
    };
    for (size_t i = 0; i < name.size();) {
      unsigned b = static_cast<unsigned char>(name[i]);
      size_t length = b < 0x80 ? 1 : text::CharLength(name, i);
      size_t at = length == 2 ? b << 8 | static_cast<unsigned char>(name[i + 1]) : b;
      i += length;
      uint16_t w = fold[at];
      if (w == 0) {
        put(0xFFFF);
        put(static_cast<uint16_t>(at >> 8));
        w = static_cast<uint16_t>(at & 0xFF);
      }
      put(w);
    }
    key.resize(static_cast<size_t>(out - key.data()));
  }

  bool LengthFits(std::string_view folder, std::string_view name) override {
    return folder.size() + name.size() <= kLongestPath && (!RunningUnderWine() || FitsLinuxName(name));
  }

  bool Move(const std::string& from, const std::string& to) override {
    std::string_view name = NameOf(to);
    if (!LengthFits(std::string_view(to).substr(0, to.size() - name.size()), name)) return false;
    if (!IsCaseOnlyChange(from, to)) return MoveFileA(from.c_str(), to.c_str()) != 0;
    // Wine reports success for a change of letter case alone and keeps the
    // old name; going through a unique intermediate name works everywhere,
    // as long as the steps on and back are sure to find their names free
    // and the intermediate path can serve as a source.
    if (AnotherFileAnswersTo(from, to)) return false;
    size_t slash = text::FindLast(from, '\\');
    std::string dir = slash == text::npos ? std::string() : from.substr(0, slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string temp = dir + "~tvk" + std::to_string(GetCurrentProcessId()) + "_" +
                         std::to_string(GetTickCount() + attempt) + ".tmp";
      if (temp.size() > kLongestPath) return false;
      if (GetFileAttributesA(temp.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
      if (!MoveFileA(from.c_str(), temp.c_str())) return false;
      if (MoveFileA(temp.c_str(), to.c_str())) return true;
      MoveFileA(temp.c_str(), from.c_str());
      return false;
    }
    return false;
  }

  std::unique_ptr<File> Open(const std::string& path, FileAccess access, FileShare share,
                             FileCreate create) override {
    DWORD desired = GENERIC_READ | (access == FileAccess::ReadWrite ? GENERIC_WRITE : 0);
    DWORD shareMode = (static_cast<unsigned>(share) & 1 ? FILE_SHARE_READ : 0) |
                      (static_cast<unsigned>(share) & 2 ? FILE_SHARE_WRITE : 0);
    DWORD disposition = create == FileCreate::OpenAlways ? OPEN_ALWAYS : OPEN_EXISTING;
    HANDLE h =
        CreateFileA(path.c_str(), desired, shareMode, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(h);
  }
};

class Win32Profile final : public Profile {
 public:
  std::string Get(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& fallback, size_t maxLength) override {
    std::vector<char> buffer(maxLength + 1);
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                       static_cast<DWORD>(buffer.size()), file.c_str());
    return std::string(buffer.data(), n);
  }
  bool Put(const std::string& file, const std::string& section, const std::string& key,
           const std::string& value) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

Profile& SystemProfile() {
  static Win32Profile profile;
  return profile;
}

std::string GbkToUtf8(std::string_view gbk) { return Convert(CP_ACP, CP_UTF8, gbk); }
std::string Utf8ToGbk(std::string_view utf8) { return Convert(CP_UTF8, CP_ACP, utf8); }

std::string ToNativePath(const std::string& path) { return path; }
std::string FromNativePath(const std::string& native) { return native; }

std::string ExecutableDirectory() {
  std::string dir;
  if (const char* home = std::getenv("TAVIK_HOME"); home && *home) {
    dir = home;
  } else {
    char buf[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    dir.assign(buf, n);
    size_t slash = text::FindLast(dir, '\\');
    dir = slash == text::npos ? std::string() : dir.substr(0, slash);
  }
  // A root keeps its backslash ("C:\"), anything else loses it.
  while (dir.size() > 3 && dir.back() == '\\' && text::FindLast(dir, '\\') == dir.size() - 1) dir.pop_back();
  if (dir.size() == 2 && dir[1] == ':') dir += '\\';
  return dir;
}

}  // namespace tavik
