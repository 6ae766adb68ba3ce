// The lists' part of the engine's state: the stop list's words and the updated lists waiting
// for the report to finish. Reading and writing them is in lists/.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quarn {

// Sorted entries without duplicates; each entry the first 30 characters of a stop-file line,
// upper-cased, neither trimmed nor validated.
class StopList {
 public:
  void Add(std::string_view entry);  // a duplicate is dropped
  // Adds many entries at once, in O(n log n): the same list as adding them one by one.
  void AddAll(std::vector<std::string> more);
  bool Contains(std::string_view word) const;
  size_t size() const { return entries_.size(); }
  const std::vector<std::string>& entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

// A list written anew beside the old one, waiting for the report to finish.
struct PendingListUpdate {
  std::string temp;    // the complete new list (basewrd<n>.tmp beside target)
  std::string target;  // the file it replaces: the list as read, its links followed
  // The list's name as found in another letter case (BASEWRD1.txt) and the name it then takes
  // (basewrd1.txt); both empty when it keeps its name.
  std::string caseFrom;
  std::string caseTo;
};

}  // namespace quarn
