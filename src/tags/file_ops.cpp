#include "tags/file_ops.h"

#include <algorithm>
#include <vector>

namespace tavik::tags {
namespace {

bool WriteAt(File& file, int64_t at, const char* data, size_t n) {
  return file.Seek(at, SeekFrom::Begin) && file.Write(data, n);
}

bool CopyWithin(File& file, int64_t from, int64_t to, size_t n, char* buffer) {
  size_t got = 0;
  return file.Seek(from, SeekFrom::Begin) && file.Read(buffer, n, &got) && got == n &&
         WriteAt(file, to, buffer, n);
}

size_t Block(int64_t remaining) {
  return static_cast<size_t>(std::min<int64_t>(remaining, static_cast<int64_t>(kMoveBlockBytes)));
}

}  // namespace

bool ReplaceBytes(File& file, int64_t count, std::string_view bytes) {
  const int64_t pos = file.Tell();
  const int64_t size = file.Size();
  if (pos < 0 || size < 0 || count < 0 || pos > size || count > size - pos) {
    if (pos >= 0) file.Seek(pos, SeekFrom::Begin);
    return false;
  }
  const int64_t len = static_cast<int64_t>(bytes.size());
  const int64_t delta = len - count;
  const int64_t restStart = pos + count;  // old offset of what follows the range
  const int64_t newEnd = size + delta;
  // Until the first old byte is overwritten a failure leaves the file as it
  // was, once any growth is cut off again.
  bool overwrote = false;
  auto fail = [&] {
    if (delta > 0 && !overwrote && file.Seek(size, SeekFrom::Begin)) file.SetEnd();
    file.Seek(pos, SeekFrom::Begin);
    return false;
  };
  auto overwrite = [&](int64_t at, const char* data, size_t n) {
    if (!file.Seek(at, SeekFrom::Begin)) return false;
    overwrote = true;
    return file.Write(data, n);
  };

  if (delta == 0) {
    return WriteAt(file, pos, bytes.data(), bytes.size()) || fail();
  }

  std::vector<char> buffer(Block(std::max<int64_t>(size - restStart, 1)));
  if (delta > 0) {
    // First the part past the old end, with its final contents: the only
    // step that needs new space, and it overwrites nothing.
    int64_t at = size;
    if (at < pos + len) {
      if (!WriteAt(file, at, bytes.data() + (at - pos), static_cast<size_t>(pos + len - at))) return fail();
      at = pos + len;
    }
    while (at < newEnd) {
      size_t n = Block(newEnd - at);
      if (!CopyWithin(file, at - delta, at, n, buffer.data())) return fail();
      at += static_cast<int64_t>(n);
    }
    // The rest of what follows moves up, last block first, so no block is
    // overwritten before it has been read.
    int64_t end = std::max(size, pos + len) - delta;
    while (end > restStart) {
      size_t n = Block(end - restStart);
      end -= static_cast<int64_t>(n);
      size_t got = 0;
      if (!file.Seek(end, SeekFrom::Begin) || !file.Read(buffer.data(), n, &got) || got != n) return fail();
      if (!overwrite(end + delta, buffer.data(), n)) return fail();
    }
    size_t head = static_cast<size_t>(std::min(len, size - pos));
    return overwrite(pos, bytes.data(), head) || fail();
  }

  // Shrinking: what follows moves down, first block first.
  for (int64_t at = restStart; at < size;) {
    size_t n = Block(size - at);
    if (!CopyWithin(file, at, at + delta, n, buffer.data())) return fail();
    at += static_cast<int64_t>(n);
  }
  if (!WriteAt(file, pos, bytes.data(), bytes.size())) return fail();
  return (file.Seek(newEnd, SeekFrom::Begin) && file.SetEnd()) || fail();
}

bool RemoveBytes(File& file, int64_t count) { return ReplaceBytes(file, count, {}); }

bool InsertBytes(File& file, std::string_view bytes) { return ReplaceBytes(file, 0, bytes); }

}  // namespace tavik::tags
