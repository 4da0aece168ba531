#include "tags/id3v2.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tags/file_ops.h"
#include "tags/genres.h"
#include "tags/id3v1.h"
#include "tags/id3v2_frames.h"
#include "text/gbk.h"
#include "text/unicode.h"

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

// The frames a rewrite builds afresh, one per text of the record, in the
// order it writes them: each is its fixed content followed by its slot's
// text. Reading takes the same frames.
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

void AppendBigEndian32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

// A text that code page 936 holds is written as its bytes (encoding 0);
// any other goes as UTF-16 with a byte-order mark, so no character becomes
// "?". A URL is Latin-1 whatever the encoding and stays as it is.
void AppendFrame(std::string& tag, const char* id, char flags, std::string_view fixed,
                 std::string_view text) {
  std::u16string units;
  std::string wide;
  if (std::string_view(id, 4) != "WXXX" && text::HasFourByteForm(text) && text::ToUtf16(text, units)) {
    fixed = std::string_view(id, 4) == "COMM" ? "\1CHS\xFF\xFE\0\0"sv : "\1"sv;
    wide = "\xFF\xFE";
    for (char16_t u : units) {
      wide += static_cast<char>(u & 0xFF);
      wide += static_cast<char>(u >> 8);
    }
    text = wide;
  }
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

// A 2.4 tag may hold the year in TDRC only.
const frames::Frame* FieldSource(const std::vector<frames::Frame>& frames, std::string_view id) {
  const frames::Frame* f = SourceOf(frames, id);
  return f || id != "TYER" ? f : SourceOf(frames, "TDRC");
}

void AppendFrame(std::string& tag, const frames::Frame& f) {
  tag.append(f.id);
  AppendBigEndian32(tag, static_cast<uint32_t>(f.content.size()));
  tag += static_cast<char>(f.status);
  tag += static_cast<char>(f.format);
  tag.append(f.content);
}

bool Digits(std::string_view s, size_t at, size_t n) {
  if (s.size() < at + n) return false;
  for (char c : s.substr(at, n))
    if (c < '0' || c > '9') return false;
  return true;
}

// A 2.4 date that starts with a year of four digits.
bool StartsWithYear(std::string_view date) { return Digits(date, 0, 4); }

// A frame as a rewrite writes it in ID3v2.3: none when it has no 2.3 form,
// is empty or asks to be discarded when the tag changes. A 2.4 date 2.3's
// frames hold whole (yyyy, yyyy-MM-dd, yyyy-MM-ddTHH:mm) becomes them;
// any other stays as it is, which 2.3 readers read too: a cut would lose
// what it held.
std::vector<frames::Frame> V23Forms(const frames::Frame& f) {
  if (!f.carried || f.content.empty() || (f.status & 0x80)) return {};
  const std::string date = f.id == "TDRC" || f.id == "TDOR" ? frames::FieldText(f) : std::string();
  const bool day = date.size() >= 10 && date[4] == '-' && Digits(date, 5, 2) && date[7] == '-' &&
                   Digits(date, 8, 2) && f.id == "TDRC";
  const bool time = day && date.size() == 16 && date[10] == 'T' && Digits(date, 11, 2) && date[13] == ':' &&
                    Digits(date, 14, 2);
  const bool whole = date.size() == 4 || (day && date.size() == 10) || time;
  if (f.format || !StartsWithYear(date) || !whole) {
    frames::Frame g = f;
    if (f.named) g.content = frames::ToUtf16(f);
    return {g};
  }
  std::vector<frames::Frame> out;
  auto part = [&](const char* id, const std::string& text) {
    frames::Frame& g = out.emplace_back();
    g.id = id;
    g.status = f.status;
    g.content = '\0' + text;
  };
  // TYER yyyy, TDAT ddMM, TIME HHmm; TDOR's year is TORY.
  part(f.id == "TDRC" ? "TYER" : "TORY", date.substr(0, 4));
  if (day) part("TDAT", date.substr(8, 2) + date.substr(5, 2));
  if (time) part("TIME", date.substr(11, 2) + date.substr(14, 2));
  return out;
}

// The template frame a frame in its 2.3 form stands for: one of its name,
// of the year also a 2.4 date kept whole; of COMM and WXXX only those
// without a description (other readers take those with one for data such
// as iTunNORM, or for other links).
const WrittenFrame* FieldOf(const frames::Frame& g) {
  for (const WrittenFrame& w : kWritten) {
    if (g.id == w.id || (g.id == "TDRC" && w.slot == &TagFields::year))
      return (g.id == "COMM" || g.id == "WXXX") && frames::Described(g) ? nullptr : &w;
  }
  return nullptr;
}

// A kept slot's frame, in its 2.3 form; false when it has none of the
// template's name, and the template's frame is not written from it.
bool AppendKept(std::string& tag, const frames::Frame& source, std::string_view id) {
  for (const frames::Frame& g : V23Forms(source)) {
    if (g.id != id) continue;
    AppendFrame(tag, g);
    return true;
  }
  return false;
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
    const frames::Frame* f = FieldSource(frames, w.id);
    fields.*w.slot = f ? frames::FieldText(*f) : std::string();
    if (f && f->id == "TDRC" && StartsWithYear(fields.year)) fields.year.resize(4);
  }
  if (tcon) *tcon = fields.genre;
  if (!fields.genre.empty()) fields.genre = ResolveGenre(fields.genre);
  return true;
}

