#include "report/TextRanges.h"

#include <memory>
#include <vector>

#include "state/Engine.h"
#include "store/TextTally.h"
#include "store/WordTree.h"

namespace quarn {

void SetTextRanges(Engine& e) {
  TextTally& tally = e.tally;
  if (!tally.on || e.failed()) return;
  Status s = FinishTally(tally);
  std::unique_ptr<TallyReader> reader;
  if (s.ok()) s = TallyReader::Open(e.fs, tally.path, &reader);
  if (!s.ok()) return e.Fail(s);

  const size_t nodes = static_cast<size_t>(e.tree.NodeCount > 0 ? e.tree.NodeCount : 0) + 1;
  std::vector<int32_t> ranges(nodes, 0);
  // The last text in which a family was counted, so that it counts once per text.
  std::vector<int32_t> familyText(nodes, 0);
  TallyBlock block;
  while (reader->Next(&block)) {
    for (const auto& [n, count] : block.counts) {
      const size_t k = static_cast<size_t>(n);
      if (k >= nodes || count == 0) continue;
      ++ranges[k];
      const int32_t family = k < tally.familyOf.size() ? tally.familyOf[k] : 0;
      if (family <= 0 || static_cast<size_t>(family) >= nodes) continue;
      if (familyText[static_cast<size_t>(family)] == block.text) continue;
      familyText[static_cast<size_t>(family)] = block.text;
      ++ranges[static_cast<size_t>(family)];
    }
  }
  if (!reader->status().ok()) return e.Fail(reader->status());

  TreeNode record;
  for (int32_t n = 1; static_cast<size_t>(n) < nodes && !e.failed(); ++n) {
    if (ranges[static_cast<size_t>(n)] == 0) continue;
    ReadNode(e, n, "text ranges", &record);
    record.FileRange = ranges[static_cast<size_t>(n)];
    record.FileCounts(kTallyKeySlot) = n;
    WriteNode(e, n, record);
  }
}

}  // namespace quarn

namespace quarn {

TallyKeys FindTallyKeys(Engine& e) {
  TallyKeys keys;
  const size_t count = static_cast<size_t>(e.tree.NodeCount > 0 ? e.tree.NodeCount : 0);
  keys.node.assign(count + 1, 0);
  keys.listCode.assign(count + 1, 0);
  TreeNode copy;
  for (int32_t n = 1; static_cast<size_t>(n) <= count && !e.failed(); ++n) {
    const TreeNode* r = NodeInPlace(e, n);
    if (r == nullptr) {
      ReadNodeUncounted(e, n, &copy);
      r = &copy;
    }
    const int32_t key = TallyKey(*r);
    if (key <= 0 || static_cast<size_t>(key) > count || r->FileRange <= 0) continue;
    keys.node[static_cast<size_t>(key)] = n;
    keys.listCode[static_cast<size_t>(key)] = r->ListCode;
  }
  return keys;
}

Status ForEachTallyBlock(Engine& e, const std::function<bool(const TallyBlock&)>& block) {
  std::unique_ptr<TallyReader> reader;
  Status s = TallyReader::Open(e.fs, e.tally.path, &reader);
  if (!s.ok()) return s;
  TallyBlock b;
  while (reader->Next(&b)) {
    if (!block(b)) return Status::OK();
  }
  return reader->status();
}

Status TallyDispersions(Engine& e, const TallyKeys& keys, std::vector<Dispersion>* byKey) {
  const size_t count = keys.node.size();
  // The texts' tokens first: every item's sums are formed over the same total.
  int64_t total = 0;
  int64_t smallest = -1;
  for (const int64_t tokens : e.tally.textTokens) {
    total += tokens;
    if (smallest < 0 || tokens < smallest) smallest = tokens;
  }
  std::vector<DispersionSums> sums(count);
  TreeNode copy;
  for (size_t key = 1; key < count; ++key) {
    const int32_t n = keys.node[key];
    if (n <= 0) continue;
    const TreeNode* r = NodeInPlace(e, n);
    if (r == nullptr) {
      ReadNodeUncounted(e, n, &copy);
      r = &copy;
    }
    const bool family = r->ListCode >= 100;
    sums[key] = DispersionSums(family ? r->FamilyFrequency : r->Frequency, total);
  }
  const std::vector<int32_t>& familyOf = e.tally.familyOf;
  // A family's count in a text is the sum of its words' counts there.
  std::vector<int64_t> familyCount(count, 0);
  std::vector<int32_t> families;
  Status s = ForEachTallyBlock(e, [&](const TallyBlock& b) {
    for (const auto& [key, occurrences] : b.counts) {
      const size_t k = static_cast<size_t>(key);
      if (k >= count || occurrences == 0) continue;
      sums[k].Add(occurrences, b.tokens);
      const int32_t family = k < familyOf.size() ? familyOf[k] : 0;
      if (family <= 0 || static_cast<size_t>(family) >= count) continue;
      if (familyCount[static_cast<size_t>(family)] == 0) families.push_back(family);
      familyCount[static_cast<size_t>(family)] += occurrences;
    }
    for (const int32_t f : families) {
      sums[static_cast<size_t>(f)].Add(familyCount[static_cast<size_t>(f)], b.tokens);
      familyCount[static_cast<size_t>(f)] = 0;
    }
    families.clear();
    return true;
  });
  if (!s.ok()) return s;
  byKey->assign(count, Dispersion{});
  for (size_t key = 1; key < count; ++key) {
    if (keys.node[key] > 0) (*byKey)[key] = sums[key].Finish(smallest < 0 ? 0 : smallest);
  }
  return Status::OK();
}

}  // namespace quarn
