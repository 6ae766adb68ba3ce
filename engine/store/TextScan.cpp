#include "TextScan.h"

#include <memory>
#include <vector>

#include "../Engine.h"
#include "../lists/CharClassTable.h"
#include "CharCase.h"
#include "LineReader.h"
#include "Messages.h"
#include "WordEntry.h"
#include "WordIndex.h"

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
    // A batch is entered when it holds kMaxWords words, of at most kMaxCut characters each.
    chars_.resize(kMaxWords * kMaxCut);
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
      // NextWord without tags, copying and upper-casing the word as it goes.
      const unsigned char* line = reinterpret_cast<const unsigned char*>(trimmed.data());
      const size_t length = trimmed.size();
      size_t pos = 0;
      for (;;) {
        while (pos < length && classes_.classes[line[pos]] != 2) ++pos;
        if (pos >= length) break;
        const size_t limit = length - pos < kMaxCut ? length : pos + kMaxCut;
        char* out = chars_.data() + used_;
        size_t k = 0;
        do {
          out[k++] = upper_[line[pos++]];
        } while (pos < limit && classes_.classes[line[pos]] != 0);
        Keep(k);
      }
    }
    if (lineWords_ != 0) words_.back().lineEnd = true;
  }

  // Enters the waiting words in order. Like the line-at-a-time loop, stops for good at the end
  // of the line during which the run failed (the words of that line are still counted, as
  // the loop counts them). Returns false iff the run failed.
  bool Flush() {
    const size_t n = stopped_ ? 0 : words_.size();
    const bool hints = e_.fastPaths;
    for (size_t i = 0; i < n; ++i) {
      if (hints) {
        if (i + kSlotAhead < n) PrefetchWordSlot(e_, words_[i + kSlotAhead].hash);
        if (i + kRecordAhead < n) PrefetchWordRecord(e_, words_[i + kRecordAhead].hash);
      }
      const Word& w = words_[i];
      const std::string_view word(chars_.data() + w.at, w.length);
      ++e_.counters.TotalTokens;
      ++wordCount_;
      e_.tree.InsertDepth = 0;
      addtowrdlist(e_, e_.tree.WordRoots[static_cast<unsigned char>(word[0])], word, w.hash,
                   e_.tree.wordGrow);
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
  static constexpr size_t kSlotAhead = 16;
  static constexpr size_t kRecordAhead = 8;
  struct Word {
    uint32_t at;
    uint32_t length;
    bool lineEnd;  // the last word of its line
    uint64_t hash;
  };

  // Keeps the length characters just written at the end of chars_ as the next word.
  void Keep(size_t length) {
    const std::string_view stored(chars_.data() + used_, length);
    words_.push_back(Word{static_cast<uint32_t>(used_), static_cast<uint32_t>(length), false,
                          WordIndex::Hash(stored)});
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
  std::string chars_;  // the words waiting, upper-cased, in chars_[0, used_)
  size_t used_ = 0;
  std::vector<Word> words_;
};

// Word Perfect documents start with code 255 followed by "W".
bool IsWordPerfectLine(const std::string& line) {
  return line.size() >= 2 && static_cast<unsigned char>(line[0]) == 255 && line[1] == 'W';
}

}  // namespace

void ScanInputFile(Engine& e, const std::string& path) {
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
