// The FileSystem of the operating system, on POSIX calls.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FileSystem.h"
#include "SecondThread.h"

namespace quarn {
namespace {

Status ErrnoStatus(const std::string& path, int err) {
  return Status::IOError(path, std::strerror(err));
}

class PosixSequentialFile : public SequentialFile {
 public:
  PosixSequentialFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  ~PosixSequentialFile() override { ::close(fd_); }
  Status Read(size_t n, char* buf, size_t* got) override {
    for (;;) {
      ssize_t r = ::read(fd_, buf, n);
      if (r >= 0) {
        *got = static_cast<size_t>(r);
        return Status::OK();
      }
      if (errno != EINTR) {
        *got = 0;
        return ErrnoStatus(path_, errno);
      }
    }
  }

 private:
  std::string path_;
  int fd_;
};

class PosixWritableFile : public WritableFile {
 public:
  PosixWritableFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  Status Append(std::string_view data) override {
    if (fd_ < 0) return Status::IOError(path_, "file is closed");
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
      ssize_t w = ::write(fd_, p, left);
      if (w < 0) {
        if (errno == EINTR) continue;
        return ErrnoStatus(path_, errno);
      }
      p += w;
      left -= static_cast<size_t>(w);
    }
    return Status::OK();
  }
  Status Flush() override { return Status::OK(); }  // writes go straight to the system
  Status Sync() override {
    if (fd_ < 0) return Status::IOError(path_, "file is closed");
    if (::fsync(fd_) != 0) return ErrnoStatus(path_, errno);
    return Status::OK();
  }
  Status Close() override {
    if (fd_ < 0) return Status::OK();
    int r = ::close(fd_);
    fd_ = -1;
    if (r != 0) return ErrnoStatus(path_, errno);
    return Status::OK();
  }

 private:
  std::string path_;
  int fd_;
};

class PosixRecordFile : public RecordFile {
 public:
  PosixRecordFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  ~PosixRecordFile() override {
    Unmap();
    if (fd_ >= 0) ::close(fd_);
  }
  Status ReadAt(uint64_t offset, size_t n, char* buf) override {
    while (n > 0) {
      ssize_t r = ::pread(fd_, buf, n, static_cast<off_t>(offset));
      if (r < 0) {
        if (errno == EINTR) continue;
        return ErrnoStatus(path_, errno);
      }
      if (r == 0) return Status::IOError(path_, "read past the end of the file");
      buf += r;
      n -= static_cast<size_t>(r);
      offset += static_cast<uint64_t>(r);
    }
    return Status::OK();
  }
  Status WriteAt(uint64_t offset, const char* data, size_t n) override {
    while (n > 0) {
      ssize_t w = ::pwrite(fd_, data, n, static_cast<off_t>(offset));
      if (w < 0) {
        if (errno == EINTR) continue;
        return ErrnoStatus(path_, errno);
      }
      data += w;
      n -= static_cast<size_t>(w);
      offset += static_cast<uint64_t>(w);
    }
    return Status::OK();
  }
  Status Close() override {
    if (fd_ < 0) return Status::OK();
    if (base_ != nullptr) {
      Unmap();
      // Back to the records asked for, without the reserve of the last growth.
      if (::ftruncate(fd_, static_cast<off_t>(used_)) != 0) {
        Status s = ErrnoStatus(path_, errno);
        ::close(fd_);
        fd_ = -1;
        return s;
      }
    }
    int r = ::close(fd_);
    fd_ = -1;
    if (r != 0) return ErrnoStatus(path_, errno);
    return Status::OK();
  }
  char* MapRecords(uint64_t bytesNeeded, Status* error) override {
    *error = Status::OK();
    if (bytesNeeded <= mapped_) {
      if (bytesNeeded > used_) used_ = bytesNeeded;
      SetMapped(base_, used_);
      if (used_ + kPopulateAhead > populatedTo_) PopulateAhead();
      return base_;
    }
    if (unmappable_ || fd_ < 0) return nullptr;
    StopPopulating();
    // Grow in large steps: every growth is a remap.
    uint64_t size = mapped_ + (mapped_ / 2 > kMapStep ? mapped_ / 2 : kMapStep);
    if (size < bytesNeeded) size = bytesNeeded;
    size = (size + kMapStep - 1) / kMapStep * kMapStep;
    // Pages of a mapping that the disk cannot hold would fault when first stored to; reserve
    // the blocks now, so that a full disk shows here as a failure and never as a signal.
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      *error = ErrnoStatus(path_, errno);
      return nullptr;
    }
    int r = ::posix_fallocate(fd_, static_cast<off_t>(mapped_), static_cast<off_t>(size - mapped_));
    if (r != 0) {
      if (::ftruncate(fd_, static_cast<off_t>(mapped_)) != 0) {
        // The file keeps its longer size; nothing reads beyond the records written.
      }
      *error = ErrnoStatus(path_, r);
      return nullptr;
    }
    void* p = base_ == nullptr
                  ? ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0)
                  : ::mremap(base_, mapped_, size, MREMAP_MAYMOVE);
    if (p == MAP_FAILED) {
      // Without room for a mapping the file is still fine for ReadAt and WriteAt, which see
      // what was stored through the mapping.
      Unmap();
      unmappable_ = true;
      return nullptr;
    }
    base_ = static_cast<char*>(p);
    mapped_ = size;
    used_ = bytesNeeded;
    SetMapped(base_, used_);
    PopulateAhead();
    return base_;
  }

 private:
  static constexpr uint64_t kMapStep = uint64_t{64} << 20;
  static constexpr uint64_t kPopulateStep = uint64_t{4} << 20;
  static constexpr uint64_t kPopulateAhead = uint64_t{4} << 20;
  static constexpr uint64_t kPage = 4096;

  // Has the system back the next pages of the mapping beyond those stored to, on a thread of
  // its own, a few megabytes ahead: records are stored in order as the store grows, and a page
  // stored to for the first time would otherwise stop the storing thread while the system
  // finds, clears and reserves it. Nothing but the system touches the pages, and
  // StopPopulating ends the thread before the mapping changes.
  void PopulateAhead() {
#if defined(MADV_POPULATE_WRITE)
    populating_.Join();
    const uint64_t from = std::max(populatedTo_, used_ / kPage * kPage);
    const uint64_t to = std::min(mapped_, from + kPopulateStep);
    if (from >= to || populateRefused_) return;
    populatedTo_ = to;
    char* base = base_;
    // Without a thread to spare the pages come as they are stored to.
    populating_.Start([this, base, from, to] {
      if (::madvise(base + from, to - from, MADV_POPULATE_WRITE) != 0) {
        populateRefused_ = true;  // not for this system or file: pages come as stored to
      }
    });
#endif
  }
  void StopPopulating() { populating_.Join(); }

  void Unmap() {
    StopPopulating();
    populatedTo_ = 0;
    if (base_ != nullptr) ::munmap(base_, mapped_);
    base_ = nullptr;
    mapped_ = 0;
    SetMapped(nullptr, 0);
  }

  std::string path_;
  int fd_;
  char* base_ = nullptr;
  uint64_t mapped_ = 0;
  uint64_t used_ = 0;  // the end of the furthest record asked for through the mapping
  bool unmappable_ = false;
  SecondThread populating_;
  uint64_t populatedTo_ = 0;  // the end of the pages asked to be backed
  std::atomic<bool> populateRefused_{false};
};

