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

// The standard names of 2.2 frames in 2.3, and those iTunes gave its own
// frames (sort names, compilation, grouping, movements, podcasts).
struct V22Name {
  const char* v22;
  const char* v23;
};
constexpr V22Name kV22Names[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
    {"GEO", "GEOB"}, {"GP1", "GRP1"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
    {"MVI", "MVIN"}, {"MVN", "MVNM"}, {"PCS", "PCST"}, {"PIC", "APIC"}, {"POP", "POPM"}, {"REV", "RVRB"},
    {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"},
    {"TCO", "TCON"}, {"TCP", "TCMP"}, {"TCR", "TCOP"}, {"TCT", "TCAT"}, {"TDA", "TDAT"}, {"TDR", "TDRL"},
    {"TDS", "TDES"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TID", "TGID"}, {"TIM", "TIME"},
    {"TKE", "TKEY"}, {"TKW", "TKWD"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"},
    {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"}, {"TP2", "TPE2"},
    {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"},
    {"TRK", "TRCK"}, {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"}, {"TSI", "TSIZ"}, {"TSP", "TSOP"},
    {"TSS", "TSSE"}, {"TST", "TSOT"}, {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"},
    {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"},
    {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WFD", "WFED"}, {"WPB", "WPUB"}, {"WXX", "WXXX"},
};

const char* V23Name(std::string_view v22) {
  for (const V22Name& n : kV22Names)
    if (v22 == n.v22) return n.v23;
  return nullptr;
}

// PIC names its image format in three letters where APIC has a MIME type.
std::string PictureContent(std::string_view pic) {
  if (pic.size() < 4) return std::string(pic);
  std::string format;
  for (char c : pic.substr(1, 3))
    if (c != '\0' && c != ' ') format += text::LowerAscii(c);
  std::string mime = format == "jpg" ? "image/jpeg" : format == "-->" ? format : "image/" + format;
  return std::string(1, pic[0]) + mime + '\0' + std::string(pic.substr(4));
}

// A 2.2 frame no table names (CRM, the encrypted frame, among them) keeps
// its name and a NUL, which 2.3 readers read as that 2.2 frame.
void ToV23(Frame& f) {
  const char* name = V23Name(f.id);
  if (!name) {
    f.id += '\0';
    f.named = false;
    return;
  }
  f.id = name;
  if (f.id == "APIC") f.content = PictureContent(f.content);
}

// A 2.3 or 2.4 name: iTunes 12.1 wrote 2.2 names with a NUL after them.
void Rename(Frame& f) {
  const char* name = f.id[3] == '\0' && IsId(f.id, 0, 3) ? V23Name(f.id.substr(0, 3)) : nullptr;
  if (name)
    f.id = name;
  else
    f.named = IsId(f.id, 0, 4);
}

void AppendBigEndian32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

// 2.4 frame: status bits one lower than 2.3's (undefined ones cleared).
// Group byte, encryption method and data length stand ahead of the data;
// 2.3 puts the decompressed size (plain), the method and the group there,
// so a compressed frame keeps its compressed bytes. One compressed without
// its data length, or too short for what its flags add, has no 2.3 form.
void FromV24(Frame& f, unsigned char status, unsigned char format, bool tagUnsynchronised) {
  f.status = static_cast<unsigned char>((status & 0x70) << 1);
  std::string_view data = f.content;
  const size_t extra = (format & 0x40 ? 1 : 0) + (format & 0x04 ? 1 : 0) + (format & 0x01 ? 4 : 0);
  const bool compressed = format & 0x08, lengthGiven = format & 0x01;
  f.sealed = format & 0x0C;
  if (data.size() < extra || (compressed && !lengthGiven)) {
    f.carried = false;
    return;
  }
  std::string front;
  if (compressed) {
    uint32_t length = 0;
    if (!Synchsafe(data, extra - 4, &length)) length = Plain(data, extra - 4, 4);
    AppendBigEndian32(front, length);
    f.format |= 0x80;
  }
  if (format & 0x04) {
    front += data[format & 0x40 ? 1 : 0];
    f.format |= 0x40;
  }
  if (format & 0x40) {
    front += data[0];
    f.format |= 0x20;
  }
  data = Skip(data, extra);
  f.content = front + ((format & 0x02) || tagUnsynchronised ? Resynchronise(data) : std::string(data));
}

// Steps over the frames of one tag body.
class Walker {
 public:
  Walker(std::string_view body, unsigned major)
      : body_(body),
        major_(major),
        idLength_(major == 2 ? 3 : 4),
        headerLength_(major == 2 ? 6 : 10),
        lastData_(body.find_last_not_of('\0')) {}

  size_t idLength() const { return idLength_; }
  size_t headerLength() const { return headerLength_; }
  bool HeaderAt(size_t at) const { return body_.size() - at >= headerLength_; }
  bool PaddingAt(size_t at) const { return body_.substr(at, idLength_).find_first_not_of('\0') == npos; }

  // Some 2.4 writers put plain sizes; take one only where the synchsafe
  // reading does not land and it does.
  uint64_t SizeAt(size_t at) const {
    uint64_t size = Plain(body_, at + idLength_, major_ == 2 ? 3 : 4);
    const uint64_t start = uint64_t{at} + headerLength_;
    uint32_t synchsafe = 0;
    if (major_ == 4 && Synchsafe(body_, at + 4, &synchsafe) &&
        (Lands(start + synchsafe) || !Lands(start + size)))
      size = synchsafe;
    return size;
  }

  // A standard name: in 2.3 and 2.4 also a 2.2 name and a NUL.
  bool Named(size_t at) const {
    return IsId(body_, at, idLength_) || (idLength_ == 4 && IsId(body_, at, 3) && body_[at + 3] == '\0');
  }

  // Where a run of frames with names of no standard form, starting at at, lands
  // on a named frame, on padding or on the end; npos where it does not.
  size_t RunEnd(size_t at) const {
    for (;;) {
      const uint64_t end = uint64_t{at} + headerLength_ + SizeAt(at);
      if (Lands(end)) return static_cast<size_t>(end);
      if (end > body_.size()) return npos;
      at = static_cast<size_t>(end);
      if (!HeaderAt(at) || PaddingAt(at)) return npos;
    }
  }

  // Whether a frame with a standard name and a size that fits stands
  // anywhere from at on.
  bool FrameFollows(size_t at) const {
    for (; HeaderAt(at); ++at)
      if (Named(at) && uint64_t{at} + headerLength_ + SizeAt(at) <= body_.size()) return true;
    return false;
  }

 private:
  bool Lands(uint64_t end) const {
    return end <= body_.size() && (lastData_ == npos || end > lastData_ ||
                                   (HeaderAt(static_cast<size_t>(end)) && Named(static_cast<size_t>(end))));
  }

  std::string_view body_;
  unsigned major_;
  size_t idLength_, headerLength_, lastData_;
};

}  // namespace

std::vector<Frame> Walk(std::string_view tag, bool* accounted) {
  std::vector<Frame> frames;
  bool whole = true;
  if (!accounted) accounted = &whole;
  *accounted = true;
  if (tag.size() < 10 || tag.substr(0, 3) != "ID3") return frames;
  const auto major = static_cast<unsigned char>(tag[3]);
  const auto flags = static_cast<unsigned char>(tag[5]);
  uint32_t stated = 0;
  for (size_t i = 6; i < 10; ++i) stated = (stated << 7) | (static_cast<unsigned char>(tag[i]) & 0x7Fu);
  std::string_view body = tag.substr(10, stated);
  // Frames that cannot be walked are only padding where nothing is there.
  const bool empty = body.find_first_not_of('\0') == npos;
  if (major < 2 || major > 4 || (major == 2 && (flags & 0x40))) {
    // A compressed 2.2 tag's frames cannot be trusted, whatever they hold.
    *accounted = major != 2 && empty;
    return frames;
  }
  // Before 2.4 unsynchronisation covers the whole tag and the frame sizes
  // count the bytes without it; in 2.4 it is undone frame by frame.
  const bool unsynchronised = flags & 0x80;
  std::string resynchronised;
  if (unsynchronised && major < 4) body = resynchronised = Resynchronise(body);

  size_t at = 0;
  if (major > 2 && (flags & 0x40) && (at = ExtendedHeaderEnd(body, major)) == npos) {
    *accounted = empty;
    return frames;
  }
  const Walker walker(body, major);
  const size_t idLength = walker.idLength(), headerLength = walker.headerLength();
  // A name not of the standard's form is stepped over by its size where
  // that lands well; ranTo ends the run of such frames already checked.
  size_t ranTo = 0;
  while (walker.HeaderAt(at) && !walker.PaddingAt(at)) {
    if (!walker.Named(at) && at >= ranTo && (ranTo = walker.RunEnd(at)) == npos) break;
    const uint64_t size = walker.SizeAt(at);
    Frame f;
    f.id = std::string(body.substr(at, idLength));
    f.whole = size <= body.size() - at - headerLength;
    f.content = std::string(body.substr(at + headerLength, size));
    if (major == 2)
      ToV23(f);
    else
      Rename(f);
    if (major == 3) {
      f.status = static_cast<unsigned char>(body[at + 8]);
      f.format = static_cast<unsigned char>(body[at + 9]);
      f.sealed = f.format & 0xC0;
    } else if (major == 4) {
      FromV24(f, static_cast<unsigned char>(body[at + 8]), static_cast<unsigned char>(body[at + 9]),
              unsynchronised);
    }
    frames.push_back(std::move(f));
    if (!frames.back().whole) {
      *accounted = false;
      return frames;
    }
    at += headerLength + static_cast<size_t>(size);
  }
  // What is left is padding, as other readers take it, unless frames follow.
  *accounted = !walker.FrameFollows(at);
  return frames;
}

std::string_view Payload(const Frame& f) {
  // 2.3 puts the decompressed size, the encryption method and the group in
  // front, in the order of their flags.
  size_t skip = (f.format & 0x80 ? 4 : 0) + (f.format & 0x40 ? 1 : 0) + (f.format & 0x20 ? 1 : 0);
  return Skip(f.content, skip);
}

}  // namespace tavik::tags::frames
