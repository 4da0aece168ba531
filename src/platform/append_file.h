// A file written in appends that has to outlive the process: the batch
// journal. Apart from FileSystem because it needs what the tag and list
// code never does: a sync to disk, and removal.
#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace tavik {

class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // One system write (write(2), WriteFile) and no buffer of our own: the
  // system keeps what it was given when the process is killed, though not
  // across a power loss unless Sync follows.
  virtual bool Append(std::string_view bytes) = 0;
  // Everything appended so far reaches the disk.
  virtual bool Sync() = 0;
};

class AppendFiles {
 public:
  virtual ~AppendFiles() = default;
  // A new, empty file in place of any earlier one; null when it cannot be.
  virtual std::unique_ptr<AppendFile> Create(const std::string& path) = 0;
  // The whole file; false when it is missing or cannot be read.
  virtual bool ReadAll(const std::string& path, std::string* bytes) = 0;
  virtual bool Remove(const std::string& path) = 0;
};

AppendFiles& SystemAppendFiles();

}  // namespace tavik
