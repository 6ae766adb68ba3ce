#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "state/Engine.h"
#include "store/WordEntry.h"
#include "store/WordTree.h"

namespace quarn {
namespace {

using testing::TempDir;
using testing::TestHost;

class WordEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  }

  // Enters words the way the scanner does: depth reset per word, the root of the first
  // character, one shared grow flag.
  void Enter(std::initializer_list<const char*> words) {
    for (const char* w : words) Enter(std::string(w));
  }
  void Enter(const std::string& w) {
    e.tree.InsertDepth = 0;
    addtowrdlist(e, w, e.tree.wordGrow);
  }

  // Enters words all into one tree (the numeric test keys share a first digit anyway).
  void EnterInto(int32_t& root, std::initializer_list<const char*> words) {
    bool grow = false;
    for (const char* w : words) addtowrdlist(e, root, w, grow);
  }

  TreeNode Node(int32_t n) {
    TreeNode t;
    ReadNode(e, n, "checklist", &t);
    return t;
  }

  // The number of the node holding word in the tree at root, -1 when absent.
  int32_t Find(int32_t root, const std::string& word) {
    TreeNode t;
    checklist(e, root, word, &t);
    return t.NodeNumber;
  }

  void ExpectTraffic(int cacheRead, int cacheWritten, int diskRead, int diskWritten) {
    EXPECT_EQ(cacheRead, e.counters.CacheNodesRead);
    EXPECT_EQ(cacheWritten, e.counters.CacheNodesWritten);
    EXPECT_EQ(diskRead, e.counters.DiskNodesRead);
    EXPECT_EQ(diskWritten, e.counters.DiskNodesWritten);
  }

  TreeNode Family(const char* head, int32_t freq, int32_t famFreq, int32_t listCode) {
    TreeNode f = MakeBlankNode();
    f.SetWord(head);
    f.Frequency = freq;
    f.FamilyFrequency = famFreq;
    f.ListCode = listCode;
    return f;
  }

  struct Shape {
    std::vector<std::string> inOrder;
    int height = 0;
    bool balanced = true;  // every Balance equals the height difference and is within -1..1
  };

  int Walk(int32_t n, Shape& s) {
    if (n == -1) return 0;
    TreeNode t = Node(n);
    EXPECT_EQ(n, t.NodeNumber);
    const int lh = Walk(t.Left, s);
    s.inOrder.emplace_back(t.Word());
    const int rh = Walk(t.Right, s);
    if (t.Balance != rh - lh || t.Balance < -1 || t.Balance > 1) s.balanced = false;
    return 1 + std::max(lh, rh);
  }

  Shape ShapeOf(int32_t root) {
    Shape s;
    s.height = Walk(root, s);
    return s;
  }

  bool LogHas(const std::string& line) const {
    return std::find(e.progress.lines.begin(), e.progress.lines.end(), line) !=
           e.progress.lines.end();
  }

  TestHost host;
  TempDir dir;
  Engine e{host};
};

TEST(CompareWordsTest, UnsignedBytesWithThePrefixFirst) {
  EXPECT_EQ(0, CompareWords("CAT", "CAT"));
  EXPECT_LT(CompareWords("CAT", "CATS"), 0);
  EXPECT_GT(CompareWords("CATS", "CAT"), 0);
  EXPECT_LT(CompareWords("", "A"), 0);
  EXPECT_EQ(0, CompareWords("", ""));
  EXPECT_LT(CompareWords("BAT", "BED"), 0);
  // 0xC9 sorts after every ASCII letter.
  EXPECT_GT(CompareWords("\xC9T", "ZZ"), 0);
  EXPECT_LT(CompareWords("Z", "\xC9"), 0);
}

