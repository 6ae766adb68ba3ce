// The tables as one JSON document, written as a stream:
// {"format": "quarn-profile", "version": 1, "run": {...}, "summary": [...], ..., "texts": [...]}
// with every row an object keyed by its table's column names; an empty cell is null.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "results/ExportFiles.h"
#include "results/TableSink.h"

namespace quarn {

class JsonSink : public TableSink {
 public:
  // Writes path (through files, which must outlive the sink).
  JsonSink(ExportFiles& files, std::string path);

  void Run(const ResultsRun& run) override;
  void BeginTable(std::string_view name, std::span<const std::string> columns) override;
  void Row(std::span<const Cell> cells) override;
  void EndTable() override;
  Status Finish() override;
  Status status() const override { return status_; }

 private:
  void Write(std::string_view text);

  ExportFiles& files_;
  std::string path_;
  std::unique_ptr<ExportStream> out_;
  std::vector<std::string> keys_;  // "\"column\": " for each column
  bool firstRow_ = true;
  std::string line_;
  Status status_;
};

// Appends text to out as a JSON string, quotes included. text is UTF-8.
void AppendJsonString(std::string_view text, std::string& out);

}  // namespace quarn
