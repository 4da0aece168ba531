// The tags of the listed MP3 files as last read, so that a keystroke on the
// MP3 page opens no file: under Wine an open and a read cost some 150 us, a
// second and a half for 10,000 songs. Only what naming uses is kept: the six
// naming fields of each tag present, both tags so that the priority needs no
// read. Entries are found by folder and name as the file system compares
// them, so items that stay in the list keep theirs whatever comes or goes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"
#include "tags/mp3.h"

namespace tavik::tags {

class KnownTags {
 public:
  explicit KnownTags(FileSystem& fs) : fs_(fs) {}

  // Ties rows 0..count-1 to their entries; cheap while the list's
  // generation stays the same. Entries of items that left are dropped.
  void Bind(uint64_t listGeneration, size_t count, const std::function<const std::string&(size_t)>& folderOf,
            const std::vector<std::string>& names);
  // Row's tags in the priority order (the row must be an MP3 name, bound),
  // read from the file when not known since the last ReadAllAgain.
  ReadResult Lookup(size_t row, const std::string& folder, const std::string& name, bool v1First,
                    Mp3Fields& fields);

  // Files may have changed behind the program's back: every file is read
  // again when next looked up.
  void ReadAllAgain() { ++epoch_; }
  // The program wrote this file's tags.
  void Forget(const std::string& folder, const std::string& name);
  // The batch moved a file: its tags stay known under the new name.
  void Moved(const std::string& folder, const std::string& from, const std::string& to);

  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    uint32_t epoch = 0;  // of the last read; 0 never read or forgotten
    bool opened = false;
    uint8_t tags = 0;  // kV1 | kV2: which tags the texts hold
    // The six fields of each tag held, in field-code order, each after its
    // length (one byte, or 0xFF and four).
    std::string texts;
  };
  static constexpr uint8_t kV1 = 1, kV2 = 2;

  void Read(Entry& e, const std::string& path);
  // key_ gets folder and name as the file system compares them.
  void MakeKey(const std::string& folder, std::string_view name);

  FileSystem& fs_;
  uint32_t epoch_ = 1;
  std::unordered_map<std::string, Entry> entries_;
  std::vector<Entry*> rows_;  // null for the items that are not MP3 names
  uint64_t boundGeneration_ = 0;
  bool bound_ = false;
  std::unordered_map<std::string, uint32_t> folderIds_;  // by the folder's key
  std::string lastFolder_;
  uint32_t lastFolderId_ = 0;
  std::string key_, part_;
};

}  // namespace tavik::tags
