// The store's fast paths (the word index, the mapped record file, in-place sorting and listing)
// must give exactly what the straightforward accesses give: the same records, the same traffic
// counters, the same results files.
#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "RunFixture.h"
#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "lists/StopList.h"
#include "report/ListWriters.h"
#include "report/Sort.h"
#include "run/ProcessRun.h"
#include "state/Engine.h"
#include "store/WordEntry.h"
#include "store/WordTree.h"
#include "text/TextWriter.h"

namespace quarn {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::TestHost;
using testing::WriteFile;

// An engine over a fresh store in its own folder.
struct Store {
  explicit Store(bool fast) {
    e.fastPaths = fast;
    EXPECT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  }
  void Enter(const std::string& w) {
    e.tree.InsertDepth = 0;
    addtowrdlist(e, w, e.tree.wordGrow);
  }
  TreeNode Node(int32_t n) {
    TreeNode t;
    ReadNode(e, n, "test", &t);
    return t;
  }
  TestHost host;
  TempDir dir;
  Engine e{host};
};

void ExpectSameCounters(const RunCounters& a, const RunCounters& b) {
  EXPECT_EQ(a.CacheNodesRead, b.CacheNodesRead);
  EXPECT_EQ(a.CacheNodesWritten, b.CacheNodesWritten);
  EXPECT_EQ(a.DiskNodesRead, b.DiskNodesRead);
  EXPECT_EQ(a.DiskNodesWritten, b.DiskNodesWritten);
  EXPECT_EQ(a.UniqueWords, b.UniqueWords);
  EXPECT_EQ(a.OtherTypes, b.OtherTypes);
}

void ExpectSameRecords(Store& a, Store& b) {
  ASSERT_EQ(a.e.tree.NodeCount, b.e.tree.NodeCount);
  EXPECT_EQ(a.e.tree.WordRoots, b.e.tree.WordRoots);
  for (int32_t n = 1; n <= a.e.tree.NodeCount; ++n) {
    TreeNode x = a.Node(n);
    TreeNode y = b.Node(n);
    ASSERT_EQ(0, std::memcmp(&x, &y, sizeof x)) << "node " << n << " " << x.Word();
  }
}

// A word drawn with a heavy head, as in running text: few words often, many words rarely.
// Letters include an accented capital and word characters that only continue a word.
std::string RandomWord(std::mt19937& rng, int vocabulary) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const int rank = static_cast<int>(std::pow(static_cast<double>(vocabulary), u(rng)));
  std::mt19937 shape(static_cast<uint32_t>(rank) * 2654435761u);
  const std::string first = "ABCDEST\xC9";
  const std::string rest = "ABEINORST\xC9-7";
  std::string w(1, first[shape() % first.size()]);
  const int length = 1 + static_cast<int>(shape() % (rank % 97 == 0 ? 40 : 9));
  for (int i = 1; i < length; ++i) w += rest[shape() % rest.size()];
  return w;
}

// Enters the same random words into a store with fast paths and one without, checking after
// every word that both counted the same traffic and depth.
void EnterBoth(int words, int vocabulary, int32_t memoryLimit, uint32_t seed, int files) {
  Store fast(true), slow(false);
  fast.e.tree.MemoryNodeLimit = memoryLimit;
  slow.e.tree.MemoryNodeLimit = memoryLimit;
  std::mt19937 rng(seed);
  for (int i = 0; i < words; ++i) {
    const std::string w = RandomWord(rng, vocabulary);
    const int file = 1 + i * files / words;
    SetFileNumber(fast.e, file);
    SetFileNumber(slow.e, file);
    fast.Enter(w);
    slow.Enter(w);
    ASSERT_EQ(slow.e.tree.InsertDepth, fast.e.tree.InsertDepth) << i << " " << w;
    ASSERT_EQ(slow.e.counters.CacheNodesRead, fast.e.counters.CacheNodesRead) << i << " " << w;
    ASSERT_EQ(slow.e.counters.DiskNodesRead, fast.e.counters.DiskNodesRead) << i << " " << w;
    ASSERT_EQ(slow.e.counters.DiskNodesWritten, fast.e.counters.DiskNodesWritten) << i;
    ASSERT_EQ(slow.e.counters.CacheNodesWritten, fast.e.counters.CacheNodesWritten) << i;
    ASSERT_EQ(slow.e.tree.wordGrow, fast.e.tree.wordGrow) << i;
  }
  ASSERT_FALSE(fast.e.failed());
  EXPECT_TRUE(fast.e.tree.index.usable());
  EXPECT_EQ(fast.e.tree.NodeCount, fast.e.tree.index.size());
  ExpectSameCounters(fast.e.counters, slow.e.counters);
  ExpectSameRecords(fast, slow);
}

