// Finding baseword files without regard to letter case, and repairing a misnamed one.
#pragma once

#include <optional>
#include <string>

namespace quarn {

struct Engine;
class FileSystem;

// "BASEWRD" + n + ".txt".
std::string BasewordFileName(int n);

// The path of the regular file in folder (ending in '/') whose name equals name ignoring ASCII
// letter case; the exact name first when it exists. A name with a folder part ("sub/name") is
// looked for in that folder below folder. Empty when there is none.
std::optional<std::string> FindFileNoCase(FileSystem& fs, const std::string& folder,
                                          const std::string& name);

// Offers to rename the first file matching base + ".*" (case ignored) to base + ".txt".
// Returns true iff the file is still missing.
bool RepairBasewordName(Engine& e, const std::string& folder, const std::string& base);

}  // namespace quarn
