#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "lists/BasewordLoader.h"
#include "lists/StopList.h"
#include "state/Engine.h"
#include "store/WordEntry.h"
#include "store/WordTree.h"
#include "text/CharClassTable.h"

namespace quarn {
namespace {

using testing::TempDir;
using testing::TestHost;
using testing::WriteFile;
using Lines = std::vector<std::string>;

class BasewordLoaderTest : public ::testing::Test {
 protected:
  BasewordLoaderTest() : e(host) {
    EXPECT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  }

  // Enters word as the scanner would, `times` occurrences in the current input file.
  void Occur(const std::string& word, int times = 1) {
    for (int i = 0; i < times; ++i)
      addtowrdlist(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word, e.tree.wordGrow);
  }
  TreeNode Word(const std::string& word) {
    TreeNode node{};
    checklist(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word, &node);
    return node;
  }
  int32_t Code(const std::string& word) { return Word(word).ListCode; }
  // The family record of headword, NodeNumber -1 when there is none.
  TreeNode Family(const std::string& head) {
    TreeNode node{};
    checklist(e, e.tree.FamilyRoots[static_cast<unsigned char>(head[0])], head, &node);
    return node;
  }
  const Lines& log() const { return e.progress.lines; }
  std::string Reading(int n) const {
    return "  Reading: " + dir.path() + "BASEWRD" + std::to_string(n) + ".txt";
  }

