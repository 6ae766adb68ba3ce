// The ranges of a run over more texts than a record has FileCounts slots, from its tally of
// per-text counts (store/TextTally.h).
#pragma once

#include <cstdint>

#include "QuarnHeader.h"

namespace quarn {

struct Engine;

// A tallied record's FileCounts slot that holds its tally key: the node number its counts are
// filed under in the tally, which the sort does not change (the record moves, the key with it).
// 0 for a record the tally does not hold.
constexpr int kTallyKeySlot = 1;
inline int32_t TallyKey(const TreeNode& r) { return r.FileCounts(kTallyKeySlot); }

// For a tallied run, after the lists are loaded and before the sort: sets every word node's
// FileRange to the number of texts it occurs in and every family record's to the number of
// texts any of its words occurs in, and gives both their tally key. Reads and writes the
// records it sets through ReadNode and WriteNode. Does nothing for a run that is not tallied.
void SetTextRanges(Engine& e);

}  // namespace quarn
