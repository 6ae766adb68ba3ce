// A FileSystem for tests that passes everything to another one (the system's by default) but
// can be told to fail: a write that fills the disk, a file that cannot be created, a rename or
// removal that is refused, a file that disappears just before it is opened, a file that is slow
// to read.
// Faults are chosen by a substring of the path; an empty substring matches every path. They
// stay set until Clear(), except VanishOnOpen, which acts once. Record files it opens are never
// memory-mapped, so every store write passes through WriteAt where a fault can reach it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace quarn::testing {

class FaultFileSystem : public FileSystem {
 public:
  explicit FaultFileSystem(FileSystem* base = FileSystem::Default()) : base_(base) {}

  // Writes to files whose path contains match (written files and record files) succeed for the
  // first `bytes` bytes per opened file; the write that would pass that mark stores what fits
  // and fails with IOError(path, "No space left on device"), and so does every later one.
  void FailWritesAfter(std::string match, uint64_t bytes);
  // Creating or opening for writing (NewWritableFile, NewAppendableFile, NewRecordFile) a path
  // containing match fails with IOError(path, "Permission denied").
  void FailCreate(std::string match);
  // Renames whose source or target contains match fail with IOError(from, "Permission denied").
  void FailRename(std::string match);
  // Removals of a path containing match fail with IOError(path, "Permission denied").
  void FailRemove(std::string match);
  // The next time a path containing match is opened for reading, the file is removed first,
  // as if deleted between a check and the load.
  void VanishOnOpen(std::string match);
  // Counting renames from now (1 = the next one): the nth fails with IOError(from, "Permission
  // denied"), and with andLater every one after it as well.
  void FailRenameNumber(int n, bool andLater = false);
  // Counting renames and removals from now (1 = the next one): the process ends with
  // _exit(code) just before the nth, as if killed there. Meant for a forked child.
  void ExitAtChange(int n, int code);
  // Runs action just before a path containing match is created for writing, or renamed (as
  // source or target): the moment another thread would act at, such as a cancel request.
  void BeforeCreate(std::string match, std::function<void()> action);
  void BeforeRename(std::string match, std::function<void()> action);
  // Runs action, on the reading thread, when a path containing match is opened for reading and
  // before every read from it: a slow or stalled file. Set it before any reading starts.
  void BeforeRead(std::string match, std::function<void()> action);
  void Clear();

  // Operations that a fault refused, as "<operation> <path>", in order.
  const std::vector<std::string>& refused() const { return refused_; }

  bool FileExists(const std::string& path) override { return base_->FileExists(path); }
  bool DirectoryExists(const std::string& path) override { return base_->DirectoryExists(path); }
  bool IsRegularFile(const std::string& path) override { return base_->IsRegularFile(path); }
  Status NewSequentialFile(const std::string& path,
                           std::unique_ptr<SequentialFile>* result) override;
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) override;
  Status NewAppendableFile(const std::string& path, std::unique_ptr<WritableFile>* result) override;
  Status NewRecordFile(const std::string& path, std::unique_ptr<RecordFile>* result) override;
  Status RemoveFile(const std::string& path) override;
  Status RenameFile(const std::string& from, const std::string& to) override;
  Status ListDirectory(const std::string& dir, std::vector<std::string>* names) override {
    return base_->ListDirectory(dir, names);
  }
  std::string CurrentDirectory() override { return base_->CurrentDirectory(); }
  Status FileSize(const std::string& path, uint64_t* size) override {
    return base_->FileSize(path, size);
  }
  Status CreateDirectories(const std::string& path) override {
    return base_->CreateDirectories(path);
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    return base_->SameFile(a, b);
  }
  Status ResolveLink(const std::string& path, std::string* target) override {
    return base_->ResolveLink(path, target);
  }

 private:
  static bool Matches(const std::optional<std::string>& match, const std::string& path) {
    return match && path.find(*match) != std::string::npos;
  }
  Status Refuse(const std::string& operation, const std::string& path, const char* reason);
  // The byte budget for a file opened for writing at path; nullopt = unlimited.
  std::optional<uint64_t> WriteBudget(const std::string& path) const;

  FileSystem* base_;
  std::optional<std::string> writeMatch_;
  uint64_t writeBytes_ = 0;
  std::optional<std::string> createMatch_;
  std::optional<std::string> renameMatch_;
  std::optional<std::string> removeMatch_;
  std::optional<std::string> vanishMatch_;
  std::vector<std::string> refused_;
  int renameFailAt_ = 0;  // 0: none
  bool renameFailLater_ = false;
  int renames_ = 0;
  int exitAt_ = 0;  // 0: none
  int exitCode_ = 0;
  int changes_ = 0;
  std::optional<std::string> createActionMatch_;
  std::function<void()> createAction_;
  std::optional<std::string> renameActionMatch_;
  std::function<void()> renameAction_;
  std::optional<std::string> readActionMatch_;
  std::function<void()> readAction_;
  void Change();
  void BeforeCreating(const std::string& path);

 public:
  // Taking the lock of a path containing match fails with IOError(path, "Input/output error").
  // Unlike the faults above it stays set for the life of this file system (Clear keeps it).
  void FailLock(std::string match) { lockMatch_ = std::move(match); }
  Status TryLockFile(const std::string& path, bool* busy,
                     std::unique_ptr<FileLock>* lock) override {
    if (Matches(lockMatch_, path)) return Refuse("lock", path, "Input/output error");
    return base_->TryLockFile(path, busy, lock);
  }

 private:
  std::optional<std::string> lockMatch_;
};

}  // namespace quarn::testing
