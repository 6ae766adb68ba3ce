// Failures of the file system in the middle of a run or a dialog action: each ends the
// operation with an "ERROR" line and an error box, and leaves the folder exactly as it was
// (lists, texts and an earlier results file unchanged, no scratch or half-written files); the
// next press then works as if nothing had happened.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "RunFixture.h"
#include "lists/MoveCopy.h"

namespace quarn::testing {
namespace {

// FaultFileSystem that can also refuse to create a file only from its nth creation on, as when
// a folder stops being writable in the middle of a batch run.
class CountingFaultFileSystem : public FaultFileSystem {
 public:
  void FailRecordFileFrom(int nth) { failRecordFrom_ = nth; }
  Status NewRecordFile(const std::string& path, std::unique_ptr<RecordFile>* result) override {
    if (failRecordFrom_ > 0 && ++recordFiles_ >= failRecordFrom_)
      return Status::IOError(path, "Permission denied");
    return FaultFileSystem::NewRecordFile(path, result);
  }
  void ClearAll() {
    Clear();
    failRecordFrom_ = 0;
    recordFiles_ = 0;
  }

 private:
  int failRecordFrom_ = 0;
  int recordFiles_ = 0;
};

using Snapshot = std::map<std::string, std::string>;

class FaultTest : protected FileSystemHolder<CountingFaultFileSystem>, public RunFixture {
 protected:
  FaultTest() : RunFixture(fs) {}
  void SetUp() override {
    Put("BASEWRD1.txt", "THE 5\n\tTHEM 1\nA 0\n");
    Put("BASEWRD2.txt", "CAT 0\n\tCATS 2\nDOG 7\n");
    Put("BASEWRD3.txt", "SAT 0\n");
    Put("BASEWRD4.txt", "ZOO 3\n");
    Put("a.txt", "The cat sat on a mat with the cats.\n");
    Put("out_quarn.txt", "earlier results\r\n");
  }

