#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "state/Engine.h"
#include "store/WordTree.h"

namespace quarn {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::TestHost;

class WordTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  }

  TreeNode Named(const char* word) {
    TreeNode n = MakeBlankNode();
    n.SetWord(word);
    n.ListCode = kNoListCode;
    return n;
  }

  bool LogHas(const std::string& line) const {
    for (const auto& l : e.progress.lines) {
      if (l == line) return true;
    }
    return false;
  }

  void ExpectBlank(const TreeNode& n) {
    TreeNode blank = MakeBlankNode();
    EXPECT_EQ(0, std::memcmp(&n, &blank, sizeof n));
  }

  TestHost host;
  TempDir dir;
  Engine e{host};
};

// A record file whose every read and write fails.
class BrokenRecordFile : public RecordFile {
 public:
  Status ReadAt(uint64_t, size_t, char*) override { return Status::IOError("", "read failed"); }
  Status WriteAt(uint64_t, const char*, size_t) override {
    return Status::IOError("", "disk full");
  }
  Status Close() override { return Status::OK(); }
};

// Every record of a block handed out is the blank asked for, whether the block was made ready
// ahead on another thread (the next one in order) or not, and whatever blank that was with.
TEST(NodeBlockAreaTest, BlocksComeFilledWithTheBlankAskedFor) {
  TreeNode blankA = MakeBlankNode();
  TreeNode blankB = MakeBlankNode();
  blankB.Frequency = 7;
  std::strcpy(blankB.WordChars, "ZZ");
  const std::pair<int, const TreeNode*> asked[] = {
      {0, &blankA}, {1, &blankA}, {2, &blankB}, {3, &blankB}, {7, &blankA}, {8, &blankB},
      {kMaxNodeBlocks - 1, &blankA}, {kMaxNodeBlocks, &blankB}};
  for (bool ahead : {true, false}) {
    NodeBlockArea area;
    area.PrepareAhead(ahead);
    std::vector<NodeBlock> blocks;
    for (const auto& [k, blank] : asked) {
      if (k == 3) area.PrepareAhead(!ahead);  // block 3 was made ready, or block 4 will be
      blocks.push_back(area.Block(k, *blank));
      for (int i = 0; i < kNodeBlockSlots; ++i) {
        ASSERT_EQ(0, std::memcmp(&blocks.back()[i], blank, sizeof(TreeNode))) << k << " " << i;
      }
      // Writing the block must not disturb the next one being made ready.
      std::memset(blocks.back().get(), 0xAB, sizeof(TreeNode) * kNodeBlockSlots);
    }
  }
  // A block made ready once, handed out, written and given back is filled again when it is
  // asked for again.
  NodeBlockArea area;
  area.PrepareAhead(true);
  NodeBlock first = area.Block(0, blankA);
  area.PrepareAhead(false);
  for (int round = 0; round < 2; ++round) {
    NodeBlock again = area.Block(1, blankA);
    for (int i = 0; i < kNodeBlockSlots; ++i) {
      ASSERT_EQ(0, std::memcmp(&again[i], &blankA, sizeof(TreeNode))) << round << " " << i;
    }
    std::memset(again.get(), 0xAB, sizeof(TreeNode) * kNodeBlockSlots);
  }
}

TEST_F(WordTreeTest, BlankNodeHasTheSetUpContents) {
  TreeNode b = MakeBlankNode();
  EXPECT_EQ(-1, b.NodeNumber);
  EXPECT_EQ(0, b.Balance);
  EXPECT_EQ(0, b.WordLength);
  EXPECT_EQ(0, b.FileRange);
  EXPECT_EQ(1, b.Frequency);
  EXPECT_EQ(0, b.FamilyFrequency);
  EXPECT_EQ(0, b.ListCode);
  for (int k = 1; k <= kMaxInputFiles; ++k) EXPECT_EQ(0, b.FileCounts(k));
  EXPECT_EQ(-1, b.Left);
  EXPECT_EQ(-1, b.Right);
}

