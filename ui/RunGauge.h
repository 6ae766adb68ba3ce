// What the status bar shows of a run: how far it has got (a share that never goes back), the
// phase in words, the bytes read, the time taken and an estimate of the time left.
#pragma once

#include <QString>

#include "Host.h"
#include "run/ProcessRun.h"

class RunGauge {
 public:
  // A new run, with BatchFiles ticked or not (a batch run reports after every file).
  void Start(bool batch);
  // Takes the engine's latest figures; returns the share of the run done, 0 to 1, never below
  // what it returned before within this run.
  double Update(const quarn::RunProgress& progress);
  double done() const { return done_; }
  const quarn::RunProgress& last() const { return last_; }

  // The share of a run done at progress, by phase and bytes read; not monotone across the
  // reports of a batch run (Update makes it so).
  static double Share(const quarn::RunProgress& progress, bool batch);
  // "Scanning file 2 of 5, 1.2 of 3.4 MB, 0:12 so far, about 0:20 left".
  QString Text(qint64 elapsedMs) const;

 private:
  bool batch_ = false;
  double done_ = 0;
  quarn::RunProgress last_;
};

// What the status bar says once a run has ended: "Finished: 50 texts, 103,240 tokens in 1.8 s",
// "Run cancelled" or "Run ended with an error". Read from the run's outcome before the explorer
// takes its results; textsRun is the number of input lines the run went through.
QString RunEndText(const quarn::RunOutcome& outcome, int textsRun, qint64 elapsedMs);
