#include "lists/StopList.h"

#include <algorithm>
#include <iterator>
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

void StopList::AddAll(std::vector<std::string> more) {
  std::sort(more.begin(), more.end());
  more.erase(std::unique(more.begin(), more.end()), more.end());
  std::vector<std::string> merged;
  merged.reserve(entries_.size() + more.size());
  std::merge(std::make_move_iterator(entries_.begin()), std::make_move_iterator(entries_.end()),
             std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()),
             std::back_inserter(merged));
  // Each side is free of duplicates, so an entry is at most twice in the merged list, side by
  // side.
  merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
  entries_ = std::move(merged);
}

bool StopList::Contains(std::string_view word) const {
  auto at = std::lower_bound(entries_.begin(), entries_.end(), word,
                             [](const std::string& a, std::string_view b) { return a < b; });
  return at != entries_.end() && *at == word;
}

StopFileKind ExamineStopFile(FileSystem& fs, const std::string& path) {
  if (fs.FileExists(path)) return StopFileKind::kRegularFile;
  if (fs.DirectoryExists(path)) return StopFileKind::kNotRegular;
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string folder = path.substr(0, nameStart);
  const std::string name = path.substr(nameStart);
  std::vector<std::string> names;
  if (!name.empty() && fs.ListDirectory(folder, &names).ok() &&
      std::find(names.begin(), names.end(), name) != names.end())
    return StopFileKind::kNotRegular;
  return StopFileKind::kMissing;
}

Status LoadStopList(Engine& e, const std::string& path) {
  if (!e.stopList) e.stopList.emplace();
  switch (ExamineStopFile(e.fs, path)) {
    case StopFileKind::kRegularFile:
      break;
    case StopFileKind::kMissing:
      return Status::IOError(path, "No such file or directory");
    case StopFileKind::kNotRegular:
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
    for (int k = 1; k <= kMaxInputFiles; ++k) e.counters.TotalTokens -= node.FileCounts(k);
  }
}

}  // namespace quarn
