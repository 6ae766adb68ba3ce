// The explorer as a teacher reads it: texts in any script exactly as written, a colour for each
// of twelve lists with a legend that shows or hides them, words in context sorted by the words
// around them, tables in words, the words to pre-teach as written, the Summary's chart, the HTML
// page, and what the window says after a run. Leaves screenshots of every tab over twelve lists
// and a text holding Greek and accented words, and of Texts and Ranges over 65 texts.
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QSettings>
#include <QStackedBarSeries>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest/QtTest>
#include <map>
#include <set>
#include <string>

#include "ColumnCaptions.h"
#include "ExplorerWindowState.h"
#include "MainScreen.h"
#include "QuarnHeader.h"
#include "ResultsExplorer.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "state/Engine.h"

using quarn::testing::ReadFile;
using quarn::testing::WriteFile;
using uitest::Q;

namespace {

// The words of list k (1..12): each list has its own words, so that its colour shows.
const char* const kListWords[12][3] = {
    {"the", "a", "and"},        {"teacher", "class", "took"},     {"river", "mountain", "near"},
    {"garden", "flower", "in"}, {"music", "song", "caf\xC3\xA9"}, {"market", "bread", "sold"},
    {"window", "door", "at"},   {"winter", "snow", "lay"},        {"harbour", "ship", "passed"},
    {"forest", "wolf", "ran"},  {"castle", "king", "lit"},        {"lantern", "candle", "to"}};

// A text that holds Greek (counted by no list: not a word of the engine's alphabet) and accented
// words, a blank line, names and contractions.
const char kGreekText[] =
    "The teacher took the class to the river near the mountain \xE2\x80\x94 "
    "\xCE\xB1\xCE\xB2\xCE\xB3 "
    "\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82 words.\n"
    "\n"
    "In the garden a flower, music and a song; the market sold bread at the caf\xC3\xA9.\n"
    "A window and a door in winter snow; the harbour ship passed, the forest wolf ran.\n"
    "The castle king lit a lantern and a candle. We've seen Atlanta and the na\xC3\xAFve "
    "\xC3\x85ngstr\xC3\xB6m zorbs.\n"
    "Zorbs ran to Atlanta. I've seen zorbs at the harbour, and Atlanta's king lit a lantern.\n";

struct TwelveListRun : uitest::Fixture {
  TwelveListRun() {
    for (int k = 0; k < 12; ++k) {
      std::string list;
      for (const char* w : kListWords[k]) list += std::string(w) + " 0\n";
      WriteFile(dir.File("BASEWRD" + std::to_string(k + 1) + ".txt"), list);
    }
    WriteFile(dir.File("greek.txt"), kGreekText);
    WriteFile(dir.File("second.txt"),
              "The king and the teacher took the ship to the castle.\n"
              "A wolf ran in the forest near the river.\n");
    WriteFile(dir.File("third.txt"), "Snow lay at the window; the song of the market.\n");
    window.BaseWrdNum->setText("12");
  }
  ResultsExplorer* Run() {
    window.ListFiles->setPlainText(Path("greek.txt") + "\n" + Path("second.txt") + "\n" +
                                   Path("third.txt") + "\n");
    window.engine().ResultsFileName = dir.File("twelve_quarn.txt");
    return PressAndOpen();
  }
};

// The plain text of the document shown, one line per block.
QString ShownText(const MarkedTextView* v) { return v->text->document()->toPlainText(); }


QPoint PointOf(QTextEdit* text, const QString& word) {
  QTextCursor found = text->document()->find(word);
  QTextCursor inside(text->document());
  inside.setPosition(found.selectionStart() + 1);
  return text->cursorRect(inside).center();
}

}  // namespace

class ExplorerReadingTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void textIsShownAsItsFileWritesIt();
  void twelveListsHaveTheirOwnColours();
  void contextsSortByTheWordsAroundTheNode();
  void tablesSpeakInWords();
  void wordsToPreteachAsWritten();
  void summaryShowsEveryRowAndColouredBars();
  void htmlPageForTheReader();
  void explorerRemembersItsPlaceAndItsRun();
  void screenshotsOfTwelveLists();
  void screenshotsOfSixtyFiveTexts();
};

