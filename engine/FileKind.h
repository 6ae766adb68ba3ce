// What a path names, told without opening it: opening a pipe waits for a writer, and a device
// may never end.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "FileSystem.h"

namespace quarn {

enum class FileKind { kRegularFile, kMissing, kNotRegular };

// A regular file, nothing, or something else at path (a folder, a pipe, a device, a link that
// leads nowhere), found through the file system's own calls: the existence tests, then the
// names of path's folder.
FileKind ExamineFile(FileSystem& fs, const std::string& path);

// ExamineFile for many paths, each folder listed once: a long input list of missing files
// would otherwise list their folder once per file.
class FileExaminer {
 public:
  explicit FileExaminer(FileSystem& fs) : fs_(fs) {}
  FileKind Examine(const std::string& path);

 private:
  FileSystem& fs_;
  std::unordered_map<std::string, std::unordered_set<std::string>> listed_;
};

}  // namespace quarn
