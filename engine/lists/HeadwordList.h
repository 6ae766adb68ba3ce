// The OK action of the Make headword list dialog: the headwords of a baseword file, one per line.
#pragma once

#include <string>
#include <string_view>

namespace quarn {

struct Engine;

struct HeadwordListSettings {
  std::string FileCopyFrom = "basewrd1";
  std::string FileCopyTo = "headwords";
};

// The dialog's own line parser: the word before the first digit, trimmed and upper-cased.
struct HeadwordLine {
  std::string word;
  bool indented = false;
  bool valid = false;
};
HeadwordLine ParseHeadwordLine(std::string_view line);

// Does the work of one OK press. Returns false when it failed (the failure is reported).
bool MakeHeadwordList(Engine& e, const HeadwordListSettings& settings);

}  // namespace quarn