TEST(FastPathTest, AWordEnteredAgainCountsItsWholePathOnce) {
  Store s(true);
  s.e.tree.MemoryNodeLimit = 1;  // BAT in memory, BED and BOX in the record file
  for (const char* w : {"BAT", "BED", "BOX"}) s.Enter(w);
  // The rotation made BED (node 2) the root: BAT's path is BED (record file), BAT (memory).
  ASSERT_EQ(2, s.e.tree.WordRoots['B']);
  const RunCounters before = s.e.counters;
  SetFileNumber(s.e, 3);
  s.Enter("BAT");
  EXPECT_EQ(before.CacheNodesRead + 1, s.e.counters.CacheNodesRead);
  EXPECT_EQ(before.CacheNodesWritten + 1, s.e.counters.CacheNodesWritten);
  EXPECT_EQ(before.DiskNodesRead + 1, s.e.counters.DiskNodesRead);
  EXPECT_EQ(before.DiskNodesWritten + 1, s.e.counters.DiskNodesWritten);
  EXPECT_EQ(2, s.e.tree.InsertDepth);
  EXPECT_FALSE(s.e.tree.wordGrow);
  TreeNode bat = s.Node(1);
  EXPECT_EQ(2, bat.Frequency);
  EXPECT_EQ(1, bat.FileCounts(1));
  EXPECT_EQ(1, bat.FileCounts(3));
  EXPECT_EQ(1, bat.NodeNumber);
  // The root itself: one read and one write of a record-file node.
  const RunCounters mid = s.e.counters;
  s.Enter("BED");
  EXPECT_EQ(mid.CacheNodesRead, s.e.counters.CacheNodesRead);
  EXPECT_EQ(mid.DiskNodesRead + 1, s.e.counters.DiskNodesRead);
  EXPECT_EQ(mid.DiskNodesWritten + 1, s.e.counters.DiskNodesWritten);
  EXPECT_EQ(1, s.e.tree.InsertDepth);
}

TEST(FastPathTest, RandomWordsInMemoryCountAsTheWalkDoes) {
  EnterBoth(20000, 3000, kDefaultMemoryNodeLimit, 1, 4);
}

TEST(FastPathTest, RandomWordsMostlyInTheRecordFileCountAsTheWalkDoes) {
  EnterBoth(20000, 3000, 100, 2, 3);
}

TEST(FastPathTest, AllWordsInTheRecordFileCountAsTheWalkDoes) { EnterBoth(8000, 2000, 0, 3, 64); }

TEST(FastPathTest, AscendingWordsRotateHighInTheTreeAndStillCountExactly) {
  Store fast(true), slow(false);
  fast.e.tree.MemoryNodeLimit = slow.e.tree.MemoryNodeLimit = 300;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 1000; ++i) {
      char w[16];
      std::snprintf(w, sizeof w, "A%05d", round == 0 ? i : 999 - i);
      fast.Enter(w);
      slow.Enter(w);
      ASSERT_EQ(slow.e.counters.DiskNodesRead, fast.e.counters.DiskNodesRead) << w;
      ASSERT_EQ(slow.e.counters.CacheNodesRead, fast.e.counters.CacheNodesRead) << w;
    }
  }
  ExpectSameCounters(fast.e.counters, slow.e.counters);
  ExpectSameRecords(fast, slow);
}

// The index decides most steps and matches on the first sixteen characters; words that share
// eight or sixteen of them, or are prefixes of one another, must still take the way the full
// comparison takes and be found as it finds them.
TEST(FastPathTest, WordsSharingTheirFirstCharactersWalkAsTheFullComparisonDoes) {
  for (const std::string stem : {"STRAIGHTFORWARD", "COUNTERREVOLUTIONARIES"}) {
    Store fast(true), slow(false);
    fast.e.tree.MemoryNodeLimit = slow.e.tree.MemoryNodeLimit = 40;
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
      // A cut of the stem and a tail of 0..3 characters.
      std::string w = stem.substr(0, 1 + rng() % stem.size());
      const int tail = static_cast<int>(rng() % 4);
      for (int k = 0; k < tail; ++k) w += "AEZ\xC9"[rng() % 4];
      fast.Enter(w);
      slow.Enter(w);
      ASSERT_EQ(slow.e.counters.CacheNodesRead, fast.e.counters.CacheNodesRead) << i << " " << w;
      ASSERT_EQ(slow.e.counters.DiskNodesWritten, fast.e.counters.DiskNodesWritten) << i << w;
    }
    EXPECT_TRUE(fast.e.tree.index.usable());
    ExpectSameCounters(fast.e.counters, slow.e.counters);
    ExpectSameRecords(fast, slow);
  }
}

