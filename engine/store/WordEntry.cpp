#include "store/WordEntry.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "Prefetch.h"

#include "store/EnterAgain.h"
#include "store/Store.h"
#include "store/WordIndex.h"
#include "store/WordTree.h"

namespace quarn {

namespace {

constexpr int32_t kNoList = kNoListCode;

std::string_view CutKey(std::string_view k) {
  return k.size() > static_cast<size_t>(kMaxWordLength) ? k.substr(0, kMaxWordLength) : k;
}

// What differs between entering a word occurrence and entering a family record.
struct WordInsertion {
  static constexpr const char* kLabel = "addtowrdlist";
  std::string_view key;
  int slot;

  void Create(Store& e, int32_t& r, bool& g) const {
    TreeNode node = MakeBlankNode();
    ++e.tree.NodeCount;
    r = e.tree.NodeCount;
    node.NodeNumber = r;
    node.SetWord(key);
    node.ListCode = kNoList;
    if (slot != 0) node.FileCounts(slot) = 1;
    g = true;
    ++e.counters.OtherTypes;
    WriteNode(e, r, node);
    TallyOccurrence(e.tally, r);
    ++e.counters.UniqueWords;
  }

  template <typename Node>
  void Equal(Store& e, Node& n, bool& g) const {
    n.AddOccurrence(e, slot);
    g = false;
  }
};

struct FamilyInsertion {
  static constexpr const char* kLabel = "addtofamlist";
  std::string_view key;
  const TreeNode* family;

  void Create(Store& e, int32_t& r, bool& g) const {
    TreeNode node = *family;
    ++e.tree.NodeCount;
    r = e.tree.NodeCount;
    node.NodeNumber = r;
    node.Balance = 0;
    node.Left = -1;
    node.Right = -1;
    g = true;
    WriteNode(e, r, node);
  }

