// A run's exports together with its other files: a cancel while they are written or put in
// place, the work files a killed run leaves, and links planted at the names of work files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "FaultFileSystem.h"
#include "RunFixture.h"
#include "state/RunProgress.h"

namespace quarn::testing {
namespace {

using Snapshot = std::map<std::string, std::string>;

class ExportRunTest : protected FileSystemHolder<FaultFileSystem>, public RunFixture {
 protected:
  ExportRunTest() : RunFixture(fs) {}
  void SetUp() override {
    Put("basewrd1.txt", "THE 0\n");
    Put("basewrd2.txt", "CAT 0\n");
    Put("basewrd3.txt", "SAT 0\n");
    Put("a.txt", "The cat sat on the mat.\n");
    Put("out_quarn.txt", "earlier results\r\n");
    exports = dir.File("ex");
    std::filesystem::create_directory(exports);
    WriteFile(exports + "/summary.csv", "earlier summary");
    WriteFile(exports + "/profile.json", "earlier json");
    engine.exports.folder = exports;
    engine.exports.csv = engine.exports.json = true;
    host.options.Udate_Basewords = true;
    host.options.Mark_Texts = true;
  }
  // The folder and the export folder, but for the lock files (the first press makes them).
  Snapshot Files() {
    Snapshot all;
    for (const auto& [name, bytes] : FolderFiles(dir.path()))
      if (name != "quarn.lock") all[name] = bytes;
    for (const auto& [name, bytes] : FolderFiles(exports))
      if (name != "quarn.lock") all["ex/" + name] = bytes;
    return all;
  }
  bool Logged(const std::string& line) {
    return std::find(Log().begin(), Log().end(), line) != Log().end();
  }

