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
// It also looks at goOn, every few thousand rows, at each table and before the files are
// completed, and fails when told to stop.
class FanOutSink : public TableSink {
 public:
  FanOutSink(std::vector<std::unique_ptr<TableSink>> sinks, const ExportGoOn& goOn)
      : sinks_(std::move(sinks)), goOn_(goOn) {}
  void Run(const ResultsRun& run) override {
    for (auto& s : sinks_) s->Run(run);
  }
  void BeginTable(std::string_view name, std::span<const std::string> columns) override {
    if (!GoOn()) return;
    for (auto& s : sinks_) s->BeginTable(name, columns);
  }
  void Row(std::span<const Cell> cells) override {
    // Once stopped, no sink hears of the table again (it may never have begun it).
    if (!stopped_.ok() || (++rows_ % kRowsBetweenLooks == 0 && !GoOn())) return;
    for (auto& s : sinks_) s->Row(cells);
  }
  void EndTable() override {
    if (!stopped_.ok()) return;
    for (auto& s : sinks_) s->EndTable();
  }
  Status Finish() override {
    // A workbook is compressed as it is finished, the longest step of all: not when stopped.
    Status first = GoOn() ? Status::OK() : stopped_;
    for (auto& s : sinks_) {
      const Status done = first.ok() ? s->Finish() : first;
      if (first.ok()) first = done;
    }
    return first;
  }
  Status status() const override {
    if (!stopped_.ok()) return stopped_;
    for (const auto& s : sinks_) {
      if (!s->status().ok()) return s->status();
    }
    return Status::OK();
  }

 private:
  static constexpr uint64_t kRowsBetweenLooks = 4096;

  bool GoOn() {
    if (stopped_.ok() && goOn_ && !goOn_()) stopped_ = Status::IOError("", "export stopped");
    return stopped_.ok();
  }

  std::vector<std::unique_ptr<TableSink>> sinks_;
  const ExportGoOn& goOn_;
  uint64_t rows_ = 0;
  Status stopped_;
};

// folder with its trailing '/' ("" for the current directory).
std::string Prefix(const std::string& folder) {
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

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
    named.push_back(ExportWorkName(file));   // ExportFiles::Open, Reserve
    named.push_back(ExportAsideName(file));  // ExportFiles::Commit
  }
  // The work names of every format and the journal: an export removes those a killed run left
  // in its folder, whatever the formats (RecoverExportFolder).
  for (const std::string& name : AllExportFileNames()) {
    named.push_back(ExportWorkName(prefix + name));
    named.push_back(ExportAsideName(prefix + name));
  }
  named.push_back(prefix + kExportJournalName);
  named.push_back(ExportWorkName(prefix + kExportJournalName));
  return named;
}

std::vector<std::string> AllExportFileNames() {
  std::vector<std::string> names = {"profile.json", "profile.xlsx"};
  for (const char* table :
       {"summary", "lists", "ranges", "types", "families", "texts", "type_counts"}) {
    for (const char* extension : {".csv", ".tsv"}) names.push_back(table + std::string(extension));
  }
  return names;
}

Status RecoverExportFolder(FileSystem& fs, const std::string& folder) {
  if (!fs.DirectoryExists(folder.empty() ? "." : folder)) return Status::OK();
  return RecoverExportSet(fs, Prefix(folder), AllExportFileNames());
}

Status WriteExports(FileSystem& fs, const ExportOptions& options, const std::string& folder,
                    const ResultsModel& model, WordRowSource* rows, const ExportGoOn& goOn,
                    std::unique_ptr<ExportFiles>* staged) {
  staged->reset();
  Status s = fs.CreateDirectories(folder);
  if (s.ok()) s = RecoverExportFolder(fs, folder);
  if (!s.ok()) return s;
  const std::string prefix = Prefix(folder);
  auto files = std::make_unique<ExportFiles>(fs, prefix);
  std::vector<std::unique_ptr<TableSink>> sinks;
  if (options.csv) {
    sinks.push_back(std::make_unique<DelimitedSink>(*files, prefix, DelimitedSink::Format::kCsv));
  }
  if (options.tsv) {
    sinks.push_back(std::make_unique<DelimitedSink>(*files, prefix, DelimitedSink::Format::kTsv));
  }
  if (options.json) sinks.push_back(std::make_unique<JsonSink>(*files, prefix + "profile.json"));
  if (options.xlsx) sinks.push_back(std::make_unique<XlsxSink>(*files, prefix + "profile.xlsx"));
  {
    FanOutSink all(std::move(sinks), goOn);
    s = SendResultsTables(model, rows, all);
    const Status finished = all.Finish();
    if (s.ok()) s = finished;
  }  // the sinks are gone before their files are handed on
  if (!s.ok()) return s;
  *staged = std::move(files);
  return Status::OK();
}

Status ExportResults(FileSystem& fs, const ExportOptions& options, const std::string& folder,
                     const ResultsModel& model, WordRowSource* rows) {
  std::unique_ptr<ExportFiles> staged;
  Status s = WriteExports(fs, options, folder, model, rows, nullptr, &staged);
  if (!s.ok()) return s;
  return staged->Commit();
}

}  // namespace quarn
