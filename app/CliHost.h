// The Host of the command-line driver: the progress log echoed to standard output, message boxes
// asked on the terminal or answered by --answer.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "Host.h"
#include "state/Messages.h"

namespace quarn {

class CliHost : public Host {
 public:
  bool answerOk = false;  // how boxes are answered when standard input is not a terminal

  void ResultsFileNameChanged(const std::string&) override {}
  void ProgressChanged(const ProgressLog& log, size_t first) override;
  bool MessageBox(const std::string& text, bool withCancel) override;

  // Prints the lines of the log not printed yet, the last one included.
  void FlushProgress(const ProgressLog& log);

 private:
  size_t printed_ = 0;  // lines of the log already written to standard output
};

}  // namespace quarn
