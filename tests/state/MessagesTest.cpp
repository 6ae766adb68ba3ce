#include "state/Messages.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "TestHost.h"
#include "state/Engine.h"

namespace quarn::testing {
namespace {

class MessagesTest : public ::testing::Test {
 protected:
  MessagesTest() : e(host) {}
  void OpenResults() {
    ASSERT_TRUE(TextWriter::Open(e.fs, dir.File("r.txt"), false, &e.resultsFile).ok());
  }
  std::string CloseResults() {
    e.resultsFile->Close();
    e.resultsFile.reset();
    return ReadFile(dir.File("r.txt"));
  }
  TempDir dir;
  TestHost host;
  Engine e;
};

TEST_F(MessagesTest, LabelsBlanksAndExtensions) {
  ProgressMessage(e, "Processing file: a.txt", "", 1);
  ProgressMessage(e, "0001000, ", "", -1);
  ProgressMessage(e, "broken", "ERROR", 0);
  ProgressMessage(e, "", "", 0);
  EXPECT_EQ(e.progress.lines,
            (std::vector<std::string>{" Processing file: a.txt", "  0001000, ", "ERROR broken", " "}));
  EXPECT_EQ(e.progress.lastIndex, 3u);
  EXPECT_EQ(host.progressNotifications, 4);
}

TEST_F(MessagesTest, LongLabelCutTo30AndCountBelowMinusOneActsAsZero) {
  ProgressMessage(e, "x", std::string(31, 'L'), -5);
  EXPECT_EQ(e.progress.lines, std::vector<std::string>{std::string(30, 'L') + " x"});
}

TEST_F(MessagesTest, ResultsFileGetsTheSameTextWhileOpen) {
  ProgressMessage(e, "before", "", 0);
  OpenResults();
  ProgressMessage(e, "two blanks", "", 2);
  ProgressMessage(e, "0001000, ", "", -1);
  ProgressMessage(e, "next", "", 0);
  std::string written = CloseResults();
  ProgressMessage(e, "after", "", 0);
  EXPECT_EQ(written, " two blanks\r\n\r\n\r\n 0001000,  next\r\n");
  EXPECT_EQ(e.progress.lines.size(), 6u);
  EXPECT_EQ(e.progress.lines[3], "  0001000, ");
}

TEST_F(MessagesTest, ExtendingAnEmptyLogStartsALine) {
  ProgressMessage(e, "x", "", -1);
  EXPECT_EQ(e.progress.lines, std::vector<std::string>{" x"});
}

TEST(PaddingTest, PadRightAndPadZeros) {
  EXPECT_EQ(PadRight("ab", 5), "ab   ");
  EXPECT_EQ(PadRight("abcdef", 5), "abcdef");
  EXPECT_EQ(PadZeros("1000", 7), "0001000");
  EXPECT_EQ(PadZeros("12345678", 7), "12345678");
}

}  // namespace
}  // namespace quarn::testing
