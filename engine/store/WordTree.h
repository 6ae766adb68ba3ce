// The word store: TreeNode records addressed by node number. Nodes up to MemoryNodeLimit live
// in the NodeCache (blocks of 3000 records, allocated as node numbers reach them); higher nodes
// are records of the record file tree.dvp. Every access goes through ReadNode and WriteNode,
// which count the traffic in RunCounters.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "FileSystem.h"
#include "SecondThread.h"
#include "QuarnHeader.h"
#include "store/WordIds.h"
#include "store/WordIndex.h"

namespace quarn {

struct Store;

constexpr int kNodeBlockSize = 3000;   // records used per NodeBlock
constexpr int kNodeBlockSlots = 3001;  // records allocated per NodeBlock
constexpr int kMaxNodeBlocks = 60;
constexpr int32_t kDefaultMemoryNodeLimit = 179999;

// Gives a NodeBlock's memory back to the system: a block of the NodeBlockArea stays
// addressable, a block of its own (owned) is freed.
struct NodeBlockRelease {
  bool owned = false;
  void operator()(TreeNode* block) const;
};
using NodeBlock = std::unique_ptr<TreeNode[], NodeBlockRelease>;

// The memory of every NodeBlock, taken as one area on first use; pages are used only as blocks
// are filled, and a block is made ready ahead on another thread. The area is kept on small pages:
// blocks are filled in order and the hot paths look at the index's copies of the nodes' shapes,
// not at the records, while a fresh large page can cost many times its small pages (a virtual
// machine's host may have to find and clear it first; figures in the README's Performance
// section).
class NodeBlockArea {
 public:
  NodeBlockArea() = default;
  NodeBlockArea(const NodeBlockArea&) = delete;
  NodeBlockArea& operator=(const NodeBlockArea&) = delete;
  ~NodeBlockArea();
  // The memory of block k, kNodeBlockSlots records, each a copy of blank. Blocks beyond
  // kMaxNodeBlocks (a MemoryNodeLimit set higher than the store allows) get memory of their own.
  // While preparing ahead, block k + 1 is made ready meanwhile on another thread, the next
  // block a growing store fills.
  NodeBlock Block(int k, const TreeNode& blank);
  // Whether to prepare ahead: worth it while a scan keeps adding words, not for a store that
  // stops growing after a block or two (the lists), where the next block would be made ready
  // for nothing. Turning it off waits for a block being made ready, so that no thread of the
  // area outlives the scan (a process forked afterwards could not wait for it).
  void PrepareAhead(bool on) {
    prepareAhead_ = on;
    if (!on) preparing_.Join();
  }

