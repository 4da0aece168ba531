// The ID3v2 tag at the start of the file: read in versions 2.2 to 2.4 as
// other tag readers read it, written as ID3v2.3.0 from a fixed template of
// one frame per text of the record.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
// The GBK text of the first readable frame of that name (of COMM, the one
// the comment is read from), empty when none.
std::string ReadFrameText(std::string_view tagBytes, const char* id);
std::string ResolveGenre(std::string_view tcon);
// Slots whose text a rewrite takes from the old tag's frame, as it was
// written there, rather than from the record.
using KeptSlots = std::vector<std::string TagFields::*>;
// The template's frames, then the other frames of oldTag (header included),
// in their order and ID3v2.3 form, then the padding. A kept slot's first
// frame stands in the template's place; the slots written from the record
// replace all of theirs. Empty where the old tag holds bytes that are no
// frame it can carry, no field and no padding: nothing may be written
// over those.
std::string BuildId3v2(const TagFields& fields, std::string_view oldTag = {}, const KeptSlots& keep = {});
// Both refuse (false, file untouched) a header whose size runs past the end
// of the file or into its ID3v1 tag; WriteId3v2 also an old tag
// BuildId3v2 refuses.
bool WriteId3v2(File& file, const TagFields& fields, const KeptSlots& keep = {});
bool DeleteId3v2(File& file);
std::array<uint8_t, 4> EncodeSynchsafe(uint32_t value);

}  // namespace tavik::tags
