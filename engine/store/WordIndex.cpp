#include "WordIndex.h"

#include <cstring>

namespace quarn {

namespace {

constexpr uint64_t kMul1 = 0xbf58476d1ce4e5b9ULL;
constexpr uint64_t kMul2 = 0x94d049bb133111ebULL;

uint64_t Mix(uint64_t h) {
  h ^= h >> 31;
  h *= kMul2;
  h ^= h >> 29;
  return h;
}

}  // namespace

uint64_t WordIndex::Hash(std::string_view word) {
  const char* p = word.data();
  size_t n = word.size();
  uint64_t h = 0x9e3779b97f4a7c15ULL ^ n;
  while (n >= 8) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    h = Mix((h ^ v) * kMul1);
    p += 8;
    n -= 8;
  }
  uint64_t v = 0;
  std::memcpy(&v, p, n);
  h = Mix((h ^ v) * kMul1);
  return h ^ (h >> 32) * kMul1;
}

void WordIndex::Reset() {
  std::vector<Slot>().swap(slots_);
  std::vector<PathCounts>().swap(paths_);
  std::vector<std::pair<int32_t, PathCounts>>().swap(stack);
  roots.assign(256, -1);
  mask_ = 0;
  count_ = 0;
  memoryLimit = -1;
  recounted = 0;
  usable_ = true;
}

void WordIndex::Break() {
  if (!usable_) return;
  std::vector<Slot>().swap(slots_);
  std::vector<PathCounts>().swap(paths_);
  std::vector<std::pair<int32_t, PathCounts>>().swap(stack);
  roots.clear();
  mask_ = 0;
  count_ = 0;
  usable_ = false;
}

void WordIndex::Add(uint64_t hash, int32_t node) {
  // At most three quarters full, so that a miss ends after a few slots.
  if ((static_cast<uint64_t>(count_) + 1) * 4 > static_cast<uint64_t>(slots_.size()) * 3) Grow();
  const uint32_t tag = static_cast<uint32_t>(hash >> 32);
  uint32_t i = tag & mask_;
  while (slots_[i].node != 0) i = (i + 1) & mask_;
  slots_[i] = Slot{node, tag};
  ++count_;
}

void WordIndex::Grow() {
  std::vector<Slot> old;
  old.swap(slots_);
  const size_t capacity = old.empty() ? 4096 : old.size() * 2;
  slots_.assign(capacity, Slot{0, 0});
  mask_ = static_cast<uint32_t>(capacity - 1);
  for (const Slot& s : old) {
    if (s.node == 0) continue;
    uint32_t i = s.tag & mask_;
    while (slots_[i].node != 0) i = (i + 1) & mask_;
    slots_[i] = s;
  }
}

void WordIndex::SetPath(int32_t node, PathCounts p) {
  const size_t n = static_cast<size_t>(node);
  if (n >= paths_.size()) {
    // Node numbers come in ascending order: grow by half again, not by one.
    size_t want = paths_.size() + paths_.size() / 2;
    if (want < n + 1) want = n + 1;
    if (want < 4096) want = 4096;
    paths_.resize(want);
  }
  paths_[n] = p;
}

}  // namespace quarn