// The index matches words of up to sixteen characters on its own, and first on 32 bits of their
// hash; these two share those bits, their length and their first eight characters.
TEST(FastPathTest, WordsWhoseHashesClashAreStillTwoWords) {
  const std::string a = "TAGCLASHUIXAAAAA", b = "TAGCLASHYKBDAAAA";
  ASSERT_EQ(WordIndex::Hash(a) >> 32, WordIndex::Hash(b) >> 32);
  Store fast(true), slow(false);
  for (const std::string& w : {a, b, b, a, b}) {
    fast.Enter(w);
    slow.Enter(w);
  }
  EXPECT_EQ(2, fast.e.tree.NodeCount);
  EXPECT_TRUE(fast.e.tree.index.usable());
  ExpectSameCounters(fast.e.counters, slow.e.counters);
  ExpectSameRecords(fast, slow);
}

TEST(FastPathTest, AnInsertionOutsideTheRootsDropsTheIndexButNotTheCounts) {
  Store fast(true), slow(false);
  for (Store* s : {&fast, &slow}) {
    for (const char* w : {"CAT", "COW", "CUB", "CAT"}) s->Enter(w);
    // Entered into the C tree through a copy of its root: the index cannot follow this.
    int32_t root = s->e.tree.WordRoots['C'];
    bool grow = false;
    addtowrdlist(s->e, root, "CAB", grow);
    addtowrdlist(s->e, root, "CAD", grow);
    s->e.tree.WordRoots['C'] = root;
    for (const char* w : {"CAT", "CAB", "CUB", "CAD", "COD"}) s->Enter(w);
  }
  EXPECT_FALSE(fast.e.tree.index.usable());
  ExpectSameCounters(fast.e.counters, slow.e.counters);
  ExpectSameRecords(fast, slow);
  // A new store follows again.
  ResetStore(fast.e.tree);
  EXPECT_TRUE(fast.e.tree.index.usable());
}

TEST(FastPathTest, ALoweredMemoryLimitAfterWordsDropsTheIndex) {
  Store s(true);
  s.Enter("DOG");
  s.e.tree.MemoryNodeLimit = 0;
  s.Enter("DOG");
  EXPECT_FALSE(s.e.tree.index.usable());
}

TEST(FastPathTest, SortingInPlaceMovesAndCountsAsReadNodeAndWriteNode) {
  for (SortOrder order : {SortOrder::Frequency, SortOrder::Range}) {
    Store fast(true), slow(false);
    fast.e.tree.MemoryNodeLimit = slow.e.tree.MemoryNodeLimit = 700;
    std::mt19937 rng(7);
    for (int i = 0; i < 15000; ++i) {
      const std::string w = RandomWord(rng, 2500);
      SetFileNumber(fast.e, 1 + i % 5);
      SetFileNumber(slow.e, 1 + i % 5);
      fast.Enter(w);
      slow.Enter(w);
    }
    SetFileNumber(fast.e, 5);
    SetFileNumber(slow.e, 5);
    for (Store* s : {&fast, &slow}) {
      TreeNode blank = s->e.tree.BlankNode;
      WriteNode(s->e, ++s->e.tree.NodeCount, blank);
      sortnodes(s->e, 1, s->e.tree.NodeCount, order);
    }
    EXPECT_FALSE(fast.e.tree.index.usable());
    ExpectSameCounters(fast.e.counters, slow.e.counters);
    ExpectSameRecords(fast, slow);
  }
}

TEST(FastPathTest, TheMappedRecordFileHoldsWhatPositionedReadsSee) {
  TempDir dir;
  std::unique_ptr<RecordFile> file;
  ASSERT_TRUE(FileSystem::Default()->NewRecordFile(dir.File("r.dvp"), &file).ok());
  Status s;
  char* base = file->MapRecords(316, &s);
  ASSERT_TRUE(s.ok());
  ASSERT_NE(nullptr, base);
  std::memcpy(base + 300, "records", 7);
  // Growing far beyond the first mapping keeps what was stored.
  base = file->MapRecords(uint64_t{200} << 20, &s);
  ASSERT_TRUE(s.ok());
  ASSERT_NE(nullptr, base);
  EXPECT_EQ(0, std::memcmp(base + 300, "records", 7));
  std::memcpy(base + (uint64_t{150} << 20), "far", 3);
  char got[8] = {};
  ASSERT_TRUE(file->ReadAt(300, 7, got).ok());
  EXPECT_STREQ("records", got);
  ASSERT_TRUE(file->ReadAt(uint64_t{150} << 20, 3, got).ok());
  EXPECT_EQ(0, std::memcmp(got, "far", 3));
  ASSERT_TRUE(file->WriteAt(316, "xy", 2).ok());
  EXPECT_EQ(0, std::memcmp(base + 316, "xy", 2));
  EXPECT_TRUE(file->Close().ok());
}

