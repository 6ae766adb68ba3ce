// Reading a run's texts again after the run, for the results explorer: every line with the words
// the scan counted in it (so that occurrences found here match the counts), the lines around a
// word (concordance), and the families of the baseword files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "FileSystem.h"
#include "Status.h"
#include "explore/CountedWords.h"
#include "text/CharClassTable.h"
#include "text/TextEncoding.h"

namespace quarn {

// Reads the file at path as the scan reads it (the same encoding decision, the lines converted
// to Windows-1252) and calls line for every line with its 1-based number, its text and the
// words the scan counts in it, until line returns false. A file the scan skips (a Word Perfect
// document, 16- or 32-bit text) gives no line.
Status ForEachTextLine(
    FileSystem& fs, const std::string& path, const TextCutting& cutting,
    const std::function<bool(int64_t number, const std::string& text,
                             const std::vector<LineWord>& words)>& line);

// One occurrence of a word: the text (index into the paths given), its line, and the context.
// All text is Windows-1252; left and right are cut to at most the asked width, at the line.
struct ConcordanceLine {
  int text = 0;
  int64_t line = 0;
  std::string left;
  std::string word;  // as written in the text
  std::string right;
};

// Every occurrence in paths of a word of words (upper-cased, Windows-1252), in text and line
// order. A text that cannot be read ends the search with its failure (the lines found before
// it are kept).
Status FindOccurrences(FileSystem& fs, const std::vector<std::string>& paths,
                       const TextCutting& cutting, const std::unordered_set<std::string>& words,
                       size_t width, std::vector<ConcordanceLine>* lines);

// Orders of concordance lines: by the context to the left of the word, read from the word
// outwards (the nearest character first), or by the context to the right; letter case ignored.
bool LeftContextLess(const ConcordanceLine& a, const ConcordanceLine& b);
bool RightContextLess(const ConcordanceLine& a, const ConcordanceLine& b);
// Stable sorts by those orders: ties keep text and line order.
void SortByLeftContext(std::vector<ConcordanceLine>& lines);
void SortByRightContext(std::vector<ConcordanceLine>& lines);

// The families of baseword files: for every word, its list and family headword; for every
// headword of a list, the family's words (the headword first).
struct FamilyIndex {
  struct Place {
    int list = 0;
    std::string headword;
  };
  std::unordered_map<std::string, Place> placeOf;  // the first list that holds the word
  std::unordered_map<std::string, std::vector<std::string>> members;  // key: Key(list, headword)
  static std::string Key(int list, std::string_view headword) {
    return std::to_string(list) + ":" + std::string(headword);
  }
  const std::vector<std::string>* MembersOf(int list, std::string_view headword) const {
    const auto it = members.find(Key(list, headword));
    return it == members.end() ? nullptr : &it->second;
  }
};

// Reads BASEWRD1.txt .. BASEWRD<lists>.txt of folder (ending in '/') into *index; a missing
// file is passed over. The words are cut as the baseword loader cuts them, with classes.
Status LoadFamilyIndex(FileSystem& fs, const std::string& folder, int lists,
                       const CharClassTable& classes, FamilyIndex* index);

}  // namespace quarn
