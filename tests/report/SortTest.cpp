#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "report/Sort.h"
#include "state/Engine.h"
#include "store/WordTree.h"

namespace quarn {
namespace {

using testing::TempDir;
using testing::TestHost;

// A word node with the given frequency; every occurrence counted in file 1 unless counts given.
TreeNode Word(const std::string& word, int32_t freq, int32_t list = kNoListCode,
              const std::vector<int32_t>& counts = {}) {
  TreeNode n = MakeBlankNode();
  n.SetWord(word);
  n.Frequency = freq;
  n.ListCode = list;
  if (counts.empty()) {
    n.FileCounts(1) = freq;
  } else {
    for (size_t k = 0; k < counts.size(); ++k) n.FileCounts(static_cast<int>(k) + 1) = counts[k];
  }
  return n;
}

class SortTest : public ::testing::Test {
 protected:
  SortTest() : e(host) {
    EXPECT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  }

  void Add(TreeNode node) { WriteNode(e, ++e.tree.NodeCount, node); }

  void ClearTraffic() {
    e.counters.CacheNodesRead = 0;
    e.counters.CacheNodesWritten = 0;
    e.counters.DiskNodesRead = 0;
    e.counters.DiskNodesWritten = 0;
  }

  // The store in node-number order, read without touching the counters the test looks at.
  std::vector<TreeNode> Records() {
    RunCounters saved = e.counters;
    std::vector<TreeNode> out;
    for (int32_t n = 1; n <= e.tree.NodeCount; ++n) {
      TreeNode r;
      ReadNode(e, n, "test", &r);
      out.push_back(r);
    }
    e.counters = saved;
    return out;
  }

  std::vector<std::string> Words() {
    std::vector<std::string> out;
    for (const TreeNode& r : Records()) out.emplace_back(r.Word());
    return out;
  }

