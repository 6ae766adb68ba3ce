// The word store: TreeNode records addressed by node number. Nodes up to MemoryNodeLimit live
// in the NodeCache (blocks of 3000 records, allocated as node numbers reach them); higher nodes
// are records of the record file tree.dvp. Every access goes through ReadNode and WriteNode,
// which count the traffic in RunCounters.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "../FileSystem.h"
#include "../QuarnHeader.h"

namespace quarn {

struct Engine;

constexpr int kNodeBlockSize = 3000;     // records used per NodeBlock
constexpr int kNodeBlockSlots = 3001;    // records allocated per NodeBlock
constexpr int kMaxNodeBlocks = 60;
constexpr int32_t kDefaultMemoryNodeLimit = 179999;

struct WordTree {
  int32_t NodeCount = 0;
  // Roots by first character code (1..255; index 0 unused); -1 = empty tree.
  std::array<int32_t, 256> WordRoots{};
  std::array<int32_t, 256> FamilyRoots{};
  TreeNode BlankNode{};
  // Nodes numbered up to this live in memory. Tests lower it to reach the record file quickly;
  // it never exceeds kMaxNodeBlocks * kNodeBlockSize - 1.
  int32_t MemoryNodeLimit = kDefaultMemoryNodeLimit;
  std::vector<std::unique_ptr<TreeNode[]>> NodeBlocks;  // index = block number; null = absent
  int highestBlock = -1;                                 // -1: no block allocated
  std::unique_ptr<RecordFile> recordFile;                // tree.dvp while open
  bool recordFileOpen = false;
  int32_t InsertDepth = 0;
  bool wordGrow = false;    // the scanner's grow flag
  bool familyGrow = false;  // the loader's grow flag
};

// A TreeNode with the BlankNode contents: NodeNumber -1, empty word, Frequency 1, links -1.
TreeNode MakeBlankNode();

// Copies node n into *out. A number that does not exist is the fatal node error: its message
// ("whereami: " label "list_ptr: " n "depth: " InsertDepth) is given, the run fails, and *out
// becomes a blank node. After a failure of the run, *out is a blank node and nothing is read.
void ReadNode(Engine& e, int32_t n, const char* label, TreeNode* out);
// Stores node under number n, setting its NodeNumber to n. Ignored after a failure of the run.
void WriteNode(Engine& e, int32_t n, TreeNode& node);

// Empties the store: roots -1, NodeCount 0, block 0 allocated and filled with BlankNode.
void ResetStore(WordTree& tree);
// Releases every NodeBlock (the end of a report).
void ReleaseNodeBlocks(WordTree& tree);

}  // namespace quarn
