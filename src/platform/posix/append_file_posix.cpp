#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/append_file.h"
#include "platform/platform.h"

namespace tavik {
namespace {

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

class PosixAppendFile final : public AppendFile {
 public:
  PosixAppendFile(int fd, std::string native) : fd_(fd), native_(std::move(native)) {}
  ~PosixAppendFile() override { close(fd_); }

  bool Append(std::string_view bytes) override { return WriteAll(fd_, bytes.data(), bytes.size()); }

  bool Sync() override {
    if (fsync(fd_) != 0) return false;
    // A new file's name lives in its folder, which has a sync of its own.
    size_t slash = native_.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : native_.substr(0, slash);
    int d = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d < 0) return false;
    bool ok = fsync(d) == 0;
    close(d);
    return ok;
  }

 private:
  int fd_;
  std::string native_;
};

class PosixAppendFiles final : public AppendFiles {
 public:
  std::unique_ptr<AppendFile> Create(const std::string& path) override {
    std::string native = ToNativePath(path);
    int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixAppendFile>(fd, std::move(native));
  }

  bool ReadAll(const std::string& path, std::string* bytes) override {
    int fd = open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes->clear();
    char buf[65536];
    bool ok = true;
    for (;;) {
      ssize_t r = read(fd, buf, sizeof buf);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) {
        ok = r == 0;
        break;
      }
      bytes->append(buf, static_cast<size_t>(r));
    }
    close(fd);
    return ok;
  }

  bool Remove(const std::string& path) override { return unlink(ToNativePath(path).c_str()) == 0; }
};

}  // namespace

AppendFiles& SystemAppendFiles() {
  static PosixAppendFiles files;
  return files;
}

}  // namespace tavik
