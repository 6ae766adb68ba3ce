#include "WordEntry.h"

#include <algorithm>
#include <cstring>

#include "../Engine.h"
#include "Messages.h"
#include "WordTree.h"

namespace quarn {

namespace {

constexpr int32_t kNoList = kNoListCode;

std::string_view CutKey(std::string_view k) {
  return k.size() > static_cast<size_t>(kMaxWordLength) ? k.substr(0, kMaxWordLength) : k;
}

// The FileCounts slot of the current occurrence, or 0 when FileNumber names no slot. A run
// refuses more than 64 input files, so 0 never arises from a run; such an occurrence is then
// counted in Frequency only, rather than in another file's slot.
int OccurrenceSlot(const Engine& e) {
  if (e.options.BatchFiles) return 1;
  return (e.FileNumber >= 1 && e.FileNumber <= kMaxInputFiles) ? e.FileNumber : 0;
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

// The node holding key in the tree at t, read into *out; false when absent (or after a failure
// of the run).
bool Find(Engine& e, int32_t t, std::string_view key, TreeNode* out) {
  key = CutKey(key);
  while (t != -1 && !e.failed()) {
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

void addtowrdlist(Engine& e, int32_t& root, std::string_view word, bool& grow) {
  Insert(e, root, WordInsertion{CutKey(word), OccurrenceSlot(e)}, grow);
}

void addtofamlist(Engine& e, int32_t& root, const TreeNode& family, bool& grow) {
  Insert(e, root, FamilyInsertion{family.Word(), &family}, grow);
}

bool checklist(Engine& e, int32_t root, std::string_view word, TreeNode* out) {
  if (!Find(e, root, word, out)) {
    *out = MakeBlankNode();
    return false;
  }
  return out->ListCode != kNoList;
}

int32_t LookupFrequency(Engine& e, int32_t root, std::string_view word) {
  TreeNode n;
  return Find(e, root, word, &n) ? n.Frequency : 0;
}

int32_t LookupListCode(Engine& e, int32_t root, std::string_view word) {
  TreeNode n;
  return Find(e, root, word, &n) ? n.ListCode : 0;
}

}  // namespace quarn
