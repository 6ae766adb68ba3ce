// A hash index over the words of the word trees, with the make-up of every node's path.
//
// Entering a word that is already in the store reads each node of the path from its tree's
// root down to the word's node once and writes each of them back once; only the word's own node
// changes. Knowing the node and how many of the path's nodes are in memory and how many in the
// record file is therefore enough to enter it again and count the traffic exactly, without the
// walk. The index holds both: word -> node number, and per node number the path's make-up.
// It is kept by the insertion itself (WordEntry.cpp), and only for the trees of
// WordTree::WordRoots entered through their own root.
//
// The occurrences of a word already in the store wait in the index (NodeMeta::waiting) until
// its record is next looked at or the file's scan ends: ReadNode, WriteNode and NodeInPlace
// move them into the record first (WordTree.cpp), so nobody sees a record without them. So do
// the links and balances an insertion changes (NodeMeta::shapeWaiting): the records get them
// in node order rather than scattered over the insertions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "Prefetch.h"
#include "store/GrowingTable.h"

namespace quarn {

// Memory for a table that is visited at random, freed with std::free. A large one is asked to
// be backed by large pages (where the system has them): with small pages, translating the
// addresses would cost as much as reading the entries.
void* AllocateTable(size_t bytes);

template <typename T>
struct TableAllocator {
  using value_type = T;
  TableAllocator() = default;
  template <typename U>
  TableAllocator(const TableAllocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(AllocateTable(n * sizeof(T))); }
  void deallocate(T* p, size_t) { std::free(p); }
  friend bool operator==(const TableAllocator&, const TableAllocator&) { return true; }
};

// Nodes on the path from a tree's root down to a node, the node included, by where they live.
struct PathCounts {
  uint8_t memory = 0;  // node numbers up to MemoryNodeLimit
  uint8_t disk = 0;    // records of the record file
};

// A copy of the shape of a word tree node, kept beside its 316-byte record so that a walk down
// the tree reads sixteen bytes per node instead of two distant parts of the record. Links is
// what every step of a walk needs; NodeMeta the rest.
struct NodeLinks {
  uint64_t prefix = 0;  // WordIndex::Prefix of the word
  int32_t left = -1;
  int32_t right = -1;
};
struct NodeMeta {
  uint64_t suffix = 0;  // WordIndex::Suffix of the word
  PathCounts path;
  int8_t balance = 0;
  uint8_t length : 7 = 0;        // of the word
  uint8_t shapeWaiting : 1 = 0;  // the record's links and balance are not yet the copy's
  uint32_t waiting = 0;          // occurrences not yet counted in the record
};

class WordIndex {
 private:
  static constexpr uint64_t kHashMul1 = 0xbf58476d1ce4e5b9ULL;
  static constexpr uint64_t kHashMul2 = 0x94d049bb133111ebULL;
  static uint64_t Mix(uint64_t h) {
    h ^= h >> 31;
    h *= kHashMul2;
    h ^= h >> 29;
    return h;
  }

 public:
  static uint64_t Hash(std::string_view word);
  // Hash of the length characters at p, which are followed by zeros up to the next multiple of
  // eight characters (at least one chunk of eight is read).
  static uint64_t HashPadded(const char* p, size_t length) {
    uint64_t h = 0x9e3779b97f4a7c15ULL ^ length;
    size_t i = 0;
    do {
      uint64_t chunk;
      std::memcpy(&chunk, p + i, 8);
      h = Mix((h ^ chunk) * kHashMul1);
      i += 8;
    } while (i < length);
    return h ^ (h >> 32) * kHashMul1;
  }
  // The first eight characters of a word as a number (big-endian, zero-filled), so that two
  // words whose prefixes differ compare as their prefixes do. Two words with equal prefixes
  // and at most eight characters each compare as their lengths do.
  static uint64_t Prefix(std::string_view word) {
    unsigned char bytes[8] = {};
    std::memcpy(bytes, word.data(), word.size() < 8 ? word.size() : 8);
    uint64_t v;
    std::memcpy(&v, bytes, 8);
    return __builtin_bswap64(v);  // the first character the most significant
  }

  // The ninth to sixteenth characters of a word as a number, like Prefix (0 up to eight
  // characters). Words of up to sixteen characters compare as (Prefix, Suffix) do, and equal
  // ones as their lengths do.
  static uint64_t Suffix(std::string_view word) {
    return word.size() <= 8 ? 0 : Prefix(word.substr(8));
  }

  // Forgets everything and frees the memory; the index is usable again.
  void Reset();
  // Forgets everything until the next Reset: the trees changed in a way the index cannot follow.
  void Break();
  bool usable() const { return usable_; }
  int32_t size() const { return count_; }

  // Find's answer when the word's record could not be looked at in place.
  static constexpr int32_t kUnreachable = -2;
  // The node number of the word with this hash and Prefix, or -1. Words of up to sixteen
  // characters are matched on the index alone; for a longer one wordOf(n, &w) sets w to the
  // word stored in node n and returns true, or returns false when the node cannot be looked at
  // in place, and Find answers kUnreachable.
  template <typename WordOf>
  int32_t Find(std::string_view word, uint64_t hash, uint64_t prefix, WordOf&& wordOf);
  // Adds a word known to be absent, whose node's shape is already set (AddNode).
  void Add(uint64_t hash, int32_t node);

