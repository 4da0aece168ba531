// The journal reader on any bytes, then the way back's count over a made-up
// disk: what it reads keeps the plan's order, and every move it counts can
// be taken back in the order given, each finding its new name there and its
// old one free.
#include <cstdint>
#include <climits>
#include <map>
#include <set>
#include <string>

#include "memory_file.h"
#include "rename/journal.h"

using namespace tavik;
using namespace tavik::rename;

namespace {

// The first byte: whether the input comes after a valid head (most of the
// reader lies past it), and which names the disk holds.
constexpr char kHead[] = "Tavik批量更名器 rename.log 1\r\nhome H\r\n";

// Names fold ASCII case, as Windows compares them; an entry is there by a
// hash of its key, spelled as first asked, and decided once.
class MadeUpDisk final : public NamesOnDisk {
 public:
  explicit MadeUpDisk(uint8_t seed) : seed_(seed) {}
  std::string Key(const std::string& folder, const std::string& name) override {
    std::string key = folder + name;
    for (char& c : key)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    uint32_t h = seed_;
    for (char c : key) h = h * 31 + static_cast<uint8_t>(c);
    if (asked_.insert(key).second && h % 3 != 0) names.emplace(key, name);
    return key;
  }
  const std::string* Spelling(const std::string& key) override {
    auto it = names.find(key);
    return it == names.end() ? nullptr : &it->second;
  }
  std::map<std::string, std::string> names;

 private:
  uint8_t seed_;
  std::set<std::string> asked_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) bytes.insert(0, kHead);
  JournalReading r = ReadJournal(bytes, "H");
  if (r.state != JournalState::CutOff) {
    FUZZ_CHECK(r.done.empty() && !r.hasInDoubt && r.later.empty());
    return 0;
  }
  // Numbers rise through the recorded moves, the one in doubt and the rest.
  int32_t last = 0;
  auto rising = [&last](const JournalMove& m) {
    FUZZ_CHECK(m.number > last);
    last = m.number;
  };
  for (const JournalMove& m : r.done) rising(m);
  if (r.hasInDoubt) rising(r.inDoubt);
  for (const JournalMove& m : r.later) rising(m);

  MadeUpDisk disk(data[0] >> 1);
  const size_t candidates = r.done.size() + r.hasInDoubt + r.later.size();
  std::vector<JournalMove> made = MovesStillMade(r, disk);
  FUZZ_CHECK(made.size() <= candidates);
  last = INT32_MAX;
  for (const JournalMove& m : made) {
    FUZZ_CHECK(m.number < last);
    last = m.number;
    const std::string from = disk.Key(m.folder, m.from), to = disk.Key(m.folder, m.to);
    auto there = disk.names.find(to);
    FUZZ_CHECK(there != disk.names.end());
    if (from == to) {
      FUZZ_CHECK(there->second == m.to && m.to != m.from);
    } else {
      FUZZ_CHECK(!disk.names.count(from));
    }
    disk.names.erase(there);
    disk.names[from] = m.from;
  }
  return 0;
}
