// The tag dialog's Update on one file: the ID3v1 write or removal, then the
// ID3v2 write or removal, whatever the file holds. The audio between the
// tags and an ID3v1 tag just written must come through unchanged, and an
// ID3v2 header that claims bytes past the audio must be refused.
#include <cstdint>

#include "memory_file.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

using namespace tavik;
using namespace tavik::tags;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  fuzz::MemoryFile original(bytes);
  const std::string before = bytes.substr(0, size - (HasId3v1(original) ? kId3v1Size : 0));

  // The title typed and a genre picked; the dialog keeps the other fields.
  TagFields f;
  f.title = "New";
  f.genre = "(13)Pop";
  const KeptSlots keep = {&TagFields::artist,     &TagFields::album,   &TagFields::track,
                          &TagFields::year,       &TagFields::comment, &TagFields::composer,
                          &TagFields::origArtist, &TagFields::rights,  &TagFields::url,
                          &TagFields::encodedBy};
  const int genre = static_cast<int>(size % 256);
  const std::string block = BuildId3v1({.title = "New"}, genre);

  for (bool writeV1 : {true, false}) {
    for (bool writeV2 : {true, false}) {
      fuzz::MemoryFile file(bytes);
      FUZZ_CHECK(writeV1 ? WriteId3v1(file, {.title = "New"}, genre) : DeleteId3v1(file));
      const std::string tail = writeV1 ? block : std::string();
      FUZZ_CHECK(file.data == before + tail);
      // The header as the ID3v2 step sees it (a short file's header may run
      // on into the ID3v1 tag just written).
      const int64_t v2 = HasId3v2(file) ? Id3v2TagSize(file) : 0;
      const bool fits = v2 <= static_cast<int64_t>(before.size());
      const std::string audio = fits ? before.substr(static_cast<size_t>(v2)) : before;
      // Without the ID3v1 tag the end of the audio may itself look like one;
      // a tag the walk cannot account for is not written over.
      const std::string built = BuildId3v2(f, before.substr(0, static_cast<size_t>(v2)), keep);
      const bool mayRefuse = !fits || (!writeV1 && HasId3v1(file)) || (writeV2 && built.empty());
      const bool ok = writeV2 ? WriteId3v2(file, f, keep) : DeleteId3v2(file);
      FUZZ_CHECK(ok || mayRefuse);
      FUZZ_CHECK(!ok || fits);
      if (!ok) {
        FUZZ_CHECK(file.data == before + tail);
        continue;
      }
      const size_t kept = audio.size() + tail.size();
      FUZZ_CHECK(file.data.size() >= kept &&
                 file.data.compare(file.data.size() - kept, kept, audio + tail) == 0);
      const std::string tag = file.data.substr(0, file.data.size() - kept);
      if (!writeV2) {
        FUZZ_CHECK(tag.empty());
        continue;
      }
      FUZZ_CHECK(tag == built);
      TagFields back;
      FUZZ_CHECK(ReadId3v2(file, back) && back.title == "New" && back.genre == "Pop");
      if (writeV1) {
        // The written tag walks as it was built: a second rewrite is the same.
        const std::string first = file.data;
        FUZZ_CHECK(WriteId3v2(file, f, keep) && file.data == first);
      }
    }
  }
  return 0;
}
