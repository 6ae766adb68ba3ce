#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "report/ListWriters.h"
#include "report/Report.h"
#include "report/Sort.h"
#include "state/Engine.h"
#include "store/WordTree.h"
#include "text/TextWriter.h"

namespace quarn {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::TestHost;

const std::string kCrLf = "\r\n";

std::string Blanks(size_t n) { return std::string(n, ' '); }

// The type header for files 1..files.
std::string TypeHeader(int files) {
  std::string h = "TYPE" + Blanks(26) + "\t RANGE\t  FREQ";
  for (int k = 1; k <= files; ++k) h += "\t    F" + std::to_string(k);
  return h;
}

TreeNode Record(const std::string& word, int32_t list, const std::vector<int32_t>& counts) {
  TreeNode n = MakeBlankNode();
  n.SetWord(word);
  n.ListCode = list;
  n.Frequency = 0;
  for (size_t k = 0; k < counts.size(); ++k) {
    n.FileCounts(static_cast<int>(k) + 1) = counts[k];
    n.Frequency += counts[k];
  }
  return n;
}

TreeNode Family(const std::string& head, int32_t list, int32_t headFreq, int32_t famFreq,
                const std::vector<int32_t>& counts) {
  TreeNode n = Record(head, list, counts);
  n.Frequency = headFreq;
  n.FamilyFrequency = famFreq;
  return n;
}

class ListWritersTest : public ::testing::Test {
 protected:
  ListWritersTest() : e(host) {
    EXPECT_TRUE(testing::OpenEmptyStore(e, dir.path()));
    EXPECT_TRUE(TextWriter::Open(e.fs, e.ScratchFilePath(), false, &e.scratchFile).ok());
    e.options.sortbyalpha = false;
  }

  int32_t Add(TreeNode node) {
    WriteNode(e, ++e.tree.NodeCount, node);
    return e.tree.NodeCount;
  }

  std::string Output() {
    EXPECT_TRUE(e.scratchFile->Close().ok());
    return ReadFile(e.ScratchFilePath());
  }