TEST_F(WordTreeTest, ResetStoreLeavesAnEmptyStoreWithBlockZeroBlank) {
  EXPECT_EQ(0, e.tree.NodeCount);
  EXPECT_EQ(0, e.tree.highestBlock);
  for (int c = 1; c <= 255; ++c) {
    EXPECT_EQ(-1, e.tree.WordRoots[c]);
    EXPECT_EQ(-1, e.tree.FamilyRoots[c]);
  }
  ASSERT_NE(nullptr, e.tree.NodeBlocks.at(0));
  for (int s = 0; s < kNodeBlockSlots; ++s) ExpectBlank(e.tree.NodeBlocks[0][s]);
  for (size_t k = 1; k < e.tree.NodeBlocks.size(); ++k) EXPECT_EQ(nullptr, e.tree.NodeBlocks[k]);
}

TEST_F(WordTreeTest, ReadingNodeOneBeforeAnyInsertionGivesTheBlankNode) {
  TreeNode n = Named("JUNK");
  ReadNode(e, 1, "checklist", &n);
  ExpectBlank(n);
  EXPECT_EQ(-1, n.NodeNumber);
  EXPECT_EQ(1, e.counters.CacheNodesRead);
  EXPECT_FALSE(e.failed());
}

TEST_F(WordTreeTest, WriteSetsTheNodeNumberAndReadGivesACopy) {
  TreeNode n = Named("CAT");
  n.NodeNumber = 99;
  n.Frequency = 7;
  WriteNode(e, 5, n);
  EXPECT_EQ(5, n.NodeNumber);
  TreeNode back;
  ReadNode(e, 5, "checklist", &back);
  EXPECT_EQ(5, back.NodeNumber);
  EXPECT_EQ("CAT", back.Word());
  EXPECT_EQ(7, back.Frequency);
  EXPECT_EQ(1, e.counters.CacheNodesWritten);
  EXPECT_EQ(1, e.counters.CacheNodesRead);
  EXPECT_EQ(0, e.counters.DiskNodesRead);
  EXPECT_EQ(0, e.counters.DiskNodesWritten);
}

TEST_F(WordTreeTest, ReadingNodeMinusOneIsTheFatalNodeError) {
  e.tree.InsertDepth = 4;
  TreeNode n = Named("JUNK");
  ReadNode(e, -1, "checklist", &n);
  const std::string text = "whereami: checklistlist_ptr: -1depth: 4";
  EXPECT_TRUE(LogHas("ERROR " + text));
  EXPECT_TRUE(e.failed());
  EXPECT_TRUE(e.runErrorReported);
  EXPECT_EQ(text, e.runError.reason());
  ExpectBlank(n);
  EXPECT_EQ(0, e.counters.CacheNodesRead);
}

TEST_F(WordTreeTest, AnyNegativeNodeIsTheFatalNodeError) {
  TreeNode n;
  ReadNode(e, -3001, "quicksort", &n);
  EXPECT_TRUE(LogHas("ERROR whereami: quicksortlist_ptr: -3001depth: 0"));
  EXPECT_TRUE(e.failed());
}

TEST_F(WordTreeTest, Node3000ExistsOnlyOnceWrittenWhichAllocatesBlockOne) {
  TreeNode n = Named("CAT");
  WriteNode(e, 2999, n);
  EXPECT_EQ(0, e.tree.highestBlock);
  WriteNode(e, 3000, n);
  EXPECT_EQ(1, e.tree.highestBlock);
  ASSERT_NE(nullptr, e.tree.NodeBlocks[1]);
  EXPECT_EQ(3000, e.tree.NodeBlocks[1][0].NodeNumber);
  EXPECT_EQ(2999, e.tree.NodeBlocks[0][2999].NodeNumber);
  // The rest of a new block holds blank records.
  ExpectBlank(e.tree.NodeBlocks[1][1]);
  TreeNode back;
  ReadNode(e, 3000, "quicksort", &back);
  EXPECT_EQ("CAT", back.Word());
  EXPECT_FALSE(e.failed());
}

TEST_F(WordTreeTest, ReadingNode3000BeforeItsBlockExistsIsTheFatalNodeError) {
  e.tree.InsertDepth = 12;
  TreeNode n;
  ReadNode(e, 3000, "insertion sort", &n);
  EXPECT_TRUE(LogHas("ERROR whereami: insertion sortlist_ptr: 3000depth: 12"));
  EXPECT_TRUE(e.failed());
  EXPECT_EQ(-1, n.NodeNumber);
}

