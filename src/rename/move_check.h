// Foresees what a batch will do before it runs: the moves in list order,
// each without replacing, with names compared as the file system compares
// them. The names each folder holds come from one listing per folder, kept
// current by the program's own moves, so a keystroke touches no disk: under
// Wine a lookup of a missing name reads the whole folder.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace tavik::rename {

// Why a move will fail; the first that applies, in this order.
enum class Failure : uint8_t {
  None,
  SourceUnreachable,  // the listed name only stands for the file's own
  EmptyName,
  BadCharacter,
  DeviceName,
  DotOrSpaceEnd,
  PathTooLong,
  SourceMissing,
  SameNewName,  // an earlier item will already have moved to the name
  HeldByItem,   // another item still holds it at this item's turn
  FileExists,   // a file outside the list holds it
};

struct Forecast {
  Failure failure = Failure::None;
  int32_t other = -1;  // the other item (0-based) of SameNewName and HeldByItem
};

// What the row's tip says; empty for None.
std::string FailureText(const Forecast& f);

// The failure the name alone decides, before the file system is asked: the
// batch refuses these moves itself.
Failure NameFailure(FileSystem& fs, const std::string& folder, const std::string& name);

class MoveCheck {
 public:
  explicit MoveCheck(FileSystem& fs) : fs_(fs) {}

  // The items changed (added, removed, filtered): who holds which name is
  // worked out again at the next Check; folders already listed stay known.
  void ItemsChanged() { indexed_ = false; }
  // Lists every folder again at the next Check (an explicit preview: files
  // may have changed behind the program's back).
  void Forget();
  // A folder's entries as a scan of the list met them, so that adding a
  // folder's files does not list it twice. They replace what was known of
  // the folder: files may have come and gone since.
  void NoteListing(const std::string& folder, std::span<const std::string> files,
                   std::span<const std::string> directories);
  // A file the user picked (open dialog, drop) is there, even where an
  // older listing of its folder missed it. Unless seen, the disk is asked,
  // and only about a name the listing lacks.
  void NotePicked(const std::string& folder, const std::string& name, bool seen);

  // Forecasts items 0..n-1 moving from oldNames to newNames in their
  // folders; out gets n entries.
  void Check(size_t n, const std::vector<std::string>& oldNames, const std::vector<std::string>& newNames,
             const std::function<const std::string&(size_t)>& folderOf, std::vector<Forecast>& out);
  // A move the batch made (rename or undo), so the known names stay true.
  void Moved(size_t item, const std::string& folder, const std::string& from, const std::string& to);

 private:
  // One name of one folder, by the hash of its folder and key: with 64 bits,
  // two different names meet by chance about once in 10^19 pairs.
  struct Slot {
    uint64_t hash = 0;    // 0: empty
    int32_t count = 0;    // entries answering to the name now
    int32_t holder = -1;  // the lowest item whose old name it is; during a
                          // Check, -2 - i for the item i that moved there
  };
  uint32_t FolderId(const std::string& folder);
  // A new id for a folder listed again; the old one's names are left
  // behind, and all are dropped once they outnumber the live ones.
  uint32_t Renew(const std::string& folder);
  uint64_t Hash(uint32_t folder, std::string_view name);
  size_t Find(uint64_t hash) const;  // the slot, or the empty one to take
  size_t Take(uint64_t hash);        // the slot, added empty when missing
  void Grow(size_t entries);
  void ListFolder(uint32_t folder);
  void Index(size_t items, const std::vector<std::string>& oldNames,
             const std::function<const std::string&(size_t)>& folderOf);
  // A change during a Check, kept to be put back.
  void Change(size_t slot, int32_t count, int32_t holder);

  FileSystem& fs_;
  std::unordered_map<std::string, uint32_t> folderIds_;  // by the folder's key
  std::vector<std::string> folders_;
  std::vector<bool> listed_;
  std::vector<size_t> entries_;  // slots each folder id took
  size_t stale_ = 0;             // slots of ids no longer in use
  std::vector<Slot> table_;
  size_t used_ = 0;
  bool indexed_ = false;
  std::vector<uint32_t> itemFolder_;
  std::vector<uint64_t> itemOld_;  // the hash of each item's old name
  std::vector<bool> itemUnreachable_;
  // What a Check changed, to be put back; a slot it added is emptied.
  struct Undo {
    uint32_t slot;
    int32_t count, holder;
    bool wasEmpty;
  };
  std::vector<Undo> undo_;
  std::vector<uint64_t> newHash_;
  std::string key_;
};

}  // namespace tavik::rename
