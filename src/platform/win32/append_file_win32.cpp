#include <windows.h>

#include "platform/append_file.h"

namespace tavik {
namespace {

class Win32AppendFile final : public AppendFile {
 public:
  explicit Win32AppendFile(HANDLE h) : h_(h) {}
  ~Win32AppendFile() override { CloseHandle(h_); }

  bool Append(std::string_view bytes) override {
    const char* p = bytes.data();
    size_t n = bytes.size();
    while (n > 0) {
      DWORD chunk = n > 0x10000000 ? 0x10000000 : static_cast<DWORD>(n);
      DWORD w = 0;
      if (!WriteFile(h_, p, chunk, &w, nullptr) || w == 0) return false;
      p += w;
      n -= w;
    }
    return true;
  }

  bool Sync() override { return FlushFileBuffers(h_) != 0; }

 private:
  HANDLE h_;
};

class Win32AppendFiles final : public AppendFiles {
 public:
  std::unique_ptr<AppendFile> Create(const std::string& path) override {
    // Others may read it; nobody else writes it while a batch runs.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32AppendFile>(h);
  }

  bool ReadAll(const std::string& path, std::string* bytes) override {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char buf[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr) != 0) && got > 0) bytes->append(buf, got);
    CloseHandle(h);
    return ok;
  }

  bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }
};

}  // namespace

AppendFiles& SystemAppendFiles() {
  static Win32AppendFiles files;
  return files;
}

}  // namespace tavik
