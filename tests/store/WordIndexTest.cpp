#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StoreSetup.h"
#include "store/WordIndex.h"

namespace quarn {
namespace {

using testing::NumberWord;

// Enough words for the slot table to grow through sizes that are cleared ahead on another
// thread; every word is found at its node throughout, and a word never added is not.
TEST(WordIndexTest, WordsAreFoundThroughEveryGrowth) {
  WordIndex index;
  constexpr int kWords = 300000;
  auto noRecord = [](int32_t, std::string_view*) { return false; };
  auto add = [&](int node) {
    const std::string w = NumberWord(node);
    NodeMeta meta;
    meta.length = static_cast<uint8_t>(w.size());
    meta.suffix = WordIndex::Suffix(w);
    index.AddNode(node, NodeLinks{WordIndex::Prefix(w), -1, -1}, meta);
    index.Add(WordIndex::Hash(w), node);
  };
  auto find = [&](const std::string& w) {
    return index.Find(w, WordIndex::Hash(w), WordIndex::Prefix(w), noRecord);
  };
  for (int node = 1; node <= kWords; ++node) {
    add(node);
    // Now and then, everything so far.
    if ((node & (node - 1)) == 0 || node == kWords) {
      for (int k = 1; k <= node; k += node / 997 + 1) ASSERT_EQ(k, find(NumberWord(k))) << node;
      ASSERT_EQ(-1, find(NumberWord(node + 1))) << node;
    }
  }
  EXPECT_EQ(kWords, index.size());
  for (int k = 1; k <= kWords; ++k) ASSERT_EQ(k, find(NumberWord(k)));
  // Forgotten, and usable again from empty.
  index.Reset();
  EXPECT_EQ(-1, find(NumberWord(5)));
  add(1);
  EXPECT_EQ(1, find(NumberWord(1)));
}

}  // namespace
}  // namespace quarn
