// Per-text counts for a run over more texts than a record has FileCounts slots (a run without
// BatchFiles over more than 64 texts). The records then keep no per-text counts: while a text
// is scanned its occurrences are counted here by node number, and as the text ends those counts
// are appended to a scratch file as one block. Memory holds the current text's counts only,
// whatever the number of texts; the report reads the blocks back (report/TextRanges.h).
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "Status.h"

namespace quarn {

struct TextTally {
  // This run keeps its per-text counts here; its records' FileCounts stay 0.
  bool on = false;
  // A text of such a run is being scanned: its occurrences are counted.
  bool counting = false;
  // Occurrences in the text being scanned, by node number, and the nodes counted in it.
  std::vector<uint32_t> counts;
  std::vector<int32_t> touched;
  // By word node: the family record the lists gave the word, 0 for none (filled while the
  // lists are loaded, in the node numbers of the scan).
  std::vector<int32_t> familyOf;
  // Tokens of every text ended so far, by text number - 1 (every run, on or not).
  std::vector<int64_t> textTokens;
  int32_t tokensAtStart = 0;  // TotalTokens as the current text began
  std::string path;           // the scratch file of blocks
  std::unique_ptr<WritableFile> file;  // while blocks are appended

  void Note(int32_t n) {
    const size_t k = static_cast<size_t>(n);
    if (k >= counts.size()) counts.resize(std::max<size_t>(k + 1, counts.size() * 2), 0);
    if (counts[k]++ == 0) touched.push_back(n);
  }
};

// An occurrence of node n, counted when a text of a tallied run is being scanned.
inline void TallyOccurrence(TextTally& t, int32_t n) {
  if (t.counting) t.Note(n);
}

// Empties the tally and removes its scratch file: nothing is tallied until StartTally.
void ResetTally(FileSystem& fs, TextTally& t);
// Turns the tally on, creating its scratch file at path.
Status StartTally(FileSystem& fs, const std::string& path, TextTally& t);
// A text begins, TotalTokens being totalTokens.
void BeginText(TextTally& t, int32_t totalTokens);
// Text number text ends, TotalTokens being totalTokens: its token count is kept and, when on,
// its counts are appended as one block.
Status EndText(TextTally& t, int32_t text, int32_t totalTokens);
// No more blocks: the scratch file is closed for reading (TallyReader).
Status FinishTally(TextTally& t);

// One text's block: its number, its tokens, and (node, occurrences) by ascending node for every
// node that occurs in it.
struct TallyBlock {
  int32_t text = 0;
  int64_t tokens = 0;
  std::vector<std::pair<int32_t, uint32_t>> counts;
};

// Reads the blocks of a finished tally, in the order of the texts.
class TallyReader {
 public:
  static Status Open(FileSystem& fs, const std::string& path, std::unique_ptr<TallyReader>* out);
  // The next block; false at the end or on a failure (status()).
  bool Next(TallyBlock* block);
  const Status& status() const { return status_; }

 private:
  // Makes at least n bytes available at buffer_[at_]; false at the end or on a failure.
  bool Have(size_t n);
  std::unique_ptr<SequentialFile> file_;
  std::string path_;
  std::string buffer_;
  size_t at_ = 0;
  Status status_;
};

}  // namespace quarn
