#include "TextScan.h"

#include <memory>

#include "../Engine.h"
#include "../lists/CharClassTable.h"
#include "CharCase.h"
#include "LineReader.h"
#include "Messages.h"
#include "WordEntry.h"

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
