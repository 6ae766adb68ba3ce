#include "store/WordIds.h"

#include <cstring>

namespace quarn {

namespace {

constexpr size_t kSmallestTable = 4096;

}  // namespace

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