// Characters outside Windows-1252 stay (the Greek vanished before), and so do the file's blank
// lines; the marks lie over the words counted; the HTML page and the concordance keep them too.
void ExplorerReadingTest::textIsShownAsItsFileWritesIt() {
  TwelveListRun f;
  ResultsExplorer* x = f.Run();
  QVERIFY(x != nullptr);
  MarkedTextView* v = x->marked;
  v->ShowText(0);
  QVERIFY(uitest::WaitForReading(x));
  QCOMPARE(ShownText(v) + "\n", QString::fromUtf8(kGreekText));
  QCOMPARE(uitest::FormatOf(v->text, "river").background().color(), ListBackground(3));
  QCOMPARE(uitest::FormatOf(v->text, "caf\u00e9").background().color(), ListBackground(5));
  QCOMPARE(uitest::FormatOf(v->text, "\u03bb\u03cc\u03b3\u03bf\u03c2").background().style(), Qt::NoBrush);
  QCOMPARE(uitest::FormatOf(v->text, "zorbs").background().color(), ListBackground(quarn::kNoListCode));
  QVERIFY(v->HtmlPage().contains("\u03b1\u03b2\u03b3 \u03bb\u03cc\u03b3\u03bf\u03c2"));
  x->ShowInContext("MOUNTAIN", false, 0);
  QVERIFY(uitest::WaitForReading(x));
  QCOMPARE(x->context->lines().size(), size_t{1});
  QCOMPARE(QString::fromStdString(x->context->lines()[0].right),
           QString(" \u2014 \u03b1\u03b2\u03b3 \u03bb\u03cc\u03b3\u03bf\u03c2 words."));
}

// Twelve lists, twelve colours none alike (list 7 was list 1's, 8 list 2's); a graded scheme
// beyond; list 1 unmarked at first, the words in no list standing out, stop words grey; the
// legend shows and hides each list.
void ExplorerReadingTest::twelveListsHaveTheirOwnColours() {
  std::set<QRgb> seen;
  for (int list = 1; list <= 12; ++list) {
    const QColor c = ListBackground(list);
    QVERIFY(c.isValid());
    QVERIFY2(c.lightness() > 120, qPrintable(ListName(list)));  // black text stays readable
    for (int other = 1; other < list; ++other) {
      const QColor o = ListBackground(other);
      const int distance = std::abs(c.red() - o.red()) + std::abs(c.green() - o.green()) +
                           std::abs(c.blue() - o.blue());
      QVERIFY2(distance >= 60, qPrintable(ListName(list) + " / " + ListName(other)));
    }
    seen.insert(c.rgb());
  }
  QCOMPARE(seen.size(), size_t{12});
  for (int list = 13; list < quarn::kMaxLists; ++list) {
    QVERIFY(seen.count(ListBackground(list).rgb()) == 0 || list > 13);
    QVERIFY(ListBackground(list + 1).lightness() <= ListBackground(list).lightness());
  }
  QVERIFY(ListBackground(quarn::kNoListCode).lightness() < 110);  // white text on it
  QCOMPARE(ListTextColour(quarn::kNoListCode), QColor(Qt::white));
  QCOMPARE(ListName(quarn::kNoListCode), QString("Not in a list"));

  TwelveListRun f;
  ResultsExplorer* x = f.Run();
  MarkedTextView* v = x->marked;
  v->ShowText(0);
  QVERIFY(uitest::WaitForReading(x));
  for (int list = 1; list <= 12; ++list)
    QVERIFY(v->legend->findChild<QCheckBox*>("legend" + QString::number(list)) != nullptr);
  QVERIFY(!v->legend->findChild<QCheckBox*>("legend1")->isChecked());
  QCOMPARE(uitest::FormatOf(v->text, "teacher").background().color(), ListBackground(2));
  QCOMPARE(uitest::FormatOf(v->text, "the").background().style(), Qt::NoBrush);
  QCOMPARE(uitest::FormatOf(v->text, "zorbs").foreground().color(), QColor(Qt::white));
  v->legend->findChild<QCheckBox*>("legend2")->setChecked(false);
  QCOMPARE(uitest::FormatOf(v->text, "teacher").background().style(), Qt::NoBrush);
  QVERIFY(!v->ListShown(2));
  v->legend->findChild<QCheckBox*>("legend1")->click();
  QCOMPARE(uitest::FormatOf(v->text, "the").background().color(), ListBackground(1));
}

