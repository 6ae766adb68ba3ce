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
  ProgressMessageThenBlanks(e, Severity::kProgress, "Processing file: a.txt", 1);
  ExtendProgressLine(e, "0001000, ");
  ProgressMessage(e, Severity::kError, "broken");
  ProgressMessage(e, Severity::kProgress, "");
  EXPECT_EQ(e.progress.lines,
            (std::vector<std::string>{" Processing file: a.txt", "  0001000, ", "ERROR broken", " "}));
  EXPECT_EQ(e.progress.lastIndex, 3u);
  EXPECT_EQ(host.progressNotifications, 4);
}

// The labels are part of the results file: each kind keeps its own, byte for byte, and a
// negative number of blank lines adds none.
TEST_F(MessagesTest, EachSeverityWritesItsLabel) {
  OpenResults();
  ProgressMessage(e, Severity::kProgress, "p");
  ProgressMessage(e, Severity::kError, "e");
  ProgressMessage(e, Severity::kLineError, "l");
  ProgressMessage(e, Severity::kSpacer, " ");
  ProgressMessageThenBlanks(e, Severity::kSkipping, "s", -5);
  EXPECT_EQ(CloseResults(), " p\r\nERROR e\r\nERROR  l\r\n   \r\nSKIPPING  s\r\n");
  EXPECT_EQ(e.progress.lines,
            (std::vector<std::string>{" p", "ERROR e", "ERROR  l", "   ", "SKIPPING  s"}));
}

TEST_F(MessagesTest, ResultsFileGetsTheSameTextWhileOpen) {
  ProgressMessage(e, Severity::kProgress, "before");
  OpenResults();
  ProgressMessageThenBlanks(e, Severity::kProgress, "two blanks", 2);
  ExtendProgressLine(e, "0001000, ");
  ProgressMessage(e, Severity::kProgress, "next");
  std::string written = CloseResults();
  ProgressMessage(e, Severity::kProgress, "after");
  EXPECT_EQ(written, " two blanks\r\n\r\n\r\n 0001000,  next\r\n");
  EXPECT_EQ(e.progress.lines.size(), 6u);
  EXPECT_EQ(e.progress.lines[3], "  0001000, ");
}

TEST_F(MessagesTest, ExtendingAnEmptyLogStartsALine) {
  ExtendProgressLine(e, "x");
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
