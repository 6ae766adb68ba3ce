// A run's progress reports and its cancel: a run cancelled at any point leaves every file of its
// folder as it was, and the next run is the run that was never cancelled.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "RunFixture.h"
#include "state/RunProgress.h"

namespace quarn {
namespace {

using Phase = RunProgress::Phase;
using testing::FolderFiles;
using testing::ReadFile;

class RunProgressTest : public testing::RunFixture {
 protected:
  void SetUp() override {
    host.keepRunProgress = true;
    Put("BASEWRD1.txt", "THE 0\r\n\tTHEM 0\r\nCAT 0\r\n");
    Put("BASEWRD2.txt", "SIT 0\r\n\tSAT 0\r\n");
    Put("BASEWRD3.txt", "ON 0\r\n");
    std::string a, b;
    // Long enough for progress points within the scan and the marking.
    for (int i = 0; i < 2500; ++i) a += "The cat sat on the mat number " + std::to_string(i) + "\n";
    for (int i = 0; i < 1200; ++i) b += "Them dogs sit on " + std::to_string(i) + " rugs\n";
    Put("a.txt", a);
    Put("b.txt", b);
    Put("a.mrk", "an earlier marked copy\r\n");
    Put("out_quarn.txt", "an earlier results file\r\n");
    host.options.Udate_Basewords = true;
    host.options.Mark_Texts = true;
    host.options.Overwrite = true;
    host.options.sortbyalpha = false;
    host.options.sortbyfreq = true;
  }
  // The folder's files but the lock file, which a run leaves by design.
  std::map<std::string, std::string> Files() {
    std::map<std::string, std::string> files = FolderFiles(dir.path());
    files.erase("quarn.lock");
    return files;
  }
  void Restore(const std::map<std::string, std::string>& files) {
    for (const auto& [name, bytes] : Files())
      if (files.count(name) == 0) std::remove(dir.File(name).c_str());
    for (const auto& [name, bytes] : files) Put(name, bytes);
  }
};

TEST_F(RunProgressTest, ProgressGoesForwardThroughEveryPhase) {
  Run({"a.txt", "b.txt"});
  ASSERT_FALSE(engine.failed());
  const std::vector<RunProgress>& seen = host.runProgress;
  ASSERT_FALSE(seen.empty());
  const uint64_t total = ReadFile(dir.File("a.txt")).size() + ReadFile(dir.File("b.txt")).size();
  std::vector<Phase> phases;
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].bytesTotal, total);
    if (i > 0) {
      EXPECT_GE(seen[i].bytesRead, seen[i - 1].bytesRead) << i;
      EXPECT_GE(static_cast<int>(seen[i].phase), static_cast<int>(seen[i - 1].phase)) << i;
    }
    if (phases.empty() || phases.back() != seen[i].phase) phases.push_back(seen[i].phase);
  }
  EXPECT_EQ(phases, (std::vector<Phase>{Phase::kScanning, Phase::kLoadingLists,
                                        Phase::kUpdatingLists, Phase::kMarking, Phase::kSorting,
                                        Phase::kWritingReport}));
  EXPECT_EQ(seen.back().bytesRead, total);
  // Within the scan: file 1 of 2 read part by part, then file 2 starting where file 1 ended.
  int partial = 0;
  for (const RunProgress& p : seen) {
    if (p.phase != Phase::kScanning) continue;
    EXPECT_EQ(p.files, 2);
    if (p.file == 1 && p.bytesRead > 0 && p.bytesRead < total) ++partial;
    if (p.file == 2) {
      EXPECT_GE(p.bytesRead, ReadFile(dir.File("a.txt")).size());
    }
  }
  EXPECT_GT(partial, 0);
}

TEST_F(RunProgressTest, CancelAtAnyPointLeavesTheFolderAsItWasAndTheNextRunClean) {
  const std::map<std::string, std::string> before = Files();
  Run({"a.txt", "b.txt"});
  ASSERT_FALSE(engine.failed());
  const std::map<std::string, std::string> finished = Files();
  ASSERT_NE(finished, before);
  const std::vector<RunProgress> points = host.runProgress;
  Restore(before);

  // Every progress report the run gives is a point it can be cancelled at.
  for (size_t at = 0; at < points.size(); ++at) {
    SCOPED_TRACE("cancelled at report " + std::to_string(at) + ", phase " +
                 std::to_string(static_cast<int>(points[at].phase)));
    host.runProgress.clear();
    host.onRunProgress = [&](const RunProgress&) {
      if (host.runProgress.size() == at + 1) engine.cancelRequested.store(true);
    };
    Run({"a.txt", "b.txt"});
    host.onRunProgress = nullptr;
    EXPECT_TRUE(engine.failed());
    EXPECT_EQ(outcome.end, RunEnd::kCancelled);
    EXPECT_EQ(Log().back(), std::string(" ") + kRunCancelled);
    EXPECT_TRUE(host.boxes.empty());  // no error box for a cancel
    EXPECT_EQ(outcome.reportsWritten, 0);
    EXPECT_FALSE(engine.ResultsFileOpen());
    EXPECT_FALSE(engine.cancelRequested.load());
    EXPECT_EQ(Files(), before);
  }

  Run({"a.txt", "b.txt"});
  EXPECT_FALSE(engine.failed());
  EXPECT_EQ(Files(), finished);
}

TEST_F(RunProgressTest, CancelledBatchRunKeepsTheReportsFinishedBeforeIt) {
  host.options.BatchFiles = true;
  host.onRunProgress = [&](const RunProgress& p) {
    if (p.phase == Phase::kScanning && p.file == 2) engine.cancelRequested.store(true);
  };
  Run({"a.txt", "b.txt"});
  EXPECT_EQ(outcome.end, RunEnd::kCancelled);
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_TRUE(testing::Exists(dir.File("a_quarn.txt")));
  EXPECT_FALSE(testing::Exists(dir.File("b_quarn.txt")));
  EXPECT_FALSE(testing::Exists(dir.File("b.mrk")));
  EXPECT_TRUE(ScratchFilesGone());
}

}  // namespace
}  // namespace quarn
