// What kind of message a line of the progress log is. The kind decides the label the line starts
// with, in the log and in the results file; the labels are part of the results file's text.
#pragma once

#include <string_view>

namespace quarn {

enum class Severity {
  kProgress,   // progress and statistics: label ""
  kError,      // a failure: label "ERROR"
  kLineError,  // a fault in one line of a text or a list: label "ERROR " (with its blank)
  kSpacer,     // the blank line after a skipped file: label " "
  kSkipping,   // a baseword line that is skipped: label "SKIPPING "
};

// The label a message of kind s starts with (followed by one blank and the text).
constexpr std::string_view SeverityLabel(Severity s) {
  switch (s) {
    case Severity::kProgress:
      return "";
    case Severity::kError:
      return "ERROR";
    case Severity::kLineError:
      return "ERROR ";
    case Severity::kSpacer:
      return " ";
    case Severity::kSkipping:
      return "SKIPPING ";
  }
  return "";
}

}  // namespace quarn
