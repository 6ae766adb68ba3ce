// Marked copies of the input texts (.mrk): every word outside list 1 carries its list's mark.
#pragma once

#include <string>
#include <vector>

namespace quarn {

struct Engine;

// The marked file's name: path with its extension replaced by ".mrk" (appended when none).
std::string MarkedFileName(const std::string& path);

// Writes a marked copy of every file of `files`, in order.
void MarkTexts(Engine& e, const std::vector<std::string>& files);

}  // namespace quarn
