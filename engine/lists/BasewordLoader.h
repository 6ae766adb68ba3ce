// Loading the baseword lists into the store at the start of a report.
#pragma once

#include <string>
#include <vector>

namespace quarn {

struct Engine;

// Loads lists 1..ListCount (leaving out lists 1-3 whose box is unticked), with " Reading: "
// messages. A file that cannot be read fails the run.
void LoadBasewordFiles(Engine& e);

// Loads the lines of BASEWRD<n>.txt as list n.
void LoadBasewordFile(Engine& e, int n, const std::vector<std::string>& lines);

}  // namespace quarn
