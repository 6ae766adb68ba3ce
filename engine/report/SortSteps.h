// The steps of quicksort and insertion_sort, written once for whatever they sort: the store's
// records (Sort.cpp) or small copies of their keys (KeySort.cpp). Both must read, write and
// compare in the same order, since the traffic counters of the report count each read and
// write, and the sort of the keys stands in for the sort of the records.
//
// Access gives the items at positions (node numbers):
//   Held             an item kept across writes (the pivot, the record being placed)
//   View             an item looked at until the next write (may refer to the stored item)
//   Hold(n, label, &held), Look(n, label) -> View: one counted read each
//   Write(n, view), WriteHeld(n, held): one counted write each
//   Compare(a, b) for a View or Held each: freqcompare's or rangecompare's 1, -1 or -99
//   Failed(): the run failed; the steps end
//   SortLater(lo, hi): true when the part lo..hi has been taken to be sorted elsewhere
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "report/Sort.h"

namespace quarn {

inline constexpr const char* kQuicksortLabel = "quicksort";
inline constexpr const char* kInsertionOuterLabel = "insertion_sort";
inline constexpr const char* kInsertionInnerLabel = "insertion sort";

// Straight insertion from the right end: each item sinks right past the items it must follow.
// The item being placed is written at every step, not only where it comes to rest.
template <typename Access>
void InsertionSortSteps(Access& a, int32_t lo, int32_t hi) {
  typename Access::Held t;
  for (int32_t k = hi - 1; k >= lo; --k) {
    if (a.Failed()) return;
    a.Hold(k, kInsertionOuterLabel, &t);
    int32_t p = k + 1;
    bool stop = false;
    while (p <= hi && !stop) {
      const typename Access::View u = a.Look(p, kInsertionInnerLabel);
      if (a.Compare(t, u) == 1) {
        a.Write(p - 1, u);
        ++p;
      } else {
        stop = true;
      }
      a.WriteHeld(p - 1, t);
    }
  }
}

// First-item pivot with a moving hole. Left parts are sorted before the right part, exactly as
// a recursion on the left part would; the right parts waiting meanwhile are kept on the heap, so
// that an unlucky order of a large store (items in reverse order give one level per item)
// cannot exhaust the call stack. The reads and writes are those of the recursive form.
template <typename Access>
void QuicksortSteps(Access& a, int32_t lo, int32_t hi) {
  std::vector<std::pair<int32_t, int32_t>> waiting;  // right parts still to sort
  typename Access::Held pivot;
  for (;;) {
    while (lo < hi) {
      if (a.Failed()) return;
      a.Hold(lo, kQuicksortLabel, &pivot);
      int32_t i = lo;
      int32_t j = hi;
      while (i < j) {
        typename Access::View t = a.Look(j, kQuicksortLabel);
        // Stops at the latest just below the hole or at the pivot's own copy (an equal item
        // compares -99). The bound only matters for records that no longer read back as they
        // were written (after a failure of the record file), and keeps the scan inside lo..hi.
        while (a.Compare(t, pivot) == 1 && j > lo) {
          --j;
          t = a.Look(j, kQuicksortLabel);
        }
        a.Write(i, a.Look(j, kQuicksortLabel));
        t = a.Look(i, kQuicksortLabel);
        while (i < j && a.Compare(t, pivot) < 1) {
          ++i;
          t = a.Look(i, kQuicksortLabel);
        }
        a.Write(j, a.Look(i, kQuicksortLabel));
        if (a.Failed()) return;
      }
      a.WriteHeld(i, pivot);
      if (i - lo - 1 < kInsertionSortMax) {
        InsertionSortSteps(a, lo, i - 1);
        lo = i + 1;
      } else {
        if (!a.SortLater(i + 1, hi)) waiting.emplace_back(i + 1, hi);
        hi = i - 1;
      }
    }
    if (waiting.empty() || a.Failed()) return;
    lo = waiting.back().first;
    hi = waiting.back().second;
    waiting.pop_back();
  }
}

}  // namespace quarn