// Records stored one after another through the mapping, as a growing store stores them, while
// the pages ahead are being backed and across a growth that moves the mapping: every record
// is in the file, and the file ends at the last.
TEST(FastPathTest, RecordsStoredInOrderThroughTheMappingAreAllInTheFile) {
  TempDir dir;
  std::unique_ptr<RecordFile> file;
  ASSERT_TRUE(FileSystem::Default()->NewRecordFile(dir.File("r.dvp"), &file).ok());
  constexpr uint64_t kRecords = 250000;  // beyond the first mapping
  for (uint64_t i = 0; i < kRecords; ++i) {
    Status s;
    char* base = file->MapRecords((i + 1) * 316, &s);
    ASSERT_TRUE(s.ok());
    ASSERT_NE(nullptr, base);
    std::memcpy(base + i * 316, &i, sizeof i);
  }
  ASSERT_TRUE(file->Close().ok());
  const std::string bytes = ReadFile(dir.File("r.dvp"));
  ASSERT_EQ(bytes.size(), kRecords * 316);
  for (uint64_t i = 0; i < kRecords; ++i) {
    uint64_t got;
    std::memcpy(&got, bytes.data() + i * 316, sizeof got);
    ASSERT_EQ(got, i);
  }
}

// MappedFor answers without a call only for bytes already asked of the current mapping: not
// before the first, not beyond the furthest asked (which may grow and move the mapping), and
// not once the file is closed. The file's final length is the furthest record asked for.
TEST(FastPathTest, TheMappingIsReachedWithoutAskingOnlyForWhatWasAsked) {
  TempDir dir;
  std::unique_ptr<RecordFile> file;
  ASSERT_TRUE(FileSystem::Default()->NewRecordFile(dir.File("r.dvp"), &file).ok());
  EXPECT_EQ(nullptr, file->MappedFor(1));
  Status s;
  char* base = file->MapRecords(632, &s);
  ASSERT_NE(nullptr, base);
  EXPECT_EQ(base, file->MappedFor(632));
  EXPECT_EQ(base, file->MappedFor(316));
  EXPECT_EQ(nullptr, file->MappedFor(633));
  base = file->MapRecords(uint64_t{100} << 20, &s);
  ASSERT_NE(nullptr, base);
  EXPECT_EQ(base, file->MappedFor(uint64_t{100} << 20));
  EXPECT_TRUE(file->Close().ok());
  EXPECT_EQ(nullptr, file->MappedFor(316));
  EXPECT_EQ(std::filesystem::file_size(dir.File("r.dvp")), uint64_t{100} << 20);
}

TEST(FastPathTest, ARecordFileThatCannotBeMappedIsUsedThroughReadsAndWrites) {
  // The fault file system wraps the record file and offers no mapping; a full disk still ends
  // the run as an input/output failure.
  testing::FaultFileSystem faults;
  TestHost host;
  TempDir dir;
  Engine e(host, faults);
  e.fastPaths = true;  // the case is the fast path's own, whatever QUARN_NO_FAST_PATHS says
  e.ScratchFolder = dir.path();
  faults.FailWritesAfter("tree.dvp", 316 * 40);
  ASSERT_TRUE(e.fs.NewRecordFile(e.TreeFilePath(), &e.tree.recordFile).ok());
  ResetStore(e.tree);
  e.tree.MemoryNodeLimit = 10;
  SetFileNumber(e, 1);
  std::mt19937 rng(5);
  for (int i = 0; i < 2000 && !e.failed(); ++i) {
    const std::string w = RandomWord(rng, 500);
    e.tree.InsertDepth = 0;
    addtowrdlist(e, w, e.tree.wordGrow);
  }
  EXPECT_TRUE(e.failed());
  EXPECT_EQ("No space left on device", e.runError.reason());
}

