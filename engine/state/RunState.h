// The state of one press of Process Files. The press starts it empty and it is emptied again as
// the press ends (ProcessFiles); between presses it holds nothing. What the press returns is
// taken from it (RunOutcome, run/ProcessRun.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Host.h"
#include "results/ResultsModel.h"
#include "state/ListState.h"

namespace quarn {

struct RunState {
  int StartSeconds = 0;
  // A check stopped the press; it ends at its next decision point without a report.
  bool RunStopped = false;
  // The press's failure is the user's cancel (RunProgress.h).
  bool cancelled = false;

  // The input list of the request, less the lines the checks removed, which do not change
  // afterwards; and those lines, 0-based as requested.
  std::vector<std::string> inputLines;
  std::vector<size_t> removedLines;

  // Results files finished, and with Engine::keepResults their results models.
  int reportsWritten = 0;
  std::vector<ResultsModel> keptResults;

  // The input files scanned for the report being made, in order: entry k - 1 is file k.
  std::vector<ResultsText> scannedTexts;
  // Whether a file scanned since the results file was opened was read as UTF-8: the results
  // file's encoding when it is chosen after the scans (TextWriter::ChooseEncodingLater).
  bool inputsUtf8 = false;
  // Updated lists waiting for the report to finish.
  std::vector<PendingListUpdate> pendingListUpdates;
  // Marked copies written under their work names (work, final name), waiting likewise.
  std::vector<std::pair<std::string, std::string>> pendingMarkedTexts;

  RunProgress progress;              // where the press stands, as last told to the host
  std::vector<uint64_t> inputSizes;  // of the input lines, as the press began (0 when unknown)
  uint64_t scanBytesBefore = 0;      // bytes of the input files scanned before the current one
};

}  // namespace quarn