// Sorted by the first, second or third word left or right; the node highlighted; a single click
// on a word of the marked text lists its lines beside it.
void ExplorerReadingTest::contextsSortByTheWordsAroundTheNode() {
  quarn::testing::TempDir dir;
  WriteFile(dir.File("c.txt"), "x ba node one\ny ab node two\nz ab node three\nw ab zz node\n");
  ExplorerReport report;
  quarn::ResultsModel& m = report.model;
  m.run.texts = {{dir.File("c.txt"), 4, 13}};
  m.fileColumns = 1;
  m.types = {{"NODE", quarn::kNoListCode, 1, 4, 0, {4}}, {"AB", quarn::kNoListCode, 1, 3, 0, {3}}};
  std::vector<ExplorerReport> reports;
  reports.push_back(std::move(report));
  ResultsExplorer x;
  x.SetReports(std::move(reports), ExplorerSource{});
  x.ShowInContext("NODE", false, 0);
  QVERIFY(uitest::WaitForReading(&x));
  ConcordanceView* c = x.context;
  QCOMPARE(c->lines().size(), size_t{4});
  auto order = [c] {
    QStringList rows;
    for (int r = 0; r < c->model()->rowCount(); ++r)
      rows << c->model()->index(r, 4).data().toString().trimmed();
    return rows;
  };
  // The left context read backwards put "x ba" first; by the word on the left "ab" comes first,
  // then ties by the second word (y before z), and "zz" after "ba".
  c->sortLeft->click();
  QCOMPARE(order(), QStringList({"two", "three", "one", ""}));
  c->SortBy(-2);
  QCOMPARE(order(), QStringList({"", "one", "two", "three"}));  // ab < x < y < z
  c->SortBy(1);
  QCOMPARE(order(), QStringList({"", "one", "three", "two"}));
  QCOMPARE(c->sortBy->currentData().toInt(), 1);
  // The node is bold in its column.
  QStyleOptionViewItem option;
  option.initFrom(c->table);
  auto* delegate = c->table->itemDelegateForColumn(c->model()->ColumnNamed("word"));
  QVERIFY(delegate != nullptr);
  QVERIFY(c->table->itemDelegateForColumn(0) != delegate);

  // One click on "ab" in the marked text: its three lines.
  x.resize(900, 600);
  x.show();
  x.tabs->setCurrentWidget(x.marked);
  QVERIFY(QTest::qWaitForWindowExposed(&x));
  QVERIFY(uitest::WaitForReading(&x));
  const QPoint at = PointOf(x.marked->text, "ab");
  QTest::mouseClick(x.marked->text->viewport(), Qt::LeftButton, {}, at);
  QCOMPARE(x.marked->lines->count(), 3);
  QVERIFY(x.marked->lines->item(0)->text().startsWith("2: y ab node two"));
  QCOMPARE(x.tabs->currentWidget(), x.marked);  // a single click stays on the text
}

