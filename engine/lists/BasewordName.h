// Finding baseword files without regard to letter case, and repairing a misnamed one.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quarn {

struct Engine;
class FileSystem;
class FolderLock;

// "BASEWRD" + n + ".txt".
std::string BasewordFileName(int n);

// The path of the regular file in folder (ending in '/') whose name equals name ignoring ASCII
// letter case; the exact name first when it exists. A name with a folder part ("sub/name") is
// looked for in that folder below folder. Empty when there is none.
std::optional<std::string> FindFileNoCase(FileSystem& fs, const std::string& folder,
                                          const std::string& name);

// The folder (ending in '/') in which a list dialog takes the name typed into it: folder, or ""
// for a name given with an absolute path, which is then used as it is.
std::string DialogFolder(const std::string& folder, const std::string& name);

// The list dialogs' lock: ProgramFolder (the current directory while it is not set) and the
// folders of the names given with an absolute path. When it cannot be had, writes the "ERROR"
// line and shows the box, and returns false.
bool LockDialogFolders(Engine& e, const std::vector<std::string>& names, FolderLock* lock);

// Offers to rename the first file matching base + ".*" (case ignored) to base + ".txt".
// Returns true iff the file is still missing.
bool RepairBasewordName(Engine& e, const std::string& folder, const std::string& base);

}  // namespace quarn
