// One input text shown with every word coloured by its list (a legend beside it; words in no
// list also underlined, stop-listed words grey); hovering a word tells its list, family,
// frequency and range; "Export as HTML" writes the coloured text as a printable page.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QWidget>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ResultsData.h"
#include "explore/Concordance.h"

class MarkedTextView : public QWidget {
  Q_OBJECT
 public:
  explicit MarkedTextView(QWidget* parent = nullptr);

  // The report and where its texts are; families gives the family index (may be null or
  // empty). The report's first text is shown at once when the view is visible, else when it
  // is first shown.
  void SetReport(const ExplorerReport* report, const ExplorerSource* source,
                 std::function<const quarn::FamilyIndex*()> families);
  // Shows text k of the run (0-based).
  void ShowText(int k);

  // The list a word of the text (upper case, Windows-1252) is shown as: its list code, 65 for
  // the stop list, 66 for no list; 0 without a report.
  int ListOf(const std::string& upper) const;
  // What hovering the word shows.
  QString WordTip(const std::string& upper) const;
  // The shown text as a self-contained HTML page with its legend.
  QString HtmlPage() const;
  bool WriteHtml(const QString& path, QString* error) const;
  // The HTML file to write (tests replace it); empty when cancelled.
  std::function<QString()> chooseHtmlFile;

  QComboBox* chooser = nullptr;
  QTextEdit* text = nullptr;
  QWidget* legend = nullptr;
  QPushButton* exportHtml = nullptr;
  QLabel* status = nullptr;

 signals:
  // A word was double-clicked (upper case, Windows-1252).
  void wordActivated(const QByteArray& upper);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  struct Piece {
    std::string text;   // Windows-1252, as written
    std::string upper;  // the word; empty between words
  };
  struct Line {
    std::vector<Piece> pieces;
  };
  void BuildLegend();
  void Render();
  // The word under a point of the text's viewport; empty when none.
  std::string WordAt(const QPoint& pos) const;

  const ExplorerReport* report_ = nullptr;
  const ExplorerSource* source_ = nullptr;
  std::function<const quarn::FamilyIndex*()> families_;
  // Upper word -> row of model.types, made when first needed.
  void IndexWords() const;
  mutable std::unordered_map<std::string, int> typeRow_;
  mutable bool indexed_ = false;
  std::vector<Line> lines_;
  std::vector<std::string> anchors_;  // the words the document's anchors number
  QString shownFile_;
  bool truncated_ = false;
  bool pending_ = false;  // the report changed and its text is not read yet
};
