#include "report/ResultsName.h"

#include <gtest/gtest.h>

namespace quarn {
namespace {

TEST(ResultsNameTest, BatchNamesFromInputFiles) {
  EXPECT_EQ(BatchResultsName("/TEXTS/STORY.DOS"), "/TEXTS/STORY_quarn.txt");
  EXPECT_EQ(BatchResultsName("/T/A.B.TXT"), "/T/A_quarn.B_quarn.txt");
  EXPECT_EQ(BatchResultsName("/T/noext"), "/T/noext_quarn.txt");
  EXPECT_EQ(BatchResultsName("/my.dir/story"), "/my.dir/story_quarn.txt");
}

TEST(ResultsNameTest, SaveRule) {
  EXPECT_EQ(SaveResultsName("/f/results.txt"), "/f/results_quarn.txt");
  EXPECT_EQ(SaveResultsName("/f/results.doc"), "/f/results_quarn.txt");
  EXPECT_EQ(SaveResultsName("/f/out_quarn.txt"), "/f/out_quarn.txt");
  EXPECT_EQ(SaveResultsName("/f/a.b.txt"), "/f/a_quarn.b_quarn.txt");
  EXPECT_EQ(SaveResultsName("/f/X_QUARN.TXT"), "/f/X_QUARN_quarn.txt");
  EXPECT_EQ(SaveResultsName("/f/plain"), "/f/plain_quarn.txt");
  EXPECT_EQ(SaveResultsName("/f.d/plain"), "/f.d/plain_quarn.txt");
}

}  // namespace
}  // namespace quarn
