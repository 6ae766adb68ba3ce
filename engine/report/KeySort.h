// The sort's fast path: the quicksort and insertion sort of Sort.cpp run on small copies of
// the records' keys, and the records are then moved once each to where the sort put them.
// The order, the traffic counters and the records' final contents are those of sorting the
// records themselves.
#pragma once

#include <cstdint>

#include "report/Sort.h"

namespace quarn {

struct Engine;

// Sorts the records at node numbers first..last as quicksort(e, first, last, order) would.
// Returns false, having done nothing, when the keys cannot stand in for the records: fast paths
// off, a record not reachable in place, or a failed run.
bool SortByKeys(Engine& e, int32_t first, int32_t last, SortOrder order);

}  // namespace quarn
