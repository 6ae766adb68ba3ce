// The OK action of the Move/Copy basewords dialog: moving or copying whole families from one
// baseword file to another, selected by their counts.
#pragma once

#include <string>

namespace quarn {

struct Engine;

// The dialog's controls; the defaults are its initial states.
struct MoveCopySettings {
  enum class Relation { kGreaterThan, kEqualTo, kLessThan };
  std::string FileCopyFrom = "basewrd1";
  std::string FileCopyTo = "basewrd4";
  Relation relation = Relation::kEqualTo;
  std::string FilterNum = "0";
  bool Copy_Words = false;
  bool headwrds_only = false;
  bool usefamilytotal = false;
  bool appendtofile = true;
};

// Does the work of one OK press, reporting through the progress log. Returns false when it
// failed (the failure is reported).
bool MoveCopyBasewords(Engine& e, const MoveCopySettings& settings);

}  // namespace quarn
