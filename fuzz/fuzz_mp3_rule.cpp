// MP3 naming rule: parsing, naming and the 50-byte cut.
#include <cstdint>

#include "memory_file.h"
#include "tags/mp3.h"
#include "text/gbk.h"

using namespace tavik;
using namespace tavik::tags;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string rule(reinterpret_cast<const char*>(data), size);
  auto pieces = ParseMp3Rule(rule);
  FUZZ_CHECK(pieces.empty() == rule.empty());
  size_t literal = 0;
  for (size_t i = 0; i < pieces.size(); ++i) {
    bool last = i + 1 == pieces.size();
    FUZZ_CHECK(last ? pieces[i].field == 0 : pieces[i].field >= 1 && pieces[i].field <= 6);
    literal += pieces[i].literal.size();
  }
  // Each placeholder takes its digit and at most its "#".
  FUZZ_CHECK(literal + (pieces.empty() ? 0 : pieces.size() - 1) <= size);

  TagFields f;
  f.artist = "a";
  f.title = "t";
  std::string name = BuildMp3Name(pieces, f);
  FUZZ_CHECK(name.empty() || name.size() >= 4);
  FUZZ_CHECK(name.empty() || name.compare(name.size() - 4, 4, ".mp3") == 0);

  std::string cut = CutMp3Rule(rule);
  FUZZ_CHECK(cut.size() <= kMp3RuleMaxBytes && rule.compare(0, cut.size(), cut) == 0);
  FUZZ_CHECK(rule.size() <= kMp3RuleMaxBytes ? cut == rule : cut.size() >= kMp3RuleMaxBytes - 1);
  FUZZ_CHECK(text::BoundaryAtOrBefore(rule, cut.size()) == cut.size());

  IsMp3Name(rule);
  std::string appended = FieldButtonAppend(rule, '3');
  FUZZ_CHECK(appended.size() == (rule.empty() ? 2 : size + 3));
  return 0;
}
