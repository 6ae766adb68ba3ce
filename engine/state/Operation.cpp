#include "state/Operation.h"

#include <string>
#include <utility>

#include "state/Engine.h"
#include "state/Messages.h"

namespace quarn {

OperationScope::OperationScope(Engine& e, std::function<void(Engine&)> endOperation)
    : e_(e), end_(std::move(endOperation)) {
  e_.StartOperation();  // a failure of an earlier operation is not this one's
  e_.run = RunState{};
}

OperationScope::~OperationScope() {
  if (end_) end_(e_);
  e_.run = RunState{};
}

void ReportActionFailure(Engine& e) {
  if (!e.failed()) return;
  const std::string text = e.runError.ToString();
  ProgressMessageThenBlanks(e, Severity::kError, text, 1);
  e.host.MessageBox(text, false);
}

}  // namespace quarn
