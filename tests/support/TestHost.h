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
  RunOptions options;
  std::vector<std::string> inputLines;
  std::string label4;
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
  int bulkRemovals = 0;  // calls of RemoveInputLines

  RunOptions Options() override { return options; }
  std::vector<std::string> InputLines() override { return inputLines; }
  void RemoveInputLine(size_t index) override {
    if (index < inputLines.size()) inputLines.erase(inputLines.begin() + index);
  }
  void RemoveInputLines(const std::vector<size_t>& indexes) override {
    ++bulkRemovals;
    std::vector<std::string> kept;
    size_t next = 0;
    for (size_t i = 0; i < inputLines.size(); ++i) {
      if (next < indexes.size() && indexes[next] == i) {
        ++next;
        continue;
      }
      kept.push_back(std::move(inputLines[i]));
    }
    inputLines.swap(kept);
  }
  void ResultsFileNameChanged(const std::string& name) override { label4 = name; }
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
