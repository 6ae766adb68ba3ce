// The files of one export, put in place as one set. Each is written under a work name beside
// its final name (NAME.tmp); only once every file of the set is complete are they put in
// place, under a journal, so that a reader of the folder sees either the whole earlier set or
// the whole new one, after a failure at any step and after a kill at any moment (at the latest
// once the next export into the folder has recovered it, RecoverExportSet).
//
// Putting a set in place (Commit):
//   1. the journal quarn-export.journal is written (under its own work name, then renamed): one
//      line per file of the set, "1 NAME" when an earlier NAME is there, "0 NAME" when not;
//   2. every earlier NAME is moved aside to NAME.old.tmp;
//   3. every NAME.tmp is renamed to NAME;
//   4. the journal is removed: from here the new set stands;
//   5. the NAME.old.tmp are removed.
// A failure in steps 1-4 undoes what was done (the journal's undo below); a kill leaves the
// journal, and the next export into the folder undoes the same way before it writes.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "Status.h"

namespace quarn {

inline constexpr char kExportJournalName[] = "quarn-export.journal";

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
  // folder: where every file of the set lies, ending in '/' ("" for the current directory).
  ExportFiles(FileSystem& fs, std::string folder) : fs_(fs), folder_(std::move(folder)) {}
  // Removes the work files of a set not committed.
  ~ExportFiles();
  ExportFiles(const ExportFiles&) = delete;
  ExportFiles& operator=(const ExportFiles&) = delete;

  // Creates path's work file, new and empty (FileSystem::NewWritableFile: never through a link
  // or into a file found there), registering path; *work names it, for a writer that opens it
  // by name itself.
  Status Reserve(const std::string& path, std::string* work);
  // Creates path's work file for writing through the file layer, registering path.
  Status Open(const std::string& path, std::unique_ptr<ExportStream>* out);
  // Puts the set in place as above. A failure names the file it met, and leaves every earlier
  // file of the set as it was (or, when even the undo fails, the journal for the next export).
  Status Commit();

 private:
  FileSystem& fs_;
  std::string folder_;
  std::vector<std::string> paths_;
  bool committed_ = false;
};

// The work name under which the set's file path is written.
std::string ExportWorkName(const std::string& path);
// The name under which the earlier file path is kept while a set is put in place.
std::string ExportAsideName(const std::string& path);

// Recovers folder (ending in '/', "" for the current directory) from an export killed or failed
// part-way: when a journal is there, every file it lists is brought back to the earlier set and
// the journal removed. Then the work files of every name in names (file names in folder) are
// removed. The caller holds the folder's lock. A failure leaves the journal for the next try.
Status RecoverExportSet(FileSystem& fs, const std::string& folder,
                        const std::vector<std::string>& names);

}  // namespace quarn
