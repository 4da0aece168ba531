// The ID3v2 tag at the start of the file: read in versions 2.2 to 2.4 as
// other tag readers read it, written as ID3v2.3.0 from a fixed template of
// twelve frames.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "tags/tag_fields.h"

namespace tavik::tags {

constexpr int64_t kId3v2HeaderSize = 10;
constexpr size_t kId3v2Padding = 877;

bool HasId3v2(File& file);
// Total size, header included, from the header's size bytes; -1 when they
// cannot be read.
int64_t Id3v2TagSize(File& file);
// tcon, when given, receives the TCON text as stored, before ResolveGenre.
bool ReadId3v2(File& file, TagFields& fields, std::string* tcon = nullptr);
// The GBK text of the frame a field of that name reads, empty when none.
std::string ReadFrameText(std::string_view tagBytes, const char* id);
std::string ResolveGenre(std::string_view tcon);
// The twelve frames, then the carried frames, then the padding.
std::string BuildId3v2(const TagFields& fields, std::string_view carried = {});
// The frames of an existing tag (header included) that a rewrite keeps
// after the twelve it writes, in their order and ID3v2.3 form. Frames that
// cannot be given one or ask to be discarded are left out (see V23Forms).
std::string CarriedFrames(std::string_view tagBytes);
// Both refuse (false, file untouched) a header whose size runs past the end
// of the file or into its ID3v1 tag. A rewrite keeps CarriedFrames.
bool WriteId3v2(File& file, const TagFields& fields);
bool DeleteId3v2(File& file);
std::array<uint8_t, 4> EncodeSynchsafe(uint32_t value);

}  // namespace tavik::tags
