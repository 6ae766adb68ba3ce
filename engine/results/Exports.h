// Exporting one report's results as data files: what is asked for, and writing it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "Status.h"
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

// Every file an export into folder may write with options, each followed by its work name:
// the tables of each delimited format (type_counts too when options.counts), profile.json,
// profile.xlsx.
std::vector<std::string> ExportFileNames(const ExportOptions& options, const std::string& folder);

// Writes the model's tables into folder (created when missing) in every format of options:
// <table>.csv / .tsv for each table, profile.json, profile.xlsx; the word rows from rows when
// given. Every file is written under a work name and renamed into place only when all are
// complete: a failure while writing replaces no export file, one while renaming leaves the
// files renamed before it new; no work file is left either way.
Status ExportResults(FileSystem& fs, const ExportOptions& options, const std::string& folder,
                     const ResultsModel& model, WordRowSource* rows);

}  // namespace quarn
