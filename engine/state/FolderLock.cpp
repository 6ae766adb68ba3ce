#include "state/FolderLock.h"

#include <chrono>
#include <thread>

#include "state/Engine.h"
#include "state/Messages.h"

namespace quarn {
namespace {

// How often a waiting operation looks again.
constexpr std::chrono::milliseconds kRetryEvery{20};

}  // namespace

bool FolderLock::Covers(const std::string& folder) const {
  const std::string path = folder + kLockFileName;
  for (const auto& held : held_)
    if (held->Holds(path)) return true;
  return false;
}

Status LockFolders(Engine& e, const std::vector<std::string>& folders, FolderLock* lock,
                   std::string* busyFolder) {
  return LockFolders(e.fs, e.lockWaitMilliseconds, folders, lock, busyFolder);
}

Status LockFolders(FileSystem& fs, int waitMilliseconds, const std::vector<std::string>& folders,
                   FolderLock* lock, std::string* busyFolder) {
  busyFolder->clear();
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
  for (;;) {
    lock->held_.clear();
    const std::string* busy = nullptr;
    for (const std::string& folder : folders) {
      if (lock->Covers(folder)) continue;  // the same folder named again
      bool elsewhere = false;
      std::unique_ptr<FileSystem::FileLock> one;
      Status s = fs.TryLockFile(folder + kLockFileName, &elsewhere, &one);
      if (!s.ok()) {
        lock->held_.clear();
        return s;
      }
      if (elsewhere) {
        busy = &folder;
        break;
      }
      if (one) lock->held_.push_back(std::move(one));
    }
    if (busy == nullptr) return Status::OK();
    // All or nothing: what was taken is let go before waiting, so that two operations taking
    // the same folders in another order cannot hold each other up.
    lock->held_.clear();
    if (std::chrono::steady_clock::now() >= deadline) {
      *busyFolder = busy->empty() ? fs.CurrentDirectory() + "/" : *busy;
      return Status::OK();
    }
    std::this_thread::sleep_for(kRetryEvery);
  }
}

std::string FolderBusyMessage(const std::string& folder) {
  return "Another Quarn run is using " + folder;
}

bool LockListFolder(Engine& e, FolderLock* lock) {
  const std::string folder =
      e.ProgramFolder.empty() ? e.fs.CurrentDirectory() + "/" : e.ProgramFolder;
  std::string busy;
  Status s = LockFolders(e, {folder}, lock, &busy);
  std::string text = !s.ok() ? s.ToString() : busy.empty() ? "" : FolderBusyMessage(busy);
  if (text.empty()) return true;
  ProgressMessageThenBlanks(e, Severity::kError, text, 1);
  e.host.MessageBox(text, false);
  return false;
}

}  // namespace quarn
