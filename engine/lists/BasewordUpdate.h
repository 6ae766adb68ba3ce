// Writing the run's frequencies back into the baseword files as running counts.
#pragma once

#include <string>
#include <vector>

#include "state/ListState.h"

namespace quarn {

struct Engine;

// Writes every list file due in this run, in normalised form with the new counts, to its
// temporary file; they are pending in e.run.pendingListUpdates.
void UpdateBasewordFiles(Engine& e);
// Puts the pending lists in place once the report is complete: first every new list over the
// file it replaces, each by one rename, then the lists found in another letter case are renamed
// to their lower-case names. At every moment each list has one name, holding either the old or
// the new list.
void CommitBasewordUpdates(Engine& e);
// Removes the pending lists' temporary files: the old lists stay as they were.
void DiscardBasewordUpdates(Engine& e);

// The updated lines of one list file.
std::vector<std::string> UpdateBasewordLines(Engine& e, const std::vector<std::string>& lines);

}  // namespace quarn
