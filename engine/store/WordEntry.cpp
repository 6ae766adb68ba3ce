#include "WordEntry.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>

#include "../Engine.h"
#include "EnterAgain.h"
#include "Messages.h"
#include "WordIndex.h"
#include "WordTree.h"

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

  void Create(Engine& e, int32_t& r, bool& g) const {
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
    ++e.counters.UniqueWords;
  }

  void Equal(Engine& e, int32_t r, TreeNode& n, bool& g) const {
    ++n.Frequency;
    if (slot != 0) ++n.FileCounts(slot);
    WriteNode(e, r, n);
    g = false;
  }
};

struct FamilyInsertion {
  static constexpr const char* kLabel = "addtofamlist";
  std::string_view key;
  const TreeNode* family;

  void Create(Engine& e, int32_t& r, bool& g) const {
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

  void Equal(Engine& e, int32_t, TreeNode&, bool& g) const {
    ProgressMessage(e, "Serious Error in Add to Fam List!", "ERROR", 1);
    g = false;
  }
};

// The AVL insertion shared by words and families. Works on node copies: every node of the
// path is written back on the way up, and the order of reads and writes is the one the
// store's traffic counters report.
template <typename Insertion>
void Insert(Engine& e, int32_t& r, const Insertion& ins, bool& g) {
  if (e.failed()) {
    g = false;
    return;
  }
  ++e.tree.InsertDepth;
  if (r == -1) {
    ins.Create(e, r, g);
    return;
  }
  TreeNode n;
  ReadNode(e, r, Insertion::kLabel, &n);
  const int order = CompareWords(n.Word(), ins.key);
  if (order > 0) {
    Insert(e, n.Left, ins, g);
    WriteNode(e, r, n);
    if (!g) return;
    if (n.Balance == 1) {
      n.Balance = 0;
      g = false;
      WriteNode(e, r, n);
      return;
    }
    if (n.Balance == 0) {
      n.Balance = -1;
      WriteNode(e, r, n);
      return;
    }
    const int32_t nNum = r;
    const int32_t lNum = n.Left;
    TreeNode l;
    ReadNode(e, lNum, Insertion::kLabel, &l);
    if (l.Balance == -1) {
      n.Left = l.Right;
      l.Right = nNum;
      n.Balance = 0;
      WriteNode(e, r, n);
      r = lNum;
      WriteNode(e, r, l);
    } else {
      const int32_t mNum = l.Right;
      TreeNode m;
      ReadNode(e, mNum, Insertion::kLabel, &m);
      l.Right = m.Left;
      m.Left = lNum;
      n.Left = m.Right;
      m.Right = nNum;
      n.Balance = m.Balance == -1 ? 1 : 0;
      l.Balance = m.Balance == 1 ? -1 : 0;
      WriteNode(e, r, n);
      WriteNode(e, lNum, l);
      r = mNum;
      WriteNode(e, r, m);
    }
    TreeNode top;
    ReadNode(e, r, Insertion::kLabel, &top);
    top.Balance = 0;
    WriteNode(e, r, top);
    g = false;
    return;
  }
  if (order < 0) {
    Insert(e, n.Right, ins, g);
    WriteNode(e, r, n);
    if (!g) return;
    if (n.Balance == -1) {
      n.Balance = 0;
      g = false;
      WriteNode(e, r, n);
      return;
    }
    if (n.Balance == 0) {
      n.Balance = 1;
      WriteNode(e, r, n);
      return;
    }
    const int32_t nNum = r;
    const int32_t rNum = n.Right;
    TreeNode rt;
    ReadNode(e, rNum, Insertion::kLabel, &rt);
    if (rt.Balance == 1) {
      n.Right = rt.Left;
      rt.Left = nNum;
      n.Balance = 0;
      WriteNode(e, r, n);
      r = rNum;
      WriteNode(e, r, rt);
    } else {
      const int32_t mNum = rt.Left;
      TreeNode m;
      ReadNode(e, mNum, Insertion::kLabel, &m);
      rt.Left = m.Right;
      m.Right = rNum;
      n.Right = m.Left;
      m.Left = nNum;
      n.Balance = m.Balance == 1 ? -1 : 0;
      rt.Balance = m.Balance == -1 ? 1 : 0;
      WriteNode(e, r, n);
      WriteNode(e, rNum, rt);
      r = mNum;
      WriteNode(e, r, m);
    }
    TreeNode top;
    ReadNode(e, r, Insertion::kLabel, &top);
    top.Balance = 0;
    WriteNode(e, r, top);
    g = false;
    return;
  }
  ins.Equal(e, r, n, g);
}

// A node of the path of an in-place insertion: the stored record itself when it can be
// reached in place, else a copy that goes back through WriteNode. Reads and writes count the
// traffic ReadNode and WriteNode count; every write is to the node's own number.
class HeldNode {
 public:
  void Read(Engine& e, int32_t n, const char* label) {
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
  // After a node was created: the record may have moved with a grown mapping, or no longer be
  // reachable in place at all (its contents are then in the record file).
  void Refresh(Engine& e) {
    if (p_ == &copy_) return;
    if (TreeNode* t = NodeInPlace(e, num_)) {
      p_ = t;
      return;
    }
    ReadNodeUncounted(e, num_, &copy_);
    p_ = &copy_;
  }
  void Write(Engine& e) {
    if (p_ == &copy_) return WriteNode(e, num_, copy_);
    if (e.failed()) return;
    p_->NodeNumber = num_;
    CountWrite(e.counters, e.tree, num_);
  }
  TreeNode* operator->() { return p_; }

 private:
  int32_t num_ = -1;
  TreeNode* p_ = nullptr;
  TreeNode copy_;
};

// Insert for a word, changing the path's records in place rather than copying each one in and
// out. The reads, writes and changes are Insert's, one for one.
void InsertInPlace(Engine& e, int32_t& r, const WordInsertion& ins, bool& g) {
  if (e.failed()) {
    g = false;
    return;
  }
  ++e.tree.InsertDepth;
  if (r == -1) {
    ins.Create(e, r, g);
    return;
  }
  HeldNode n;
  n.Read(e, r, WordInsertion::kLabel);
  const int order = CompareWords(n->Word(), ins.key);
  if (order == 0) {
    ++n->Frequency;
    if (ins.slot != 0) ++n->FileCounts(ins.slot);
    n.Write(e);
    g = false;
    return;
  }
  const bool left = order > 0;
  int32_t child = left ? n->Left : n->Right;
  InsertInPlace(e, child, ins, g);
  n.Refresh(e);
  (left ? n->Left : n->Right) = child;
  n.Write(e);
  if (!g) return;
  // Balance -1 is left-high; the mirrored cases swap the sides and the sign.
  const int8_t grown = left ? -1 : 1;
  if (n->Balance == -grown) {
    n->Balance = 0;
    g = false;
    n.Write(e);
    return;
  }
  if (n->Balance == 0) {
    n->Balance = grown;
    n.Write(e);
    return;
  }
  const int32_t nNum = r;
  const int32_t cNum = child;
  HeldNode c;
  c.Read(e, cNum, WordInsertion::kLabel);
  if (c->Balance == grown) {
    (left ? n->Left : n->Right) = left ? c->Right : c->Left;
    (left ? c->Right : c->Left) = nNum;
    n->Balance = 0;
    n.Write(e);
    r = cNum;
    c.Write(e);
  } else {
    const int32_t mNum = left ? c->Right : c->Left;
    HeldNode m;
    m.Read(e, mNum, WordInsertion::kLabel);
    if (left) {
      c->Right = m->Left;
      m->Left = cNum;
      n->Left = m->Right;
      m->Right = nNum;
      n->Balance = m->Balance == -1 ? 1 : 0;
      c->Balance = m->Balance == 1 ? -1 : 0;
    } else {
      c->Left = m->Right;
      m->Right = cNum;
      n->Right = m->Left;
      m->Left = nNum;
      n->Balance = m->Balance == 1 ? -1 : 0;
      c->Balance = m->Balance == -1 ? 1 : 0;
    }
    n.Write(e);
    c.Write(e);
    r = mNum;
    m.Write(e);
  }
  HeldNode top;
  top.Read(e, r, WordInsertion::kLabel);
  top->Balance = 0;
  top.Write(e);
  g = false;
}

// The node holding key in the tree at t, read into *out; false when absent (or after a failure
// of the run).
bool Find(Engine& e, int32_t t, std::string_view key, TreeNode* out) {
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
bool IndexFollows(Engine& e, int32_t root, unsigned char c) {
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

// True iff root is one of the store's WordRoots entries.
bool IsWordRoot(const WordTree& tree, const int32_t& root) {
  std::less<const int32_t*> before;
  return !before(&root, tree.WordRoots.data()) &&
         before(&root, tree.WordRoots.data() + tree.WordRoots.size());
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
void SyncRecord(Engine& e, int32_t n, int slot) {
  if (e.failed()) return;
  WordIndex& index = e.tree.index;
  index.meta(n).shapeWaiting = 1;
  if (!index.anyWaiting) {
    index.anyWaiting = true;
    index.waitingSlot = slot;
  }
}

// CompareWords(word of node n, key), from the index where its prefixes decide.
int CompareNode(Engine& e, int32_t n, const NodeLinks& links, uint64_t keyPrefix,
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
int FindIndexed(Engine& e, int32_t t, std::string_view key, TreeNode* out) {
  WordTree& tree = e.tree;
  WordIndex& index = tree.index;
  if (!e.fastPaths || e.failed() || key.empty() || t == -1 || !IndexInStep(e)) return -1;
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
      __builtin_prefetch(&index.links(child));
      __builtin_prefetch(&index.meta(child), 1);
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

// InsertInPlace for the trees the index follows, walking the index's copy of the tree's shape
// instead of the records. Counts every read and write InsertInPlace counts, in the same
// order of nodes, and changes a record only where InsertInPlace changes it: its word's own
// node, and links and balances. Keeps the index in step: the new node, and after a rotation the
// paths of the rotated subtree. Returns the word's node, or 0 after a failure of the run.
int32_t InsertTracked(Engine& e, int32_t& root, const WordInsertion& ins, uint64_t hash,
                      uint64_t keyPrefix, bool& g) {
  WordTree& tree = e.tree;
  WordIndex& index = tree.index;
  RunCounters& counters = e.counters;
  if (e.failed()) {
    g = false;
    return 0;
  }
  auto& path = index.walk;
  path.clear();
  PathCounts above;
  int32_t n = root;
  while (n != -1) {
    ++tree.InsertDepth;
    CountRead(counters, tree, n);
    const NodeLinks& links = index.links(n);
    const int order = CompareNode(e, n, links, keyPrefix, ins.key);
    if (order == 0) {
      // The word is there after all: count it, and write back the path unchanged.
      TreeNode* t = NodeInPlace(e, n);
      TreeNode copy;
      if (t == nullptr) {
        ReadNodeUncounted(e, n, &copy);
        t = &copy;
      }
      ++t->Frequency;
      if (ins.slot != 0) ++t->FileCounts(ins.slot);
      if (t == &copy) WriteNodeUncounted(e, n, copy);
      CountWrite(counters, tree, n);
      for (const auto& step : path) CountWrite(counters, tree, step.node);
      g = false;
      return n;
    }
    path.push_back({n, order > 0, above});
    // The way back up changes balances there: fetch them while the walk goes on.
    __builtin_prefetch(&index.meta(n), 1);
    above = With(tree, above, n);
    n = order > 0 ? links.left : links.right;
  }
  ++tree.InsertDepth;
  int32_t child = -1;
  ins.Create(e, child, g);
  if (e.failed()) {
    g = false;
    return 0;
  }
  const int32_t created = child;
  NodeMeta meta;
  meta.path = With(tree, above, child);
  meta.length = static_cast<uint8_t>(ins.key.size());
  meta.suffix = WordIndex::Suffix(ins.key);
  index.AddNode(child, NodeLinks{keyPrefix, -1, -1}, meta);
  index.Add(hash, child);

  // Back up the path: every node is written back once; while the subtree below grew, balances
  // change, and at most one rotation restores the balance.
  for (size_t i = path.size(); i-- > 0;) {
    const WordIndex::Step step = path[i];
    const int32_t num = step.node;
    const bool left = step.left;
    NodeLinks& nl = index.links(num);
    int32_t& link = left ? nl.left : nl.right;
    if (link != child) {
      link = child;
      SyncRecord(e, num, ins.slot);
    }
    CountWrite(counters, tree, num);
    if (!g) {
      child = num;
      continue;
    }
    NodeMeta& nm = index.meta(num);
    // Balance -1 is left-high; the mirrored cases swap the sides and the sign.
    const int8_t grown = left ? -1 : 1;
    if (nm.balance == -grown || nm.balance == 0) {
      nm.balance = nm.balance == 0 ? grown : 0;
      g = nm.balance != 0;
      SyncRecord(e, num, ins.slot);
      CountWrite(counters, tree, num);
      child = num;
      continue;
    }
    const int32_t cNum = child;
    CountRead(counters, tree, cNum);
    NodeLinks& cl = index.links(cNum);
    NodeMeta& cm = index.meta(cNum);
    int32_t top;
    int32_t second;  // the other nodes the rotation moved
    int32_t third = -1;
    if (cm.balance == grown) {
      (left ? nl.left : nl.right) = left ? cl.right : cl.left;
      (left ? cl.right : cl.left) = num;
      nm.balance = 0;
      SyncRecord(e, num, ins.slot);
      CountWrite(counters, tree, num);
      SyncRecord(e, cNum, ins.slot);
      CountWrite(counters, tree, cNum);
      top = cNum;
      second = num;
    } else {
      const int32_t mNum = left ? cl.right : cl.left;
      CountRead(counters, tree, mNum);
      NodeLinks& ml = index.links(mNum);
      const int8_t mBalance = index.meta(mNum).balance;
      if (left) {
        cl.right = ml.left;
        ml.left = cNum;
        nl.left = ml.right;
        ml.right = num;
        nm.balance = mBalance == -1 ? 1 : 0;
        cm.balance = mBalance == 1 ? -1 : 0;
      } else {
        cl.left = ml.right;
        ml.right = cNum;
        nl.right = ml.left;
        ml.left = num;
        nm.balance = mBalance == 1 ? -1 : 0;
        cm.balance = mBalance == -1 ? 1 : 0;
      }
      SyncRecord(e, num, ins.slot);
      CountWrite(counters, tree, num);
      SyncRecord(e, cNum, ins.slot);
      CountWrite(counters, tree, cNum);
      SyncRecord(e, mNum, ins.slot);
      CountWrite(counters, tree, mNum);
      top = mNum;
      second = cNum;
      third = num;
    }
    // The new top of the subtree is read once more and written balanced.
    CountRead(counters, tree, top);
    index.meta(top).balance = 0;
    SyncRecord(e, top, ins.slot);
    CountWrite(counters, tree, top);
    g = false;
    RecountRotated(tree, top, second, third, step.above);
    child = top;
  }
  root = child;
  return created;
}

}  // namespace

namespace {

// knownHash and knownPrefix: the key's WordIndex::Hash and Prefix, or nullptr. Returns the node
// the word index knows the word by afterwards, or 0.
int32_t AddWord(Engine& e, int32_t& root, std::string_view word, const uint64_t* knownHash,
                const uint64_t* knownPrefix, bool& grow) {
  const WordInsertion ins{CutKey(word), OccurrenceSlot(e)};
  WordTree& tree = e.tree;
  if (e.fastPaths && !e.failed() && IsWordRoot(tree, root)) {
    const unsigned char c = ins.key.empty() ? 0 : static_cast<unsigned char>(ins.key[0]);
    if (!ins.key.empty() && &root == &tree.WordRoots[c] && IndexFollows(e, root, c)) {
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
        const int32_t entered = InsertTracked(e, root, ins, hash, prefix, grow);
        if (!index.usable()) return 0;
        index.roots[c] = root;
        return entered;
      }
      BreakIndex(e);  // a record that cannot be looked at in place
    } else {
      // A word entered under another letter's root changes that tree behind the index's back.
      BreakIndex(e);
    }
  } else if (e.fastPaths) {
    // Entered into a tree the index does not know; it may be part of one it does.
    BreakIndex(e);
  }
  if (e.fastPaths) {
    InsertInPlace(e, root, ins, grow);
  } else {
    Insert(e, root, ins, grow);
  }
  return 0;
}

}  // namespace

void addtowrdlist(Engine& e, int32_t& root, std::string_view word, bool& grow) {
  AddWord(e, root, word, nullptr, nullptr, grow);
}

int32_t addtowrdlist(Engine& e, int32_t& root, std::string_view word, uint64_t hash,
                     uint64_t prefix, bool& grow) {
  const bool known = word.size() <= static_cast<size_t>(kMaxWordLength);
  return AddWord(e, root, word, known ? &hash : nullptr, known ? &prefix : nullptr, grow);
}

bool EnterIndexedAgainChecked(Engine& e, int32_t& root, unsigned char first, int32_t node,
                              bool& grow) {
  WordTree& tree = e.tree;
  if (!e.fastPaths || e.failed() || &root != &tree.WordRoots[first]) return false;
  if (!IndexFollows(e, root, first) || !tree.index.Covers(node)) return false;
  EnterAgain(e, node, OccurrenceSlot(e));
  grow = false;
  return true;
}

void PrefetchWordSlot(Engine& e, uint64_t hash) { e.tree.index.Prefetch(hash); }

bool PrefetchWordRecord(Engine& e, uint64_t hash, size_t length) {
  WordTree& tree = e.tree;
  const int32_t n = tree.index.Peek(hash);
  if (n == 0) return tree.index.usable() && tree.index.size() != 0;
  // Up to sixteen characters the index alone tells the word; a longer one is compared with
  // the word of the record.
  if (n < 0 || length <= 16) return false;
  const TreeNode* node = CachedNodeInPlace(tree, n);
  if (node == nullptr && n > tree.MemoryNodeLimit) node = RecordInPlace(e, n);
  if (node != nullptr) __builtin_prefetch(node);
  return false;
}

void addtofamlist(Engine& e, int32_t& root, const TreeNode& family, bool& grow) {
  if (IsWordRoot(e.tree, root)) BreakIndex(e);
  Insert(e, root, FamilyInsertion{family.Word(), &family}, grow);
}

namespace {

// Find, through the word index where it can.
bool FindWord(Engine& e, int32_t root, std::string_view word, TreeNode* out) {
  const std::string_view key = CutKey(word);
  const int indexed = FindIndexed(e, root, key, out);
  if (indexed >= 0) return indexed == 1;
  return Find(e, root, key, out);
}

}  // namespace

bool checklist(Engine& e, int32_t root, std::string_view word, TreeNode* out) {
  if (!FindWord(e, root, word, out)) {
    *out = MakeBlankNode();
    return false;
  }
  return out->ListCode != kNoList;
}

int32_t LookupFrequency(Engine& e, int32_t root, std::string_view word) {
  TreeNode n;
  return FindWord(e, root, word, &n) ? n.Frequency : 0;
}

int32_t LookupListCode(Engine& e, int32_t root, std::string_view word) {
  TreeNode n;
  return FindWord(e, root, word, &n) ? n.ListCode : 0;
}

}  // namespace quarn
