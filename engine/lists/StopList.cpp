#include "lists/StopList.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "FileKind.h"
#include "state/Engine.h"
#include "store/WordTree.h"
#include "text/CharCase.h"
#include "text/LineReader.h"

namespace quarn {

Status LoadStopList(Engine& e, const std::string& path) {
  if (!e.stopList) e.stopList.emplace();
  switch (ExamineFile(e.fs, path)) {
    case FileKind::kRegularFile:
      break;
    case FileKind::kMissing:
      return Status::IOError(path, "No such file or directory");
    case FileKind::kNotRegular:
      return Status::IOError(path, "not a regular file");
  }
  std::unique_ptr<LineReader> reader;
  Status s = LineReader::OpenDetected(e.fs, path, e.encoding, &reader);
  if (!s.ok()) return s;
  // Gathered first and sorted once: adding each line to the sorted list in turn costs time
  // in proportion to the list for every line of an unsorted file.
  std::vector<std::string> lines;
  std::string line;
  while (reader->Next(&line)) {
    // Only the first 30 characters of a line count; the entry is kept as written otherwise.
    if (line.size() > static_cast<size_t>(kMaxWordLength)) line.resize(kMaxWordLength);
    UpperCaseInPlace(line);
    lines.push_back(line);
  }
  e.stopList->AddAll(std::move(lines));
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
    if (e.tally.on) {
      e.counters.TotalTokens -= node.Frequency;  // its texts are counted in the tally
    } else {
      for (int k = 1; k <= kMaxInputFiles; ++k) e.counters.TotalTokens -= node.FileCounts(k);
    }
  }
}

}  // namespace quarn