TEST_F(WordTreeTest, TheLastMemoryNodeAndTheFirstRecord) {
  ASSERT_EQ(kDefaultMemoryNodeLimit, e.tree.MemoryNodeLimit);
  TreeNode n = Named("LAST");
  WriteNode(e, 179999, n);
  EXPECT_EQ(59, e.tree.highestBlock);
  EXPECT_EQ(179999, e.tree.NodeBlocks[59][2999].NodeNumber);
  EXPECT_EQ(1, e.counters.CacheNodesWritten);
  e.tree.NodeCount = 180000;
  TreeNode d = Named("DISK");
  WriteNode(e, 180000, d);
  EXPECT_EQ(1, e.counters.DiskNodesWritten);
  TreeNode back;
  ReadNode(e, 180000, "dump sort", &back);
  EXPECT_EQ("DISK", back.Word());
  EXPECT_EQ(180000, back.NodeNumber);
  EXPECT_EQ(1, e.counters.DiskNodesRead);
  ASSERT_TRUE(e.tree.recordFile->Close().ok());
  // Record 1 at byte 316; record 0 is never written.
  std::string bytes = ReadFile(e.TreeFilePath());
  ASSERT_EQ(2u * kNodeSize, bytes.size());
  EXPECT_EQ(std::string(kNodeSize, '\0'), bytes.substr(0, kNodeSize));
  EXPECT_EQ(std::string("\x20\xbf\x02\x00", 4), bytes.substr(316, 4));  // 180000
  EXPECT_EQ(std::string("\x04"
                        "DISK",
                        5),
            bytes.substr(316 + 5, 5));
  // The blocks between were never written, so their nodes do not exist.
  TreeNode skipped;
  ReadNode(e, 3000, "quicksort", &skipped);
  EXPECT_TRUE(e.failed());
}

TEST_F(WordTreeTest, RecordsAboveALoweredLimitLiveAtTheirOffsets) {
  e.tree.MemoryNodeLimit = 10;
  e.tree.NodeCount = 12;
  TreeNode a = Named("ELEVEN");
  a.Balance = -1;
  a.Frequency = 3;
  a.FileCounts(2) = 3;
  a.Left = 4;
  a.Right = 12;
  WriteNode(e, 11, a);
  TreeNode b = Named("TWELVE");
  WriteNode(e, 12, b);
  EXPECT_EQ(2, e.counters.DiskNodesWritten);
  EXPECT_EQ(0, e.counters.CacheNodesWritten);

  TreeNode back;
  ReadNode(e, 11, "writetypelist", &back);
  EXPECT_EQ(0, std::memcmp(&a, &back, sizeof a));
  EXPECT_EQ(1, e.counters.DiskNodesRead);
  EXPECT_EQ(0, e.counters.CacheNodesRead);

  ASSERT_TRUE(e.tree.recordFile->Close().ok());
  std::string bytes = ReadFile(e.TreeFilePath());
  ASSERT_EQ(3u * kNodeSize, bytes.size());
  const std::string r1 = bytes.substr(316, kNodeSize);
  EXPECT_EQ(std::string("\x0b\x00\x00\x00", 4), r1.substr(0, 4));  // NodeNumber 11
  EXPECT_EQ('\xff', r1[4]);                                        // Balance -1
  EXPECT_EQ(std::string("\x06"
                        "ELEVEN",
                        7),
            r1.substr(5, 7));
  EXPECT_EQ(std::string("\x03\x00\x00\x00", 4), r1.substr(40, 4));   // Frequency
  EXPECT_EQ(std::string("\x42\x00\x00\x00", 4), r1.substr(48, 4));   // ListCode 66
  EXPECT_EQ(std::string("\x03\x00\x00\x00", 4), r1.substr(56, 4));   // FileCounts slot 2
  EXPECT_EQ(std::string("\x04\x00\x00\x00", 4), r1.substr(308, 4));  // Left
  EXPECT_EQ(std::string("\x0c\x00\x00\x00", 4), r1.substr(312, 4));  // Right
  EXPECT_EQ(std::string("\x0c\x00\x00\x00", 4), bytes.substr(632, 4));
}

TEST_F(WordTreeTest, ReadingARecordAboveNodeCountIsTheFatalNodeError) {
  e.tree.MemoryNodeLimit = 10;
  e.tree.NodeCount = 12;
  TreeNode a = Named("TWELVE");
  WriteNode(e, 12, a);
  e.tree.InsertDepth = 3;
  TreeNode n;
  ReadNode(e, 13, "writefamlist", &n);
  EXPECT_TRUE(LogHas("ERROR whereami: writefamlistlist_ptr: 13depth: 3"));
  EXPECT_TRUE(e.failed());
  EXPECT_TRUE(e.runErrorReported);
  EXPECT_EQ(0, e.counters.DiskNodesRead);
}

