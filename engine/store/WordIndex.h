// A hash index over the words of the word trees, with the make-up of every node's path.
//
// Entering a word that is already in the store reads each node of the path from its tree's
// root down to the word's node once and writes each of them back once; only the word's own node
// changes. Knowing the node and how many of the path's nodes are in memory and how many in the
// record file is therefore enough to enter it again and count the traffic exactly, without the
// walk. The index holds both: word -> node number, and per node number the path's make-up.
// It is kept by the insertion itself (WordEntry.cpp), and only for the trees of
// WordTree::WordRoots entered through their own root.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace quarn {

// Nodes on the path from a tree's root down to a node, the node included, by where they live.
struct PathCounts {
  uint8_t memory = 0;  // node numbers up to MemoryNodeLimit
  uint8_t disk = 0;    // records of the record file
};

class WordIndex {
 public:
  static uint64_t Hash(std::string_view word);

  // Forgets everything and frees the memory; the index is usable again.
  void Reset();
  // Forgets everything until the next Reset: the trees changed in a way the index cannot follow.
  void Break();
  bool usable() const { return usable_; }
  int32_t size() const { return count_; }

  // The node number of the word with this hash, or -1. wordOf(n, &w) sets w to the word stored
  // in node n and returns true, or returns false when the node cannot be looked at in place;
  // the index then breaks.
  template <typename WordOf>
  int32_t Find(std::string_view word, uint64_t hash, WordOf&& wordOf);
  // Adds a word known to be absent.
  void Add(uint64_t hash, int32_t node);

  PathCounts path(int32_t node) const { return paths_[static_cast<size_t>(node)]; }
  void SetPath(int32_t node, PathCounts p);

  // The roots and the memory limit the index was built under; the insertion checks them.
  std::vector<int32_t> roots;  // by first character, 256 entries once in use
  int32_t memoryLimit = -1;
  // The work list of a path recount after a rotation, kept to reuse its memory.
  std::vector<std::pair<int32_t, PathCounts>> stack;
  // Nodes whose paths were counted again after rotations (a measure of that cost).
  uint64_t recounted = 0;

 private:
  struct Slot {
    int32_t node;  // 0: empty (node numbers start at 1)
    uint32_t tag;  // the upper half of the word's hash
  };
  void Grow();

  std::vector<Slot> slots_;
  uint32_t mask_ = 0;
  int32_t count_ = 0;
  std::vector<PathCounts> paths_;
  bool usable_ = true;
};

template <typename WordOf>
int32_t WordIndex::Find(std::string_view word, uint64_t hash, WordOf&& wordOf) {
  if (count_ == 0) return -1;
  const uint32_t tag = static_cast<uint32_t>(hash >> 32);
  for (uint32_t i = tag & mask_;; i = (i + 1) & mask_) {
    const Slot& s = slots_[i];
    if (s.node == 0) return -1;
    if (s.tag != tag) continue;
    std::string_view stored;
    if (!wordOf(s.node, &stored)) {
      Break();
      return -1;
    }
    if (stored == word) return s.node;
  }
}

}  // namespace quarn
