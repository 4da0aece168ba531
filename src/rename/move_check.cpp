#include "rename/move_check.h"

#include <cstring>

#include "rename/rules.h"
#include "text/gbk.h"

namespace tavik::rename {

std::string FailureText(const Forecast& f) {
  auto item = [&] { return text::NumberToText(static_cast<int64_t>(f.other) + 1); };
  switch (f.failure) {
    case Failure::None:
      return {};
    case Failure::SourceUnreachable:
      return "原文件名含有系统无法处理的字符";
    case Failure::EmptyName:
      return "新文件名为空";
    case Failure::BadCharacter:
      return "新文件名含有不能用于文件名的字符";
    case Failure::DeviceName:
      return "新文件名是系统保留的设备名";
    case Failure::DotOrSpaceEnd:
      return "新文件名不能以点或空格结尾";
    case Failure::PathTooLong:
      return "新的完整路径过长";
    case Failure::SourceMissing:
      return "原文件不存在";
    case Failure::SameNewName:
      return "与第" + item() + "项的新文件名相同";
    case Failure::HeldByItem:
      return "新文件名被第" + item() + "项占用";
    case Failure::FileExists:
      return "同名文件已存在";
  }
  return {};
}

Failure NameFailure(FileSystem& fs, const std::string& folder, const std::string& name) {
  if (name.empty()) return Failure::EmptyName;
  // A separator or a device character would move the file elsewhere or fail
  // in the system's own way.
  if (!IsPlainFileName(name)) return Failure::BadCharacter;
  if (IsDeviceName(name)) return Failure::DeviceName;
  if (EndsInDotOrSpace(name)) return Failure::DotOrSpaceEnd;
  if (!fs.LengthFits(folder, name)) return Failure::PathTooLong;
  return Failure::None;
}

namespace {

uint64_t Mix(uint64_t h) {
  h ^= h >> 30;
  h *= 0xbf58476d1ce4e5b9ULL;
  h ^= h >> 27;
  h *= 0x94d049bb133111ebULL;
  return h ^ (h >> 31);
}

}  // namespace

uint64_t MoveCheck::Hash(uint32_t folder, std::string_view name) {
  fs_.NameKey(name, key_);
  // Eight bytes a step: a keystroke hashes every previewed name.
  const char* p = key_.data();
  const size_t n = key_.size();
  // The folder and the length go in mixed, so that no difference of theirs
  // can cancel one of the bytes.
  uint64_t h = Mix(0xcbf29ce484222325ULL ^ (static_cast<uint64_t>(folder) << 32 | n));
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    h = (h ^ w) * 0x9e3779b97f4a7c15ULL;
    h ^= h >> 32;
  }
  uint64_t tail = 0;
  std::memcpy(&tail, p + i, n - i);
  h = Mix(h ^ tail);
  return h ? h : 1;
}

size_t MoveCheck::Find(uint64_t hash) const {
  const size_t mask = table_.size() - 1;
  size_t at = static_cast<size_t>(hash) & mask;
  while (table_[at].hash != 0 && table_[at].hash != hash) at = (at + 1) & mask;
  return at;
}

size_t MoveCheck::Take(uint64_t hash) {
  size_t at = Find(hash);
  if (table_[at].hash == 0) {
    table_[at].hash = hash;
    ++used_;
  }
  return at;
}

void MoveCheck::Grow(size_t entries) {
  // At most half full, so a probe ends soon.
  size_t size = table_.empty() ? 1024 : table_.size();
  while (size < 2 * entries) size *= 2;
  if (size == table_.size()) return;
  std::vector<Slot> old = std::move(table_);
  table_.assign(size, Slot{});
  for (const Slot& s : old)
    if (s.hash != 0) table_[Find(s.hash)] = s;
}

uint32_t MoveCheck::FolderId(const std::string& folder) {
  fs_.NameKey(folder, key_);
  auto [it, added] = folderIds_.try_emplace(key_, static_cast<uint32_t>(folders_.size()));
  if (added) {
    folders_.push_back(folder);
    listed_.push_back(false);
    entries_.push_back(0);
  }
  return it->second;
}

