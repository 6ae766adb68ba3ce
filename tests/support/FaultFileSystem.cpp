#include "FaultFileSystem.h"

#include <unistd.h>

#include <utility>

namespace quarn::testing {

namespace {

constexpr const char* kNoSpace = "No space left on device";
constexpr const char* kDenied = "Permission denied";

// Counts the bytes written to one file against its budget.
class Budget {
 public:
  Budget(std::string path, std::optional<uint64_t> limit) : path_(std::move(path)), limit_(limit) {}
  // How many of n bytes may still be written; sets the failure when that is fewer than n.
  size_t Allow(size_t n) {
    if (!failure_.ok()) return 0;
    if (!limit_) return n;
    uint64_t left = *limit_ > used_ ? *limit_ - used_ : 0;
    size_t allowed = n <= left ? n : static_cast<size_t>(left);
    used_ += allowed;
    if (allowed < n) failure_ = Status::IOError(path_, kNoSpace);
    return allowed;
  }
  const Status& failure() const { return failure_; }

 private:
  std::string path_;
  std::optional<uint64_t> limit_;
  uint64_t used_ = 0;
  Status failure_;
};

class FaultWritableFile : public WritableFile {
 public:
  FaultWritableFile(std::unique_ptr<WritableFile> file, Budget budget)
      : file_(std::move(file)), budget_(std::move(budget)) {}

  Status Append(std::string_view data) override {
    size_t allowed = budget_.Allow(data.size());
    if (allowed > 0) {
      Status s = file_->Append(data.substr(0, allowed));
      if (!s.ok()) return s;
    }
    return budget_.failure();
  }
  Status Flush() override {
    Status s = file_->Flush();
    return budget_.failure().ok() ? s : budget_.failure();
  }
  Status Sync() override {
    Status s = file_->Sync();
    return budget_.failure().ok() ? s : budget_.failure();
  }
  Status Close() override {
    Status s = file_->Close();
    return budget_.failure().ok() ? s : budget_.failure();
  }

 private:
  std::unique_ptr<WritableFile> file_;
  Budget budget_;
};

class FaultRecordFile : public RecordFile {
 public:
  FaultRecordFile(std::unique_ptr<RecordFile> file, Budget budget)
      : file_(std::move(file)), budget_(std::move(budget)) {}

  Status ReadAt(uint64_t offset, size_t n, char* buf) override {
    return file_->ReadAt(offset, n, buf);
  }
  Status WriteAt(uint64_t offset, const char* data, size_t n) override {
    size_t allowed = budget_.Allow(n);
    if (allowed > 0) {
      Status s = file_->WriteAt(offset, data, allowed);
      if (!s.ok()) return s;
    }
    return budget_.failure();
  }
  Status Close() override { return file_->Close(); }

 private:
  std::unique_ptr<RecordFile> file_;
  Budget budget_;
};

// Runs an action before every read: a slow or stalled file.
class SlowSequentialFile : public SequentialFile {
 public:
  SlowSequentialFile(std::unique_ptr<SequentialFile> file, std::function<void()> action)
      : file_(std::move(file)), action_(std::move(action)) {}
  Status Read(size_t n, char* buf, size_t* got) override {
    action_();
    return file_->Read(n, buf, got);
  }

