// A Host for tests: records message boxes, answers them from a script, keeps an input list.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "Host.h"
#include "state/Messages.h"

namespace quarn::testing {

class TestHost : public Host {
 public:
  // What the tests' runs are asked to do (RunFixture::Request); the input list loses the lines
  // the run removes, as the window's does.
  RunOptions options;
  std::vector<std::string> inputLines;
  std::string resultsFileShown;  // the last ResultsFileNameChanged
  // Answers for coming message boxes, first first; when empty, `defaultAnswer`.
  std::deque<bool> answers;
  bool defaultAnswer = false;
  struct Box {
    std::string text;
    bool withCancel;
  };
  std::vector<Box> boxes;
  int progressNotifications = 0;
  // With keepRunProgress, every RunProgressChanged, in order; onRunProgress (when set) sees each
  // as it comes.
  bool keepRunProgress = false;
  std::vector<RunProgress> runProgress;
  std::function<void(const RunProgress&)> onRunProgress;
  int bulkRemovals = 0;  // calls of InputLinesRemoved

  void InputLinesRemoved(const std::vector<size_t>& indexes) override {
    ++bulkRemovals;
    RemoveLinesAt(inputLines, indexes);
  }
  void ResultsFileNameChanged(const std::string& name) override { resultsFileShown = name; }
  void ProgressChanged(const ProgressLog&, size_t) override { ++progressNotifications; }
  void RunProgressChanged(const RunProgress& p) override {
    if (keepRunProgress) runProgress.push_back(p);
    if (onRunProgress) onRunProgress(p);
  }
  bool MessageBox(const std::string& text, bool withCancel) override {
    boxes.push_back({text, withCancel});
    if (answers.empty()) return defaultAnswer;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace quarn::testing