  // Occurrences or shapes waiting: counted in NodeMeta::waiting of some nodes, all for
  // FileCounts slot waitingSlot (0: Frequency only), or marked by NodeMeta::shapeWaiting.
  bool anyWaiting = false;
  int waitingSlot = 0;

  // The copied shape of a node of the indexed trees; valid while usable(). Whoever changes
  // a node's links or balance changes both the copy and the record.
  NodeLinks& links(int32_t node) { return links_[static_cast<size_t>(node)]; }
  const NodeLinks& links(int32_t node) const { return links_[static_cast<size_t>(node)]; }
  NodeMeta& meta(int32_t node) { return meta_[static_cast<size_t>(node)]; }
  const NodeMeta& meta(int32_t node) const { return meta_[static_cast<size_t>(node)]; }
  // Makes room for node number node (numbers come in ascending order) and sets its shape.
  void AddNode(int32_t node, const NodeLinks& links, const NodeMeta& meta);
  // True iff node is one of the nodes the index holds the shape of.
  bool Covers(int32_t node) const { return node >= 1 && node <= highestNode_; }
  // The highest node Covers, or 0.
  int32_t highestNode() const { return highestNode_; }

  // Hints for a word about to be entered, with no effect on what the index holds: Prefetch asks
  // the processor for the word's first slot; Peek gives the node of the first slot holding the
  // hash's tag (the word itself unchecked), or 0, and asks for that node's shape.
  void Prefetch(uint64_t hash) const {
    if (count_ != 0) PrefetchForRead(&slots_[static_cast<uint32_t>(hash >> 32) & mask_]);
  }
  int32_t Peek(uint64_t hash) const;

  // The node of the word numbered id by the scans' WordIds (WordIds.h), or 0 when not known:
  // the scanner learns it from the insertion and finds the word by it afterwards, without
  // the hash table. Forgotten with the rest of the index.
  int32_t NodeOfId(uint32_t id) const { return id < nodeOfId_.size() ? nodeOfId_[id] : 0; }
  void SetNodeOfId(uint32_t id, int32_t node);
  void PrefetchNodeOfId(uint32_t id) const {
    if (id < nodeOfId_.size()) PrefetchForRead(&nodeOfId_[id]);
  }

  // The roots and the memory limit the index was built under; the insertion checks them.
  std::vector<int32_t> roots;  // by first character, 256 entries once in use
  int32_t memoryLimit = -1;
  // The queue of a path recount after a rotation, kept to reuse its memory.
  std::vector<int32_t> queue;

 private:
  // Eight bytes, so that the table and what its growth touches stay small; the word's
  // characters are compared in the node's shape (links and meta) once the tag matches.
  struct Slot {
    int32_t node;  // 0: empty (node numbers start at 1)
    uint32_t tag;  // the upper half of the word's hash
  };
  void Grow();
  // Forgets every word, shape and waiting occurrence and frees their memory; what Reset and
  // Break share.
  void Empty();

  std::vector<Slot, TableAllocator<Slot>> slots_;
  uint32_t mask_ = 0;
  int32_t count_ = 0;
  int32_t highestNode_ = 0;
  // By node number; entries up to highestNode_ are set.
  GrowingTable<NodeLinks> links_;
  GrowingTable<NodeMeta> meta_;
  std::vector<int32_t> nodeOfId_;
  bool usable_ = true;
};

inline int32_t WordIndex::Peek(uint64_t hash) const {
  if (count_ == 0) return 0;
  const uint32_t tag = static_cast<uint32_t>(hash >> 32);
  for (uint32_t i = tag & mask_;; i = (i + 1) & mask_) {
    const Slot& s = slots_[i];
    if (s.node == 0) return 0;
    if (s.tag == tag) {
      if (s.node <= highestNode_) {
        PrefetchForRead(&meta_[static_cast<size_t>(s.node)]);
        PrefetchForRead(&links_[static_cast<size_t>(s.node)]);
      }
      return s.node;
    }
  }
}

template <typename WordOf>
int32_t WordIndex::Find(std::string_view word, uint64_t hash, uint64_t prefix, WordOf&& wordOf) {
  if (count_ == 0) return -1;
  const uint32_t tag = static_cast<uint32_t>(hash >> 32);
  const uint64_t suffix = Suffix(word);
  for (uint32_t i = tag & mask_;; i = (i + 1) & mask_) {
    const Slot& s = slots_[i];
    if (s.node == 0) return -1;
    if (s.tag != tag || links_[static_cast<size_t>(s.node)].prefix != prefix) continue;
    const NodeMeta& m = meta_[static_cast<size_t>(s.node)];
    if (m.length != word.size() || m.suffix != suffix) continue;
    if (word.size() <= 16) return s.node;  // the prefix, suffix and length are the word
    std::string_view stored;
    if (!wordOf(s.node, &stored)) return kUnreachable;
    if (stored == word) return s.node;
  }
}

}  // namespace quarn
