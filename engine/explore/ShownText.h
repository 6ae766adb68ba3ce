// A run's texts as a reader sees them: every line as it stands in its file, in UTF-8 whatever
// the file's encoding (so that Greek, Cyrillic or any other script survives), with the words the
// scan counted laid over it; and words in context cut from those lines.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "FileSystem.h"
#include "Status.h"
#include "explore/Concordance.h"

namespace quarn {

// Calls line for every line of the file at path with its 1-based number, the line in UTF-8 (a
// Windows-1252 file converted; a byte of a UTF-8 file that starts no valid sequence taken as
// Windows-1252; the byte order mark dropped) and the words the scan counts in it, whose start
// and length are bytes of that UTF-8 line and whose upper is the engine's Windows-1252 form.
// The lines and words are exactly those ForEachTextLine gives; stops when line returns false.
Status ForEachShownLine(FileSystem& fs, const std::string& path, const TextCutting& cutting,
                        const std::function<bool(int64_t number, const std::string& utf8,
                                                 const std::vector<LineWord>& words)>& line);

// One occurrence of a word with its context, in UTF-8. left and right hold at most width
// characters and are cut between words, never inside one. leftWords and rightWords are the
// counted words (upper case, Windows-1252) next to it on its line, nearest first, at most three.
struct ContextLine {
  int text = 0;
  int64_t line = 0;
  std::string left;
  std::string word;  // as written
  std::string right;
  std::vector<std::string> leftWords, rightWords;
};

// What a search that may take long tells and obeys, for a caller on another thread: the number
// of texts searched so far, and a request to stop, looked at before every line.
struct SearchControl {
  const std::atomic<bool>* cancel = nullptr;
  std::function<void(size_t searched)> textsDone;  // called after each text
};

// Every occurrence in paths of a word of words (upper case, Windows-1252), in text and line
// order. A text that cannot be read ends the search with its failure (lines found before it are
// kept). Once control.cancel is set the search ends with IOError("", "search cancelled"), the
// lines found so far being incomplete.
Status FindContexts(FileSystem& fs, const std::vector<std::string>& paths,
                    const TextCutting& cutting, const std::unordered_set<std::string>& words,
                    size_t width, std::vector<ContextLine>* lines,
                    const SearchControl& control = {});

// The order of concordancers: by the word at place key (-1, -2, -3: first, second, third word to
// the left; 1, 2, 3 to the right), ties broken by the words further out on that side, then by
// the nearer ones. A line with no word at a place sorts before one that has a word there.
bool ContextLess(const ContextLine& a, const ContextLine& b, int key);

}  // namespace quarn
