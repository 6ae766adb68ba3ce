#include "results/Exports.h"

#include <memory>
#include <utility>
#include <vector>

#include "results/DelimitedSink.h"
#include "results/JsonSink.h"
#include "results/XlsxSink.h"

namespace quarn {
namespace {

// Hands every call on to each of several sinks, so that one pass over the store feeds them all.
class FanOutSink : public TableSink {
 public:
  explicit FanOutSink(std::vector<std::unique_ptr<TableSink>> sinks) : sinks_(std::move(sinks)) {}
  void Run(const ResultsRun& run) override {
    for (auto& s : sinks_) s->Run(run);
  }
  void BeginTable(std::string_view name, std::span<const std::string> columns) override {
    for (auto& s : sinks_) s->BeginTable(name, columns);
  }
  void Row(std::span<const Cell> cells) override {
    for (auto& s : sinks_) s->Row(cells);
  }
  void EndTable() override {
    for (auto& s : sinks_) s->EndTable();
  }
  Status Finish() override {
    Status first;
    for (auto& s : sinks_) {
      const Status done = s->Finish();
      if (first.ok()) first = done;
    }
    return first;
  }
  Status status() const override {
    for (const auto& s : sinks_) {
      if (!s->status().ok()) return s->status();
    }
    return Status::OK();
  }

 private:
  std::vector<std::unique_ptr<TableSink>> sinks_;
};

std::string LowerCase(std::string_view word) {
  std::string s(word);
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

}  // namespace

bool ParseExportFormats(std::string_view list, ExportOptions* options, std::string* bad) {
  ExportOptions parsed = *options;
  parsed.csv = parsed.tsv = parsed.json = parsed.xlsx = false;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string_view::npos) end = list.size();
    const std::string word = LowerCase(list.substr(start, end - start));
    if (word == "csv") {
      parsed.csv = true;
    } else if (word == "tsv") {
      parsed.tsv = true;
    } else if (word == "json") {
      parsed.json = true;
    } else if (word == "xlsx") {
      parsed.xlsx = true;
    } else {
      *bad = word;
      return false;
    }
    start = end + 1;
  }
  *options = parsed;
  return true;
}

std::vector<std::string> ExportFileNames(const ExportOptions& options, const std::string& folder) {
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  std::vector<std::string> files;
  for (const auto& [wanted, extension] : {std::pair{options.csv, ".csv"}, {options.tsv, ".tsv"}}) {
    if (!wanted) continue;
    for (const char* table : {"summary", "lists", "ranges", "types", "families", "texts"})
      files.push_back(prefix + table + extension);
    if (options.counts) files.push_back(prefix + "type_counts" + extension);
  }
  if (options.json) files.push_back(prefix + "profile.json");
  if (options.xlsx) files.push_back(prefix + "profile.xlsx");
  std::vector<std::string> named;
  for (const std::string& file : files) {
    named.push_back(file);
    named.push_back(file + ".tmp");  // ExportFiles::Add
  }
  return named;
}

Status ExportResults(FileSystem& fs, const ExportOptions& options, const std::string& folder,
                     const ResultsModel& model, WordRowSource* rows) {
  Status s = fs.CreateDirectories(folder);
  if (!s.ok()) return s;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  ExportFiles files(fs);
  std::vector<std::unique_ptr<TableSink>> sinks;
  if (options.csv) {
    sinks.push_back(std::make_unique<DelimitedSink>(files, prefix, DelimitedSink::Format::kCsv));
  }
  if (options.tsv) {
    sinks.push_back(std::make_unique<DelimitedSink>(files, prefix, DelimitedSink::Format::kTsv));
  }
  if (options.json) sinks.push_back(std::make_unique<JsonSink>(files, prefix + "profile.json"));
  if (options.xlsx) sinks.push_back(std::make_unique<XlsxSink>(files, prefix + "profile.xlsx"));
  FanOutSink all(std::move(sinks));
  s = SendResultsTables(model, rows, all);
  const Status finished = all.Finish();
  if (s.ok()) s = finished;
  if (!s.ok()) return s;
  return files.Commit();
}

}  // namespace quarn
