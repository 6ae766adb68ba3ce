// One operation of the user's (a press of Process Files, a Move/Copy, a headword list) from its
// start to its end. The operation makes one on entry and returns on whatever path it likes: the
// scope starts it with no failure and an empty RunState, and as the operation returns runs its
// clean-up once, then empties the state again. Nothing else resets a failure or the state.
#pragma once

#include <functional>

namespace quarn {

struct Engine;

class OperationScope {
 public:
  // endOperation runs as the scope goes, on every path: the reporting of a failure, the
  // discarding of unfinished files, whatever the operation must leave behind.
  OperationScope(Engine& e, std::function<void(Engine&)> endOperation);
  ~OperationScope();
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;

 private:
  Engine& e_;
  std::function<void(Engine&)> end_;
};

// The end of a dialog's action (Move/Copy, the headword list): its input/output failure, when it
// had one, as an "ERROR" line with a blank line after it and an error box.
void ReportActionFailure(Engine& e);

}  // namespace quarn