  template <typename Node>
  void Equal(Store& e, Node&, bool& g) const {
    e.StoreMessage(Severity::kError, "Serious Error in Add to Fam List!", 1);
    g = false;
  }
};

// The AVL insertion shared by words and families, over a way of holding the nodes of the path
// (Nodes, below). Every node of the path is read on the way down and written back on the way
// up, and the order of reads and writes is the one the store's traffic counters report,
// whichever Nodes is used: they differ only in where a node's fields are kept while it is
// held. The nodes are a template parameter so that each way compiles to its own loop.
//
// Nodes provides a node handle, Nodes::Node, with Read(e, nodes, n, label) (one counted read),
// Compare(e, key) (CompareWords of its word and key), Balance/SetBalance, Link/SetLink (side
// left or right), AddOccurrence(e, slot) (counted and written), Write(e) (one counted write)
// and Refresh(e) (after a node was created below it); and on itself Below(above, n) (what a
// level hands down to the next), Created(e, n, ins, above, g) and
// Rotated(e, top, second, third, above).
template <typename Nodes, typename Insertion>
void Insert(Store& e, Nodes& nodes, int32_t& r, const Insertion& ins, bool& g,
            typename Nodes::Above above) {
  if (e.failed()) {
    g = false;
    return;
  }
  ++e.tree.InsertDepth;
  if (r == -1) {
    ins.Create(e, r, g);
    nodes.Created(e, r, ins, above, g);
    return;
  }
  typename Nodes::Node n;
  n.Read(e, nodes, r, Insertion::kLabel);
  const int order = n.Compare(e, ins.key);
  if (order == 0) {
    ins.Equal(e, n, g);
    return;
  }
  const bool left = order > 0;
  int32_t child = n.Link(left);
  Insert(e, nodes, child, ins, g, nodes.Below(above, r));
  n.Refresh(e);
  if (n.Link(left) != child) n.SetLink(e, left, child);
  n.Write(e);
  if (!g) return;
  // Balance -1 is left-high; the mirrored cases swap the sides and the sign.
  const int8_t grown = left ? -1 : 1;
  if (n.Balance() == -grown) {
    n.SetBalance(e, 0);
    g = false;
    n.Write(e);
    return;
  }
  if (n.Balance() == 0) {
    n.SetBalance(e, grown);
    n.Write(e);
    return;
  }
  // The side that grew is two higher: one rotation. "in" is that side, "out" the other.
  const bool in = left;
  const int32_t nNum = r;
  const int32_t cNum = child;
  typename Nodes::Node c;
  c.Read(e, nodes, cNum, Insertion::kLabel);
  int32_t second;  // the nodes the rotation moved below the new top
  int32_t third = -1;
  if (c.Balance() == grown) {
    n.SetLink(e, in, c.Link(!in));
    c.SetLink(e, !in, nNum);
    n.SetBalance(e, 0);
    n.Write(e);
    r = cNum;
    c.Write(e);
    second = nNum;
  } else {
    const int32_t mNum = c.Link(!in);
    typename Nodes::Node m;
    m.Read(e, nodes, mNum, Insertion::kLabel);
    c.SetLink(e, !in, m.Link(in));
    m.SetLink(e, in, cNum);
    n.SetLink(e, in, m.Link(!in));
    m.SetLink(e, !in, nNum);
    const int8_t mBalance = m.Balance();
    n.SetBalance(e, mBalance == grown ? -grown : 0);
    c.SetBalance(e, mBalance == -grown ? grown : 0);
    n.Write(e);
    c.Write(e);
    r = mNum;
    m.Write(e);
    second = cNum;
    third = nNum;
  }
  // The new top of the subtree is read once more and written balanced.
  typename Nodes::Node top;
  top.Read(e, nodes, r, Insertion::kLabel);
  top.SetBalance(e, 0);
  top.Write(e);
  g = false;
  nodes.Rotated(e, r, second, third, above);
}

// What the plain ways of holding nodes hand down the path and do after a creation or rotation:
// nothing.
struct PlainNodes {
  struct Above {};
  static Above Below(Above, int32_t) { return {}; }
  template <typename Insertion>
  static void Created(Store&, int32_t, const Insertion&, Above, bool&) {}
  static void Rotated(Store&, int32_t, int32_t, int32_t, Above) {}
};

// Nodes held as copies, in and out through ReadNode and WriteNode.
struct CopiedNodes : PlainNodes {
  class Node {
   public:
    void Read(Store& e, CopiedNodes&, int32_t n, const char* label) {
      num_ = n;
      ReadNode(e, n, label, &node_);
    }
    int Compare(Store&, std::string_view key) const { return CompareWords(node_.Word(), key); }
    int8_t Balance() const { return node_.Balance; }
    void SetBalance(Store&, int8_t b) { node_.Balance = b; }
    int32_t Link(bool left) const { return left ? node_.Left : node_.Right; }
    void SetLink(Store&, bool left, int32_t to) { (left ? node_.Left : node_.Right) = to; }
    void AddOccurrence(Store& e, int slot) {
      ++node_.Frequency;
      if (slot != 0) ++node_.FileCounts(slot);
      TallyOccurrence(e.tally, num_);
      Write(e);
    }
    void Write(Store& e) { WriteNode(e, num_, node_); }
    void Refresh(Store&) {}

   private:
    int32_t num_ = -1;
    TreeNode node_;
  };
};

// Nodes changed where they are stored when they can be reached in place, else held as copies
// that go back through WriteNode. Reads and writes count the traffic ReadNode and WriteNode
// count; every write is to the node's own number.
struct NodesInPlace : PlainNodes {
  class Node {
   public:
    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    void Read(Store& e, NodesInPlace&, int32_t n, const char* label) {
      num_ = n;
      if (!e.failed()) {
        if (TreeNode* t = NodeInPlace(e, n)) {
          CountRead(e.counters, e.tree, n);
          p_ = t;
          return;
        }
      }
      ReadNode(e, n, label, &copy_);
      p_ = &copy_;
    }
    int Compare(Store&, std::string_view key) const { return CompareWords(p_->Word(), key); }
    int8_t Balance() const { return p_->Balance; }
    void SetBalance(Store&, int8_t b) { p_->Balance = b; }
    int32_t Link(bool left) const { return left ? p_->Left : p_->Right; }
    void SetLink(Store&, bool left, int32_t to) { (left ? p_->Left : p_->Right) = to; }
    void AddOccurrence(Store& e, int slot) {
      ++p_->Frequency;
      if (slot != 0) ++p_->FileCounts(slot);
      TallyOccurrence(e.tally, num_);
      Write(e);
    }
    void Write(Store& e) {
      if (p_ == &copy_) return WriteNode(e, num_, copy_);
      if (e.failed()) return;
      p_->NodeNumber = num_;
      CountWrite(e.counters, e.tree, num_);
    }
    // After a node was created: the record may have moved with a grown mapping, or no longer
    // be reachable in place at all (its contents are then in the record file).
    void Refresh(Store& e) {
      if (p_ == &copy_) return;
      if (TreeNode* t = NodeInPlace(e, num_)) {
        p_ = t;
        return;
      }
      ReadNodeUncounted(e, num_, &copy_);
      p_ = &copy_;
    }

