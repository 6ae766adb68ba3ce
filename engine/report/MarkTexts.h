// Marked copies of the input texts (.mrk): every word outside list 1 carries its list's mark.
#pragma once

#include <string>
#include <vector>

namespace quarn {

struct Engine;

// The marked file's name: path with its extension replaced by ".mrk" (appended when none).
std::string MarkedFileName(const std::string& path);

// Writes a marked copy of every file of `files`, in order, under its work name; they are
// pending in e.run.pendingMarkedTexts.
void MarkTexts(Engine& e, const std::vector<std::string>& files);
// Puts the pending marked copies in place once the report is complete, each by one rename.
void CommitMarkedTexts(Engine& e);
// Removes the pending marked copies' work files: the earlier copies stay as they were.
void DiscardMarkedTexts(Engine& e);

}  // namespace quarn
