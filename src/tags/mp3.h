// The tag side of naming MP3 files: which names are MP3 files, reading an
// item's tags, and the naming rule's pieces.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "tags/tag_fields.h"

namespace tavik::tags {

bool IsMp3Name(std::string_view name);

enum class ReadResult { OpenFailed, NoTag, TagRead };
// Opens the file for reading with other writers shut out; the first tag found
// in the priority order fills the record.
ReadResult ReadTagsForItem(FileSystem& fs, const std::string& fullPath, bool v1First, TagFields& fields);

// Literal text followed by field code 1..6 (artist, title, album, track,
// year, genre), or 0 for the closing piece.
struct RulePiece {
  std::string literal;
  int field;
};
// Empty rule: no pieces. Otherwise the last piece has field 0.
std::vector<RulePiece> ParseMp3Rule(std::string_view rule);
// The six naming fields in field-code order: artist, title, album, track,
// year, genre.
using Mp3Fields = std::array<std::string_view, 6>;
// The pieces filled from the fields, with ".mp3" appended when not empty.
std::string BuildMp3Name(const std::vector<RulePiece>& pieces, const Mp3Fields& fields);
std::string BuildMp3Name(const std::vector<RulePiece>& pieces, const TagFields& fields);
// The rule with the placeholders replaced by the field names.
std::string Mp3ReferenceText(std::string_view rule);
constexpr size_t kMp3RuleMaxBytes = 50;
// The rule's first 50 bytes, never half a character.
std::string CutMp3Rule(std::string_view rule);
// What a field button makes of the rule ("#d", or rule + "-#d").
std::string FieldButtonAppend(std::string_view rule, char digit);

// The predefined schemes, in the combo box's order.
constexpr std::array<std::string_view, 4> kPredefinedMp3Rules = {"#1-#2", "#1-#3-#2", "#1-#3-#5-#2",
                                                                 "#1-#3-#5-#2-#4"};

// Texts of the list's MP3 status column.
extern const char kNoTagStatus[];
extern const char kNotMp3Status[];

}  // namespace tavik::tags
