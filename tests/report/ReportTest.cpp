// Whole results files of small runs, worked out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RunFixture.h"

namespace quarn::testing {
namespace {

std::string Sp(size_t n) { return std::string(n, ' '); }

class ReportTest : public RunFixture {
 protected:
  void SetUp() override {
    Put("BASEWRD1.txt", "THE 0\nCAT 0\n\tCATS 0\n");
    Put("BASEWRD2.txt", "SAT 0\n");
    Put("a.txt", "The cat sat on the mat.\n");
    Put("b.txt", "Cats sat.\n");
    engine.ListCount = 2;
  }
  std::string TypeHeader() { return "TYPE" + Sp(26) + "\t RANGE\t  FREQ\t    F1\t    F2"; }
  std::string FamilyHeader() { return "\t RANGE\tTYFREQ\tFAFREQ\t    F1\t    F2"; }
};

TEST_F(ReportTest, TwoFilesTwoListsAlphabetical) {
  Run({"a.txt", "b.txt"});
  const std::string d = dir.path();
  std::vector<std::string> expected = {
      " Processing file: " + d + "a.txt", "", "", "  Number of lines: 1", "  Number of words: 6", "",
      " Processing file: " + d + "b.txt", "", "", "  Number of lines: 1", "  Number of words: 2", "",
      "  Reading: " + d + "BASEWRD1.txt", "  Reading: " + d + "BASEWRD2.txt", "", "",
      "WORD LIST" + Sp(16) + "TOKENS/%" + Sp(13) + "TYPES/%" + Sp(13) + "FAMILIES", "",
      "one" + Sp(20) + "       4/50.00" + Sp(8) + "       3/50.00" + Sp(8) + "       2",
      "two" + Sp(20) + "       2/25.00" + Sp(8) + "       1/16.67" + Sp(8) + "       1",
      "not in the lists" + Sp(7) + "       2/25.00" + Sp(8) + "       2/33.33" + Sp(10) + "?????",
      "", "Total" + Sp(18) + "       8" + Sp(13) + "       6" + Sp(13) + "       3", "", "", "",
      " ", " Number of BASEWRD1.txt types: 3  Number of BASEWRD1.txt families: 2",
      " Number of BASEWRD2.txt types: 1  Number of BASEWRD2.txt families: 1", "",
      "Table of Ranges: Types", "", "     5\tWords appear in  1 input files",
      "     1\tWords appear in  2 input files", "", "Table of Ranges: Families", "",
      "     1\tWords appear in  1 input files", "     2\tWords appear in  2 input files", "", "",
      "Types Found In Base List One", "", TypeHeader(),
      "CAT" + Sp(27) + "\t     1\t     1\t     1\t     0",
      "CATS" + Sp(26) + "\t     1\t     1\t     0\t     1",
      "THE" + Sp(27) + "\t     1\t     2\t     2\t     0", "",
      "Types Found In Base List Two", "", TypeHeader(),
      "SAT" + Sp(27) + "\t     2\t     2\t     1\t     1", "", "", "LIST OF FAMILY GROUPS", "",
      "BASE ONE FAMILIES" + Sp(13) + FamilyHeader(),
      "CAT" + Sp(27) + "\t     2\t     1\t     2\t     1\t     1",
      "THE" + Sp(27) + "\t     1\t     2\t     2\t     2\t     0", "",
      "BASE TWO FAMILIES" + Sp(13) + FamilyHeader(),
      "SAT" + Sp(27) + "\t     2\t     2\t     2\t     1\t     1", "", "",
      "Types Not Found In Any List", "", TypeHeader(),
      "MAT" + Sp(27) + "\t     1\t     1\t     1\t     0",
      "ON" + Sp(28) + "\t     1\t     1\t     1\t     0", "", "", "",
      " time taken was : 1 Seconds", "",
      // Traffic worked out by hand: scanning 3 reads 10 writes, loading 5 reads 7 writes, the
      // alphabetical walks 3 x 6 word nodes and 2 x 3 family records.
      "Number of cache nodes read:                     32",
      "Number of cache nodes written:                  17",
      "Number of disk nodes read:                       0",
      "Number of disk nodes written:                    0",
      "Number of nodes per second,                      0",
      "Total Number of words,                           8",
      "Number of words per second,                      8",
      "Number of unique words in tree,                  6",
      "Number of unique words per second,               6",
      "Memory used,                                  3.00 MB",
      "Size of node,                                  316 bytes",
      "Memory used by nodes,                         0.00 MB", " ", "", " ...Finished"};
  std::vector<std::string> actual = ResultLines();
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << "line " << i + 1;
  EXPECT_TRUE(ScratchFilesGone());
  EXPECT_FALSE(engine.ResultsFileOpen());
}

TEST_F(ReportTest, FrequencyOrderAndNoNumbers) {
  host.options.sortbyalpha = false;
  host.options.sortbyfreq = true;
  host.options.Writenumbers = false;
  Put("c.txt", "zoo ape ape zoo cat cat cat\n");
  engine.ListCount = 0;
  Run({"c.txt"});
  std::vector<std::string> lines = ResultLines();
  auto at = std::find(lines.begin(), lines.end(), "Types Not Found In Any List");
  ASSERT_NE(at, lines.end());
  // Header in full even without numbers; rows by frequency, ties alphabetical.
  std::vector<std::string> section(at + 1, at + 7);
  EXPECT_EQ(section, (std::vector<std::string>{"", "TYPE" + Sp(26) + "\t RANGE\t  FREQ\t    F1",
                                                "CAT", "APE", "ZOO", ""}));
  // ListCount 0: no list rows, every token in no list at 100.00.
  auto row = std::find_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("not in the lists", 0) == 0; });
  ASSERT_NE(row, lines.end());
  EXPECT_EQ(*row, "not in the lists" + Sp(7) + "       7/100.00" + Sp(8) + "       3/100.00" +
                      Sp(10) + "?????");
  EXPECT_EQ(*(row - 2), "WORD LIST" + Sp(16) + "TOKENS/%" + Sp(13) + "TYPES/%" + Sp(13) + "FAMILIES");
  // The lists are on, so the family heading stands although there is no list to follow it.
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "LIST OF FAMILY GROUPS"), 1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("Number of BASEWRD", 1) == 1; }),
            0);
}

