// ID3v1 reader: whatever it reads must write back to the same reading, in
// place and without changing the file's length.
#include <cstdint>

#include "memory_file.h"
#include "tags/id3v1.h"
#include "text/gbk.h"

using namespace tavik;
using namespace tavik::tags;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz::MemoryFile file(bytes);
  TagFields first;
  bool has = HasId3v1(file);
  bool read = ReadId3v1(file, first);
  FUZZ_CHECK(has == read);
  if (read) {
    FUZZ_CHECK(TrimTagSpaces(first.title) == first.title);
    FUZZ_CHECK(first.title.size() <= 30 && first.year.size() <= 4 && first.comment.size() <= 30);
    FUZZ_CHECK(WriteId3v1(file, first, text::TextToInt(first.genre)));
    FUZZ_CHECK(file.data.size() == size);
    FUZZ_CHECK(file.data.compare(0, size - 128, bytes, 0, size - 128) == 0);
    TagFields again;
    FUZZ_CHECK(ReadId3v1(file, again));
    FUZZ_CHECK(again.title == first.title && again.artist == first.artist &&
               again.album == first.album && again.year == first.year &&
               again.comment == first.comment && again.track == first.track &&
               again.genre == first.genre);
    FUZZ_CHECK(DeleteId3v1(file) && file.data == bytes.substr(0, size - 128));
  } else {
    FUZZ_CHECK(DeleteId3v1(file) && file.data == bytes);
  }

  // Any texts build a 128-byte block whose fields never end in half a cut
  // character.
  std::string_view in(bytes);
  std::string_view parts[7];
  for (auto& p : parts) {
    size_t n = std::min<size_t>(in.size(), in.empty() ? 0 : static_cast<unsigned char>(in[0]) % 40);
    p = in.substr(in.empty() ? 0 : 1, n);
    in.remove_prefix(std::min(in.size(), n + 1));
  }
  std::string block = BuildId3v1({.title = parts[0], .artist = parts[1], .album = parts[2],
      .track = parts[5], .year = parts[3], .comment = parts[4]}, static_cast<int>(size % 300) - 1);
  FUZZ_CHECK(block.size() == 128 && block.compare(0, 3, "TAG") == 0);
  std::string title = text::CutBytes(parts[0], 30);
  FUZZ_CHECK(block.compare(3, title.size(), title) == 0);
  return 0;
}
