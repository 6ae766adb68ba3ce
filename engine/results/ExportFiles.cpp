#include "results/ExportFiles.h"

#include <utility>

namespace quarn {
namespace {

constexpr size_t kBufferSize = 1 << 20;

std::string WorkName(const std::string& path) { return path + ".tmp"; }

}  // namespace

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
  for (const std::string& path : paths_) {
    const std::string work = WorkName(path);
    if (fs_.FileExists(work)) fs_.RemoveFile(work);
  }
}

std::string ExportFiles::Add(const std::string& path) {
  paths_.push_back(path);
  return WorkName(path);
}

Status ExportFiles::Open(const std::string& path, std::unique_ptr<ExportStream>* out) {
  std::unique_ptr<WritableFile> file;
  Status s = fs_.NewWritableFile(Add(path), &file);
  if (!s.ok()) return Status::IOError(path, s.reason());
  *out = std::make_unique<ExportStream>(std::move(file), path);
  return Status::OK();
}

Status ExportFiles::Commit() {
  for (size_t i = 0; i < paths_.size(); ++i) {
    Status s = fs_.RenameFile(WorkName(paths_[i]), paths_[i]);
    if (!s.ok()) {
      paths_.erase(paths_.begin(), paths_.begin() + static_cast<std::ptrdiff_t>(i));
      return Status::IOError(paths_.front(), s.reason());
    }
  }
  committed_ = true;
  return Status::OK();
}

}  // namespace quarn
