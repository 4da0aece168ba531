#include "tags/id3v1.h"

#include <cstring>

#include "tags/file_ops.h"
#include "text/gbk.h"

namespace tavik::tags {
namespace {

enum class Probe { Failed, Absent, Present };

// Reads the last 128 bytes into block; an I/O failure is kept apart from a
// missing tag so that writers do not mistake one for the other.
Probe ProbeId3v1(File& file, char* block) {
  int64_t size = file.Size();
  if (size < 0) return Probe::Failed;
  if (size < kId3v1Size) return Probe::Absent;
  size_t got = 0;
  if (!file.Seek(-kId3v1Size, SeekFrom::End) || !file.Read(block, kId3v1Size, &got) || got != kId3v1Size)
    return Probe::Failed;
  return std::memcmp(block, "TAG", 3) == 0 ? Probe::Present : Probe::Absent;
}

std::string FieldText(const char* block, size_t offset, size_t width) {
  const char* begin = block + offset;
  const void* zero = std::memchr(begin, 0, width);
  return std::string(begin, zero ? static_cast<const char*>(zero) - begin : width);
}

// ID3v1 has code page 936's bytes only: a character it lacks becomes "?",
// as the ANSI API wrote it.
void PutField(std::string& block, size_t offset, size_t width, std::string_view s) {
  std::string cut = text::CutBytes(text::CodePage936Only(s), width);
  block.replace(offset, cut.size(), cut);
}

bool IsSpaceAt(std::string_view s, size_t i, size_t n) {
  return (n == 1 && s[i] == ' ') || (n == 2 && s[i] == '\xA1' && s[i + 1] == '\xA1');
}

}  // namespace

std::string TrimTagSpaces(std::string_view s) {
  size_t begin = s.size(), end = 0;
  for (size_t i = 0; i < s.size();) {
    size_t n = text::CharLength(s, i);
    if (!IsSpaceAt(s, i, n)) {
      if (begin == s.size()) begin = i;
      end = i + n;
    }
    i += n;
  }
  return begin < end ? std::string(s.substr(begin, end - begin)) : std::string();
}

bool HasId3v1(File& file) {
  char block[kId3v1Size];
  return ProbeId3v1(file, block) == Probe::Present;
}

int64_t LengthBeforeId3v1(File& file) {
  char block[kId3v1Size];
  Probe probe = ProbeId3v1(file, block);
  if (probe == Probe::Failed) return -1;
  int64_t size = file.Size();
  return size < 0 ? -1 : probe == Probe::Present ? size - kId3v1Size : size;
}

bool ReadId3v1(File& file, TagFields& fields) {
  char block[kId3v1Size];
  if (ProbeId3v1(file, block) != Probe::Present) return false;
  fields.title = TrimTagSpaces(FieldText(block, 3, 30));
  fields.artist = TrimTagSpaces(FieldText(block, 33, 30));
  fields.album = TrimTagSpaces(FieldText(block, 63, 30));
  fields.year = FieldText(block, 93, 4);
  if (block[125] == 0) {
    fields.comment = FieldText(block, 97, 28);
    unsigned char track = static_cast<unsigned char>(block[126]);
    fields.track = track == 0 ? std::string() : text::NumberToText(track);
  } else {
    fields.comment = FieldText(block, 97, 30);
    fields.track.clear();
  }
  fields.genre = text::NumberToText(static_cast<unsigned char>(block[127]));
  return true;
}

std::string BuildId3v1(const TagFields& fields, int genre) {
  std::string block(kId3v1Size, '\0');
  block.replace(0, 3, "TAG");
  PutField(block, 3, 30, fields.title);
  PutField(block, 33, 30, fields.artist);
  PutField(block, 63, 30, fields.album);
  PutField(block, 93, 4, fields.year);
  const std::string& comment = fields.comment;
  const auto track = static_cast<uint8_t>(text::TextToInt(fields.track) & 0xFF);
  if (track != 0) {
    // ID3v1.1: the comment gives up its last two bytes to the marker and the
    // track.
    PutField(block, 97, 28, comment);
    block[125] = 0;
    block[126] = static_cast<char>(track);
  } else {
    PutField(block, 97, 30, comment);
  }
  block[127] = static_cast<char>(genre & 0xFF);
  return block;
}

bool WriteId3v1(File& file, const TagFields& fields, int genre) {
  char old[kId3v1Size];
  Probe probe = ProbeId3v1(file, old);
  if (probe == Probe::Failed) return false;
  std::string block = BuildId3v1(fields, genre);
  if (probe == Probe::Present)
    return file.Seek(-kId3v1Size, SeekFrom::End) && file.Write(block.data(), block.size());
  int64_t end = file.Size();
  if (end < 0 || !file.Seek(end, SeekFrom::Begin)) return false;
  if (file.Write(block.data(), block.size())) return true;
  // A part of a tag appended to a full disk would read as audio.
  if (file.Seek(end, SeekFrom::Begin)) file.SetEnd();
  return false;
}

bool DeleteId3v1(File& file) {
  char block[kId3v1Size];
  Probe probe = ProbeId3v1(file, block);
  if (probe != Probe::Present) return probe == Probe::Absent;
  return file.Seek(-kId3v1Size, SeekFrom::End) && RemoveBytes(file, kId3v1Size);
}

}  // namespace tavik::tags
