// Naming the results file.
#pragma once

#include <string>

namespace quarn {

// path with its extension replaced by ext (appended when the file name has none).
std::string ChangeExtension(const std::string& path, const std::string& ext);
// Every "." of the file-name part replaced by "_quarn."; the folder part unchanged.
std::string InsertQuarnSuffix(const std::string& path);
// The batch results file of an input file: C:/T/STORY.DOS -> C:/T/STORY_quarn.txt.
std::string BatchResultsName(const std::string& inputPath);
// The File > Save rule: extension ".txt", then the suffix unless the name holds "_quarn.".
std::string SaveResultsName(const std::string& chosen);
// Where the results file is written while its run lasts: results + ".tmp". The file takes the
// results name only once the report is complete, so a failed run leaves an earlier results file
// whole.
std::string ResultsWorkName(const std::string& results);

}  // namespace quarn
