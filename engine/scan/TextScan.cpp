#include "scan/TextScan.h"

#include <cstring>
#include <memory>
#include <vector>

#include "Prefetch.h"
#include "SecondThread.h"
#include "scan/ChunkPipe.h"
#include "state/Engine.h"
#include "state/Messages.h"
#include "state/RunProgress.h"
#include "store/EnterAgain.h"
#include "store/WordEntry.h"
#include "store/WordIds.h"
#include "store/WordIndex.h"
#include "store/WordTree.h"
#include "text/CharCase.h"
#include "text/CharClassTable.h"
#include "text/LineReader.h"

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

// The scanner's fast path, the side that enters the words another thread cuts (WordCutter).
// While one word is entered, the index slot and the record of words a few places further on
// are already being fetched; the words are entered in their order, so the store and its
// counters end up exactly as with one word at a time.
class WordEnterer {
 public:
  explicit WordEnterer(Engine& e) : e_(e) {}

  // Enters the chunk's words in order. Once the run has failed, only the rest of the line
  // during which it failed is entered, as the line-at-a-time loop does: returns false iff a
  // word of a later line was met then.
  bool Enter(const WordChunk& chunk) {
    const size_t n = chunk.words.size();
    const CutWord* words = chunk.words.data();
    const char* chars = chunk.chars.get();
    const bool hints = e_.fastPaths;
    WordIndex& index = e_.tree.index;
    WordTree& tree = e_.tree;
    activeWalks_ = 0;
    for (Keys& k : keys_) k.word = nullptr;  // chunks are reused: a word's place says nothing
    const int slot = e_.countSlot;
    // What EnterIndexedAgain asks of the store besides the word's root, which only an entry
    // the slow way can change: asked again after each.
    bool indexed = IndexedEntryPossible();
    for (size_t i = 0; i < n; ++i) {
      if (hints) {
        if (i + kSlotAhead < n) {
          // A word cut before was entered before: its node comes by number. The others need
          // the slot of the index's hash table; one cut for the first time is probably new to
          // the store, and its walk starts now.
          const size_t a = i + kSlotAhead;
          const CutWord& ahead = words[a];
          if (ahead.id != WordIds::kNoId && !ahead.fresh) {
            index.PrefetchNodeOfId(ahead.id);
          } else {
            const Keys& k = KeysOf(a, ahead, chars);
            PrefetchWordSlot(e_, k.hash);
            if (ahead.fresh) StartWalk(ahead, k.prefix);
          }
        }
        if (i + kRecordAhead < n) {
          const size_t a = i + kRecordAhead;
          const CutWord& ahead = words[a];
          if (const int32_t known = index.NodeOfId(ahead.id); known > 0) {
            if (index.Covers(known)) PrefetchForWrite(&index.meta(known));
          } else if (!ahead.fresh) {
            const Keys& k = KeysOf(a, ahead, chars);
            if (PrefetchWordRecord(e_, k.hash, ahead.length)) StartWalk(ahead, k.prefix);
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
      const CutWord& w = words[i];
      if (w.lineStart && e_.failed()) return false;
      ++e_.counters.TotalTokens;
      ++words_;
      e_.tree.InsertDepth = 0;
      int32_t& root = tree.WordRoots[w.first];
      // A word entered before is found by its number (EnterIndexedAgain, its tests that do not
      // change from word to word taken out); the others through the word index.
      const int32_t known = index.NodeOfId(w.id);
      if (known > 0 && indexed && !e_.failed() && root == index.roots[w.first] &&
          index.Covers(known)) {
        EnterAgain(e_, known, slot);
        tree.wordGrow = false;
        continue;
      }
      if (known > 0 && EnterIndexedAgain(e_, w.first, known, tree.wordGrow)) continue;
      const Keys& k = KeysOf(i, w, chars);
      const std::string_view word(chars + w.at, w.length);
      const int32_t entered = addtowrdlist(e_, word, k.hash, k.prefix, tree.wordGrow);
      if (entered > 0 && w.id != WordIds::kNoId) index.SetNodeOfId(w.id, entered);
      indexed = IndexedEntryPossible();
    }
    return true;
  }

  int64_t words() const { return words_; }

 private:
  bool IndexedEntryPossible() const { return e_.fastPaths && IndexInStep(e_); }

  void StartWalk(const CutWord& w, uint64_t prefix) {
    if (activeWalks_ < kMaxWalks && StartWordWalk(e_, w.first, prefix, &walks_[activeWalks_])) {
      ++activeWalks_;
    }
  }

  // The hash and prefix of word at of the chunk, worked out once for the few words that need
  // them (those not known by number) and kept for the next look at the same word.
  struct Keys {
    const CutWord* word = nullptr;
    uint64_t hash;
    uint64_t prefix;
  };
  const Keys& KeysOf(size_t at, const CutWord& w, const char* chars) {
    Keys& k = keys_[at % kKeysKept];
    if (k.word != &w) {
      k.word = &w;
      k.hash = CutHash(chars + w.at, w.length);
      k.prefix = CutPrefix(chars + w.at);
    }
    return k;
  }

  static constexpr size_t kSlotAhead = 32;
  static constexpr size_t kRecordAhead = 16;
  Engine& e_;
  int64_t words_ = 0;
  // Walks ahead of words that will probably be new, a step per word entered.
  static constexpr size_t kMaxWalks = 8;
  WordWalk walks_[kMaxWalks];
  size_t activeWalks_ = 0;
  static constexpr size_t kKeysKept = 64;  // more than kSlotAhead words
  Keys keys_[kKeysKept];
};

// Cuts the reader's lines, from firstLine on, on a thread of its own, and enters the words
// here. *lines gets the number of lines read (the reader's status tells whether it read them
// all), or -1 when the run failed; *words the number of words entered. Returns false, having
// read nothing, when no thread could be started.
bool CutAndEnter(Engine& e, LineReader& reader, std::string& firstLine, int64_t* lines,
                 int64_t* words) {
  // Eight chunks: one being cut, one being entered, and room for the cutter to run ahead where
  // the words take longer to enter (many new ones) and to catch up where they go in faster.
  SharedWordIds ids{&e.tree.cutIds, {}};
  ChunkPipe pipe(8, &ids);
  // The store grows while the words go in: its next block of nodes is made ready meanwhile.
  struct PrepareBlocks {
    NodeBlockArea& area;
    explicit PrepareBlocks(NodeBlockArea& a) : area(a) { area.PrepareAhead(true); }
    ~PrepareBlocks() { area.PrepareAhead(false); }
  } prepareBlocks(e.tree.blockArea);
  WordCutter cutter(e.classes, e.options.Ignore_Angle, &ids);
  SecondThread cutting;
  if (!cutting.Start([&] { cutter.CutFile(reader, firstLine, pipe.FirstEmpty(), pipe); })) {
    return false;
  }
  WordEnterer enterer(e);
  *lines = -1;
  for (;;) {
    WordChunk* chunk = pipe.Take();
    if (!chunk->numbered) {
      // The cutter had no time to number the words: here, while it cuts the next ones.
      std::lock_guard<std::mutex> lock(ids.mu);
      ids.ids->Number(*chunk);
    }
    bool stop = !enterer.Enter(*chunk);
    CancelPoint(e);
    // A failure ends the scan at the end of its line, before any progress.
    if (e.failed() && (chunk->progressLines != 0 || chunk->last)) stop = true;
    if (!stop && chunk->progressLines != 0) {
      ExtendProgressLine(e, PadZeros(std::to_string(chunk->progressLines), 7) + ", ");
      if (chunk->progressLines % 5000 == 0) ProgressMessage(e, Severity::kProgress, "");
      ScanProgress(e, reader.bytesRead());
    }
    const bool last = chunk->last;
    if (last && !stop) *lines = chunk->lines;
    pipe.Give(chunk);
    if (stop || last) break;
  }
  pipe.Stop();
  cutting.Join();
  *words = enterer.words();
  return true;
}

// Word Perfect documents start with code 255 followed by "W".
bool IsWordPerfectLine(const std::string& line) {
  return line.size() >= 2 && static_cast<unsigned char>(line[0]) == 255 && line[1] == 'W';
}

}  // namespace

void ScanInputFile(Engine& e, const std::string& path) {
  // However the scan ends, the occurrences waiting in the word index go into the records, before
  // the next text counts in another slot. A tallied run counts in no slot: they wait on, as
  // settling the whole store at the end of each of many texts would cost the store per text.
  struct SettleAtEnd {
    Engine& e;
    ~SettleAtEnd() {
      if (!e.tally.on) SettleAllWaiting(e);
    }
  } settle{e};
  // Every input file has its entry, a skipped one too, so that entry k - 1 is file k.
  e.run.scannedTexts.push_back(ResultsText{path, 0, 0});
  // Text in 16- or 32-bit units would count as single letters: it is refused, as unreadable.
  // A file that cannot be read here fails below, where it is opened for the scan.
  WideText wide = WideText::kNone;
  if (DetectWideText(e.fs, path, &wide).ok() && wide != WideText::kNone) {
    ProgressMessage(
        e, Severity::kLineError,
        "File " + path + " is " + WideTextName(wide) + " text, which Quarn cannot read, skipping!");
    ProgressMessage(e, Severity::kSpacer, " ");
    return;
  }
  std::unique_ptr<LineReader> reader;
  // The straightforward way looks at the whole file before reading it.
  Status s = e.fastPaths ? LineReader::OpenDeciding(e.fs, path, e.encoding, &reader)
                         : LineReader::OpenDetected(e.fs, path, e.encoding, &reader);
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
  // How the file is read decides the results file's encoding (ProduceReport). Only a line
  // holding a byte above 127 can decide it, and the scan reads every line.
  struct NoteEncoding {
    Engine& e;
    const LineReader& reader;
    ~NoteEncoding() {
      if (reader.encoding().utf8()) e.run.inputsUtf8 = true;
    }
  } noteEncoding{e, *reader};
  if (haveLine && IsWordPerfectLine(raw)) {
    ProgressMessage(e, Severity::kLineError, "File " + path + " is a Word Perfect File, skipping!");
    ProgressMessage(e, Severity::kSpacer, " ");
    return;
  }

  ProgressMessageThenBlanks(e, Severity::kProgress, "Processing file: " + path, 1);
  int64_t lineCount = 0;
  int64_t wordCount = 0;
  const CharClassTable& classes = e.classes;
  const bool ignoreAngle = e.options.Ignore_Angle;
  // Without a thread to cut on, the words go in a line at a time below.
  if (e.fastPaths && haveLine && CutAndEnter(e, *reader, raw, &lineCount, &wordCount)) {
    if (e.failed()) return;
    haveLine = false;
  }
  std::string line;  // reused: no allocation per line once it has grown
  while (haveLine) {
    std::string_view trimmed = Trim(raw);
    line.assign(trimmed.data(), trimmed.size());
    UpperCaseInPlace(line);
    ++lineCount;
    if (lineCount % 1000 == 0) {
      ExtendProgressLine(e, PadZeros(std::to_string(lineCount), 7) + ", ");
      ScanProgress(e, reader->bytesRead());
    }
    if (lineCount % 5000 == 0) ProgressMessage(e, Severity::kProgress, "");
    if (!line.empty() && line[0] != '#') {
      size_t pos = 0;
      std::string_view word;
      while (NextWord(classes, ignoreAngle, line, pos, &word)) {
        ++e.counters.TotalTokens;
        ++wordCount;
        e.tree.InsertDepth = 0;
        addtowrdlist(e, word, e.tree.wordGrow);
      }
    }
    if (e.failed()) return;
    haveLine = reader->Next(&raw);
  }
  if (!reader->status().ok()) {
    failRead();
    return;
  }

  e.run.scannedTexts.back().lines = lineCount;
  e.run.scannedTexts.back().words = wordCount;
  if (e.ResultsFileOpen()) e.resultsFile->EndLine();
  ProgressMessage(e, Severity::kProgress, " Number of lines: " + std::to_string(lineCount));
  ProgressMessageThenBlanks(e, Severity::kProgress,
                            " Number of words: " + std::to_string(wordCount), 1);
}

}  // namespace quarn
