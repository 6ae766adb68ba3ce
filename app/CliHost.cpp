#include "CliHost.h"

#include <unistd.h>

#include <iostream>

#include "text/TextEncoding.h"

namespace quarn {
namespace {

void PrintLine(const std::string& line) {
  const std::string text = MessageToUtf8(line);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace

// Every line but the last is final (only the last line is ever extended), so those are printed
// as soon as a newer line exists.
void CliHost::ProgressChanged(const ProgressLog& log, size_t first) {
  if (first < printed_) printed_ = first;  // cannot happen for final lines; be safe
  const size_t before = printed_;
  while (printed_ + 1 < log.lines.size()) {
    PrintLine(log.lines[printed_]);
    ++printed_;
  }
  // Finished lines reach a pipe as they come, so that whoever reads it can follow the run.
  if (printed_ != before) std::fflush(stdout);
}

void CliHost::FlushProgress(const ProgressLog& log) {
  while (printed_ < log.lines.size()) {
    PrintLine(log.lines[printed_]);
    ++printed_;
  }
  std::fflush(stdout);
}

bool CliHost::MessageBox(const std::string& text, bool withCancel) {
  std::string shown = MessageToUtf8(text);
  for (char& c : shown)
    if (c == '\r') c = '\n';
  std::fflush(stdout);
  std::cerr << "Quarn: " << shown << (withCancel ? " [OK/Cancel]" : " [OK]");
  if (isatty(STDIN_FILENO)) {
    std::cerr << " (o = OK, c = Cancel) ";
    std::string reply;
    if (!std::getline(std::cin, reply)) return false;
    bool ok = !withCancel || reply.empty() || reply[0] == 'o' || reply[0] == 'O';
    return ok;
  }
  bool ok = !withCancel || answerOk;
  std::cerr << " -> " << (ok ? "OK" : "Cancel") << "\n";
  return ok;
}

}  // namespace quarn
