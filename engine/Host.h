// What the engine needs of the window that drives it. The window, the command-line driver and
// the tests each implement it; the engine never sees a toolkit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

  // The check boxes of the main window at this moment.
  virtual RunOptions Options() = 0;

  // The input list (ListFiles), one line per entry, top first.
  virtual std::vector<std::string> InputLines() = 0;
  // Removes line `index` (0-based) from the input list.
  virtual void RemoveInputLine(size_t index) = 0;
  // Removes the lines at these indexes (0-based, ascending, as the list stands before the
  // call). A host with a long list does it in one pass; this default removes them one by one.
  virtual void RemoveInputLines(const std::vector<size_t>& indexes) {
    for (auto i = indexes.rbegin(); i != indexes.rend(); ++i) RemoveInputLine(*i);
  }

  // ResultsFileName changed; the window shows it in Label4.
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

}  // namespace quarn
