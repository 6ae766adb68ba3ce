#include "results/ExportFiles.h"

#include <utility>

namespace quarn {
namespace {

constexpr size_t kBufferSize = 1 << 20;

struct JournalEntry {
  bool hadEarlier = false;
  std::string name;  // in the folder
};

std::string NameIn(const std::string& folder, const std::string& path) {
  return path.compare(0, folder.size(), folder) == 0 ? path.substr(folder.size()) : path;
}

Status RemoveIfFile(FileSystem& fs, const std::string& path) {
  return fs.FileExists(path) ? fs.RemoveFile(path) : Status::OK();
}

// Brings every file of the journal back to the earlier set: an earlier file moved aside goes
// back over whatever took its name, a file that had no earlier one goes, and the work files go.
// Then the journal goes. Each step can be taken again after a kill, so a failure or kill here
// leaves the journal for the next try, which ends the same way.
Status Undo(FileSystem& fs, const std::string& folder, const std::vector<JournalEntry>& entries) {
  Status first;
  for (const JournalEntry& entry : entries) {
    const std::string path = folder + entry.name;
    const std::string aside = ExportAsideName(path);
    Status s;
    if (entry.hadEarlier) {
      // Not aside: the earlier file was never moved and is still in place.
      if (fs.FileExists(aside)) s = fs.RenameFile(aside, path);
    } else {
      s = RemoveIfFile(fs, path);
    }
    if (first.ok() && !s.ok()) first = s;
    s = RemoveIfFile(fs, ExportWorkName(path));
    if (first.ok() && !s.ok()) first = s;
  }
  if (first.ok()) first = RemoveIfFile(fs, folder + kExportJournalName);
  return first;
}

// Writes the journal under its work name and renames it into place (a link planted at its name
// is replaced, never followed).
Status WriteJournal(FileSystem& fs, const std::string& journal,
                    const std::vector<JournalEntry>& entries) {
  std::string content;
  for (const JournalEntry& entry : entries)
    content += (entry.hadEarlier ? "1 " : "0 ") + entry.name + "\n";
  const std::string work = ExportWorkName(journal);
  std::unique_ptr<WritableFile> file;
  Status s = fs.NewWritableFile(work, &file);
  if (!s.ok()) return Status::IOError(journal, s.reason());
  s = file->Append(content);
  if (s.ok()) s = file->Sync();
  const Status closed = file->Close();
  if (s.ok()) s = closed;
  if (s.ok()) s = fs.RenameFile(work, journal);
  if (!s.ok()) {
    fs.RemoveFile(work);
    return Status::IOError(journal, s.reason());
  }
  return Status::OK();
}

}  // namespace

std::string ExportWorkName(const std::string& path) { return path + ".tmp"; }
std::string ExportAsideName(const std::string& path) { return path + ".old.tmp"; }

ExportStream::ExportStream(std::unique_ptr<WritableFile> file, std::string path)
    : file_(std::move(file)), path_(std::move(path)) {
  buffer_.reserve(kBufferSize);
}

void ExportStream::Append(std::string_view data) {
  if (!status_.ok()) return;
  buffer_.append(data);
  if (buffer_.size() >= kBufferSize) Flush();
}

void ExportStream::Flush() {
  if (status_.ok() && !buffer_.empty()) status_ = file_->Append(buffer_);
  buffer_.clear();
}

Status ExportStream::Close() {
  Flush();
  if (file_ == nullptr) return status_;
  Status s = status_.ok() ? file_->Sync() : status_;
  const Status closed = file_->Close();
  file_.reset();
  if (s.ok()) s = closed;
  // Failures name the file the user asked for, not its work name.
  if (!s.ok()) status_ = Status::IOError(path_, s.reason());
  return status_;
}

ExportFiles::~ExportFiles() {
  if (committed_) return;
  for (const std::string& path : paths_) RemoveIfFile(fs_, ExportWorkName(path));
}

Status ExportFiles::Reserve(const std::string& path, std::string* work) {
  paths_.push_back(path);
  *work = ExportWorkName(path);
  std::unique_ptr<WritableFile> file;
  Status s = fs_.NewWritableFile(*work, &file);
  if (s.ok()) s = file->Close();
  if (!s.ok()) return Status::IOError(path, s.reason());
  return Status::OK();
}

Status ExportFiles::Open(const std::string& path, std::unique_ptr<ExportStream>* out) {
  paths_.push_back(path);
  std::unique_ptr<WritableFile> file;
  Status s = fs_.NewWritableFile(ExportWorkName(path), &file);
  if (!s.ok()) return Status::IOError(path, s.reason());
  *out = std::make_unique<ExportStream>(std::move(file), path);
  return Status::OK();
}

Status ExportFiles::Commit() {
  // An aside name left by an earlier kill would be taken by the undo for this set's earlier file.
  for (const std::string& path : paths_) {
    Status s = RemoveIfFile(fs_, ExportAsideName(path));
    if (!s.ok()) return Status::IOError(path, s.reason());
  }
  std::vector<JournalEntry> entries;
  for (const std::string& path : paths_)
    entries.push_back({fs_.FileExists(path), NameIn(folder_, path)});
  const std::string journal = folder_ + kExportJournalName;
  Status s = WriteJournal(fs_, journal, entries);
  if (!s.ok()) return s;

  Status failure;
  for (size_t i = 0; i < paths_.size() && failure.ok(); ++i) {
    if (!entries[i].hadEarlier) continue;
    Status moved = fs_.RenameFile(paths_[i], ExportAsideName(paths_[i]));
    if (!moved.ok()) failure = Status::IOError(paths_[i], moved.reason());
  }
  for (size_t i = 0; i < paths_.size() && failure.ok(); ++i) {
    Status renamed = fs_.RenameFile(ExportWorkName(paths_[i]), paths_[i]);
    if (!renamed.ok()) failure = Status::IOError(paths_[i], renamed.reason());
  }
  if (failure.ok()) {
    // The moment the new set stands.
    Status removed = fs_.RemoveFile(journal);
    if (!removed.ok()) failure = Status::IOError(journal, removed.reason());
  }
  if (!failure.ok()) {
    Undo(fs_, folder_, entries);  // when this fails too, the journal stays for the next export
    return failure;
  }
  committed_ = true;
  // Left behind by a failure here, they are removed by the next export into the folder.
  for (const JournalEntry& entry : entries)
    if (entry.hadEarlier) fs_.RemoveFile(ExportAsideName(folder_ + entry.name));
  return Status::OK();
}

Status RecoverExportSet(FileSystem& fs, const std::string& folder,
                        const std::vector<std::string>& names) {
  const std::string journal = folder + kExportJournalName;
  if (fs.FileExists(journal)) {
    std::string content;
    Status s = ReadFileToString(fs, journal, &content);
    if (!s.ok()) return s;
    std::vector<JournalEntry> entries;
    size_t start = 0;
    while (start < content.size()) {
      size_t end = content.find('\n', start);
      if (end == std::string::npos) end = content.size();
      const std::string line = content.substr(start, end - start);
      start = end + 1;
      // A journal cut short by a kill while it was written is never in place (it is renamed
      // whole); a line that is not one of ours is passed over all the same.
      if (line.size() < 3 || (line[0] != '0' && line[0] != '1') || line[1] != ' ') continue;
      const std::string name = line.substr(2);
      if (name.find('/') != std::string::npos) continue;
      entries.push_back({line[0] == '1', name});
    }
    s = Undo(fs, folder, entries);
    if (!s.ok()) return s;
  }
  RemoveIfFile(fs, ExportWorkName(journal));
  for (const std::string& name : names) {
    RemoveIfFile(fs, ExportWorkName(folder + name));
    RemoveIfFile(fs, ExportAsideName(folder + name));
  }
  return Status::OK();
}

}  // namespace quarn
