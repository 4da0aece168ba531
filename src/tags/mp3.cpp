#include "tags/mp3.h"

#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "text/gbk.h"

namespace tavik::tags {

bool IsMp3Name(std::string_view name) {
  size_t dot = text::FindLast(name, '.');
  return dot != text::npos && text::EqualsIgnoreAsciiCase(name.substr(dot + 1), "MP3");
}

ReadResult ReadTagsForItem(FileSystem& fs, const std::string& fullPath, bool v1First, TagFields& fields) {
  auto file = fs.Open(fullPath, FileAccess::Read, FileShare::Read, FileCreate::OpenExisting);
  if (!file) return ReadResult::OpenFailed;
  bool found = v1First ? ReadId3v1(*file, fields) || ReadId3v2(*file, fields)
                       : ReadId3v2(*file, fields) || ReadId3v1(*file, fields);
  return found ? ReadResult::TagRead : ReadResult::NoTag;
}

// "#" then a digit 1..6 is a placeholder; the flag stays up after the digit,
// so "#12" is two placeholders. '#' and digits are never GBK trail bytes, so
// a byte scan is safe here.
std::vector<RulePiece> ParseMp3Rule(std::string_view rule) {
  std::vector<RulePiece> pieces;
  if (rule.empty()) return pieces;
  size_t segment = 0;
  bool afterHash = false;
  for (size_t i = 0; i < rule.size(); ++i) {
    char c = rule[i];
    if (c == '#') {
      afterHash = true;
    } else if (afterHash && c >= '1' && c <= '6') {
      size_t end = rule[i - 1] == '#' ? i - 1 : i;
      pieces.push_back({std::string(rule.substr(segment, end - segment)), c - '0'});
      segment = i + 1;
    } else {
      afterHash = false;
    }
  }
  pieces.push_back({std::string(rule.substr(segment)), 0});
  return pieces;
}

std::string BuildMp3Name(const std::vector<RulePiece>& pieces, const Mp3Fields& fields) {
  std::string name;
  for (const RulePiece& piece : pieces) {
    name += piece.literal;
    if (piece.field == 0) break;
    if (piece.field >= 1 && piece.field <= 6) name += fields[piece.field - 1];
  }
  if (!name.empty()) name += ".mp3";
  return name;
}

std::string BuildMp3Name(const std::vector<RulePiece>& pieces, const TagFields& f) {
  return BuildMp3Name(pieces, Mp3Fields{f.artist, f.title, f.album, f.track, f.year, f.genre});
}

std::string CutMp3Rule(std::string_view rule) { return text::CutBytes(rule, kMp3RuleMaxBytes); }

std::string FieldButtonAppend(std::string_view rule, char digit) {
  std::string out(rule);
  if (!out.empty()) out += '-';
  out += '#';
  out += digit;
  return out;
}

}  // namespace tavik::tags
