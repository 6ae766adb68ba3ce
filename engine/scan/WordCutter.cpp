#include "scan/WordCutter.h"

#include <cstring>

#include "scan/TextScan.h"
#include "store/WordIds.h"
#include "store/WordIndex.h"
#include "text/CharCase.h"
#include "text/LineReader.h"

namespace quarn {

WordCutter::WordCutter(const CharClassTable& classes, bool ignoreAngle, SharedWordIds* ids)
    : ignoreAngle_(ignoreAngle), ids_(ids) {
  for (int c = 0; c < 256; ++c) {
    const unsigned char u = UpperChar(static_cast<unsigned char>(c));
    upper_[c] = static_cast<char>(u);
    classes_.classes[c] = classes.Class(u);
  }
  ascii_ = AsciiBlock(upper_, classes_.classes.data());
}

void WordCutter::CutFile(LineReader& reader, std::string& raw, WordChunk* chunk, Sink& sink) {
  chunk_ = chunk;
  sink_ = &sink;
  int64_t lineCount = 0;
  do {
    const std::string_view trimmed = Trim(raw);
    ++lineCount;
    if (lineCount % 1000 == 0) {
      // The words of the lines before are entered before the progress is shown.
      chunk_->progressLines = lineCount;
      chunk_ = Hand();
      if (chunk_ == nullptr) return;
    }
    if (!trimmed.empty() && trimmed[0] != '#') {
      AddLine(trimmed);
      if (chunk_ == nullptr) return;
    }
  } while (reader.Next(&raw));
  chunk_->last = true;
  chunk_->lines = lineCount;
  Hand();
  chunk_ = nullptr;
}

void WordCutter::AddLine(std::string_view trimmed) {
  lineStart_ = true;
  if (!ignoreAngle_) return CutWords(trimmed);
  size_t pos = 0;
  std::string_view word;
  while (NextWord(classes_, true, trimmed, pos, &word)) {
    char* out = chunk_->chars.get() + chunk_->used;
    for (size_t i = 0; i < word.size(); ++i) out[i] = upper_[static_cast<unsigned char>(word[i])];
    const size_t padded = (word.size() + 7) / 8 * 8;
    std::memset(out + word.size(), 0, padded - word.size());
    Keep(word.size());
    if (chunk_ == nullptr) return;
  }
}

// NextWord without tags, on 64 characters at a time: each character is upper-cased once into a
// window of two such blocks, with bit masks of its letters and separators; words are then found
// with bit scans instead of a branch per character, whose outcome running text makes hard to
// guess. A word starting in the first block ends within the window (30 characters at most).
void WordCutter::CutWords(std::string_view line) {
  const unsigned char* text = reinterpret_cast<const unsigned char*>(line.data());
  const size_t length = line.size();
  size_t base = 0;  // the line offset of the window
  Block first = FillBlock(text, length, 0, window_);
  Block second = FillBlock(text, length, kBlock, window_ + kBlock);
  size_t pos = 0;  // in the window, below kBlock
  for (;;) {
    // The next letter in the first block.
    const uint64_t letters = first.letters & (~uint64_t{0} << pos);
    if (letters == 0) {
      if (base + kBlock >= length) break;
      // Slide the window on by one block.
      base += kBlock;
      std::memcpy(window_, window_ + kBlock, kBlock);
      first = second;
      second = FillBlock(text, length, base + kBlock, window_ + kBlock);
      pos = 0;
      continue;
    }
    const size_t start = static_cast<size_t>(__builtin_ctzll(letters));
    // Its end: the next separator (beyond the line all are), or the cut.
    const uint64_t seps1 = first.separators & (~uint64_t{0} << start);
    size_t end1 = 2 * kBlock;  // no separator in the window: the cut ends the word
    if (seps1 != 0) {
      end1 = static_cast<size_t>(__builtin_ctzll(seps1));
    } else if (second.separators != 0) {
      end1 = kBlock + static_cast<size_t>(__builtin_ctzll(second.separators));
    }
    const size_t end = end1 - start > kMaxWordLength ? start + kMaxWordLength : end1;
    KeepFrom(window_ + start, end - start);
    if (chunk_ == nullptr) return;
    if (end >= kBlock) {
      // The word ran into the second block: go on from there.
      base += kBlock;
      std::memcpy(window_, window_ + kBlock, kBlock);
      first = second;
      second = FillBlock(text, length, base + kBlock, window_ + kBlock);
      pos = end - kBlock;
    } else {
      pos = end;
    }
  }
}

// Upper-cases the line's characters at [from, from + kBlock) into out (zeros beyond the line)
// and gives their masks.
WordCutter::Block WordCutter::FillBlock(const unsigned char* text, size_t length, size_t from,
                                        char* out) const {
  Block b{0, 0};
  const size_t n = from >= length ? 0 : (length - from < kBlock ? length - from : kBlock);
  if (ascii_.usable() && n != 0) {
    if (n == kBlock) {
      if (ascii_.Fill(text + from, out, &b.letters, &b.separators)) return b;
    } else {
      // The end of the line, from a copy followed by zeros (which upper-case to zeros).
      alignas(32) unsigned char tail[kBlock] = {};
      std::memcpy(tail, text + from, n);
      if (ascii_.Fill(tail, out, &b.letters, &b.separators)) {
        const uint64_t inLine = (uint64_t{1} << n) - 1;
        b.letters &= inLine;
        b.separators |= ~inLine;
        return b;
      }
    }
    b = Block{0, 0};
  }
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = text[from + i];
    out[i] = upper_[c];
    const uint8_t cls = classes_.classes[c];
    b.letters |= static_cast<uint64_t>(cls == 2) << i;
    b.separators |= static_cast<uint64_t>(cls == 0) << i;
  }
  if (n == 0) {
    std::memset(out, 0, kBlock);
    b.separators = ~uint64_t{0};
  } else if (n < kBlock) {
    std::memset(out + n, 0, kBlock - n);
    b.separators |= ~uint64_t{0} << n;
  }
  return b;
}