uint32_t MoveCheck::Renew(const std::string& folder) {
  const uint32_t old = FolderId(folder);
  stale_ += entries_[old];
  // Dropping the table costs one listing of each other folder at the next
  // Check, paid for by the listings that made the stale slots.
  if (stale_ > used_ - stale_) {
    Forget();
    return FolderId(folder);
  }
  const auto id = static_cast<uint32_t>(folders_.size());
  folderIds_[key_] = id;
  folders_.push_back(folder);
  listed_.push_back(false);
  entries_.push_back(0);
  indexed_ = false;
  return id;
}

void MoveCheck::ListFolder(uint32_t folder) {
  listed_[folder] = true;
  const size_t before = used_;
  fs_.List(folders_[folder], [&](DirEntry& e) {
    if (e.name == "." || e.name == "..") return;
    Grow(used_ + 1);
    ++table_[Take(Hash(folder, e.name))].count;
  });
  entries_[folder] += used_ - before;
}

void MoveCheck::Forget() {
  folderIds_.clear();
  folders_.clear();
  listed_.clear();
  entries_.clear();
  stale_ = 0;
  table_.clear();
  used_ = 0;
  indexed_ = false;
}

void MoveCheck::NoteListing(const std::string& folder, std::span<const std::string> files,
                            std::span<const std::string> directories) {
  uint32_t id = FolderId(folder);
  if (listed_[id]) id = Renew(folder);
  listed_[id] = true;
  const size_t before = used_;
  Grow(used_ + files.size() + directories.size());
  for (const std::string& name : files) ++table_[Take(Hash(id, name))].count;
  for (const std::string& name : directories)
    if (name != "." && name != "..") ++table_[Take(Hash(id, name))].count;
  entries_[id] += used_ - before;
}

void MoveCheck::NotePicked(const std::string& folder, const std::string& name, bool seen) {
  const uint32_t id = FolderId(folder);
  // An unlisted folder is listed at the next Check.
  if (!listed_[id]) return;
  Grow(used_ + 1);
  const size_t before = used_;
  Slot& s = table_[Take(Hash(id, name))];
  entries_[id] += used_ - before;
  if (s.count == 0 && (seen || fs_.Exists(folder + name))) s.count = 1;
}

void MoveCheck::Index(size_t items, const std::vector<std::string>& oldNames,
                      const std::function<const std::string&(size_t)>& folderOf) {
  for (Slot& s : table_) s.holder = -1;
  itemFolder_.resize(items);
  itemOld_.resize(items);
  itemUnreachable_.assign(items, false);
  const std::string* lastFolder = nullptr;
  uint32_t id = 0;
  for (size_t i = 0; i < items; ++i) {
    // Runs of one folder are the rule: its id is looked up once a run.
    const std::string& folder = folderOf(i);
    if (!lastFolder || folder != *lastFolder) {
      id = FolderId(folder);
      if (!listed_[id]) ListFolder(id);
      lastFolder = &folder;
    }
    itemFolder_[i] = id;
    itemOld_[i] = Hash(id, oldNames[i]);
    itemUnreachable_[i] = !fs_.NameReachable(oldNames[i]);
    Slot& s = table_[Find(itemOld_[i])];
    if (s.hash != 0 && s.holder < 0) s.holder = static_cast<int32_t>(i);
  }
  indexed_ = true;
}

void MoveCheck::Change(size_t slot, int32_t count, int32_t holder) {
  Slot& s = table_[slot];
  undo_.push_back({static_cast<uint32_t>(slot), s.count, s.holder, s.hash == 0});
  s.count = count;
  s.holder = holder;
}

