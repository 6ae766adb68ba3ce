// Sorting keys in place of the records must leave exactly what sorting the records leaves: the
// same records at the same numbers, and the same traffic.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "report/KeySort.h"
#include "report/Sort.h"
#include "state/Engine.h"
#include "store/WordTree.h"

namespace quarn {
namespace {

using testing::TempDir;
using testing::TestHost;

struct Store {
  explicit Store(bool fast, int32_t memoryLimit) {
    e.fastPaths = fast;
    EXPECT_TRUE(testing::OpenEmptyStore(e, dir.path()));
    e.tree.MemoryNodeLimit = memoryLimit;
  }
  void Add(TreeNode node) { WriteNode(e, ++e.tree.NodeCount, node); }
  TreeNode Node(int32_t n) {
    TreeNode t;
    ReadNodeUncounted(e, n, &t);
    return t;
  }
  TestHost host;
  TempDir dir;
  Engine e{host};
};

// Records whose keys often tie: few frequencies, words that share long beginnings or are
// beginnings of one another, the same word twice, counts spread over files.
TreeNode RandomRecord(std::mt19937& rng) {
  static const std::string stems[] = {"STRAIGHTFORWARDNESS", "STRAIGHTEN", "A", "\xC9TAGE"};
  TreeNode n = MakeBlankNode();
  std::string w = stems[rng() % 4];
  w = w.substr(0, 1 + rng() % w.size());
  if (rng() % 3 == 0) w += static_cast<char>('A' + rng() % 3);
  n.SetWord(w);
  n.Frequency = static_cast<int32_t>(rng() % 6);
  n.ListCode = 1 + static_cast<int32_t>(rng() % 66);
  for (int k = 1; k <= 6; ++k) n.FileCounts(k) = (rng() % 3 == 0) ? 1 : 0;
  return n;
}

// The keys' sort must run for the fast store (a sort that quietly declined would leave the
// records' sort to both) and must not for the other.
void SortBoth(int records, int32_t memoryLimit, SortOrder order, int files, uint32_t seed) {
  Store fast(true, memoryLimit), slow(false, memoryLimit);
  SetFileNumber(fast.e, files);
  SetFileNumber(slow.e, files);
  std::mt19937 rng(seed);
  for (int i = 0; i < records; ++i) {
    const TreeNode r = RandomRecord(rng);
    fast.Add(r);
    slow.Add(r);
  }
  fast.e.counters = slow.e.counters = RunCounters{};
  EXPECT_TRUE(sortnodes(fast.e, 1, records, order)) << records << " records";
  EXPECT_FALSE(sortnodes(slow.e, 1, records, order));
  EXPECT_EQ(slow.e.counters.CacheNodesRead, fast.e.counters.CacheNodesRead);
  EXPECT_EQ(slow.e.counters.CacheNodesWritten, fast.e.counters.CacheNodesWritten);
  EXPECT_EQ(slow.e.counters.DiskNodesRead, fast.e.counters.DiskNodesRead);
  EXPECT_EQ(slow.e.counters.DiskNodesWritten, fast.e.counters.DiskNodesWritten);
  for (int32_t n = 1; n <= records; ++n) {
    const TreeNode x = fast.Node(n);
    const TreeNode y = slow.Node(n);
    ASSERT_EQ(0, std::memcmp(&x, &y, sizeof x)) << "record " << n << " " << y.Word();
  }
}

TEST(KeySortTest, ByFrequencyInMemory) {
  SortBoth(3000, kDefaultMemoryNodeLimit, SortOrder::Frequency, 1, 1);
}

TEST(KeySortTest, ByFrequencyMostlyInTheRecordFile) { SortBoth(3000, 200, SortOrder::Frequency, 1, 2); }

TEST(KeySortTest, ByRangeOverSomeOfTheFiles) {
  SortBoth(2000, kDefaultMemoryNodeLimit, SortOrder::Range, 4, 3);
  SortBoth(2000, 50, SortOrder::Range, 70, 4);  // a FileNumber beyond the slots counts them all
}

// Enough records for the sort and the moves to be shared between two threads (a part of the
// keys sorted by the other, its reads and writes added to the counts; cycles running across the
// middle), in memory and mostly in the record file.
TEST(KeySortTest, ManyRecordsSortedAndMovedByTwoThreads) {
  SortBoth(20000, kDefaultMemoryNodeLimit, SortOrder::Frequency, 1, 5);
  SortBoth(20000, 3000, SortOrder::Range, 6, 6);
}

TEST(KeySortTest, SmallRangesAroundTheInsertionSortBoundary) {
  for (int n = 1; n <= 45; ++n) SortBoth(n, 10, SortOrder::Frequency, 1, 100 + static_cast<uint32_t>(n));
}

// Fast paths off, or a failed run, leaves the sort to the records themselves.
TEST(KeySortTest, DeclinesWhatItCannotStandInFor) {
  Store s(true, kDefaultMemoryNodeLimit);
  s.Add(MakeBlankNode());
  s.Add(MakeBlankNode());
  EXPECT_TRUE(SortByKeys(s.e, 1, 2, SortOrder::Frequency));
  s.e.fastPaths = false;
  EXPECT_FALSE(SortByKeys(s.e, 1, 2, SortOrder::Frequency));
  s.e.fastPaths = true;
  s.e.Fail(Status::IOError("x", "failed"));
  EXPECT_FALSE(SortByKeys(s.e, 1, 2, SortOrder::Frequency));
}

}  // namespace
}  // namespace quarn
