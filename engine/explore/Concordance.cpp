#include "explore/Concordance.h"

#include <algorithm>
#include <memory>

#include "QuarnHeader.h"
#include "lists/BasewordEntry.h"
#include "lists/BasewordName.h"
#include "scan/TextScan.h"
#include "text/CharCase.h"
#include "text/LineReader.h"

namespace quarn {
namespace {

// Characters compared ignoring letter case (the engine's 8-bit mapping).
bool LessNoCase(char a, char b) {
  return UpperChar(static_cast<unsigned char>(a)) < UpperChar(static_cast<unsigned char>(b));
}

}  // namespace

Status ForEachTextLine(
    FileSystem& fs, const std::string& path, const TextCutting& cutting,
    const std::function<bool(int64_t number, const std::string& text,
                             const std::vector<LineWord>& words)>& line) {
  std::unique_ptr<LineReader> reader;
  Status s = OpenCountedText(fs, path, cutting, &reader);
  if (!s.ok() || reader == nullptr) return s;
  std::string text;
  std::string upper;
  std::vector<LineWord> words;
  int64_t number = 0;
  while (reader->Next(&text)) {
    if (number == 0 && IsWordPerfectLine(text)) return Status::OK();
    ++number;
    CutCountedWords(text, cutting, &upper, &words);
    if (!line(number, text, words)) return Status::OK();
  }
  return reader->status();
}

Status FindOccurrences(FileSystem& fs, const std::vector<std::string>& paths,
                       const TextCutting& cutting, const std::unordered_set<std::string>& words,
                       size_t width, std::vector<ConcordanceLine>* lines) {
  for (size_t t = 0; t < paths.size(); ++t) {
    Status s = ForEachTextLine(
        fs, paths[t], cutting,
        [&](int64_t number, const std::string& text, const std::vector<LineWord>& cut) {
          for (const LineWord& w : cut) {
            if (words.count(w.upper) == 0) continue;
            ConcordanceLine c;
            c.text = static_cast<int>(t);
            c.line = number;
            const size_t leftFrom = w.start > width ? w.start - width : 0;
            c.left = text.substr(leftFrom, w.start - leftFrom);
            c.word = text.substr(w.start, w.length);
            c.right = text.substr(w.start + w.length, width);
            lines->push_back(std::move(c));
          }
          return true;
        });
    if (!s.ok()) return s;
  }
  return Status::OK();
}

bool LeftContextLess(const ConcordanceLine& a, const ConcordanceLine& b) {
  return std::lexicographical_compare(a.left.rbegin(), a.left.rend(), b.left.rbegin(),
                                      b.left.rend(), LessNoCase);
}

bool RightContextLess(const ConcordanceLine& a, const ConcordanceLine& b) {
  return std::lexicographical_compare(a.right.begin(), a.right.end(), b.right.begin(),
                                      b.right.end(), LessNoCase);
}

void SortByLeftContext(std::vector<ConcordanceLine>& lines) {
  std::stable_sort(lines.begin(), lines.end(), LeftContextLess);
}

void SortByRightContext(std::vector<ConcordanceLine>& lines) {
  std::stable_sort(lines.begin(), lines.end(), RightContextLess);
}

Status LoadFamilyIndex(FileSystem& fs, const std::string& folder, int lists,
                       const CharClassTable& classes, FamilyIndex* index) {
  for (int n = 1; n <= lists; ++n) {
    const std::optional<std::string> path = FindFileNoCase(fs, folder, BasewordFileName(n));
    if (!path) continue;
    std::vector<std::string> lines;
    Status s = ReadAllLines(fs, *path, TextEncoding::kAuto, &lines);
    if (!s.ok()) return s;
    std::vector<std::string>* family = nullptr;
    std::string headword;
    for (const std::string& line : lines) {
      const LineKind kind = ClassifyBasewordLine(line);
      if (kind == LineKind::kEmpty || kind == LineKind::kComment) continue;
      // The word as the loader takes it: from the first letter to the next separator.
      const std::string upper = UpperCase(line);
      size_t pos = 0;
      while (pos < upper.size() && classes.Class(static_cast<unsigned char>(upper[pos])) < 2) ++pos;
      const size_t start = pos;
      while (pos < upper.size() && classes.Class(static_cast<unsigned char>(upper[pos])) != 0) ++pos;
      if (pos == start) continue;
      const std::string word =
          upper.substr(start, std::min(pos - start, static_cast<size_t>(kMaxWordLength)));
      if (kind == LineKind::kHeadword) {
        headword = word;
        family = &index->members[FamilyIndex::Key(n, headword)];
      } else if (family == nullptr) {
        continue;  // a member before any headword belongs to no family
      }
      family->push_back(word);
      index->placeOf.emplace(word, FamilyIndex::Place{n, headword});
    }
  }
  return Status::OK();
}

}  // namespace quarn
