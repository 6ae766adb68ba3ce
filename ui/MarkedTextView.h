// One input text shown exactly as its file has it (any script, its own lines and blank lines),
// with the words Quarn counted coloured by their list: a legend above it shows or hides each
// list (list 1, the words learners know, hidden at first; words in no list stand out; stop-listed
// words grey). Hovering a word tells its list, family, frequency and range; clicking it lists its
// lines beside the text; "Export as HTML" writes the coloured text as a printable page.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextEdit>
#include <QWidget>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "BackgroundReader.h"
#include "FileSystem.h"
#include "ResultsData.h"
#include "explore/Concordance.h"

class MarkedTextView : public QWidget {
  Q_OBJECT
 public:
  explicit MarkedTextView(QWidget* parent = nullptr);
  // The file system the texts are read through; it must outlive the view.
  void SetFileSystem(quarn::FileSystem& fs) { fs_ = &fs; }

  // The report and where its texts are; families gives the family index (may be null or
  // empty). The report's first text is shown at once when the view is visible, else when it
  // is first shown.
  void SetReport(const ExplorerReport* report, const ExplorerSource* source,
                 std::function<const quarn::FamilyIndex*()> families);
  // Shows text k of the run (0-based). The text is read on a worker thread while the window
  // goes on and shown when read; choosing another text meanwhile drops this one.
  void ShowText(int k);
  // A text is being read.
  bool reading() const { return reader_.busy(); }

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
  // The HTML file offered for the shown text: TEXT_marked.html beside it.
  QString SuggestedHtmlFile() const;
  // Shows or hides a list's colour (the legend's boxes do this).
  void SetListShown(int list, bool shown);
  bool ListShown(int list) const { return hidden_.count(list) == 0; }
  // Draws the text again now that the families (which hovering and the HTML page show) are
  // known, and writes an HTML page that waited for them.
  void FamiliesKnown();
  // Lists the lines of the shown text that hold word (upper case, Windows-1252) beside it.
  void ShowLinesOf(const std::string& upper);

  QComboBox* chooser = nullptr;
  QTextEdit* text = nullptr;
  QWidget* legend = nullptr;
  QSplitter* split = nullptr;
  QLabel* linesTitle = nullptr;
  QListWidget* lines = nullptr;  // the lines of the word clicked
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
    std::string text;   // UTF-8, as written
    std::string upper;  // the word; empty between words
  };
  struct Line {
    std::vector<Piece> pieces;
  };
  void BuildLegend();
  void Render();
  // Shows the lines read of the chosen text (on the window's thread).
  void TextRead(std::vector<Line> read, bool truncated, const quarn::Status& s);
  // Writes the HTML page asked for once the text and the families are known.
  void WriteHtmlWhenReady();
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
  std::set<int> hidden_ = {1};  // lists shown unmarked
  QPoint pressedAt_;
  // The list a word is drawn as: 0 (unmarked) when its list is hidden.
  int ShownList(const std::string& upper) const;
  QString PlainTip(const std::string& upper) const;
  QString CoverageHtml() const;
  quarn::FileSystem* fs_ = quarn::FileSystem::Default();
  QString htmlAfterRead_;  // the page asked for while its text or the families were being read
  BackgroundReader reader_{this};
};