TEST_F(WordEntryTest, CatIntoAnEmptyTreeIsOneWrite) {
  Enter({"CAT"});
  const int32_t root = e.tree.WordRoots['C'];
  EXPECT_EQ(1, root);
  EXPECT_EQ(1, e.tree.NodeCount);
  EXPECT_TRUE(e.tree.wordGrow);
  EXPECT_EQ(1, e.counters.UniqueWords);
  EXPECT_EQ(1, e.counters.OtherTypes);
  ExpectTraffic(0, 1, 0, 0);
  TreeNode n = Node(1);
  EXPECT_EQ("CAT", n.Word());
  EXPECT_EQ(1, n.NodeNumber);
  EXPECT_EQ(0, n.Balance);
  EXPECT_EQ(0, n.FileRange);
  EXPECT_EQ(1, n.Frequency);
  EXPECT_EQ(0, n.FamilyFrequency);
  EXPECT_EQ(kNoListCode, n.ListCode);
  EXPECT_EQ(1, n.FileCounts(1));
  for (int k = 2; k <= kMaxInputFiles; ++k) EXPECT_EQ(0, n.FileCounts(k));
  EXPECT_EQ(-1, n.Left);
  EXPECT_EQ(-1, n.Right);
}

TEST_F(WordEntryTest, CatAgainIsOneReadAndOneWrite) {
  Enter({"CAT"});
  SetFileNumber(e, 2);
  Enter({"CAT"});
  EXPECT_FALSE(e.tree.wordGrow);
  EXPECT_EQ(1, e.tree.NodeCount);
  EXPECT_EQ(1, e.counters.UniqueWords);
  EXPECT_EQ(1, e.counters.OtherTypes);
  ExpectTraffic(1, 2, 0, 0);
  TreeNode n = Node(1);
  EXPECT_EQ(2, n.Frequency);
  EXPECT_EQ(1, n.FileCounts(1));
  EXPECT_EQ(1, n.FileCounts(2));
}

TEST_F(WordEntryTest, BatBedBoxIsASingleRotationOnTheRight) {
  Enter({"BAT"});
  Enter({"BED"});
  // BED: read BAT, create BED, write BAT twice (link, then balance +1).
  ExpectTraffic(1, 4, 0, 0);
  Enter({"BOX"});
  // BOX: read BAT, read BED, create BOX, write BED twice, write BAT, read BED for the
  // rotation, write BAT, write BED, read BED again and write it with balance 0.
  ExpectTraffic(5, 11, 0, 0);
  EXPECT_EQ(2, e.tree.WordRoots['B']);
  TreeNode bed = Node(2), bat = Node(1), box = Node(3);
  EXPECT_EQ("BED", bed.Word());
  EXPECT_EQ(1, bed.Left);
  EXPECT_EQ(3, bed.Right);
  EXPECT_EQ(-1, bat.Left);
  EXPECT_EQ(-1, bat.Right);
  EXPECT_EQ(-1, box.Left);
  EXPECT_EQ(-1, box.Right);
  EXPECT_EQ(0, bed.Balance);
  EXPECT_EQ(0, bat.Balance);
  EXPECT_EQ(0, box.Balance);
  EXPECT_FALSE(e.tree.wordGrow);
  EXPECT_EQ(3, e.counters.UniqueWords);
}

TEST_F(WordEntryTest, BoxBedBatIsASingleRotationOnTheLeft) {
  Enter({"BOX", "BED", "BAT"});
  ExpectTraffic(5, 11, 0, 0);
  EXPECT_EQ(2, e.tree.WordRoots['B']);
  TreeNode bed = Node(2);
  EXPECT_EQ(3, bed.Left);
  EXPECT_EQ(1, bed.Right);
  EXPECT_EQ(0, bed.Balance);
  EXPECT_EQ(0, Node(1).Balance);
  EXPECT_EQ(-1, Node(1).Left);
  EXPECT_EQ(0, Node(3).Balance);
}

