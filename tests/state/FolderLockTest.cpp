// One Quarn run at a time in a folder: the lock of the scratch folder and of the list folder,
// held by another process or by another lock of this one.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "RunFixture.h"
#include "lists/HeadwordList.h"
#include "lists/MoveCopy.h"
#include "state/FolderLock.h"

namespace quarn::testing {
namespace {

// Another process holding the locks of some folders until told to let go.
class OtherProcess {
 public:
  explicit OtherProcess(const std::vector<std::string>& folders) {
    int held[2], release[2];
    if (::pipe(held) != 0 || ::pipe(release) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(held[0]);
      ::close(release[1]);
      TestHost host;
      Engine e(host);
      FolderLock lock;
      std::string busy;
      const bool ok = LockFolders(e, folders, &lock, &busy).ok() && busy.empty();
      char c = ok ? 'y' : 'n';
      if (::write(held[1], &c, 1) != 1) ::_exit(2);
      const ssize_t got = ::read(release[0], &c, 1);  // returns when the parent writes or goes
      (void)got;
      ::_exit(0);
    }
    ::close(held[1]);
    ::close(release[0]);
    release_ = release[1];
    char c = 'n';
    holding_ = ::read(held[0], &c, 1) == 1 && c == 'y';
    ::close(held[0]);
  }
  ~OtherProcess() { LetGo(); }
  bool holding() const { return holding_; }
  void LetGo() {
    if (release_ >= 0) {
      char c = 'x';
      const ssize_t put = ::write(release_, &c, 1);
      (void)put;
      ::close(release_);
      release_ = -1;
    }
    if (pid_ > 0) {
      int status = 0;
      ::waitpid(pid_, &status, 0);
      pid_ = -1;
    }
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool holding_ = false;
};

class FolderLockTest : public RunFixture {
 protected:
  void SetUp() override {
    engine.lockWaitMilliseconds = 0;
    Put("BASEWRD1.txt", "THE 0\n");
    Put("BASEWRD2.txt", "CAT 0\n");
    Put("BASEWRD3.txt", "SAT 0\n");
    Put("a.txt", "The cat sat.\n");
  }
  std::string Busy() { return "Another Quarn run is using " + dir.path(); }
  int LogCount(const std::string& line) {
    return static_cast<int>(std::count(Log().begin(), Log().end(), line));
  }
};

TEST_F(FolderLockTest, OneHolderAtATimeAndOneLockForOneFolder) {
  FolderLock first;
  std::string busy;
  // The same folder under two spellings is locked once, not found busy by its own lock.
  ASSERT_TRUE(LockFolders(engine, {dir.path(), dir.path() + "./"}, &first, &busy).ok());
  EXPECT_EQ(busy, "");
  EXPECT_TRUE(first.Covers(dir.path()));
  EXPECT_TRUE(Exists(dir.File("quarn.lock")));

  TestHost otherHost;
  Engine other(otherHost);
  other.lockWaitMilliseconds = 60;  // waits, then gives up
  FolderLock second;
  ASSERT_TRUE(LockFolders(other, {dir.path()}, &second, &busy).ok());
  EXPECT_EQ(busy, dir.path());
  EXPECT_FALSE(second.Covers(dir.path()));

  first = FolderLock();  // let go
  ASSERT_TRUE(LockFolders(other, {dir.path()}, &second, &busy).ok());
  EXPECT_EQ(busy, "");
  EXPECT_TRUE(Exists(dir.File("quarn.lock")));  // the lock file stays
}

TEST_F(FolderLockTest, RunWaitsForAnotherProcessThenStopsWritingNothing) {
  Put("out_quarn.txt", "earlier results\r\n");
  {
    OtherProcess other({dir.path()});
    ASSERT_TRUE(other.holding());
    Run({"a.txt"});
    EXPECT_EQ(Log(), std::vector<std::string>{"ERROR " + Busy()});
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, Busy());
    EXPECT_EQ(outcome.end, RunEnd::kStopped);
    EXPECT_FALSE(engine.failed());
    EXPECT_EQ(outcome.reportsWritten, 0);
    EXPECT_EQ(ReadFile(dir.File("out_quarn.txt")), "earlier results\r\n");
    EXPECT_FALSE(Exists(dir.File("out_quarn.txt.tmp")));
    EXPECT_TRUE(ScratchFilesGone());
  }
  Run({"a.txt"});  // the other process has gone
  EXPECT_EQ(outcome.reportsWritten, 1);
}

TEST_F(FolderLockTest, ExportFolderIsLockedSoTwoRunsNeverWriteOneExport) {
  // Two runs from different folders (each with its scratch folder) export into one folder.
  TempDir shared;
  const std::string exports = shared.File("ex");
  std::filesystem::create_directory(exports);
  engine.exports.folder = exports;
  engine.exports.csv = engine.exports.json = true;
  Put("out_quarn.txt", "earlier results\r\n");
  {
    OtherProcess other({exports + "/"});
    ASSERT_TRUE(other.holding());
    Run({"a.txt"});
    const std::string busy = "Another Quarn run is using " + exports + "/";
    EXPECT_EQ(Log(), std::vector<std::string>{"ERROR " + busy});
    EXPECT_EQ(outcome.end, RunEnd::kStopped);
    EXPECT_EQ(outcome.reportsWritten, 0);
    EXPECT_EQ(ReadFile(dir.File("out_quarn.txt")), "earlier results\r\n");
    const auto written = FolderFiles(exports);
    EXPECT_EQ(written.size(), 1u);  // the lock file only
    EXPECT_EQ(written.count("quarn.lock"), 1u);
  }
  Run({"a.txt"});  // the other run has gone
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_TRUE(Exists(exports + "/types.csv"));
  EXPECT_TRUE(Exists(exports + "/profile.json"));
}

TEST_F(FolderLockTest, ListFolderIsLockedWhenTheRunUpdatesTheLists) {
  TempDir lists;
  WriteFile(lists.File("BASEWRD1.txt"), "THE 0\n");
  WriteFile(lists.File("BASEWRD2.txt"), "CAT 0\n");
  WriteFile(lists.File("BASEWRD3.txt"), "SAT 0\n");
  SetProgramFolder(engine, lists.path());
  OtherProcess other({lists.path()});
  ASSERT_TRUE(other.holding());

  Run({"a.txt"});  // reads the lists only
  EXPECT_EQ(outcome.reportsWritten, 1);

  host.options.Udate_Basewords = true;
  Run({"a.txt"});
  EXPECT_EQ(outcome.reportsWritten, 0);
  EXPECT_EQ(Log().back(), "ERROR Another Quarn run is using " + lists.path());
  EXPECT_EQ(ReadFile(lists.File("BASEWRD1.txt")), "THE 0\n");

  MoveCopySettings move;
  move.FileCopyFrom = "BASEWRD1";
  move.FileCopyTo = "BASEWRD4";
  move.FilterNum = "-1";
  EXPECT_FALSE(MoveCopyBasewords(engine, move));
  HeadwordListSettings heads;
  heads.FileCopyFrom = "BASEWRD1";
  heads.FileCopyTo = "heads";
  EXPECT_FALSE(MakeHeadwordList(engine, heads));
  EXPECT_EQ(LogCount("ERROR Another Quarn run is using " + lists.path()), 3);
  EXPECT_EQ(host.boxes.back().text, "Another Quarn run is using " + lists.path());
  EXPECT_EQ(ReadFile(lists.File("BASEWRD1.txt")), "THE 0\n");
  EXPECT_FALSE(Exists(lists.File("BASEWRD4.txt")));
  EXPECT_FALSE(Exists(lists.File("heads.txt")));

  other.LetGo();
  EXPECT_TRUE(MoveCopyBasewords(engine, move));
  EXPECT_TRUE(Exists(lists.File("BASEWRD4.txt")));
}

struct FailingLockFolder : FileSystemHolder<FaultFileSystem>, RunFixture {
  FailingLockFolder() : RunFixture(fs) {}
};

TEST_F(FailingLockFolder, ALockThatCannotBeTakenEndsTheRunBeforeAnythingIsWritten) {
  Put("BASEWRD1.txt", "THE 0\n");
  Put("BASEWRD2.txt", "CAT 0\n");
  Put("BASEWRD3.txt", "SAT 0\n");
  Put("a.txt", "The cat sat.\n");
  fs.FailLock("quarn.lock");
  Run({"a.txt"});
  EXPECT_TRUE(engine.failed());
  const std::string error = dir.File("quarn.lock") + ": Input/output error";
  EXPECT_EQ(Log(), std::vector<std::string>{"ERROR " + error});
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, error);
  EXPECT_FALSE(Exists(dir.File("out_quarn.txt")));
  EXPECT_TRUE(ScratchFilesGone());
}

}  // namespace
}  // namespace quarn::testing
