#include "support/test_support.h"

#include <filesystem>
#include <functional>
#include <random>

#include "platform/platform.h"

namespace tavik::testing {

TempDir::TempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (int i = 0; i < 100; ++i) {
    auto dir = base / ("tavik-test-" + std::to_string(rd()));
    std::error_code ec;
    if (std::filesystem::create_directory(dir, ec)) {
      path_ = FromNativePath(dir.string());
      while (path_.size() > 1 && path_.back() == '\\') path_.pop_back();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(ToNativePath(path_), ec);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  auto f = SystemFileSystem().Open(path, FileAccess::ReadWrite, FileShare::ReadWrite,
                                   FileCreate::OpenAlways);
  return f && f->Seek(0, SeekFrom::Begin) && f->SetEnd() && f->Write(bytes.data(), bytes.size());
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  auto f = SystemFileSystem().Open(path, FileAccess::Read, FileShare::ReadWrite,
                                   FileCreate::OpenExisting);
  if (!f) return false;
  int64_t size = f->Size();
  if (size < 0) return false;
  bytes->assign(static_cast<size_t>(size), '\0');
  size_t got = 0;
  return f->Read(bytes->data(), bytes->size(), &got) && got == bytes->size();
}

}  // namespace tavik::testing