TEST_F(WordEntryTest, BoxBatBedIsADoubleRotationOnTheLeft) {
  Enter({"BOX", "BAT"});
  ExpectTraffic(1, 4, 0, 0);
  Enter({"BED"});
  // BED: read BOX, read BAT, create BED, write BAT twice, write BOX, read BAT and BED for the
  // rotation, write BOX, BAT, BED, read BED again and write it.
  ExpectTraffic(6, 12, 0, 0);
  EXPECT_EQ(3, e.tree.WordRoots['B']);
  TreeNode bed = Node(3), bat = Node(2), box = Node(1);
  EXPECT_EQ("BED", bed.Word());
  EXPECT_EQ(2, bed.Left);
  EXPECT_EQ(1, bed.Right);
  EXPECT_EQ(-1, bat.Left);
  EXPECT_EQ(-1, bat.Right);
  EXPECT_EQ(-1, box.Left);
  EXPECT_EQ(-1, box.Right);
  EXPECT_EQ(0, bed.Balance);
  EXPECT_EQ(0, bat.Balance);
  EXPECT_EQ(0, box.Balance);
}

TEST_F(WordEntryTest, BatBoxBedIsADoubleRotationOnTheRight) {
  Enter({"BAT", "BOX", "BED"});
  ExpectTraffic(6, 12, 0, 0);
  EXPECT_EQ(3, e.tree.WordRoots['B']);
  TreeNode bed = Node(3);
  EXPECT_EQ(1, bed.Left);
  EXPECT_EQ(2, bed.Right);
  EXPECT_EQ(0, bed.Balance);
  EXPECT_EQ(0, Node(1).Balance);
  EXPECT_EQ(-1, Node(1).Right);
  EXPECT_EQ(0, Node(2).Balance);
  EXPECT_EQ(-1, Node(2).Left);
}

// 50(30(20,40),60) then 35: the middle node 40 leans left, so 50 ends leaning right.
TEST_F(WordEntryTest, LeftDoubleRotationWithTheMiddleLeaningLeft) {
  int32_t root = -1;
  EnterInto(root, {"50", "30", "60", "20", "40", "35"});
  EXPECT_EQ(5, root);  // 40
  TreeNode n40 = Node(5), n30 = Node(2), n50 = Node(1);
  EXPECT_EQ(2, n40.Left);
  EXPECT_EQ(1, n40.Right);
  EXPECT_EQ(4, n30.Left);   // 20
  EXPECT_EQ(6, n30.Right);  // 35
  EXPECT_EQ(-1, n50.Left);
  EXPECT_EQ(3, n50.Right);  // 60
  EXPECT_EQ(0, n40.Balance);
  EXPECT_EQ(0, n30.Balance);
  EXPECT_EQ(1, n50.Balance);
  EXPECT_TRUE(ShapeOf(root).balanced);
}

// The same tree then 45: 40 leans right, so 30 ends leaning left.
TEST_F(WordEntryTest, LeftDoubleRotationWithTheMiddleLeaningRight) {
  int32_t root = -1;
  EnterInto(root, {"50", "30", "60", "20", "40", "45"});
  EXPECT_EQ(5, root);
  TreeNode n40 = Node(5), n30 = Node(2), n50 = Node(1);
  EXPECT_EQ(4, n30.Left);
  EXPECT_EQ(-1, n30.Right);
  EXPECT_EQ(6, n50.Left);  // 45
  EXPECT_EQ(3, n50.Right);
  EXPECT_EQ(0, n40.Balance);
  EXPECT_EQ(-1, n30.Balance);
  EXPECT_EQ(0, n50.Balance);
  EXPECT_TRUE(ShapeOf(root).balanced);
}

