// In-place sorting of the store's records by frequency or range, one record at a time through
// ReadNode and WriteNode (the records may live in the record file).
#pragma once

#include <cstdint>

#include "QuarnHeader.h"

namespace quarn {

struct Engine;

// Left parts of this many records or fewer are finished by the insertion sort.
constexpr int32_t kInsertionSortMax = 20;

// The orders a sort can put the records in, each by its comparison below.
enum class SortOrder { Frequency, Range };

// Files of this report holding the word: its counts above 0 among the ReportFiles
// (ListWriters.h), the range its row shows. A run over more texts than slots has it in
// FileRange, counted over all of them (TextRanges.h).
int FilesHolding(const Engine& e, const TreeNode& r);

// 1 when a must come after b, -1 when before, -99 when neither key tells them apart.
// Frequency, larger first; then word ascending.
int freqcompare(const Engine& e, const TreeNode& a, const TreeNode& b);
// Range over FileCounts[1..FileNumber], larger first; then word ascending.
int rangecompare(const Engine& e, const TreeNode& a, const TreeNode& b);

// Sorts the records at node numbers first..last into order. Returns true when the sort of
// their keys stood in for the sort of the records (SortByKeys, KeySort.h), false when the
// records themselves were sorted; the outcome is the same.
bool sortnodes(Engine& e, int32_t first, int32_t last, SortOrder order);
void quicksort(Engine& e, int32_t lo, int32_t hi, SortOrder order);
void insertion_sort(Engine& e, int32_t lo, int32_t hi, SortOrder order);

}  // namespace quarn