  TestHost host;
  TempDir dir;
  Engine e;
};

TEST_F(SortTest, FreqCompareLargerFirstThenBytewiseWord) {
  EXPECT_EQ(freqcompare(e, Word("ZOO", 3), Word("APE", 5)), 1);
  EXPECT_EQ(freqcompare(e, Word("APE", 5), Word("ZOO", 3)), -1);
  EXPECT_EQ(freqcompare(e, Word("ZOO", 5), Word("APE", 5)), 1);
  EXPECT_EQ(freqcompare(e, Word("APE", 5), Word("ZOO", 5)), -1);
  EXPECT_EQ(freqcompare(e, Word("APE", 5), Word("APE", 5)), -99);
  EXPECT_EQ(freqcompare(e, Word("AB", 2), Word("ABC", 2)), -1);
  EXPECT_EQ(freqcompare(e, Word("ABC", 2), Word("AB", 2)), 1);
  // Unsigned bytes: a character above 127 comes after 'Z'.
  EXPECT_EQ(freqcompare(e, Word("\xC9T", 1), Word("ZZ", 1)), 1);
  // FamilyFrequency plays no part.
  TreeNode fam = Word("DOG", 0, 100);
  fam.FamilyFrequency = 50;
  EXPECT_EQ(freqcompare(e, fam, Word("CAT", 1)), 1);
}

TEST_F(SortTest, RangeCompareCountsOnlyFilesOfThisReport) {
  SetFileNumber(e, 2);
  TreeNode a = Word("AAA", 100, kNoListCode, {5, 0, 7});  // slot 3 is not a file of the report
  TreeNode z = Word("ZZZ", 2, kNoListCode, {1, 1});
  EXPECT_EQ(rangecompare(e, a, z), 1);
  EXPECT_EQ(rangecompare(e, z, a), -1);
  SetFileNumber(e, 3);
  EXPECT_EQ(rangecompare(e, a, z), -1);  // both range 2: words decide
  EXPECT_EQ(rangecompare(e, z, a), 1);
  EXPECT_EQ(rangecompare(e, a, a), -99);
}

TEST_F(SortTest, EqualFrequenciesComeOutInWordOrder) {
  Add(Word("ZOO", 5));
  Add(Word("APE", 5));
  Add(Word("CAT", 9));
  sortnodes(e, 1, e.tree.NodeCount, SortOrder::Frequency);
  EXPECT_EQ(Words(), (std::vector<std::string>{"CAT", "APE", "ZOO"}));
}

TEST_F(SortTest, WordBeforeItsLongerForm) {
  Add(Word("ABC", 4));
  Add(Word("AB", 4));
  sortnodes(e, 1, e.tree.NodeCount, SortOrder::Frequency);
  EXPECT_EQ(Words(), (std::vector<std::string>{"AB", "ABC"}));
}

TEST_F(SortTest, RangeOrderThenWords) {
  SetFileNumber(e, 2);
  Add(Word("AAA", 100, kNoListCode, {5, 0, 7}));
  Add(Word("MMM", 1, kNoListCode, {0, 1}));
  Add(Word("ZZZ", 2, kNoListCode, {1, 1}));
  Add(Word("BBB", 3, kNoListCode, {0, 0, 3}));  // occurs only beyond the report's files
  sortnodes(e, 1, e.tree.NodeCount, SortOrder::Range);
  EXPECT_EQ(Words(), (std::vector<std::string>{"ZZZ", "AAA", "MMM", "BBB"}));
}

TEST_F(SortTest, BatchRangesAreZeroOrOneSoWordsDecide) {
  // Each report of a batch covers one file; its counts are all in slot 1 whatever its position.
  SetFileNumber(e, 4);
  Add(Word("PIG", 7));
  Add(Word("ANT", 1));
  Add(Word("BEE", 0, 2, {0}));
  Add(Word("COW", 3));
  sortnodes(e, 1, e.tree.NodeCount, SortOrder::Range);
  EXPECT_EQ(Words(), (std::vector<std::string>{"ANT", "COW", "PIG", "BEE"}));
}

TEST_F(SortTest, FamilyRecordsFollowTheHeadwordsOwnFrequency) {
  TreeNode dog = Word("DOG", 0, 100);
  dog.FamilyFrequency = 50;  // members occur, the headword never does
  TreeNode cat = Word("CAT", 4, 200);
  cat.FamilyFrequency = 6;
  Add(dog);
  Add(Word("EMU", 1));
  Add(cat);
  Add(Word("FOX", 2));
  sortnodes(e, 1, e.tree.NodeCount, SortOrder::Frequency);
  std::vector<TreeNode> r = Records();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].Word(), "CAT");
  EXPECT_EQ(r[0].ListCode, 200);
  EXPECT_EQ(r[0].FamilyFrequency, 6);
  EXPECT_EQ(r[1].Word(), "FOX");
  EXPECT_EQ(r[2].Word(), "EMU");
  EXPECT_EQ(r[3].Word(), "DOG");
  EXPECT_EQ(r[3].ListCode, 100);
  for (int32_t n = 1; n <= 4; ++n) EXPECT_EQ(r[n - 1].NodeNumber, n);
}

TEST_F(SortTest, AppendedBlankRecordSortsAsAnEmptyWordOfFrequencyOne) {
  Add(Word("BEE", 1));
  Add(Word("ANT", 2));
  Add(Word("COW", 1));
  Add(e.tree.BlankNode);
  sortnodes(e, 1, e.tree.NodeCount, SortOrder::Frequency);
  EXPECT_EQ(Words(), (std::vector<std::string>{"ANT", "", "BEE", "COW"}));
}

TEST_F(SortTest, OneRecordOrEmptyRangeMovesNothing) {
  Add(Word("ONE", 1));
  Add(Word("TWO", 2));
  ClearTraffic();
  sortnodes(e, 2, 2, SortOrder::Frequency);
  sortnodes(e, 2, 1, SortOrder::Frequency);
  insertion_sort(e, 1, 1, SortOrder::Frequency);
  insertion_sort(e, 2, 1, SortOrder::Frequency);
  EXPECT_EQ(e.counters.CacheNodesRead, 0);
  EXPECT_EQ(e.counters.CacheNodesWritten, 0);
  EXPECT_EQ(Words(), (std::vector<std::string>{"ONE", "TWO"}));
}

