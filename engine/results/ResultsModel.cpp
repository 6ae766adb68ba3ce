#include "results/ResultsModel.h"

#include <cstdio>
#include <cstdlib>

#include "QuarnHeader.h"

namespace quarn {

std::string ListLabel(int code) {
  if (code == kTotalRowCode) return "total";
  if (code == kStopListCode) return "stop";
  if (code == kNoListCode) return "none";
  return std::to_string(code);
}

std::string PercentText(int64_t part, int64_t whole) {
  if (whole == 0) return "0.00";
  char buf[64];
  // The same arithmetic as the results file's percentage cells, so both show one value.
  std::snprintf(buf, sizeof buf, "%.2f",
                static_cast<double>(part) / static_cast<double>(whole) * 100.0);
  return buf;
}

std::string TextRow::Coverage(int k) const {
  int64_t covered = 0;
  for (int i = 0; i < k && i < static_cast<int>(listTokens.size()); ++i) covered += listTokens[i];
  return PercentText(covered, tokens);
}

std::optional<int> TextRow::ListsFor(int percent) const {
  // Judged on the coverage as the table shows it, so that a text whose coverage reads 95.00
  // is one for which 95 % is reached.
  for (int k = 1; k <= static_cast<int>(listTokens.size()); ++k) {
    if (tokens > 0 && std::strtod(Coverage(k).c_str(), nullptr) >= percent) return k;
  }
  return std::nullopt;
}

}  // namespace quarn
