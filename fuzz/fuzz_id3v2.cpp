// ID3v2 reader, frame texts, genres and the frames a rewrite keeps; a
// rewrite or removal of whatever the input holds must keep every byte after
// the old tag.
#include <cstdint>

#include "memory_file.h"
#include "tags/genres.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

using namespace tavik;
using namespace tavik::tags;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string_view view(bytes);
  for (const char* id : {"TIT2", "TPE1", "TALB", "TYER", "TRCK", "TCON", "COMM", "TOPE", "TCOP",
                         "TCOM", "WXXX", "TENC"}) {
    std::string t = ReadFrameText(view, id);
    FUZZ_CHECK(t.find('\0') == std::string::npos && t.size() <= size);
  }

  // A genre is a name from the table or a piece of the text itself.
  std::string genre = ResolveGenre(view);
  bool isName = false;
  for (const char* name : GenreNames) isName = isName || genre == name;
  FUZZ_CHECK(isName || view.find(genre) != std::string_view::npos);

  fuzz::MemoryFile file(bytes);
  TagFields f;
  std::string tcon;
  bool has = HasId3v2(file);
  FUZZ_CHECK(ReadId3v2(file, f, &tcon) == has);

  // A rebuild that keeps every field reads as the tag did, and is itself
  // rebuilt byte for byte: what the walk keeps, it keeps whole.
  const KeptSlots all = {&TagFields::title,   &TagFields::artist,   &TagFields::album,
                         &TagFields::track,   &TagFields::year,     &TagFields::genre,
                         &TagFields::comment, &TagFields::composer, &TagFields::origArtist,
                         &TagFields::rights,  &TagFields::url,      &TagFields::encodedBy};
  TagFields stored = f;
  stored.genre = tcon;
  // (Refused, empty, where the walk cannot account for every byte.)
  const std::string rebuilt = BuildId3v2(stored, view, all);
  FUZZ_CHECK(rebuilt.empty() || BuildId3v2({}, rebuilt, all) == rebuilt);
  fuzz::MemoryFile rebuiltFile(rebuilt.empty() ? BuildId3v2(stored) : rebuilt);
  TagFields again;
  FUZZ_CHECK(ReadId3v2(rebuiltFile, again));
  if (has)
    for (std::string TagFields::*slot : all) FUZZ_CHECK(again.*slot == f.*slot);
  int64_t extent = has ? Id3v2TagSize(file) : 0;
  FUZZ_CHECK(extent >= 0);
  // Nor may a tag reach into the ID3v1 tag.
  bool fits = extent <= static_cast<int64_t>(size) - (HasId3v1(file) ? kId3v1Size : 0);

  fuzz::MemoryFile rewrite(bytes);
  bool wrote = WriteId3v2(rewrite, f);
  const std::string built = fits ? BuildId3v2(f, bytes.substr(0, static_cast<size_t>(extent))) : "";
  FUZZ_CHECK(wrote == !built.empty());
  if (wrote) {
    FUZZ_CHECK(rewrite.data == built + bytes.substr(static_cast<size_t>(extent)));
    TagFields back;
    FUZZ_CHECK(ReadId3v2(rewrite, back));
  } else {
    FUZZ_CHECK(rewrite.data == bytes);
  }

  fuzz::MemoryFile removal(bytes);
  FUZZ_CHECK(DeleteId3v2(removal) == fits);
  FUZZ_CHECK(removal.data == (fits ? bytes.substr(static_cast<size_t>(extent)) : bytes));
  return 0;
}
