// The journal reader on any bytes (after a valid head where the first byte
// is odd), then the way back's count over a made-up disk: every move it
// counts can be taken back in the order given, its new name there and its
// old one free.
#include <map>
#include <set>
#include <string>

#include "memory_file.h"
#include "rename/journal.h"

using namespace tavik::rename;

namespace {

// Names fold ASCII case; whether one is there is decided once, by a hash.
struct MadeUpDisk final : NamesOnDisk {
  std::string Key(const std::string& folder, const std::string& name) override {
    std::string key = folder + name;
    uint32_t h = seed;
    for (char& c : key) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      h = h * 31 + static_cast<uint8_t>(c);
    }
    if (asked.insert(key).second && h % 3 != 0) names.emplace(key, name);
    return key;
  }
  const std::string* Spelling(const std::string& key) override {
    auto it = names.find(key);
    return it == names.end() ? nullptr : &it->second;
  }
  uint32_t seed = 0;
  std::set<std::string> asked;
  std::map<std::string, std::string> names;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] & 1) bytes.insert(0, "Tavik批量更名器 rename.log 1\r\nhome H\r\n");
  JournalReading r = ReadJournal(bytes, "H");
  MadeUpDisk disk;
  disk.seed = data[0];
  int32_t last = 0;
  for (const JournalMove& m : r.done) FUZZ_CHECK(m.number > last && (last = m.number));
  if (r.hasInDoubt) FUZZ_CHECK(r.inDoubt.number > last && (last = r.inDoubt.number));
  for (const JournalMove& m : r.later) FUZZ_CHECK(m.number > last && (last = m.number));
  FUZZ_CHECK(r.state == JournalState::CutOff || last == 0);
  ++last;  // the moves counted come latest first
  for (const JournalMove& m : MovesStillMade(r, disk)) {
    FUZZ_CHECK(m.number < last);
    last = m.number;
    const std::string from = disk.Key(m.folder, m.from), to = disk.Key(m.folder, m.to);
    auto there = disk.names.find(to);
    FUZZ_CHECK(there != disk.names.end());
    FUZZ_CHECK(from == to ? there->second == m.to && m.to != m.from : !disk.names.count(from));
    disk.names.erase(there);
    disk.names[from] = m.from;
  }
  return 0;
}