// Headers in words with the data names in their tips; per-text columns named by their file;
// the file in view as the Texts table scrolls; a count sorted high to low at the first click;
// the coverage reached in words; "Not in a list" everywhere.
void ExplorerReadingTest::tablesSpeakInWords() {
  TwelveListRun f;
  ResultsExplorer* x = f.Run();
  RowTableModel* t = x->textsModel;
  const int coverage2 = t->ColumnNamed("coverage_2");
  QCOMPARE(t->headerData(coverage2, Qt::Horizontal, Qt::DisplayRole).toString(),
           QString("Coverage after list 2 (%)"));
  QVERIFY(t->headerData(coverage2, Qt::Horizontal, Qt::ToolTipRole)
              .toString()
              .startsWith("coverage_2"));
  RowTableModel* w = x->words.model;
  QCOMPARE(w->headerData(w->ColumnNamed("f1"), Qt::Horizontal, Qt::DisplayRole).toString(),
           QString("greek.txt"));
  QCOMPARE(w->headerData(w->ColumnNamed("f3"), Qt::Horizontal, Qt::DisplayRole).toString(),
           QString("third.txt"));
  QCOMPARE(w->headerData(w->ColumnNamed("freq"), Qt::Horizontal, Qt::DisplayRole).toString(),
           QString("Frequency"));
  // The file is each row's header, which stays in view; its column is not repeated.
  QVERIFY(!x->textsTable->verticalHeader()->isHidden());
  QCOMPARE(t->headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), QString("greek.txt"));
  QVERIFY(x->textsTable->isColumnHidden(t->ColumnNamed("file")));
  // The coverage each text reaches, in words.
  for (int r = 0; r < t->rowCount(); ++r) {
    const int row = t->SourceRow(r);
    const QString cell = t->index(r, t->ColumnNamed("lists_for_95")).data().toString();
    const auto k = x->report()->model.texts[static_cast<size_t>(row)].ListsFor(95);
    if (k) {
      QCOMPARE(cell, "95 % reached at list " + QString::number(*k));
    } else {
      QVERIFY2(QRegularExpression("^not reached \\(highest [0-9]+\\.[0-9]{2} %\\)$")
                   .match(cell)
                   .hasMatch(),
               qPrintable(cell));
    }
  }
  QCOMPARE(ReachedText(*x->report(), 0, 98).startsWith("not reached (highest "), true);
  // A first click on a count sorts from the largest down; on the word, from A.
  x->resize(1000, 600);
  x->show();
  x->tabs->setCurrentWidget(x->words.table->parentWidget());
  QVERIFY(QTest::qWaitForWindowExposed(x));
  QHeaderView* header = x->words.table->horizontalHeader();
  const int freq = w->ColumnNamed("freq");
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(freq) + 5, header->height() / 2));
  QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
  QCOMPARE(w->index(0, 0).data().toString(), QString("THE"));
  QCOMPARE(w->headerData(0, Qt::Horizontal, Qt::InitialSortOrderRole).toInt(),
           static_cast<int>(Qt::AscendingOrder));
  // "Not in a list" in the Words table, its filter, the Summary and the legend.
  int none = -1;
  for (int r = 0; r < w->rowCount() && none < 0; ++r)
    if (x->report()->model.types[static_cast<size_t>(w->SourceRow(r))].list == quarn::kNoListCode)
      none = r;
  QVERIFY(none >= 0);
  QCOMPARE(w->index(none, w->ColumnNamed("list")).data().toString(), QString("Not in a list"));
  QVERIFY(x->words.list->findText("Not in a list") >= 0);
  bool inSummary = false;
  for (int r = 0; r < x->summaryModel->rowCount(); ++r)
    inSummary = inSummary || x->summaryModel->index(r, 0).data().toString() == "Not in a list";
  QVERIFY(inSummary);
  QCOMPARE(x->marked->legend->findChild<QCheckBox*>("legend66")->text(), QString("Not in a list"));
}

// As the text writes them (Atlanta, zorbs), the likely names and the parts of contractions left
// out on request, copied and saved as CSV.
void ExplorerReadingTest::wordsToPreteachAsWritten() {
  TwelveListRun f;
  ResultsExplorer* x = f.Run();
  x->textsTable->selectRow(0);  // greek.txt
  QVERIFY(uitest::WaitForReading(x));
  PreteachPanel* p = x->preteach;
  QStringList shown;
  for (int r = 0; r < p->model->rowCount(); ++r) shown << p->model->index(r, 0).data().toString();
  QVERIFY2(shown.contains("Atlanta") && shown.contains("zorbs") && shown.contains("ve"),
           qPrintable(shown.join(",")));
  QVERIFY(!shown.contains("ATLANTA"));
  QVERIFY(shown.contains("na\u00efve") && shown.contains("\u00c5ngstr\u00f6m"));
  // Atlanta is met only capitalised, and where no sentence starts: a likely name. Zorbs starts
  // a sentence once but is written in small letters elsewhere: not a name.
  p->leaveOutNames->setChecked(true);
  shown.clear();
  for (int r = 0; r < p->model->rowCount(); ++r) shown << p->model->index(r, 0).data().toString();
  QVERIFY(!shown.contains("Atlanta"));
  QVERIFY(shown.contains("zorbs"));
  QVERIFY(!shown.contains("\u00c5ngstr\u00f6m"));  // capitalised inside a sentence only
  p->leaveOutPieces->setChecked(true);
  shown.clear();
  for (int r = 0; r < p->model->rowCount(); ++r) shown << p->model->index(r, 0).data().toString();
  QVERIFY(!shown.contains("ve") && !shown.contains("s"));
  QVERIFY(shown.contains("seen") && shown.contains("zorbs"));
  p->copy->click();
  QCOMPARE(QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts).size(),
           p->model->rowCount());
  const QString path = f.Path("words");
  p->chooseCsvFile = [&path] { return path; };
  p->saveCsv->click();
  const std::string csv = ReadFile(f.dir.File("words.csv"));
  QVERIFY(csv.starts_with("word,frequency\n"));
  QVERIFY(csv.find("zorbs,3\n") != std::string::npos);
}

