#include "WordIds.h"

#include <cstring>

#include "WordCutter.h"

namespace quarn {

namespace {

constexpr size_t kSmallestTable = 4096;
// Far enough ahead for a slot to arrive while the words before it are numbered.
constexpr size_t kAhead = 16;

}  // namespace

void WordIds::Number(WordChunk& chunk) {
  CutWord* words = chunk.words.data();
  const char* chars = chunk.chars.get();
  const size_t n = chunk.words.size();
  for (size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) Prefetch(words[i + kAhead].hash);
    CutWord& w = words[i];
    const uint32_t known = count_;
    w.id = IdOf(chars + w.at, w.length, w.hash, w.prefix);
    w.fresh = count_ != known;
  }
}

uint32_t WordIds::Add(uint32_t tag, uint64_t prefix, uint64_t suffix, uint32_t length) {
  if (count_ >= kMaxIds) return kNoId;
  // At most half full.
  if ((static_cast<uint64_t>(count_) + 1) * 2 > static_cast<uint64_t>(slots_.size())) Grow();
  uint32_t i = tag & mask_;
  while (slots_[i].idLength != 0) i = (i + 1) & mask_;
  const uint32_t id = count_++;
  slots_[i] = Slot{prefix, suffix, tag, (id + 1) << 5 | length};
  return id;
}

void WordIds::Grow() {
  decltype(slots_) old;
  old.swap(slots_);
  const size_t capacity = old.empty() ? kSmallestTable : old.size() * 2;
  slots_.assign(capacity, Slot{0, 0, 0, 0});
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
  mask_ = 0;
  count_ = 0;
}

}  // namespace quarn
