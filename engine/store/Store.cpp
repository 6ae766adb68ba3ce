#include "store/Store.h"

namespace quarn {

void Store::StartOperation() {
  runFailed = false;
  runErrorReported = false;
  runError = Status::OK();
}

void Store::Fail(const Status& s) {
  if (runFailed) return;
  runFailed = true;
  runError = s;
}

}  // namespace quarn
