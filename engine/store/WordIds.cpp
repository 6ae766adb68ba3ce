#include "WordIds.h"

#include <cstring>

#include "WordCutter.h"

namespace quarn {

namespace {

constexpr size_t kSmallestTable = 4096;
// Far enough ahead for a slot, then the characters beyond the eighth it points to, to arrive
// while the words before are numbered.
constexpr size_t kSlotAhead = 16;
constexpr size_t kKeyAhead = 8;

}  // namespace

void WordIds::Number(WordChunk& chunk, const uint64_t* hashes, const uint64_t* prefixes) {
  CutWord* words = chunk.words.data();
  const char* chars = chunk.chars.get();
  const size_t n = chunk.words.size();
  for (size_t i = 0; i < n; ++i) {
    if (i + kSlotAhead < n) PrefetchSlot(hashes[i + kSlotAhead]);
    if (i + kKeyAhead < n && words[i + kKeyAhead].length > 8) {
      PrefetchSuffix(hashes[i + kKeyAhead]);
    }
    CutWord& w = words[i];
    const uint32_t known = count_;
    w.id = IdOf(chars + w.at, w.length, hashes[i], prefixes[i]);
    w.fresh = count_ != known;
  }
}

void WordIds::Number(WordChunk& chunk) {
  const size_t n = chunk.words.size();
  hashes_.resize(n);
  prefixes_.resize(n);
  const char* chars = chunk.chars.get();
  for (size_t i = 0; i < n; ++i) {
    const CutWord& w = chunk.words[i];
    hashes_[i] = CutHash(chars + w.at, w.length);
    prefixes_[i] = CutPrefix(chars + w.at);
  }
  Number(chunk, hashes_.data(), prefixes_.data());
}

uint32_t WordIds::Add(uint32_t tag, uint64_t prefix, uint64_t suffix, uint32_t length) {
  if (count_ >= kMaxIds) return kNoId;
  // At most half full.
  if ((static_cast<uint64_t>(count_) + 1) * 2 > static_cast<uint64_t>(slots_.size())) Grow();
  uint32_t i = tag & mask_;
  while (slots_[i].idLength != 0) i = (i + 1) & mask_;
  const uint32_t id = count_;
  suffixes_.Reserve(size_t{id} + 1);
  suffixes_[id] = suffix;
  ++count_;
  slots_[i] = Slot{tag, (id + 1) << 5 | length, prefix};
  return id;
}

void WordIds::Grow() {
  decltype(slots_) old;
  old.swap(slots_);
  const size_t capacity = old.empty() ? kSmallestTable : old.size() * 2;
  slots_.assign(capacity, Slot{0, 0, 0});
  mask_ = static_cast<uint32_t>(capacity - 1);
  for (const Slot& s : old) {
    if (s.idLength == 0) continue;
    uint32_t i = s.tag & mask_;
    while (slots_[i].idLength != 0) i = (i + 1) & mask_;
    slots_[i] = s;
  }
}

void WordIds::Reset() {
  decltype(slots_)().swap(slots_);
  std::vector<uint64_t>().swap(hashes_);
  std::vector<uint64_t>().swap(prefixes_);
  suffixes_.Clear();
  mask_ = 0;
  count_ = 0;
}

}  // namespace quarn