// Keeps the length (1..30) upper-cased characters at from as the next word, zero-filled to a
// multiple of eight characters for the hash. Thirty-two characters are moved whatever the
// length, those beyond the word cleared: from lies in the first block of the window, and the
// chunk has thirty-two characters of room for every word it can take.
void WordCutter::KeepFrom(const char* from, size_t length) {
  static_assert(kMaxWordLength <= 30 && WordChunk::kKeptCut == 32 && kBlock - 1 + 32 <= 2 * kBlock);
  // 32 bytes of ones, then 32 of zeros: from kKeep + 32 - length, length ones.
  alignas(64) static constexpr unsigned char kKeep[64] = {
      255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
      255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
  char* out = chunk_->chars.get() + chunk_->used;
  const unsigned char* keep = kKeep + 32 - length;
  uint64_t chars[4];
  uint64_t masks[4];
  std::memcpy(chars, from, 32);
  std::memcpy(masks, keep, 32);
  for (int k = 0; k < 4; ++k) chars[k] &= masks[k];
  std::memcpy(out, chars, 32);
  // The hash and the first character from the word as kept here, not from the chunk: reading
  // back what was just stored would wait for the store.
  const size_t k = chunk_->words.size();
  hashes_[k] = WordIndex::HashPadded(reinterpret_cast<const char*>(chars), length);
  prefixes_[k] = __builtin_bswap64(chars[0]);
  chunk_->words.push_back(CutWord{static_cast<uint32_t>(chunk_->used), WordIds::kNoId,
                                  static_cast<uint8_t>(length),
                                  static_cast<uint8_t>(chars[0] & 0xff), lineStart_, false});
  chunk_->used += (length + 7) / 8 * 8;
  lineStart_ = false;
  if (chunk_->words.size() >= WordChunk::kMaxWords) Next();
}

// Keeps the length (1..30) characters just written at the end of the chunk's characters, and
// zero-filled to a multiple of eight characters, as the next word.
void WordCutter::Keep(size_t length) {
  const char* stored = chunk_->chars.get() + chunk_->used;
  const size_t k = chunk_->words.size();
  hashes_[k] = CutHash(stored, length);
  prefixes_[k] = CutPrefix(stored);
  chunk_->words.push_back(CutWord{static_cast<uint32_t>(chunk_->used), WordIds::kNoId,
                                  static_cast<uint8_t>(length), static_cast<uint8_t>(stored[0]),
                                  lineStart_, false});
  chunk_->used += (length + 7) / 8 * 8;
  lineStart_ = false;
  if (chunk_->words.size() >= WordChunk::kMaxWords) Next();
}

void WordCutter::Next() { chunk_ = Hand(); }

WordChunk* WordCutter::Hand() {
  // Numbering is a quarter of the cutting: worth doing here only while the entering side is
  // behind, which then has the time for it.
  if (ids_ != nullptr && sink_->Waiting() >= kNumberWhenWaiting) {
    std::lock_guard<std::mutex> lock(ids_->mu);
    ids_->ids->Number(*chunk_, hashes_, prefixes_);
    chunk_->numbered = true;
  }
  return sink_->Hand(chunk_);
}

}  // namespace quarn