// [A 1, B 3, C 2]. k = 2: reads 2, 3; B stays; T written at 2. k = 1: read 1; read 2, B moves
// to 1, A written at 2; read 3, C moves to 2, A written at 3. 5 reads, 5 writes.
TEST_F(SortTest, InsertionSortTrafficWorkedByHand) {
  Add(Word("A", 1));
  Add(Word("B", 3));
  Add(Word("C", 2));
  ClearTraffic();
  insertion_sort(e, 1, 3, SortOrder::Frequency);
  EXPECT_EQ(Words(), (std::vector<std::string>{"B", "C", "A"}));
  EXPECT_EQ(e.counters.CacheNodesRead, 5);
  EXPECT_EQ(e.counters.CacheNodesWritten, 5);
  EXPECT_EQ(e.counters.DiskNodesRead, 0);
  EXPECT_EQ(e.counters.DiskNodesWritten, 0);
}

// Pivot A 1. Right scan stops at once at C (read 3), C re-read and written at 1; left scan reads
// 1, 2, 3; 3 re-read and written at 3; pivot written at 3: 7 reads, 3 writes. Then the insertion
// sort of [C 2, B 3]: 2 reads, 2 writes.
TEST_F(SortTest, QuicksortTrafficWorkedByHand) {
  Add(Word("A", 1));
  Add(Word("B", 3));
  Add(Word("C", 2));
  ClearTraffic();
  sortnodes(e, 1, 3, SortOrder::Frequency);
  EXPECT_EQ(Words(), (std::vector<std::string>{"B", "C", "A"}));
  EXPECT_EQ(e.counters.CacheNodesRead, 9);
  EXPECT_EQ(e.counters.CacheNodesWritten, 5);
}

TEST_F(SortTest, InsertionSortKeepsTheOrderOfRecordsNoKeyTellsApart) {
  TreeNode fam = Word("CAT", 3, 100);
  fam.FamilyFrequency = 8;
  Add(fam);
  Add(Word("CAT", 3, 1));
  Add(Word("DOG", 5));
  ClearTraffic();
  insertion_sort(e, 1, 3, SortOrder::Frequency);
  std::vector<TreeNode> r = Records();
  EXPECT_EQ(r[0].Word(), "DOG");
  EXPECT_EQ(r[1].ListCode, 100);
  EXPECT_EQ(r[2].ListCode, 1);
  EXPECT_EQ(e.counters.CacheNodesRead, 5);
  EXPECT_EQ(e.counters.CacheNodesWritten, 5);
}

// 21 records: partition of 25 reads, 3 writes leaves a left part of 20 for the insertion sort:
// 18 records already placed (2 reads, 1 write each) and one sinking 19 places (20 reads, 38
// writes).
TEST_F(SortTest, LeftPartOfTwentyGoesToTheInsertionSort) {
  Add(Word("P", 0));
  for (int f = 20; f >= 1; --f) Add(Word("W" + std::to_string(f), f));
  ClearTraffic();
  sortnodes(e, 1, 21, SortOrder::Frequency);
  EXPECT_EQ(e.counters.CacheNodesRead, 25 + 56);
  EXPECT_EQ(e.counters.CacheNodesWritten, 3 + 56);
  std::vector<std::string> w = Words();
  EXPECT_EQ(w.front(), "W20");
  EXPECT_EQ(w[19], "W1");
  EXPECT_EQ(w.back(), "P");
}

// 22 records: the left part of 21 is partitioned again (25 reads, 3 writes) before its left part
// of 20 goes to the insertion sort. Handing 21 to the insertion sort would read 85 in all.
TEST_F(SortTest, LeftPartOfTwentyOneIsPartitionedAgain) {
  Add(Word("P", 0));
  for (int f = 21; f >= 1; --f) Add(Word("W" + std::to_string(f), f));
  ClearTraffic();
  sortnodes(e, 1, 22, SortOrder::Frequency);
  EXPECT_EQ(e.counters.CacheNodesRead, 26 + 25 + 56);
  EXPECT_EQ(e.counters.CacheNodesWritten, 3 + 3 + 56);
  std::vector<std::string> w = Words();
  EXPECT_EQ(w.front(), "W21");
  EXPECT_EQ(w[20], "W1");
  EXPECT_EQ(w.back(), "P");
}

