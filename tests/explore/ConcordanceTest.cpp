#include "explore/Concordance.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "RunFixture.h"
#include "TempDir.h"
#include "results/ResultsModel.h"

namespace quarn::testing {
namespace {

class ConcordanceTest : public RunFixture {
 protected:
  ConcordanceTest() {
    Put("BASEWRD1.txt", "THE 0\nGO 0\n\tGOES 0\n\tWENT 0\n");
    Put("BASEWRD2.txt", "HOUSE 0\n\tHOUSES 0\nCAF\xC9 0\n");
    Put("BASEWRD3.txt", "# nothing here\n");
    engine.keepResults = true;
  }
  std::vector<std::string> Paths(const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& n : names) paths.push_back(dir.File(n));
    return paths;
  }
  std::vector<ConcordanceLine> Find(const std::vector<std::string>& names,
                                    const std::unordered_set<std::string>& words,
                                    size_t width = 20) {
    std::vector<ConcordanceLine> lines;
    EXPECT_TRUE(FindOccurrences(*FileSystem::Default(), Paths(names), cutting, words, width, &lines).ok());
    return lines;
  }
  TextCutting cutting;
};

// Every word the run counted is found again as often as counted, in every text: comment lines,
// tags, over-long words, joiners, letter case, 8-bit letters and a UTF-8 text included.
TEST_F(ConcordanceTest, OccurrencesOfEveryWordEqualItsCountsInEachText) {
  Put("a.txt",
      "  The house; the HOUSES went <go home>\n"
      "# the comment line counts nothing\n"
      "co-operate x-ray -go 99 go\n"
      "Supercalifragilisticexpialidocious-and-more-words go\n"
      "caf\xE9 Caf\xC9 the\n");
  Put("b.txt", "Caf\xC3\xA9 and the house \xE2\x82\xAC go\r\ngoes\r\n");
  for (const bool ignoreAngle : {false, true}) {
    host.options.Ignore_Angle = ignoreAngle;
    cutting.ignoreAngle = ignoreAngle;
    outcome.keptResults.clear();
    Run({"a.txt", "b.txt"});
    ASSERT_EQ(outcome.keptResults.size(), 1u);
    const ResultsModel& m = outcome.keptResults[0];
    ASSERT_GT(m.types.size(), 10u);
    for (const WordRow& row : m.types) {
      const std::vector<ConcordanceLine> lines = Find({"a.txt", "b.txt"}, {row.word});
      EXPECT_EQ(static_cast<int64_t>(lines.size()), row.freq) << row.word << " " << ignoreAngle;
      std::vector<int32_t> perText(2, 0);
      for (const ConcordanceLine& l : lines) ++perText[static_cast<size_t>(l.text)];
      EXPECT_EQ(perText, row.fileCounts) << row.word;
    }
  }
}

TEST_F(ConcordanceTest, LinesCarryNumberContextAndTheWordAsWritten) {
  Put("a.txt", "# The first\n\nWe saw the House of them.\nhouse\n");
  const std::vector<ConcordanceLine> lines = Find({"a.txt"}, {"HOUSE"}, 7);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].line, 3);
  EXPECT_EQ(lines[0].left, "aw the ");
  EXPECT_EQ(lines[0].word, "House");
  EXPECT_EQ(lines[0].right, " of the");
  EXPECT_EQ(lines[1].line, 4);
  EXPECT_EQ(lines[1].left, "");
  EXPECT_EQ(lines[1].right, "");
}

TEST_F(ConcordanceTest, SortsByLeftContextFromTheWordOutwardsAndByRightContext) {
  Put("a.txt", "zz a GO b\nya c GO a\nxb b go C\n");
  std::vector<ConcordanceLine> lines = Find({"a.txt"}, {"GO"});
  auto order = [&lines] {
    std::vector<int64_t> numbers;
    for (const ConcordanceLine& l : lines) numbers.push_back(l.line);
    return numbers;
  };
  SortByLeftContext(lines);  // "a ", "b ", "c " read from the word outwards
  EXPECT_EQ(order(), (std::vector<int64_t>{1, 3, 2}));
  SortByRightContext(lines);  // " a", " b", " C"
  EXPECT_EQ(order(), (std::vector<int64_t>{2, 1, 3}));
}

TEST_F(ConcordanceTest, FamilyIndexGivesHeadwordsAndMembersOfEachList) {
  FamilyIndex index;
  ASSERT_TRUE(LoadFamilyIndex(*FileSystem::Default(), engine.ProgramFolder, 4, DefaultCharClassTable(),
                              &index).ok());
  EXPECT_EQ(index.placeOf.at("WENT").headword, "GO");
  EXPECT_EQ(index.placeOf.at("WENT").list, 1);
  EXPECT_EQ(index.placeOf.at("CAF\xC9").list, 2);
  ASSERT_NE(index.MembersOf(1, "GO"), nullptr);
  EXPECT_EQ(*index.MembersOf(1, "GO"), (std::vector<std::string>{"GO", "GOES", "WENT"}));
  EXPECT_EQ(index.MembersOf(2, "GO"), nullptr);
  EXPECT_EQ(index.placeOf.count("NOTHING"), 0u);
}

}  // namespace
}  // namespace quarn::testing
