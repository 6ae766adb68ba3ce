#include "TextScan.h"

#include <cstring>
#include <memory>
#include <vector>

#include "../Engine.h"
#include "../lists/CharClassTable.h"
#include "CharCase.h"
#include "LineReader.h"
#include "Messages.h"
#include "WordEntry.h"
#include "WordIndex.h"
#include "WordTree.h"

namespace quarn {

bool NextWord(const CharClassTable& classes, bool ignoreAngle, std::string_view line, size_t& pos,
              std::string_view* word) {
  const size_t length = line.size();
  if (pos >= length) return false;
  // Only a letter (class exactly 2) begins a word; joiners and others before it are passed over.
  while (classes.Class(static_cast<unsigned char>(line[pos])) != 2) {
    if (ignoreAngle && line[pos] == '<') {
      size_t close = line.find('>', pos + 1);
      if (close == std::string_view::npos) {
        pos = length;  // an unclosed tag hides the rest of the line
        return false;
      }
      pos = close;
    }
    if (++pos >= length) return false;
  }
  const size_t start = pos;
  const size_t maxLength = kMaxWordLength;
  const size_t limit = length - start < maxLength ? length : start + maxLength;
  while (pos < limit && classes.Class(static_cast<unsigned char>(line[pos])) != 0) ++pos;
  *word = line.substr(start, pos - start);
  return true;
}

namespace {

// The scanner's fast path: words are cut from the trimmed line as it was read, with the classes
// of the upper-cased characters, and entered in batches. While one word is entered, the index
// slot and the record of words a few places further on are already being fetched; the words
// are entered in their order, so the store and its counters end up exactly as with one word at
// a time.
class WordBatch {
 public:
  WordBatch(Engine& e, int32_t& wordCount) : e_(e), wordCount_(wordCount) {
    for (int c = 0; c < 256; ++c) {
      const unsigned char u = UpperChar(static_cast<unsigned char>(c));
      upper_[c] = static_cast<char>(u);
      classes_.classes[c] = e.classes.Class(u);
    }
    // A batch is entered when it holds kMaxWords words, of at most kMaxCut characters each,
    // each kept in whole chunks of eight.
    chars_.resize(kMaxWords * kKeptCut);
    words_.reserve(kMaxWords);
  }

  // Cuts the words of a line that is neither empty nor a comment, as NextWord cuts the
  // upper-cased line. A full batch is entered at once, even in the middle of a line, so that
  // memory does not grow with the length of a line.
  void AddLine(std::string_view trimmed, bool ignoreAngle) {
    lineWords_ = 0;
    if (ignoreAngle) {
      size_t pos = 0;
      std::string_view word;
      while (NextWord(classes_, ignoreAngle, trimmed, pos, &word)) {
        char* out = chars_.data() + used_;
        for (size_t i = 0; i < word.size(); ++i) {
          out[i] = upper_[static_cast<unsigned char>(word[i])];
        }
        Keep(word.size());
      }
    } else {
      CutWords(trimmed);
    }
    if (lineWords_ != 0) words_.back().lineEnd = true;
  }

