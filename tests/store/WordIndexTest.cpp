#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "state/Engine.h"
#include "store/EnterAgain.h"
#include "store/WordEntry.h"
#include "store/WordIndex.h"
#include "store/WordTree.h"

namespace quarn {
namespace {

using testing::NumberWord;
using testing::TempDir;
using testing::TestHost;

// A word of up to sixteen characters added at node, its shape a leaf's.
void AddWord(WordIndex& index, const std::string& w, int32_t node) {
  NodeMeta meta;
  meta.length = static_cast<uint8_t>(w.size());
  meta.suffix = WordIndex::Suffix(w);
  index.AddNode(node, NodeLinks{WordIndex::Prefix(w), -1, -1}, meta);
  index.Add(WordIndex::Hash(w), node);
}

int32_t FindWord(WordIndex& index, const std::string& w) {
  return index.Find(w, WordIndex::Hash(w), WordIndex::Prefix(w),
                    [](int32_t, std::string_view*) { return false; });
}

// Peek names the node of the first slot with the hash's upper half, the word unchecked, and
// nothing once a probe reaches an empty slot.
TEST(WordIndexTest, PeekGoesByTheHashesUpperHalfOnly) {
  WordIndex index;
  index.Reset();
  constexpr uint64_t kTag = uint64_t{0x1234} << 32;
  EXPECT_EQ(0, index.Peek(kTag));  // empty: nothing to look at
  index.AddNode(7, NodeLinks{}, NodeMeta{});
  index.Add(kTag | 1, 7);
  EXPECT_EQ(7, index.Peek(kTag | 1));
  EXPECT_EQ(7, index.Peek(kTag | 99));                     // the same upper half
  EXPECT_EQ(0, index.Peek((uint64_t{0x1235} << 32) | 1));  // another: its slot is empty
  // A second word whose slot is taken goes to the next one; Peek walks on to it.
  const uint64_t clash = (uint64_t{0x1234} + (uint64_t{1} << 20)) << 32;
  index.AddNode(9, NodeLinks{}, NodeMeta{});
  index.Add(clash, 9);
  EXPECT_EQ(9, index.Peek(clash));
  EXPECT_EQ(7, index.Peek(kTag));
}

// A broken index forgets its words, shapes and word numbers and takes no new ones until it is
// reset; then it starts from empty with a table of roots and no memory limit.
TEST(WordIndexTest, BreakForgetsEverythingUntilReset) {
  WordIndex index;
  index.Reset();
  AddWord(index, "CAT", 1);
  AddWord(index, "DOG", 4);  // 2 and 3 are passed over: blank shapes
  EXPECT_TRUE(index.Covers(3));
  EXPECT_EQ(-1, index.links(3).left);
  EXPECT_EQ(0, index.meta(3).length);
  index.SetNodeOfId(5, 4);
  index.anyWaiting = true;
  index.memoryLimit = 100;

  index.Break();
  EXPECT_FALSE(index.usable());
  EXPECT_EQ(0, index.size());
  EXPECT_EQ(-1, FindWord(index, "CAT"));
  EXPECT_EQ(0, index.Peek(WordIndex::Hash("DOG")));
  EXPECT_FALSE(index.Covers(1));
  EXPECT_EQ(0, index.highestNode());
  EXPECT_EQ(0, index.NodeOfId(5));
  EXPECT_TRUE(index.roots.empty());
  EXPECT_FALSE(index.anyWaiting);
  index.SetNodeOfId(6, 2);  // ignored while broken
  EXPECT_EQ(0, index.NodeOfId(6));

  index.Reset();
  EXPECT_TRUE(index.usable());
  EXPECT_EQ(std::vector<int32_t>(256, -1), index.roots);
  EXPECT_EQ(-1, index.memoryLimit);
  EXPECT_EQ(-1, FindWord(index, "CAT"));
  AddWord(index, "CAT", 1);
  EXPECT_EQ(1, FindWord(index, "CAT"));
}

// Word numbers far apart: the table grows to hold them, keeps the ones set, answers 0 for the
// ones never set and for numbers beyond it, and forgets them all on Reset.
TEST(WordIndexTest, NodesOfWordNumbers) {
  WordIndex index;
  index.Reset();
  EXPECT_EQ(0, index.NodeOfId(0));
  EXPECT_EQ(0, index.NodeOfId(1u << 30));
  index.SetNodeOfId(10, 4);
  index.SetNodeOfId(100000, 9);
  index.SetNodeOfId(4095, 3);
  EXPECT_EQ(4, index.NodeOfId(10));
  EXPECT_EQ(9, index.NodeOfId(100000));
  EXPECT_EQ(3, index.NodeOfId(4095));
  EXPECT_EQ(0, index.NodeOfId(11));
  EXPECT_EQ(0, index.NodeOfId(99999));
  EXPECT_EQ(0, index.NodeOfId(100001));
  index.SetNodeOfId(10, 5);  // a word entered again at another node
  EXPECT_EQ(5, index.NodeOfId(10));
  index.Reset();
  EXPECT_EQ(0, index.NodeOfId(10));
  EXPECT_EQ(0, index.NodeOfId(100000));
}

struct Store {
  Store() {
    EXPECT_TRUE(testing::OpenEmptyStore(e, dir.path()));
    e.fastPaths = true;
  }
  int32_t Enter(const std::string& w) {
    e.tree.InsertDepth = 0;
    return addtowrdlist(e, w, WordIndex::Hash(w), WordIndex::Prefix(w), e.tree.wordGrow);
  }
  TreeNode Record(int32_t n) {
    TreeNode t;
    ReadNode(e, n, "test", &t);
    return t;
  }
  TestHost host;
  TempDir dir;
  Engine e{host};
};

// Occurrences entered again wait in the index, all for one FileCounts slot: the record gets
// them when it is read, when an occurrence for another slot comes, or when all are settled.
TEST(WordIndexTest, WaitingOccurrencesReachTheirRecords) {
  Store s;
  const int32_t cat = s.Enter("CAT");
  const int32_t cow = s.Enter("COW");
  ASSERT_GT(cat, 0);
  ASSERT_GT(cow, 0);
  WordIndex& index = s.e.tree.index;
  EnterAgain(s.e, cat, 1);
  EnterAgain(s.e, cat, 1);
  EnterAgain(s.e, cow, 1);
  EXPECT_EQ(2u, index.meta(cat).waiting);
  EXPECT_TRUE(index.anyWaiting);
  EXPECT_EQ(1, index.waitingSlot);
  EXPECT_EQ(1, RecordInPlace(s.e, cat)->Frequency);  // not there yet

  const TreeNode read = s.Record(cat);
  EXPECT_EQ(3, read.Frequency);
  EXPECT_EQ(3, read.FileCounts(1));
  EXPECT_EQ(0u, index.meta(cat).waiting);
  EXPECT_EQ(1u, index.meta(cow).waiting);

  // Another slot: what waits for slot 1 goes in first.
  EnterAgain(s.e, cat, 2);
  EXPECT_EQ(2, RecordInPlace(s.e, cow)->Frequency);
  EXPECT_EQ(2, RecordInPlace(s.e, cow)->FileCounts(1));
  EXPECT_EQ(2, index.waitingSlot);
  EXPECT_EQ(1u, index.meta(cat).waiting);

  SettleAllWaiting(s.e);
  EXPECT_FALSE(index.anyWaiting);
  EXPECT_EQ(0u, index.meta(cat).waiting);
  const TreeNode settled = *RecordInPlace(s.e, cat);
  EXPECT_EQ(4, settled.Frequency);
  EXPECT_EQ(3, settled.FileCounts(1));
  EXPECT_EQ(1, settled.FileCounts(2));
}

// Enough words for the slot table to grow through sizes that are cleared ahead on another
// thread; every word is found at its node throughout, and a word never added is not.
TEST(WordIndexTest, WordsAreFoundThroughEveryGrowth) {
  WordIndex index;
  constexpr int kWords = 300000;
  auto add = [&](int node) { AddWord(index, NumberWord(node), node); };
  auto find = [&](const std::string& w) { return FindWord(index, w); };
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
