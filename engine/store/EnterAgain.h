// Entering another occurrence of a word the word index holds, without the walk. Inline: most
// words of running text are words entered before, and the scanner's loop enters them here.
#pragma once

#include <cstdint>

#include "Prefetch.h"
#include "store/Store.h"
#include "store/WordIndex.h"
#include "store/WordTree.h"

namespace quarn {

// True iff the word index is in use and was built for the store as it stands (its table of
// roots and its memory limit). The tree of a first character c is then the one the index
// describes iff its root is the index's root for c.
inline bool IndexInStep(const Store& e) {
  const WordTree& tree = e.tree;
  const WordIndex& index = tree.index;
  return index.usable() && index.roots.size() == tree.WordRoots.size() &&
         index.memoryLimit == tree.MemoryNodeLimit;
}

// True iff words may be found and entered through the word index at all: fast paths on and
// the run not failed. Whether the index follows the tree at hand is a question of its own.
inline bool IndexMayServe(const Store& e) { return e.fastPaths && !e.failed(); }

// Another occurrence of the word of node n, counted in FileCounts slot slot: what the insertion
// would do, without the walk. It would read each node of the path once and write each back
// once, unchanged except for the word's own node, whose counts wait in the index (WordIndex.h).
inline void EnterAgain(Store& e, int32_t n, int slot) {
  WordIndex& index = e.tree.index;
  if (index.anyWaiting && index.waitingSlot != slot) SettleAllWaiting(e);
  index.anyWaiting = true;
  index.waitingSlot = slot;
  NodeMeta& meta = index.meta(n);
  ++meta.waiting;
  TallyOccurrence(e.tally, n);
  const PathCounts p = meta.path;
  e.tree.InsertDepth += p.memory + p.disk;
  AddTraffic(e.counters.CacheNodesRead, p.memory);
  AddTraffic(e.counters.CacheNodesWritten, p.memory);
  AddTraffic(e.counters.DiskNodesRead, p.disk);
  AddTraffic(e.counters.DiskNodesWritten, p.disk);
}

// EnterIndexedAgain for whatever its inline test does not settle (WordEntry.cpp).
bool EnterIndexedAgainChecked(Store& e, unsigned char first, int32_t node, bool& grow);

// Another occurrence of the word of node, which addtowrdlist returned for the store's tree of
// the word's first character first, with the word index unbroken since: enters it exactly as
// addtowrdlist would, and returns true. Returns false, having entered nothing, when the index
// cannot tell (the caller then calls addtowrdlist).
inline bool EnterIndexedAgain(Store& e, unsigned char first, int32_t node, bool& grow) {
  const WordTree& tree = e.tree;
  const WordIndex& index = tree.index;
  // Everything the checked way looks at, as it finds it when the index follows the tree.
  if (IndexMayServe(e) && IndexInStep(e) &&
      tree.WordRoots[first] == index.roots[first] && index.Covers(node)) {
    EnterAgain(e, node, e.countSlot);
    grow = false;
    return true;
  }
  return EnterIndexedAgainChecked(e, first, node, grow);
}

// A walk down the index's copy of a word tree's shape ahead of a new word's insertion, one node
// per step, so that the nodes its insertion will visit are on their way meanwhile. Like the
// hints of WordEntry.h it changes nothing; the tree may change under it, which only makes it
// less useful. Inline: the scanner steps every walk under way at every word.
struct WordWalk {
  int32_t node;
  uint64_t prefix;  // WordIndex::Prefix of the word
};

// Starts a walk in the tree of the word's first character; false when there is none to take.
inline bool StartWordWalk(Store& e, unsigned char first, uint64_t prefix, WordWalk* walk) {
  const WordTree& tree = e.tree;
  const WordIndex& index = tree.index;
  if (!index.usable() || index.roots.size() != tree.WordRoots.size()) return false;
  const int32_t root = tree.WordRoots[first];
  if (root == -1 || root != index.roots[first]) return false;
  PrefetchForRead(&index.links(root));
  *walk = WordWalk{root, prefix};
  return true;
}

// Takes one step; false when the walk has ended.
inline bool StepWordWalk(Store& e, WordWalk& walk) {
  const WordIndex& index = e.tree.index;
  // A broken index has let go of its copy of the shape.
  if (!index.usable() || !index.Covers(walk.node)) return false;
  const NodeLinks& links = index.links(walk.node);
  if (links.prefix == walk.prefix) return false;  // the rest needs the records' words
  const int32_t next = links.prefix > walk.prefix ? links.left : links.right;
  if (next == -1 || !index.Covers(next)) return false;
  PrefetchForRead(&index.links(next));
  walk.node = next;
  return true;
}

}  // namespace quarn
