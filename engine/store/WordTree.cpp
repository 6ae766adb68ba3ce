#include "WordTree.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../Engine.h"
#include "Messages.h"

namespace quarn {

// Records go to and from tree.dvp as the bytes of TreeNode, which is the little-endian layout.
static_assert(std::endian::native == std::endian::little,
              "the record file layout is little-endian");

namespace {

// The node number that does not exist: tells the user which routine asked for it, and ends the
// run (the press), leaving the files of the store on disk.
void FatalNodeError(Engine& e, int32_t n, const char* label, TreeNode* out) {
  std::string text = "whereami: ";
  text += label;
  text += "list_ptr: ";
  text += std::to_string(n);
  text += "depth: ";
  text += std::to_string(e.tree.InsertDepth);
  ProgressMessage(e, text, "ERROR", 0);
  e.Fail(Status::IOError("", text));
  e.runErrorReported = true;
  if (out != nullptr) *out = MakeBlankNode();
}

void FillBlock(TreeNode* block, const TreeNode& blank) {
  for (int i = 0; i < kNodeBlockSlots; ++i) block[i] = blank;
}

// Byte offset of node n in tree.dvp (n above the limit): record n - MemoryNodeLimit.
uint64_t RecordOffset(const WordTree& tree, int32_t n) {
  return static_cast<uint64_t>(static_cast<int64_t>(n) - tree.MemoryNodeLimit) *
         static_cast<uint64_t>(kNodeSize);
}

void RecordFileFailed(Engine& e, const Status& s) {
  e.Fail(Status::IOError(e.TreeFilePath(), s.reason()));
}

// The mapped record file covering the record at offset, or nullptr when the record file is
// used through positioned reads and writes (fast paths off, or a file that cannot be mapped).
// A failure to grow the file fails the run.
char* MappedRecords(Engine& e, uint64_t offset) {
  if (!e.fastPaths) return nullptr;
  Status s;
  char* base = e.tree.recordFile->MapRecords(offset + sizeof(TreeNode), &s);
  if (!s.ok()) RecordFileFailed(e, s);
  return base;
}

}  // namespace

bool FastPathsWanted() {
  const char* v = std::getenv("QUARN_NO_FAST_PATHS");
  return v == nullptr || v[0] == '\0' || (v[0] == '0' && v[1] == '\0');
}

TreeNode* NodeInPlace(Engine& e, int32_t n) {
  WordTree& tree = e.tree;
  if (n <= tree.MemoryNodeLimit) {
    if (n < 0) return nullptr;
    const int k = n / kNodeBlockSize;
    if (k > tree.highestBlock || tree.NodeBlocks[k] == nullptr) return nullptr;
    return &tree.NodeBlocks[k][n % kNodeBlockSize];
  }
  if (n > tree.NodeCount || !tree.recordFileOpen || tree.recordFile == nullptr) return nullptr;
  const uint64_t offset = RecordOffset(tree, n);
  Status s;
  char* base = tree.recordFile->MapRecords(offset + sizeof(TreeNode), &s);
  if (base == nullptr) return nullptr;
  return reinterpret_cast<TreeNode*>(base + offset);
}

TreeNode MakeBlankNode() {
  TreeNode node;
  std::memset(&node, 0, sizeof node);
  node.NodeNumber = -1;
  node.Frequency = 1;
  node.Left = -1;
  node.Right = -1;
  return node;
}

void ReadNode(Engine& e, int32_t n, const char* label, TreeNode* out) {
  if (e.failed()) {
    *out = MakeBlankNode();
    return;
  }
  WordTree& tree = e.tree;
  if (n <= tree.MemoryNodeLimit) {
    if (n < 0) return FatalNodeError(e, n, label, out);
    const int k = n / kNodeBlockSize;
    // A block below the highest can only be missing when a writer skipped node numbers; its
    // nodes do not exist either.
    if (k > tree.highestBlock || tree.NodeBlocks[k] == nullptr) {
      return FatalNodeError(e, n, label, out);
    }
    *out = tree.NodeBlocks[k][n % kNodeBlockSize];
    AddTraffic(e.counters.CacheNodesRead, 1);
    return;
  }
  if (n > tree.NodeCount) return FatalNodeError(e, n, label, out);
  if (!tree.recordFileOpen || tree.recordFile == nullptr) {
    e.Fail(Status::IOError(e.TreeFilePath(), "record file is not open"));
    *out = MakeBlankNode();
    return;
  }
  const uint64_t offset = RecordOffset(tree, n);
  if (char* base = MappedRecords(e, offset)) {
    std::memcpy(out, base + offset, sizeof(TreeNode));
    AddTraffic(e.counters.DiskNodesRead, 1);
    return;
  }
  if (e.failed()) {
    *out = MakeBlankNode();
    return;
  }
  Status s = tree.recordFile->ReadAt(offset, sizeof(TreeNode), reinterpret_cast<char*>(out));
  if (!s.ok()) {
    RecordFileFailed(e, s);
    *out = MakeBlankNode();
    return;
  }
  AddTraffic(e.counters.DiskNodesRead, 1);
}

void WriteNode(Engine& e, int32_t n, TreeNode& node) {
  if (e.failed()) return;
  WordTree& tree = e.tree;
  if (n <= tree.MemoryNodeLimit) {
    // No slot holds a negative number; writing one would land outside the block.
    if (n < 0) return FatalNodeError(e, n, "WriteNode", nullptr);
    const int k = n / kNodeBlockSize;
    if (k > tree.highestBlock) {
      if (static_cast<size_t>(k) >= tree.NodeBlocks.size()) tree.NodeBlocks.resize(k + 1);
      tree.NodeBlocks[k] = std::make_unique<TreeNode[]>(kNodeBlockSlots);
      // The contents of a new block are never read before they are written; blank slots keep
      // a stray read from seeing garbage.
      FillBlock(tree.NodeBlocks[k].get(), tree.BlankNode);
      tree.highestBlock = k;
    } else if (tree.NodeBlocks[k] == nullptr) {
      tree.NodeBlocks[k] = std::make_unique<TreeNode[]>(kNodeBlockSlots);
      FillBlock(tree.NodeBlocks[k].get(), tree.BlankNode);
    }
    node.NodeNumber = n;
    tree.NodeBlocks[k][n % kNodeBlockSize] = node;
    AddTraffic(e.counters.CacheNodesWritten, 1);
    return;
  }
  node.NodeNumber = n;
  if (!tree.recordFileOpen || tree.recordFile == nullptr) {
    e.Fail(Status::IOError(e.TreeFilePath(), "record file is not open"));
    return;
  }
  const uint64_t offset = RecordOffset(tree, n);
  if (char* base = MappedRecords(e, offset)) {
    std::memcpy(base + offset, &node, sizeof(TreeNode));
    AddTraffic(e.counters.DiskNodesWritten, 1);
    return;
  }
  if (e.failed()) return;
  Status s = tree.recordFile->WriteAt(offset, reinterpret_cast<const char*>(&node),
                                      sizeof(TreeNode));
  if (!s.ok()) {
    RecordFileFailed(e, s);
    return;
  }
  AddTraffic(e.counters.DiskNodesWritten, 1);
}

void ResetStore(WordTree& tree) {
  tree.WordRoots.fill(-1);
  tree.FamilyRoots.fill(-1);
  tree.NodeCount = 0;
  tree.InsertDepth = 0;
  tree.wordGrow = false;
  tree.familyGrow = false;
  tree.BlankNode = MakeBlankNode();
  tree.index.Reset();
  if (tree.NodeBlocks.size() < static_cast<size_t>(kMaxNodeBlocks)) {
    tree.NodeBlocks.resize(kMaxNodeBlocks);
  }
  // Block 0 is kept across runs; only its contents start afresh.
  if (tree.NodeBlocks[0] == nullptr) {
    tree.NodeBlocks[0] = std::make_unique<TreeNode[]>(kNodeBlockSlots);
  }
  FillBlock(tree.NodeBlocks[0].get(), tree.BlankNode);
  for (size_t k = 1; k < tree.NodeBlocks.size(); ++k) tree.NodeBlocks[k].reset();
  tree.highestBlock = 0;
}

void ReleaseNodeBlocks(WordTree& tree) {
  tree.index.Break();
  for (auto& block : tree.NodeBlocks) block.reset();
  tree.highestBlock = -1;
}

}  // namespace quarn