 private:
  // Has block k backed by the system and filled with blank on a thread of its own (where it
  // can), so that the thread filling the store does not wait while the pages are cleared and
  // written. Nothing else touches block k until the next Block call has joined that thread.
  void PrepareBlock(int k, const TreeNode& blank);
  char* BlockMemory(int k) const { return base_ + kBlockBytes * static_cast<size_t>(k); }
  static constexpr size_t kBlockBytes = sizeof(TreeNode) * kNodeBlockSlots;
  char* base_ = nullptr;
  bool prepareAhead_ = false;
  SecondThread preparing_;
  int prepared_ = -1;  // the block preparing_ fills, with preparedBlank_
  TreeNode preparedBlank_{};
};

struct WordTree {
  int32_t NodeCount = 0;
  // Roots by first character code (1..255; index 0 unused); -1 = empty tree.
  std::array<int32_t, 256> WordRoots{};
  std::array<int32_t, 256> FamilyRoots{};
  TreeNode BlankNode{};
  // Nodes numbered up to this live in memory. Tests lower it to reach the record file quickly;
  // it never exceeds kMaxNodeBlocks * kNodeBlockSize - 1.
  int32_t MemoryNodeLimit = kDefaultMemoryNodeLimit;
  NodeBlockArea blockArea;                 // before NodeBlocks: outlives them
  std::vector<NodeBlock> NodeBlocks;       // index = block number; null = absent
  int highestBlock = -1;                   // -1: no block allocated
  std::unique_ptr<RecordFile> recordFile;  // tree.dvp while open
  bool recordFileOpen() const { return recordFile != nullptr; }
  int32_t InsertDepth = 0;
  bool wordGrow = false;    // the scanner's grow flag
  bool familyGrow = false;  // the loader's grow flag
  // The existing-word shortcut of addtowrdlist; reset with the store.
  WordIndex index;
  // The numbers the scans' cutters give words (the index maps them to nodes); kept across
  // stores, emptied when the report releases the store.
  WordIds cutIds;
};

// False iff the environment variable QUARN_NO_FAST_PATHS is set to anything but "" or "0": the
// store is then accessed only the straightforward way (ReadNode/WriteNode copies, positioned
// reads and writes of the record file), for comparison runs. The results are the same.
bool FastPathsWanted();

// The stored node n itself, for fast paths that look at records or change them in place: a
// slot of a NodeBlock or a record of the mapped record file. nullptr when n does not exist or
// is not reachable in place (the record file is not mapped). Counts no traffic. The pointer is
// valid until the next WriteNode that creates a node.
TreeNode* NodeInPlace(Store& e, int32_t n);

// NodeInPlace that leaves what waits in the word index (occurrences, links and balances) where
// it is: for the fast paths of the insertion, which look only at the word.
TreeNode* RecordInPlace(Store& e, int32_t n);

// Moves every occurrence, link and balance waiting in the word index into its record
// (WordIndex.h).
void SettleAllWaiting(Store& e);
// Settles what waits in the word index, then breaks it.
void BreakIndex(Store& e);

// The NodeBlock slot of node n, for a number the caller places in the NodeCache (not above the
// memory limit it goes by); nullptr for a negative number or when n's block is absent.
inline TreeNode* BlockSlot(WordTree& tree, int32_t n) {
  if (n < 0) return nullptr;
  const int k = n / kNodeBlockSize;
  if (k > tree.highestBlock || tree.NodeBlocks[k] == nullptr) return nullptr;
  return &tree.NodeBlocks[k][n % kNodeBlockSize];
}

// NodeInPlace for a node of the NodeCache, inline for the hot paths: nullptr for a number above
// MemoryNodeLimit too. What waits in the index is not moved into the record: only for looking
// at the word.
inline TreeNode* CachedNodeInPlace(WordTree& tree, int32_t n) {
  if (n > tree.MemoryNodeLimit) return nullptr;
  return BlockSlot(tree, n);
}

// Adds n to a traffic counter or a stored count as n increments would (wrapping like the 32-bit
// count it is).
inline void AddTraffic(int32_t& counter, uint32_t n) {
  counter = static_cast<int32_t>(static_cast<uint32_t>(counter) + n);
}
// Counts one ReadNode or WriteNode of node n, as those count it.
inline void CountRead(RunCounters& c, const WordTree& tree, int32_t n) {
  AddTraffic(n <= tree.MemoryNodeLimit ? c.CacheNodesRead : c.DiskNodesRead, 1);
}
inline void CountWrite(RunCounters& c, const WordTree& tree, int32_t n) {
  AddTraffic(n <= tree.MemoryNodeLimit ? c.CacheNodesWritten : c.DiskNodesWritten, 1);
}

// A TreeNode with the BlankNode contents: NodeNumber -1, empty word, Frequency 1, links -1.
TreeNode MakeBlankNode();

// Copies node n into *out. A number that does not exist is the fatal node error: its message
// ("whereami: " label "list_ptr: " n "depth: " InsertDepth) is given, the run fails, and *out
// becomes a blank node. After a failure of the run, *out is a blank node and nothing is read.
void ReadNode(Store& e, int32_t n, const char* label, TreeNode* out);
// ReadNode without counting the read: for a fast path that already counted it on a record it
// was working on in place, when the record cannot be reached in place any more.
void ReadNodeUncounted(Store& e, int32_t n, TreeNode* out);
// Stores node under number n, setting its NodeNumber to n. Ignored after a failure of the run.
void WriteNode(Store& e, int32_t n, TreeNode& node);
// WriteNode without counting the write: for a fast path that counts its writes itself.
void WriteNodeUncounted(Store& e, int32_t n, TreeNode& node);

// Empties the store: roots -1, NodeCount 0, block 0 allocated and filled with BlankNode.
void ResetStore(WordTree& tree);
// Releases every NodeBlock and the scans' word numbers (the end of a report).
void ReleaseNodeBlocks(WordTree& tree);

}  // namespace quarn
