#include "report/Sort.h"

#include <cstring>

#include "report/KeySort.h"
#include "report/ListWriters.h"
#include "report/SortSteps.h"
#include "state/Engine.h"
#include "store/WordEntry.h"
#include "store/WordTree.h"

namespace quarn {

namespace {

// The second key of both comparisons.
int WordOrder(const TreeNode& a, const TreeNode& b) {
  int c = CompareWords(a.Word(), b.Word());
  if (c > 0) return 1;
  if (c < 0) return -1;
  return -99;
}

// The records themselves, for SortSteps.h, compared by Compare. The fast paths look at records
// where they are stored and move them there, with the traffic ReadNode and WriteNode would
// count. Without them, or for a record that cannot be reached in place, the copies are made.
template <int (*kCompare)(const Engine&, const TreeNode&, const TreeNode&)>
class StoredRecords {
 public:
  using Held = TreeNode;
  using View = const TreeNode*;

  explicit StoredRecords(Engine& e) : e_(e) {}

  bool Failed() const { return e_.failed(); }
  void Hold(int32_t n, const char* label, TreeNode* out) { ReadNode(e_, n, label, out); }
  // Whether records may be looked at and written in place (fast paths on, the run not failed).
  bool InPlace() const { return e_.fastPaths && !e_.failed(); }
  // Node n as ReadNode would give it: the record in place, or a copy.
  View Look(int32_t n, const char* label) {
    if (InPlace()) {
      if (const TreeNode* t = NodeInPlace(e_, n)) {
        CountRead(e_.counters, e_.tree, n);
        return t;
      }
    }
    ReadNode(e_, n, label, &copy_);
    return &copy_;
  }
  // WriteNode of the record *node (as Look gave it) under number n.
  void Write(int32_t n, View node) {
    if (InPlace()) {
      if (TreeNode* to = NodeInPlace(e_, n)) {
        if (to != node) std::memcpy(to, node, sizeof(TreeNode));
        to->NodeNumber = n;
        CountWrite(e_.counters, e_.tree, n);
        return;
      }
    }
    TreeNode copy = *node;
    WriteNode(e_, n, copy);
  }
  void WriteHeld(int32_t n, TreeNode& node) { WriteNode(e_, n, node); }
  int Compare(const TreeNode& a, View b) const { return kCompare(e_, a, *b); }
  int Compare(View a, const TreeNode& b) const { return kCompare(e_, *a, b); }
  static bool SortLater(int32_t, int32_t) { return false; }

 private:
  Engine& e_;
  TreeNode copy_;
};

// Runs steps(records) with the records compared as order asks.
template <typename Steps>
void WithRecords(Engine& e, SortOrder order, Steps steps) {
  if (order == SortOrder::Range) {
    StoredRecords<rangecompare> records(e);
    steps(records);
  } else {
    StoredRecords<freqcompare> records(e);
    steps(records);
  }
}

}  // namespace

int FilesHolding(const Engine& e, const TreeNode& r) {
  if (e.tally.on) return r.FileRange;  // counted over all the texts (TextRanges.h)
  const int files = ReportFiles(e);
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

bool sortnodes(Engine& e, int32_t first, int32_t last, SortOrder order) {
  // The records move: the word index no longer describes any tree.
  BreakIndex(e);
  if (SortByKeys(e, first, last, order)) return true;
  quicksort(e, first, last, order);
  return false;
}

void quicksort(Engine& e, int32_t lo, int32_t hi, SortOrder order) {
  WithRecords(e, order, [&](auto& records) { QuicksortSteps(records, lo, hi); });
}

void insertion_sort(Engine& e, int32_t lo, int32_t hi, SortOrder order) {
  WithRecords(e, order, [&](auto& records) { InsertionSortSteps(records, lo, hi); });
}

}  // namespace quarn
