// Entering words and families into the AVL trees of the store, and finding them again.
// Every node access goes through ReadNode/WriteNode in the exact order the traffic counters
// of the report depend on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "QuarnHeader.h"

namespace quarn {

struct Store;

// Byte-wise unsigned comparison; a prefix sorts before the longer word. <0, 0, >0.
int CompareWords(std::string_view a, std::string_view b);

// Enters one occurrence of word (at most 30 characters) into the store's tree of its first
// character (WordTree::WordRoots), counting it in FileCounts slot Store::countSlot (in none
// when 0). grow may change. Counts, links and balances may wait in the word index
// (WordIndex.h): ReadNode, WriteNode and NodeInPlace see them, the record file's bytes only
// after SettleAllWaiting.
void addtowrdlist(Store& e, std::string_view word, bool& grow);
// The same for a word of at most 30 characters whose WordIndex::Hash and Prefix are known.
// Returns the node the word index knows the word by afterwards (for EnterIndexedAgain,
// EnterAgain.h), or 0 when the index does not know it.
int32_t addtowrdlist(Store& e, std::string_view word, uint64_t hash, uint64_t prefix,
                     bool& grow);
// The same into the tree rooted at root, which is not followed by the word index: a tree of
// its own, or one of the store's entered through another reference than its WordRoots entry.
// root and grow may change; the word index is let go.
void addtowrdlist(Store& e, int32_t& root, std::string_view word, bool& grow);
// Hints for a word of at most 30 characters with this WordIndex::Hash and length that is about
// to be entered: fetch its index slot, then (some words later) what the index holds of its node
// and, for a word of more than sixteen characters, its record. They change nothing.
// PrefetchWordRecord returns true iff the index holds no word with the hash: the word will
// probably be new.
void PrefetchWordSlot(Store& e, uint64_t hash);
bool PrefetchWordRecord(Store& e, uint64_t hash, size_t length);

// Enters a copy of the family record, keyed by its Word, into the family tree at root (a
// FamilyRoots entry, or a tree of its own; never a word tree). A second record for the same
// headword is refused with "Serious Error in Add to Fam List!" and grow becomes false.
void addtofamlist(Store& e, int32_t& root, const TreeNode& family, bool& grow);

// Looks word up in the tree at root. *out is the stored node when present, else a record with
// NodeNumber -1. Returns true iff present with a ListCode other than 66.
bool checklist(Store& e, int32_t root, std::string_view word, TreeNode* out);

// The word's Frequency, or 0 when absent.
int32_t LookupFrequency(Store& e, int32_t root, std::string_view word);
// The word's ListCode, or 0 when absent.
int32_t LookupListCode(Store& e, int32_t root, std::string_view word);

}  // namespace quarn
