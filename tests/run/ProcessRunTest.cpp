// The checks of a press of Process Files, its lifecycle, and how it ends on a failure.
#include "run/ProcessRun.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "RunFixture.h"
#include "report/MarkTexts.h"

namespace quarn::testing {
namespace {

class ProcessRunTest : public RunFixture {
 protected:
  void SetUp() override {
    Put("BASEWRD1.txt", "THE 0\n");
    Put("BASEWRD2.txt", "CAT 0\n");
    Put("BASEWRD3.txt", "SAT 0\n");
    Put("a.txt", "The cat sat.\n");
  }
};

TEST_F(ProcessRunTest, EmptyInputListStopsWithOneBoxAndNothingOnDisk) {
  Run({});
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "No files selected for processing, cannot run");
  EXPECT_FALSE(host.boxes[0].withCancel);
  EXPECT_EQ(Log(), std::vector<std::string>{"ERROR No Files selected for processing cannot run"});
  EXPECT_FALSE(Exists(dir.File("out_quarn.txt")));
  EXPECT_TRUE(ScratchFilesGone());
}

// The kept models are those of the last press only: the explorer shows the run just made.
TEST_F(ProcessRunTest, KeptResultsHoldTheLastPressOnly) {
  engine.keepResults = true;
  Run({"a.txt"});
  Run({"a.txt"});
  ASSERT_EQ(outcome.keptResults.size(), 1u);
  Run({});
  EXPECT_TRUE(outcome.keptResults.empty());
}

TEST_F(ProcessRunTest, MissingFilesAreReportedAndRemovedWithoutSkipping) {
  Run({"gone1.txt", "gone2.txt", "a.txt", ""});
  EXPECT_EQ(Log()[0], "ERROR " + dir.File("gone1.txt") + " not found");
  EXPECT_EQ(Log()[1], "ERROR " + dir.File("gone2.txt") + " not found");
  EXPECT_EQ(Log()[2], "ERROR  not found");  // the empty line
  EXPECT_EQ(host.inputLines, std::vector<std::string>{dir.File("a.txt")});
  EXPECT_TRUE(Exists(dir.File("out_quarn.txt")));
  EXPECT_TRUE(ScratchFilesGone());
}

// Each way a press ends is its outcome, with the reports it finished.
TEST_F(ProcessRunTest, EachWayARunEndsIsItsOutcome) {
  Run({"a.txt"});
  EXPECT_EQ(outcome.end, RunEnd::kFinished);
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_TRUE(outcome.failure.ok());

  Run({});
  EXPECT_EQ(outcome.end, RunEnd::kStopped);
  EXPECT_EQ(outcome.reportsWritten, 0);

  engine.ListCount = kMaxLists + 1;  // refused before anything is made
  Run({"a.txt"});
  EXPECT_EQ(outcome.end, RunEnd::kStopped);
  engine.ListCount = 3;

  Run({"a.txt"}, "no-such-folder/out_quarn.txt");
  EXPECT_EQ(outcome.end, RunEnd::kFailed);
  EXPECT_FALSE(outcome.failure.ok());
  EXPECT_EQ(outcome.reportsWritten, 0);

  host.onRunProgress = [this](const RunProgress&) { engine.cancelRequested.store(true); };
  Run({"a.txt"});
  EXPECT_EQ(outcome.end, RunEnd::kCancelled);
  EXPECT_EQ(outcome.reportsWritten, 0);
  host.onRunProgress = nullptr;

  // The next press starts afresh: no failure, no stop and no cancel of the last one is kept.
  Run({"a.txt"});
  EXPECT_EQ(outcome.end, RunEnd::kFinished);
  EXPECT_EQ(outcome.reportsWritten, 1);
}

// The lines the checks remove reach the host in one notification and the outcome, counted as
// the request listed them; the run reads the request, never the host's list.
TEST_F(ProcessRunTest, RemovedLinesReachTheHostOnce) {
  Run({"gone1.txt", "a.txt", "out_quarn.txt", "gone2.txt"});
  EXPECT_EQ(host.bulkRemovals, 1);
  EXPECT_EQ(outcome.removedLines, (std::vector<size_t>{0, 2, 3}));
  EXPECT_EQ(host.inputLines, std::vector<std::string>{dir.File("a.txt")});
  EXPECT_EQ(outcome.end, RunEnd::kFinished);

  host.bulkRemovals = 0;
  Run({"a.txt"});
  EXPECT_EQ(host.bulkRemovals, 0);
  EXPECT_TRUE(outcome.removedLines.empty());
}

TEST(RemoveLinesAtTest, RemovesTheGivenIndexesInOnePass) {
  std::vector<std::string> lines = {"a", "b", "c", "d", "e"};
  RemoveLinesAt(lines, {0, 2, 4, 9});
  EXPECT_EQ(lines, (std::vector<std::string>{"b", "d"}));
  RemoveLinesAt(lines, {});
  EXPECT_EQ(lines, (std::vector<std::string>{"b", "d"}));
  RemoveLinesAt(lines, {0, 1});
  EXPECT_TRUE(lines.empty());
}

TEST_F(ProcessRunTest, FolderCountsAsNotFound) {
  ASSERT_EQ(mkdir(dir.File("sub").c_str(), 0755), 0);
  Run({"sub", "a.txt"});
  EXPECT_EQ(Log()[0], "ERROR " + dir.File("sub") + " not found");
}

TEST_F(ProcessRunTest, OnlyLineIsTheResultsFile) {
  Put("out_quarn.txt", "old results\n");
  Run({"out_quarn.txt"});
  EXPECT_EQ(Log()[0], "ERROR " + dir.File("out_quarn.txt") + " same as results file");
  EXPECT_EQ(Log()[1], "ERROR No File\ts selected for processing cannot run");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "No files selected for processing, cannot run");
  EXPECT_EQ(ReadFile(dir.File("out_quarn.txt")), "old results\n");
}

