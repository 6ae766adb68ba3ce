// The report being written as data (results/ResultsModel.h): collected from the store and the
// run's counters once the results file's report is written, and exported or kept as the
// engine's settings ask. Reading the store for it counts no traffic.
#pragma once

#include <string>
#include <vector>

#include "report/Dispersion.h"
#include "results/ResultsModel.h"
#include "results/ResultsTables.h"

namespace quarn {

struct Engine;

// The run, summary, list sizes, range tables and coverage per text of the report just written
// by WriteReport (its totals are computed there); no word rows.
ResultsModel CollectResults(Engine& e);

// The type and family rows of that report, in its order, read from the store as it stands.
class StoreWordRows : public WordRowSource {
 public:
  explicit StoreWordRows(Engine& e) : e_(e) {}
  Status ForEach(bool families, const std::function<bool(const WordRow&)>& row) override;
  // For a run over more texts than slots (TextTally.h); nothing otherwise.
  Status ForEachCount(
      const std::function<bool(std::string_view word, int text, int64_t freq)>& count) override;

 private:
  // The DP of every tallied word and family by tally key, worked out on first use.
  Status TallyDp();
  Engine& e_;
  bool tallyDpReady_ = false;
  std::vector<Dispersion> tallyDp_;
};

// The export folder of a batch report in folder: the input file's name without its folder and
// extension (a/notes.txt -> folder/notes). Two inputs may share one: the run refuses that.
std::string BatchExportFolder(const std::string& folder, const std::string& input);

// After WriteReport, before the store is released: writes the exports of Engine::exports (in
// batch mode into a folder per input file, named after it without its extension) under their
// work names into Engine::pendingExport, and keeps the model when Engine::keepResults. An
// export failure fails the run, and so does a cancel while the exports are written.
void ExportReport(Engine& e);

}  // namespace quarn
