#include "store/Store.h"

namespace quarn {

void Store::Fail(const Status& s) {
  if (runFailed) return;
  runFailed = true;
  runError = s;
}

}  // namespace quarn