TEST_F(ProcessRunTest, NoResultsFileChosen) {
  Run({"a.txt"}, "");
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "No save file selected, cannot run");
  EXPECT_EQ(Log().back(), "ERROR Save File not set, cannot run");
  EXPECT_TRUE(ScratchFilesGone());
}

TEST_F(ProcessRunTest, MissingBasewordFileWithRepairCancelled) {
  std::remove(dir.File("BASEWRD2.txt").c_str());
  std::remove(dir.File("BASEWRD3.txt").c_str());
  Put("BASEWRD3.doc", "SAT 0\n");
  host.answers = {false};
  Run({"a.txt"});
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text,
            "The file BASEWRD3.txt\rseems to be called: BASEWRD3.doc\rWould you like me to fix this?");
  EXPECT_EQ(Log()[0], "ERROR " + dir.path() + "BASEWRD2.txt not found, cannot run");
  EXPECT_EQ(Log()[1], "ERROR " + dir.path() + "BASEWRD3.txt not found, cannot run");
  EXPECT_FALSE(Exists(dir.File("out_quarn.txt")));
  EXPECT_TRUE(ScratchFilesGone());
  EXPECT_TRUE(Exists(dir.File("BASEWRD3.doc")));
}

TEST_F(ProcessRunTest, MissingBasewordFileRepairedWithOk) {
  std::rename(dir.File("BASEWRD3.txt").c_str(), dir.File("BASEWRD3.doc").c_str());
  host.answers = {true};
  Run({"a.txt"});
  EXPECT_TRUE(Exists(dir.File("BASEWRD3.txt")));
  EXPECT_TRUE(Exists(dir.File("out_quarn.txt")));
  EXPECT_EQ(outcome.reportsWritten, 1);
}