TEST_F(WordTreeTest, AfterAFailureReadsGiveBlanksAndWritesAreIgnored) {
  TreeNode a = Named("CAT");
  WriteNode(e, 1, a);
  TreeNode n;
  ReadNode(e, -1, "checklist", &n);
  ASSERT_TRUE(e.failed());
  const size_t lines = e.progress.lines.size();

  ReadNode(e, 1, "checklist", &n);
  ExpectBlank(n);
  TreeNode b = Named("DOG");
  WriteNode(e, 1, b);
  WriteNode(e, 6000, b);
  EXPECT_EQ("CAT", e.tree.NodeBlocks[0][1].Word());
  EXPECT_EQ(0, e.tree.highestBlock);
  EXPECT_EQ(1, e.counters.CacheNodesWritten);
  EXPECT_EQ(0, e.counters.CacheNodesRead);
  // A second bad number after the failure is not reported again.
  ReadNode(e, -1, "checklist", &n);
  EXPECT_EQ(lines, e.progress.lines.size());
}

TEST_F(WordTreeTest, RecordFileFailuresFailTheRunNamingTheFile) {
  e.tree.MemoryNodeLimit = 10;
  e.tree.NodeCount = 11;
  e.tree.recordFile = std::make_unique<BrokenRecordFile>();
  TreeNode a = Named("CAT");
  WriteNode(e, 11, a);
  EXPECT_TRUE(e.failed());
  EXPECT_FALSE(e.runErrorReported);
  EXPECT_EQ(e.TreeFilePath(), e.runError.path());
  EXPECT_EQ(0, e.counters.DiskNodesWritten);
}

TEST_F(WordTreeTest, ARecordReadFailureGivesABlankNode) {
  e.tree.MemoryNodeLimit = 10;
  e.tree.NodeCount = 11;
  e.tree.recordFile = std::make_unique<BrokenRecordFile>();
  TreeNode n = Named("JUNK");
  ReadNode(e, 11, "checklist", &n);
  EXPECT_TRUE(e.failed());
  EXPECT_EQ(e.TreeFilePath(), e.runError.path());
  ExpectBlank(n);
  EXPECT_EQ(0, e.counters.DiskNodesRead);
}

TEST_F(WordTreeTest, ResetStoreAfterUseStartsAfresh) {
  TreeNode a = Named("CAT");
  WriteNode(e, 1, a);
  WriteNode(e, 3001, a);
  e.tree.NodeCount = 3001;
  e.tree.WordRoots['C'] = 1;
  e.tree.FamilyRoots['C'] = 1;
  e.tree.InsertDepth = 9;
  e.tree.wordGrow = true;
  e.tree.familyGrow = true;
  ResetStore(e.tree);
  EXPECT_EQ(0, e.tree.NodeCount);
  EXPECT_EQ(-1, e.tree.WordRoots['C']);
  EXPECT_EQ(-1, e.tree.FamilyRoots['C']);
  EXPECT_EQ(0, e.tree.InsertDepth);
  EXPECT_FALSE(e.tree.wordGrow);
  EXPECT_FALSE(e.tree.familyGrow);
  EXPECT_EQ(0, e.tree.highestBlock);
  EXPECT_EQ(nullptr, e.tree.NodeBlocks[1]);
  ExpectBlank(e.tree.NodeBlocks[0][1]);
  TreeNode n;
  ReadNode(e, 3001, "checklist", &n);
  EXPECT_TRUE(e.failed());
}

TEST_F(WordTreeTest, ReleasedBlocksHoldNoNodes) {
  TreeNode a = Named("CAT");
  WriteNode(e, 1, a);
  ReleaseNodeBlocks(e.tree);
  EXPECT_EQ(-1, e.tree.highestBlock);
  for (const auto& block : e.tree.NodeBlocks) EXPECT_EQ(nullptr, block);
  TreeNode n;
  ReadNode(e, 1, "writetypelist", &n);
  EXPECT_TRUE(LogHas("ERROR whereami: writetypelistlist_ptr: 1depth: 0"));
  EXPECT_TRUE(e.failed());
}

}  // namespace
}  // namespace quarn