// 30(20,50(40,60)) then 45: 40 leans right, so 30 ends leaning left.
TEST_F(WordEntryTest, RightDoubleRotationWithTheMiddleLeaningRight) {
  int32_t root = -1;
  EnterInto(root, {"30", "20", "50", "40", "60", "45"});
  EXPECT_EQ(4, root);  // 40
  TreeNode n40 = Node(4), n30 = Node(1), n50 = Node(3);
  EXPECT_EQ(1, n40.Left);
  EXPECT_EQ(3, n40.Right);
  EXPECT_EQ(2, n30.Left);
  EXPECT_EQ(-1, n30.Right);
  EXPECT_EQ(6, n50.Left);
  EXPECT_EQ(5, n50.Right);
  EXPECT_EQ(0, n40.Balance);
  EXPECT_EQ(-1, n30.Balance);
  EXPECT_EQ(0, n50.Balance);
  EXPECT_TRUE(ShapeOf(root).balanced);
}

// The same tree then 35: 40 leans left, so 50 ends leaning right.
TEST_F(WordEntryTest, RightDoubleRotationWithTheMiddleLeaningLeft) {
  int32_t root = -1;
  EnterInto(root, {"30", "20", "50", "40", "60", "35"});
  EXPECT_EQ(4, root);
  TreeNode n40 = Node(4), n30 = Node(1), n50 = Node(3);
  EXPECT_EQ(2, n30.Left);
  EXPECT_EQ(6, n30.Right);
  EXPECT_EQ(-1, n50.Left);
  EXPECT_EQ(5, n50.Right);
  EXPECT_EQ(0, n40.Balance);
  EXPECT_EQ(0, n30.Balance);
  EXPECT_EQ(1, n50.Balance);
  EXPECT_TRUE(ShapeOf(root).balanced);
}

// A rotation below the root hangs the new subtree root on its parent's link.
TEST_F(WordEntryTest, ARotationBelowTheRootRelinksTheParent) {
  int32_t root = -1;
  EnterInto(root, {"50", "30", "60", "20", "10"});
  EXPECT_EQ(1, root);
  TreeNode n50 = Node(1), n20 = Node(4);
  EXPECT_EQ(4, n50.Left);
  EXPECT_EQ(-1, n50.Balance);
  EXPECT_EQ(5, n20.Left);
  EXPECT_EQ(2, n20.Right);
  EXPECT_EQ(0, n20.Balance);
  Shape s = ShapeOf(root);
  EXPECT_TRUE(s.balanced);
  EXPECT_EQ((std::vector<std::string>{"10", "20", "30", "50", "60"}), s.inOrder);
}

TEST_F(WordEntryTest, TheStoreCrossesIntoTheRecordFile) {
  e.tree.MemoryNodeLimit = 1;
  Enter({"BAT", "BED", "BOX"});
  // Node 1 (BAT) in memory; BED and BOX are records 1 and 2.
  ExpectTraffic(2, 5, 3, 6);
  EXPECT_EQ(2, e.tree.WordRoots['B']);
  SettleAllWaiting(e);  // as the scan of a file does at its end
  ASSERT_TRUE(e.tree.recordFile->Close().ok());
  e.tree.recordFile.reset();
  const std::string bytes = testing::ReadFile(e.TreeFilePath());
  ASSERT_EQ(3u * kNodeSize, bytes.size());
  TreeNode bed, box;
  std::memcpy(&bed, bytes.data() + 316, kNodeSize);
  std::memcpy(&box, bytes.data() + 632, kNodeSize);
  EXPECT_EQ(2, bed.NodeNumber);
  EXPECT_EQ("BED", bed.Word());
  EXPECT_EQ(1, bed.Left);
  EXPECT_EQ(3, bed.Right);
  EXPECT_EQ(0, bed.Balance);
  EXPECT_EQ(3, box.NodeNumber);
  EXPECT_EQ("BOX", box.Word());
  EXPECT_EQ(1, box.Frequency);
  EXPECT_EQ(kNoListCode, box.ListCode);
  EXPECT_EQ(1, box.FileCounts(1));
}

