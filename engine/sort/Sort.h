// In-place sorting of the store's records by frequency or range, one record at a time through
// ReadNode and WriteNode (the records may live in the record file).
#pragma once

#include <cstdint>

#include "../QuarnHeader.h"

namespace quarn {

struct Engine;

// Left parts of this many records or fewer are finished by the insertion sort.
constexpr int32_t kInsertionSortMax = 20;

// 1 when a must come after b, -1 when before, -99 when neither key tells them apart.
using NodeCompare = int (*)(const Engine& e, const TreeNode& a, const TreeNode& b);

// Files of this report holding the word (FileCounts[1..FileNumber] above 0); FileNumber beyond
// the 64 slots counts them all.
int FilesHolding(const Engine& e, const TreeNode& r);

// Frequency, larger first; then word ascending.
int freqcompare(const Engine& e, const TreeNode& a, const TreeNode& b);
// Range over FileCounts[1..FileNumber], larger first; then word ascending.
int rangecompare(const Engine& e, const TreeNode& a, const TreeNode& b);

// Sorts the records at node numbers first..last with compare.
void sortnodes(Engine& e, int32_t first, int32_t last, NodeCompare compare);
void quicksort(Engine& e, int32_t lo, int32_t hi, NodeCompare compare);
void insertion_sort(Engine& e, int32_t lo, int32_t hi, NodeCompare compare);

}  // namespace quarn