// A plain restatement of the sort over a vector, counting reads and writes by where the record
// lives, to check order and traffic on many arrays.
class ModelSort {
 public:
  ModelSort(std::vector<TreeNode> records, int32_t memoryLimit)
      : a_(std::move(records)), limit_(memoryLimit) {
    a_.insert(a_.begin(), TreeNode{});  // node numbers from 1
  }

  void Quick(int32_t lo, int32_t hi) {
    while (lo < hi) {
      TreeNode p = Read(lo);
      int32_t i = lo, j = hi;
      while (i < j) {
        TreeNode t = Read(j);
        while (Cmp(t, p) == 1) t = Read(--j);
        Write(i, Read(j));
        t = Read(i);
        while (i < j && Cmp(t, p) < 1) t = Read(++i);
        Write(j, Read(i));
      }
      Write(i, p);
      if (i - lo <= 20) {
        Insertion(lo, i - 1);
      } else {
        Quick(lo, i - 1);
      }
      lo = i + 1;
    }
  }

  void Insertion(int32_t lo, int32_t hi) {
    for (int32_t k = hi - 1; k >= lo; --k) {
      TreeNode t = Read(k);
      int32_t p = k + 1;
      for (;;) {
        TreeNode u = Read(p);
        bool moves = Cmp(t, u) == 1;
        if (moves) {
          Write(p - 1, u);
          ++p;
        }
        Write(p - 1, t);
        if (!moves || p > hi) break;
      }
    }
  }

  std::vector<TreeNode> a_;
  int32_t limit_;
  int cacheReads = 0, cacheWrites = 0, diskReads = 0, diskWrites = 0;

 private:
  static int Cmp(const TreeNode& a, const TreeNode& b) {
    if (a.Frequency != b.Frequency) return a.Frequency < b.Frequency ? 1 : -1;
    std::string wa(a.Word()), wb(b.Word());
    if (wa == wb) return -99;
    return wa > wb ? 1 : -1;
  }
  TreeNode Read(int32_t n) {
    EXPECT_GE(n, 1);
    ++(n <= limit_ ? cacheReads : diskReads);
    return a_.at(n);
  }
  void Write(int32_t n, TreeNode t) {
    ++(n <= limit_ ? cacheWrites : diskWrites);
    a_.at(n) = t;
  }
};

std::vector<TreeNode> RandomRecords(std::mt19937& rng, int n) {
  std::uniform_int_distribution<int> freq(0, 6);
  std::uniform_int_distribution<int> letter(0, 3);
  std::uniform_int_distribution<int> length(0, 3);
  std::vector<TreeNode> out;
  for (int i = 0; i < n; ++i) {
    std::string w;
    int len = length(rng);
    for (int c = 0; c < len; ++c) w += static_cast<char>('A' + letter(rng));
    TreeNode r = Word(w, freq(rng), 1 + i % 5);  // ListCode tells duplicates apart afterwards
    out.push_back(r);
  }
  return out;
}

void ExpectSameRecords(const std::vector<TreeNode>& got, const std::vector<TreeNode>& want) {
  ASSERT_EQ(got.size() + 1, want.size());
  for (size_t k = 0; k < got.size(); ++k) {
    EXPECT_EQ(got[k].Word(), want[k + 1].Word()) << "node " << k + 1;
    EXPECT_EQ(got[k].Frequency, want[k + 1].Frequency) << "node " << k + 1;
    EXPECT_EQ(got[k].ListCode, want[k + 1].ListCode) << "node " << k + 1;
  }
}

