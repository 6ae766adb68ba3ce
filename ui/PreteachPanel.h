// The words to pre-teach of one text: its words in no list, most frequent first, shown as the
// text writes them (Atlanta, not ATLANTA: the form met most often), with the choice to leave out
// likely names and the pieces of contractions, and Copy and Save as CSV.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <atomic>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "BackgroundReader.h"
#include "ExplorerModels.h"
#include "ResultsData.h"

// How a text writes one of its words.
struct WrittenWord {
  std::string written;         // the form met most often (UTF-8); the first met on a tie
  bool lowerStart = false;     // met at least once starting with a small letter
  bool capitalInside = false;  // met capitalised where no sentence starts
  int occurrences = 0;
  int afterApostrophe = 0;  // occurrences right after an apostrophe that follows a letter

  // Met only with a capital letter, and so where no sentence starts: most likely a name.
  bool LikelyName() const { return !lowerStart && capitalInside; }
  // Every occurrence a piece of a contraction (the VE of I've, the T of don't).
  bool ContractionPiece() const { return occurrences > 0 && afterApostrophe == occurrences; }
};

// The words of the text at path (key: the counted word, upper case, Windows-1252), read as the
// run cut it. Reads at most maxBytes of the text; stops at the next line once cancel is set.
quarn::Status ReadWrittenWords(quarn::FileSystem& fs, const std::string& path,
                               const quarn::TextCutting& cutting, size_t maxBytes,
                               std::unordered_map<std::string, WrittenWord>* words,
                               const std::atomic<bool>* cancel = nullptr);

class PreteachPanel : public QWidget {
  Q_OBJECT
 public:
  explicit PreteachPanel(QWidget* parent = nullptr);

  // Shows the words in no list of text k of report (nothing when report is null or k < 0).
  // The text's written forms are read through fs (which must outlive the panel) on a worker
  // thread, while the window goes on; the words are shown at once, in their written forms once
  // read. Another text chosen meanwhile drops this one's reading.
  void Show(const ExplorerReport* report, int k, const ExplorerSource* source,
            quarn::FileSystem& fs = *quarn::FileSystem::Default());
  // The written forms are being read.
  bool reading() const { return reader_.busy(); }
  // The type row of model.types shown at table row r.
  int TypeRow(int r) const { return rows_[static_cast<size_t>(model->SourceRow(r))]; }
  // The shown words as CSV (a header line, then word and frequency).
  QString Csv() const;

  // The CSV file to write; empty when cancelled. Tests replace it.
  std::function<QString()> chooseCsvFile;

  QLabel* label = nullptr;
  QCheckBox* leaveOutNames = nullptr;
  QCheckBox* leaveOutPieces = nullptr;
  QTableView* table = nullptr;
  RowTableModel* model = nullptr;
  QPushButton* copy = nullptr;
  QPushButton* saveCsv = nullptr;

 private:
  void Fill();
  const ExplorerReport* report_ = nullptr;
  int text_ = -1;
  const ExplorerSource* source_ = nullptr;  // the source the written forms were read with
  QString name_;
  std::vector<TextWord> all_;               // the text's words in no list, most frequent first
  std::vector<int> rows_;                   // those shown (type rows)
  std::vector<int64_t> counts_;             // and their counts in the text
  std::unordered_map<std::string, WrittenWord> written_;
  BackgroundReader reader_{this};
};