  TestHost host;
  TempDir dir;
  Engine e;
};

TEST_F(BasewordLoaderTest, WorkedExample) {
  Occur("ABLE", 3);
  Occur("ABILITY");
  WriteFile(dir.File("BASEWRD1.txt"), "ABLE 0\r\n\tABILITY 0\r\n\tABLY 0\r\n");
  WriteFile(dir.File("BASEWRD2.txt"), "ABILITY 0\r\n\tABLE 0\r\n");
  e.ListCount = 2;

  LoadBasewordFiles(e);

  ASSERT_FALSE(e.failed());
  EXPECT_EQ(Code("ABLE"), 1);
  EXPECT_EQ(Code("ABILITY"), 1);
  const RunCounters& c = e.counters;
  EXPECT_EQ(c.ListFileHeadwords[1], 1);
  EXPECT_EQ(c.ListFileMembers[1], 2);
  EXPECT_EQ(c.ListTypes[1], 2);
  EXPECT_EQ(c.ListTokens[1], 4);
  EXPECT_EQ(c.ListFamilies[1], 1);
  EXPECT_EQ(c.TotalTypes, 2);
  EXPECT_EQ(c.OtherTypes, 0);

  TreeNode f = Family("ABLE");
  ASSERT_NE(f.NodeNumber, -1);
  EXPECT_EQ(f.NodeNumber, 3);
  EXPECT_EQ(f.Word(), "ABLE");
  EXPECT_EQ(f.Frequency, 3);
  EXPECT_EQ(f.FamilyFrequency, 4);
  EXPECT_EQ(f.ListCode, 100);
  EXPECT_EQ(f.FileCounts(1), 4);
  EXPECT_EQ(f.FileCounts(2), 0);
  EXPECT_EQ(f.Left, -1);
  EXPECT_EQ(f.Right, -1);
  EXPECT_EQ(e.tree.NodeCount, 3);

  EXPECT_EQ(c.ListFileHeadwords[2], 0);
  EXPECT_EQ(c.ListFileMembers[2], 0);
  EXPECT_EQ(c.ListTypes[2], 0);
  EXPECT_EQ(c.ListTokens[2], 0);
  EXPECT_EQ(c.ListFamilies[2], 0);
  Lines expected = {Reading(1), Reading(2),
                    "ERROR The headword ABILITY at 1 has already been used in basewrd1", " "};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordLoaderTest, FamilyCountsSumOverInputFiles) {
  Occur("ABLE", 2);
  SetFileNumber(e, 3);
  Occur("ABLE");
  Occur("ABLY", 5);
  LoadBasewordFile(e, 4, {"able", "\tably", "\tunable"});
  TreeNode f = Family("ABLE");
  EXPECT_EQ(f.ListCode, 400);
  EXPECT_EQ(f.Frequency, 3);
  EXPECT_EQ(f.FamilyFrequency, 8);
  EXPECT_EQ(f.FileCounts(1), 2);
  EXPECT_EQ(f.FileCounts(3), 6);
  EXPECT_EQ(e.counters.ListFileMembers[4], 2);
  EXPECT_EQ(e.counters.ListTokens[4], 8);
  EXPECT_EQ(Code("ABLY"), 4);
}

TEST_F(BasewordLoaderTest, DuplicateMembersInOneFamily) {
  Occur("ABLE");
  Occur("ABLY");
  LoadBasewordFile(e, 1, {"ABLE", "\tably", "\tably", "\table", "\tunable"});
  const RunCounters& c = e.counters;
  EXPECT_EQ(c.ListFileHeadwords[1], 1);
  EXPECT_EQ(c.ListFileMembers[1], 2);  // ABLY and UNABLE; the repeats are taken back
  EXPECT_EQ(c.ListTypes[1], 2);
  EXPECT_EQ(c.ListTokens[1], 2);
  EXPECT_EQ(Family("ABLE").FamilyFrequency, 2);
  Lines expected = {"ERROR The word ABLY at 3 has already been used in basewrd1", " ",
                    "ERROR The word ABLE at 4 has already been used in basewrd1", " "};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordLoaderTest, RepeatedHeadwordPassesOverTheWholeFamily) {
  Occur("ABLE");
  Occur("ZEBRA");
  LoadBasewordFile(e, 1, {"ABLE"});
  LoadBasewordFile(e, 2, {"# two", "", "ABLE", "\tZEBRA", " ", "\t#x", "OTHER"});
  EXPECT_EQ(Code("ZEBRA"), kNoListCode);
  EXPECT_EQ(e.counters.ListFileHeadwords[2], 1);  // OTHER only
  EXPECT_EQ(e.counters.ListFileMembers[2], 0);
  EXPECT_EQ(e.counters.ListTypes[2], 0);
  EXPECT_EQ(e.counters.OtherTypes, 1);
  Lines expected = {"ERROR The headword ABLE at 3 has already been used in basewrd1", " "};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordLoaderTest, FamilyAbsentFromTextsIsCountedWithoutRecord) {
  Occur("CAT");
  LoadBasewordFile(e, 1, {"DOG 5", "\tdogs", "\tdoggy", "CAT"});
  EXPECT_EQ(e.counters.ListFileHeadwords[1], 2);
  EXPECT_EQ(e.counters.ListFileMembers[1], 2);
  EXPECT_EQ(e.counters.ListFamilies[1], 1);
  EXPECT_EQ(e.tree.FamilyRoots['D'], -1);
  EXPECT_EQ(Family("CAT").FamilyFrequency, 1);
  EXPECT_EQ(e.tree.NodeCount, 2);  // CAT and its family; nothing for DOG
}

TEST_F(BasewordLoaderTest, AbsentHeadwordHeadingTwoFamilies) {
  Occur("ABLY");
  Occur("ABILITY", 2);
  LoadBasewordFile(e, 1, {"ABLE", "\tABLY"});
  LoadBasewordFile(e, 2, {"ABLE", "\tABILITY"});
  EXPECT_EQ(Code("ABLY"), 1);
  EXPECT_EQ(Code("ABILITY"), 2);
  EXPECT_EQ(e.counters.ListFamilies[1], 1);
  EXPECT_EQ(e.counters.ListFamilies[2], 1);  // counted although the tree refused it
  EXPECT_EQ(e.counters.ListFileHeadwords[2], 1);
  TreeNode f = Family("ABLE");
  EXPECT_EQ(f.Frequency, 0);
  EXPECT_EQ(f.FamilyFrequency, 1);
  EXPECT_EQ(f.ListCode, 100);
  Lines expected = {"ERROR Serious Error in Add to Fam List!", " "};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordLoaderTest, UntickedListTwoIsNotLoaded) {
  Occur("ONE");
  Occur("TWO");
  Occur("THREE");
  WriteFile(dir.File("BASEWRD1.txt"), "ONE\r\n");
  WriteFile(dir.File("BASEWRD2.txt"), "TWO\r\n");
  WriteFile(dir.File("BASEWRD3.txt"), "THREE\r\n");
  e.options.Basewrd2_on = false;
  LoadBasewordFiles(e);
  EXPECT_EQ(Code("ONE"), 1);
  EXPECT_EQ(Code("TWO"), kNoListCode);
  EXPECT_EQ(Code("THREE"), 3);
  EXPECT_EQ(e.counters.ListFileHeadwords[2], 0);
  Lines expected = {Reading(1), Reading(3)};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordLoaderTest, StopHeadwordMovesFamilyToStopGroup) {
  Occur("ABLE", 2);
  Occur("ABILITY");
  Occur("CAT");
  e.options.UseStopList = true;
  e.stopList.emplace();
  e.stopList->Add("ABLE");
  WriteFile(dir.File("BASEWRD1.txt"), "able\r\n\tability\r\n\tably\r\ncat\r\n");
  WriteFile(dir.File("BASEWRD2.txt"), "DOG\r\n\tABILITY\r\n");
  e.ListCount = 2;
  LoadBasewordFiles(e);

  EXPECT_EQ(Code("ABLE"), kStopListCode);
  EXPECT_EQ(Code("ABILITY"), kStopListCode);
  EXPECT_EQ(Code("CAT"), 1);
  const RunCounters& c = e.counters;
  EXPECT_EQ(c.ListFileHeadwords[65], 1);
  EXPECT_EQ(c.ListFileMembers[65], 2);
  EXPECT_EQ(c.ListTypes[65], 2);
  EXPECT_EQ(c.ListTokens[65], 3);
  EXPECT_EQ(c.ListFamilies[65], 1);
  EXPECT_EQ(c.ListFileHeadwords[1], 1);
  EXPECT_EQ(c.ListFileMembers[1], 0);
  EXPECT_EQ(c.ListTypes[1], 1);
  EXPECT_EQ(Family("ABLE").ListCode, 6500);
  EXPECT_EQ(c.ListFileHeadwords[2], 1);
  EXPECT_EQ(c.ListFileMembers[2], 0);
  Lines expected = {Reading(1), Reading(2),
                    "ERROR The word ABILITY at 2 has already been used in basewrd65", " "};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordLoaderTest, StopListIgnoredWhileBoxUnticked) {
  Occur("ABLE");
  e.stopList.emplace();
  e.stopList->Add("ABLE");
  LoadBasewordFile(e, 1, {"ABLE"});
  EXPECT_EQ(Code("ABLE"), 1);
}

TEST_F(BasewordLoaderTest, FileNameLetterCaseDoesNotMatter) {
  Occur("ABLE");
  WriteFile(dir.File("basewrd1.TXT"), "ABLE\r\n");
  e.ListCount = 1;
  LoadBasewordFiles(e);
  ASSERT_FALSE(e.failed());
  EXPECT_EQ(Code("ABLE"), 1);
  Lines expected = {Reading(1)};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordLoaderTest, VanishedFileFailsAndStopsLoading) {
  Occur("TWO");
  WriteFile(dir.File("BASEWRD2.txt"), "TWO\r\n");
  e.ListCount = 2;
  LoadBasewordFiles(e);
  ASSERT_TRUE(e.failed());
  EXPECT_EQ(e.runError.path(), dir.path() + "BASEWRD1.txt");
  EXPECT_EQ(e.counters.ListFileHeadwords[2], 0);
  EXPECT_EQ(e.counters.ListTypes[2], 0);
  Lines expected = {Reading(1)};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordLoaderTest, ReaderMessagesDuringLoading) {
  Occur("ABLE");
  LoadBasewordFile(e, 1, {"\tstray", "ABLE 1 2", "\t--"});
  Lines expected = {
      "SKIPPING  \tstray",
      " ",
      "ERROR  Member word in basewrd file has no associated headword! Skipping line: 1",
      "ERROR  Entry: ABLEhas bad count value: 1 resetting to zero",
      " ",
      "SKIPPING  \t--",
      " ",
      "ERROR  Invalid type in basewrd file! Skipping line: 3"};
  EXPECT_EQ(log(), expected);
  EXPECT_EQ(e.counters.ListFileHeadwords[1], 1);
  EXPECT_EQ(e.counters.ListFileMembers[1], 0);
}

}  // namespace
}  // namespace quarn
