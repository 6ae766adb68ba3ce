// Whatever files the user lists or keeps as lists, a press of Process Files either scans them or
// ends with an "ERROR" line naming the file and the reason; it never crashes, and a failed run
// leaves an earlier results file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "RunFixture.h"
#include "lists/StopList.h"
#include "text/CharClassTable.h"

namespace quarn::testing {
namespace {

using namespace std::string_literals;

std::string Sp(size_t n) { return std::string(n, ' '); }

// Adds read faults to FaultFileSystem: a file that cannot be opened, or whose reading fails
// part-way.
class ReadFaultFileSystem : public FaultFileSystem {
 public:
  void FailOpen(std::string match, std::string reason) {
    openMatch_ = std::move(match);
    openReason_ = std::move(reason);
  }
  void FailReadAfter(std::string match, uint64_t bytes) {
    readMatch_ = std::move(match);
    readBytes_ = bytes;
  }
  void ClearReads() {
    openMatch_.clear();
    readMatch_.clear();
  }

  Status NewSequentialFile(const std::string& path,
                           std::unique_ptr<SequentialFile>* result) override {
    if (!openMatch_.empty() && path.find(openMatch_) != std::string::npos)
      return Status::IOError(path, openReason_);
    Status s = FaultFileSystem::NewSequentialFile(path, result);
    if (s.ok() && !readMatch_.empty() && path.find(readMatch_) != std::string::npos)
      *result = std::make_unique<FailingRead>(std::move(*result), path, readBytes_);
    return s;
  }

 private:
  class FailingRead : public SequentialFile {
   public:
    FailingRead(std::unique_ptr<SequentialFile> file, std::string path, uint64_t budget)
        : file_(std::move(file)), path_(std::move(path)), left_(budget) {}
    Status Read(size_t n, char* buf, size_t* got) override {
      *got = 0;
      if (left_ == 0) return Status::IOError(path_, "Input/output error");
      Status s = file_->Read(n < left_ ? n : static_cast<size_t>(left_), buf, got);
      left_ -= *got;
      return s;
    }

   private:
    std::unique_ptr<SequentialFile> file_;
    std::string path_;
    uint64_t left_;
  };

  std::string openMatch_, openReason_, readMatch_;
  uint64_t readBytes_ = 0;
};

class BadInputTest : public ::testing::Test {
 protected:
  BadInputTest() : engine(host, fs) {
    SetProgramFolder(engine, dir.path());
    engine.ScratchFolder = dir.path();
    engine.clockSeconds = [] { return 1000; };
    engine.memoryInUse = [] { return size_t{3} * 1048576; };
  }
  void SetUp() override {
    Put("BASEWRD1.txt", "THE 0\n");
    Put("BASEWRD2.txt", "CAT 0\n");
    Put("BASEWRD3.txt", "SAT 0\n");
    Put("a.txt", "The cat sat.\n");
    Put("out_quarn.txt", "earlier results\r\n");
  }

