#include "results/ResultsTables.h"

#include <charconv>
#include <deque>
#include <optional>
#include <string_view>

#include "QuarnHeader.h"
#include "text/TextEncoding.h"

namespace quarn {
namespace {

void AppendNumbered(std::vector<std::string>& columns, std::string_view prefix, int count) {
  for (int k = 1; k <= count; ++k) columns.push_back(std::string(prefix) + std::to_string(k));
}

// A list code as a cell: the list number, or its label ("stop", "none", "total").
Cell ListCell(int code, std::string& label) {
  if (code >= 1 && code <= kMaxLists) return Cell::Integer(code);
  label = ListLabel(code);
  return Cell::Text(label);
}

// The shortest fixed-point text that reads back as v ("0.7", "0", "0.000125").
std::string DecimalText(double v) {
  char buf[400];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

Cell OptionalInteger(const std::optional<int64_t>& v) {
  return v ? Cell::Integer(*v) : Cell::Empty();
}

// Turns model rows into cells, reusing its buffers from row to row.
class RowCells {
 public:
  explicit RowCells(TableSink& sink) : sink_(sink) {}

  void Summary(const SummaryRow& r) {
    Reset();
    cells_.push_back(ListCell(r.list, label_));
    cells_.push_back(Cell::Integer(r.tokens));
    cells_.push_back(r.percentages ? HeldDecimal(PercentText(r.tokens, r.tokensWhole)) : Cell::Empty());
    cells_.push_back(Cell::Integer(r.types));
    cells_.push_back(r.percentages ? HeldDecimal(PercentText(r.types, r.typesWhole)) : Cell::Empty());
    cells_.push_back(OptionalInteger(r.families));
    Send();
  }

  void List(const ListSizeRow& r) {
    Reset();
    cells_.push_back(Cell::Integer(r.list));
    cells_.push_back(HeldText(MessageToUtf8(r.file)));
    cells_.push_back(Cell::Integer(r.types));
    cells_.push_back(Cell::Integer(r.families));
    Send();
  }

  void Range(const RangeRow& r) {
    Reset();
    cells_.push_back(Cell::Text(r.family ? "family" : "type"));
    cells_.push_back(Cell::Integer(r.files));
    cells_.push_back(Cell::Integer(r.count));
    Send();
  }

  void Word(const WordRow& r, bool family, int fileColumns) {
    Reset();
    word_.clear();
    Cp1252ToUtf8(r.word, &word_);
    cells_.push_back(Cell::Text(word_));
    cells_.push_back(ListCell(r.list, label_));
    cells_.push_back(Cell::Integer(r.range));
    cells_.push_back(Cell::Integer(r.freq));
    if (family) cells_.push_back(Cell::Integer(r.familyFreq));
    for (int k = 0; k < fileColumns; ++k) {
      cells_.push_back(Cell::Integer(k < static_cast<int>(r.fileCounts.size()) ? r.fileCounts[k] : 0));
    }
    cells_.push_back(HeldDecimal(DecimalText(r.dp)));
    cells_.push_back(HeldDecimal(DecimalText(r.dpNorm)));
    Send();
  }

  void Count(std::string_view word, const std::string& file, int64_t freq, int text) {
    Reset();
    word_.clear();
    Cp1252ToUtf8(word, &word_);
    cells_.push_back(Cell::Text(word_));
    cells_.push_back(HeldText(MessageToUtf8(file)));
    cells_.push_back(Cell::Integer(freq));
    cells_.push_back(Cell::Integer(text));
    Send();
  }

  void Text(const TextRow& r, int number, int lists, bool stop) {
    Reset();
    cells_.push_back(HeldText(MessageToUtf8(r.file)));
    cells_.push_back(Cell::Integer(r.tokens));
    cells_.push_back(Cell::Integer(r.types));
    for (int k = 0; k < lists; ++k) {
      cells_.push_back(Cell::Integer(k < static_cast<int>(r.listTokens.size()) ? r.listTokens[k] : 0));
    }
    if (stop) cells_.push_back(Cell::Integer(r.stopTokens));
    cells_.push_back(Cell::Integer(r.noneTokens));
    for (int k = 1; k <= lists; ++k) cells_.push_back(HeldDecimal(r.Coverage(k)));
    for (const int percent : {95, 98}) {
      const std::optional<int> needed = r.ListsFor(percent);
      cells_.push_back(needed ? Cell::Integer(*needed) : Cell::Empty());
    }
    cells_.push_back(Cell::Integer(number));
    Send();
  }

 private:
  void Reset() {
    cells_.clear();
    held_.clear();
  }
  // Cells point into held_, whose strings stay in place while the row is built (a deque
  // does not move its elements when it grows).
  Cell HeldDecimal(std::string text) { return Cell::Decimal(Hold(std::move(text))); }
  Cell HeldText(std::string text) { return Cell::Text(Hold(std::move(text))); }
  std::string_view Hold(std::string text) {
    held_.push_back(std::move(text));
    return held_.back();
  }
  void Send() { sink_.Row(cells_); }

  TableSink& sink_;
  std::vector<Cell> cells_;
  std::deque<std::string> held_;
  std::string word_;
  std::string label_;
};

}  // namespace

std::vector<std::string> SummaryColumns() {
  return {"list", "tokens", "tokens_pct", "types", "types_pct", "families"};
}

std::vector<std::string> ListColumns() { return {"list", "file", "types", "families"}; }

std::vector<std::string> RangeColumns() { return {"unit", "files", "count"}; }

std::vector<std::string> TypeColumns(const ResultsModel& model) {
  std::vector<std::string> columns = {"word", "list", "range", "freq"};
  AppendNumbered(columns, "f", model.fileColumns);
  columns.push_back("dp");
  columns.push_back("dp_norm");
  return columns;
}

std::vector<std::string> FamilyColumns(const ResultsModel& model) {
  std::vector<std::string> columns = {"headword", "list", "range", "type_freq", "family_freq"};
  AppendNumbered(columns, "f", model.fileColumns);
  columns.push_back("dp");
  columns.push_back("dp_norm");
  return columns;
}

std::vector<std::string> TypeCountColumns() { return {"word", "file", "freq", "text"}; }

std::vector<std::string> TextColumns(const ResultsModel& model) {
  const int lists = static_cast<int>(model.run.lists.size());
  std::vector<std::string> columns = {"file", "tokens", "types"};
  AppendNumbered(columns, "tokens_", lists);
  if (model.run.stopList) columns.push_back("tokens_stop");
  columns.push_back("tokens_none");
  AppendNumbered(columns, "coverage_", lists);
  columns.push_back("lists_for_95");
  columns.push_back("lists_for_98");
  columns.push_back("text");
  return columns;
}

Status SendResultsTables(const ResultsModel& model, WordRowSource* rows, TableSink& sink) {
  RowCells cells(sink);
  sink.Run(model.run);
  auto table = [&](std::string_view name, const std::vector<std::string>& columns, auto&& fill) {
    if (!sink.status().ok()) return;
    sink.BeginTable(name, columns);
    fill();
    sink.EndTable();
  };
  table("summary", SummaryColumns(), [&] {
    for (const SummaryRow& r : model.summary) cells.Summary(r);
  });
  table("lists", ListColumns(), [&] {
    for (const ListSizeRow& r : model.lists) cells.List(r);
  });
  table("ranges", RangeColumns(), [&] {
    for (const RangeRow& r : model.ranges) cells.Range(r);
  });
  Status rowsStatus;
  for (const bool family : {false, true}) {
    const auto columns = family ? FamilyColumns(model) : TypeColumns(model);
    table(family ? "families" : "types", columns, [&] {
      auto send = [&](const WordRow& r) {
        cells.Word(r, family, model.fileColumns);
        return sink.status().ok();
      };
      if (rows != nullptr) {
        if (rowsStatus.ok()) rowsStatus = rows->ForEach(family, send);
        return;
      }
      for (const WordRow& r : family ? model.families : model.types) {
        if (!send(r)) break;
      }
    });
  }
  const int lists = static_cast<int>(model.run.lists.size());
  table("texts", TextColumns(model), [&] {
    int number = 0;
    for (const TextRow& r : model.texts) cells.Text(r, ++number, lists, model.run.stopList);
  });
  if (model.typeCounts && rows != nullptr && rowsStatus.ok()) {
    table("type_counts", TypeCountColumns(), [&] {
      const std::string none;
      rowsStatus = rows->ForEachCount([&](std::string_view word, int text, int64_t freq) {
        const size_t k = static_cast<size_t>(text - 1);
        cells.Count(word, k < model.run.texts.size() ? model.run.texts[k].file : none, freq, text);
        return sink.status().ok();
      });
    });
  }
  if (!sink.status().ok()) return sink.status();
  return rowsStatus;
}

}  // namespace quarn
