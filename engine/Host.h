// What the engine needs of the window that drives it. The window, the command-line driver and
// the tests each implement it; the engine never sees a toolkit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "QuarnHeader.h"

namespace quarn {

struct ProgressLog;

// Where a run stands, for a progress display. Bytes count the input files as listed (a file
// listed twice counts twice); bytesTotal is what their sizes added up to as the run began, 0
// when no size could be had. bytesRead never goes down within a press.
struct RunProgress {
  enum class Phase { kScanning, kLoadingLists, kUpdatingLists, kMarking, kSorting, kWritingReport };
  Phase phase = Phase::kScanning;
  int file = 0;   // scanning, marking: the input file at hand, 1-based; 0 in the other phases
  int files = 0;  // the input files of the press (scanning) or to mark (marking)
  uint64_t bytesRead = 0;
  uint64_t bytesTotal = 0;
};

class Host {
 public:
  virtual ~Host() = default;

  // The run removed these lines (0-based, ascending, as the list stood when the run began) from
  // its input list: missing files, the results file. A host that shows the list removes them
  // too (RemoveLinesAt). Told once per run at most.
  virtual void InputLinesRemoved(const std::vector<size_t>& indexes) { (void)indexes; }

  // ResultsFileName changed; the window shows it in its results file label (resultsFileLabel).
  virtual void ResultsFileNameChanged(const std::string& name) = 0;

  // Lines of the Progress memo changed: every line from `first` to the end is new or altered.
  virtual void ProgressChanged(const ProgressLog& log, size_t first) = 0;

  // A modal confirmation box with OK alone or OK and Cancel. Returns true iff OK was chosen.
  virtual bool MessageBox(const std::string& text, bool withCancel) = 0;

  // The run moved on: a new phase, or more of the input read. Called at every phase change and
  // within a phase at a bounded rate (every thousand lines or so), never per word. A host that
  // shows no progress need not override it.
  virtual void RunProgressChanged(const RunProgress& progress) { (void)progress; }
};

// Removes the entries at indexes (0-based, ascending) from lines in one pass: the one way the
// input list loses lines, whoever holds it (the run, the window, a test's host). Indexes past
// the end are ignored. Lines is a vector of strings or any list with size, [], begin and erase.
template <typename Lines>
void RemoveLinesAt(Lines& lines, const std::vector<size_t>& indexes) {
  size_t kept = 0;
  size_t next = 0;
  const auto size = static_cast<size_t>(lines.size());
  for (size_t i = 0; i < size; ++i) {
    if (next < indexes.size() && indexes[next] == i) {
      ++next;
      continue;
    }
    if (kept != i) lines[kept] = std::move(lines[i]);
    ++kept;
  }
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(kept), lines.end());
}

}  // namespace quarn