  std::string Put(const std::string& name, const std::string& bytes) {
    WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }
  void Run(const std::vector<std::string>& names, const std::string& results = "out_quarn.txt") {
    host.inputLines.clear();
    host.boxes.clear();
    for (const std::string& n : names) host.inputLines.push_back(dir.File(n));
    engine.ResultsFileName = results.empty() ? results : dir.File(results);
    outcome = ProcessFiles(engine, RunRequest{host.options, host.inputLines, engine.ResultsFileName,
                                              engine.ListCount});
  }
  std::vector<std::string> ResultLines(const std::string& results = "out_quarn.txt") {
    return SplitCrLf(ReadFile(dir.File(results)));
  }
  bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool HasPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }
  bool LogHas(const std::string& line) { return HasLine(engine.progress.lines, line); }
  size_t LogCount(const std::string& part) {
    return std::count_if(engine.progress.lines.begin(), engine.progress.lines.end(),
                         [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }
  // The failed run ended as the user must see it, and left nothing behind.
  void ExpectFailedCleanly(const std::string& file, const std::string& reason) {
    EXPECT_TRUE(engine.failed());
    EXPECT_EQ(engine.progress.lines.back(), "ERROR " + file + ": " + reason);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, file + ": " + reason);
    EXPECT_FALSE(engine.ResultsFileOpen());
    EXPECT_EQ(ReadFile(dir.File("out_quarn.txt")), "earlier results\r\n");
    EXPECT_FALSE(Exists(dir.File("out_quarn.txt.tmp")));
    EXPECT_FALSE(Exists(dir.File("tree.dvp")));
    EXPECT_FALSE(Exists(dir.File("temp$$$.dvp")));
  }
  // The next press, without the fault, writes a whole report.
  void ExpectNextRunClean() {
    fs.Clear();
    fs.ClearReads();
    Run({"a.txt"});
    EXPECT_FALSE(engine.failed());
    EXPECT_EQ(outcome.reportsWritten, 1);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(ResultLines().back(), " ...Finished");
  }

  TempDir dir;
  TestHost host;
  ReadFaultFileSystem fs;
  Engine engine;
  RunOutcome outcome;  // of the last Run
};

TEST_F(BadInputTest, UnreadableInputEndsTheRunNamingFileAndReason) {
  Put("locked.txt", "secret words\n");
  fs.FailOpen("locked.txt", "Permission denied");
  Run({"a.txt", "locked.txt"});
  ExpectFailedCleanly(dir.File("locked.txt"), "Permission denied");
  EXPECT_EQ(ReadFile(dir.File("locked.txt")), "secret words\n");
  ExpectNextRunClean();
}

TEST_F(BadInputTest, ReadFailingPartWayThroughAnInput) {
  // Longer than one read block: the read that fails is not the first.
  std::string text;
  while (text.size() < 600000) text += "plenty of words on every line\n";
  Put("big.txt", text);
  fs.FailReadAfter("big.txt", 300000);
  Run({"big.txt"});
  ExpectFailedCleanly(dir.File("big.txt"), "Input/output error");
  ExpectNextRunClean();
}

TEST_F(BadInputTest, InputVanishingBetweenTheCheckAndTheScan) {
  Put("b.txt", "gone soon\n");
  fs.VanishOnOpen("b.txt");
  Run({"a.txt", "b.txt"});
  ExpectFailedCleanly(dir.File("b.txt"), "No such file or directory");
  ExpectNextRunClean();
}

TEST_F(BadInputTest, InputVanishingInABatchRunKeepsTheEarlierFilesReport) {
  Put("b.txt", "gone soon\n");
  host.options.BatchFiles = true;
  fs.VanishOnOpen("b.txt");
  Run({"a.txt", "b.txt"}, "");
  EXPECT_TRUE(engine.failed());
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_EQ(ResultLines("a_quarn.txt").back(), " ...Finished");
  EXPECT_FALSE(Exists(dir.File("b_quarn.txt")));
  EXPECT_FALSE(Exists(dir.File("b_quarn.txt.tmp")));
  EXPECT_EQ(engine.progress.lines.back(),
            "ERROR " + dir.File("b.txt") + ": No such file or directory");
  EXPECT_FALSE(Exists(dir.File("tree.dvp")));
  EXPECT_FALSE(Exists(dir.File("temp$$$.dvp")));
}

TEST_F(BadInputTest, NulAndEightBitBytesSeparateWords) {
  // NUL, 0x80 and 0xFF (upper-cased to 0x9F) are separators in the default table; é becomes É,
  // a letter. The second line is all NULs: trimmed to nothing.
  Put("bin.txt", "dog\0cat\xff\x80\xe9t\xe9\r\n\0\0\0\n"s);
  Run({"bin.txt"});
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_TRUE(LogHas("  Number of lines: 2"));
  EXPECT_TRUE(LogHas("  Number of words: 3"));
  std::vector<std::string> lines = ResultLines();
  EXPECT_TRUE(HasLine(lines, "DOG" + Sp(27) + "\t     1\t     1\t     1"));
  EXPECT_TRUE(HasLine(lines, "\xc9T\xc9" + Sp(27) + "\t     1\t     1\t     1"));
  EXPECT_EQ(engine.counters.ListTokens[2], 1);  // CAT
}

TEST_F(BadInputTest, MegabyteOfNoiseIsScanned) {
  std::string noise(1 << 20, '\0');
  uint32_t x = 12345;
  for (char& c : noise) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  Put("noise.bin", noise);
  Run({"noise.bin"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  EXPECT_GT(engine.counters.TotalTokens, 0);
  std::vector<std::string> lines = ResultLines();
  EXPECT_EQ(lines.back(), " ...Finished");
  // Every reported type is a word: 1 to 30 characters, starting with a letter.
  const CharClassTable classes = DefaultCharClassTable();
  auto at = std::find(lines.begin(), lines.end(), "Types Not Found In Any List");
  ASSERT_NE(at, lines.end());
  int rows = 0;
  for (auto it = at + 3; it != lines.end() && !it->empty(); ++it, ++rows) {
    const std::string word = it->substr(0, it->find('\t'));
    const std::string trimmed = word.substr(0, word.find_last_not_of(' ') + 1);
    ASSERT_FALSE(trimmed.empty());
    EXPECT_LE(trimmed.size(), 30u);
    EXPECT_EQ(classes.Class(static_cast<unsigned char>(trimmed[0])), 2) << trimmed;
  }
  EXPECT_EQ(rows, engine.counters.OtherTypes);
}

TEST_F(BadInputTest, EmptyInputGivesAReportOfZeros) {
  Put("empty.txt", "");
  Run({"empty.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  EXPECT_TRUE(LogHas("  Number of lines: 0"));
  EXPECT_TRUE(LogHas("  Number of words: 0"));
  std::vector<std::string> lines = ResultLines();
  EXPECT_TRUE(HasLine(
      lines, "one" + Sp(20) + "       0/ 0.00" + Sp(8) + "       0/ 0.00" + Sp(8) + "       0"));
  EXPECT_TRUE(HasLine(lines, "not in the lists" + Sp(7) + "       0/ 0.00" + Sp(8) +
                                 "       0/ 0.00" + Sp(10) + "?????"));
  EXPECT_TRUE(
      HasLine(lines, "Total" + Sp(18) + "       0" + Sp(13) + "       0" + Sp(13) + "       0"));
}

TEST_F(BadInputTest, LastLineWithoutLineEndAndLoneCarriageReturns) {
  Put("noend.txt", "the cat\nsat");
  Put("cr.txt", "the\rcat\r\rsat\r");
  Run({"noend.txt", "cr.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  const std::vector<std::string>& log = engine.progress.lines;
  auto cr = std::find(log.begin(), log.end(), " Processing file: " + dir.File("cr.txt"));
  ASSERT_NE(cr, log.end());
  EXPECT_NE(std::find(log.begin(), cr, "  Number of lines: 2"), cr);
  EXPECT_NE(std::find(log.begin(), cr, "  Number of words: 3"), cr);
  EXPECT_NE(std::find(cr, log.end(), "  Number of lines: 4"), log.end());
  EXPECT_NE(std::find(cr, log.end(), "  Number of words: 3"), log.end());
  // Each of THE, CAT, SAT in both files.
  EXPECT_TRUE(HasLine(ResultLines(), "     3\tWords appear in  2 input files"));
}

// Peak resident memory of this process in kB since the last reset, or -1 when the system
// cannot reset or report it.
long ResetPeakMemory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.close();
  return clear ? 0 : -1;
}
long PeakMemoryKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

TEST_F(BadInputTest, FiftyMegabyteLine) {
  // 50,000 pieces of 1000 bytes on one line: two words and filler. The pieces do not divide the
  // reader's blocks evenly, so some words straddle two blocks.
  std::string piece = "alpha beta " + std::string(989, '.');
  std::string line;
  line.reserve(piece.size() * 50000 + 1);
  for (int i = 0; i < 50000; ++i) line += piece;
  line += "\n";
  Put("long.txt", line);
  line.clear();
  line.shrink_to_fit();
  const bool measured = ResetPeakMemory() == 0;
  const long before = PeakMemoryKb();
  Run({"long.txt"});
  const long peak = PeakMemoryKb();
  ASSERT_EQ(outcome.reportsWritten, 1);
  EXPECT_EQ(engine.counters.TotalTokens, 100000);
  EXPECT_EQ(engine.counters.OtherTypes, 2);
  EXPECT_TRUE(LogHas("  Number of lines: 1"));
  EXPECT_TRUE(HasLine(ResultLines(), "ALPHA" + Sp(25) + "\t     1\t 50000\t 50000"));
  // The line is held a few times over (read buffer, line, upper-cased copy), never the file
  // many times: 50 MB line, at most 250 MB more.
  if (measured && before > 0 && peak > 0) {
    RecordProperty("peak_growth_kb", std::to_string(peak - before));
    EXPECT_LT(peak - before, 250 * 1024) << "peak grew by " << (peak - before) << " kB";
  }
}

TEST_F(BadInputTest, NamesWithBlanksDollarsAndEightBitBytes) {
  const std::string folder = "dir $HOME \xff";
  ASSERT_EQ(mkdir(dir.File(folder).c_str(), 0755), 0);
  const std::string name = folder + "/my text $1 \xe9t\xe9.txt";
  Put(name, "The cat sat.\n");
  host.options.BatchFiles = true;
  host.options.Mark_Texts = true;
  Run({name}, "");
  ASSERT_EQ(outcome.reportsWritten, 1);
  const std::string results = folder + "/my text $1 \xe9t\xe9_quarn.txt";
  EXPECT_EQ(host.resultsFileShown, dir.File(results));
  EXPECT_EQ(ResultLines(results).front(), " Processing file: " + dir.File(name));
  EXPECT_TRUE(Exists(dir.File(folder + "/my text $1 \xe9t\xe9.mrk")));

  // Without BatchFiles, a results name of the same kind.
  host.options = RunOptions{};
  Run({name}, folder + "/res $ults \xe9.txt");
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_EQ(ResultLines(folder + "/res $ults \xe9.txt").back(), " ...Finished");
}

TEST_F(BadInputTest, FaultyBasewordLines) {
  std::string longWord(10000, 'a');
  Put("BASEWRD1.txt",
      "#comment\n"
      "\tORPHAN 3\n"
      "12345\n"
      "\tUNDERNUMBER 4\n"
      "THE 99999999999\n"
      "\tTHEM 2\n"
      "CAT\0DOG 3\n"s +
          longWord + " 7\n" + "\xe9t\xe9 2\r\n");
  // Nothing but NULs and noise: no entry at all.
  Put("BASEWRD2.txt", "\0\0\0\n\x80\x81\n\t\0\n"s);
  // Counts at and beyond the limit.
  Put("BASEWRD3.txt",
      "SAT 2147483647\nMAT 2147483648\nRAT 0X80000001\nBAT 0X7FFFFFFF\nHAT 12abc34\n");
  Put("text.txt", "The them cat dog \xe9t\xe9 " + std::string(10000, 'a') + " orphan sat\n");
  Run({"text.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  const RunCounters& c = engine.counters;
  // 10,000 a's scan as 333 words of 30 and one of 10; the list's long word keeps 30.
  EXPECT_EQ(c.TotalTokens, 341);
  EXPECT_EQ(c.ListTokens[1], 337);  // THE THEM CAT ÉTÉ and 333 x A30
  EXPECT_EQ(c.ListTypes[1], 5);
  EXPECT_EQ(c.ListFamilies[1], 4);
  EXPECT_EQ(c.ListFileHeadwords[1], 4);
  EXPECT_EQ(c.ListFileMembers[1], 1);  // THEM; ORPHAN and UNDERNUMBER have no headword
  EXPECT_EQ(c.ListFileHeadwords[2], 0);
  EXPECT_EQ(c.ListFileHeadwords[3], 5);
  EXPECT_EQ(c.ListTokens[3], 1);
  EXPECT_EQ(c.OtherTypes, 3);  // DOG, A10, ORPHAN
  EXPECT_EQ(LogCount("Member word in basewrd file has no associated headword! Skipping line: 2"),
            1u);
  EXPECT_EQ(LogCount("Invalid Headword in basewrd file! Skipping line: 3"), 1u);
  EXPECT_EQ(LogCount("Member word in basewrd file has no associated headword! Skipping line: 4"),
            1u);
  EXPECT_EQ(LogCount("Entry: THEhas bad count value: 99999999999 resetting to zero"), 1u);
  EXPECT_EQ(LogCount("Entry: MAThas bad count value: 2147483648 resetting to zero"), 1u);
  EXPECT_EQ(LogCount("Entry: RAThas bad count value: 0 resetting to zero"), 1u);
  EXPECT_EQ(LogCount("Entry: HAThas bad count value: 12 resetting to zero"), 1u);

  // Writing the counts back keeps every entry: a second run reads the same lists.
  host.options.Udate_Basewords = true;
  Run({"text.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  host.options.Udate_Basewords = false;
  Run({"text.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  EXPECT_EQ(engine.counters.ListTokens[1], 337);
  EXPECT_EQ(engine.counters.ListFileHeadwords[1], 4);
  EXPECT_EQ(engine.counters.ListFileHeadwords[3], 5);
  EXPECT_EQ(engine.counters.OtherTypes, 3);
}

TEST_F(BadInputTest, FaultyStopFileLines) {
  engine.ListCount = 0;
  const std::string stop =
      Put("stop.txt", "the\n\n\0\0\n\xe9t\xe9\n  cat\n"s + std::string(10000, 'x'));
  Put("text.txt", "the cat \xe9t\xe9 " + std::string(40, 'x') + "\n");
  host.options.UseStopList = true;
  engine.stopList.emplace();
  ASSERT_TRUE(LoadStopList(engine, stop).ok());
  Run({"text.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  // THE, ÉTÉ and the first 30 x's are stop words; "  CAT" is kept with its blanks and matches
  // nothing.
  EXPECT_EQ(engine.counters.TotalTokens, 2);
  EXPECT_EQ(engine.counters.OtherTypes, 2);
  std::vector<std::string> lines = ResultLines();
  EXPECT_TRUE(HasLine(lines, "CAT" + Sp(27) + "\t     1\t     1\t     1"));
  EXPECT_TRUE(HasLine(lines, std::string(10, 'X') + Sp(20) + "\t     1\t     1\t     1"));
}

TEST_F(BadInputTest, FaultyCharacterClassLines) {
  engine.ListCount = 0;
  Put("quarn.txt",
      "A 2\n"
      "B 2\n"
      "C 99999999999\n"
      "D -1\n"
      "E $02\n"
      "\xc9 2\n"
      "G x\n"
      "\0 2\n"
      "  I 2\n"
      "# J 2\n"s +
          std::string(10000, 'H') + "\n");
  Put("text.txt",
      "ABCDE cab ea \xe9"
      "a gig hhh j\n");
  Run({"text.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  // Letters: A B E É I. C, G, H and J are separators; D (255) continues a word but starts none.
  // ABCDE -> AB, E; CAB -> AB; EA; ÉA; GIG -> I.
  EXPECT_EQ(engine.counters.TotalTokens, 6);
  EXPECT_EQ(engine.counters.OtherTypes, 5);
  std::vector<std::string> lines = ResultLines();
  EXPECT_TRUE(HasLine(lines, "AB" + Sp(28) + "\t     1\t     2\t     2"));
  EXPECT_TRUE(HasLine(lines,
                      "\xc9"
                      "A" +
                          Sp(28) + "\t     1\t     1\t     1"));
  EXPECT_TRUE(HasLine(lines, "I" + Sp(29) + "\t     1\t     1\t     1"));
}

TEST_F(BadInputTest, ListCountZeroNeedsNoListFiles) {
  std::remove(dir.File("BASEWRD1.txt").c_str());
  std::remove(dir.File("BASEWRD2.txt").c_str());
  std::remove(dir.File("BASEWRD3.txt").c_str());
  engine.ListCount = 0;
  Run({"a.txt"});
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(engine.counters.OtherTypes, 3);
}

// A word of letters only for list n: W followed by n in letters (0 = A, 1 = B, ...).
std::string ListWord(int n) {
  std::string w = "W";
  for (char d : std::to_string(n)) w += static_cast<char>('A' + (d - '0'));
  return w;
}

TEST_F(BadInputTest, SixtyFourListsAreTheMost) {
  for (int n = 1; n <= 64; ++n) Put("BASEWRD" + std::to_string(n) + ".txt", ListWord(n) + " 0\n");
  Put("text.txt", ListWord(1) + " " + ListWord(33) + " " + ListWord(64) + "\n");
  engine.ListCount = 64;
  Run({"text.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  std::vector<std::string> lines = ResultLines();
  EXPECT_TRUE(HasLine(
      lines, "64" + Sp(18) + "       1/33.33" + Sp(8) + "       1/33.33" + Sp(8) + "       1"));
  EXPECT_TRUE(HasLine(
      lines, "63" + Sp(18) + "       0/ 0.00" + Sp(8) + "       0/ 0.00" + Sp(8) + "       0"));
  EXPECT_TRUE(HasLine(lines, "Types Found In Base List 64"));
  EXPECT_TRUE(HasLine(lines, "BASE 64FAMILIES" + Sp(15) + "\t RANGE\tTYFREQ\tFAFREQ\t    F1"));
  EXPECT_TRUE(LogHas(" Number of BASEWRD64.txt types: 1  Number of BASEWRD64.txt families: 1"));
}

TEST_F(BadInputTest, NinetyNineListsAreRefused) {
  engine.ListCount = 99;
  Run({"a.txt"});
  EXPECT_EQ(outcome.reportsWritten, 0);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "Too many baseword files, cannot run");
  EXPECT_EQ(ReadFile(dir.File("out_quarn.txt")), "earlier results\r\n");
  EXPECT_FALSE(Exists(dir.File("tree.dvp")));
}

TEST_F(BadInputTest, SixtyFourInputFilesWithoutBatch) {
  Run(std::vector<std::string>(64, "a.txt"));
  ASSERT_EQ(outcome.reportsWritten, 1);
  // THE, CAT and SAT are each in all 64 files.
  EXPECT_TRUE(HasLine(ResultLines(), "     3\tWords appear in 64 input files"));
  EXPECT_TRUE(HasPrefix(ResultLines(), "THE" + Sp(27) + "\t    64\t    64\t     1\t     1"));
}

// A hundred thousand names, nearly all missing or folders: each gets its message, in list order,
// and all go from the list at once; the hundred texts left make one run.
TEST_F(BadInputTest, HundredThousandNamesMostlyMissingOrFolders) {
  ASSERT_EQ(mkdir(dir.File("sub").c_str(), 0755), 0);
  std::vector<std::string> names;
  for (int i = 0; i < 100000; ++i) {
    if (i % 1000 == 999) {
      names.push_back("a.txt");
    } else if (i % 3 == 0) {
      names.push_back("sub");
    } else {
      names.push_back("gone" + std::to_string(i) + ".txt");
    }
  }
  Run(names);
  EXPECT_EQ(host.bulkRemovals, 1);
  EXPECT_EQ(host.inputLines, std::vector<std::string>(100, dir.File("a.txt")));
  EXPECT_EQ(LogCount(" not found"), 99900u);
  EXPECT_EQ(engine.progress.lines[0], "ERROR " + dir.File("sub") + " not found");
  EXPECT_EQ(engine.progress.lines[1], "ERROR " + dir.File("gone1.txt") + " not found");
  EXPECT_EQ(engine.progress.lines[99899], "ERROR " + dir.File("gone99998.txt") + " not found");
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_TRUE(HasLine(ResultLines(), "     3\tWords appear in 100 input files"));
}

TEST_F(BadInputTest, ThousandInputFilesWithBatch) {
  std::vector<std::string> names;
  for (int i = 1; i <= 1000; ++i) {
    names.push_back("t" + std::to_string(i) + ".txt");
    Put(names.back(), i == 1000 ? "The the cat.\n" : "The cat sat.\n");
  }
  host.options.BatchFiles = true;
  Run(names, "");
  EXPECT_FALSE(engine.failed());
  EXPECT_EQ(outcome.reportsWritten, 1000);
  EXPECT_EQ(engine.FileNumber, 1000);
  EXPECT_EQ(host.resultsFileShown, dir.File("t1000_quarn.txt"));
  // Each report covers its own file alone, counted in the first slot.
  std::vector<std::string> last = ResultLines("t1000_quarn.txt");
  EXPECT_TRUE(HasLine(last, "THE" + Sp(27) + "\t     1\t     2\t     2"));
  EXPECT_TRUE(HasLine(last, "     2\tWords appear in  1 input files"));
  EXPECT_EQ(ResultLines("t999_quarn.txt").back(), " ...Finished");
  EXPECT_FALSE(Exists(dir.File("tree.dvp")));
  EXPECT_FALSE(Exists(dir.File("temp$$$.dvp")));
}

}  // namespace
}  // namespace quarn::testing
