// The stop list: words a run leaves out of its counts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Status.h"
#include "state/ListState.h"

namespace quarn {

struct Engine;

// Fills e.stopList (which the caller has made present and empty) from the file at path. A
// failure leaves the entries read so far and is returned. Only a regular file is read: for
// anything else (a folder, a pipe, a device, which could block or never end) nothing is read
// and the failure says "not a regular file".
Status LoadStopList(Engine& e, const std::string& path);

// True iff the stop list is present and holds word.
bool InStopList(const Engine& e, std::string_view word);

// Moves the stop words that are in no list (code 66) into the stop group (code 65), taking them
// out of OtherTypes and TotalTokens. Walks node numbers 1..NodeCount.
void ApplyStopList(Engine& e);

}  // namespace quarn
