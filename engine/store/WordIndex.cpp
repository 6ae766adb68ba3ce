#include "store/WordIndex.h"

#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace quarn {

namespace {

constexpr size_t kLargePage = size_t{2} << 20;

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

// Whole chunks are hashed where they stand; the last, partial one from a zero-filled copy.
uint64_t WordIndex::Hash(std::string_view word) {
  const size_t whole = word.size() / 8 * 8;
  const size_t rest = word.size() - whole;
  if (word.size() <= 40) {
    char padded[48] = {};
    std::memcpy(padded, word.data(), word.size());
    return HashPadded(padded, word.size());
  }
  // Long words (not in the store, which keeps 30 characters): the same chunks, mixed in turn.
  uint64_t h = 0x9e3779b97f4a7c15ULL ^ word.size();
  for (size_t i = 0; i < whole; i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, word.data() + i, 8);
    h = Mix((h ^ chunk) * kHashMul1);
  }
  if (rest != 0) {
    uint64_t chunk = 0;
    std::memcpy(&chunk, word.data() + whole, rest);
    h = Mix((h ^ chunk) * kHashMul1);
  }
  return h ^ (h >> 32) * kHashMul1;
}

void WordIndex::Empty() {
  decltype(slots_)().swap(slots_);
  links_.Clear();
  meta_.Clear();
  std::vector<int32_t>().swap(nodeOfId_);
  std::vector<int32_t>().swap(queue);
  mask_ = 0;
  count_ = 0;
  highestNode_ = 0;
  anyWaiting = false;
  waitingSlot = 0;
}

void WordIndex::Reset() {
  Empty();
  roots.assign(256, -1);
  memoryLimit = -1;
  usable_ = true;
}

void WordIndex::Break() {
  anyWaiting = false;
  if (!usable_) return;
  Empty();
  roots.clear();
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

void WordIndex::SetNodeOfId(uint32_t id, int32_t node) {
  if (!usable_) return;
  if (id >= nodeOfId_.size()) {
    // Numbers come in ascending order, mostly: grow by half again, not by one.
    size_t want = nodeOfId_.size() + nodeOfId_.size() / 2;
    if (want < size_t{id} + 1) want = size_t{id} + 1;
    if (want < 4096) want = 4096;
    nodeOfId_.resize(want, 0);
  }
  nodeOfId_[id] = node;
}

void WordIndex::AddNode(int32_t node, const NodeLinks& links, const NodeMeta& meta) {
  const size_t n = static_cast<size_t>(node);
  links_.Reserve(n + 1);
  meta_.Reserve(n + 1);
  // Numbers passed over (nodes of no indexed tree) get a blank shape.
  for (int32_t skipped = highestNode_ + 1; skipped < node; ++skipped) {
    links_[static_cast<size_t>(skipped)] = NodeLinks{};
    meta_[static_cast<size_t>(skipped)] = NodeMeta{};
  }
  links_[n] = links;
  meta_[n] = meta;
  if (node > highestNode_) highestNode_ = node;
}

}  // namespace quarn
