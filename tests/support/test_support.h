// Shared test helpers: a fresh temporary directory per test, in the
// program's path form, removed afterwards.
#pragma once
#include <string>

namespace tavik::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The directory without a trailing "\".
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Whole-file helpers over the system file service (GBK paths).
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool ReadWholeFile(const std::string& path, std::string* bytes);

#ifdef _WIN32
// A second spelling of a name in a Linux folder, which Win32 calls cannot
// make under Wine (they fold case): a Linux program makes it. False where
// the folder folds case itself.
bool MakeSecondSpelling(const std::string& dir, const std::string& name);
#endif

}  // namespace tavik::testing
