// The tables as one workbook (libxlsxwriter, constant-memory mode): a sheet per table named as
// the table, its header row bold and frozen, numbers stored as numbers. A table longer than a
// sheet continues on sheets named "types (2)", "types (3)" ... each with the header row again.
#pragma once

#include <cstdint>
#include <string>

#include "results/ExportFiles.h"
#include "results/TableSink.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace quarn {

class XlsxSink : public TableSink {
 public:
  // Rows a sheet holds, its header row included.
  static constexpr int64_t kSheetRows = 1048576;

  // Writes path's work name (registered with files, which must outlive the sink); sheetRows
  // may be set lower by tests.
  XlsxSink(ExportFiles& files, const std::string& path, int64_t sheetRows = kSheetRows);
  ~XlsxSink() override;

  void Run(const ResultsRun&) override {}
  void BeginTable(std::string_view name, std::span<const std::string> columns) override;
  void Row(std::span<const Cell> cells) override;
  void EndTable() override {}
  Status Finish() override;
  Status status() const override { return status_; }

 private:
  void NewSheet();
  void Check(int error);

  std::string path_;
  std::string work_;
  int64_t sheetRows_;
  lxw_workbook* book_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  lxw_format* bold_ = nullptr;
  std::string table_;
  std::vector<std::string> columns_;
  int sheetsOfTable_ = 0;
  int64_t row_ = 0;  // the next row of sheet_
  Status status_;
};

}  // namespace quarn
