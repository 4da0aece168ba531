#include "tags/known_tags.h"

#include <cstring>

#include "tags/id3v1.h"
#include "tags/id3v2.h"

namespace tavik::tags {

namespace {

constexpr unsigned char kLongText = 0xFF;

// Most fields are short: one byte of length keeps an entry small.
void AppendText(std::string& out, const std::string& text) {
  if (text.size() < kLongText) {
    out += static_cast<char>(text.size());
  } else {
    uint32_t n = static_cast<uint32_t>(text.size());
    out += static_cast<char>(kLongText);
    out.append(reinterpret_cast<const char*>(&n), sizeof n);
  }
  out += text;
}

std::string_view NextText(const std::string& in, size_t& at) {
  size_t n = static_cast<unsigned char>(in[at++]);
  if (n == kLongText) {
    uint32_t long_n;
    std::memcpy(&long_n, in.data() + at, sizeof long_n);
    at += sizeof long_n;
    n = long_n;
  }
  std::string_view text(in.data() + at, n);
  at += n;
  return text;
}

void AppendFields(std::string& out, const TagFields& f) {
  for (const std::string* text : {&f.artist, &f.title, &f.album, &f.track, &f.year, &f.genre})
    AppendText(out, *text);
}

}  // namespace

void KnownTags::MakeKey(const std::string& folder, std::string_view name) {
  if (folder != lastFolder_ || folderIds_.empty()) {
    fs_.NameKey(folder, part_);
    auto [it, added] = folderIds_.try_emplace(part_, static_cast<uint32_t>(folderIds_.size()));
    lastFolder_ = folder;
    lastFolderId_ = it->second;
  }
  key_.assign(reinterpret_cast<const char*>(&lastFolderId_), sizeof lastFolderId_);
  fs_.NameKey(name, part_);
  key_ += part_;
}

// The entries move over by their nodes, so a row's entry keeps its place;
// what no row names any more is left behind and freed.
void KnownTags::Bind(uint64_t listGeneration, size_t count,
                     const std::function<const std::string&(size_t)>& folderOf,
                     const std::vector<std::string>& names) {
  if (bound_ && listGeneration == boundGeneration_ && rows_.size() == count) return;
  std::unordered_map<std::string, Entry> kept;
  kept.reserve(count);
  rows_.assign(count, nullptr);
  for (size_t i = 0; i < count; ++i) {
    if (!IsMp3Name(names[i])) continue;
    MakeKey(folderOf(i), names[i]);
    auto it = kept.find(key_);
    if (it == kept.end()) {
      auto node = entries_.extract(key_);
      it = node ? kept.insert(std::move(node)).position : kept.try_emplace(key_).first;
    }
    rows_[i] = &it->second;
  }
  entries_.swap(kept);
  boundGeneration_ = listGeneration;
  bound_ = true;
}

ReadResult KnownTags::Lookup(size_t row, const std::string& folder, const std::string& name, bool v1First,
                             Mp3Fields& fields) {
  Entry*& bound = rows_[row];
  if (!bound) {
    MakeKey(folder, name);
    bound = &entries_[key_];
  }
  Entry& e = *bound;
  if (e.epoch != epoch_) Read(e, folder + name);
  if (!e.opened) return ReadResult::OpenFailed;
  const uint8_t first = v1First ? kV1 : kV2;
  const uint8_t which = e.tags & first ? first : e.tags & ~first;
  if (which == 0) return ReadResult::NoTag;
  size_t at = 0;
  if (which == kV2 && (e.tags & kV1))
    for (int k = 0; k < 6; ++k) NextText(e.texts, at);
  for (std::string_view& field : fields) field = NextText(e.texts, at);
  return ReadResult::TagRead;
}

// Both tags, whatever the priority: the radios then need no read. Opened as
// ReadTagsForItem opens it, other writers shut out.
void KnownTags::Read(Entry& e, const std::string& path) {
  e.epoch = epoch_;
  e.tags = 0;
  part_.clear();
  auto file = fs_.Open(path, FileAccess::Read, FileShare::Read, FileCreate::OpenExisting);
  e.opened = file != nullptr;
  if (file) {
    TagFields v1, v2;
    if (ReadId3v1(*file, v1)) {
      e.tags |= kV1;
      AppendFields(part_, v1);
    }
    if (ReadId3v2(*file, v2)) {
      e.tags |= kV2;
      AppendFields(part_, v2);
    }
  }
  // Assigned, not appended to: the entry's buffer gets no spare room.
  e.texts = part_;
}

void KnownTags::Forget(const std::string& folder, const std::string& name) {
  MakeKey(folder, name);
  auto it = entries_.find(key_);
  if (it != entries_.end()) it->second.epoch = 0;
}

// Rows bound to the old name may be items that did not move (the same file
// listed twice), so the rows are bound afresh at the next look.
void KnownTags::Moved(const std::string& folder, const std::string& from, const std::string& to) {
  MakeKey(folder, from);
  auto node = entries_.extract(key_);
  if (!node) return;
  bound_ = false;
  MakeKey(folder, to);
  node.key() = key_;
  auto placed = entries_.insert(std::move(node));
  if (!placed.inserted) placed.position->second = std::move(placed.node.mapped());
}

}  // namespace tavik::tags