  std::string exports;
};

TEST_F(ExportRunTest, CancelWhileTheExportsAreWrittenReplacesNothing) {
  // A cancel at each moment of the writing: at the first table of the csv files, inside the
  // long word table, as the json document is started.
  for (const char* at : {"summary.csv.tmp", "families.csv.tmp", "profile.json.tmp"}) {
    SCOPED_TRACE(at);
    const Snapshot before = Files();
    fs.BeforeCreate(at, [this] { engine.cancelRequested.store(true); });
    Run({"a.txt"});
    fs.Clear();
    EXPECT_EQ(outcome.end, RunEnd::kCancelled);
    EXPECT_EQ(Log().back(), std::string(" ") + kRunCancelled);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(outcome.reportsWritten, 0);
    EXPECT_EQ(Files(), before);  // results file, lists, no marked copy, exports: as they were
    EXPECT_FALSE(engine.cancelRequested.load());
  }
  Run({"a.txt"});  // the next press is whole
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")), "THE 2\r\n");
}

TEST_F(ExportRunTest, CancelOnceTheFilesArePutInPlaceFinishesTheCommitAndSaysSo) {
  // The first rename of the commit is the export journal's.
  fs.BeforeRename("quarn-export.journal", [this] { engine.cancelRequested.store(true); });
  Run({"a.txt"});
  EXPECT_NE(outcome.end, RunEnd::kCancelled);
  EXPECT_FALSE(engine.failed());
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_TRUE(Logged(std::string(" ") + kCancelTooLate));
  EXPECT_NE(ReadFile(dir.File("out_quarn.txt")), "earlier results\r\n");
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")), "THE 2\r\n");
  EXPECT_TRUE(Exists(dir.File("a.mrk")));
  EXPECT_NE(ReadFile(exports + "/summary.csv"), "earlier summary");
  EXPECT_NE(ReadFile(exports + "/profile.json"), "earlier json");
}

TEST_F(ExportRunTest, WorkFilesOfAKilledRunAreRemovedByTheNextRun) {
  Put("texts.dvp", std::string(100000, 'x'));  // the text tally of a run over many texts
  for (const char* name : {"profile.json.tmp", "types.tsv.tmp", "profile.xlsx.tmp",
                           "summary.csv.old.tmp", "quarn-export.journal.tmp"})
    WriteFile(exports + "/" + name, "left by a killed run");
  WriteFile(exports + "/notes.tmp", "the user's own");
  engine.exports.json = false;  // csv only: the json, tsv and xlsx names are not written over
  Run({"a.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  EXPECT_FALSE(Exists(dir.File("texts.dvp")));
  EXPECT_EQ(FolderFiles(exports), (Snapshot{{"families.csv", ReadFile(exports + "/families.csv")},
                                            {"lists.csv", ReadFile(exports + "/lists.csv")},
                                            {"notes.tmp", "the user's own"},
                                            {"profile.json", "earlier json"},
                                            {"quarn.lock", ""},
                                            {"ranges.csv", ReadFile(exports + "/ranges.csv")},
                                            {"summary.csv", ReadFile(exports + "/summary.csv")},
                                            {"texts.csv", ReadFile(exports + "/texts.csv")},
                                            {"types.csv", ReadFile(exports + "/types.csv")}}));
}

TEST_F(ExportRunTest, NoWorkFileIsWrittenThroughAPlantedLink) {
  engine.exports.xlsx = true;
  Put("victim.txt", "precious");
  const std::string victim = dir.File("victim.txt");
  // Every work and scratch file of the run, each a link to the victim.
  const std::vector<std::string> planted = {
      exports + "/types.csv.tmp",    exports + "/profile.json.tmp",
      exports + "/profile.xlsx.tmp", exports + "/quarn-export.journal.tmp",
      dir.File("out_quarn.txt.tmp"), dir.File("a.mrk.tmp"),
      dir.File("basewrd1.tmp"),      dir.File("tree.dvp"),
      dir.File("temp$$$.dvp")};
  for (const std::string& link : planted) ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
  Run({"a.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")), "THE 2\r\n");
  EXPECT_TRUE(std::filesystem::is_regular_file(exports + "/profile.xlsx"));
  EXPECT_NE(ReadFile(exports + "/types.csv").find("THE"), std::string::npos);
}

TEST(WorkFileTest, ANewFileNeverWritesThroughALinkOrIntoAFileFoundThere) {
  TempDir dir;
  FileSystem& fs = *FileSystem::Default();
  WriteFile(dir.File("victim"), "precious");
  ASSERT_EQ(::symlink(dir.File("victim").c_str(), dir.File("w").c_str()), 0);
  ASSERT_EQ(::symlink(dir.File("victim").c_str(), dir.File("r").c_str()), 0);
  ASSERT_EQ(::link(dir.File("victim").c_str(), dir.File("hard").c_str()), 0);
  std::unique_ptr<WritableFile> w, hard;
  ASSERT_TRUE(fs.NewWritableFile(dir.File("w"), &w).ok());
  ASSERT_TRUE(w->Append("new").ok() && w->Close().ok());
  ASSERT_TRUE(fs.NewWritableFile(dir.File("hard"), &hard).ok());
  ASSERT_TRUE(hard->Append("new").ok() && hard->Close().ok());
  std::unique_ptr<RecordFile> r;
  ASSERT_TRUE(fs.NewRecordFile(dir.File("r"), &r).ok());
  ASSERT_TRUE(r->WriteAt(0, "new", 3).ok() && r->Close().ok());
  EXPECT_EQ(ReadFile(dir.File("victim")), "precious");
  for (const char* name : {"w", "hard", "r"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(dir.File(name))));
    EXPECT_EQ(ReadFile(dir.File(name)), "new");
  }
  // A folder in the way is a failure, and stays.
  std::filesystem::create_directory(dir.File("folder"));
  EXPECT_FALSE(fs.NewWritableFile(dir.File("folder"), &w).ok());
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
}

// quarn-cli as a process, sent Ctrl-C or SIGTERM once its exports are being written (over a
// text of 300,000 types, far longer than the signal takes): " Run cancelled", exit status 1,
// and nothing replaced.
TEST(ExportCancelTest, SignalWhileTheExportsAreWrittenStopsTheRun) {
  for (const int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    TempDir dir;
    WriteFile(dir.File("basewrd1.txt"), "THE 0\r\n");
    WriteFile(dir.File("basewrd2.txt"), "CAT 0\r\n");
    WriteFile(dir.File("basewrd3.txt"), "SAT 0\r\n");
    std::string text = "the cat sat\n";
    for (int i = 0; i < 300000; ++i) {
      std::string word;
      for (int k = i, d = 0; d < 4; ++d, k /= 26) word += static_cast<char>('a' + k % 26);
      text += word + (i % 12 == 11 ? "\n" : " ");
    }
    WriteFile(dir.File("many.txt"), text);
    WriteFile(dir.File("out_quarn.txt"), "an earlier results file\r\n");
    const std::string exports = dir.File("ex");
    std::filesystem::create_directory(exports);
    WriteFile(exports + "/profile.xlsx", "an earlier workbook");
    const Snapshot before = FolderFiles(dir.path()), exportsBefore = FolderFiles(exports);

    const std::vector<std::string> args = {QUARN_CLI_PATH,      "profile",
                                           "--folder",          dir.path(),
                                           "--results",         dir.File("out_quarn.txt"),
                                           "--update",          "--mark",
                                           "--answer",          "ok",
                                           "--export",          exports,
                                           "--export-format",   "csv,xlsx",
                                           dir.File("many.txt")};
    const std::string log = dir.File("ex.log");  // outside both folders compared
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
      std::vector<char*> argv;
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(QUARN_CLI_PATH, argv.data());
      _exit(101);
    }
    bool signalled = false;
    int status = 0;
    for (;;) {
      if (waitpid(child, &status, WNOHANG) == child) break;
      if (!signalled && Exists(exports + "/profile.xlsx.tmp")) {
        kill(child, sig);
        signalled = true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::string output = ReadFile(log);
    ASSERT_TRUE(signalled) << output;
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 1) << output;
    EXPECT_NE(output.find("\n Run cancelled\n"), std::string::npos) << output;
    Snapshot after = FolderFiles(dir.path());
    after.erase("quarn.lock");
    after.erase("ex.log");
    EXPECT_TRUE(after == before);  // results file, lists, no marked copy
    Snapshot exportsAfter = FolderFiles(exports);
    exportsAfter.erase("quarn.lock");
    EXPECT_TRUE(exportsAfter == exportsBefore);
  }
}

}  // namespace
}  // namespace quarn::testing