  // Every file under the folder with its bytes, but for the lock file that the first press
  // leaves for good (it holds nothing).
  Snapshot Folder() {
    Snapshot files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
      if (entry.is_regular_file() && entry.path().filename().string() != "quarn.lock")
        files[entry.path().string()] = ReadFile(entry.path().string());
    }
    return files;
  }
  // The results of a clean run of a.txt, written under another name for comparison.
  std::string Reference(const std::vector<std::string>& names = {"a.txt"}) {
    Run(names, "ref_quarn.txt");
    EXPECT_EQ(outcome.reportsWritten, 1);
    return ReadFile(dir.File("ref_quarn.txt"));
  }
  bool LogHas(const std::string& line) {
    const std::vector<std::string>& log = engine.progress.lines;
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  // The run failed on file for reason, as the user sees it.
  void ExpectRunFailed(const std::string& file, const std::string& reason) {
    EXPECT_TRUE(engine.failed());
    EXPECT_EQ(outcome.reportsWritten, 0);
    EXPECT_EQ(engine.progress.lines.back(), "ERROR " + file + ": " + reason);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, file + ": " + reason);
    EXPECT_FALSE(engine.ResultsFileOpen());
  }
  // Without the fault the next press writes the same results as the reference run.
  void ExpectNextRunClean(const std::string& reference,
                          const std::vector<std::string>& names = {"a.txt"}) {
    fs.ClearAll();
    Run(names);
    EXPECT_FALSE(engine.failed());
    EXPECT_EQ(outcome.reportsWritten, 1);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(ReadFile(dir.File("out_quarn.txt")), reference);
  }
  // A text of 8000 different words, giving a results file of several read blocks.
  void PutBigText() {
    std::string text;
    for (int i = 0; i < 8000; ++i) {
      std::string w;
      for (int k = i; w.size() < 4; k /= 26) w += static_cast<char>('a' + k % 26);
      text += "w" + w + (i % 10 == 9 ? "\n" : " ");
    }
    Put("big.txt", text);
  }

};

TEST_F(FaultTest, RecordFileCannotBeCreated) {
  const std::string reference = Reference();
  const Snapshot before = Folder();
  fs.FailCreate("tree.dvp");
  Run({"a.txt"});
  ExpectRunFailed(dir.File("tree.dvp"), "Permission denied");
  EXPECT_EQ(Folder(), before);  // temp$$$.dvp, created first, is gone again
  ExpectNextRunClean(reference);
}

TEST_F(FaultTest, ScratchTextFileCannotBeCreated) {
  const std::string reference = Reference();
  const Snapshot before = Folder();
  fs.FailCreate("temp$$$.dvp");
  Run({"a.txt"});
  ExpectRunFailed(dir.File("temp$$$.dvp"), "Permission denied");
  EXPECT_EQ(Folder(), before);
  ExpectNextRunClean(reference);
}

TEST_F(FaultTest, ScratchFolderFailsBetweenTwoBatchFiles) {
  Put("b.txt", "Dogs and cats.\n");
  host.options.BatchFiles = true;
  Snapshot expected = Folder();
  fs.FailRecordFileFrom(2);  // the set-up after the first file's report
  Run({"a.txt", "b.txt"}, "");
  EXPECT_TRUE(engine.failed());
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_EQ(engine.progress.lines.back(), "ERROR " + dir.File("tree.dvp") + ": Permission denied");
  ASSERT_EQ(host.boxes.size(), 1u);
  // The first file's report is whole; nothing else was added.
  const std::string first = ReadFile(dir.File("a_quarn.txt"));
  EXPECT_EQ(SplitCrLf(first).back(), " ...Finished");
  expected[dir.File("a_quarn.txt")] = first;
  EXPECT_EQ(Folder(), expected);

  fs.ClearAll();
  Run({"a.txt", "b.txt"}, "");
  EXPECT_EQ(outcome.reportsWritten, 2);
  EXPECT_EQ(ReadFile(dir.File("a_quarn.txt")), first);
}

TEST_F(FaultTest, RecordFileFull) {
  engine.tree.MemoryNodeLimit = 5;  // the sixth node on goes to tree.dvp
  const std::string reference = Reference();
  const Snapshot before = Folder();
  fs.FailWritesAfter("tree.dvp", 2 * sizeof(TreeNode) + 100);
  Run({"a.txt"});
  ExpectRunFailed(dir.File("tree.dvp"), "No space left on device");
  EXPECT_EQ(Folder(), before);
  ExpectNextRunClean(reference);
}

TEST_F(FaultTest, ScratchSectionsFull) {
  const std::string reference = Reference();
  const Snapshot before = Folder();
  fs.FailWritesAfter("temp$$$.dvp", 10);
  Run({"a.txt"});
  ExpectRunFailed(dir.File("temp$$$.dvp"), "No space left on device");
  EXPECT_EQ(Folder(), before);
  ExpectNextRunClean(reference);
}

TEST_F(FaultTest, ResultsFolderReadOnly) {
  const std::string reference = Reference();
  const Snapshot before = Folder();
  fs.FailCreate("out_quarn.txt");
  Run({"a.txt"});
  ExpectRunFailed(dir.File("out_quarn.txt"), "Permission denied");
  EXPECT_EQ(Folder(), before);
  ExpectNextRunClean(reference);
}

TEST_F(FaultTest, ResultsFileFullAtAnyPoint) {
  PutBigText();
  const std::string reference = Reference({"big.txt"});
  ASSERT_GT(reference.size(), 300000u);
  const Snapshot before = Folder();
  const uint64_t size = reference.size();
  // At the start, inside and at the edges of the writer's buffer, half-way, the last bytes.
  for (uint64_t budget : {uint64_t{0}, uint64_t{1}, uint64_t{65535}, uint64_t{65536},
                          uint64_t{65537}, size / 2, size - 2, size - 1}) {
    SCOPED_TRACE("budget " + std::to_string(budget));
    fs.ClearAll();
    fs.FailWritesAfter("out_quarn.txt", budget);
    Run({"big.txt"});
    ExpectRunFailed(dir.File("out_quarn.txt"), "No space left on device");
    EXPECT_EQ(Folder(), before);
  }
  ExpectNextRunClean(reference, {"big.txt"});
}

TEST_F(FaultTest, ResultsFileFullLeavesTheListsAsTheyWere) {
  host.options.Udate_Basewords = true;
  const Snapshot before = Folder();
  fs.FailWritesAfter("out_quarn.txt", 100);
  Run({"a.txt"});
  ExpectRunFailed(dir.File("out_quarn.txt"), "No space left on device");
  const Snapshot after = Folder();
  EXPECT_EQ(after, before);
}

// A real full disk: a child process whose file size limit stops the results file part-way.
TEST_F(FaultTest, FileSizeLimitInAChildProcess) {
  PutBigText();
  const std::string reference = Reference({"big.txt"});
  const Snapshot before = Folder();
  // Just short of the whole results file, and a third of it (the scratch file may then be the
  // first to hit the limit).
  for (rlim_t limit :
       {static_cast<rlim_t>(reference.size() - 100), static_cast<rlim_t>(reference.size() / 3)}) {
    SCOPED_TRACE("limit " + std::to_string(limit));
    pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit rl {
        limit, limit
      };
      if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(100);
      Run({"big.txt"});
      int code = 0;
      if (!engine.failed()) code |= 1;
      if (host.boxes.size() != 1) code |= 2;
      if (engine.progress.lines.back().rfind("ERROR ", 0) != 0 ||
          engine.progress.lines.back().find(": File too large") == std::string::npos)
        code |= 4;
      _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: did not fail, 2: no box, 4: no ERROR line";
    EXPECT_EQ(Folder(), before);
  }
  ExpectNextRunClean(reference, {"big.txt"});
}

TEST_F(FaultTest, MarkedTextFull) {
  host.options.Mark_Texts = true;
  const std::string reference = Reference();
  std::remove(dir.File("a.mrk").c_str());
  const Snapshot before = Folder();
  fs.FailWritesAfter("a.mrk", 40);
  Run({"a.txt"});
  ExpectRunFailed(dir.File("a.mrk"), "No space left on device");
  EXPECT_EQ(Folder(), before);  // no half-marked text
  std::remove(dir.File("a.mrk").c_str());
  ExpectNextRunClean(reference);
}

TEST_F(FaultTest, FirstListUpdateFull) {
  host.options.Udate_Basewords = true;
  const Snapshot before = Folder();
  fs.FailWritesAfter("basewrd1", 10);
  Run({"a.txt"});
  EXPECT_TRUE(engine.failed());
  EXPECT_EQ(outcome.reportsWritten, 0);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_NE(host.boxes[0].text.find("No space left on device"), std::string::npos);
  EXPECT_TRUE(LogHas("ERROR " + dir.File("basewrd1.txt") + ": No space left on device"));
  EXPECT_EQ(Folder(), before);

  fs.ClearAll();
  Run({"a.txt"});
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(FaultTest, LaterListUpdateFull) {
  host.options.Udate_Basewords = true;
  const Snapshot before = Folder();
  fs.FailWritesAfter("basewrd2", 10);
  Run({"a.txt"});
  EXPECT_TRUE(engine.failed());
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_TRUE(LogHas("ERROR " + dir.File("basewrd2.txt") + ": No space left on device"));
  const Snapshot after = Folder();
  EXPECT_EQ(after, before);
}

TEST_F(FaultTest, ListReplacementRefused) {
  host.options.Udate_Basewords = true;
  const Snapshot before = Folder();
  fs.FailRename("basewrd1");
  Run({"a.txt"});
  EXPECT_TRUE(engine.failed());
  ASSERT_EQ(host.boxes.size(), 1u);
  // The report itself is complete and stays; the lists are as they were, with no new list left
  // beside them.
  Snapshot after = Folder();
  Snapshot lists = before;
  EXPECT_NE(after[dir.File("out_quarn.txt")].find(" ...Finished"), std::string::npos);
  after.erase(dir.File("out_quarn.txt"));
  lists.erase(dir.File("out_quarn.txt"));
  EXPECT_EQ(after, lists);
}

TEST_F(FaultTest, BasewordFileRemovedBetweenTheCheckAndLoading) {
  Snapshot expected = Folder();
  expected.erase(dir.File("BASEWRD2.txt"));
  fs.VanishOnOpen("BASEWRD2.txt");
  Run({"a.txt"});
  ExpectRunFailed(dir.File("BASEWRD2.txt"), "No such file or directory");
  EXPECT_EQ(Folder(), expected);

  // Put back, the list works again.
  Put("BASEWRD2.txt", "CAT 0\n\tCATS 2\nDOG 7\n");
  const std::string reference = Reference();
  ExpectNextRunClean(reference);
}

class MoveCopyFaultTest : public FaultTest {
 protected:
  MoveCopySettings Settings() {
    MoveCopySettings s;  // move the families whose headword or member has count 0
    s.FileCopyFrom = "basewrd1";
    s.FileCopyTo = "basewrd4";
    return s;
  }
  // The dialog action failed on file for reason, and both lists are as they were.
  void ExpectActionFailed(bool ok, const Snapshot& before, const std::string& file) {
    EXPECT_FALSE(ok);
    EXPECT_TRUE(LogHas("ERROR " + file + ": No space left on device"));
    EXPECT_EQ(ReadFile(dir.File("BASEWRD1.txt")), before.at(dir.File("BASEWRD1.txt")));
    EXPECT_FALSE(Exists(dir.File("BASEWRD1.txt.tmp")));
    EXPECT_EQ(Folder(), before);
    EXPECT_EQ(host.boxes.size(), 1u);
  }
};

TEST_F(MoveCopyFaultTest, DestinationFull) {
  const Snapshot before = Folder();
  fs.FailWritesAfter("BASEWRD4.txt", 2);  // "A 0" and its line end do not fit
  bool ok = MoveCopyBasewords(engine, Settings());
  ExpectActionFailed(ok, before, dir.File("BASEWRD4.txt"));
}

TEST_F(MoveCopyFaultTest, SourceRewriteFull) {
  const Snapshot before = Folder();
  fs.FailWritesAfter("BASEWRD1.txt.tmp", 4);
  bool ok = MoveCopyBasewords(engine, Settings());
  ExpectActionFailed(ok, before, dir.File("BASEWRD1.txt"));
}

TEST_F(MoveCopyFaultTest, NextActionAfterAFailureWorks) {
  fs.FailWritesAfter("BASEWRD4.txt", 0);
  EXPECT_FALSE(MoveCopyBasewords(engine, Settings()));
  fs.ClearAll();
  Put("BASEWRD4.txt", "ZOO 3\n");
  ASSERT_TRUE(MoveCopyBasewords(engine, Settings()));
  // THE has member THEM 1 and count 5: kept. A 0 moved.
  EXPECT_EQ(ReadFile(dir.File("BASEWRD4.txt")), "ZOO 3\nA 0\r\n");
  EXPECT_EQ(ReadFile(dir.File("BASEWRD1.txt")), "THE 5\r\n\tTHEM 1\r\n\r\n");
}

}  // namespace
}  // namespace quarn::testing
