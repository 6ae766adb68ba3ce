// Setting up and cleaning up one run (or one file of a batch run).
#pragma once

namespace quarn {

struct Engine;

// With the run's options in place, checks the baseword files (setting RunStopped when one is
// missing, or when one due to be read or updated is in 16- or 32-bit units), creates
// temp$$$.dvp and tree.dvp afresh, zeroes the counters, empties the store and builds the
// character classes. A failure to create a file fails the run.
void SetUpRun(Engine& e);

// Closes tree.dvp and temp$$$.dvp and deletes them.
void CleanUpRun(Engine& e);

}  // namespace quarn
