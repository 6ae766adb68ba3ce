// The words the scan counts in one line of a text, for the explorer's readings of a run's texts
// (the marked text, words in context, the lines of a word): cut exactly as the scan cuts them, so
// that what these readings find matches the counts.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "Status.h"
#include "text/CharClassTable.h"
#include "text/LineReader.h"
#include "text/TextEncoding.h"

namespace quarn {

// How the run read its texts.
struct TextCutting {
  CharClassTable classes = DefaultCharClassTable();
  bool ignoreAngle = false;
  TextEncoding encoding = TextEncoding::kAuto;
};

// A word of a line: line[start, start + length), and its upper-cased form as the store holds it.
struct LineWord {
  size_t start = 0;
  size_t length = 0;
  std::string upper;
};

// Opens the text at path to be read line by line as the run read it. Only a regular file is
// opened (a device or a pipe would be read without end, or block the reader): anything else is
// a failure. A text of wide characters, which the scan skips, gives ok and *reader empty.
Status OpenCountedText(FileSystem& fs, const std::string& path, const TextCutting& cutting,
                       std::unique_ptr<LineReader>* reader);

// True when the first line of a file marks a Word Perfect document, which the scan skips.
bool IsWordPerfectLine(const std::string& line);

// Replaces *words by the words the scan counts in line (Windows-1252): the line trimmed of
// characters of code 32 or less at both ends, upper-cased, and cut with cutting; a comment line
// (starting with '#' once trimmed) has none. Each start is a byte of line. *upper is working
// space, passed again from line to line to save allocations.
void CutCountedWords(const std::string& line, const TextCutting& cutting, std::string* upper,
                     std::vector<LineWord>* words);

}  // namespace quarn
