// The receiving end of the results tables: one implementation per export format, and one that
// keeps the rows in memory.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "Status.h"

namespace quarn {

struct ResultsRun;

// One cell of a row. Text is UTF-8; a number is an integer or a decimal written as text
// ("12.34"); an empty cell has no value.
struct Cell {
  enum class Kind { kEmpty, kInteger, kDecimal, kText };
  Kind kind = Kind::kEmpty;
  int64_t integer = 0;
  std::string_view text;  // decimal or text; valid during the Row call only

  static Cell Empty() { return {}; }
  static Cell Integer(int64_t v) { return {Kind::kInteger, v, {}}; }
  static Cell Decimal(std::string_view v) { return {Kind::kDecimal, 0, v}; }
  static Cell Text(std::string_view v) { return {Kind::kText, 0, v}; }
};

// Receives, in order: Run once, then for every table BeginTable, its rows, EndTable; then
// Finish. A sink that fails keeps its first failure in status() and ignores the rest.
class TableSink {
 public:
  virtual ~TableSink() = default;
  virtual void Run(const ResultsRun& run) = 0;
  virtual void BeginTable(std::string_view name, std::span<const std::string> columns) = 0;
  virtual void Row(std::span<const Cell> cells) = 0;
  virtual void EndTable() = 0;
  // Completes what was written (the files still under their work names).
  virtual Status Finish() = 0;
  virtual Status status() const = 0;
};

}  // namespace quarn
