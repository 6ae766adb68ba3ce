#include "Sort.h"

#include <cstring>
#include <utility>
#include <vector>

#include "../Engine.h"
#include "../store/WordEntry.h"
#include "../store/WordTree.h"
#include "KeySort.h"

namespace quarn {

namespace {

constexpr const char* kQuicksortLabel = "quicksort";
constexpr const char* kInsertionOuterLabel = "insertion_sort";
constexpr const char* kInsertionInnerLabel = "insertion sort";

// The second key of both comparisons.
int WordOrder(const TreeNode& a, const TreeNode& b) {
  int c = CompareWords(a.Word(), b.Word());
  if (c > 0) return 1;
  if (c < 0) return -1;
  return -99;
}

// The fast paths of the sort look at records where they are stored and move them there, with
// the traffic ReadNode and WriteNode would count. Without them, or for a record that cannot be
// reached in place, the copies are made.

// Node n as ReadNode would give it: the record in place, or a copy in *copy.
const TreeNode* Look(Engine& e, int32_t n, const char* label, TreeNode* copy) {
  if (e.fastPaths && !e.failed()) {
    if (const TreeNode* t = NodeInPlace(e, n)) {
      CountRead(e.counters, e.tree, n);
      return t;
    }
  }
  ReadNode(e, n, label, copy);
  return copy;
}

// WriteNode of the record *node (as Look gave it) under number n.
void Store(Engine& e, int32_t n, const TreeNode* node) {
  if (e.fastPaths && !e.failed()) {
    if (TreeNode* to = NodeInPlace(e, n)) {
      if (to != node) std::memcpy(to, node, sizeof(TreeNode));
      to->NodeNumber = n;
      CountWrite(e.counters, e.tree, n);
      return;
    }
  }
  TreeNode copy = *node;
  WriteNode(e, n, copy);
}

}  // namespace

int FilesHolding(const Engine& e, const TreeNode& r) {
  int files = e.FileNumber < kMaxInputFiles ? e.FileNumber : kMaxInputFiles;
  int range = 0;
  for (int k = 1; k <= files; ++k) {
    if (r.FileCounts(k) > 0) ++range;
  }
  return range;
}

int freqcompare(const Engine&, const TreeNode& a, const TreeNode& b) {
  if (a.Frequency < b.Frequency) return 1;
  if (a.Frequency > b.Frequency) return -1;
  return WordOrder(a, b);
}

int rangecompare(const Engine& e, const TreeNode& a, const TreeNode& b) {
  int ra = FilesHolding(e, a);
  int rb = FilesHolding(e, b);
  if (ra < rb) return 1;
  if (ra > rb) return -1;
  return WordOrder(a, b);
}

void sortnodes(Engine& e, int32_t first, int32_t last, NodeCompare compare) {
  // The records move: the word index no longer describes any tree.
  BreakIndex(e);
  if (SortByKeys(e, first, last, compare)) return;
  quicksort(e, first, last, compare);
}

// First-record pivot with a moving hole. Left parts are sorted before the right part, exactly as
// a recursion on the left part would; the right parts waiting meanwhile are kept on the heap, so
// that an unlucky order of a large store (records in reverse order give one level per record)
// cannot exhaust the call stack. The reads and writes are those of the recursive form.
void quicksort(Engine& e, int32_t lo, int32_t hi, NodeCompare compare) {
  if (compare == nullptr) return;
  std::vector<std::pair<int32_t, int32_t>> waiting;  // right parts still to sort
  TreeNode pivot;
  TreeNode copy;
  for (;;) {
    while (lo < hi) {
      if (e.failed()) return;
      ReadNode(e, lo, kQuicksortLabel, &pivot);
      int32_t i = lo;
      int32_t j = hi;
      while (i < j) {
        const TreeNode* t = Look(e, j, kQuicksortLabel, &copy);
        // Stops at the latest just below the hole or at the pivot's own copy (an equal record
        // compares -99). The bound only matters for records that no longer read back as they
        // were written (after a failure of the record file), and keeps the scan inside lo..hi.
        while (compare(e, *t, pivot) == 1 && j > lo) {
          --j;
          t = Look(e, j, kQuicksortLabel, &copy);
        }
        Store(e, i, Look(e, j, kQuicksortLabel, &copy));
        t = Look(e, i, kQuicksortLabel, &copy);
        while (i < j && compare(e, *t, pivot) < 1) {
          ++i;
          t = Look(e, i, kQuicksortLabel, &copy);
        }
        Store(e, j, Look(e, i, kQuicksortLabel, &copy));
        if (e.failed()) return;
      }
      WriteNode(e, i, pivot);
      if (i - lo - 1 < kInsertionSortMax) {
        insertion_sort(e, lo, i - 1, compare);
        lo = i + 1;
      } else {
        waiting.emplace_back(i + 1, hi);
        hi = i - 1;
      }
    }
    if (waiting.empty() || e.failed()) return;
    lo = waiting.back().first;
    hi = waiting.back().second;
    waiting.pop_back();
  }
}

// Straight insertion from the right end: each record sinks right past the records it must
// follow. The record being placed is written at every step, not only where it comes to rest.
void insertion_sort(Engine& e, int32_t lo, int32_t hi, NodeCompare compare) {
  if (compare == nullptr) return;
  TreeNode t;
  TreeNode copy;
  for (int32_t k = hi - 1; k >= lo; --k) {
    if (e.failed()) return;
    ReadNode(e, k, kInsertionOuterLabel, &t);
    int32_t p = k + 1;
    bool stop = false;
    while (p <= hi && !stop) {
      const TreeNode* u = Look(e, p, kInsertionInnerLabel, &copy);
      if (compare(e, t, *u) == 1) {
        Store(e, p - 1, u);
        ++p;
      } else {
        stop = true;
      }
      WriteNode(e, p - 1, t);
    }
  }
}

}  // namespace quarn
