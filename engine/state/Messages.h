// Progress and error messages: the one channel through which every part of the engine speaks
// to the user, plus the two padding helpers of the report and the scanner.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "Severity.h"

namespace quarn {

struct Engine;

// The Progress memo of the main window. Owned by the engine; only ProgressMessage writes it.
struct ProgressLog {
  std::vector<std::string> lines;
  size_t lastIndex = 0;  // the line most recently added by ProgressMessage
};

// Every message is the severity's label (SeverityLabel), one blank and the text. It goes to the
// progress log and, while the results file is open, to that file too; the host is told which
// lines of the log changed.

// Adds the message as a new line, which becomes the last line.
void ProgressMessage(Engine& e, Severity severity, std::string_view text);
// Adds the message as a new line followed by `blankLines` lines holding one blank (empty lines
// in the results file); the last of them becomes the last line. 0 is ProgressMessage.
void ProgressMessageThenBlanks(Engine& e, Severity severity, std::string_view text, int blankLines);
// Appends a blank and text to the last line added, of whatever run (no line end in the results
// file); the scanner's line counts. Before any line exists it starts the first.
void ExtendProgressLine(Engine& e, std::string_view text);

// text followed by blanks up to width characters; longer text unchanged.
std::string PadRight(std::string_view text, size_t width);
// text preceded by '0's up to width characters; longer text unchanged.
std::string PadZeros(std::string_view text, size_t width);

}  // namespace quarn
