// The frames of an ID3v2 tag taken apart, for the field reader and the
// rewrite alike, and the texts inside them. Internal to the ID3v2 code.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavik::tags::frames {

// One frame as an ID3v2.3 tag would hold it, whatever version it came in.
struct Frame {
  std::string id;            // a 2.2 frame goes by its 2.3 name
  unsigned char status = 0;  // 2.3 status flags; 0x80: discard when the tag changes
  unsigned char format = 0;  // 2.3 format flags that still apply to content
  std::string content;       // resynchronised, without 2.4's additions
  bool whole = true;         // false: cut short by the end of the tag
  bool sealed = false;       // compressed or encrypted: no text to read
  bool carried = true;       // false: its 2.4 format flags have no 2.3 form
  bool named = true;         // false: a name no table knows, carried byte for byte
};

// The frames of a tag (header included) in their order; none for bytes
// that are no tag, an unknown version or a compressed 2.2 tag. accounted,
// when given, says whether every byte of the tag is a frame or padding:
// false where a frame is cut short, frames follow where the walk stopped,
// or frames it cannot walk hold data.
std::vector<Frame> Walk(std::string_view tag, bool* accounted = nullptr);

// The frame's own bytes, after what 2.3's format flags put in front.
std::string_view Payload(const Frame& f);

// The text a field takes from a text frame, COMM (after language and
// description) or WXXX (the URL), as GBK.
std::string FieldText(const Frame& f);
// Whether a COMM or WXXX frame has a description.
bool Described(const Frame& f);
// GBK form of an encoded string: 0 and unknown encodings stay raw, 1 is
// UTF-16 with a byte-order mark, 2 UTF-16BE, 3 UTF-8; zero characters are
// dropped.
std::string Decode(unsigned char encoding, std::string_view s);

// The content with its strings in encodings 2 and 3 (which 2.3 lacks) in
// UTF-16 with a byte-order mark; unchanged where the layout is unknown.
std::string ToUtf16(const Frame& f);

}  // namespace tavik::tags::frames
