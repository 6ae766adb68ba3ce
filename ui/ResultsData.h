// What the results explorer shows: one report's results model with the extra columns of its
// word rows, where the run's texts and lists are, and the reading of a saved profile.json.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "explore/Concordance.h"
#include "ListPalette.h"
#include "results/ResultsModel.h"

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

// The reports a run kept (Engine::keptResults, which it empties) and where its files are.
std::vector<ExplorerReport> TakeKeptReports(quarn::Engine& e);
ExplorerSource SourceOfRun(quarn::Engine& e);

// Reads a profile.json written by the JSON export into *report. Columns are read by name, so
// that columns added later are kept as extra columns. False with *error on anything else.
bool LoadProfileJson(const QString& path, ExplorerReport* report, QString* error);

// Engine text (Windows-1252 words) for the screen, and back.
QString WordText(const std::string& cp1252);
std::string WordBytes(const QString& text);

