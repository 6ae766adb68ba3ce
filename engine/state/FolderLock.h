// Keeps two Quarn runs out of one folder at a time. Every operation that writes in a folder
// (the run's scratch files, the baseword lists) first takes the lock of the file `quarn.lock`
// there, waiting a little while another run holds it. The file is left in place.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "Status.h"

namespace quarn {

struct Engine;

inline constexpr char kLockFileName[] = "quarn.lock";

// The locks held by one operation; released when it goes.
class FolderLock {
 public:
  // True iff the lock of folder (ending in '/', "" for the current directory) is held here.
  bool Covers(const std::string& folder) const;

 private:
  friend Status LockFolders(FileSystem& fs, int waitMilliseconds,
                            const std::vector<std::string>& folders, FolderLock* lock,
                            std::string* busyFolder);
  std::vector<std::unique_ptr<FileSystem::FileLock>> held_;
};

// Takes the locks of folders (each ending in '/', "" for the current directory), waiting up to
// e.lockWaitMilliseconds while another holder keeps one; a folder named twice, under any
// spelling, is locked once. When the wait ends with one still taken, returns ok with
// *busyFolder naming it (as given, the current directory spelled out) and *lock holding
// nothing; otherwise *busyFolder is empty. A failure to take a lock is returned.
Status LockFolders(Engine& e, const std::vector<std::string>& folders, FolderLock* lock,
                   std::string* busyFolder);
// The same for a caller without an engine (the explorer's Export…), on fs, waiting up to
// waitMilliseconds.
Status LockFolders(FileSystem& fs, int waitMilliseconds, const std::vector<std::string>& folders,
                   FolderLock* lock, std::string* busyFolder);

// "Another Quarn run is using " and the folder.
std::string FolderBusyMessage(const std::string& folder);

// The list dialogs' lock: ProgramFolder (the current directory while it is not set). When it
// cannot be had, writes the "ERROR" line and shows the box, and returns false.
bool LockListFolder(Engine& e, FolderLock* lock);

}  // namespace quarn
