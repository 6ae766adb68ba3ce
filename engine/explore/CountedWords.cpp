#include "explore/CountedWords.h"

#include <string_view>

#include "scan/TextScan.h"
#include "text/CharCase.h"

namespace quarn {

bool IsWordPerfectLine(const std::string& line) {
  return line.size() >= 2 && static_cast<unsigned char>(line[0]) == 255 && line[1] == 'W';
}

void CutCountedWords(const std::string& line, const TextCutting& cutting, std::string* upper,
                     std::vector<LineWord>* words) {
  words->clear();
  size_t first = 0;
  size_t end = line.size();
  while (first < end && static_cast<unsigned char>(line[first]) <= 32) ++first;
  while (end > first && static_cast<unsigned char>(line[end - 1]) <= 32) --end;
  upper->assign(line, first, end - first);
  UpperCaseInPlace(*upper);
  if (upper->empty() || (*upper)[0] == '#') return;
  size_t pos = 0;
  std::string_view word;
  while (NextWord(cutting.classes, cutting.ignoreAngle, *upper, pos, &word)) {
    const size_t start = static_cast<size_t>(word.data() - upper->data());
    words->push_back({first + start, word.size(), std::string(word)});
  }
}

Status OpenCountedText(FileSystem& fs, const std::string& path, const TextCutting& cutting,
                       std::unique_ptr<LineReader>* reader) {
  reader->reset();
  if (!fs.IsRegularFile(path)) return Status::IOError(path, "not a regular file");
  WideText wide = WideText::kNone;
  if (DetectWideText(fs, path, &wide).ok() && wide != WideText::kNone) return Status::OK();
  return LineReader::OpenDetected(fs, path, cutting.encoding, reader);
}

}  // namespace quarn