   private:
    int32_t num_ = -1;
    TreeNode* p_ = nullptr;
    TreeNode copy_;
  };
};
// The node holding key in the tree at t, read into *out; false when absent (or after a failure
// of the run).
bool Find(Store& e, int32_t t, std::string_view key, TreeNode* out) {
  key = CutKey(key);
  while (t != -1 && !e.failed()) {
    // Where it can, the node is looked at in place and copied only once found, its read
    // counted as ReadNode counts it.
    if (const TreeNode* node = e.fastPaths ? NodeInPlace(e, t) : nullptr) {
      CountRead(e.counters, e.tree, t);
      const int order = CompareWords(node->Word(), key);
      if (order == 0) {
        *out = *node;
        return true;
      }
      t = order > 0 ? node->Left : node->Right;
      continue;
    }
    ReadNode(e, t, "checklist", out);
    const int order = CompareWords(out->Word(), key);
    if (order == 0) return !e.failed();
    t = order > 0 ? out->Left : out->Right;
  }
  return false;
}

}  // namespace

int CompareWords(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  // memcmp compares as unsigned char, the word order of the store.
  if (common != 0) {
    const int c = std::memcmp(a.data(), b.data(), common);
    if (c != 0) return c;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

namespace {

// True iff the index describes the tree at root (the WordRoots entry of the key's first
// character c). Anything it cannot have followed breaks it until the store is reset: a changed
// root, a changed memory limit.
bool IndexFollows(Store& e, int32_t root, unsigned char c) {
  WordTree& tree = e.tree;
  WordIndex& index = tree.index;
  if (!index.usable()) return false;
  if (index.roots.size() != tree.WordRoots.size()) {
    BreakIndex(e);
    return false;
  }
  if (index.memoryLimit != tree.MemoryNodeLimit) {
    if (index.size() != 0) {
      BreakIndex(e);
      return false;
    }
    index.memoryLimit = tree.MemoryNodeLimit;
  }
  if (root != index.roots[c]) {
    BreakIndex(e);
    return false;
  }
  return true;
}

// The path's make-up with node n added at its end.
PathCounts With(const WordTree& tree, PathCounts above, int32_t n) {
  if (n <= tree.MemoryNodeLimit) {
    ++above.memory;
  } else {
    ++above.disk;
  }
  return above;
}

// Node n's links or balance changed in the index: its record gets them when it is next looked
// at or the file's scan ends (SettleWaiting). slot is the entering word's FileCounts slot.
void SyncRecord(Store& e, int32_t n, int slot) {
  if (e.failed()) return;
  WordIndex& index = e.tree.index;
  index.meta(n).shapeWaiting = 1;
  if (!index.anyWaiting) {
    index.anyWaiting = true;
    index.waitingSlot = slot;
  }
}

// CompareWords(word of node n, key), from the index where its prefixes decide.
int CompareNode(Store& e, int32_t n, const NodeLinks& links, uint64_t keyPrefix,
                std::string_view key) {
  if (links.prefix != keyPrefix) return links.prefix > keyPrefix ? 1 : -1;
  const NodeMeta& meta = e.tree.index.meta(n);
  const size_t length = meta.length;
  if (length <= 16 && key.size() <= 16) {
    const uint64_t keySuffix = WordIndex::Suffix(key);
    if (meta.suffix != keySuffix) return meta.suffix > keySuffix ? 1 : -1;
    return length == key.size() ? 0 : (length > key.size() ? 1 : -1);
  }
  if (const TreeNode* t = RecordInPlace(e, n)) return CompareWords(t->Word(), key);
  TreeNode copy;
  ReadNodeUncounted(e, n, &copy);
  return CompareWords(copy.Word(), key);
}

// Find through the word index, when it describes the tree at t (looked at without breaking it
// otherwise): a word it holds is read once, with the reads of its path counted from the path's
// make-up; an absent word's walk goes down the index's copy of the shape, counting each node
// as read. Returns 1 (found, *out set), 0 (absent), or -1 when the index cannot tell, having
// counted nothing.
int FindIndexed(Store& e, int32_t t, std::string_view key, TreeNode* out) {
  WordTree& tree = e.tree;
  WordIndex& index = tree.index;
  if (!IndexMayServe(e) || key.empty() || t == -1 || !IndexInStep(e)) return -1;
  const unsigned char c = static_cast<unsigned char>(key[0]);
  if (tree.WordRoots[c] != t || index.roots[c] != t) return -1;
  const uint64_t prefix = WordIndex::Prefix(key);
  const int32_t n =
      index.Find(key, WordIndex::Hash(key), prefix, [&](int32_t node, std::string_view* w) {
        const TreeNode* r = RecordInPlace(e, node);
        if (r == nullptr) return false;
        *w = r->Word();
        return true;
      });
  if (n == WordIndex::kUnreachable) return -1;
  if (n > 0) {
    const TreeNode* r = NodeInPlace(e, n);
    if (r == nullptr || !index.Covers(n)) return -1;
    const PathCounts p = index.meta(n).path;
    AddTraffic(e.counters.CacheNodesRead, p.memory);
    AddTraffic(e.counters.DiskNodesRead, p.disk);
    *out = *r;
    return 1;
  }
  RunCounters reads;
  for (int32_t m = t; m != -1;) {
    if (!index.Covers(m)) return -1;
    CountRead(reads, tree, m);
    const NodeLinks& links = index.links(m);
    const int order = CompareNode(e, m, links, prefix, key);
    if (order == 0) return -1;  // the index holds it after all: not a walk it can stand for
    m = order > 0 ? links.left : links.right;
  }
  AddTraffic(e.counters.CacheNodesRead, static_cast<uint32_t>(reads.CacheNodesRead));
  AddTraffic(e.counters.DiskNodesRead, static_cast<uint32_t>(reads.DiskNodesRead));
  *out = MakeBlankNode();
  return 0;
}

// Adds (memory, disk) to the path counts of every node of the subtree at top. The subtree is
// gone through level by level, so that the nodes queued are fetched while the ones before them
// are changed.
void ShiftPaths(WordIndex& index, int32_t top, int memory, int disk) {
  auto& work = index.queue;
  work.clear();
  work.push_back(top);
  for (size_t next = 0; next < work.size(); ++next) {
    const int32_t n = work[next];
    PathCounts& p = index.meta(n).path;
    p.memory = static_cast<uint8_t>(p.memory + memory);
    p.disk = static_cast<uint8_t>(p.disk + disk);
    const NodeLinks& l = index.links(n);
    for (const int32_t child : {l.left, l.right}) {
      if (child == -1) continue;
      PrefetchForRead(&index.links(child));
      PrefetchForWrite(&index.meta(child));
      work.push_back(child);
    }
  }
}

// After a rotation below nodes counted by above: the rotated nodes, top and its children
// second and third (-1 after a single rotation), get their paths counted again. Each subtree
// hanging from them has moved up or down as a whole: the paths of its nodes change by what its
// root's path changed, and a subtree whose path did not change is not visited at all.
void RecountRotated(WordTree& tree, int32_t top, int32_t second, int32_t third, PathCounts above) {
  WordIndex& index = tree.index;
  auto rotated = [&](int32_t n) { return n == top || n == second || n == third; };
  auto hangers = [&](int32_t parent, PathCounts parentPath) {
    const NodeLinks l = index.links(parent);
    for (const int32_t h : {l.left, l.right}) {
      if (h == -1 || rotated(h)) continue;
      const PathCounts now = With(tree, parentPath, h);
      const PathCounts was = index.meta(h).path;
      if (now.memory != was.memory || now.disk != was.disk) {
        ShiftPaths(index, h, now.memory - was.memory, now.disk - was.disk);
      }
    }
  };
  const PathCounts topPath = With(tree, above, top);
  index.meta(top).path = topPath;
  const NodeLinks l = index.links(top);
  for (const int32_t child : {l.left, l.right}) {
    if (child == -1 || !rotated(child)) continue;
    const PathCounts childPath = With(tree, topPath, child);
    index.meta(child).path = childPath;
    hangers(child, childPath);
  }
  hangers(top, topPath);
}

// Nodes of the trees the index follows, held as the index's copy of their shape instead of
// their records: the reads and writes are counted as the records' would be, and a record
// changes only where the other ways change it: its word's own node (AddOccurrence), and links
// and balances, which wait in the index for the record (SyncRecord). Keeps the index in step:
// the new node, and after a rotation the paths of the rotated subtree. What is handed down the
// path is the make-up of the path above the node.
struct IndexedNodes {
  const WordTree* tree;
  uint64_t hash;    // the key's WordIndex::Hash
  uint64_t prefix;  // and Prefix
  int slot;         // the entering occurrence's FileCounts slot
  int32_t entered = 0;  // the word's node afterwards, 0 after a failure of the run

  using Above = PathCounts;
  Above Below(Above above, int32_t n) const { return With(*tree, above, n); }

  class Node {
   public:
    void Read(Store& e, IndexedNodes& nodes, int32_t n, const char*) {
      num_ = n;
      nodes_ = &nodes;
      index_ = &e.tree.index;
      CountRead(e.counters, e.tree, n);
      // The way back up changes balances here: fetch them while the walk goes on.
      PrefetchForWrite(&index_->meta(n));
    }
    int Compare(Store& e, std::string_view key) const {
      return CompareNode(e, num_, index_->links(num_), nodes_->prefix, key);
    }
    int8_t Balance() const { return index_->meta(num_).balance; }
    void SetBalance(Store& e, int8_t b) {
      index_->meta(num_).balance = b;
      SyncRecord(e, num_, nodes_->slot);
    }
    int32_t Link(bool left) const {
      const NodeLinks& l = index_->links(num_);
      return left ? l.left : l.right;
    }
    void SetLink(Store& e, bool left, int32_t to) {
      if (e.failed()) return;
      NodeLinks& l = index_->links(num_);
      (left ? l.left : l.right) = to;
      SyncRecord(e, num_, nodes_->slot);
    }
    // The word is there after all: counted in its record.
    void AddOccurrence(Store& e, int slot) {
      TreeNode* t = NodeInPlace(e, num_);
      TreeNode copy;
      if (t == nullptr) {
        ReadNodeUncounted(e, num_, &copy);
        t = &copy;
      }
      ++t->Frequency;
      if (slot != 0) ++t->FileCounts(slot);
      TallyOccurrence(e.tally, num_);
      if (t == &copy) WriteNodeUncounted(e, num_, copy);
      nodes_->entered = num_;
      Write(e);
    }
    void Write(Store& e) {
      if (e.failed()) return;
      CountWrite(e.counters, e.tree, num_);
    }
    void Refresh(Store&) {}

   private:
    int32_t num_ = -1;
    IndexedNodes* nodes_ = nullptr;
    WordIndex* index_ = nullptr;
  };

  template <typename Insertion>
  void Created(Store& e, int32_t n, const Insertion& ins, Above above, bool& g) {
    if (e.failed()) {
      g = false;
      return;
    }
    WordIndex& index = e.tree.index;
    NodeMeta meta;
    meta.path = With(e.tree, above, n);
    meta.length = static_cast<uint8_t>(ins.key.size());
    meta.suffix = WordIndex::Suffix(ins.key);
    index.AddNode(n, NodeLinks{prefix, -1, -1}, meta);
    index.Add(hash, n);
    entered = n;
  }
  void Rotated(Store& e, int32_t top, int32_t second, int32_t third, Above above) const {
    RecountRotated(e.tree, top, second, third, above);
  }
};

}  // namespace

namespace {

// Enters the occurrence into the tree at root, without the word index. With fast paths the
// index cannot follow the tree and is let go: the tree may be one of those it describes, or
// share nodes with one.
void AddWordUnindexed(Store& e, int32_t& root, const WordInsertion& ins, bool& grow) {
  if (e.fastPaths) {
    BreakIndex(e);
    NodesInPlace nodes;
    Insert(e, nodes, root, ins, grow, {});
  } else {
    CopiedNodes nodes;
    Insert(e, nodes, root, ins, grow, {});
  }
}

// Enters the occurrence into the store's tree of its first character. knownHash and
// knownPrefix: the key's WordIndex::Hash and Prefix, or nullptr. Returns the node the word
// index knows the word by afterwards, or 0.
int32_t AddStoreWord(Store& e, std::string_view word, const uint64_t* knownHash,
                     const uint64_t* knownPrefix, bool& grow) {
  const WordInsertion ins{CutKey(word), e.countSlot};
  WordTree& tree = e.tree;
  const unsigned char c = ins.key.empty() ? 0 : static_cast<unsigned char>(ins.key[0]);
  int32_t& root = tree.WordRoots[c];
  if (IndexMayServe(e) && !ins.key.empty() && IndexFollows(e, root, c)) {
    WordIndex& index = tree.index;
    const uint64_t hash = knownHash != nullptr ? *knownHash : WordIndex::Hash(ins.key);
    const uint64_t prefix = knownPrefix != nullptr ? *knownPrefix : WordIndex::Prefix(ins.key);
    const int32_t n = index.Find(ins.key, hash, prefix, [&](int32_t node, std::string_view* w) {
      TreeNode* t = CachedNodeInPlace(tree, node);
      if (t == nullptr && node > tree.MemoryNodeLimit) t = RecordInPlace(e, node);
      if (t == nullptr) return false;
      *w = t->Word();
      return true;
    });
    if (n > 0) {
      EnterAgain(e, n, ins.slot);
      grow = false;
      return n;
    }
    if (n == -1) {
      IndexedNodes nodes{&tree, hash, prefix, ins.slot};
      Insert(e, nodes, root, ins, grow, PathCounts{});
      if (!index.usable()) return 0;
      index.roots[c] = root;
      return nodes.entered;
    }
    // n is kUnreachable: a record that cannot be looked at in place.
  }
  AddWordUnindexed(e, root, ins, grow);
  return 0;
}

}  // namespace

void addtowrdlist(Store& e, int32_t& root, std::string_view word, bool& grow) {
  AddWordUnindexed(e, root, WordInsertion{CutKey(word), e.countSlot}, grow);
}

void addtowrdlist(Store& e, std::string_view word, bool& grow) {
  AddStoreWord(e, word, nullptr, nullptr, grow);
}

int32_t addtowrdlist(Store& e, std::string_view word, uint64_t hash, uint64_t prefix,
                     bool& grow) {
  const bool known = word.size() <= static_cast<size_t>(kMaxWordLength);
  return AddStoreWord(e, word, known ? &hash : nullptr, known ? &prefix : nullptr, grow);
}

bool EnterIndexedAgainChecked(Store& e, unsigned char first, int32_t node, bool& grow) {
  if (!IndexMayServe(e)) return false;
  if (!IndexFollows(e, e.tree.WordRoots[first], first) || !e.tree.index.Covers(node)) {
    return false;
  }
  EnterAgain(e, node, e.countSlot);
  grow = false;
  return true;
}

void PrefetchWordSlot(Store& e, uint64_t hash) { e.tree.index.Prefetch(hash); }

bool PrefetchWordRecord(Store& e, uint64_t hash, size_t length) {
  WordTree& tree = e.tree;
  const int32_t n = tree.index.Peek(hash);
  if (n == 0) return tree.index.usable() && tree.index.size() != 0;
  // Up to sixteen characters the index alone tells the word; a longer one is compared with
  // the word of the record.
  if (n < 0 || length <= 16) return false;
  const TreeNode* node = CachedNodeInPlace(tree, n);
  if (node == nullptr && n > tree.MemoryNodeLimit) node = RecordInPlace(e, n);
  if (node != nullptr) PrefetchForRead(node);
  return false;
}

void addtofamlist(Store& e, int32_t& root, const TreeNode& family, bool& grow) {
  CopiedNodes nodes;
  Insert(e, nodes, root, FamilyInsertion{family.Word(), &family}, grow, {});
}

namespace {

// Find, through the word index where it can.
bool FindWord(Store& e, int32_t root, std::string_view word, TreeNode* out) {
  const std::string_view key = CutKey(word);
  const int indexed = FindIndexed(e, root, key, out);
  if (indexed >= 0) return indexed == 1;
  return Find(e, root, key, out);
}

}  // namespace

bool checklist(Store& e, int32_t root, std::string_view word, TreeNode* out) {
  if (!FindWord(e, root, word, out)) {
    *out = MakeBlankNode();
    return false;
  }
  return out->ListCode != kNoList;
}

int32_t LookupFrequency(Store& e, int32_t root, std::string_view word) {
  TreeNode n;
  return FindWord(e, root, word, &n) ? n.Frequency : 0;
}

int32_t LookupListCode(Store& e, int32_t root, std::string_view word) {
  TreeNode n;
  return FindWord(e, root, word, &n) ? n.ListCode : 0;
}

}  // namespace quarn