// Held by its open descriptor: closing it releases the lock, as does the end of the process.
class PosixFileLock : public FileSystem::FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  ~PosixFileLock() override { ::close(fd_); }
  bool Holds(const std::string& path) override {
    struct stat held, named;
    return ::fstat(fd_, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
  }

 private:
  int fd_;
};

class PosixFileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  bool DirectoryExists(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  Status CreateDirectories(const std::string& path) override {
    // Each folder from the top down; one that exists already (made meanwhile by another
    // process too) is fine, anything else in the way is the failure.
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
      const std::string part = path.substr(0, end);
      if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
        return ErrnoStatus(part, errno);
      }
      if (end == std::string::npos) break;
    }
    if (!DirectoryExists(path)) return ErrnoStatus(path, ENOTDIR);
    return Status::OK();
  }
  Status NewSequentialFile(const std::string& path,
                           std::unique_ptr<SequentialFile>* result) override {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ErrnoStatus(path, errno);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      return ErrnoStatus(path, EISDIR);
    }
    result->reset(new PosixSequentialFile(path, fd));
    return Status::OK();
  }
  Status NewWritableFile(const std::string& path,
                         std::unique_ptr<WritableFile>* result) override {
    return OpenForWrite(path, O_TRUNC, result);
  }
  Status NewAppendableFile(const std::string& path,
                           std::unique_ptr<WritableFile>* result) override {
    return OpenForWrite(path, O_APPEND, result);
  }
  Status NewRecordFile(const std::string& path, std::unique_ptr<RecordFile>* result) override {
    int fd = CreateExclusive(path, O_RDWR);
    if (fd < 0) return ErrnoStatus(path, errno);
    result->reset(new PosixRecordFile(path, fd));
    return Status::OK();
  }
  Status FileSize(const std::string& path, uint64_t* size) override {
    struct stat st;
    *size = 0;
    if (::stat(path.c_str(), &st) != 0) return ErrnoStatus(path, errno);
    *size = static_cast<uint64_t>(st.st_size);
    return Status::OK();
  }
  Status RemoveFile(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return ErrnoStatus(path, errno);
    return Status::OK();
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) return ErrnoStatus(from, errno);
    return Status::OK();
  }
  Status ListDirectory(const std::string& dir, std::vector<std::string>* names) override {
    names->clear();
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return ErrnoStatus(dir, errno);
    while (struct dirent* entry = ::readdir(d)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names->push_back(std::move(name));
    }
    ::closedir(d);
    return Status::OK();
  }
  // Existing files are the same when they have the same device and file number, which takes
  // in every spelling the system resolves (also a folder that ignores letter case). Two paths
  // that exist neither are compared with their folder parts resolved.
  bool SameFile(const std::string& a, const std::string& b) override {
    struct stat sa, sb;
    const bool hasA = ::stat(a.c_str(), &sa) == 0;
    const bool hasB = ::stat(b.c_str(), &sb) == 0;
    if (hasA && hasB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (hasA || hasB) return false;
    return ResolvedFolder(a) == ResolvedFolder(b);
  }
  std::string CurrentDirectory() override {
    std::string buf(4096, '\0');
    if (::getcwd(buf.data(), buf.size()) == nullptr) return ".";
    buf.resize(std::strlen(buf.c_str()));
    return buf;
  }
  Status ResolveLink(const std::string& path, std::string* target) override {
    std::string current = path;
    for (int hops = 0;; ++hops) {
      struct stat st;
      if (::lstat(current.c_str(), &st) != 0) return ErrnoStatus(current, errno);
      if (!S_ISLNK(st.st_mode)) break;
      if (hops == 40) return ErrnoStatus(path, ELOOP);
      std::string link(4096, '\0');
      ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
      if (n < 0) return ErrnoStatus(current, errno);
      link.resize(static_cast<size_t>(n));
      const size_t slash = current.rfind('/');
      if (link[0] != '/' && slash != std::string::npos) link.insert(0, current, 0, slash + 1);
      current = std::move(link);
    }
    *target = current;
    return Status::OK();
  }

  Status TryLockFile(const std::string& path, bool* busy,
                     std::unique_ptr<FileLock>* lock) override {
    *busy = false;
    lock->reset();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // An existing lock file in a folder this process cannot write is locked all the same
    // (flock needs no write access).
    if (fd < 0 && (errno == EACCES || errno == EROFS))
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      const int err = errno;
      if (err == EACCES || err == EROFS || err == EPERM || err == ENOENT || err == ENOTDIR)
        return Status::OK();  // nothing can be written there: nothing to guard
      return ErrnoStatus(path, err);
    }
    for (;;) {
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
      const int err = errno;
      if (err == EINTR) continue;
      ::close(fd);
      if (err == EWOULDBLOCK) {
        *busy = true;
        return Status::OK();
      }
      return ErrnoStatus(path, err);
    }
    lock->reset(new PosixFileLock(fd));
    return Status::OK();
  }

 private:
  // path with its folder part made absolute and free of links, "." and ".."; as given when
  // the folder cannot be resolved.
  static std::string ResolvedFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string result = std::string(resolved) + "/" + name;
    std::free(resolved);
    return result;
  }
  // Removes what is at path (a stale file, or a link planted there), then creates the file so
  // that the open fails rather than follow a link or open a file that appeared meanwhile.
  // Returns the descriptor, or -1 with errno set.
  static int CreateExclusive(const std::string& path, int access) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      // A folder (or a file this process may not remove) stays; the open below then fails.
    }
    return ::open(path.c_str(), access | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  }
  static Status OpenForWrite(const std::string& path, int mode,
                             std::unique_ptr<WritableFile>* result) {
    int fd = mode == O_TRUNC
                 ? CreateExclusive(path, O_WRONLY)
                 : ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | mode, 0644);
    if (fd < 0) return ErrnoStatus(path, errno);
    result->reset(new PosixWritableFile(path, fd));
    return Status::OK();
  }
};

}  // namespace

FileSystem* FileSystem::Default() {
  static PosixFileSystem fs;
  return &fs;
}

Status ReadFileToString(FileSystem& fs, const std::string& path, std::string* contents) {
  contents->clear();
  std::unique_ptr<SequentialFile> file;
  Status s = fs.NewSequentialFile(path, &file);
  if (!s.ok()) return s;
  constexpr size_t kChunk = 1 << 16;
  for (;;) {
    size_t old = contents->size();
    contents->resize(old + kChunk);
    size_t got = 0;
    s = file->Read(kChunk, contents->data() + old, &got);
    contents->resize(old + got);
    if (!s.ok() || got == 0) return s;
  }
}

}  // namespace quarn