  TestHost host;
  TempDir dir;
  Engine e;
};

TEST_F(ListWritersTest, TypeSectionBytes) {
  SetFileNumber(e, 2);
  Add(Record("DOG", 2, {1, 1}));  // another list
  Add(Record("CAT", 1, {3, 0}));
  Add(Record("EMU", 1, {0, 0}));  // a list word never met in the texts
  listtypes(e, *e.scratchFile, 1);
  std::string row = "CAT" + Blanks(27) + "\t     1\t     3\t     3\t     0";
  EXPECT_EQ(Output(), kCrLf + TypeHeader(2) + kCrLf + row + kCrLf + kCrLf);
  EXPECT_EQ(e.counters.TypeRangeTable[1], 1);
  EXPECT_EQ(e.counters.TypeRangeTable[2], 0);
  EXPECT_FALSE(e.failed());
}

TEST_F(ListWritersTest, ThirtyAndTwentyNineCharacterWordsGetOneBlank) {
  const std::string w30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZABCD";
  const std::string w29 = w30.substr(0, 29);
  ASSERT_EQ(w30.size(), 30u);
  Add(Record(w30, 66, {2}));
  Add(Record(w29, 66, {1}));
  listtypes(e, *e.scratchFile, 66);
  std::string expected = kCrLf + TypeHeader(1) + kCrLf + w30 + " \t     1\t     2\t     2" + kCrLf +
                         w29 + " \t     1\t     1\t     1" + kCrLf + kCrLf;
  EXPECT_EQ(Output(), expected);
}

TEST_F(ListWritersTest, TenOrMoreFilesWidenTheHeaderAndWideNumbersAreWrittenInFull) {
  SetFileNumber(e, 11);
  std::vector<int32_t> counts(11, 0);
  counts[9] = 4;
  counts[10] = 12345678;
  Add(Record("BIG", 3, counts));
  listtypes(e, *e.scratchFile, 3);
  std::string header = TypeHeader(11);
  EXPECT_NE(header.find("\t    F9\t    F10\t    F11"), std::string::npos);
  std::string row = "BIG" + Blanks(27) + "\t     2\t12345682";
  for (int k = 1; k <= 9; ++k) row += "\t     0";
  row += "\t     4\t12345678";
  EXPECT_EQ(Output(), kCrLf + header + kCrLf + row + kCrLf + kCrLf);
  EXPECT_EQ(e.counters.TypeRangeTable[2], 1);
}

TEST_F(ListWritersTest, RangeCountsOnlyTheFilesOfTheReport) {
  SetFileNumber(e, 3);
  Add(Record("ONE", 1, {2, 0, 0, 9}));  // slot 4 is no file of this report
  Add(Record("TWO", 1, {0, 1, 1}));
  Add(Record("TOO", 1, {1, 0, 5}));
  Add(Record("ALL", 1, {1, 1, 1}));
  listtypes(e, *e.scratchFile, 1);
  std::string out = Output();
  EXPECT_NE(out.find("ONE" + Blanks(27) + "\t     1\t    11\t     2\t     0\t     0\r\n"),
            std::string::npos);
  EXPECT_EQ(e.counters.TypeRangeTable[1], 1);
  EXPECT_EQ(e.counters.TypeRangeTable[2], 2);
  EXPECT_EQ(e.counters.TypeRangeTable[3], 1);
  EXPECT_EQ(e.counters.TypeRangeTable[4], 0);
  EXPECT_EQ(e.counters.FamilyRangeTable[1], 0);
}

TEST_F(ListWritersTest, BatchFilesShowsOneFileColumnWhateverTheFileNumber) {
  SetFileNumber(e, 5);
  e.options.BatchFiles = true;
  Add(Record("OWL", 66, {3}));
  listtypes(e, *e.scratchFile, 66);
  std::string row = "OWL" + Blanks(27) + "\t     1\t     3\t     3";
  EXPECT_EQ(Output(), kCrLf + TypeHeader(1) + kCrLf + row + kCrLf + kCrLf);
  EXPECT_EQ(e.counters.TypeRangeTable[1], 1);
}

TEST_F(ListWritersTest, WriteNumbersOffLeavesBareWordsButTheFullHeader) {
  SetFileNumber(e, 2);
  e.options.Writenumbers = false;
  Add(Record("CAT", 2, {3, 1}));
  listtypes(e, *e.scratchFile, 2);
  EXPECT_EQ(Output(), kCrLf + TypeHeader(2) + kCrLf + "CAT" + kCrLf + kCrLf);
  EXPECT_EQ(e.counters.TypeRangeTable[2], 1);
}

TEST_F(ListWritersTest, EmptyListStillHasItsLinesInEitherOrder) {
  Add(Record("CAT", 2, {3}));
  listtypes(e, *e.scratchFile, 1);
  e.options.sortbyalpha = true;
  listtypes(e, *e.scratchFile, 1);
  std::string section = kCrLf + TypeHeader(1) + kCrLf + kCrLf;
  EXPECT_EQ(Output(), section + section);
}

TEST_F(ListWritersTest, FamilySectionContinuesTheTitleLine) {
  SetFileNumber(e, 2);
  Add(Record("DOG", 1, {2, 2}));          // the headword's type row, not a family
  Add(Family("EMU", 100, 3, 0, {0, 0}));  // no occurrences of the family
  Add(Family("DOG", 100, 4, 9, {5, 4}));
  Add(Family("ANT", 200, 1, 1, {1, 0}));  // another list's family
  e.scratchFile->Write("BASE ONE FAMILIES" + Blanks(13));
  listfamilies(e, *e.scratchFile, 100);
  std::string title = "BASE ONE FAMILIES" + Blanks(13) + "\t RANGE\tTYFREQ\tFAFREQ\t    F1\t    F2";
  std::string row = "DOG" + Blanks(27) + "\t     2\t     4\t     9\t     5\t     4";
  EXPECT_EQ(Output(), title + kCrLf + row + kCrLf + kCrLf);
  EXPECT_EQ(e.counters.FamilyRangeTable[2], 1);
  EXPECT_EQ(e.counters.TypeRangeTable[2], 0);
}

TEST_F(ListWritersTest, FamilyRowsWithBatchFilesAndWithoutNumbers) {
  SetFileNumber(e, 3);
  e.options.BatchFiles = true;
  Add(Family("HEN", 300, 0, 2, {2}));
  listfamilies(e, *e.scratchFile, 300);
  e.options.Writenumbers = false;
  listfamilies(e, *e.scratchFile, 300);
  std::string header = "\t RANGE\tTYFREQ\tFAFREQ\t    F1";
  std::string row = "HEN" + Blanks(27) + "\t     1\t     0\t     2\t     2";
  EXPECT_EQ(Output(),
            header + kCrLf + row + kCrLf + kCrLf + header + kCrLf + "HEN" + kCrLf + kCrLf);
  EXPECT_EQ(e.counters.FamilyRangeTable[1], 2);
}

// Trees by hand: C holds CAB < CAT < COW with CAT at the root; '1' is a letter by a custom class
// table and its tree comes before 'A'.
class TreeWalkTest : public ListWritersTest {
 protected:
  void BuildTrees() {
    TreeNode zebra = Record("ZEBRA", 1, {1});
    e.tree.WordRoots['Z'] = Add(zebra);
    TreeNode cat = Record("CAT", 1, {2});
    cat.Left = 4;
    cat.Right = 3;
    e.tree.WordRoots['C'] = Add(cat);
    Add(Record("COW", 1, {1}));
    Add(Record("CAB", 1, {5}));
    e.tree.WordRoots['1'] = Add(Record("1ST", 1, {1}));
    TreeNode ape = Record("APE", 1, {0});  // in the list, never met
    ape.Right = 7;
    e.tree.WordRoots['A'] = Add(ape);
    Add(Record("AXE", 2, {1}));  // another list
    e.tree.FamilyRoots['Z'] = Add(Family("ZEBRA", 100, 1, 1, {1}));
    TreeNode cow = Family("COW", 100, 1, 3, {3});
    cow.Left = 10;
    e.tree.FamilyRoots['C'] = Add(cow);
    Add(Family("CAT", 100, 2, 7, {7}));
  }
};

TEST_F(TreeWalkTest, SortByAlphaWalksTheTreesInCharacterOrder) {
  BuildTrees();
  e.options.Writenumbers = false;
  e.options.sortbyalpha = true;
  listtypes(e, *e.scratchFile, 1);
  listfamilies(e, *e.scratchFile, 100);
  std::vector<std::string> lines = testing::SplitCrLf(Output());
  std::vector<std::string> want = {"",
                                   TypeHeader(1),
                                   "1ST",
                                   "CAB",
                                   "CAT",
                                   "COW",
                                   "ZEBRA",
                                   "",
                                   "\t RANGE\tTYFREQ\tFAFREQ\t    F1",
                                   "CAT",
                                   "COW",
                                   "ZEBRA",
                                   ""};
  EXPECT_EQ(lines, want);
}

TEST_F(TreeWalkTest, WithoutSortByAlphaRowsComeInOrderOfCreation) {
  BuildTrees();
  e.options.Writenumbers = false;
  RunCounters before = e.counters;
  listtypes(e, *e.scratchFile, 1);
  // Storage order reads every record once.
  EXPECT_EQ(e.counters.CacheNodesRead - before.CacheNodesRead, e.tree.NodeCount);
  listfamilies(e, *e.scratchFile, 100);
  std::vector<std::string> lines = testing::SplitCrLf(Output());
  std::vector<std::string> want = {"",
                                   TypeHeader(1),
                                   "ZEBRA",
                                   "CAT",
                                   "COW",
                                   "CAB",
                                   "1ST",
                                   "",
                                   "\t RANGE\tTYFREQ\tFAFREQ\t    F1",
                                   "ZEBRA",
                                   "COW",
                                   "CAT",
                                   ""};
  EXPECT_EQ(lines, want);
}

TEST_F(ListWritersTest, SortedStoreIsListedInFrequencyOrderWithoutTheBlankRecord) {
  SetFileNumber(e, 2);
  e.options.Writenumbers = false;
  Add(Record("ZOO", 66, {2, 3}));
  Add(Record("APE", 66, {5, 0}));
  Add(Record("CAT", 66, {9, 0}));
  Add(Record("OAK", 1, {20, 0}));
  Add(e.tree.BlankNode);
  sortnodes(e, 1, e.tree.NodeCount, SortOrder::Frequency);
  listtypes(e, *e.scratchFile, 66);
  EXPECT_EQ(Output(), kCrLf + TypeHeader(2) + kCrLf + "CAT\r\nAPE\r\nZOO\r\n" + kCrLf);
  EXPECT_EQ(e.counters.TypeRangeTable[1], 2);
  EXPECT_EQ(e.counters.TypeRangeTable[2], 1);
}

// The dumps find a list's records through listRows: every record once, by code and then by
// node, whether the codes lie close together or far apart.
TEST_F(ListWritersTest, ListRowsHoldEveryRecordByCodeThenNode) {
  e.fastPaths = true;
  using Rows = std::vector<std::pair<int32_t, int32_t>>;
  for (const int32_t code : {66, 1, 100, 66, -5, 1, 0, 100}) Add(Record("W", code, {1}));
  FillListRows(e);
  EXPECT_EQ(e.listRows,
            (Rows{{-5, 5}, {0, 7}, {1, 2}, {1, 6}, {66, 1}, {66, 4}, {100, 3}, {100, 8}}));
  for (const int32_t code : {INT32_MAX, INT32_MIN, 66, INT32_MIN}) Add(Record("W", code, {1}));
  FillListRows(e);
  EXPECT_EQ(e.listRows, (Rows{{INT32_MIN, 10},
                              {INT32_MIN, 12},
                              {-5, 5},
                              {0, 7},
                              {1, 2},
                              {1, 6},
                              {66, 1},
                              {66, 4},
                              {66, 11},
                              {100, 3},
                              {100, 8},
                              {INT32_MAX, 9}}));
  ClearListRows(e);
  EXPECT_TRUE(e.listRows.empty());
}

// A list of many records has its rows formatted on two threads: the section, the range table
// and the reads counted are those of the one-row-at-a-time dump, records in the record file
// included.
TEST_F(ListWritersTest, ALongListDumpedOnTwoThreadsIsTheListDumpedOnOne) {
  e.tree.MemoryNodeLimit = 5000;
  SetFileNumber(e, 3);
  for (int i = 1; i <= 40000; ++i) {
    std::string word = "W";
    for (int v = i; v != 0; v /= 26) word += static_cast<char>('A' + v % 26);
    const int32_t list = i % 7 == 0 ? 1 : kNoListCode;
    Add(Record(word, list, {i % 3, i % 5 == 0 ? 0 : i, i % 11 == 0 ? 1000000 + i : 0}));
  }
  auto dump = [&](bool fast) {
    e.fastPaths = fast;
    EXPECT_TRUE(TextWriter::Open(e.fs, e.ScratchFilePath(), false, &e.scratchFile).ok());
    e.counters.TypeRangeTable = {};
    const RunCounters before = e.counters;
    if (fast) FillListRows(e);
    listtypes(e, *e.scratchFile, kNoListCode);
    listtypes(e, *e.scratchFile, 1);
    ClearListRows(e);
    const RunCounters after = e.counters;
    EXPECT_EQ(after.CacheNodesRead - before.CacheNodesRead, 2 * 5000);
    EXPECT_EQ(after.DiskNodesRead - before.DiskNodesRead, 2 * 35000);
    return std::make_pair(Output(), after.TypeRangeTable);
  };
  const auto [slowText, slowRanges] = dump(false);
  const auto [fastText, fastRanges] = dump(true);
  EXPECT_EQ(slowRanges, fastRanges);
  EXPECT_GT(slowRanges[2], 10000);
  ASSERT_EQ(slowText.size(), fastText.size());
  EXPECT_TRUE(slowText == fastText);
}

TEST_F(ListWritersTest, InlistNeedsAWordAndTheListCode) {
  TreeNode blank = MakeBlankNode();
  EXPECT_FALSE(inlist(blank, 0));
  blank.ListCode = 66;
  EXPECT_FALSE(inlist(blank, 66));
  TreeNode cat = Record("CAT", 66, {1});
  EXPECT_TRUE(inlist(cat, 66));
  EXPECT_FALSE(inlist(cat, 1));
}

// The sections go through the scratch file when the range tables cannot be counted first:
// without one the run fails instead of writing anywhere.
TEST_F(ListWritersTest, MissingScratchFileFailsTheRun) {
  e.fastPaths = false;
  e.scratchFile.reset();
  ASSERT_TRUE(TextWriter::Open(e.fs, dir.File("r.txt"), false, &e.resultsFile).ok());
  Add(Record("CAT", 66, {1}));
  WriteReport(e);
  EXPECT_TRUE(e.failed());
  EXPECT_EQ(e.runError.path(), e.ScratchFilePath());
  EXPECT_EQ(e.counters.TypeRangeTable[1], 0);
}

TEST(PercentCell, TwoDecimalsInFiveColumns) {
  EXPECT_EQ(percentcell(1, 3), "33.33");
  EXPECT_EQ(percentcell(2, 3), "66.67");
  EXPECT_EQ(percentcell(1, 200), " 0.50");
  EXPECT_EQ(percentcell(1, 20), " 5.00");
  EXPECT_EQ(percentcell(3, 3), "100.00");
  EXPECT_EQ(percentcell(1, 0), " 0.00");
  EXPECT_EQ(percentcell(0, 0), " 0.00");
  EXPECT_EQ(percentcell(0, 7), " 0.00");
}

TEST(ElapsedText, Table) {
  struct Row {
    int32_t seconds;
    const char* text;
  };
  const Row rows[] = {
      {45, "45 Seconds"},
      {60, "60 Seconds"},
      {61, "61 Seconds or 1 Minute 1 Seconds "},
      {120, "120 Seconds or 2 Minutes 0 Seconds "},
      {3600, "3600 Seconds or 60 Minutes 0 Seconds "},
      {3601, "3601 Seconds or 1 Hour 1 Seconds "},
      {3725, "3725 Seconds or 1 Hour 2 Minutes 5 Seconds "},
      {7260, "7260 Seconds or 2 Hours 60 Seconds "},
      {7320, "7320 Seconds or 2 Hours 2 Minutes 0 Seconds "},
      {86400, "86400 Seconds or 24 Hours 0 Seconds "},
      {90061, "90061 Seconds or 1 Days 1 Hour 1 Minute 1 Seconds "},
      {172800 + 59, "172859 Seconds or 2 Days 59 Seconds "},
  };
  for (const Row& r : rows) {
    std::string text = "time taken was : ";
    elapsedtext(r.seconds, text);
    EXPECT_EQ(text, std::string("time taken was : ") + r.text) << r.seconds;
  }
}

}  // namespace
}  // namespace quarn
