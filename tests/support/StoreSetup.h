// Readying an engine's store for a test as a run's set-up would, without the rest of a run.
#pragma once

#include <string>

#include "state/Engine.h"

namespace quarn::testing {

// Makes folder the program and scratch folder, creates tree.dvp there, empties the store, takes
// the default character classes and makes file 1 the current input file. Returns true iff the
// record file could be created.
bool OpenEmptyStore(Engine& e, const std::string& folder);

// A different word of capital letters for every i above 0 ("B", "C", ..., "AB", ...): many
// distinct words for tables that must grow.
std::string NumberWord(int i);

}  // namespace quarn::testing
