#include <algorithm>
#include <cstdint>

#include "tags/id3v2_frames.h"
#include "text/gbk.h"

namespace tavik::tags::frames {
namespace {

constexpr size_t npos = std::string_view::npos;

std::string_view Skip(std::string_view s, size_t n) { return s.substr(std::min(n, s.size())); }

bool IsId(std::string_view s, size_t at, size_t length) {
  if (s.size() - at < length) return false;
  for (char c : s.substr(at, length))
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

uint32_t Plain(std::string_view s, size_t at, size_t width) {
  uint32_t v = 0;
  for (size_t i = 0; i < width; ++i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

// Four 7-bit groups; false when a byte has its high bit set.
bool Synchsafe(std::string_view s, size_t at, uint32_t* value) {
  *value = 0;
  for (size_t i = 0; i < 4; ++i) {
    auto b = static_cast<unsigned char>(s[at + i]);
    if (b >= 0x80) return false;
    *value = (*value << 7) | b;
  }
  return true;
}

// Undoes unsynchronisation: a zero after 0xFF was put there by the writer.
std::string Resynchronise(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    out += s[i];
    if (s[i] == '\xFF' && i + 1 < s.size() && s[i + 1] == '\0') ++i;
  }
  return out;
}

// Where the frames start after an extended header: 2.3 states its size
// without its own four bytes, 2.4 with them. Some writers set the flag and
// write no extended header, so a frame name there means none. npos when
// the stated size runs past the tag.
size_t ExtendedHeaderEnd(std::string_view body, unsigned major) {
  if (IsId(body, 0, 4)) return 0;
  if (body.size() < 4) return npos;
  uint64_t size = 0;
  uint32_t synchsafe = 0;
  if (major == 3)
    size = uint64_t{Plain(body, 0, 4)} + 4;
  else if (Synchsafe(body, 0, &synchsafe))
    size = synchsafe;
  else
    return npos;
  return size <= body.size() ? static_cast<size_t>(size) : npos;
}

// The standard names of 2.2 frames in 2.3, and those iTunes gave its sort
// names. A frame missing here (CRM, encrypted) has no 2.3 form.
struct V22Name {
  const char* v22;
  const char* v23;
};
constexpr V22Name kV22Names[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
    {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"},
    {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"},
    {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCP", "TCMP"}, {"TCR", "TCOP"}, {"TDA", "TDAT"},
    {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"},
    {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"},
    {"TOT", "TOAL"}, {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"},
    {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TS2", "TSO2"}, {"TSA", "TSOA"},
    {"TSC", "TSOC"}, {"TSI", "TSIZ"}, {"TSP", "TSOP"}, {"TSS", "TSSE"}, {"TST", "TSOT"}, {"TT1", "TIT1"},
    {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"},
    {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
    {"WPB", "WPUB"}, {"WXX", "WXXX"},
};

// PIC names its image format in three letters where APIC has a MIME type.
std::string PictureContent(std::string_view pic) {
  if (pic.size() < 4) return std::string(pic);
  std::string format;
  for (char c : pic.substr(1, 3))
    if (c != '\0' && c != ' ') format += text::LowerAscii(c);
  std::string mime = format == "jpg" ? "image/jpeg" : format == "-->" ? format : "image/" + format;
  return std::string(1, pic[0]) + mime + '\0' + std::string(pic.substr(4));
}

void ToV23(Frame& f) {
  const auto* name = std::find_if(std::begin(kV22Names), std::end(kV22Names),
                                  [&](const V22Name& n) { return f.id == n.v22; });
  if (name == std::end(kV22Names)) {
    f.carried = false;
    return;
  }
  f.id = name->v23;
  if (f.id == "APIC") f.content = PictureContent(f.content);
}

// 2.4 frame: status bits one lower than 2.3's (undefined ones cleared);
// group byte, encryption method and data length ahead of the data.
void FromV24(Frame& f, unsigned char status, unsigned char format, bool tagUnsynchronised) {
  f.status = static_cast<unsigned char>((status & 0x70) << 1);
  if (format & 0x0C) {  // compressed or encrypted
    f.sealed = true;
    f.carried = false;
    return;
  }
  std::string_view data = f.content;
  if (format & 0x40) {  // grouped: 2.3 would need the flag and the byte kept
    data = Skip(data, 1);
    f.carried = false;
  }
  if (format & 0x01) data = Skip(data, 4);
  f.content = (format & 0x02) || tagUnsynchronised ? Resynchronise(data) : std::string(data);
}

}  // namespace

std::vector<Frame> Walk(std::string_view tag) {
  std::vector<Frame> frames;
  if (tag.size() < 10 || tag.substr(0, 3) != "ID3") return frames;
  const auto major = static_cast<unsigned char>(tag[3]);
  const auto flags = static_cast<unsigned char>(tag[5]);
  if (major < 2 || major > 4 || (major == 2 && (flags & 0x40))) return frames;
  uint32_t stated = 0;
  for (size_t i = 6; i < 10; ++i) stated = (stated << 7) | (static_cast<unsigned char>(tag[i]) & 0x7Fu);
  std::string_view body = tag.substr(10, stated);
  // Before 2.4 unsynchronisation covers the whole tag and the frame sizes
  // count the bytes without it; in 2.4 it is undone frame by frame.
  const bool unsynchronised = flags & 0x80;
  std::string resynchronised;
  if (unsynchronised && major < 4) body = resynchronised = Resynchronise(body);

  size_t at = 0;
  if (major > 2 && (flags & 0x40) && (at = ExtendedHeaderEnd(body, major)) == npos) return frames;
  const size_t idLength = major == 2 ? 3 : 4, headerLength = major == 2 ? 6 : 10;
  // A size lands where a frame starts, where only padding follows, or at
  // the end.
  const size_t lastData = body.find_last_not_of('\0');
  auto lands = [&](size_t from, uint64_t size) {
    const uint64_t end = from + headerLength + size;
    return end <= body.size() && (lastData == npos || end > lastData || IsId(body, end, idLength));
  };
  // Padding, a name that is no frame name or a frame cut short ends the walk.
  while (body.size() - at >= headerLength && IsId(body, at, idLength)) {
    uint64_t size = Plain(body, at + idLength, major == 2 ? 3 : 4);
    uint32_t synchsafe = 0;
    // Some 2.4 writers put plain sizes; take one only where the synchsafe
    // reading does not land and it does.
    if (major == 4 && Synchsafe(body, at + 4, &synchsafe) && (lands(at, synchsafe) || !lands(at, size)))
      size = synchsafe;
    Frame f;
    f.id = std::string(body.substr(at, idLength));
    f.whole = size <= body.size() - at - headerLength;
    f.content = std::string(body.substr(at + headerLength, size));
    if (major == 2) {
      ToV23(f);
    } else if (major == 3) {
      f.status = static_cast<unsigned char>(body[at + 8]);
      f.format = static_cast<unsigned char>(body[at + 9]);
      f.sealed = f.format & 0xC0;
    } else {
      FromV24(f, static_cast<unsigned char>(body[at + 8]), static_cast<unsigned char>(body[at + 9]),
              unsynchronised);
    }
    frames.push_back(std::move(f));
    if (!frames.back().whole) break;
    at += headerLength + static_cast<size_t>(size);
  }
  return frames;
}

std::string_view Payload(const Frame& f) {
  // 2.3 puts the decompressed size, the encryption method and the group in
  // front, in the order of their flags.
  size_t skip = (f.format & 0x80 ? 4 : 0) + (f.format & 0x40 ? 1 : 0) + (f.format & 0x20 ? 1 : 0);
  return Skip(f.content, skip);
}

}  // namespace tavik::tags::frames