TEST_F(ReportTest, CreationOrderWithoutSortBox) {
  host.options.sortbyalpha = false;
  Put("c.txt", "zoo ape cat\n");
  engine.ListCount = 0;
  Run({"c.txt"});
  std::vector<std::string> lines = ResultLines();
  auto at = std::find(lines.begin(), lines.end(), "Types Not Found In Any List");
  ASSERT_NE(at, lines.end());
  EXPECT_EQ(at[3].substr(0, 3), "ZOO");
  EXPECT_EQ(at[4].substr(0, 3), "APE");
  EXPECT_EQ(at[5].substr(0, 3), "CAT");
}

TEST_F(ReportTest, RangeOrderWithTies) {
  host.options.sortbyalpha = false;
  host.options.sortbyrange = true;
  Put("c.txt", "bee bee bee ant\n");
  Put("d.txt", "ant cow\n");
  engine.ListCount = 0;
  Run({"c.txt", "d.txt"});
  std::vector<std::string> lines = ResultLines();
  auto at = std::find(lines.begin(), lines.end(), "Types Not Found In Any List");
  ASSERT_NE(at, lines.end());
  // ANT is in two files; BEE (3 times) and COW tie on range 1 and go alphabetically.
  EXPECT_EQ(at[3].substr(0, 3), "ANT");
  EXPECT_EQ(at[4].substr(0, 3), "BEE");
  EXPECT_EQ(at[5].substr(0, 3), "COW");
}

TEST_F(ReportTest, TwelveListsLabelsAndTitles) {
  for (int n = 3; n <= 12; ++n) Put("BASEWRD" + std::to_string(n) + ".txt", "");
  Put("BASEWRD11.txt", "MAT 0\n");
  engine.ListCount = 12;
  Run({"a.txt"});
  std::vector<std::string> lines = ResultLines();
  auto has = [&](const std::string& l) {
    return std::find(lines.begin(), lines.end(), l) != lines.end();
  };
  EXPECT_TRUE(has("ten" + Sp(20) + "       0/ 0.00" + Sp(8) + "       0/ 0.00" + Sp(8) + "       0"));
  EXPECT_TRUE(has("11" + Sp(18) + "       1/16.67" + Sp(8) + "       1/20.00" + Sp(8) + "       1"));
  EXPECT_TRUE(has("12" + Sp(18) + "       0/ 0.00" + Sp(8) + "       0/ 0.00" + Sp(8) + "       0"));
  EXPECT_TRUE(has("Types Found In Base List Ten"));
  EXPECT_TRUE(has("Types Found In Base List 11"));
  EXPECT_TRUE(has("BASE 11FAMILIES" + Sp(15) + "\t RANGE\tTYFREQ\tFAFREQ\t    F1"));
  EXPECT_TRUE(has("BASE SEVEN FAMILIES" + Sp(11) + "\t RANGE\tTYFREQ\tFAFREQ\t    F1"));
  EXPECT_TRUE(has(" Number of BASEWRD12.txt types: 0  Number of BASEWRD12.txt families: 0"));
}

