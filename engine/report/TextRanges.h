// The ranges of a run over more texts than a record has FileCounts slots, from its tally of
// per-text counts (store/TextTally.h).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "QuarnHeader.h"
#include "Status.h"
#include "report/Dispersion.h"
#include "store/TextTally.h"

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

// What a tallied run's exports read, after SetTextRanges; none of it counts traffic.
// The record now holding each tally key (0 for a key no record holds), and each key's record
// list code.
struct TallyKeys {
  std::vector<int32_t> node;
  std::vector<int32_t> listCode;
};
TallyKeys FindTallyKeys(Engine& e);
// Calls block for each text's block of word counts (by tally key), in text order, until it
// returns false.
Status ForEachTallyBlock(Engine& e, const std::function<bool(const TallyBlock&)>& block);
// DP and DP_norm of every word and family by tally key, from the texts' blocks.
Status TallyDispersions(Engine& e, const TallyKeys& keys, std::vector<Dispersion>* byKey);

}  // namespace quarn
