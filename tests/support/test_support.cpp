#include "support/test_support.h"

#include <filesystem>
#include <functional>
#include <random>

#include "platform/platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

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

#ifdef _WIN32
bool MakeSecondSpelling(const std::string& dir, const std::string& name) {
  auto spawn = reinterpret_cast<int(__cdecl*)(char* const*, int)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp")));
  auto unixName = reinterpret_cast<char*(__cdecl*)(const wchar_t*)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!spawn || !unixName) return false;
  char* base = unixName(std::wstring(dir.begin(), dir.end()).c_str());  // temp paths are ASCII
  std::string path = std::string(base) + "/" + name;
  HeapFree(GetProcessHeap(), 0, base);
  char* argv[] = {const_cast<char*>("touch"), path.data(), nullptr};
  if (spawn(argv, 1) != 0) return false;
  bool made = false;
  SystemFileSystem().List(dir, [&](const DirEntry& e) { made |= e.name == name; });
  return made;
}
#endif

}  // namespace tavik::testing
