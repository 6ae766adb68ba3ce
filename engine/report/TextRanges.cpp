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
