#include "report/KeySort.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "Prefetch.h"
#include "SecondThread.h"
#include "report/SortSteps.h"
#include "state/Engine.h"
#include "store/WordEntry.h"
#include "store/WordIndex.h"
#include "store/WordTree.h"

namespace quarn {

namespace {

// What the comparisons look at of a record, and where the record was before the sort.
struct SortKey {
  uint64_t prefix;  // WordIndex::Prefix of the word
  int32_t rank;     // Frequency or range: larger first
  int32_t node;
  uint8_t length;
};

// The keys of the records first..last, and the comparison freqcompare or rangecompare makes of
// the records they stand for, with its -99 for records neither key tells apart.
class KeyedRecords {
 public:
  KeyedRecords(Engine& e, int32_t first) : e_(e), first_(first) {}

  // Takes the keys; false when a record cannot be reached in place.
  bool Load(int32_t last, bool byRange) {
    keys_.resize(static_cast<size_t>(last - first_ + 1));
    records_.resize(keys_.size());
    for (int32_t n = first_; n <= last; ++n) {
      const TreeNode* t = NodeInPlace(e_, n);
      if (t == nullptr) return false;
      records_[n - first_] = t;
      keys_[n - first_] = SortKey{WordIndex::Prefix(t->Word()),
                                  byRange ? FilesHolding(e_, *t) : t->Frequency, n, t->WordLength};
    }
    return true;
  }

  SortKey& at(int32_t n) { return keys_[static_cast<size_t>(n - first_)]; }

  int Compare(const SortKey& a, const SortKey& b) const {
    if (a.rank < b.rank) return 1;
    if (a.rank > b.rank) return -1;
    int c;
    if (a.prefix != b.prefix) {
      c = a.prefix > b.prefix ? 1 : -1;
    } else if (a.length <= 8 && b.length <= 8) {
      c = a.length == b.length ? 0 : (a.length > b.length ? 1 : -1);
    } else {
      c = CompareWords(Original(a.node)->Word(), Original(b.node)->Word());
    }
    return c > 0 ? 1 : (c < 0 ? -1 : -99);
  }

  // Moves every record to the place its key was sorted to, numbering it there. The moves are
  // shared between this thread and another: records are large and scattered, so two threads
  // asking for them keep twice as many on their way.
  void MoveRecords() {
    // The permutation's cycles one after another: each place takes the record of the next
    // place of its cycle, the last place of a cycle the record its first place had.
    std::vector<int32_t> from(keys_.size());
    for (size_t p = 0; p < keys_.size(); ++p) from[p] = keys_[p].node - first_;
    places_.clear();
    cycleEnds_.clear();
    for (size_t start = 0; start < from.size(); ++start) {
      if (from[start] < 0 || from[start] == static_cast<int32_t>(start)) continue;
      for (int32_t p = static_cast<int32_t>(start); from[p] >= 0;) {
        places_.push_back(p);
        const int32_t next = from[p];
        from[p] = -1;  // taken
        p = next;
      }
      cycleEnds_.push_back(places_.size());
    }
    const size_t half = places_.size() / 2;
    if (half < kShareFrom) return Move(0, places_.size(), nullptr, nullptr);
    // The second half overwrites the record the first half's last place takes, and, when a
    // cycle runs across the middle, the first place's record its last place takes: both are
    // kept aside before either half begins.
    TreeNode atHalf;
    std::memcpy(&atHalf, Record(places_[half]), sizeof atHalf);
    TreeNode crossingFirst;
    const TreeNode* crossing = nullptr;
    const size_t cycle = CycleAt(half);
    const size_t cycleStart = cycle == 0 ? 0 : cycleEnds_[cycle - 1];
    if (cycleStart < half) {
      std::memcpy(&crossingFirst, Record(places_[cycleStart]), sizeof crossingFirst);
      crossing = &crossingFirst;
    }
    SecondThread other;
    if (!other.Start([&] { Move(half, places_.size(), nullptr, crossing); })) {
      // No thread to spare: the second half here as well, after the first.
      Move(0, half, &atHalf, nullptr);
      return Move(half, places_.size(), nullptr, crossing);
    }
    Move(0, half, &atHalf, nullptr);
    other.Join();
  }

 private:
  // Halves of fewer places are moved by this thread alone.
  static constexpr size_t kShareFrom = 4096;

  // The index of the cycle holding the place at position i of places_.
  size_t CycleAt(size_t i) const {
    return static_cast<size_t>(std::upper_bound(cycleEnds_.begin(), cycleEnds_.end(), i) -
                               cycleEnds_.begin());
  }

  // Moves the records for places_[begin, end). end == places_.size() or end's record is given
  // as next (its place is moved by someone else); a cycle that began before begin gets its first
  // place's record as crossingFirst.
  void Move(size_t begin, size_t end, const TreeNode* next, const TreeNode* crossingFirst) {
    if (begin >= end) return;
    size_t cycle = CycleAt(begin);
    const size_t firstStart = cycle == 0 ? 0 : cycleEnds_[cycle - 1];
    TreeNode held;  // the record of the current cycle's first place
    const TreeNode* first = crossingFirst;
    if (firstStart == begin) {
      std::memcpy(&held, Record(places_[begin]), sizeof held);
      first = &held;
    }
    for (size_t i = begin; i < end; ++i) {
      if (i + 8 < end) Prefetch(Record(places_[i + 8]));
      TreeNode* to = Record(places_[i]);
      if (i + 1 == cycleEnds_[cycle]) {
        std::memcpy(to, first, sizeof(TreeNode));  // the cycle's last place
        ++cycle;
        if (i + 1 < end) {
          std::memcpy(&held, Record(places_[i + 1]), sizeof held);
          first = &held;
        }
      } else if (i + 1 == end && next != nullptr) {
        std::memcpy(to, next, sizeof(TreeNode));
      } else {
        std::memcpy(to, Record(places_[i + 1]), sizeof(TreeNode));
      }
      to->NodeNumber = places_[i] + first_;
    }
  }

