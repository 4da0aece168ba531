// The ID3v2 tag at the start of the file: read in any version with 8-bit
// frame sizes, written as ID3v2.3.0 from a fixed template of twelve frames.
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
bool ReadId3v2(File& file, TagFields& fields);
std::string ReadFrameText(std::string_view tagBytes, const char* id);
std::string ResolveGenre(std::string_view tcon);
std::string BuildId3v2(const TagFields& fields);
// Both refuse (false, file untouched) a header whose size runs past the end.
bool WriteId3v2(File& file, const TagFields& fields);
bool DeleteId3v2(File& file);
std::array<uint8_t, 4> EncodeSynchsafe(uint32_t value);

}  // namespace tavik::tags
