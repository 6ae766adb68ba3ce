// Numbers for the words a scan cuts, given on the cutting thread, so that the thread entering
// them can find a word it entered before through a plain array (WordIndex::NodeOfId) instead of
// the word index's hash table.
//
// A word keeps its number for as long as the WordIds lives, whatever happens to the store:
// the number stands for the word's characters, not for a node. Only words of up to sixteen
// characters get one, and only the first kMaxIds different ones, so that the table's size stays
// bounded however many words a corpus holds; other words go without (kNoId).
//
// A WordIds is used by one thread at a time: during a scan either of its two threads numbers a
// chunk, holding SharedWordIds::mu.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "Prefetch.h"
#include "store/GrowingTable.h"
#include "store/WordIndex.h"

namespace quarn {

struct WordChunk;

class WordIds {
 public:
  static constexpr uint32_t kNoId = UINT32_MAX;
  // Half the largest table (32 MB of slots, 8 MB of characters beyond the eighth), so that a word
  // is mostly found at its first slot or the next: the words a corpus shows first are the ones it
  // shows most; the rest are found through the word index as ever.
  static constexpr uint32_t kMaxIds = uint32_t{1} << 20;

  // Gives every word of the chunk its number (CutWord::id), or kNoId, and marks the words
  // numbered for the first time (CutWord::fresh); hashes and prefixes hold their
  // WordIndex::Hash and Prefix, word by word. (Defined beside the chunks, in scan/ChunkIds.cpp.)
  void Number(WordChunk& chunk, const uint64_t* hashes, const uint64_t* prefixes);
  // The number of the word whose padded characters (zeros up to a multiple of eight) are at
  // chars, with its WordIndex::Hash and Prefix; a new word gets the next free number.
  uint32_t IdOf(const char* chars, size_t length, uint64_t hash, uint64_t prefix) {
    if (length == 0 || length > kMaxIdLength) return kNoId;
    uint64_t suffix = 0;
    if (length > 8) std::memcpy(&suffix, chars + 8, 8);  // zeros beyond the word
    const uint32_t tag = static_cast<uint32_t>(hash >> 32);
    const uint32_t wanted = static_cast<uint32_t>(length);
    for (uint32_t i = tag & mask_; !slots_.empty(); i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.idLength == 0) break;
      if ((((s.tag ^ tag) | ((s.idLength & 31) ^ wanted)) != 0) | (s.prefix != prefix)) continue;
      const uint32_t id = (s.idLength >> 5) - 1;
      if (length <= 8 || suffixes_[id] == suffix) return id;
    }
    return Add(tag, prefix, suffix, wanted);
  }
  // Number for a chunk whose hashes and prefixes were not kept: they are worked out here.
  void Number(WordChunk& chunk);
  // Forgets every word and frees the memory.
  void Reset();
  uint32_t size() const { return count_; }

 private:
  // Sixteen bytes, the word's first eight characters included: most words are no longer, and
  // are then told apart without a second place in memory to wait for.
  struct Slot {
    uint32_t tag;       // the upper half of the word's hash
    uint32_t idLength;  // (id + 1) << 5 | length; 0: empty
    uint64_t prefix;    // WordIndex::Prefix of the word
  };
  void PrefetchSlot(uint64_t hash) const {
    if (!slots_.empty()) PrefetchForRead(&slots_[static_cast<uint32_t>(hash >> 32) & mask_]);
  }
  // Asks for the ninth to sixteenth characters of the first word whose slot holds the hash's
  // tag (a few words after PrefetchSlot, when the slot has come).
  void PrefetchSuffix(uint64_t hash) const {
    if (slots_.empty()) return;
    const uint32_t tag = static_cast<uint32_t>(hash >> 32);
    for (uint32_t i = tag & mask_;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.idLength == 0) return;
      if (s.tag == tag) return PrefetchForRead(&suffixes_[(s.idLength >> 5) - 1]);
    }
  }
  // Numbers a word IdOf did not find, unless kMaxIds are given.
  uint32_t Add(uint32_t tag, uint64_t prefix, uint64_t suffix, uint32_t length);
  void Grow();
  static constexpr size_t kMaxIdLength = 16;

  std::vector<Slot, TableAllocator<Slot>> slots_;
  GrowingTable<uint64_t> suffixes_;  // by number: the ninth to sixteenth characters as they stand
  std::vector<uint64_t> hashes_;  // Number(chunk)'s
  std::vector<uint64_t> prefixes_;
  uint32_t mask_ = 0;
  uint32_t count_ = 0;
};

// The word numbers of a scan, numbered by whichever of its threads has the time: the cutter
// while the enterer is behind (chunks wait for it), else the enterer.
struct SharedWordIds {
  WordIds* ids;
  std::mutex mu;
};

}  // namespace quarn