  static void Prefetch(const TreeNode* t) {
    const char* p = reinterpret_cast<const char*>(t);
    for (size_t at = 0; at < sizeof(TreeNode); at += 64) PrefetchForRead(p + at);
    PrefetchForRead(p + sizeof(TreeNode) - 1);
  }
  const TreeNode* Original(int32_t n) const { return records_[static_cast<size_t>(n - first_)]; }
  TreeNode* Record(int32_t place) {
    return const_cast<TreeNode*>(records_[static_cast<size_t>(place)]);
  }

  Engine& e_;
  const int32_t first_;
  std::vector<SortKey> keys_;
  std::vector<int32_t> places_;    // MoveRecords: the cycles' places, one cycle after another
  std::vector<size_t> cycleEnds_;  // where each cycle ends in places_
  std::vector<const TreeNode*> records_;  // by node number - first, as before the sort
};

// The quicksort and insertion sort of Sort.cpp (SortSteps.h) on the keys: each read and write
// counted against the node number it would have read or written. Once a partition leaves a part
// to sort later of between a third and two thirds of all the keys, that part is sorted on
// another thread: parts never overlap, each is sorted by the same steps whoever sorts it, and
// the other thread's reads and writes are added to the counts when it is done.
class KeySorter {
 public:
  KeySorter(Engine& e, KeyedRecords& records, RunCounters& counters)
      : e_(e), r_(records), counters_(counters), limit_(e.tree.MemoryNodeLimit) {}

  // Sorts lo..hi, sharing a part with another thread as above when share.
  void Quicksort(int32_t lo, int32_t hi, bool share = false) {
    share_ = share;
    all_ = int64_t{hi} - lo + 1;
    QuicksortSteps(*this, lo, hi);
    AddTraffic(counters_.CacheNodesRead, tally_.cacheReads);
    AddTraffic(counters_.CacheNodesWritten, tally_.cacheWrites);
    AddTraffic(counters_.DiskNodesRead, tally_.diskReads);
    AddTraffic(counters_.DiskNodesWritten, tally_.diskWrites);
    if (helper_.running()) {
      helper_.Join();
      AddTraffic(counters_.CacheNodesRead, static_cast<uint32_t>(helperCounts_.CacheNodesRead));
      AddTraffic(counters_.CacheNodesWritten,
                 static_cast<uint32_t>(helperCounts_.CacheNodesWritten));
      AddTraffic(counters_.DiskNodesRead, static_cast<uint32_t>(helperCounts_.DiskNodesRead));
      AddTraffic(counters_.DiskNodesWritten,
                 static_cast<uint32_t>(helperCounts_.DiskNodesWritten));
    }
  }

  // The keys as SortSteps.h sees them. The reads and writes are tallied here and added to the
  // counters at the end: counting each straight into the counters would make every step wait
  // for the step before.
  using Held = SortKey;
  using View = SortKey;
  static constexpr bool Failed() { return false; }
  void Hold(int32_t n, const char*, SortKey* out) { *out = Read(n); }
  SortKey Look(int32_t n, const char*) { return Read(n); }
  void Write(int32_t n, const SortKey& k) {
    ++(n <= limit_ ? tally_.cacheWrites : tally_.diskWrites);
    r_.at(n) = k;
  }
  void WriteHeld(int32_t n, const SortKey& k) { Write(n, k); }
  int Compare(const SortKey& a, const SortKey& b) const { return r_.Compare(a, b); }
  // Hands lo..hi to the other thread when it is the share described above.
  bool SortLater(int32_t lo, int32_t hi) {
    const int64_t later = int64_t{hi} - lo + 1;
    if (!share_ || helper_.running() || all_ < kShareFrom || 3 * later < all_ ||
        3 * later > 2 * all_) {
      return false;
    }
    // Without a thread to spare it is sorted here later.
    return helper_.Start([this, lo, hi] { KeySorter(e_, r_, helperCounts_).Quicksort(lo, hi); });
  }

 private:
  // Reads and writes as ReadNode and WriteNode would count them (wrapping like the counters).
  struct Tally {
    uint32_t cacheReads = 0;
    uint32_t diskReads = 0;
    uint32_t cacheWrites = 0;
    uint32_t diskWrites = 0;
  };

  SortKey Read(int32_t n) {
    ++(n <= limit_ ? tally_.cacheReads : tally_.diskReads);
    return r_.at(n);
  }

  static constexpr int64_t kShareFrom = 20000;  // fewer keys are sorted by one thread
  Engine& e_;
  KeyedRecords& r_;
  RunCounters& counters_;
  const int32_t limit_;
  Tally tally_;
  bool share_ = false;
  int64_t all_ = 0;
  RunCounters helperCounts_;
  SecondThread helper_;  // declared last: joined before the counts above go
};

}  // namespace

bool SortByKeys(Engine& e, int32_t first, int32_t last, SortOrder order) {
  if (!e.fastPaths || e.failed()) return false;
  if (first > last) return false;
  KeyedRecords records(e, first);
  if (!records.Load(last, order == SortOrder::Range)) return false;
  KeySorter sorter(e, records, e.counters);
  sorter.Quicksort(first, last, true);
  records.MoveRecords();
  return true;
}

}  // namespace quarn