void MoveCheck::Check(size_t n, const std::vector<std::string>& oldNames,
                      const std::vector<std::string>& newNames,
                      const std::function<const std::string&(size_t)>& folderOf, std::vector<Forecast>& out) {
  if (!indexed_ || itemOld_.size() != oldNames.size()) Index(oldNames.size(), oldNames, folderOf);
  n = std::min(n, oldNames.size());
  Grow(used_ + n);
  const size_t usedBefore = used_;
  undo_.clear();
  out.assign(n, Forecast{});
  // The names' own failures and their hashes first, in one pass over the
  // items; the moves then reach into the table, whose lines are fetched a
  // few items ahead: at 100,000 items nearly every lookup misses the cache.
  newHash_.resize(n);
  for (size_t i = 0; i < n; ++i) {
    out[i].failure = itemUnreachable_[i] ? Failure::SourceUnreachable
                                         : NameFailure(fs_, folders_[itemFolder_[i]], newNames[i]);
    newHash_[i] = out[i].failure == Failure::None ? Hash(itemFolder_[i], newNames[i]) : 0;
  }
  constexpr size_t kAhead = 16;
  const size_t mask = table_.size() - 1;
  for (size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) {
      __builtin_prefetch(&table_[static_cast<size_t>(newHash_[i + kAhead]) & mask]);
      __builtin_prefetch(&table_[static_cast<size_t>(itemOld_[i + kAhead]) & mask]);
    }
    Forecast& f = out[i];
    if (f.failure != Failure::None) continue;
    const size_t s = Find(itemOld_[i]);
    if (table_[s].hash == 0 || table_[s].count == 0) {
      f.failure = Failure::SourceMissing;
      continue;
    }
    const int32_t self = static_cast<int32_t>(i);
    const uint64_t h = newHash_[i];
    size_t t = Find(h);
    const bool added = table_[t].hash == 0;
    if (added) {
      Change(t, 0, -1);  // put back as empty, whatever happens to it after
      table_[t].hash = h;
      ++used_;
    }
    Slot& target = table_[t];
    if (t == s) {
      // The file's own name, or another spelling of it: that works unless
      // another file answers to it too (Wine on a Linux folder holding
      // several spellings).
      if (target.count > 1 && newNames[i] != oldNames[i]) {
        f.failure = Failure::FileExists;
        continue;
      }
      Change(t, target.count, -2 - self);
      continue;
    }
    if (target.count > 0) {
      if (target.holder <= -2) {
        f = {Failure::SameNewName, -2 - target.holder};
      } else if (target.holder >= 0) {
        f = {Failure::HeldByItem, target.holder};
      } else {
        f.failure = Failure::FileExists;
      }
      continue;
    }
    const Slot& source = table_[s];
    Change(s, source.count - 1, source.holder == self || source.count == 1 ? -1 : source.holder);
    if (added) {
      target.count = 1;
      target.holder = -2 - self;
    } else {
      Change(t, 1, -2 - self);
    }
  }
  // Back to the names as they stand.
  for (size_t k = undo_.size(); k-- > 0;) {
    if (k >= kAhead) __builtin_prefetch(&table_[undo_[k - kAhead].slot]);
    const Undo& u = undo_[k];
    Slot& slot = table_[u.slot];
    slot.count = u.count;
    slot.holder = u.holder;
    if (u.wasEmpty) slot.hash = 0;
  }
  used_ = usedBefore;
}

void MoveCheck::Moved(size_t item, const std::string& folder, const std::string& from,
                      const std::string& to) {
  const uint32_t id = FolderId(folder);
  if (!listed_[id]) return;
  Grow(used_ + 1);
  const int32_t self = static_cast<int32_t>(item);
  Slot& source = table_[Find(Hash(id, from))];
  if (source.hash != 0 && source.count > 0) {
    --source.count;
    if (source.holder == self || source.count == 0) source.holder = -1;
  }
  const uint64_t h = Hash(id, to);
  const size_t before = used_;
  Slot& target = table_[Take(h)];
  entries_[id] += used_ - before;
  ++target.count;
  // Who holds which name is worked out afresh after the items change.
  if (!indexed_ || item >= itemOld_.size()) return;
  if (target.holder < 0 || self < target.holder) target.holder = self;
  itemOld_[item] = h;
}

}  // namespace tavik::rename