// Occurrences counted in the index reach records of an unmapped record file by reads and
// writes of their own, and every record ends as the straightforward way leaves it.
TEST(FastPathTest, CountsWaitingForAnUnmappedRecordFileReachIt) {
  testing::FaultFileSystem faults;  // offers no mapping
  TestHost host;
  TempDir dir;
  Engine e(host, faults);
  ASSERT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  Store slow(false);
  e.tree.MemoryNodeLimit = slow.e.tree.MemoryNodeLimit = 10;
  std::mt19937 rng(9);
  for (int i = 0; i < 3000; ++i) {
    const std::string w = RandomWord(rng, 400);
    SetFileNumber(e, 1 + i / 1000);
    SetFileNumber(slow.e, 1 + i / 1000);
    e.tree.InsertDepth = 0;
    addtowrdlist(e, w, e.tree.wordGrow);
    slow.Enter(w);
  }
  SettleAllWaiting(e);
  ASSERT_FALSE(e.failed());
  ExpectSameCounters(e.counters, slow.e.counters);
  ASSERT_EQ(slow.e.tree.NodeCount, e.tree.NodeCount);
  for (int32_t n = 1; n <= e.tree.NodeCount; ++n) {
    TreeNode x;
    ReadNodeUncounted(e, n, &x);
    TreeNode y = slow.Node(n);
    ASSERT_EQ(0, std::memcmp(&x, &y, sizeof x)) << "node " << n << " " << y.Word();
  }
}

// The lists look words up (present, absent, longer than sixteen characters) through the word
// index: the same answers and records, and the same reads counted, as walking the records. A
// list claiming a word rewrites its record with the shape unchanged, which leaves the index in
// use; a record written with another shape breaks it.
TEST(FastPathTest, ListLookupsThroughTheIndexCountWhatTheWalkCounts) {
  Store fast(true);
  Store slow(false);
  fast.e.tree.MemoryNodeLimit = slow.e.tree.MemoryNodeLimit = 300;
  std::mt19937 rng(21);
  std::vector<std::string> words;
  for (int i = 0; i < 3000; ++i) words.push_back(RandomWord(rng, 900));
  for (const std::string& w : words) {
    fast.Enter(w);
    slow.Enter(w);
  }
  std::vector<std::string> probes(words.begin(), words.begin() + 200);
  for (int i = 0; i < 200; ++i) probes.push_back(RandomWord(rng, 5000) + "Z");  // mostly absent
  probes.push_back(std::string(20, 'B'));
  probes.push_back(words[0] + std::string(20, 'E'));
  for (const std::string& w : probes) {
    const int32_t root = fast.e.tree.WordRoots[static_cast<unsigned char>(w[0])];
    TreeNode x;
    TreeNode y;
    const bool inFast = checklist(fast.e, root, w, &x);
    const bool inSlow =
        checklist(slow.e, slow.e.tree.WordRoots[static_cast<unsigned char>(w[0])], w, &y);
    EXPECT_EQ(inFast, inSlow) << w;
    EXPECT_EQ(x.NodeNumber, y.NodeNumber) << w;
    if (x.NodeNumber != -1) {
      EXPECT_EQ(0, std::memcmp(&x, &y, sizeof x)) << w;
      // Claimed by a list: only the code changes.
      x.ListCode = y.ListCode = 1;
      WriteNode(fast.e, x.NodeNumber, x);
      WriteNode(slow.e, y.NodeNumber, y);
    }
    EXPECT_EQ(LookupFrequency(fast.e, root, w),
              LookupFrequency(slow.e, slow.e.tree.WordRoots[static_cast<unsigned char>(w[0])], w));
    ASSERT_TRUE(fast.e.tree.index.usable()) << w;
    ExpectSameCounters(fast.e.counters, slow.e.counters);
  }
  ExpectSameRecords(fast, slow);
  TreeNode moved = fast.Node(1);
  moved.Balance = static_cast<int8_t>(moved.Balance == 0 ? 1 : 0);
  WriteNode(fast.e, 1, moved);
  EXPECT_FALSE(fast.e.tree.index.usable());
}

// A store this large is settled by two threads, each over half the nodes, some of them in the
// mapped record file: every record ends as the straightforward way leaves it.
TEST(FastPathTest, ManyWaitingOccurrencesAreSettledOnTwoThreadsAsOnOne) {
  Store fast(true);
  Store slow(false);
  fast.e.tree.MemoryNodeLimit = slow.e.tree.MemoryNodeLimit = 20000;
  constexpr int kWords = 60000;
  auto word = [](int i) {
    std::string w = "W";
    for (; i != 0; i /= 26) w += static_cast<char>('A' + i % 26);
    return w;
  };
  for (int file = 1; file <= 2; ++file) {
    SetFileNumber(fast.e, file);
    SetFileNumber(slow.e, file);
    for (int i = 0; i < kWords; i += file) {
      const std::string w = word(static_cast<int>((int64_t{i} * 7919) % kWords));
      fast.Enter(w);
      slow.Enter(w);
    }
  }
  SettleAllWaiting(fast.e);
  ASSERT_FALSE(fast.e.failed());
  ExpectSameCounters(fast.e.counters, slow.e.counters);
  ExpectSameRecords(fast, slow);
}

