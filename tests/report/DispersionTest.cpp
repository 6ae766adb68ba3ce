// DP and DP_norm worked by hand on three small texts.
#include "report/Dispersion.h"

#include <gtest/gtest.h>

namespace quarn::testing {
namespace {

// Three texts of 2, 3 and 5 tokens: shares 0.2, 0.3 and 0.5.
constexpr int64_t kTokens[] = {2, 3, 5};
constexpr int64_t kTotal = 10;
constexpr int64_t kSmallest = 2;

Dispersion Of(const int64_t (&counts)[3]) {
  const int64_t freq = counts[0] + counts[1] + counts[2];
  DispersionSums sums(freq, kTotal);
  for (int i = 0; i < 3; ++i)
    if (counts[i] > 0) sums.Add(counts[i], kTokens[i]);
  return sums.Finish(kSmallest);
}

TEST(DispersionTest, HandWorkedOnThreeTexts) {
  // In the second text only: DP = 1 - 0.3; DP_norm = 0.7 / (1 - 0.2).
  Dispersion only = Of({0, 3, 0});
  EXPECT_DOUBLE_EQ(only.dp, 0.7);
  EXPECT_DOUBLE_EQ(only.dpNorm, 0.875);
  // Once in each of the first two: (|0.5 - 0.2| + |0.5 - 0.3| + |0 - 0.5|) / 2 = 0.5.
  Dispersion two = Of({1, 1, 0});
  EXPECT_DOUBLE_EQ(two.dp, 0.5);
  EXPECT_DOUBLE_EQ(two.dpNorm, 0.625);
  // Spread exactly as the texts are large: 0, whatever the scale.
  EXPECT_EQ(Of({2, 3, 5}).dp, 0.0);
  EXPECT_EQ(Of({20, 30, 50}).dpNorm, 0.0);
  // Nothing to spread; one text holding every token.
  EXPECT_EQ(Of({0, 0, 0}).dp, 0.0);
  DispersionSums one(4, 7);
  one.Add(4, 7);
  EXPECT_EQ(one.Finish(7).dp, 0.0);
  EXPECT_EQ(one.Finish(7).dpNorm, 0.0);
}

// Counts near the 32-bit limit stay exact: the products are formed in 128 bits.
TEST(DispersionTest, LargeCountsDoNotOverflow) {
  const int64_t big = 2000000000;
  DispersionSums sums(big, 4 * big);
  sums.Add(big, big);  // all in the first of four equal texts
  EXPECT_DOUBLE_EQ(sums.Finish(big).dp, 0.75);
  EXPECT_DOUBLE_EQ(sums.Finish(big).dpNorm, 1.0);
}

}  // namespace
}  // namespace quarn::testing
