// Cutting text lines into words, and scanning input files into the store.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quarn {

struct Engine;
struct CharClassTable;

// Finds the next word of line at or after pos (0-based) and moves pos past it. A word begins
// with a class-2 character and goes on while characters are not of class 0, at most 30 of
// them. With ignoreAngle, a "<" met between words skips to the next ">" (or the line's end).
// Returns false when no word is left. *word views into line.
bool NextWord(const CharClassTable& classes, bool ignoreAngle, std::string_view line, size_t& pos,
              std::string_view* word);

// Scans one input file into the store, its occurrences counting in the store's countSlot (set
// with the FileNumber, SetFileNumber), with its progress messages. A failure to open or read the
// file fails the run (Engine::Fail).
void ScanInputFile(Engine& e, const std::string& path);

}  // namespace quarn