TEST_F(ProcessRunTest, BasewordNamesFoundInAnyCase) {
  std::rename(dir.File("BASEWRD2.txt").c_str(), dir.File("basewrd2.TXT").c_str());
  Run({"a.txt"});
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(engine.counters.ListTokens[2], 1);
}

TEST_F(ProcessRunTest, TooManyListsRefusedBeforeAnythingIsCreated) {
  engine.ListCount = 65;
  Run({"a.txt"});
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Too many baseword files, cannot run");
  EXPECT_EQ(Log(), std::vector<std::string>{"ERROR Too many baseword files, cannot run"});
  EXPECT_FALSE(Exists(dir.File("out_quarn.txt")));
  EXPECT_TRUE(ScratchFilesGone());
}

// Beyond the 64 FileCounts slots the texts are tallied: ranges over all of them, no per-file
// columns, the tally's scratch file gone afterwards.
TEST_F(ProcessRunTest, MoreThan64FilesRunWithOrWithoutBatch) {
  std::vector<std::string> names(65, "a.txt");
  Run(names);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(outcome.reportsWritten, 1);
  const std::vector<std::string> lines = ResultLines();
  auto has = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has("     3\tWords appear in 65 input files"));
  EXPECT_TRUE(has("TYPE" + std::string(26, ' ') + "\t RANGE\t  FREQ"));
  EXPECT_TRUE(has("THE" + std::string(27, ' ') + "\t    65\t    65"));
  EXPECT_TRUE(has("BASE ONE FAMILIES" + std::string(13, ' ') + "\t RANGE\tTYFREQ\tFAFREQ"));
  EXPECT_TRUE(has("THE" + std::string(27, ' ') + "\t    65\t    65\t    65"));
  EXPECT_FALSE(Exists(dir.File("texts.dvp")));
  EXPECT_TRUE(ScratchFilesGone());

  host.options.BatchFiles = true;
  Run(names, "");
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(outcome.reportsWritten, 65);
  EXPECT_TRUE(ScratchFilesGone());
}

TEST_F(ProcessRunTest, SameFileTwiceCountsAsTwoFiles) {
  Run({"a.txt", "a.txt"});
  EXPECT_EQ(engine.FileNumber, 2);
  EXPECT_EQ(engine.counters.TotalTokens, 6);
  std::vector<std::string> lines = ResultLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "     3\tWords appear in  2 input files"),
            lines.end());
}

// The slot a press counts each text in follows that press's texts and choices, whatever the
// press before left it at: one file's slot in a batch, none in a tallied run, the text's own.
TEST_F(ProcessRunTest, EachPressCountsItsTextsInItsOwnSlots) {
  Put("b.txt", "The dog sat.\n");
  Run({"a.txt", "b.txt"});
  const std::string first = ReadFile(dir.File("out_quarn.txt"));
  EXPECT_NE(first.find("DOG" + std::string(27, ' ') + "\t     1\t     1\t     0\t     1\r\n"),
            std::string::npos);

  host.options.BatchFiles = true;
  Run({"a.txt", "b.txt"}, "");
  EXPECT_NE(ReadFile(dir.File("b_quarn.txt"))
                .find("DOG" + std::string(27, ' ') + "\t     1\t     1\t     1\r\n"),
            std::string::npos);

  host.options.BatchFiles = false;
  Run(std::vector<std::string>(kMaxInputFiles + 1, "a.txt"));
  EXPECT_EQ(outcome.reportsWritten, 1);
  Run({"a.txt", "b.txt"});
  EXPECT_EQ(ReadFile(dir.File("out_quarn.txt")), first);
}

TEST_F(ProcessRunTest, SecondPressStartsAfreshAndAppendsToTheLog) {
  Run({"a.txt"});
  size_t firstRunLines = Log().size();
  std::string first = ReadFile(dir.File("out_quarn.txt"));
  Run({"a.txt"});
  EXPECT_EQ(Log().size(), 2 * firstRunLines);
  EXPECT_EQ(ReadFile(dir.File("out_quarn.txt")), first);
  EXPECT_EQ(engine.counters.TotalTokens, 3);
}