TEST_F(SortTest, MatchesModelOnRandomArraysWithDuplicates) {
  std::mt19937 rng(20240607);
  std::vector<int> sizes = {2, 3, 4, 5, 19, 20, 21, 22, 23, 40, 41, 42, 43, 64, 150};
  for (int round = 0; round < 12; ++round) {
    for (int n : sizes) {
      SCOPED_TRACE("size " + std::to_string(n) + " round " + std::to_string(round));
      ResetStore(e.tree);
      std::vector<TreeNode> records = RandomRecords(rng, n);
      if (round == 0) {  // many records no key tells apart
        for (TreeNode& r : records) {
          r.SetWord("SAME");
          r.Frequency = 2;
        }
      }
      for (const TreeNode& r : records) Add(r);
      ClearTraffic();
      ModelSort model(records, e.tree.MemoryNodeLimit);
      model.Quick(1, n);
      sortnodes(e, 1, n, SortOrder::Frequency);
      ASSERT_FALSE(e.failed());
      ExpectSameRecords(Records(), model.a_);
      EXPECT_EQ(e.counters.CacheNodesRead, model.cacheReads);
      EXPECT_EQ(e.counters.CacheNodesWritten, model.cacheWrites);
    }
  }
}

TEST_F(SortTest, MatchesModelOnReverseAndSortedOrders) {
  for (int n : {20, 21, 22, 45, 300}) {
    for (bool reverse : {false, true}) {
      SCOPED_TRACE("size " + std::to_string(n) + (reverse ? " reverse" : " sorted"));
      ResetStore(e.tree);
      std::vector<TreeNode> records;
      for (int k = 0; k < n; ++k) records.push_back(Word("W", reverse ? k : n - k));
      for (const TreeNode& r : records) Add(r);
      ClearTraffic();
      ModelSort model(records, e.tree.MemoryNodeLimit);
      model.Quick(1, n);
      sortnodes(e, 1, n, SortOrder::Frequency);
      ExpectSameRecords(Records(), model.a_);
      EXPECT_EQ(e.counters.CacheNodesRead, model.cacheReads);
      EXPECT_EQ(e.counters.CacheNodesWritten, model.cacheWrites);
    }
  }
}

TEST_F(SortTest, SortsRecordsThatLiveInTheRecordFile) {
  e.tree.MemoryNodeLimit = 10;
  std::mt19937 rng(7);
  const int n = 400;
  std::vector<TreeNode> records = RandomRecords(rng, n);
  for (const TreeNode& r : records) Add(r);
  ClearTraffic();
  ModelSort model(records, e.tree.MemoryNodeLimit);
  model.Quick(1, n);
  sortnodes(e, 1, n, SortOrder::Frequency);
  ASSERT_FALSE(e.failed());
  EXPECT_GT(model.diskReads, 0);
  EXPECT_EQ(e.counters.CacheNodesRead, model.cacheReads);
  EXPECT_EQ(e.counters.CacheNodesWritten, model.cacheWrites);
  EXPECT_EQ(e.counters.DiskNodesRead, model.diskReads);
  EXPECT_EQ(e.counters.DiskNodesWritten, model.diskWrites);
  std::vector<TreeNode> got = Records();
  ExpectSameRecords(got, model.a_);
  for (int32_t k = 0; k < n; ++k) EXPECT_EQ(got[k].NodeNumber, k + 1);
  // And the order is the frequency order.
  for (size_t k = 1; k < got.size(); ++k) {
    EXPECT_LT(freqcompare(e, got[k - 1], got[k]), 1) << "at node " << k;
  }
}

TEST_F(SortTest, NothingMovesOnceTheRunHasFailed) {
  Add(Word("A", 1));
  Add(Word("B", 2));
  Add(Word("C", 3));
  ClearTraffic();
  e.Fail(Status::IOError("tree.dvp", "disk full"));
  sortnodes(e, 1, 3, SortOrder::Frequency);
  insertion_sort(e, 1, 3, SortOrder::Frequency);
  EXPECT_EQ(e.counters.CacheNodesRead, 0);
  EXPECT_EQ(e.counters.CacheNodesWritten, 0);
}

}  // namespace
}  // namespace quarn