TEST_F(WordEntryTest, WithBatchFilesEveryOccurrenceCountsInSlotOne) {
  e.options.BatchFiles = true;
  SetFileNumber(e, 5);
  Enter({"CAT", "CAT"});
  SetFileNumber(e, 7);
  Enter({"CAT"});
  TreeNode n = Node(1);
  EXPECT_EQ(3, n.Frequency);
  EXPECT_EQ(3, n.FileCounts(1));
  EXPECT_EQ(0, n.FileCounts(5));
  EXPECT_EQ(0, n.FileCounts(7));
}

TEST_F(WordEntryTest, EachOccurrenceCountsInItsFilesSlot) {
  SetFileNumber(e, 64);
  Enter({"CAT"});
  SetFileNumber(e, 3);
  Enter({"CAT", "CAT"});
  TreeNode n = Node(1);
  EXPECT_EQ(3, n.Frequency);
  EXPECT_EQ(2, n.FileCounts(3));
  EXPECT_EQ(1, n.FileCounts(64));
  EXPECT_EQ(0, n.FileCounts(1));
}

TEST_F(WordEntryTest, AFileNumberWithoutASlotCountsInNoSlot) {
  SetFileNumber(e, 65);
  Enter({"CAT"});
  SetFileNumber(e, 0);
  Enter({"CAT"});
  TreeNode n = Node(1);
  EXPECT_EQ(2, n.Frequency);
  for (int k = 1; k <= kMaxInputFiles; ++k) EXPECT_EQ(0, n.FileCounts(k));
  EXPECT_EQ(kNoListCode, n.ListCode);  // nothing spilled past the slots
  EXPECT_EQ(-1, n.Left);
}

TEST_F(WordEntryTest, WordsAreCutToThirtyCharacters) {
  const std::string longWord = "ANTIDISESTABLISHMENTARIANISMSXYZ";  // 32 characters
  Enter(longWord);
  Enter(longWord.substr(0, 30));
  EXPECT_EQ(1, e.tree.NodeCount);
  TreeNode n = Node(1);
  EXPECT_EQ(longWord.substr(0, 30), n.Word());
  EXPECT_EQ(2, n.Frequency);
  EXPECT_EQ(2, LookupFrequency(e, e.tree.WordRoots['A'], longWord + "QQ"));
}

TEST_F(WordEntryTest, ChecklistFindsTheWordAndTellsWhetherAListClaimedIt) {
  Enter({"BAT", "BED", "BOX"});
  const int32_t root = e.tree.WordRoots['B'];
  TreeNode n;
  const int reads = e.counters.CacheNodesRead;
  EXPECT_FALSE(checklist(e, root, "BOX", &n));
  EXPECT_EQ(2, e.counters.CacheNodesRead - reads);  // BED, then BOX
  EXPECT_EQ(3, n.NodeNumber);
  EXPECT_EQ("BOX", n.Word());
  EXPECT_EQ(kNoListCode, n.ListCode);

  n.ListCode = 3;
  WriteNode(e, 3, n);
  TreeNode m;
  EXPECT_TRUE(checklist(e, root, "BOX", &m));
  EXPECT_EQ(3, m.NodeNumber);
  EXPECT_EQ(3, m.ListCode);

  TreeNode absent;
  EXPECT_FALSE(checklist(e, root, "BUG", &absent));
  EXPECT_EQ(-1, absent.NodeNumber);
  EXPECT_FALSE(checklist(e, e.tree.WordRoots['Q'], "QUIT", &absent));
  EXPECT_EQ(-1, absent.NodeNumber);
  EXPECT_FALSE(e.failed());
}

TEST_F(WordEntryTest, LookupsGiveZeroForAnAbsentWord) {
  Enter({"BAT", "BED", "BED"});
  const int32_t root = e.tree.WordRoots['B'];
  EXPECT_EQ(2, LookupFrequency(e, root, "BED"));
  EXPECT_EQ(kNoListCode, LookupListCode(e, root, "BED"));
  EXPECT_EQ(0, LookupFrequency(e, root, "BE"));
  EXPECT_EQ(0, LookupListCode(e, root, "BEDS"));
  EXPECT_EQ(0, LookupFrequency(e, -1, "BED"));
  EXPECT_EQ(0, LookupListCode(e, -1, "BED"));
  const TreeNode bed = Node(2);
  EXPECT_EQ(2, bed.Frequency);  // lookups change nothing
}