TEST_F(ProcessRunTest, ResultsFolderMissingEndsRunCleanlyAndNextRunWorks) {
  Run({"a.txt"}, "nofolder/out_quarn.txt");
  EXPECT_TRUE(engine.failed());
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_NE(host.boxes[0].text.find(dir.File("nofolder/out_quarn.txt")), std::string::npos);
  EXPECT_EQ(Log().back().rfind("ERROR " + dir.File("nofolder/out_quarn.txt") + ": ", 0), 0u);
  EXPECT_FALSE(engine.ResultsFileOpen());
  EXPECT_TRUE(ScratchFilesGone());

  Run({"a.txt"});
  EXPECT_FALSE(engine.failed());
  EXPECT_EQ(outcome.reportsWritten, 1);
}

TEST_F(ProcessRunTest, InputVanishingAfterTheCheckEndsTheRun) {
  // Not readable: permissions (skipped when running as root, who reads anything).
  if (geteuid() == 0) GTEST_SKIP() << "root reads unreadable files";
  Put("locked.txt", "words\n");
  chmod(dir.File("locked.txt").c_str(), 0);
  Run({"a.txt", "locked.txt"});
  EXPECT_TRUE(engine.failed());
  EXPECT_FALSE(engine.ResultsFileOpen());
  EXPECT_TRUE(ScratchFilesGone());
}

TEST_F(ProcessRunTest, ScratchFolderNotWritable) {
  engine.ScratchFolder = dir.File("missing/");
  Run({"a.txt"});
  EXPECT_TRUE(engine.failed());
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(Log().back().rfind("ERROR " + dir.File("missing/temp$$$.dvp"), 0), 0u);
  EXPECT_FALSE(Exists(dir.File("out_quarn.txt")));
}

TEST_F(ProcessRunTest, BatchRunStopsWhenAListVanishesBetweenFiles) {
  host.options.BatchFiles = true;
  Put("b.txt", "more words\n");
  // The first report's clean-up is followed by a set-up that finds BASEWRD3.txt gone.
  host.inputLines = {dir.File("a.txt"), dir.File("b.txt")};
  engine.ResultsFileName.clear();
  int calls = 0;
  engine.clockSeconds = [&] {
    // The clock is read at the press and at each report's end: remove the list after report 1.
    if (++calls == 2) std::remove(dir.File("BASEWRD3.txt").c_str());
    return 1000;
  };
  outcome = ProcessFiles(engine, Request());
  EXPECT_TRUE(Exists(dir.File("a_quarn.txt")));
  EXPECT_FALSE(Exists(dir.File("b_quarn.txt")));
  EXPECT_EQ(Log().back(), "ERROR " + dir.path() + "BASEWRD3.txt not found, cannot run");
  EXPECT_TRUE(ScratchFilesGone());
}


TEST_F(ProcessRunTest, BatchResultsNameThatIsAnInputStopsTheRunBeforeAnythingIsWritten) {
  host.options.BatchFiles = true;
  Put("notes.txt", "The cat.\n");
  Put("notes_quarn.txt", "My own notes.\n");
  // The second input spelled with a "." step still names the first one's results file.
  host.inputLines = {dir.File("notes.txt"), dir.path() + "./notes_quarn.txt"};
  engine.ResultsFileName.clear();
  outcome = ProcessFiles(engine, Request());
  EXPECT_EQ(outcome.reportsWritten, 0);
  ASSERT_EQ(host.boxes.size(), 1u);
  const std::string reason = "Results file " + dir.File("notes_quarn.txt") + " of " +
                             dir.File("notes.txt") + " is the input file " + dir.path() +
                             "./notes_quarn.txt, cannot run";
  EXPECT_EQ(host.boxes[0].text, reason);
  EXPECT_EQ(Log().back(), "ERROR " + reason);
  EXPECT_EQ(ReadFile(dir.File("notes_quarn.txt")), "My own notes.\n");
  EXPECT_FALSE(Exists(dir.File("notes_quarn_quarn.txt")));
  EXPECT_TRUE(ScratchFilesGone());
}