// A kept field writes its frames as they were: the first in the
// template's place, the others where they stood. A field written from the
// record replaces every frame that stands for it: it is one value.
std::string BuildId3v2(const TagFields& f, std::string_view oldTag, const KeptSlots& keep) {
  bool accounted = true;
  const auto frames = frames::Walk(oldTag, &accounted);
  if (!accounted) return {};
  auto kept = [&](std::string TagFields::*slot) {
    return std::find(keep.begin(), keep.end(), slot) != keep.end();
  };
  std::vector<std::pair<const frames::Frame*, std::string>> placed;
  auto isPlaced = [&](const frames::Frame& old, const std::string& id) {
    return std::find(placed.begin(), placed.end(), std::pair(&old, id)) != placed.end();
  };
  auto carriedFor = [&](const WrittenFrame& w) {
    for (const frames::Frame& old : frames)
      for (const frames::Frame& g : V23Forms(old))
        if (FieldOf(g) == &w) return true;
    return false;
  };
  std::string tag("ID3\x03\x00\x00\0\0\0\0"sv);
  for (const WrittenFrame& w : kWritten) {
    const frames::Frame* source = FieldSource(frames, w.id);
    if (kept(w.slot)) {
      if (source && AppendKept(tag, *source, w.id)) {
        placed.emplace_back(source, w.id);
        continue;
      }
      // A date kept whole, or frames that cannot be read, stand below; a
      // source 2.3 drops gives its text to the template's frame.
      if (source ? !V23Forms(*source).empty() : carriedFor(w)) continue;
    }
    AppendFrame(tag, w.id, w.flags, w.fixed, f.*w.slot);
  }
  for (const frames::Frame& old : frames)
    for (const frames::Frame& g : V23Forms(old)) {
      const WrittenFrame* w = FieldOf(g);
      if (isPlaced(old, g.id) || (w && !kept(w->slot))) continue;
      AppendFrame(tag, g);
    }
  tag.append(kId3v2Padding, '\0');
  auto size = EncodeSynchsafe(static_cast<uint32_t>(tag.size() - kId3v2HeaderSize));
  for (size_t i = 0; i < 4; ++i) tag[6 + i] = static_cast<char>(size[i]);
  return tag;
}

bool WriteId3v2(File& file, const TagFields& fields, const KeptSlots& keep) {
  std::string oldTag;
  int64_t old = ReplaceableTagSize(file, &oldTag);
  if (old < 0) return false;
  std::string tag = BuildId3v2(fields, oldTag, keep);
  // The size field holds 28 bits.
  if (tag.empty() || tag.size() - kId3v2HeaderSize >= (uint32_t{1} << 28)) return false;
  return file.Seek(0, SeekFrom::Begin) && ReplaceBytes(file, old, tag);
}

bool DeleteId3v2(File& file) {
  int64_t old = ReplaceableTagSize(file);
  if (old <= 0) return old == 0;
  return file.Seek(0, SeekFrom::Begin) && RemoveBytes(file, old);
}

}  // namespace tavik::tags
