// Words in context: every occurrence of a word (or of a family's words) in the run's texts, one
// line each with the text, its line number and the context on both sides as the text writes it,
// cut between words, the word itself highlighted; sorted as concordancers sort, by the first,
// second or third word to the left or right.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <string>
#include <unordered_set>
#include <vector>

#include "BackgroundReader.h"
#include "ExplorerModels.h"
#include "FileSystem.h"
#include "ResultsData.h"
#include "explore/Concordance.h"
#include "explore/ShownText.h"

class ConcordanceView : public QWidget {
  Q_OBJECT
 public:
  explicit ConcordanceView(QWidget* parent = nullptr);
  // The file system the texts are read through; it must outlive the view.
  void SetFileSystem(quarn::FileSystem& fs) { fs_ = &fs; }

  // Finds the occurrences of words (upper case, Windows-1252) in the texts at paths; title
  // names what is shown and note says anything missing (such as unknown family members). The
  // texts are read on a worker thread while the window goes on, with progress and Cancel shown;
  // the table is filled when the search ends. A later Show replaces a search still under way.
  void Show(const QString& title, const std::unordered_set<std::string>& words,
            const std::vector<std::string>& paths, const quarn::TextCutting& cutting,
            const QString& note = {});
  // Stops the search under way: no occurrences are shown, and the view says it was cancelled.
  void CancelSearch();
  bool searching() const { return reader_.busy(); }

  const std::vector<quarn::ContextLine>& lines() const { return lines_; }
  // Orders the lines by the word at place key (see quarn::ContextLess); 0: text and line.
  void SortBy(int key);
  RowTableModel* model() const { return model_; }

  QLabel* heading = nullptr;
  QTableView* table = nullptr;
  QPushButton* sortLeft = nullptr;
  QPushButton* sortRight = nullptr;
  QComboBox* sortBy = nullptr;  // data: the place sorted by
  QPushButton* copy = nullptr;
  QProgressBar* progress = nullptr;  // and cancel: shown while a search is under way
  QPushButton* cancel = nullptr;

 private:
  void Fill();
  // Shows the lines a search found (on the window's thread).
  void Found(std::vector<quarn::ContextLine> lines, const quarn::Status& s);
  std::vector<quarn::ContextLine> lines_;
  QStringList fileNames_;
  RowTableModel* model_ = nullptr;
  quarn::FileSystem* fs_ = quarn::FileSystem::Default();
  QString title_, note_;  // of the search under way or shown
  BackgroundReader reader_{this};
};