TEST_F(ReportTest, AllListBoxesOffReportsEveryWordOutside) {
  host.options.Basewrd1_on = host.options.Basewrd2_on = host.options.Basewrd3_on = false;
  engine.ListCount = 3;  // BASEWRD3.txt does not exist: not checked when no list is on
  Run({"a.txt"});
  std::vector<std::string> lines = ResultLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "LIST OF FAMILY GROUPS"), 0);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "three" + Sp(18) + "       0/ 0.00" + Sp(8) + "       0/ 0.00" + Sp(8) +
                          "       0"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      " Number of BASEWRD3.txt types: 0  Number of BASEWRD3.txt families: 0"),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Types Not Found In Any List"), lines.end());
}

TEST_F(ReportTest, FormsAndOthersOffDropTypesRangeTable) {
  host.options.Forms = false;
  host.options.others = false;
  Run({"a.txt"});
  std::vector<std::string> lines = ResultLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Table of Ranges: Types"), 0);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Table of Ranges: Families"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Types Found In Base List One"), 0);
}

TEST_F(ReportTest, NoWordsGivesZeroCells) {
  Put("empty.txt", "");
  Run({"empty.txt"});
  std::vector<std::string> lines = ResultLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "not in the lists" + Sp(7) + "       0/ 0.00" + Sp(8) + "       0/ 0.00" +
                          Sp(10) + "?????"),
            lines.end());
}

TEST_F(ReportTest, BatchReportsEachFileOnItsOwn) {
  host.options.BatchFiles = true;
  Put("one.TXT", "the cat\n");
  Put("two.DOS", "sat sat\n");
  Run({"one.TXT", "two.DOS"}, "");
  std::vector<std::string> first = ResultLines("one_quarn.txt");
  std::vector<std::string> second = ResultLines("two_quarn.txt");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(first[0], " Processing file: " + dir.File("one.TXT"));
  EXPECT_EQ(second[0], " Processing file: " + dir.File("two.DOS"));
  EXPECT_EQ(host.resultsFileShown, dir.File("two_quarn.txt"));
  // One count column for file 1 whatever the file's position.
  EXPECT_NE(std::find(second.begin(), second.end(),
                      "SAT" + Sp(27) + "\t     1\t     2\t     2"),
            second.end());
  EXPECT_NE(std::find(second.begin(), second.end(), "     1\tWords appear in  1 input files"),
            second.end());
  EXPECT_TRUE(ScratchFilesGone());
}

TEST_F(ReportTest, ElapsedTimeAcrossMidnightIsOneSecond) {
  int calls = 0;
  engine.clockSeconds = [&calls] { return calls++ == 0 ? 23 * 3600 + 59 * 60 + 50 : 20; };
  Run({"a.txt"});
  std::vector<std::string> lines = ResultLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), " time taken was : 1 Seconds"), lines.end());
}

TEST_F(ReportTest, StoreBeyondMemoryLimitGivesSameSectionsAndDiskTraffic) {
  Put("c.txt", "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron "
               "pi rho sigma tau upsilon phi chi psi omega the cat sat\n");
  host.options.sortbyalpha = false;
  host.options.sortbyfreq = true;
  Run({"c.txt"}, "memory_quarn.txt");
  std::vector<std::string> inMemory = ResultLines("memory_quarn.txt");

  engine.tree.MemoryNodeLimit = 5;
  Run({"c.txt"}, "disk_quarn.txt");
  std::vector<std::string> onDisk = ResultLines("disk_quarn.txt");
  ASSERT_EQ(inMemory.size(), onDisk.size());
  size_t stats = 0;
  for (size_t i = 0; i < inMemory.size(); ++i) {
    if (inMemory[i].rfind("Number of", 0) == 0 && inMemory[i].find("nodes") != std::string::npos) {
      stats = i;
      break;
    }
    if (inMemory[i].find("Processing file") != std::string::npos) continue;
    EXPECT_EQ(inMemory[i], onDisk[i]) << "line " << i + 1;
  }
  ASSERT_GT(stats, 0u);
  EXPECT_EQ(onDisk[stats + 2].find("Number of disk nodes read:"), 0u);
  EXPECT_NE(onDisk[stats + 2], "Number of disk nodes read:                       0");
}

}  // namespace
}  // namespace quarn::testing
