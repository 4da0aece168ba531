// A file in memory for the fuzz targets.
#pragma once
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace tavik::fuzz {

class MemoryFile : public File {
 public:
  explicit MemoryFile(std::string bytes) : data(std::move(bytes)) {}
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
    if (*got) std::memcpy(buffer, data.data() + at, *got);
    pos_ += static_cast<int64_t>(*got);
    return true;
  }
  bool Write(const void* buffer, size_t n) override {
    size_t at = static_cast<size_t>(pos_);
    if (at + n > data.size()) data.resize(at + n, '\0');
    if (n) std::memcpy(data.data() + at, buffer, n);
    pos_ += static_cast<int64_t>(n);
    return true;
  }
  bool SetEnd() override {
    data.resize(static_cast<size_t>(pos_), '\0');
    return true;
  }
  int64_t Size() override { return static_cast<int64_t>(data.size()); }

 private:
  int64_t pos_ = 0;
};

}  // namespace tavik::fuzz

// A broken invariant is a finding.
#define FUZZ_CHECK(cond) \
  do {                   \
    if (!(cond)) __builtin_trap(); \
  } while (0)