TEST_F(ProcessRunTest, BatchInputsSharingAResultsNameStopTheRun) {
  host.options.BatchFiles = true;
  Put("notes.txt", "The cat.\n");
  Put("notes.text", "The sat.\n");
  Run({"notes.txt", "notes.text", "notes.txt"}, "");
  EXPECT_EQ(outcome.reportsWritten, 0);
  EXPECT_EQ(Log().back(), "ERROR Results file " + dir.File("notes_quarn.txt") +
                              " would hold the reports of both " + dir.File("notes.txt") +
                              " and " + dir.File("notes.text") + ", cannot run");
  EXPECT_FALSE(Exists(dir.File("notes_quarn.txt")));

  // The same text listed twice is no conflict: its report is simply made twice.
  Run({"notes.txt", "notes.txt"}, "");
  EXPECT_EQ(outcome.reportsWritten, 2);
}

// Each batch report's store holds only its own text, so each step marks that text alone: the
// copies are those a run over each text by itself makes, and no word is marked as unknown.
TEST_F(ProcessRunTest, BatchRunMarksEachTextFromItsOwnReport) {
  Put("b.txt", "The cat.\n");
  Put("c.txt", "Sat sat the dog.\n");
  host.options.Mark_Texts = true;
  host.options.Overwrite = true;
  std::vector<std::string> alone;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    Run({name});
    alone.push_back(ReadFile(dir.File(MarkedFileName(name))));
    std::remove(dir.File(MarkedFileName(name)).c_str());
  }
  const auto markings = [&] {
    return std::count(Log().begin(), Log().end(), " Marking file: " + dir.File("a.txt"));
  };
  const auto before = markings();
  host.options.BatchFiles = true;
  Run({"a.txt", "b.txt", "c.txt"}, "");
  ASSERT_EQ(outcome.reportsWritten, 3);
  EXPECT_EQ(ReadFile(dir.File("a.mrk")), alone[0]);
  EXPECT_EQ(ReadFile(dir.File("b.mrk")), alone[1]);
  EXPECT_EQ(ReadFile(dir.File("c.mrk")), alone[2]);
  EXPECT_EQ(alone[2].find("{0}"), std::string::npos);
  // One marking per report, each of its own text.
  EXPECT_EQ(markings() - before, 1);
}

TEST_F(ProcessRunTest, WorkFilesOfAKilledRunAreRemovedByTheNext) {
  // Left by a run killed while it updated the lists, wrote out_quarn.txt and marked a.txt.
  const std::vector<std::string> leftovers = {"basewrd1.tmp", "basewrd12.tmp", "out_quarn.txt.tmp",
                                              "a.mrk.tmp"};
  // The user's own files, and work names of results and texts this run does not write.
  const std::vector<std::string> kept = {"BASEWRD1.tmp",      "basewrd1.tmp.txt", "notes.tmp",
                                         "old_quarn.txt.tmp", "b.mrk.tmp",        "basewrd.tmp"};
  for (const std::string& name : leftovers) Put(name, "half written");
  for (const std::string& name : kept) Put(name, "mine");
  engine.ListCount = 4;  // BASEWRD4.txt is missing: the run stops at its first check
  Run({"a.txt"});
  EXPECT_EQ(outcome.end, RunEnd::kStopped);
  for (const std::string& name : leftovers) EXPECT_FALSE(Exists(dir.File(name))) << name;
  for (const std::string& name : kept) EXPECT_EQ(ReadFile(dir.File(name)), "mine") << name;
}

}  // namespace
}  // namespace quarn::testing
