// WordIds numbering a chunk of cut words: beside the chunks it reads, so that the store's
// table of numbers knows nothing of the cutter.
#include "scan/WordCutter.h"
#include "store/WordIds.h"

namespace quarn {

namespace {

// Far enough ahead for a slot, then the characters beyond the eighth it points to, to arrive
// while the words before are numbered.
constexpr size_t kSlotAhead = 16;
constexpr size_t kKeyAhead = 8;

}  // namespace

void WordIds::Number(WordChunk& chunk, const uint64_t* hashes, const uint64_t* prefixes) {
  CutWord* words = chunk.words.data();
  const char* chars = chunk.chars.get();
  const size_t n = chunk.words.size();
  for (size_t i = 0; i < n; ++i) {
    if (i + kSlotAhead < n) PrefetchSlot(hashes[i + kSlotAhead]);
    if (i + kKeyAhead < n && words[i + kKeyAhead].length > 8) {
      PrefetchSuffix(hashes[i + kKeyAhead]);
    }
    CutWord& w = words[i];
    const uint32_t known = count_;
    w.id = IdOf(chars + w.at, w.length, hashes[i], prefixes[i]);
    w.fresh = count_ != known;
  }
}

void WordIds::Number(WordChunk& chunk) {
  const size_t n = chunk.words.size();
  hashes_.resize(n);
  prefixes_.resize(n);
  const char* chars = chunk.chars.get();
  for (size_t i = 0; i < n; ++i) {
    const CutWord& w = chunk.words[i];
    hashes_[i] = CutHash(chars + w.at, w.length);
    prefixes_[i] = CutPrefix(chars + w.at);
  }
  Number(chunk, hashes_.data(), prefixes_.data());
}

}  // namespace quarn
