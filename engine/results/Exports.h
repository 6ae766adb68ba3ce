// Exporting one report's results as data files: what is asked for, and writing it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "Status.h"
#include "results/ExportFiles.h"
#include "results/ResultsModel.h"
#include "results/ResultsTables.h"

namespace quarn {

struct ExportOptions {
  std::string folder;  // where the files go; no export when empty
  bool csv = false;
  bool tsv = false;
  bool json = false;
  bool xlsx = false;
  // The long table type_counts (word, file, freq) of a run over more than 64 texts.
  bool counts = false;

  bool any() const { return !folder.empty() && (csv || tsv || json || xlsx); }
};

// Sets the formats of a comma list such as "csv,json" (csv, tsv, json, xlsx; letter case
// ignored). Returns false, naming the word it does not know in *bad, for anything else.
bool ParseExportFormats(std::string_view list, ExportOptions* options, std::string* bad);

// Every file an export into folder may write or remove with options: the tables of each
// delimited format (type_counts too when options.counts), profile.json, profile.xlsx, each
// followed by its work name and the name it is kept under while a set is put in place
// (ExportFiles.h); then the work names of every other format and the journal, which the export
// removes when a killed one left them.
std::vector<std::string> ExportFileNames(const ExportOptions& options, const std::string& folder);

// Asked every few thousand rows and before each table and each file is completed: false stops
// the export (a cancel), which then fails.
using ExportGoOn = std::function<bool()>;

// Writes the model's tables into folder (created when missing) in every format of options:
// <table>.csv / .tsv for each table, profile.json, profile.xlsx; the word rows from rows when
// given. Every file is written under its work name; *staged then holds the complete set, to be
// put in place by its Commit (ExportFiles.h), or removed when it goes uncommitted. A failure or
// a stop by goOn (when given) replaces nothing and leaves no work file. The earlier export of a
// killed or failed run in folder is recovered first (RecoverExportFolder). The caller holds the
// folder's lock (FolderLock.h) where other runs may export into it.
Status WriteExports(FileSystem& fs, const ExportOptions& options, const std::string& folder,
                    const ResultsModel& model, WordRowSource* rows, const ExportGoOn& goOn,
                    std::unique_ptr<ExportFiles>* staged);

// WriteExports, then the set put in place: a failure at any step replaces no export file.
Status ExportResults(FileSystem& fs, const ExportOptions& options, const std::string& folder,
                     const ResultsModel& model, WordRowSource* rows);

// Every file name an export may write into its folder, in every format.
std::vector<std::string> AllExportFileNames();

// Brings folder back to a whole export set after an export killed or failed while its files
// were put in place, and removes the work files an export killed part-way left there
// (RecoverExportSet with AllExportFileNames). Nothing happens when folder does not exist.
Status RecoverExportFolder(FileSystem& fs, const std::string& folder);

}  // namespace quarn
