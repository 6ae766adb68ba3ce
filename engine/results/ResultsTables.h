// The results model as tables: their names, columns and cells, sent to a TableSink in the
// order summary, lists, ranges, types, families, texts.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Status.h"
#include "results/ResultsModel.h"
#include "results/TableSink.h"

namespace quarn {

// Where the type and family rows come from when they are not held in the model: the store of
// the report being written.
class WordRowSource {
 public:
  virtual ~WordRowSource() = default;
  // Calls row for every type row (families: every family row) in the report's order, until
  // row returns false. Returns a failure to read them.
  virtual Status ForEach(bool families, const std::function<bool(const WordRow&)>& row) = 0;
  // Calls count for every word and text the word occurs in: the word (Windows-1252), the text's
  // number (1..) and the word's occurrences there; text by text, until count returns false.
  // Only asked for when the model says typeCounts.
  virtual Status ForEachCount(
      const std::function<bool(std::string_view word, int text, int64_t freq)>& count) {
    (void)count;
    return Status::OK();
  }
};

// The column names of each table for this model. The last column of texts and of type_counts,
// "text", is the text's number (1.., its row in texts): the one key of a text, since a text
// listed twice is two texts of one file name.
std::vector<std::string> SummaryColumns();
std::vector<std::string> ListColumns();
std::vector<std::string> RangeColumns();
std::vector<std::string> TypeColumns(const ResultsModel& model);
std::vector<std::string> FamilyColumns(const ResultsModel& model);
std::vector<std::string> TextColumns(const ResultsModel& model);
std::vector<std::string> TypeCountColumns();

// Sends the run and every table to sink, the word rows from rows when given and from the
// model's own vectors otherwise. Stops at the first failure of the sink or of rows, and
// returns it; Finish is not called.
Status SendResultsTables(const ResultsModel& model, WordRowSource* rows, TableSink& sink);

}  // namespace quarn