TEST_F(WordEntryTest, AFamilyIsACopyOfItsRecordWithFreshLinks) {
  TreeNode f = Family("CAT", 3, 7, 200);
  f.NodeNumber = 77;
  f.Balance = 1;
  f.Left = 12;
  f.Right = 13;
  f.FileCounts(2) = 5;
  bool grow = false;
  addtofamlist(e, e.tree.FamilyRoots['C'], f, grow);
  EXPECT_TRUE(grow);
  EXPECT_EQ(1, e.tree.FamilyRoots['C']);
  EXPECT_EQ(1, e.tree.NodeCount);
  EXPECT_EQ(0, e.counters.UniqueWords);
  EXPECT_EQ(0, e.counters.OtherTypes);
  TreeNode n = Node(1);
  EXPECT_EQ(1, n.NodeNumber);
  EXPECT_EQ("CAT", n.Word());
  EXPECT_EQ(0, n.Balance);
  EXPECT_EQ(-1, n.Left);
  EXPECT_EQ(-1, n.Right);
  EXPECT_EQ(3, n.Frequency);
  EXPECT_EQ(7, n.FamilyFrequency);
  EXPECT_EQ(200, n.ListCode);
  EXPECT_EQ(5, n.FileCounts(2));
}

TEST_F(WordEntryTest, ASecondFamilyForAHeadwordIsRefused) {
  int32_t root = -1;
  bool grow = false;
  for (const char* h : {"BED", "BAT", "BOX", "BUN"}) {
    addtofamlist(e, root, Family(h, 1, 2, 100), grow);
  }
  std::vector<TreeNode> before;
  for (int32_t n = 1; n <= e.tree.NodeCount; ++n) before.push_back(Node(n));
  const int32_t rootBefore = root;

  grow = true;
  addtofamlist(e, root, Family("BOX", 9, 9, 300), grow);
  EXPECT_FALSE(grow);
  EXPECT_EQ(4, e.tree.NodeCount);
  EXPECT_EQ(rootBefore, root);
  for (int32_t n = 1; n <= 4; ++n) {
    TreeNode now = Node(n);
    EXPECT_EQ(0, std::memcmp(&before[n - 1], &now, sizeof now)) << "node " << n;
  }
  ASSERT_GE(e.progress.lines.size(), 2u);
  const auto& lines = e.progress.lines;
  EXPECT_EQ("ERROR Serious Error in Add to Fam List!", lines[lines.size() - 2]);
  EXPECT_EQ(" ", lines.back());
  EXPECT_FALSE(e.failed());
}

TEST_F(WordEntryTest, FamiliesBalanceLikeWords) {
  int32_t root = -1;
  bool grow = false;
  for (const char* h : {"A1", "A2", "A3", "A4", "A5", "A6", "A7"}) {
    addtofamlist(e, root, Family(h, 0, 1, 100), grow);
  }
  Shape s = ShapeOf(root);
  EXPECT_TRUE(s.balanced);
  EXPECT_EQ(3, s.height);  // seven ascending keys give the perfect tree
  EXPECT_EQ((std::vector<std::string>{"A1", "A2", "A3", "A4", "A5", "A6", "A7"}), s.inOrder);
  EXPECT_EQ(0, Node(root).Frequency);  // the record's 0 is kept, not the blank's 1
}

TEST_F(WordEntryTest, ABrokenLinkIsTheFatalNodeErrorAndTheInsertionStops) {
  Enter({"MAN"});
  TreeNode man = Node(1);
  man.Left = 5000;  // block 1 does not exist
  WriteNode(e, 1, man);
  Enter({"MAD"});
  EXPECT_TRUE(LogHas("ERROR whereami: addtowrdlistlist_ptr: 5000depth: 2"));
  EXPECT_TRUE(e.failed());
  EXPECT_TRUE(e.runErrorReported);
  EXPECT_EQ(1, e.tree.NodeCount);
  EXPECT_EQ(1, e.counters.UniqueWords);
}

