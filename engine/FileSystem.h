// The one thin layer through which the engine touches files.
// Every file the engine opens, creates, renames or removes goes through a FileSystem, so that
// tests can substitute one that fails a write, fills the disk or makes a file vanish.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Status.h"

namespace quarn {

// A file read from start to end.
class SequentialFile {
 public:
  virtual ~SequentialFile() = default;
  // Reads up to n bytes into buf; *got is 0 at the end of the file.
  virtual Status Read(size_t n, char* buf, size_t* got) = 0;
};

// A file written from start to end. Appends may be buffered until Flush or Close.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status Append(std::string_view data) = 0;
  virtual Status Flush() = 0;
  // Flushes and forces the data to stable storage.
  virtual Status Sync() = 0;
  // Flushes and closes; further calls fail. Returns the first failure seen.
  virtual Status Close() = 0;
};

// A file of fixed-size records accessed by position (the store's record file).
class RecordFile {
 public:
  virtual ~RecordFile() = default;
  // Reads exactly n bytes at offset; reading past the end is a failure.
  virtual Status ReadAt(uint64_t offset, size_t n, char* buf) = 0;
  virtual Status WriteAt(uint64_t offset, const char* data, size_t n) = 0;
  virtual Status Close() = 0;
  // Maps at least the first bytesNeeded bytes of the file into memory for reading and writing
  // in place, growing the file first (with its disk space reserved, so that a store into the
  // mapping can never meet a full disk). Returns the start of the mapping, valid until the next
  // call that grows it or Close. Returns nullptr with *error ok when this file is not mapped
  // (ReadAt and WriteAt serve instead), and nullptr with *error set when growing failed.
  virtual char* MapRecords(uint64_t bytesNeeded, Status* error) {
    (void)bytesNeeded;
    *error = Status::OK();
    return nullptr;
  }
  // What MapRecords would return for bytesNeeded when that is within the bytes already asked
  // for (MapRecords would then change nothing), without the call; nullptr otherwise, and
  // always for a file that does not keep it (SetMapped).
  char* MappedFor(uint64_t bytesNeeded) const {
    return bytesNeeded <= mappedAsked_ ? mappedBase_ : nullptr;
  }

 protected:
  // A file that maps keeps MappedFor's answer up to date: the mapping's start and the bytes
  // asked of it so far, (nullptr, 0) while nothing is mapped.
  void SetMapped(char* base, uint64_t asked) {
    mappedBase_ = base;
    mappedAsked_ = base == nullptr ? 0 : asked;
  }

 private:
  char* mappedBase_ = nullptr;
  uint64_t mappedAsked_ = 0;
};

// The scanner reads an input file on a thread of its own, which may open that file a second
// time (NewSequentialFile) while the engine's thread works on other files: a FileSystem must
// allow that.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The process-wide file system of the operating system. Never null; not owned by the caller.
  static FileSystem* Default();

  // True iff path names an existing regular file (a folder is not a file).
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;

  virtual Status NewSequentialFile(const std::string& path,
                                   std::unique_ptr<SequentialFile>* result) = 0;
  // Creates a new, empty file at path. Whatever file or link is there already is removed first
  // and the file is then created exclusively, without following a link: what is written never
  // reaches another file through a link planted at path, nor a file that was there (a folder
  // there is a failure). Every file the engine writes is a work or scratch file of its own,
  // put in place by a rename, so nothing is lost by this.
  virtual Status NewWritableFile(const std::string& path,
                                 std::unique_ptr<WritableFile>* result) = 0;
  // Opens the file for writing at its end, creating it when missing.
  virtual Status NewAppendableFile(const std::string& path,
                                   std::unique_ptr<WritableFile>* result) = 0;
  // Creates a new, empty file for positioned reads and writes, as NewWritableFile does.
  virtual Status NewRecordFile(const std::string& path, std::unique_ptr<RecordFile>* result) = 0;

  virtual Status RemoveFile(const std::string& path) = 0;
  // Replaces `to` atomically when it exists.
  virtual Status RenameFile(const std::string& from, const std::string& to) = 0;
  // The size in bytes of the file at path. This default, for a file system that cannot tell
  // without reading the file, fails: the size serves progress displays only.
  virtual Status FileSize(const std::string& path, uint64_t* size) {
    *size = 0;
    return Status::IOError(path, "size unknown");
  }
  // True iff path names a regular file (not a folder, device or pipe), after links: the only
  // kind whose reading ends. This default knows no devices or pipes.
  virtual bool IsRegularFile(const std::string& path) {
    return FileExists(path) && !DirectoryExists(path);
  }
  // The names (not paths) of the entries of a folder, in the order the system gives them.
  virtual Status ListDirectory(const std::string& dir, std::vector<std::string>* names) = 0;
  // The current working directory, without a trailing separator.
  virtual std::string CurrentDirectory() = 0;
  // Creates the folder path and the folders above it that are missing. OK when it exists.
  virtual Status CreateDirectories(const std::string& path) {
    return DirectoryExists(path) ? Status::OK() : Status::IOError(path, "cannot create folders");
  }
  // True iff a and b name one and the same file, however each is spelled: through "." or
  // "..", another letter case in a folder that ignores it, a link. Two paths of which only
  // one names an existing file are different files. This default knows files by their paths
  // alone; a file system that knows them by identity says so.
  virtual bool SameFile(const std::string& a, const std::string& b) { return a == b; }

  // The file that path names once its symbolic links are followed: path itself when it is no
  // link (only the last component is followed, link after link; the folders stay as given).
  // A link whose target is relative is resolved against the link's folder.
  virtual Status ResolveLink(const std::string& path, std::string* target) {
    *target = path;
    return Status::OK();
  }

  // An exclusive advisory lock on a file, held until the object goes.
  class FileLock {
   public:
    virtual ~FileLock() = default;
    // True iff path names the very file this lock is held on.
    virtual bool Holds(const std::string& path) = 0;
  };
  // Takes the exclusive lock of the file at path without waiting, creating the file when
  // missing; the file stays (removing it would race with its next taker). While another holder
  // has it (another process, or another lock of this process) returns ok with *busy set and
  // *lock empty. Ok with neither means there was nothing to lock: the file cannot be created
  // because its folder is missing or not writable, so no file can be written there either. The
  // default, for a file system that no other process sees, locks nothing and is never busy.
  virtual Status TryLockFile(const std::string& path, bool* busy, std::unique_ptr<FileLock>* lock) {
    struct Unshared : FileLock {
      std::string path;
      bool Holds(const std::string& p) override { return p == path; }
    };
    auto unshared = std::make_unique<Unshared>();
    unshared->path = path;
    *busy = false;
    *lock = std::move(unshared);
    return Status::OK();
  }
};

// Reads the whole file into *contents.
Status ReadFileToString(FileSystem& fs, const std::string& path, std::string* contents);

}  // namespace quarn