// The table shows every row (no cap), the bars take the lists' colours, and the words in no list
// have a bar of their own.
void ExplorerReadingTest::summaryShowsEveryRowAndColouredBars() {
  TwelveListRun f;
  ResultsExplorer* x = f.Run();
  x->resize(1000, 800);
  x->show();
  QVERIFY(QTest::qWaitForWindowExposed(x));
  QTest::qWait(20);
  QTableView* t = x->summaryTable;
  QVERIFY(x->summaryModel->rowCount() >= 14);  // twelve lists, no list, total
  QVERIFY(t->maximumHeight() > 10000);
  const int needed = t->horizontalHeader()->height() + t->verticalHeader()->length();
  QVERIFY2(t->viewport()->height() + t->horizontalHeader()->height() >= needed,
           qPrintable(QString::number(t->viewport()->height()) + " < " + QString::number(needed)));
  std::map<QString, QColor> colours;
  for (QAbstractSeries* s : x->coverageChart->chart()->series()) {
    if (auto* bars = qobject_cast<QAbstractBarSeries*>(s)) {
      for (QBarSet* set : bars->barSets()) colours[set->label()] = set->color();
    }
  }
  QCOMPARE(colours.size(), size_t{13});
  QCOMPARE(colours["List 7"], ListBackground(7));
  QCOMPARE(colours["List 12"], ListBackground(12));
  QCOMPARE(colours["Not in a list"], ListBackground(quarn::kNoListCode));
}

// .html added, TEXT_marked.html offered, titled by the file's name, the coverage at the top,
// each word's list, family and frequency on hover.
void ExplorerReadingTest::htmlPageForTheReader() {
  TwelveListRun f;
  ResultsExplorer* x = f.Run();
  MarkedTextView* v = x->marked;
  v->ShowText(0);
  QVERIFY(uitest::WaitForReading(x));
  QCOMPARE(v->SuggestedHtmlFile(), f.Path("greek_marked.html"));
  const QString chosen = f.Path("page");
  v->chooseHtmlFile = [&chosen] { return chosen; };
  v->exportHtml->click();
  QVERIFY(QFile::exists(chosen + ".html"));
  const QString html = QString::fromUtf8(ReadFile(f.dir.File("page.html")));
  QVERIFY(html.contains("<title>greek.txt</title>"));
  QVERIFY(!html.contains("<h1>" + f.Path("greek.txt")));
  const qsizetype coverage = html.indexOf("Coverage after the list (%)");
  QVERIFY(coverage > 0 && coverage < html.indexOf("teacher"));
  QVERIFY(
      html.contains("title=\"TEACHER \u00b7 List 2 \u00b7 Family: TEACHER \u00b7 Frequency: 2"));
  QVERIFY(html.contains("\u03b1\u03b2\u03b3"));
}

// The explorer keeps its size and place; left open over an earlier run, it says so when a later
// run has nothing to show.
void ExplorerReadingTest::explorerRemembersItsPlaceAndItsRun() {
  QSettings("Quarn", "Quarn").remove(kExplorerGeometryKey);
  TwelveListRun f;
  ResultsExplorer* x = f.Run();
  QVERIFY(x->origin->isHidden());
  x->setGeometry(60, 70, 1234, 777);
  x->close();
  ResultsExplorer again;
  QCOMPARE(again.size(), QSize(1234, 777));
  // A second run that fails keeps the explorer of the first (the box answers itself).
  ResultsExplorer* kept = f.window.explorer();
  QVERIFY(kept != nullptr);
  kept->show();
  f.window.ListFiles->setPlainText(f.Path("missing.txt") + "\n");
  QSignalSpy finished(&f.window, &MainScreen::runFinished);
  f.window.Process_filesClick();
  uitest::WaitForRun(finished);
  QCOMPARE(f.window.explorer(), kept);
  QVERIFY(kept->origin->isVisibleTo(kept));
  QVERIFY(kept->origin->text().startsWith("These results are from an earlier run"));
}

