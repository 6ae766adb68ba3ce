// The tables as CSV (RFC 4180: comma-separated, CRLF line ends, a field quoted when it holds a
// comma, a quote or a line end) or TSV (tab-separated, LF line ends, never quoted: a tab, CR,
// LF or backslash in a cell is written \t, \r, \n or \\), one file per table:
// <folder>/<table>.csv or .tsv. UTF-8, no byte order mark. Cells are the data as they are: a
// CSV cell beginning with =, +, - or @ is not altered for spreadsheets (profile.xlsx holds
// every text as text).
#pragma once

#include <memory>
#include <string>

#include "results/ExportFiles.h"
#include "results/TableSink.h"

namespace quarn {

class DelimitedSink : public TableSink {
 public:
  enum class Format { kCsv, kTsv };
  // folder ends in '/'; files must outlive the sink.
  DelimitedSink(ExportFiles& files, std::string folder, Format format);

  void Run(const ResultsRun&) override {}
  void BeginTable(std::string_view name, std::span<const std::string> columns) override;
  void Row(std::span<const Cell> cells) override;
  void EndTable() override;
  Status Finish() override { return status_; }
  Status status() const override { return status_; }

 private:
  void AppendField(std::string_view text);
  void EndLine();

  ExportFiles& files_;
  std::string folder_;
  Format format_;
  std::unique_ptr<ExportStream> out_;
  std::string line_;
  size_t fields_ = 0;
  Status status_;
};

}  // namespace quarn
