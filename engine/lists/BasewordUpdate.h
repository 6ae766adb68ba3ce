// Writing the run's frequencies back into the baseword files as running counts.
#pragma once

#include <string>
#include <vector>

namespace quarn {

struct Engine;

// Rewrites every list file due in this run in normalised form with the new counts.
void UpdateBasewordFiles(Engine& e);

// The updated lines of one list file.
std::vector<std::string> UpdateBasewordLines(Engine& e, const std::vector<std::string>& lines);

}  // namespace quarn
