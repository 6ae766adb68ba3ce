#include "store/WordTree.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "SecondThread.h"
#include "store/Store.h"

namespace quarn {

// Records go to and from tree.dvp as the bytes of TreeNode, which is the little-endian layout.
static_assert(std::endian::native == std::endian::little,
              "the record file layout is little-endian");

namespace {

// The node number that does not exist: tells the user which routine asked for it, and ends the
// run (the press), leaving the files of the store on disk.
void FatalNodeError(Store& e, int32_t n, const char* label, TreeNode* out) {
  std::string text = "whereami: ";
  text += label;
  text += "list_ptr: ";
  text += std::to_string(n);
  text += "depth: ";
  text += std::to_string(e.tree.InsertDepth);
  e.StoreMessage(Severity::kError, text, 0);
  e.Fail(Status::IOError("", text));
  e.runErrorReported = true;
  if (out != nullptr) *out = MakeBlankNode();
}

void FillBlock(TreeNode* block, const TreeNode& blank) {
  for (int i = 0; i < kNodeBlockSlots; ++i) block[i] = blank;
}

// Byte offset of node n in tree.dvp (n above the limit): record n - limit.
uint64_t RecordOffset(int32_t limit, int32_t n) {
  return static_cast<uint64_t>(static_cast<int64_t>(n) - limit) * static_cast<uint64_t>(kNodeSize);
}
uint64_t RecordOffset(const WordTree& tree, int32_t n) {
  return RecordOffset(tree.MemoryNodeLimit, n);
}

void RecordFileFailed(Store& e, const Status& s) {
  e.Fail(Status::IOError(e.TreeFilePath(), s.reason()));
}

// The mapped record file covering the record at offset, or nullptr when the record file is
// used through positioned reads and writes (fast paths off, or a file that cannot be mapped).
// A failure to grow the file fails the run.
char* MappedRecords(Store& e, uint64_t offset) {
  if (!e.fastPaths) return nullptr;
  if (char* mapped = e.tree.recordFile->MappedFor(offset + sizeof(TreeNode))) return mapped;
  Status s;
  char* base = e.tree.recordFile->MapRecords(offset + sizeof(TreeNode), &s);
  if (!s.ok()) RecordFileFailed(e, s);
  return base;
}

}  // namespace

constexpr size_t kBlockBytes = sizeof(TreeNode) * kNodeBlockSlots;
constexpr size_t kSmallPage = 4096;
constexpr size_t kAreaBytes =
    (kBlockBytes * kMaxNodeBlocks + kSmallPage - 1) / kSmallPage * kSmallPage;

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

NodeBlockArea::~NodeBlockArea() {
  preparing_.Join();
  std::free(base_);
}

void NodeBlockArea::PrepareBlock(int k, const TreeNode& blank) {
  prepared_ = -1;
  if (k < 0 || k >= kMaxNodeBlocks || base_ == nullptr) return;
  TreeNode* block = reinterpret_cast<TreeNode*>(BlockMemory(k));
  const bool started = preparing_.Start([block, blank] {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    // The whole small pages of the block at once, rather than a fault per page.
    const uintptr_t begin = reinterpret_cast<uintptr_t>(block);
    const uintptr_t first = begin / kSmallPage * kSmallPage;
    const uintptr_t last = (begin + kBlockBytes + kSmallPage - 1) / kSmallPage * kSmallPage;
    ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#endif
    FillBlock(block, blank);
  });
  // Without a thread to spare the block is filled when it is asked for.
  if (!started) return;
  prepared_ = k;
  preparedBlank_ = blank;
}

NodeBlock NodeBlockArea::Block(int k, const TreeNode& blank) {
  if (k < 0 || k >= kMaxNodeBlocks) {
    void* own = std::malloc(kBlockBytes);
    if (own == nullptr) throw std::bad_alloc();
    FillBlock(static_cast<TreeNode*>(own), blank);
    return NodeBlock(static_cast<TreeNode*>(own), NodeBlockRelease{true});
  }
  if (base_ == nullptr) {
    base_ = static_cast<char*>(std::aligned_alloc(kSmallPage, kAreaBytes));
    if (base_ == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_NOHUGEPAGE)
    ::madvise(base_, kAreaBytes, MADV_NOHUGEPAGE);
#endif
  }
  preparing_.Join();
  TreeNode* block = reinterpret_cast<TreeNode*>(BlockMemory(k));
  if (prepared_ != k || std::memcmp(&preparedBlank_, &blank, sizeof blank) != 0) {
    FillBlock(block, blank);
  }
  if (prepareAhead_) {
    PrepareBlock(k + 1, blank);
  } else {
    prepared_ = -1;
  }
  return NodeBlock(block);
}

bool FastPathsWanted() {
  const char* v = std::getenv("QUARN_NO_FAST_PATHS");
  return v == nullptr || v[0] == '\0' || (v[0] == '0' && v[1] == '\0');
}

namespace {

// NodeInPlace without settling the occurrences waiting in the index, for the store's nodes
// placed under the memory limit given. Unless mayMap, a record of the record file beyond the
// bytes already mapped is not reached (nullptr), and nothing of the store changes.
TreeNode* RecordInPlace(Store& e, int32_t n, int32_t limit, bool mayMap = true) {
  WordTree& tree = e.tree;
  if (n <= limit) return BlockSlot(tree, n);
  if (n > tree.NodeCount || !tree.recordFileOpen()) return nullptr;
  const uint64_t offset = RecordOffset(limit, n);
  char* base = tree.recordFile->MappedFor(offset + sizeof(TreeNode));
  if (base == nullptr && mayMap) {
    Status s;
    base = tree.recordFile->MapRecords(offset + sizeof(TreeNode), &s);
  }
  if (base == nullptr) return nullptr;
  return reinterpret_cast<TreeNode*>(base + offset);
}

// Counts waiting occurrences in the record: Frequency, and the FileCounts slot (0: none).
void AddWaiting(TreeNode& t, uint32_t waiting, int slot) {
  AddTraffic(t.Frequency, waiting);
  if (slot != 0) AddTraffic(t.FileCounts(slot), waiting);
}

// Moves what waits in the index for node n (meta) into its record t.
void Settle(const WordIndex& index, int32_t n, const NodeMeta& meta, TreeNode& t) {
  if (meta.waiting != 0) AddWaiting(t, meta.waiting, index.waitingSlot);
  if (meta.shapeWaiting) {
    const NodeLinks& l = index.links(n);
    t.Left = l.left;
    t.Right = l.right;
    t.Balance = meta.balance;
  }
}

// Moves the occurrences, links and balance waiting in the index for node n into its record.
void SettleWaiting(Store& e, int32_t n) {
  WordTree& tree = e.tree;
  NodeMeta& meta = tree.index.meta(n);
  if (meta.waiting == 0 && !meta.shapeWaiting) return;
  const NodeMeta waiting = meta;
  meta.waiting = 0;
  meta.shapeWaiting = 0;
  // The records were placed under the limit the index was built under.
  const int32_t limit = tree.index.memoryLimit;
  if (TreeNode* t = RecordInPlace(e, n, limit)) return Settle(tree.index, n, waiting, *t);
  // A record of a record file that is not mapped.
  if (!tree.recordFileOpen() || e.failed()) return;
  const uint64_t offset = RecordOffset(limit, n);
  TreeNode copy;
  Status s = tree.recordFile->ReadAt(offset, sizeof copy, reinterpret_cast<char*>(&copy));
  if (s.ok()) {
    Settle(tree.index, n, waiting, copy);
    s = tree.recordFile->WriteAt(offset, reinterpret_cast<const char*>(&copy), sizeof copy);
  }
  if (!s.ok()) RecordFileFailed(e, s);
}

// Settles node n first when occurrences of it may be waiting.
inline void SettleBeforeUse(Store& e, int32_t n) {
  const WordIndex& index = e.tree.index;
  if (index.anyWaiting && index.Covers(n)) SettleWaiting(e, n);
}

}  // namespace

TreeNode* NodeInPlace(Store& e, int32_t n) {
  SettleBeforeUse(e, n);
  return RecordInPlace(e, n, e.tree.MemoryNodeLimit);
}

TreeNode* RecordInPlace(Store& e, int32_t n) {
  return RecordInPlace(e, n, e.tree.MemoryNodeLimit);
}

namespace {

// Settles the nodes first..last whose records are reachable in place without mapping more of
// the record file, and leaves the others waiting: touches nothing but those nodes' records and
// index entries, so two threads may settle two ranges at once. Returns the number left.
int32_t SettleInPlace(Store& e, int32_t first, int32_t last) {
  int32_t left = 0;
  WordIndex& index = e.tree.index;
  const int slot = index.waitingSlot;
  const int32_t limit = index.memoryLimit;
  // In node order, a group at a time: the records of a group are asked for together, so that
  // the processor fetches them side by side rather than one after the other.
  constexpr int kGroup = 32;
  int32_t nodes[kGroup];
  TreeNode* records[kGroup];
  for (int32_t n = first; n <= last;) {
    int k = 0;
    for (; k < kGroup && n <= last; ++n) {
      const NodeMeta& meta = index.meta(n);
      if (meta.waiting == 0 && !meta.shapeWaiting) continue;
      TreeNode* t = RecordInPlace(e, n, limit, false);
      if (t == nullptr) {
        ++left;
        continue;
      }
      PrefetchForWrite(&t->Frequency);
      if (slot != 0) PrefetchForWrite(&t->FileCounts(slot));
      if (meta.shapeWaiting) PrefetchForWrite(&t->Left);
      nodes[k] = n;
      records[k] = t;
      ++k;
    }
    for (int i = 0; i < k; ++i) {
      NodeMeta& meta = index.meta(nodes[i]);
      Settle(index, nodes[i], meta, *records[i]);
      meta.waiting = 0;
      meta.shapeWaiting = 0;
    }
  }
  return left;
}

// Below this many nodes one thread settles them all.
constexpr int32_t kSettleOnTwoThreadsFrom = 50000;

}  // namespace

void SettleAllWaiting(Store& e) {
  WordIndex& index = e.tree.index;
  if (!index.anyWaiting) return;
  const int32_t highest = index.highestNode();
  // Once the highest record is mapped, so are all below it; the upper half of the nodes can
  // then be settled on another thread meanwhile.
  const bool mapped =
      e.fastPaths && highest >= 1 && RecordInPlace(e, highest, index.memoryLimit) != nullptr;
  SecondThread upper;
  int32_t upperLeft = 0;
  int32_t middle = highest;
  if (mapped && highest >= kSettleOnTwoThreadsFrom) {
    middle = highest / 2;
    if (!upper.Start([&e, &upperLeft, middle, highest] {
          upperLeft = SettleInPlace(e, middle + 1, highest);
        })) {
      middle = highest;  // no thread to spare: all of them here
    }
  }
  int32_t left = SettleInPlace(e, 1, middle);
  upper.Join();
  left += upperLeft;
  // Records not reachable in place are read and written back.
  for (int32_t n = 1; left != 0 && n <= highest; ++n) SettleWaiting(e, n);
  index.anyWaiting = false;
}

void BreakIndex(Store& e) {
  if (!e.tree.index.usable()) return;
  SettleAllWaiting(e);
  e.tree.index.Break();
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

void ReadNode(Store& e, int32_t n, const char* label, TreeNode* out) {
  if (e.failed()) {
    *out = MakeBlankNode();
    return;
  }
  SettleBeforeUse(e, n);
  WordTree& tree = e.tree;
  if (n <= tree.MemoryNodeLimit) {
    // A block below the highest can only be missing when a writer skipped node numbers; its
    // nodes do not exist either.
    const TreeNode* slot = BlockSlot(tree, n);
    if (slot == nullptr) return FatalNodeError(e, n, label, out);
    *out = *slot;
    AddTraffic(e.counters.CacheNodesRead, 1);
    return;
  }
  if (n > tree.NodeCount) return FatalNodeError(e, n, label, out);
  if (!tree.recordFileOpen()) {
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
void StoreNode(Store& e, int32_t n, TreeNode& node);
}

void ReadNodeUncounted(Store& e, int32_t n, TreeNode* out) {
  const int32_t cacheReads = e.counters.CacheNodesRead;
  const int32_t diskReads = e.counters.DiskNodesRead;
  ReadNode(e, n, "ReadNode", out);
  e.counters.CacheNodesRead = cacheReads;
  e.counters.DiskNodesRead = diskReads;
}

void WriteNodeUncounted(Store& e, int32_t n, TreeNode& node) {
  const int32_t cacheWrites = e.counters.CacheNodesWritten;
  const int32_t diskWrites = e.counters.DiskNodesWritten;
  StoreNode(e, n, node);
  e.counters.CacheNodesWritten = cacheWrites;
  e.counters.DiskNodesWritten = diskWrites;
}

namespace {

// True iff writing node as node n leaves what the word index holds of n true: the same word,
// links and balance (a list claiming a word changes its code only), with nothing of n waiting.
bool KeepsIndexedShape(Store& e, int32_t n, const TreeNode& node) {
  const WordIndex& index = e.tree.index;
  const NodeLinks& links = index.links(n);
  const NodeMeta& meta = index.meta(n);
  if (meta.waiting != 0 || meta.shapeWaiting) return false;
  if (node.Left != links.left || node.Right != links.right || node.Balance != meta.balance) {
    return false;
  }
  const std::string_view word = node.Word();
  if (word.size() != meta.length || WordIndex::Prefix(word) != links.prefix ||
      WordIndex::Suffix(word) != meta.suffix) {
    return false;
  }
  if (word.size() <= 16) return true;
  const TreeNode* stored = RecordInPlace(e, n, index.memoryLimit);
  return stored != nullptr && stored->Word() == word;
}

}  // namespace

void WriteNode(Store& e, int32_t n, TreeNode& node) {
  // A node the word index knows may change in any way here; unless its shape stays as the
  // index has it, the index's copy would no longer be the record's.
  WordIndex& index = e.tree.index;
  if (index.usable() && index.Covers(n) && !KeepsIndexedShape(e, n, node)) BreakIndex(e);
  StoreNode(e, n, node);
}

namespace {
// WriteNode without a word on the index.
void StoreNode(Store& e, int32_t n, TreeNode& node) {
  if (e.failed()) return;
  WordTree& tree = e.tree;
  if (n <= tree.MemoryNodeLimit) {
    // No slot holds a negative number; writing one would land outside the block.
    if (n < 0) return FatalNodeError(e, n, "WriteNode", nullptr);
    const int k = n / kNodeBlockSize;
    if (k > tree.highestBlock) {
      if (static_cast<size_t>(k) >= tree.NodeBlocks.size()) tree.NodeBlocks.resize(k + 1);
      // The contents of a new block are never read before they are written; blank slots keep
      // a stray read from seeing garbage.
      tree.NodeBlocks[k] = tree.blockArea.Block(k, tree.BlankNode);
      tree.highestBlock = k;
    } else if (tree.NodeBlocks[k] == nullptr) {
      tree.NodeBlocks[k] = tree.blockArea.Block(k, tree.BlankNode);
    }
    node.NodeNumber = n;
    tree.NodeBlocks[k][n % kNodeBlockSize] = node;
    AddTraffic(e.counters.CacheNodesWritten, 1);
    return;
  }
  node.NodeNumber = n;
  if (!tree.recordFileOpen()) {
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
    tree.NodeBlocks[0] = tree.blockArea.Block(0, tree.BlankNode);
  } else {
    FillBlock(tree.NodeBlocks[0].get(), tree.BlankNode);
  }
  for (size_t k = 1; k < tree.NodeBlocks.size(); ++k) tree.NodeBlocks[k].reset();
  tree.highestBlock = 0;
}

void ReleaseNodeBlocks(WordTree& tree) {
  tree.index.Break();  // the records go, and with them what waited for them
  tree.cutIds.Reset();
  for (auto& block : tree.NodeBlocks) block.reset();
  tree.highestBlock = -1;
}

}  // namespace quarn
