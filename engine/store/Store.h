// What the store's routines work on: the tree of records, the traffic counters, the fast-path
// switch and the failure of the current operation. The engine is a Store with the rest of the
// program's state around it (state/Engine.h); store routines take a Store& so that they see only
// this part.
#pragma once

#include <string>
#include <string_view>

#include "QuarnHeader.h"
#include "Severity.h"
#include "Status.h"
#include "store/TextTally.h"
#include "store/WordTree.h"

namespace quarn {

struct Store {
  Store() = default;
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;
  virtual ~Store() = default;

  std::string ScratchFolder;  // where tree.dvp and temp$$$.dvp live; "" = current directory
  // The FileCounts slot that every occurrence entered counts in (1..kMaxInputFiles), or 0 for
  // none: the occurrence then counts in Frequency only. The engine sets it whenever the text
  // being scanned changes (SetFileNumber, state/Engine.h); the store only reads it.
  int countSlot = 0;
  RunCounters counters;
  WordTree tree;
  // The per-text counts of a run over more texts than FileCounts has slots.
  TextTally tally;

  // The first input/output failure of the current operation. Once set, store writes are
  // ignored and reads give blank records, and every loop of the run ends at its next step.
  Status runError;
  bool runFailed = false;
  // Set with runFailed when the failure has already been reported (the fatal node error).
  bool runErrorReported = false;

  // Whether the store's fast paths are on (QUARN_NO_FAST_PATHS unset); read once here. With
  // them off every store access goes the straightforward way; the results are the same.
  bool fastPaths = FastPathsWanted();

  std::string TreeFilePath() const { return ScratchFolder + "tree.dvp"; }
  std::string TallyFilePath() const { return ScratchFolder + "texts.dvp"; }

  // Starts an operation with no failure. Called by the operations' scopes
  // (state/Operation.h), and by tests that drive the store alone.
  void StartOperation();
  // Records the first failure of the current operation; later ones are dropped.
  void Fail(const Status& s);
  bool failed() const { return runFailed; }

  // Tells the user of a store error (the fatal node error, a second family record), as the
  // engine's progress messages do (ProgressMessage, state/Messages.h). A bare Store says nothing.
  // The message is followed by blankLines blank lines (ProgressMessageThenBlanks).
  virtual void StoreMessage(Severity severity, std::string_view text, int blankLines) {
    (void)severity;
    (void)text;
    (void)blankLines;
  }
};

}  // namespace quarn
