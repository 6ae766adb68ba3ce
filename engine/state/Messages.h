// Progress and error messages: the one channel through which every part of the engine speaks
// to the user, plus the two padding helpers of the report and the scanner.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quarn {

struct Engine;

// The Progress memo of the main window. Owned by the engine; only ProgressMessage writes it.
struct ProgressLog {
  std::vector<std::string> lines;
  size_t lastIndex = 0;  // the line most recently added by ProgressMessage
};

// Appends a message to the progress log and, while the results file is open, to that file.
// count -1 extends the last line (no line end in the results file); 0 adds a line; n > 0 adds a
// line and n lines holding one blank (n empty lines in the results file). Below -1 acts as 0.
// The label is cut to 30 characters. The host is told which lines changed.
void ProgressMessage(Engine& e, std::string_view text, std::string_view label, int count);

// text followed by blanks up to width characters; longer text unchanged.
std::string PadRight(std::string_view text, size_t width);
// text preceded by '0's up to width characters; longer text unchanged.
std::string PadZeros(std::string_view text, size_t width);

}  // namespace quarn
