#include "state/Messages.h"

#include "state/Engine.h"

namespace quarn {
namespace {

// The one writer of the log: count -1 extends the last line, otherwise a line and count blank
// lines are added.
void AddProgress(Engine& e, std::string_view label, std::string_view text, int count) {
  std::string line;
  line.reserve(label.size() + 1 + text.size());
  line.append(label).append(" ").append(text);
  ProgressLog& log = e.progress;
  const bool toResults = e.ResultsFileOpen();

  size_t firstChanged;
  if (count == -1) {
    // Extending before any line exists starts the first line.
    if (log.lines.empty()) log.lines.emplace_back();
    if (log.lastIndex >= log.lines.size()) log.lastIndex = log.lines.size() - 1;
    log.lines[log.lastIndex] += line;
    firstChanged = log.lastIndex;
    if (toResults) e.resultsFile->WriteMessage(line);
  } else {
    firstChanged = log.lines.size();
    log.lines.push_back(std::move(line));
    log.lastIndex = log.lines.size() - 1;
    if (toResults) {
      e.resultsFile->WriteMessage(log.lines.back());
      e.resultsFile->EndLine();
    }
    for (int i = 0; i < count; ++i) {
      log.lines.emplace_back(" ");
      log.lastIndex = log.lines.size() - 1;
      if (toResults) e.resultsFile->EndLine();
    }
  }
  e.host.ProgressChanged(log, firstChanged);
}

}  // namespace

void ProgressMessage(Engine& e, Severity severity, std::string_view text) {
  AddProgress(e, SeverityLabel(severity), text, 0);
}

void ProgressMessageThenBlanks(Engine& e, Severity severity, std::string_view text,
                               int blankLines) {
  AddProgress(e, SeverityLabel(severity), text, blankLines < 0 ? 0 : blankLines);
}

void ExtendProgressLine(Engine& e, std::string_view text) {
  AddProgress(e, SeverityLabel(Severity::kProgress), text, -1);
}

std::string PadRight(std::string_view text, size_t width) {
  std::string s(text);
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string PadZeros(std::string_view text, size_t width) {
  std::string s;
  if (text.size() < width) s.assign(width - text.size(), '0');
  s.append(text);
  return s;
}

}  // namespace quarn
