// The user's own Quarn folder, where Quarn works when started from the desktop menu rather than
// from a terminal: the shipped word lists and sample texts are copied into it on first start, so
// that the lists there are the user's to update.
#pragma once

#include <string>
#include <vector>

#include "FileSystem.h"
#include "Status.h"

namespace quarn {

// Makes sure `folder` exists and holds a copy of every regular file of each folder in
// `sources` (sub-folders are not entered). A file the folder already holds under the same name,
// in any letter case, is left alone whatever its contents, so the user's lists and texts are
// never replaced and a file the user deleted comes back only as the shipped version. A source
// folder that does not exist is passed over (a build run from its tree ships nothing). Each
// copy is written under a scratch name and then renamed, so a copy cut short leaves no partial
// file under the real name and the next start completes it. The names copied are appended to
// *copied (may be null). Stops at the first failure and returns it.
Status PrepareUserFolder(FileSystem& fs, const std::string& folder,
                         const std::vector<std::string>& sources, std::vector<std::string>* copied);

}  // namespace quarn