// Whole runs: the results files and progress logs with and without fast paths are the same
// byte for byte (the fixture's clock and memory figure are fixed).
class FastPathRunTest : public testing::RunFixture {
 protected:
  void SetUp() override {
    Put("BASEWRD1.txt", "THE 0\nA 0\n\tAN 0\nBE 0\n\tIS 0\n\tARE 0\n\tWAS 0\nTO 0\n");
    Put("BASEWRD2.txt", "CAT 0\n\tCATS 0\nSAT 0\nBEAST 0\n\tBEASTS 0\nTEA 0\n");
    Put("BASEWRD3.txt", "SEA 0\nDEBTS 0\n\tDEBT 0\nARTS 0\n");
    Put("stop.txt", "A\nTHE\nBAT\n");
  }

  // Random running text: words of a heavy-headed vocabulary, punctuation, digits, comments,
  // blank lines, tags, overlong words and lower case.
  std::string RandomText(std::mt19937& rng, int words, int vocabulary) {
    static const std::vector<std::string> common = {"the", "a",   "is",   "cat",  "Cats", "sat",
                                                    "tea", "sea", "debt", "ARTS", "an"};
    std::string text;
    int onLine = 0;
    for (int i = 0; i < words; ++i) {
      const int r = static_cast<int>(rng() % 100);
      if (r < 30) {
        text += common[rng() % common.size()];
      } else if (r < 32) {
        text += "<tag> 1998 -2nd";
      } else if (r < 33) {
        text += "\n# a comment line\n";
      } else {
        std::string w = RandomWord(rng, vocabulary);
        if (rng() % 3 == 0) {
          for (char& c : w) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        text += w;
      }
      text += (rng() % 7 == 0) ? ", " : " ";
      if (++onLine > 12) {
        text += (rng() % 9 == 0) ? "\n\n" : "\r\n";
        onLine = 0;
      }
    }
    return text;
  }

  // Runs the same press twice, with and without fast paths, and compares everything written.
  void RunBoth(const std::vector<std::string>& names, int32_t memoryLimit) {
    std::vector<std::string> outputs[2];
    RunCounters counters[2];
    for (int pass = 0; pass < 2; ++pass) {
      engine.fastPaths = pass == 0;
      engine.tree.MemoryNodeLimit = memoryLimit;
      engine.progress = ProgressLog{};
      std::remove(dir.File("out_quarn.txt").c_str());
      if (host.options.BatchFiles) {
        for (const std::string& n : names) std::remove(BatchName(n).c_str());
      }
      Run(names);
      ASSERT_FALSE(engine.failed()) << engine.runError.ToString();
      counters[pass] = engine.counters;
      std::string all;
      for (const std::string& l : Log()) all += l + "\n";
      outputs[pass].push_back(all);
      if (host.options.BatchFiles) {
        for (const std::string& n : names) outputs[pass].push_back(ReadFile(BatchName(n)));
      } else {
        outputs[pass].push_back(ReadFile(dir.File("out_quarn.txt")));
      }
    }
    ASSERT_EQ(outputs[0].size(), outputs[1].size());
    for (size_t i = 0; i < outputs[0].size(); ++i) {
      EXPECT_EQ(outputs[1][i], outputs[0][i]) << "output " << i;
    }
    ExpectSameCounters(counters[0], counters[1]);
    if (!host.options.BatchFiles) {  // a batch run ends with a fresh, empty store
      EXPECT_GT(int64_t{counters[0].CacheNodesRead} + counters[0].DiskNodesRead, 0);
      if (memoryLimit < 1000) {
        EXPECT_GT(counters[0].DiskNodesRead, 0);
      }
    }
  }

  std::string BatchName(const std::string& name) {
    const std::string path = dir.File(name);
    return path.substr(0, path.rfind('.')) + "_quarn.txt";
  }

  std::vector<std::string> PutTexts(int files, int words, int vocabulary, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::string> names;
    for (int f = 1; f <= files; ++f) {
      names.push_back("text" + std::to_string(f) + ".txt");
      Put(names.back(), RandomText(rng, words, vocabulary));
    }
    return names;
  }
};

TEST_F(FastPathRunTest, EverySortWithRecordsInTheRecordFile) {
  const auto names = PutTexts(4, 6000, 1500, 11);
  struct Mode {
    bool alpha, freq, range;
  };
  for (Mode m : {Mode{true, false, false}, Mode{false, true, false}, Mode{false, false, true},
                 Mode{false, false, false}}) {
    host.options.sortbyalpha = m.alpha;
    host.options.sortbyfreq = m.freq;
    host.options.sortbyrange = m.range;
    RunBoth(names, 150);
  }
}

TEST_F(FastPathRunTest, AllInMemoryWithStopListAndAngles) {
  const auto names = PutTexts(3, 8000, 4000, 12);
  host.options.sortbyalpha = false;
  host.options.sortbyfreq = true;
  host.options.Ignore_Angle = true;
  host.options.UseStopList = true;
  engine.stopList.emplace();
  ASSERT_TRUE(LoadStopList(engine, dir.File("stop.txt")).ok());
  RunBoth(names, kDefaultMemoryNodeLimit);
}

// Marking the texts and writing the counts back into the lists look words up after the lists
// have claimed theirs: the marked copies, the updated lists and the results are the same either
// way, records in the record file included.
TEST_F(FastPathRunTest, MarkingAndUpdatingTheListsWithTheStopList) {
  const auto names = PutTexts(3, 6000, 1500, 17);
  host.options.sortbyalpha = false;
  host.options.sortbyfreq = true;
  host.options.Mark_Texts = true;
  host.options.Udate_Basewords = true;
  host.options.UseStopList = true;
  std::vector<std::string> outputs[2];
  RunCounters counters[2];
  for (int pass = 0; pass < 2; ++pass) {
    // The lists as they were before the first pass updated them (under the names the update
    // gives them).
    for (const char* list : {"basewrd1.txt", "basewrd2.txt", "basewrd3.txt"}) {
      std::remove(dir.File(list).c_str());
    }
    SetUp();
    for (const std::string& n : names)
      std::remove(dir.File(n.substr(0, n.rfind('.')) + ".mrk").c_str());
    std::remove(dir.File("out_quarn.txt").c_str());
    engine.fastPaths = pass == 0;
    engine.tree.MemoryNodeLimit = 200;
    engine.progress = ProgressLog{};
    engine.stopList.emplace();
    ASSERT_TRUE(LoadStopList(engine, dir.File("stop.txt")).ok());
    Run(names);
    ASSERT_FALSE(engine.failed()) << engine.runError.ToString();
    counters[pass] = engine.counters;
    outputs[pass].push_back(ReadFile(dir.File("out_quarn.txt")));
    for (const std::string& n : names) {
      outputs[pass].push_back(ReadFile(dir.File(n.substr(0, n.rfind('.')) + ".mrk")));
    }
    for (const char* list : {"basewrd1.txt", "basewrd2.txt", "basewrd3.txt"}) {
      outputs[pass].push_back(ReadFile(dir.File(list)));
    }
  }
  ASSERT_EQ(outputs[0].size(), outputs[1].size());
  for (size_t i = 0; i < outputs[0].size(); ++i) {
    EXPECT_FALSE(outputs[0][i].empty()) << "output " << i;
    EXPECT_EQ(outputs[1][i], outputs[0][i]) << "output " << i;
  }
  ExpectSameCounters(counters[0], counters[1]);
  EXPECT_GT(counters[0].DiskNodesRead, 0);
}

TEST_F(FastPathRunTest, BatchFilesEachWithItsOwnStore) {
  const auto names = PutTexts(3, 5000, 2000, 13);
  host.options.BatchFiles = true;
  host.options.sortbyalpha = false;
  host.options.sortbyrange = true;
  RunBoth(names, 60);
}

// The fast run chooses the results file's encoding after the scans, from how they read the
// files; the straightforward run reads every file for it first. A UTF-8 file among 8-bit ones
// (its name in UTF-8 as well), then the 8-bit ones alone, each way in one results file and in
// a results file per input.
TEST_F(FastPathRunTest, TheResultsEncodingChosenAfterTheScansIsTheOneChosenBefore) {
  auto names = PutTexts(2, 3000, 900, 16);
  names.push_back("\xC3\xA9t\xC3\xA9.txt");
  Put(names.back(),
      "caf\xC3\xA9 na\xC3\xAFve THE cat\r\n"
      "\xE2\x80\x9Cquoted\xE2\x80\x9D sea tea\r\n");
  host.options.sortbyalpha = false;
  host.options.sortbyfreq = true;
  for (bool batch : {false, true}) {
    host.options.BatchFiles = batch;
    RunBoth(names, kDefaultMemoryNodeLimit);
    RunBoth({names[0], names[1]}, kDefaultMemoryNodeLimit);
  }
  // The UTF-8 file made the results file UTF-8.
  EXPECT_NE(std::string::npos, ReadFile(BatchName(names[2])).find("CAF\xC3\x89"));
}

TEST_F(FastPathRunTest, NoListsAndNoNumbers) {
  const auto names = PutTexts(2, 4000, 800, 14);
  host.options.Basewrd1_on = host.options.Basewrd2_on = host.options.Basewrd3_on = false;
  host.options.Writenumbers = false;
  host.options.sortbyalpha = false;
  host.options.sortbyfreq = true;
  RunBoth(names, 0);
}

// The batch scanner against the line-at-a-time one on text built to reach every corner: more
// than 5000 lines (the progress messages flush the waiting words), a line of more words than a
// batch holds, every line end, blanks and
// tabs to trim, comment lines behind blanks, words longer than 30 characters, code 0, lower-case
// letters of the upper half of the code page, lines that are only blanks, and unclosed tags.
TEST_F(FastPathRunTest, ManyShortLinesWithEveryLineEndAndTrimming) {
  std::mt19937 rng(21);
  const std::vector<std::string> pieces = {"\t  lead",
                                           "trail \t",
                                           "# not counted",
                                           "  # nor this",
                                           "caf\xE9 \xE9t\xE9",
                                           std::string("\xFFves \x9A") + "ar",
                                           std::string("nul\0sep", 7),
                                           std::string(45, 'q') + "tail",
                                           "x<unclosed tag",
                                           "a<b>c <d> e",
                                           "   ",
                                           "",
                                           "tea-cat's",
                                           "1998 -2nd",
                                           "#"};
  const std::vector<std::string> ends = {"\r\n", "\n", "\r", "\r\r\n"};
  std::vector<std::string> names;
  for (int f = 1; f <= 3; ++f) {
    std::string text;
    const int lines = f == 2 ? 11000 : 4000;
    for (int i = 0; i < lines; ++i) {
      const int parts = static_cast<int>(rng() % 4);
      for (int k = 0; k < parts; ++k) {
        text += rng() % 2 ? pieces[rng() % pieces.size()] : RandomWord(rng, 3000);
        text += ' ';
      }
      text += ends[rng() % ends.size()];
    }
    if (f == 1) {  // longer than a batch of waiting words
      for (int k = 0; k < 1500; ++k) text += RandomWord(rng, 3000) + (k % 50 ? " " : " <a> ");
      text += "\r\n";
    }
    if (f == 3) text += "last line without an end";
    names.push_back("lines" + std::to_string(f) + ".txt");
    Put(names.back(), text);
  }
  for (bool angle : {false, true}) {
    host.options.Ignore_Angle = angle;
    host.options.sortbyalpha = false;
    host.options.sortbyfreq = true;
    RunBoth(names, 400);
  }
  int counted = 0;
  for (const std::string& l : Log()) counted += l.find("0010000, ") != std::string::npos;
  EXPECT_EQ(1, counted);
}

// The hash of the index reads a word's last chunk with overlapping loads; every byte must still
// count. Words differing in one byte, for every length and position, hash differently.
TEST(WordIndexHashTest, EveryByteOfEveryLengthCounts) {
  for (size_t length = 1; length <= 30; ++length) {
    const std::string base(length, 'A');
    const uint64_t h = WordIndex::Hash(base);
    for (size_t at = 0; at < length; ++at) {
      std::string other = base;
      other[at] = 'B';
      EXPECT_NE(h, WordIndex::Hash(other)) << length << " " << at;
    }
    EXPECT_NE(h, WordIndex::Hash(base + 'A')) << length;
  }
  EXPECT_NE(WordIndex::Hash(std::string_view("A\0", 2)), WordIndex::Hash("A"));
}

// The list writers format their number cells without the C library: "%6d" exactly, wider
// numbers and the lowest 32-bit number in full.
TEST(NumberCellTest, RowsAsPrintfGivesThem) {
  TestHost host;
  TempDir dir;
  Engine e(host);
  e.ScratchFolder = dir.path();
  ASSERT_TRUE(e.fs.NewRecordFile(e.TreeFilePath(), &e.tree.recordFile).ok());
  ResetStore(e.tree);
  SetFileNumber(e, 3);
  e.options.sortbyalpha = false;
  ASSERT_TRUE(TextWriter::Open(e.fs, e.ScratchFilePath(), false, &e.scratchFile).ok());
  TreeNode n = MakeBlankNode();
  n.SetWord("WIDE");
  n.ListCode = 1;
  n.Frequency = 1234567;
  n.FileCounts(1) = 7;
  n.FileCounts(2) = -5;
  n.FileCounts(3) = INT32_MIN;
  WriteNode(e, ++e.tree.NodeCount, n);
  listtypes(e, *e.scratchFile, 1);
  ASSERT_TRUE(e.scratchFile->Close().ok());
  const std::string text = ReadFile(e.ScratchFilePath());
  const std::string row =
      "WIDE" + std::string(26, ' ') + "\t     1\t1234567\t     7\t    -5\t-2147483648\r\n";
  EXPECT_NE(std::string::npos, text.find(row)) << text;
}

}  // namespace
}  // namespace quarn
