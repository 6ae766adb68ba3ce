// Replacing files whole, so that a failure at any point leaves every file as it was: the new
// content is written into a temporary file beside the file, forced to stable storage, and only
// then renamed over the file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "Status.h"

namespace quarn {

// The replacement of one or more files as one step: every new content is staged beside its
// file first, and only when all are staged are they renamed into place, in the order staged.
// Temporaries that were not renamed are removed at the latest when the object goes.
class FileReplacement {
 public:
  explicit FileReplacement(FileSystem& fs) : fs_(fs) {}
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Writes content into a temporary file beside path, or beside the file path links to
  // (that file + ".tmp", or another name when that one is the temporary of a file staged
  // before), and forces it to stable storage. A failure
  // names path; the temporary is then removed and nothing else changes.
  Status Stage(const std::string& path, std::string_view content);
  // Renames the staged temporaries over their files, in the order staged. At the first
  // failure (which names the file) the temporaries not yet renamed are removed; the files
  // renamed before it keep their new content.
  Status Commit();

 private:
  void RemoveTemporaries();

  struct Staged {
    std::string path;    // as named; failures name it
    std::string target;  // path with its links followed: the file replaced
    std::string temp;
  };
  FileSystem& fs_;
  std::vector<Staged> staged_;
};

// Replaces the file at path (creating it when missing) with content, as one FileReplacement.
Status ReplaceFile(FileSystem& fs, const std::string& path, std::string_view content);

}  // namespace quarn
