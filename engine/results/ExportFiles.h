// The files of one export: each is written under a work name beside its final name and renamed
// into place only once every file of the export is complete, so that a failure leaves no
// half-written export file and every earlier one as it was.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "Status.h"

namespace quarn {

// A buffered export file. Keeps its first failure; later writes are then ignored.
class ExportStream {
 public:
  ExportStream(std::unique_ptr<WritableFile> file, std::string path);
  void Append(std::string_view data);
  // Writes out what is buffered and closes the file; returns the stream's status.
  Status Close();
  const Status& status() const { return status_; }

 private:
  void Flush();

  std::unique_ptr<WritableFile> file_;
  std::string path_;
  std::string buffer_;
  Status status_;
};

class ExportFiles {
 public:
  explicit ExportFiles(FileSystem& fs) : fs_(fs) {}
  // Removes the work files of an export not committed.
  ~ExportFiles();
  ExportFiles(const ExportFiles&) = delete;
  ExportFiles& operator=(const ExportFiles&) = delete;

  // The work name under which path is written (path + ".tmp"), registering path.
  std::string Add(const std::string& path);
  // Creates path's work file for writing through the file layer.
  Status Open(const std::string& path, std::unique_ptr<ExportStream>* out);
  // Renames every work file to its final name, in the order added. At the first failure the
  // work files not yet renamed are removed.
  Status Commit();

 private:
  FileSystem& fs_;
  std::vector<std::string> paths_;
  bool committed_ = false;
};

}  // namespace quarn
