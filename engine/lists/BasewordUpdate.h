// Writing the run's frequencies back into the baseword files as running counts.
#pragma once

#include <string>
#include <vector>

namespace quarn {

struct Engine;

// A list written anew beside the old one, waiting for the report to finish.
struct PendingListUpdate {
  std::string temp;     // the complete new list (basewrd<n>.tmp)
  std::string target;   // the list it replaces
  std::string oldName;  // the list as it was found in another letter case, or empty
};

// Writes every list file due in this run, in normalised form with the new counts, to its
// temporary file; they are pending in e.pendingListUpdates.
void UpdateBasewordFiles(Engine& e);
// Puts the pending lists in place, each by one rename, once the report is complete.
void CommitBasewordUpdates(Engine& e);
// Removes the pending lists' temporary files: the old lists stay as they were.
void DiscardBasewordUpdates(Engine& e);

// The updated lines of one list file.
std::vector<std::string> UpdateBasewordLines(Engine& e, const std::vector<std::string>& lines);

}  // namespace quarn
