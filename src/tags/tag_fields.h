// The texts of a tag, shared by the ID3v1 and ID3v2 code, the tag
// dialog and the MP3 naming rule. Every slot is a GBK text, empty when absent.
#pragma once
#include <string>

namespace tavik::tags {

struct TagFields {
  std::string title, artist, album, track, year, genre, comment, composer, origArtist, rights, url, encodedBy;
};

}  // namespace tavik::tags
