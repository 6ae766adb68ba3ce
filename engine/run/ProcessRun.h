// One press of Process Files: checks, scanning, report(s), clean-up.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "QuarnHeader.h"
#include "Status.h"
#include "results/ResultsModel.h"

namespace quarn {

struct Engine;

// What a press is given, taken from the window as it begins: the run reads nothing else of the
// window while it lasts.
struct RunRequest {
  RunOptions options;                   // the check boxes
  std::vector<std::string> inputLines;  // the input list (ListFiles), top first
  std::string resultsFileName;          // ResultsFileName; with BatchFiles each input names its own
  int listCount = 3;                    // ListCount
};

// How a press ended.
enum class RunEnd {
  kFinished,   // every report it was to write is written
  kStopped,    // a check stopped it (RunStopped); reports finished before the check stay
  kCancelled,  // the user cancelled it (the window's Cancel, the command line's signals)
  kFailed,     // an input/output failure ended it
};

struct RunOutcome {
  RunEnd end = RunEnd::kFinished;
  Status failure;          // kFailed, kCancelled: what ended the run
  int reportsWritten = 0;  // results files finished
  // The input lines the checks removed (missing files, the results file), 0-based as the
  // request lists them, ascending. The host was told of them as they went.
  std::vector<size_t> removedLines;
  // With Engine::keepResults, every finished report's results model, in order.
  std::vector<ResultsModel> keptResults;
};

// Runs the whole processing run over the request. Never throws; an input/output failure ends
// the run with an "ERROR" line and an error box, the results file closed and the scratch files
// removed. ResultsFileName and ListCount take the request's values.
RunOutcome ProcessFiles(Engine& e, const RunRequest& request);

}  // namespace quarn
