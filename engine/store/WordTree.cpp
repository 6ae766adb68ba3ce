#include "WordTree.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

constexpr size_t kBlockBytes = sizeof(TreeNode) * kNodeBlockSlots;
constexpr size_t kLargePage = size_t{2} << 20;
constexpr size_t kSmallPage = 4096;
constexpr size_t kAreaBytes =
    (kBlockBytes * kMaxNodeBlocks + kLargePage - 1) / kLargePage * kLargePage;

void NodeBlockRelease::operator()(TreeNode* block) const {
  if (owned) return std::free(block);
#if defined(__linux__)
  // The whole small pages inside the block; their contents are not needed again.
  const uintptr_t begin = reinterpret_cast<uintptr_t>(block);
  const uintptr_t first = (begin + kSmallPage - 1) / kSmallPage * kSmallPage;
  const uintptr_t last = (begin + kBlockBytes) / kSmallPage * kSmallPage;
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
#else
  (void)block;
#endif
}

NodeBlockArea::~NodeBlockArea() { std::free(base_); }

NodeBlock NodeBlockArea::Block(int k) {
  if (k < 0 || k >= kMaxNodeBlocks) {
    void* own = std::malloc(kBlockBytes);
    if (own == nullptr) throw std::bad_alloc();
    return NodeBlock(static_cast<TreeNode*>(own), NodeBlockRelease{true});
  }
  if (base_ == nullptr) {
    base_ = static_cast<char*>(std::aligned_alloc(kLargePage, kAreaBytes));
    if (base_ == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    ::madvise(base_, kAreaBytes, MADV_HUGEPAGE);
#endif
  }
  return NodeBlock(reinterpret_cast<TreeNode*>(base_ + kBlockBytes * static_cast<size_t>(k)));
}

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

namespace {
void StoreNode(Engine& e, int32_t n, TreeNode& node);
}

void ReadNodeUncounted(Engine& e, int32_t n, TreeNode* out) {
  const int32_t cacheReads = e.counters.CacheNodesRead;
  const int32_t diskReads = e.counters.DiskNodesRead;
  ReadNode(e, n, "ReadNode", out);
  e.counters.CacheNodesRead = cacheReads;
  e.counters.DiskNodesRead = diskReads;
}

void WriteNodeUncounted(Engine& e, int32_t n, TreeNode& node) {
  const int32_t cacheWrites = e.counters.CacheNodesWritten;
  const int32_t diskWrites = e.counters.DiskNodesWritten;
  StoreNode(e, n, node);
  e.counters.CacheNodesWritten = cacheWrites;
  e.counters.DiskNodesWritten = diskWrites;
}

void WriteNode(Engine& e, int32_t n, TreeNode& node) {
  // A node the word index knows may change in any way here; its copy of the shape would no
  // longer be the record's.
  if (e.tree.index.usable() && e.tree.index.Covers(n)) e.tree.index.Break();
  StoreNode(e, n, node);
}

namespace {
// WriteNode without a word on the index.
void StoreNode(Engine& e, int32_t n, TreeNode& node) {
  if (e.failed()) return;
  WordTree& tree = e.tree;
  if (n <= tree.MemoryNodeLimit) {
    // No slot holds a negative number; writing one would land outside the block.
    if (n < 0) return FatalNodeError(e, n, "WriteNode", nullptr);
    const int k = n / kNodeBlockSize;
    if (k > tree.highestBlock) {
      if (static_cast<size_t>(k) >= tree.NodeBlocks.size()) tree.NodeBlocks.resize(k + 1);
      tree.NodeBlocks[k] = tree.blockArea.Block(k);
      // The contents of a new block are never read before they are written; blank slots keep
      // a stray read from seeing garbage.
      FillBlock(tree.NodeBlocks[k].get(), tree.BlankNode);
      tree.highestBlock = k;
    } else if (tree.NodeBlocks[k] == nullptr) {
      tree.NodeBlocks[k] = tree.blockArea.Block(k);
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
  Status s =
      tree.recordFile->WriteAt(offset, reinterpret_cast<const char*>(&node), sizeof(TreeNode));
  if (!s.ok()) {
    RecordFileFailed(e, s);
    return;
  }
  AddTraffic(e.counters.DiskNodesWritten, 1);
}
}  // namespace

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
    tree.NodeBlocks[0] = tree.blockArea.Block(0);
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
