// The ID3v1 / ID3v1.1 tag: the fixed 128-byte block at the end of the file.
#pragma once
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "tags/tag_fields.h"

namespace tavik::tags {

constexpr int64_t kId3v1Size = 128;

bool HasId3v1(File& file);
// The file's length without its ID3v1 tag: where the audio ends. -1 when the
// file cannot be read.
int64_t LengthBeforeId3v1(File& file);
// Fills title, artist, album, year, comment, track and genre (the genre
// number as text); the other slots keep their values. False, and the record
// untouched, when there is no tag.
bool ReadId3v1(File& file, TagFields& fields);
// genre -1 means none (written as 255). An empty track (or one that reads as
// 0) writes an ID3v1.0 tag with the whole 30-byte comment; a track writes
// ID3v1.1 with the comment cut to 28 bytes.
// Of the fields, title, artist, album, year, comment and track are written.
bool WriteId3v1(File& file, const TagFields& fields, int genre);
// True when the file has no ID3v1 tag afterwards.
bool DeleteId3v1(File& file);

// Removes leading and trailing ASCII spaces and ideographic spaces (A1 A1).
std::string TrimTagSpaces(std::string_view s);

// The 128 bytes WriteId3v1 writes.
std::string BuildId3v1(const TagFields& fields, int genre);

}  // namespace tavik::tags
