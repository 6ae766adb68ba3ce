#include "lists/StopList.h"

#include <algorithm>
#include <memory>

#include "Engine.h"
#include "store/CharCase.h"
#include "store/LineReader.h"
#include "store/WordTree.h"

namespace quarn {

void StopList::Add(std::string_view entry) {
  auto at = std::lower_bound(entries_.begin(), entries_.end(), entry,
                             [](const std::string& a, std::string_view b) { return a < b; });
  if (at != entries_.end() && *at == entry) return;
  entries_.insert(at, std::string(entry));
}

bool StopList::Contains(std::string_view word) const {
  auto at = std::lower_bound(entries_.begin(), entries_.end(), word,
                             [](const std::string& a, std::string_view b) { return a < b; });
  return at != entries_.end() && *at == word;
}

Status LoadStopList(Engine& e, const std::string& path) {
  if (!e.stopList) e.stopList.emplace();
  std::unique_ptr<LineReader> reader;
  Status s = LineReader::OpenDetected(e.fs, path, e.encoding, &reader);
  if (!s.ok()) return s;
  std::string line;
  while (reader->Next(&line)) {
    // Only the first 30 characters of a line count; the entry is kept as written otherwise.
    if (line.size() > static_cast<size_t>(kMaxWordLength)) line.resize(kMaxWordLength);
    UpperCaseInPlace(line);
    e.stopList->Add(line);
  }
  return reader->status();
}

bool InStopList(const Engine& e, std::string_view word) {
  return e.stopList.has_value() && e.stopList->Contains(word);
}

void ApplyStopList(Engine& e) {
  for (int32_t n = 1; n <= e.tree.NodeCount; ++n) {
    if (e.failed()) return;
    TreeNode node{};
    ReadNode(e, n, "process stop words", &node);
    if (node.ListCode != kNoListCode || !InStopList(e, node.Word())) continue;
    node.ListCode = kStopListCode;
    WriteNode(e, n, node);
    e.counters.OtherTypes -= 1;
    for (int k = 1; k <= kMaxInputFiles; ++k) e.counters.TotalTokens -= node.FileCounts(k);
  }
}

}  // namespace quarn
