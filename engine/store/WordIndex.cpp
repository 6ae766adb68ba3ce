#include "WordIndex.h"

#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

constexpr size_t kLargePage = size_t{2} << 20;

uint64_t Load64(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

uint32_t Load32(const char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

void* AllocateTable(size_t bytes) {
  void* p;
  if (bytes >= kLargePage) {
    p = std::aligned_alloc(kLargePage, (bytes + kLargePage - 1) / kLargePage * kLargePage);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (p != nullptr) ::madvise(p, bytes, MADV_HUGEPAGE);
#endif
  } else {
    p = std::malloc(bytes == 0 ? 1 : bytes);
  }
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

// The last, partial chunk is read with whole loads that may overlap bytes already mixed in
// (a byte-wise copy into a word would stall the load that follows it); with the length mixed
// in, the loads still determine every byte of the word.
uint64_t WordIndex::Hash(std::string_view word) {
  const char* p = word.data();
  const size_t size = word.size();
  size_t n = size;
  uint64_t h = 0x9e3779b97f4a7c15ULL ^ n;
  while (n > 8) {
    h = Mix((h ^ Load64(p)) * kMul1);
    p += 8;
    n -= 8;
  }
  uint64_t v;
  if (size >= 8) {
    v = Load64(p + n - 8);
  } else if (n >= 4) {
    v = Load32(p) | static_cast<uint64_t>(Load32(p + n - 4)) << 32;
  } else if (n > 0) {
    v = static_cast<unsigned char>(p[0]) |
        static_cast<uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8 |
        static_cast<uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
  } else {
    v = 0;
  }
  h = Mix((h ^ v) * kMul1);
  return h ^ (h >> 32) * kMul1;
}

void WordIndex::Reset() {
  decltype(slots_)().swap(slots_);
  decltype(links_)().swap(links_);
  decltype(meta_)().swap(meta_);
  std::vector<std::pair<int32_t, PathCounts>>().swap(stack);
  std::vector<Step>().swap(walk);
  roots.assign(256, -1);
  mask_ = 0;
  count_ = 0;
  highestNode_ = 0;
  memoryLimit = -1;
  recounted = 0;
  usable_ = true;
}

void WordIndex::Break() {
  if (!usable_) return;
  decltype(slots_)().swap(slots_);
  decltype(links_)().swap(links_);
  decltype(meta_)().swap(meta_);
  std::vector<std::pair<int32_t, PathCounts>>().swap(stack);
  std::vector<Step>().swap(walk);
  roots.clear();
  mask_ = 0;
  count_ = 0;
  highestNode_ = 0;
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
  decltype(slots_) old;
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

void WordIndex::AddNode(int32_t node, const NodeLinks& links, const NodeMeta& meta) {
  const size_t n = static_cast<size_t>(node);
  if (n >= links_.size()) {
    // Node numbers come in ascending order: grow by half again, not by one.
    size_t want = links_.size() + links_.size() / 2;
    if (want < n + 1) want = n + 1;
    if (want < 4096) want = 4096;
    links_.resize(want);
    meta_.resize(want);
  }
  links_[n] = links;
  meta_[n] = meta;
  if (node > highestNode_) highestNode_ = node;
}

uint64_t WordIndex::Prefix(std::string_view word) {
  unsigned char bytes[8] = {};
  std::memcpy(bytes, word.data(), word.size() < 8 ? word.size() : 8);
  uint64_t v;
  std::memcpy(&v, bytes, 8);
  return __builtin_bswap64(v);  // the first character the most significant
}

}  // namespace quarn
