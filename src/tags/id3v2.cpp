#include "tags/id3v2.h"

#include <cstring>
#include <vector>

#include "tags/file_ops.h"
#include "tags/genres.h"
#include "tags/id3v1.h"
#include "tags/id3v2_frames.h"
#include "text/gbk.h"

namespace tavik::tags {
namespace {

enum class Probe { Failed, Absent, Present };

Probe ProbeHeader(File& file, unsigned char* header) {
  size_t got = 0;
  if (!file.Seek(0, SeekFrom::Begin) || !file.Read(header, 3, &got)) return Probe::Failed;
  if (got < 3 || std::memcmp(header, "ID3", 3) != 0) return Probe::Absent;
  if (!file.Read(header + 3, 7, &got)) return Probe::Failed;
  if (got < 7) return Probe::Absent;
  for (int i = 3; i <= 5; ++i)
    if (header[i] == 0xFF) return Probe::Absent;
  for (int i = 6; i <= 9; ++i)
    if (header[i] >= 0x80) return Probe::Absent;
  return Probe::Present;
}

// The whole extent: header, stated size and, in 2.4, a footer, which would
// otherwise stay in front of the audio when the tag is removed.
int64_t SizeFromHeader(const unsigned char* header) {
  const bool footer = header[3] == 4 && (header[5] & 0x10);
  return (int64_t{header[6] & 0x7Fu} << 21) + ((header[7] & 0x7Fu) << 14) + ((header[8] & 0x7Fu) << 7) +
         (header[9] & 0x7Fu) + kId3v2HeaderSize + (footer ? kId3v2HeaderSize : 0);
}

// The old tag's extent for a rewrite or removal: 0 when there is none, -1
// when the header cannot be read or claims more bytes than the audio before
// an ID3v1 tag holds (removing them would cut into that tag). tag, when
// given, receives the old tag's bytes.
int64_t ReplaceableTagSize(File& file, std::string* tag = nullptr) {
  unsigned char header[kId3v2HeaderSize];
  Probe probe = ProbeHeader(file, header);
  if (probe == Probe::Failed) return -1;
  if (probe == Probe::Absent) return 0;
  int64_t tagSize = SizeFromHeader(header);
  int64_t fileSize = file.Size();
  if (fileSize < 0 || tagSize > fileSize) return -1;
  // Only a tag that reaches into the last 128 bytes can meet an ID3v1 tag.
  if (tagSize > fileSize - kId3v1Size) {
    int64_t limit = LengthBeforeId3v1(file);
    if (limit < 0 || tagSize > limit) return -1;
  }
  if (tag) {
    tag->assign(reinterpret_cast<const char*>(header), sizeof header);
    tag->resize(static_cast<size_t>(tagSize));
    size_t want = tag->size() - sizeof header, got = 0;
    if (!file.Seek(kId3v2HeaderSize, SeekFrom::Begin) ||
        !file.Read(tag->data() + sizeof header, want, &got) || got != want)
      return -1;
  }
  return tagSize;
}

// The twelve frames a rewrite builds afresh, in the order it writes them:
// each is its fixed content followed by its slot's text.
struct WrittenFrame {
  const char* id;
  char flags;
  std::string_view fixed;
  std::string TagFields::*slot;
};
using namespace std::string_view_literals;
constexpr std::string_view kTextFixed = "\0"sv;
constexpr WrittenFrame kWritten[] = {
    {"TRCK", 0x00, kTextFixed, &TagFields::track},
    // 0x40: discard the frame when the file is altered.
    {"TENC", 0x40, kTextFixed, &TagFields::encodedBy},
    {"WXXX", 0x00, "\0\0"sv, &TagFields::url},
    {"TCOP", 0x00, kTextFixed, &TagFields::rights},
    {"TOPE", 0x00, kTextFixed, &TagFields::origArtist},
    {"TCOM", 0x00, kTextFixed, &TagFields::composer},
    {"COMM", 0x00, "\0CHS\0"sv, &TagFields::comment},
    {"TCON", 0x00, kTextFixed, &TagFields::genre},
    {"TYER", 0x00, kTextFixed, &TagFields::year},
    {"TALB", 0x00, kTextFixed, &TagFields::album},
    {"TPE1", 0x00, kTextFixed, &TagFields::artist},
    {"TIT2", 0x00, kTextFixed, &TagFields::title},
};

uint32_t BigEndian32(std::string_view s, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i)
    v = (v << 8) | (at + i < s.size() ? static_cast<unsigned char>(s[at + i]) : 0u);
  return v;
}

// A 2.4 size: four 7-bit groups; false when a byte has its high bit set.
bool Synchsafe32(std::string_view s, size_t at, uint32_t* value) {
  *value = 0;
  for (size_t i = 0; i < 4; ++i) {
    auto b = static_cast<unsigned char>(s[at + i]);
    if (b >= 0x80) return false;
    *value = (*value << 7) | b;
  }
  return true;
}

bool IsFrameId(std::string_view id) {
  for (char c : id)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

bool IsWrittenId(std::string_view id) {
  for (const WrittenFrame& w : kWritten)
    if (id == w.id) return true;
  return false;
}

void AppendBigEndian32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void AppendFrame(std::string& tag, const char* id, char flags, std::string_view fixed,
                 std::string_view text) {
  tag.append(id, 4);
  AppendBigEndian32(tag, static_cast<uint32_t>(fixed.size() + text.size()));
  tag += flags;
  tag += '\0';
  tag.append(fixed);
  tag.append(text);
}

// The frame a field reads: the first one with its name that can be read
// and, for the comment, the first without a description (other readers
// take those with one for data such as iTunNORM), else the first.
const frames::Frame* SourceOf(const std::vector<frames::Frame>& frames, std::string_view id) {
  const frames::Frame* first = nullptr;
  for (const frames::Frame& f : frames) {
    if (f.id != id || f.sealed) continue;
    if (id != "COMM" || !frames::Described(f)) return &f;
    if (!first) first = &f;
  }
  return first;
}

}  // namespace

std::array<uint8_t, 4> EncodeSynchsafe(uint32_t value) {
  return {static_cast<uint8_t>((value >> 21) & 0x7F), static_cast<uint8_t>((value >> 14) & 0x7F),
          static_cast<uint8_t>((value >> 7) & 0x7F), static_cast<uint8_t>(value & 0x7F)};
}

bool HasId3v2(File& file) {
  unsigned char header[kId3v2HeaderSize];
  return ProbeHeader(file, header) == Probe::Present;
}

int64_t Id3v2TagSize(File& file) {
  unsigned char header[kId3v2HeaderSize];
  size_t got = 0;
  if (!file.Seek(0, SeekFrom::Begin) || !file.Read(header, sizeof header, &got) || got != sizeof header)
    return -1;
  return SizeFromHeader(header);
}

std::string ReadFrameText(std::string_view tag, const char* id) {
  auto frames = frames::Walk(tag);
  const frames::Frame* f = SourceOf(frames, id);
  return f ? frames::FieldText(*f) : std::string();
}

std::string ResolveGenre(std::string_view s) {
  size_t open = text::FindLast(s, '(');
  size_t close = text::FindFirst(s, ')', open == text::npos ? 0 : open);
  size_t b = open == text::npos ? 0 : open + 1;  // positions counted from 1
  if (close == text::npos) return std::string(s.substr(b));
  size_t r = close + 1;
  if (r - b >= 5) return std::string(s.substr(r));
  int32_t n = text::TextToInt(s.substr(b, r - 1 - b));
  // A number the table does not hold reads like no genre.
  return n >= 0 && n < kGenreCount ? GenreNames[n] : std::string();
}

std::string CarriedFrames(std::string_view tag) {
  std::string out;
  if (tag.size() < kId3v2HeaderSize) return out;
  const auto major = static_cast<unsigned char>(tag[3]);
  const auto flags = static_cast<unsigned char>(tag[5]);
  // 2.2 frames have no 2.3 form; unsynchronised frames would be written
  // into a tag that does not say so.
  if ((major != 3 && major != 4) || (flags & 0x80)) return out;
  size_t at = kId3v2HeaderSize;
  if (flags & 0x40) {
    // Extended header: its size leaves out its own 4 bytes in 2.3 only.
    uint32_t n = 0;
    if (tag.size() - at < 4) return out;
    if (major == 3)
      n = BigEndian32(tag, at);
    else if (!Synchsafe32(tag, at, &n))
      return out;
    const uint64_t skip = uint64_t{n} + (major == 3 ? 4 : 0);
    if (skip > tag.size() - at) return out;
    at += static_cast<size_t>(skip);
  }
  // Padding, a name that is no frame name or a frame running past the tag
  // ends the walk: what follows cannot be told apart safely.
  while (tag.size() - at >= 10) {
    const size_t start = at;
    std::string_view id = tag.substr(at, 4);
    if (!IsFrameId(id)) break;
    uint32_t size = 0;
    if (major == 3)
      size = BigEndian32(tag, at + 4);
    else if (!Synchsafe32(tag, at + 4, &size))
      break;
    if (size > tag.size() - at - 10) break;
    at += 10 + size;
    // A frame has at least one byte of content.
    if (IsWrittenId(id) || size == 0) continue;
    if (major == 3) {
      out.append(tag.substr(start, at - start));
      continue;
    }
    // 2.4: the status flags sit one bit lower than in 2.3. The format flags
    // (grouping, compression, encryption, unsynchronisation, data length)
    // change the content's layout, so such frames are dropped.
    const auto status = static_cast<unsigned char>(tag[start + 8]);
    if (tag[start + 9] != 0 || (status & ~0x70u) != 0) continue;
    out.append(id);
    AppendBigEndian32(out, size);
    out += static_cast<char>(status << 1);
    out += '\0';
    out.append(tag.substr(start + 10, size));
  }
  return out;
}

bool ReadId3v2(File& file, TagFields& fields, std::string* tcon) {
  unsigned char header[kId3v2HeaderSize];
  if (ProbeHeader(file, header) != Probe::Present) return false;
  int64_t want = SizeFromHeader(header);
  int64_t fileSize = file.Size();
  if (fileSize < 0) return false;
  std::string tag(static_cast<size_t>(std::min(want, fileSize)), '\0');
  size_t got = 0;
  if (!file.Seek(0, SeekFrom::Begin) || !file.Read(tag.data(), tag.size(), &got)) return false;
  tag.resize(got);

  auto frames = frames::Walk(tag);
  for (const WrittenFrame& w : kWritten) {
    const frames::Frame* f = SourceOf(frames, w.id);
    fields.*w.slot = f ? frames::FieldText(*f) : std::string();
  }
  // Before 2.4 the date was split over TYER, TDAT and TIME.
  if (const frames::Frame* date = SourceOf(frames, "TDRC"); date && !SourceOf(frames, "TYER"))
    fields.year = text::CutBytes(frames::FieldText(*date), 4);
  if (tcon) *tcon = fields.genre;
  if (!fields.genre.empty()) fields.genre = ResolveGenre(fields.genre);
  return true;
}

std::string BuildId3v2(const TagFields& f, std::string_view carried) {
  std::string tag("ID3\x03\x00\x00\0\0\0\0"sv);
  for (const WrittenFrame& w : kWritten) AppendFrame(tag, w.id, w.flags, w.fixed, f.*w.slot);
  tag.append(carried);
  tag.append(kId3v2Padding, '\0');
  auto size = EncodeSynchsafe(static_cast<uint32_t>(tag.size() - kId3v2HeaderSize));
  for (size_t i = 0; i < 4; ++i) tag[6 + i] = static_cast<char>(size[i]);
  return tag;
}

bool WriteId3v2(File& file, const TagFields& fields) {
  std::string oldTag;
  int64_t old = ReplaceableTagSize(file, &oldTag);
  if (old < 0) return false;
  std::string tag = BuildId3v2(fields, CarriedFrames(oldTag));
  // The size field holds 28 bits.
  if (tag.size() - kId3v2HeaderSize >= (uint32_t{1} << 28)) return false;
  return file.Seek(0, SeekFrom::Begin) && ReplaceBytes(file, old, tag);
}

bool DeleteId3v2(File& file) {
  int64_t old = ReplaceableTagSize(file);
  if (old <= 0) return old == 0;
  return file.Seek(0, SeekFrom::Begin) && RemoveBytes(file, old);
}

}  // namespace tavik::tags
