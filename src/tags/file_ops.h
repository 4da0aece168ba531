// In-place edits of an open file: the bytes after the edited range move, the
// file is never copied to a second file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace tavik::tags {

// Size of the one buffer that moves file contents.
constexpr size_t kMoveBlockBytes = 64 * 1024;

// Replaces the count bytes at the current position by bytes; what follows
// moves once, by the difference. A file that grows is first brought to its
// final length, so a full disk fails before any old byte is overwritten and
// the file is then left as it was. Equal lengths overwrite in place. On
// failure the position is restored and false is returned; after success it
// is unspecified.
bool ReplaceBytes(File& file, int64_t count, std::string_view bytes);

// Removes count bytes at the current position (at most up to the end).
bool RemoveBytes(File& file, int64_t count);
// Inserts bytes at the current position.
bool InsertBytes(File& file, std::string_view bytes);

}  // namespace tavik::tags
