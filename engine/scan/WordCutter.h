// Cutting the lines of an input file into the words the store enters, in chunks.
//
// A WordCutter reads nothing of the engine once built (it keeps its own copy of the character
// classes), so it can cut on a thread of its own while the words it cut before are entered.
// The words come out exactly as NextWord cuts the upper-cased trimmed lines, in their order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "QuarnHeader.h"
#include "scan/AsciiBlock.h"
#include "store/WordIndex.h"
#include "text/CharClassTable.h"

namespace quarn {

class LineReader;
struct SharedWordIds;

// A word cut from a line: upper-cased, at chars[at, at + length) of its chunk and followed by
// zeros up to the next multiple of eight characters. Twelve bytes: every word passes from the
// cutting thread to the entering one, and what the latter needs of most words is the number.
struct CutWord {
  uint32_t at;
  uint32_t id;  // the word's WordIds number, or WordIds::kNoId
  uint8_t length;
  uint8_t first;    // the first character (the word's tree)
  bool lineStart;   // the first word of its line
  bool fresh;       // the id is new: the scans have not cut the word before
};

// The WordIndex::Hash and Prefix of the length characters at chars, which are followed by zeros
// up to the next multiple of eight characters.
inline uint64_t CutHash(const char* chars, size_t length) {
  return WordIndex::HashPadded(chars, length);
}
inline uint64_t CutPrefix(const char* chars) {
  uint64_t head;
  std::memcpy(&head, chars, 8);
  return __builtin_bswap64(head);
}

struct WordChunk {
  static constexpr size_t kMaxWords = 4096;
  static constexpr size_t kKeptCut = (kMaxWordLength + 7) / 8 * 8;
  // The characters are left unset (a small file touches few of their pages); every word's are
  // written before anyone reads them.
  WordChunk() : chars(new char[kMaxWords * kKeptCut]) { words.reserve(kMaxWords); }
  void Clear() {
    used = 0;
    words.clear();
    progressLines = 0;
    numbered = false;
    numbering = false;
    last = false;
    lines = 0;
  }
  std::unique_ptr<char[]> chars;
  size_t used = 0;  // chars in use
  std::vector<CutWord> words;
  // Non-zero when the chunk ends where the line count reached this multiple of 1000: the
  // progress for that count is shown after the chunk's words.
  int64_t progressLines = 0;
  // The words have their numbers (the cutting thread gave them).
  bool numbered = false;
  // The cutting thread is numbering the words of the chunk, handed on and not yet taken
  // (ChunkPipe).
  bool numbering = false;
  // The file's last chunk, and the number of lines the file had.
  bool last = false;
  int64_t lines = 0;
};

class WordCutter {
 public:
  // Takes a chunk that is full, ends at a progress point or is the last, and gives an empty one
  // to fill next, or nullptr when no more words are wanted.
  class Sink {
   public:
    virtual ~Sink() = default;
    virtual WordChunk* Hand(WordChunk* chunk) = 0;
    // The number of chunks handed on and not yet taken.
    virtual size_t Waiting() = 0;
  };

  // With ids, a chunk's words are numbered (WordIds::Number) before it is handed on when
  // chunks wait to be taken (the other side is behind); the chunk says so (numbered). Without,
  // every id is kNoId and no chunk is numbered.
  WordCutter(const CharClassTable& classes, bool ignoreAngle, SharedWordIds* ids = nullptr);

  // Cuts firstLine and every line the reader gives after it into chunks, starting with chunk,
  // and hands each to sink, the last one marked so. Stops early when the sink wants no more. A
  // failure of the reader ends the file like its end (the caller looks at reader.status()).
  void CutFile(LineReader& reader, std::string& firstLine, WordChunk* chunk, Sink& sink);

 private:
  void AddLine(std::string_view trimmed);
  void CutWords(std::string_view line);
  void KeepFrom(const char* from, size_t length);
  void Keep(size_t length);
  void Next();  // a full chunk is handed on
  WordChunk* Hand();  // the chunk is numbered and handed on; gives the next one

  struct Block {  // masks of one block of the window: bit i for character i of the block
    uint64_t letters;
    uint64_t separators;  // characters beyond the line count as separators
  };
  static constexpr size_t kBlock = 64;
  static constexpr size_t kNumberWhenWaiting = 2;  // chunks handed on and not yet taken
  Block FillBlock(const unsigned char* text, size_t length, size_t from, char* out) const;

  bool ignoreAngle_;
  SharedWordIds* ids_;
  char upper_[256];
  CharClassTable classes_;   // of the upper-cased characters
  AsciiBlock ascii_;         // FillBlock's way for ASCII text
  char window_[2 * kBlock];  // CutWords: two blocks of the line, upper-cased
  // The hash and prefix of every word of the chunk being filled, for numbering it: kept here,
  // as the entering thread needs them only for the few words it does not know by number.
  uint64_t hashes_[WordChunk::kMaxWords];
  uint64_t prefixes_[WordChunk::kMaxWords];
  WordChunk* chunk_ = nullptr;
  Sink* sink_ = nullptr;
  bool lineStart_ = false;  // the next word kept starts its line
};

}  // namespace quarn
