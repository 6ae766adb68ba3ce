// What the engine needs of the window that drives it. The window, the command-line driver and
// the tests each implement it; the engine never sees a toolkit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "QuarnHeader.h"

namespace quarn {

struct ProgressLog;

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
};

}  // namespace quarn