  // NextWord without tags, on 64 characters at a time: each character is upper-cased once into
  // a window of two such blocks, with bit masks of its letters and separators; words are then
  // found with bit scans instead of a branch per character, whose outcome running text makes
  // hard to guess. A word starting in the first block ends within the window (30 characters
  // at most).
  void CutWords(std::string_view line) {
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
      const size_t end = end1 - start > kMaxCut ? start + kMaxCut : end1;
      KeepFrom(window_ + start, end - start);
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

  // Enters the waiting words in order. Like the line-at-a-time loop, stops for good at the end
  // of the line during which the run failed (the words of that line are still counted, as
  // the loop counts them). Returns false iff the run failed.
  bool Flush() {
    const size_t n = stopped_ ? 0 : words_.size();
    const bool hints = e_.fastPaths;
    activeWalks_ = 0;
    for (size_t i = 0; i < n; ++i) {
      if (hints) {
        if (i + kSlotAhead < n) PrefetchWordSlot(e_, words_[i + kSlotAhead].hash);
        if (i + kRecordAhead < n) {
          const Word& ahead = words_[i + kRecordAhead];
          if (PrefetchWordRecord(e_, ahead.hash, ahead.length) && activeWalks_ < kMaxWalks &&
              StartWordWalk(e_, static_cast<unsigned char>(chars_[ahead.at]), ahead.prefix,
                            &walks_[activeWalks_])) {
            ++activeWalks_;
          }
        }
        for (size_t k = 0; k < activeWalks_;) {
          if (StepWordWalk(e_, walks_[k])) {
            ++k;
          } else {
            walks_[k] = walks_[--activeWalks_];
          }
        }
      }
      const Word& w = words_[i];
      const std::string_view word(chars_.data() + w.at, w.length);
      ++e_.counters.TotalTokens;
      ++wordCount_;
      e_.tree.InsertDepth = 0;
      addtowrdlist(e_, e_.tree.WordRoots[static_cast<unsigned char>(word[0])], word, w.hash,
                   w.prefix, e_.tree.wordGrow);
      if (w.lineEnd && e_.failed()) {
        stopped_ = true;
        break;
      }
    }
    used_ = 0;
    lineWords_ = 0;
    words_.clear();
    return !e_.failed();
  }

 private:
  static constexpr size_t kMaxWords = 512;
  static constexpr size_t kMaxCut = kMaxWordLength;
  static constexpr size_t kKeptCut = (kMaxCut + 7) / 8 * 8;
  static constexpr size_t kSlotAhead = 32;
  static constexpr size_t kRecordAhead = 16;
  struct Word {
    uint32_t at;
    uint32_t length;
    bool lineEnd;  // the last word of its line
    uint64_t hash;
    uint64_t prefix;  // WordIndex::Prefix
  };

  // Masks of one block of the window: bit i for character i of the block.
  struct Block {
    uint64_t letters;
    uint64_t separators;  // characters beyond the line count as separators
  };
  static constexpr size_t kBlock = 64;

  // Upper-cases the line's characters at [from, from + kBlock) into out (zeros beyond the line)
  // and gives their masks.
  Block FillBlock(const unsigned char* text, size_t length, size_t from, char* out) const {
    Block b{0, 0};
    const size_t n = from >= length ? 0 : (length - from < kBlock ? length - from : kBlock);
    for (size_t i = 0; i < n; ++i) {
      const unsigned char c = text[from + i];
      out[i] = upper_[c];
      const uint8_t cls = classes_.classes[c];
      b.letters |= static_cast<uint64_t>(cls == 2) << i;
      b.separators |= static_cast<uint64_t>(cls == 0) << i;
    }
    if (n < kBlock) {
      std::memset(out + n, 0, kBlock - n);
      b.separators |= ~uint64_t{0} << n;
    }
    return b;
  }

  // Keeps the length (1..30) upper-cased characters at from as the next word, zero-filled to a
  // multiple of eight characters for the hash.
  void KeepFrom(const char* from, size_t length) {
    char* out = chars_.data() + used_;
    const size_t chunks = (length + 7) / 8;
    for (size_t k = 0; k < chunks; ++k) std::memcpy(out + 8 * k, from + 8 * k, 8);
    const size_t tail = length - 8 * (chunks - 1);  // 1..8 characters in the last chunk
    uint64_t last;
    std::memcpy(&last, out + 8 * (chunks - 1), 8);
    if (tail < 8) last &= (uint64_t{1} << (8 * tail)) - 1;
    std::memcpy(out + 8 * (chunks - 1), &last, 8);
    uint64_t head;
    std::memcpy(&head, out, 8);
    words_.push_back(Word{static_cast<uint32_t>(used_), static_cast<uint32_t>(length), false,
                          WordIndex::HashPadded(out, length), __builtin_bswap64(head)});
    used_ += 8 * chunks;
    ++lineWords_;
    if (words_.size() >= kMaxWords) Flush();
  }

  // Keeps the length characters just written at the end of chars_ as the next word.
  void Keep(size_t length) {
    const std::string_view stored(chars_.data() + used_, length);
    words_.push_back(Word{static_cast<uint32_t>(used_), static_cast<uint32_t>(length), false,
                          WordIndex::Hash(stored), WordIndex::Prefix(stored)});
    used_ += length;
    ++lineWords_;
    if (words_.size() >= kMaxWords) Flush();
  }

  Engine& e_;
  int32_t& wordCount_;
  bool stopped_ = false;
  size_t lineWords_ = 0;  // words of the current line waiting in the batch
  char upper_[256];
  CharClassTable classes_;
  std::string chars_;        // the words waiting, upper-cased, in chars_[0, used_)
  char window_[2 * kBlock];  // CutWords: two blocks of the line, upper-cased
  // Walks ahead of words that will probably be new, a step per word entered.
  static constexpr size_t kMaxWalks = 8;
  WordWalk walks_[kMaxWalks];
  size_t activeWalks_ = 0;
  size_t used_ = 0;
  std::vector<Word> words_;
};

// Word Perfect documents start with code 255 followed by "W".
bool IsWordPerfectLine(const std::string& line) {
  return line.size() >= 2 && static_cast<unsigned char>(line[0]) == 255 && line[1] == 'W';
}

}  // namespace

void ScanInputFile(Engine& e, const std::string& path) {
  // However the scan ends, the occurrences waiting in the word index go into the records.
  struct SettleAtEnd {
    Engine& e;
    ~SettleAtEnd() { SettleAllWaiting(e); }
  } settle{e};
  std::unique_ptr<LineReader> reader;
  Status s = LineReader::OpenDetected(e.fs, path, e.encoding, &reader);
  if (!s.ok()) {
    e.Fail(s.path().empty() ? Status::IOError(path, s.reason()) : s);
    return;
  }
  auto failRead = [&] {
    const Status& r = reader->status();
    e.Fail(r.path().empty() ? Status::IOError(path, r.reason()) : r);
  };

  std::string raw;
  bool haveLine = reader->Next(&raw);
  if (!haveLine && !reader->status().ok()) {
    failRead();
    return;
  }
  if (haveLine && IsWordPerfectLine(raw)) {
    ProgressMessage(e, "File " + path + " is a Word Perfect File, skipping!", "ERROR ", 0);
    ProgressMessage(e, " ", " ", 0);
    return;
  }

  ProgressMessage(e, "Processing file: " + path, "", 1);
  int32_t lineCount = 0;
  int32_t wordCount = 0;
  const CharClassTable& classes = e.classes;
  const bool ignoreAngle = e.options.Ignore_Angle;
  if (e.fastPaths) {
    WordBatch batch(e, wordCount);
    while (haveLine) {
      const std::string_view trimmed = Trim(raw);
      ++lineCount;
      if (lineCount % 1000 == 0) {
        // The words of the lines before go in first, as they would have.
        if (!batch.Flush()) return;
        ProgressMessage(e, PadZeros(std::to_string(lineCount), 7) + ", ", "", -1);
      }
      if (lineCount % 5000 == 0) ProgressMessage(e, "", "", 0);
      if (!trimmed.empty() && trimmed[0] != '#') {
        batch.AddLine(trimmed, ignoreAngle);
      }
      if (e.failed()) {
        batch.Flush();
        return;
      }
      haveLine = reader->Next(&raw);
    }
    if (!batch.Flush()) return;
  }
  std::string line;  // reused: no allocation per line once it has grown
  while (haveLine) {
    std::string_view trimmed = Trim(raw);
    line.assign(trimmed.data(), trimmed.size());
    UpperCaseInPlace(line);
    ++lineCount;
    if (lineCount % 1000 == 0) {
      ProgressMessage(e, PadZeros(std::to_string(lineCount), 7) + ", ", "", -1);
    }
    if (lineCount % 5000 == 0) ProgressMessage(e, "", "", 0);
    if (!line.empty() && line[0] != '#') {
      size_t pos = 0;
      std::string_view word;
      while (NextWord(classes, ignoreAngle, line, pos, &word)) {
        ++e.counters.TotalTokens;
        ++wordCount;
        e.tree.InsertDepth = 0;
        addtowrdlist(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word,
                     e.tree.wordGrow);
      }
    }
    if (e.failed()) return;
    haveLine = reader->Next(&raw);
  }
  if (!reader->status().ok()) {
    failRead();
    return;
  }

  if (e.ResultsFileOpen && e.resultsFile) e.resultsFile->EndLine();
  ProgressMessage(e, " Number of lines: " + std::to_string(lineCount), "", 0);
  ProgressMessage(e, " Number of words: " + std::to_string(wordCount), "", 1);
}

}  // namespace quarn
