// Files in memory for the tag tests: a plain one with the system's seek,
// read and write rules, and a wrapper that fails its k-th operation.
#pragma once
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace tavik::tags::testing {

class MemoryFile : public File {
 public:
  explicit MemoryFile(std::string bytes = {}, size_t capacity = std::string::npos)
      : data(std::move(bytes)), capacity_(capacity) {}
  std::string data;

  bool Seek(int64_t offset, SeekFrom from) override {
    int64_t base = from == SeekFrom::Begin ? 0 : from == SeekFrom::Current ? pos_ : Size();
    if (base + offset < 0) return false;
    pos_ = base + offset;
    return true;
  }
  int64_t Tell() override { return pos_; }
  bool Read(void* buffer, size_t n, size_t* got) override {
    size_t at = static_cast<size_t>(std::min<int64_t>(pos_, Size()));
    *got = std::min(n, data.size() - at);
    std::memcpy(buffer, data.data() + at, *got);
    pos_ += static_cast<int64_t>(*got);
    return true;
  }
  // Past the capacity (a full disk) the write stores what fits and fails.
  bool Write(const void* buffer, size_t n) override {
    size_t at = static_cast<size_t>(pos_);
    size_t fits = at >= capacity_ ? 0 : std::min(n, capacity_ - at);
    if (at + fits > data.size()) data.resize(at + fits, '\0');
    data.replace(at, fits, static_cast<const char*>(buffer), fits);
    pos_ += static_cast<int64_t>(fits);
    return fits == n;
  }
  bool SetEnd() override {
    if (static_cast<size_t>(pos_) > capacity_) return false;
    data.resize(static_cast<size_t>(pos_), '\0');
    return true;
  }
  int64_t Size() override { return static_cast<int64_t>(data.size()); }

 private:
  int64_t pos_ = 0;
  size_t capacity_;
};

// Operation failAt (counted from 1) fails; with partialWrites a failing write
// stores the first half of its bytes first, as a disk that fills up does.
// Records the first write or cut that reached the bytes the file held at the
// start.
class FaultyFile : public File {
 public:
  FaultyFile(MemoryFile& inner, int failAt, bool partialWrites = false)
      : inner_(inner), failAt_(failAt), partial_(partialWrites), originalSize_(inner.Size()) {}
  int operations = 0;
  int firstOverwrite = 0;  // operation number, 0 while none

  bool Seek(int64_t offset, SeekFrom from) override { return Next() && inner_.Seek(offset, from); }
  int64_t Tell() override { return Next() ? inner_.Tell() : -1; }
  bool Read(void* buffer, size_t n, size_t* got) override {
    *got = 0;
    return Next() && inner_.Read(buffer, n, got);
  }
  bool Write(const void* buffer, size_t n) override {
    bool ok = Next();
    if (n > 0 && firstOverwrite == 0 && inner_.Tell() < originalSize_) firstOverwrite = operations;
    if (ok) return inner_.Write(buffer, n);
    if (partial_) inner_.Write(buffer, n / 2);
    return false;
  }
  bool SetEnd() override {
    bool ok = Next();
    if (firstOverwrite == 0 && inner_.Tell() < originalSize_) firstOverwrite = operations;
    return ok && inner_.SetEnd();
  }
  int64_t Size() override { return Next() ? inner_.Size() : -1; }

 private:
  bool Next() { return ++operations != failAt_; }
  MemoryFile& inner_;
  int failAt_;
  bool partial_;
  int64_t originalSize_;
};

}  // namespace tavik::tags::testing
