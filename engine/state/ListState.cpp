#include "state/ListState.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace quarn {

void StopList::Add(std::string_view entry) {
  auto at = std::lower_bound(entries_.begin(), entries_.end(), entry,
                             [](const std::string& a, std::string_view b) { return a < b; });
  if (at != entries_.end() && *at == entry) return;
  entries_.insert(at, std::string(entry));
}

void StopList::AddAll(std::vector<std::string> more) {
  std::sort(more.begin(), more.end());
  more.erase(std::unique(more.begin(), more.end()), more.end());
  std::vector<std::string> merged;
  merged.reserve(entries_.size() + more.size());
  std::merge(std::make_move_iterator(entries_.begin()), std::make_move_iterator(entries_.end()),
             std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()),
             std::back_inserter(merged));
  // Each side is free of duplicates, so an entry is at most twice in the merged list, side by
  // side.
  merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
  entries_ = std::move(merged);
}

bool StopList::Contains(std::string_view word) const {
  auto at = std::lower_bound(entries_.begin(), entries_.end(), word,
                             [](const std::string& a, std::string_view b) { return a < b; });
  return at != entries_.end() && *at == word;
}

}  // namespace quarn