 private:
  std::unique_ptr<SequentialFile> file_;
  std::function<void()> action_;
};

}  // namespace

void FaultFileSystem::FailWritesAfter(std::string match, uint64_t bytes) {
  writeMatch_ = std::move(match);
  writeBytes_ = bytes;
}
void FaultFileSystem::FailCreate(std::string match) { createMatch_ = std::move(match); }
void FaultFileSystem::FailRename(std::string match) { renameMatch_ = std::move(match); }
void FaultFileSystem::FailRemove(std::string match) { removeMatch_ = std::move(match); }
void FaultFileSystem::VanishOnOpen(std::string match) { vanishMatch_ = std::move(match); }

void FaultFileSystem::FailRenameNumber(int n, bool andLater) {
  renameFailAt_ = n;
  renameFailLater_ = andLater;
  renames_ = 0;
}
void FaultFileSystem::ExitAtChange(int n, int code) {
  exitAt_ = n;
  exitCode_ = code;
  changes_ = 0;
}
void FaultFileSystem::BeforeCreate(std::string match, std::function<void()> action) {
  createActionMatch_ = std::move(match);
  createAction_ = std::move(action);
}
void FaultFileSystem::BeforeRename(std::string match, std::function<void()> action) {
  renameActionMatch_ = std::move(match);
  renameAction_ = std::move(action);
}

void FaultFileSystem::BeforeRead(std::string match, std::function<void()> action) {
  readActionMatch_ = std::move(match);
  readAction_ = std::move(action);
}

void FaultFileSystem::Change() {
  if (exitAt_ > 0 && ++changes_ == exitAt_) ::_exit(exitCode_);
}

void FaultFileSystem::BeforeCreating(const std::string& path) {
  if (Matches(createActionMatch_, path)) createAction_();
}

void FaultFileSystem::Clear() {
  renameFailAt_ = 0;
  exitAt_ = 0;
  createActionMatch_.reset();
  renameActionMatch_.reset();
  readActionMatch_.reset();
  writeMatch_.reset();
  createMatch_.reset();
  renameMatch_.reset();
  removeMatch_.reset();
  vanishMatch_.reset();
}

Status FaultFileSystem::Refuse(const std::string& operation, const std::string& path,
                               const char* reason) {
  refused_.push_back(operation + " " + path);
  return Status::IOError(path, reason);
}

std::optional<uint64_t> FaultFileSystem::WriteBudget(const std::string& path) const {
  if (Matches(writeMatch_, path)) return writeBytes_;
  return std::nullopt;
}

Status FaultFileSystem::NewSequentialFile(const std::string& path,
                                          std::unique_ptr<SequentialFile>* result) {
  if (Matches(vanishMatch_, path)) {
    vanishMatch_.reset();
    base_->RemoveFile(path);
  }
  if (!Matches(readActionMatch_, path)) return base_->NewSequentialFile(path, result);
  readAction_();
  std::unique_ptr<SequentialFile> file;
  Status s = base_->NewSequentialFile(path, &file);
  if (!s.ok()) return s;
  *result = std::make_unique<SlowSequentialFile>(std::move(file), readAction_);
  return s;
}

Status FaultFileSystem::NewWritableFile(const std::string& path,
                                        std::unique_ptr<WritableFile>* result) {
  BeforeCreating(path);
  if (Matches(createMatch_, path)) return Refuse("create", path, kDenied);
  std::unique_ptr<WritableFile> file;
  Status s = base_->NewWritableFile(path, &file);
  if (!s.ok()) return s;
  *result = std::make_unique<FaultWritableFile>(std::move(file), Budget(path, WriteBudget(path)));
  return s;
}

Status FaultFileSystem::NewAppendableFile(const std::string& path,
                                          std::unique_ptr<WritableFile>* result) {
  BeforeCreating(path);
  if (Matches(createMatch_, path)) return Refuse("create", path, kDenied);
  std::unique_ptr<WritableFile> file;
  Status s = base_->NewAppendableFile(path, &file);
  if (!s.ok()) return s;
  *result = std::make_unique<FaultWritableFile>(std::move(file), Budget(path, WriteBudget(path)));
  return s;
}

Status FaultFileSystem::NewRecordFile(const std::string& path,
                                      std::unique_ptr<RecordFile>* result) {
  BeforeCreating(path);
  if (Matches(createMatch_, path)) return Refuse("create", path, kDenied);
  std::unique_ptr<RecordFile> file;
  Status s = base_->NewRecordFile(path, &file);
  if (!s.ok()) return s;
  *result = std::make_unique<FaultRecordFile>(std::move(file), Budget(path, WriteBudget(path)));
  return s;
}

Status FaultFileSystem::RemoveFile(const std::string& path) {
  Change();
  if (Matches(removeMatch_, path)) return Refuse("remove", path, kDenied);
  return base_->RemoveFile(path);
}

Status FaultFileSystem::RenameFile(const std::string& from, const std::string& to) {
  Change();
  if (Matches(renameActionMatch_, from) || Matches(renameActionMatch_, to)) renameAction_();
  ++renames_;
  if (renameFailAt_ > 0 &&
      (renames_ == renameFailAt_ || (renameFailLater_ && renames_ > renameFailAt_))) {
    return Refuse("rename", from, kDenied);
  }
  if (Matches(renameMatch_, from) || Matches(renameMatch_, to)) {
    return Refuse("rename", from, kDenied);
  }
  return base_->RenameFile(from, to);
}

}  // namespace quarn::testing