void ExplorerReadingTest::screenshotsOfTwelveLists() {
  TwelveListRun f;
  ResultsExplorer* x = f.Run();
  x->resize(1100, 720);
  x->show();
  QVERIFY(QTest::qWaitForWindowExposed(x));
  x->textsTable->selectRow(0);
  x->words.table->sortByColumn(x->words.model->ColumnNamed("freq"), Qt::DescendingOrder);
  x->familyTab.table->sortByColumn(x->familyTab.model->ColumnNamed("family_freq"),
                                   Qt::DescendingOrder);
  const char* names[] = {"explorer_summary.png",  "explorer_texts.png",  "explorer_words.png",
                         "explorer_families.png", "explorer_ranges.png", "explorer_marked.png",
                         "explorer_context.png"};
  for (int t = 0; t < x->tabs->count(); ++t) {
    if (x->tabs->widget(t) == x->context) {
      x->ShowInContext("THE", false, 0);
      QVERIFY(uitest::WaitForReading(x));
      x->context->SortBy(1);
    }
    x->tabs->setCurrentIndex(t);
    if (x->tabs->widget(t) == x->marked) {
      QVERIFY(uitest::WaitForReading(x));
      QTest::qWait(20);
      QTest::mouseClick(x->marked->text->viewport(), Qt::LeftButton, {},
                        PointOf(x->marked->text, "harbour"));
    }
    QTest::qWait(50);
    uitest::SaveShot(*x, QString("twelve_") + names[t]);
  }
}

void ExplorerReadingTest::screenshotsOfSixtyFiveTexts() {
  uitest::Fixture f;
  WriteFile(f.dir.File("BASEWRD1.txt"), "the 0\na 0\nand 0\nof 0\n");
  WriteFile(f.dir.File("BASEWRD2.txt"), "river 0\nhill 0\ntown 0\n");
  WriteFile(f.dir.File("BASEWRD3.txt"), "harbour 0\nlantern 0\n");
  const char* const others[] = {"zorb", "quill", "fenwick", "brash", "tallow", "mire", "gloam"};
  QString inputs;
  for (int k = 1; k <= 65; ++k) {
    std::string text = "The river and the town of the hill";
    for (int n = 0; n < k % 7 + 1; ++n) text += std::string(" ") + others[(k + n) % 7];
    if (k % 3 == 0) text += " a harbour lantern";
    const std::string name = "t" + std::to_string(100 + k) + ".txt";
    WriteFile(f.dir.File(name), text + ".\n");
    inputs += f.Path(name) + "\n";
  }
  f.window.ListFiles->setPlainText(inputs);
  f.window.engine().ResultsFileName = f.dir.File("many_quarn.txt");
  QSignalSpy finished(&f.window, &MainScreen::runFinished);
  f.window.Process_filesClick();
  uitest::WaitForRun(finished);
  ResultsExplorer* x = f.window.explorer();
  QVERIFY(x != nullptr);
  QCOMPARE(x->textsModel->rowCount(), 65);
  QVERIFY(f.window.statusText->text().startsWith("Finished: 65 texts, "));
  x->resize(1100, 720);
  x->show();
  QVERIFY(QTest::qWaitForWindowExposed(x));
  x->textsTable->selectRow(0);
  x->tabs->setCurrentIndex(1);
  QTest::qWait(50);
  uitest::SaveShot(*x, "many_explorer_texts.png");
  x->tabs->setCurrentIndex(4);
  QTest::qWait(50);
  uitest::SaveShot(*x, "many_explorer_ranges.png");
}

QTEST_MAIN(ExplorerReadingTest)
#include "ExplorerReadingTest.moc"