TEST_F(WordEntryTest, ABrokenLinkInAFamilyTreeNamesAddtofamlist) {
  bool grow = false;
  int32_t root = -1;
  addtofamlist(e, root, Family("MAN", 1, 1, 100), grow);
  TreeNode man = Node(1);
  man.Right = -7;
  WriteNode(e, 1, man);
  e.tree.InsertDepth = 0;
  addtofamlist(e, root, Family("MAT", 1, 1, 100), grow);
  EXPECT_TRUE(LogHas("ERROR whereami: addtofamlistlist_ptr: -7depth: 2"));
  EXPECT_TRUE(e.failed());
}

TEST_F(WordEntryTest, ChecklistOfABrokenLinkNamesChecklist) {
  Enter({"MAN"});
  TreeNode man = Node(1);
  man.Right = 3001;
  WriteNode(e, 1, man);
  TreeNode out;
  EXPECT_FALSE(checklist(e, 1, "MAT", &out));
  EXPECT_EQ(-1, out.NodeNumber);
  EXPECT_TRUE(LogHas("ERROR whereami: checklistlist_ptr: 3001depth: 1"));
}

// Thousands of random words with most nodes in the record file: the trees stay sorted and
// balanced and count exactly what a map counts.
TEST_F(WordEntryTest, RandomWordsKeepTheTreesSortedBalancedAndCounted) {
  e.tree.MemoryNodeLimit = 40;
  std::mt19937 rng(20240611);
  const std::string letters = "ABCDE\xC9";
  std::uniform_int_distribution<int> len(1, 6), pick(0, static_cast<int>(letters.size()) - 1);
  std::uniform_int_distribution<int> file(1, 3);
  std::map<std::string, std::array<int, 4>> expected;  // [0] total, [1..3] per file
  for (int i = 0; i < 4000; ++i) {
    std::string w;
    const int n = len(rng);
    for (int j = 0; j < n; ++j) w += letters[pick(rng)];
    SetFileNumber(e, file(rng));
    Enter(w);
    auto& c = expected[w];
    ++c[0];
    ++c[e.FileNumber];
  }
  ASSERT_FALSE(e.failed());
  EXPECT_EQ(static_cast<int32_t>(expected.size()), e.tree.NodeCount);
  EXPECT_EQ(e.tree.NodeCount, e.counters.UniqueWords);
  EXPECT_GT(e.counters.DiskNodesWritten, e.counters.CacheNodesWritten);

  std::vector<std::string> all;
  for (int c = 1; c <= 255; ++c) {
    if (e.tree.WordRoots[c] == -1) continue;
    Shape s = ShapeOf(e.tree.WordRoots[c]);
    EXPECT_TRUE(s.balanced) << "tree of " << c;
    // An AVL tree of n nodes is at most about 1.44 log2(n) high.
    EXPECT_LE(s.height, 1.45 * std::log2(s.inOrder.size() + 2)) << "tree of " << c;
    for (const auto& w : s.inOrder) {
      EXPECT_EQ(c, static_cast<unsigned char>(w[0]));
      all.push_back(w);
    }
  }
  std::vector<std::string> keys;
  for (const auto& [w, c] : expected) keys.push_back(w);
  ASSERT_EQ(keys, all);  // in order, each word once

  for (const auto& [w, c] : expected) {
    TreeNode n;
    checklist(e, e.tree.WordRoots[static_cast<unsigned char>(w[0])], w, &n);
    ASSERT_NE(-1, n.NodeNumber) << w;
    EXPECT_EQ(c[0], n.Frequency) << w;
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(c[k], n.FileCounts(k)) << w;
  }
}

}  // namespace
}  // namespace quarn
