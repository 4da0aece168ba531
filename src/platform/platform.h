// Ports for the operating system. The logic sees Windows-style GBK paths
// ("D:\Music\a.mp3" or, on Linux, "\tmp\x\a.mp3") and nothing else; the
// posix/ and win32/ implementations translate at the boundary.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tavik {

enum class FileAccess { Read, ReadWrite };
// Which access other openers keep while this handle is open.
enum class FileShare : unsigned { None = 0, Read = 1, Write = 2, ReadWrite = 3 };
// OpenExisting fails for a missing file; OpenAlways creates it empty and
// never truncates an existing one.
enum class FileCreate { OpenExisting, OpenAlways };
enum class SeekFrom { Begin, Current, End };

// One open file. Every call reports failure by its result.
class File {
 public:
  virtual ~File() = default;
  virtual bool Seek(int64_t offset, SeekFrom from) = 0;
  virtual int64_t Tell() = 0;  // -1 on failure
  // Reads up to n bytes; *got receives the count (0 at the end of the file).
  virtual bool Read(void* buffer, size_t n, size_t* got) = 0;
  virtual bool Write(const void* buffer, size_t n) = 0;
  // Makes the current position the end of the file (shorter or longer).
  virtual bool SetEnd() = 0;
  virtual int64_t Size() = 0;  // -1 on failure
};

struct DirEntry {
  std::string name;  // no directory
  bool isDirectory = false;
  bool hidden = false;
  bool system = false;
  bool readOnly = false;
};

// The longest full path, in bytes, that the ANSI file functions of Windows
// open: MAX_PATH (260) counts the terminator. Windows moves a file to a
// longer path but will not open it or move it back.
constexpr size_t kLongestPath = 259;
// The longest file name Linux file systems hold, in UTF-8 bytes.
constexpr size_t kLongestLinuxName = 255;

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Calls onEntry for every entry of the directory (its path ending in "\"
  // or not), in the order the system returns them, "." and ".." included
  // where the system returns them. onEntry may take the entry's name; the
  // next entry is written over it. False when the directory cannot be read.
  virtual bool List(const std::string& directory, const std::function<void(DirEntry&)>& onEntry) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  // Renames a file; never replaces an existing target, and refuses a target
  // that could not be used afterwards: longer than kLongestPath, or, where
  // files live on Linux (natively or under Wine), a name longer than
  // kLongestLinuxName.
  virtual bool Move(const std::string& from, const std::string& to) = 0;
  virtual std::unique_ptr<File> Open(const std::string& path, FileAccess access, FileShare share,
                                     FileCreate create) = 0;
  // The form in which this file system compares the names of one folder:
  // two names reach the same file exactly when their keys are equal.
  // Windows folds letter case in every script (as CompareStringOrdinal does
  // with ignore-case); Linux compares bytes.
  virtual void NameKey(std::string_view name, std::string& key) = 0;
  // Whether Move takes folder + name (folder ending in "\\") by its length.
  virtual bool LengthFits(std::string_view folder, std::string_view name) = 0;
};

// One key of an initialisation file, as the private-profile functions do it.
class Profile {
 public:
  virtual ~Profile() = default;
  // Values longer than maxLength bytes are cut to that length.
  virtual std::string Get(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& fallback, size_t maxLength = 10239) = 0;
  virtual bool Put(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) = 0;
};

// The running system's implementations.
FileSystem& SystemFileSystem();
Profile& SystemProfile();

// Directory of the running executable, without a trailing "\" unless it is
// a root. The environment variable TAVIK_HOME (a native path) overrides it,
// so tests and the driver can give the program a temporary home.
std::string ExecutableDirectory();

// A path in this program's form from a native one (Linux: "/tmp/x" ->
// "\tmp\x"; Windows: unchanged), and back.
std::string FromNativePath(const std::string& native);
std::string ToNativePath(const std::string& path);

}  // namespace tavik
