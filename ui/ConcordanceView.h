// Words in context: every occurrence of a word (or of a family's words) in the run's texts, one
// line each with the text, its line number and the context on both sides; sortable by any
// column, the left context read from the word outwards.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <string>
#include <unordered_set>
#include <vector>

#include "ExplorerModels.h"
#include "ResultsData.h"
#include "explore/Concordance.h"

class ConcordanceView : public QWidget {
  Q_OBJECT
 public:
  explicit ConcordanceView(QWidget* parent = nullptr);

  // Finds the occurrences of words (upper case, Windows-1252) in the texts at paths; title
  // names what is shown and note says anything missing (such as unknown family members).
  void Show(const QString& title, const std::unordered_set<std::string>& words,
            const std::vector<std::string>& paths, const quarn::TextCutting& cutting,
            const QString& note = {});

  const std::vector<quarn::ConcordanceLine>& lines() const { return lines_; }
  RowTableModel* model() const { return model_; }

  QLabel* heading = nullptr;
  QTableView* table = nullptr;
  QPushButton* sortLeft = nullptr;
  QPushButton* sortRight = nullptr;
  QPushButton* copy = nullptr;

 private:
  void Fill();
  std::vector<quarn::ConcordanceLine> lines_;
  QStringList fileNames_;
  RowTableModel* model_ = nullptr;
};
