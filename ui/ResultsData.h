// What the results explorer shows: one report's results model with the extra columns of its
// word rows, where the run's texts and lists are, and the reading of a saved profile.json.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "QuarnHeader.h"
#include "explore/Concordance.h"
#include "ListPalette.h"
#include "FileSystem.h"
#include "results/ResultsModel.h"
#include "results/ResultsTables.h"

namespace quarn {
struct Engine;
}

struct ExplorerReport {
  quarn::ResultsModel model;
  QString title;  // the chooser's entry
  // Columns of the word rows beyond the model's own (such as dp), by name: one value per row.
  QStringList typeExtraNames, familyExtraNames;
  std::vector<std::vector<QVariant>> typeExtra, familyExtra;  // [column][row]
};

// Where the run read its texts and lists, to read them again (concordance, marked text).
struct ExplorerSource {
  std::string listFolder;  // ends in '/'; empty when unknown
  int listCount = 0;
  quarn::TextCutting cutting;
  std::unordered_set<std::string> stopWords;  // upper case, Windows-1252
};

// The reports a run kept (RunOutcome::keptResults), and where the files of a run with these
// options are. runClasses is the character table the run cut its texts with (RunInfo's
// charClasses, 256 entries); without it quarn.txt is read again.
std::vector<ExplorerReport> TakeKeptReports(std::vector<quarn::ResultsModel> kept);
ExplorerSource SourceOfRun(quarn::Engine& e, const quarn::RunOptions& options,
                           const std::vector<uint8_t>& runClasses = {});

// What a worker reading a profile is told and tells: cancel is looked at between blocks of the
// file; progress gets the bytes read so far.
struct ProfileLoadControl {
  const std::atomic<bool>* cancel = nullptr;
  std::function<void(uint64_t bytesRead)> progress;
};

// Reads a profile.json written by the JSON export into *report, through fs, as a stream (no
// table is held as a document). Columns are read by name, so that columns added later are
// kept as extra columns (at most 32); the per-file columns are at most the file columns the
// run could have (one per listed text, at most 64). Only a regular file is read. False with
// *error on anything else, or when cancelled (*report is then left as it was).
bool LoadProfileJson(quarn::FileSystem& fs, const QString& path, ExplorerReport* report,
                     QString* error, const ProfileLoadControl& control);
bool LoadProfileJson(const QString& path, ExplorerReport* report, QString* error);

// The word rows and per-text counts a model holds, for ExportResults: what an export of the
// model writes, type_counts included when the model holds the texts' counts.
std::unique_ptr<quarn::WordRowSource> HeldWordRows(const quarn::ResultsModel& model);

// Engine text (Windows-1252 words) for the screen, and back.
QString WordText(const std::string& cp1252);
std::string WordBytes(const QString& text);

