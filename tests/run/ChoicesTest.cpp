// The choices the window and the CLI share: one rule each, the same questions and messages.
#include "run/Choices.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "RunFixture.h"

namespace quarn::testing {
namespace {

class ChoicesTest : public RunFixture {};

TEST_F(ChoicesTest, ResultsFileAsFileSaveTakesIt) {
  host.defaultAnswer = false;
  EXPECT_TRUE(ChooseResultsFile(engine, dir.File("res")));
  EXPECT_EQ(engine.ResultsFileName, dir.File("res_quarn.txt"));
  EXPECT_EQ(host.resultsFileShown, dir.File("res_quarn.txt"));
  EXPECT_TRUE(host.boxes.empty());

  // An existing file is asked about; Cancel keeps the earlier name.
  Put("other_quarn.txt", "mine");
  EXPECT_FALSE(ChooseResultsFile(engine, dir.File("other.txt")));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "File " + dir.File("other_quarn.txt") + " exists. Overwrite?");
  EXPECT_TRUE(host.boxes[0].withCancel);
  EXPECT_EQ(engine.ResultsFileName, dir.File("res_quarn.txt"));
}

TEST_F(ChoicesTest, StopListOutcomes) {
  Put("stop.txt", "THE\nA\n");
  EXPECT_EQ(ChooseStopList(engine, dir.File("stop.txt")), StopListChoice::kLoaded);
  EXPECT_EQ(engine.stopList->size(), 2u);

  // Missing: the box first; closed without OK, no list at all.
  host.answers = {false};
  EXPECT_EQ(ChooseStopList(engine, dir.File("nope.txt")), StopListChoice::kDeclined);
  EXPECT_FALSE(engine.stopList.has_value());
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "File " + dir.File("nope.txt") + " does not exist");
  EXPECT_FALSE(host.boxes[0].withCancel);
  host.answers = {true};
  EXPECT_EQ(ChooseStopList(engine, dir.File("nope.txt")), StopListChoice::kMissing);
  EXPECT_EQ(engine.stopList->size(), 0u);
  EXPECT_EQ(Log().back(), "ERROR " + dir.File("nope.txt") + ": No such file or directory");

  // A pipe is never opened (it would block), and is not said to be missing.
  ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
  EXPECT_EQ(ChooseStopList(engine, dir.File("pipe")), StopListChoice::kNotRegular);
  EXPECT_EQ(host.boxes.size(), 2u);
  EXPECT_EQ(Log().back(), "ERROR " + dir.File("pipe") + ": not a regular file");
}

TEST_F(ChoicesTest, ListCountInTheIntegerNotation) {
  int32_t count = -1;
  EXPECT_EQ(ReadListCount("12", &count), ListCountText::kValid);
  EXPECT_EQ(count, 12);
  EXPECT_EQ(ReadListCount("0x3", &count), ListCountText::kValid);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(ReadListCount("3a", &count), ListCountText::kInvalid);
  EXPECT_EQ(ReadListCount("", &count), ListCountText::kNotANumber);
  EXPECT_EQ(ReadListCount("x3", &count), ListCountText::kNotANumber);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(InvalidListCountText("3a"), "'3a' is not a valid integer value");
}

}  // namespace
}  // namespace quarn::testing
