// The results explorer over a run of the sample texts: its tables show the results model's rows
// in its orders, filter them, colour the words by list, find every occurrence of a word, export
// HTML and the data files, and read a saved profile.json back.
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolTip>
#include <QtTest/QtTest>
#include <algorithm>
#include <map>
#include <numeric>
#include <string>

#include "ResultsExplorer.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "MainScreen.h"
#include "QuarnHeader.h"
#include "results/Exports.h"
#include "state/Engine.h"

using quarn::testing::ReadFile;
using quarn::testing::WriteFile;
using uitest::Q;

namespace {

const char* const kSampleFiles[] = {"BASEWRD1.txt", "BASEWRD2.txt", "BASEWRD3.txt",
                                    "ca01.txt", "cf01.txt", "cn01.txt"};

// A main window over a copy of the sample folder.
struct SampleRun : uitest::Fixture {
  SampleRun() {
    for (const char* name : kSampleFiles)
      WriteFile(dir.File(name), ReadFile(std::string(QUARN_SOURCE_DIR "/sample/") + name));
  }
  // Runs the three texts and returns the explorer the run opened.
  ResultsExplorer* Run(bool batch = false) {
    window.ListFiles->setPlainText(Path("ca01.txt") + "\n" + Path("cf01.txt") + "\n" +
                                   Path("cn01.txt") + "\n");
    window.BatchFiles->setChecked(batch);
    if (!batch) window.engine().ResultsFileName = dir.File("sample_quarn.txt");
    return PressAndOpen();
  }
};

bool SameRows(const std::vector<quarn::WordRow>& a, const std::vector<quarn::WordRow>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].word != b[i].word || a[i].list != b[i].list || a[i].range != b[i].range ||
        a[i].freq != b[i].freq || a[i].familyFreq != b[i].familyFreq ||
        a[i].fileCounts != b[i].fileCounts)
      return false;
  }
  return true;
}

// The rows a table shows, as their row numbers in the results model.
std::vector<int> Shown(const RowTableModel* model) {
  std::vector<int> rows;
  for (int r = 0; r < model->rowCount(); ++r) rows.push_back(model->SourceRow(r));
  return rows;
}

}  // namespace

class ResultsExplorerTest : public QObject {
  Q_OBJECT
 private slots:
  void runOpensTheExplorerOverItsModel();
  void wordTablesSortAsTheModelOrdersRows();
  void filtersBySubstringWildcardAndList();
  void textsTabListsTheWordsInNoListOfTheSelectedText();
  void markedTextColoursWordsByList();
  void concordanceFindsEachWordAsOftenAsCounted();
  void htmlExportIsASelfContainedPage();
  void exportAndOpenOfASavedProfile();
  void exportWaitsForARunInItsFolder();
  void batchRunHasAReportPerText();
  void screenshots();
};

void ResultsExplorerTest::runOpensTheExplorerOverItsModel() {
  SampleRun f;
  ResultsExplorer* x = f.Run();
  QVERIFY(x != nullptr);
  QVERIFY(x->isVisible());
  QVERIFY(f.window.engine().run.keptResults.empty());  // taken by the explorer
  QCOMPARE(x->reportCount(), 1);
  QVERIFY(!x->reportChooser->isVisible());
  const quarn::ResultsModel& m = x->report()->model;
  QCOMPARE(m.texts.size(), size_t{3});
  QVERIFY(m.types.size() > 500);
  QCOMPARE(x->words.model->rowCount(), static_cast<int>(m.types.size()));
  QCOMPARE(x->familyTab.model->rowCount(), static_cast<int>(m.families.size()));
  QCOMPARE(x->summaryModel->rowCount(), static_cast<int>(m.summary.size()));
  QCOMPARE(x->textsModel->rowCount(), 3);
  // Cells show the model's values: word, list, frequency and per-file counts; coverage.
  for (int r : {0, 17, static_cast<int>(m.types.size()) - 1}) {
    const quarn::WordRow& w = m.types[static_cast<size_t>(r)];
    QCOMPARE(x->words.model->index(r, 0).data().toString(), WordText(w.word));
    QCOMPARE(x->words.model->index(r, 3).data().toLongLong(), static_cast<qlonglong>(w.freq));
    const int f2 = x->words.model->ColumnNamed("f2");
    QCOMPARE(x->words.model->index(r, f2).data().toInt(), w.fileCounts[1]);
  }
  const int coverage2 = x->textsModel->ColumnNamed("coverage_2");
  QCOMPARE(x->textsModel->index(1, coverage2).data().toString(),
           QString::fromStdString(m.texts[1].Coverage(2)));
  // The chart has the cumulative coverage and the two reference lines.
  QCOMPARE(x->coverageChart->chart()->series().size(), 4);
  QVERIFY(x->rangeChart->chart()->series().size() == 1);
  // A second run replaces what the same explorer shows.
  f.PressAndOpen();
  QCOMPARE(f.window.explorer(), x);
  QCOMPARE(x->reportCount(), 1);
}

void ResultsExplorerTest::wordTablesSortAsTheModelOrdersRows() {
  SampleRun f;
  ResultsExplorer* x = f.Run();
  const quarn::ResultsModel& m = x->report()->model;
  std::vector<int> identity(m.types.size());
  std::iota(identity.begin(), identity.end(), 0);
  QCOMPARE(Shown(x->words.model), identity);

  x->words.table->sortByColumn(x->words.model->ColumnNamed("freq"), Qt::DescendingOrder);
  std::vector<int> expected = identity;
  std::stable_sort(expected.begin(), expected.end(), [&m](int a, int b) {
    return m.types[static_cast<size_t>(a)].freq > m.types[static_cast<size_t>(b)].freq;
  });
  QCOMPARE(Shown(x->words.model), expected);

  x->words.table->sortByColumn(0, Qt::AscendingOrder);
  expected = identity;
  std::stable_sort(expected.begin(), expected.end(), [&m](int a, int b) {
    return m.types[static_cast<size_t>(a)].word < m.types[static_cast<size_t>(b)].word;
  });
  QCOMPARE(Shown(x->words.model), expected);

  x->familyTab.table->sortByColumn(x->familyTab.model->ColumnNamed("range"), Qt::AscendingOrder);
  std::vector<int> families(m.families.size());
  std::iota(families.begin(), families.end(), 0);
  std::stable_sort(families.begin(), families.end(), [&m](int a, int b) {
    return m.families[static_cast<size_t>(a)].range < m.families[static_cast<size_t>(b)].range;
  });
  QCOMPARE(Shown(x->familyTab.model), families);

  // Texts by coverage after list 1, most covered first.
  x->textsTable->sortByColumn(x->textsModel->ColumnNamed("coverage_1"), Qt::DescendingOrder);
  std::vector<int> texts = {0, 1, 2};
  std::stable_sort(texts.begin(), texts.end(), [&m](int a, int b) {
    return std::stod(m.texts[static_cast<size_t>(a)].Coverage(1)) >
           std::stod(m.texts[static_cast<size_t>(b)].Coverage(1));
  });
  QCOMPARE(Shown(x->textsModel), texts);
}

void ResultsExplorerTest::filtersBySubstringWildcardAndList() {
  SampleRun f;
  ResultsExplorer* x = f.Run();
  const quarn::ResultsModel& m = x->report()->model;
  auto expect = [&m](auto keep) {
    std::vector<int> rows;
    for (size_t r = 0; r < m.types.size(); ++r)
      if (keep(m.types[r])) rows.push_back(static_cast<int>(r));
    return rows;
  };
  x->words.filter->setText("ion");  // a substring, any letter case
  std::vector<int> rows = expect([](const quarn::WordRow& w) { return w.word.find("ION") != std::string::npos; });
  QVERIFY(rows.size() > 5);
  QCOMPARE(Shown(x->words.model), rows);

  x->words.filter->setText("t*e?");  // a whole-word pattern
  rows = expect([](const quarn::WordRow& w) {
    return w.word.size() >= 3 && w.word[0] == 'T' && w.word[w.word.size() - 2] == 'E';
  });
  QVERIFY(rows.size() > 2);
  QCOMPARE(Shown(x->words.model), rows);

  x->words.filter->clear();
  x->words.list->setCurrentIndex(x->words.list->findData(quarn::kNoListCode));
  rows = expect([](const quarn::WordRow& w) { return w.list == quarn::kNoListCode; });
  QVERIFY(!rows.empty());
  QCOMPARE(Shown(x->words.model), rows);
  x->words.filter->setText("s");
  rows = expect([](const quarn::WordRow& w) {
    return w.list == quarn::kNoListCode && w.word.find('S') != std::string::npos;
  });
  QCOMPARE(Shown(x->words.model), rows);
  QVERIFY(x->words.count->text().startsWith(QString::number(rows.size()) + " of "));

  x->familyTab.list->setCurrentIndex(x->familyTab.list->findData(2));
  for (int r : Shown(x->familyTab.model)) QCOMPARE(m.families[static_cast<size_t>(r)].list, 2);
  QVERIFY(x->familyTab.model->rowCount() > 0);
}

void ResultsExplorerTest::textsTabListsTheWordsInNoListOfTheSelectedText() {
  SampleRun f;
  ResultsExplorer* x = f.Run();
  const quarn::ResultsModel& m = x->report()->model;
  x->textsTable->selectRow(1);
  QVERIFY(uitest::WaitForReading(x));
  int expected = 0;
  for (const quarn::WordRow& w : m.types) expected += w.list == quarn::kNoListCode && w.fileCounts[1] > 0;
  QVERIFY(expected > 0);
  QCOMPARE(x->preteachModel->rowCount(), expected);
  int32_t previous = INT32_MAX;
  for (int r = 0; r < expected; ++r) {
    const int32_t freq = x->preteachModel->index(r, 1).data().toInt();
    QVERIFY(freq <= previous);  // most frequent first
    previous = freq;
  }
  x->copyPreteach->click();
  const QStringList copied = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  QCOMPARE(copied.size(), expected);
  QCOMPARE(copied[0], x->preteachModel->index(0, 0).data().toString() + "\t" +
                          x->preteachModel->index(0, 1).data().toString());
  // Double-clicking one shows its occurrences in all the texts.
  emit x->preteachTable->doubleClicked(x->preteachModel->index(0, 0));
  QVERIFY(uitest::WaitForReading(x));
  const std::string word = m.types[static_cast<size_t>(x->preteach->TypeRow(0))].word;
  const auto row = std::find_if(m.types.begin(), m.types.end(),
                                [&word](const quarn::WordRow& w) { return w.word == word; });
  QVERIFY(row != m.types.end());
  QCOMPARE(static_cast<int64_t>(x->context->lines().size()), row->freq);
}

void ResultsExplorerTest::markedTextColoursWordsByList() {
  quarn::testing::TempDir dir;
  WriteFile(dir.File("t.txt"), "# a comment\nThe old zebra and the quagga\n");
  ExplorerReport report;
  quarn::ResultsModel& m = report.model;
  m.run.texts = {{dir.File("t.txt"), 2, 5}};
  m.run.lists = {{1, "BASEWRD1.txt", true}, {2, "BASEWRD2.txt", true}};
  m.run.stopList = true;
  m.fileColumns = 1;
  m.types = {{"THE", 1, 1, 2, 0, {2}}, {"OLD", 2, 1, 1, 0, {1}}, {"ZEBRA", quarn::kNoListCode, 1, 1, 0, {1}}};
  ExplorerSource source;
  source.stopWords = {"AND"};
  std::vector<ExplorerReport> reports;
  reports.push_back(std::move(report));
  ResultsExplorer x;
  x.SetReports(std::move(reports), source);
  MarkedTextView* v = x.marked;
  QVERIFY(v->text->document()->isEmpty());  // read when first shown
  v->ShowText(0);
  QVERIFY(uitest::WaitForReading(&x));
  QCOMPARE(v->ListOf("THE"), 1);
  QCOMPARE(v->ListOf("OLD"), 2);
  QCOMPARE(v->ListOf("ZEBRA"), quarn::kNoListCode);
  QCOMPARE(v->ListOf("AND"), quarn::kStopListCode);
  QCOMPARE(v->ListOf("QUAGGA"), quarn::kNoListCode);  // in no list file, not a stop word
  // List 1 (the words learners know) is unmarked until its box in the legend is ticked.
  QCOMPARE(uitest::FormatOf(v->text, "The").background().style(), Qt::NoBrush);
  v->legend->findChild<QCheckBox*>("legend1")->setChecked(true);
  QCOMPARE(uitest::FormatOf(v->text, "The").background().color(), ListBackground(1));
  QCOMPARE(uitest::FormatOf(v->text, "old").background().color(), ListBackground(2));
  QVERIFY(uitest::FormatOf(v->text, "zebra").fontUnderline());
  QCOMPARE(uitest::FormatOf(v->text, "zebra").background().color(), ListBackground(quarn::kNoListCode));
  QCOMPARE(uitest::FormatOf(v->text, "and").foreground().color(), ListColour(quarn::kStopListCode));
  QVERIFY(!uitest::FormatOf(v->text, "the").fontUnderline());
  // The comment line is shown, uncoloured.
  QCOMPARE(uitest::FormatOf(v->text, "comment").background().style(), Qt::NoBrush);
  // The colours differ from list to list and are light enough for black text.
  QSet<QRgb> seen;
  for (int list : {1, 2, 3, 4, 5, 6}) {
    seen.insert(ListBackground(list).rgb());
    QVERIFY(ListBackground(list).lightness() > 120);
  }
  seen.insert(ListBackground(quarn::kNoListCode).rgb());
  QCOMPARE(seen.size(), 7);
  QVERIFY(v->legend->findChild<QCheckBox*>("legend1") != nullptr);
  QVERIFY(v->legend->findChild<QCheckBox*>("legend66") != nullptr);
  QVERIFY(v->WordTip("OLD").contains("List 2"));
  QVERIFY(v->WordTip("OLD").contains("Frequency: 1"));
  ExplorerReport again;
  again.model = x.report()->model;
  reports.clear();
  reports.push_back(std::move(again));
  x.SetReports(std::move(reports), ExplorerSource{});
  QCOMPARE(v->ListOf("QUAGGA"), quarn::kStopListCode);
  QCOMPARE(v->ListOf("ZEBRA"), quarn::kNoListCode);
}

void ResultsExplorerTest::concordanceFindsEachWordAsOftenAsCounted() {
  SampleRun f;
  ResultsExplorer* x = f.Run();
  const quarn::ResultsModel& m = x->report()->model;
  // Double-clicking words of the Words tab: as many lines as the word's frequency.
  x->words.table->sortByColumn(x->words.model->ColumnNamed("freq"), Qt::DescendingOrder);
  for (int r : {0, 1, 5, 40}) {
    const QModelIndex at = x->words.model->index(r, 0);
    emit x->words.table->doubleClicked(at);
    QVERIFY(uitest::WaitForReading(x));
    const quarn::WordRow& w = m.types[static_cast<size_t>(x->words.model->SourceRow(r))];
    QCOMPARE(static_cast<int64_t>(x->context->lines().size()), w.freq);
    QCOMPARE(x->tabs->currentWidget(), x->context);
  }
  // A family: the occurrences of all its words, as many as its words' frequencies together.
  size_t biggest = 0;
  for (size_t r = 0; r < m.families.size(); ++r) {
    if (m.families[r].familyFreq > m.families[biggest].familyFreq) biggest = r;
  }
  const quarn::WordRow& fam = m.families[biggest];
  QVERIFY(uitest::WaitForReading(x));  // the families, read when the report was shown
  QVERIFY(x->families() != nullptr);
  const std::vector<std::string>* members = x->families()->MembersOf(fam.list, fam.word);
  QVERIFY(members != nullptr);
  int64_t sum = 0;
  for (const quarn::WordRow& w : m.types) {
    if (std::find(members->begin(), members->end(), w.word) != members->end()) sum += w.freq;
  }
  x->ShowInContext(fam.word, true, fam.list);
  QVERIFY(uitest::WaitForReading(x));
  QCOMPARE(static_cast<int64_t>(x->context->lines().size()), sum);
  QCOMPARE(sum, fam.familyFreq);
  // Double-clicking a word of the marked text; hovering it tells its list and frequency.
  x->show();
  QVERIFY(QTest::qWaitForWindowExposed(x));
  x->tabs->setCurrentWidget(x->marked);
  QVERIFY(uitest::WaitForReading(x));
  QTextCursor jury = x->marked->text->document()->find("jury");
  QVERIFY(!jury.isNull());
  QTextCursor inside(x->marked->text->document());
  inside.setPosition(jury.selectionStart() + 2);
  const QPoint at = x->marked->text->cursorRect(inside).center();
  QWidget* viewport = x->marked->text->viewport();
  QHelpEvent hover(QEvent::ToolTip, at, viewport->mapToGlobal(at));
  QApplication::sendEvent(viewport, &hover);
  QVERIFY2(QToolTip::text().contains("Frequency: 18"), qPrintable(QToolTip::text()));
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
  QVERIFY(uitest::WaitForReading(x));
  QCOMPARE(x->tabs->currentWidget(), x->context);
  QCOMPARE(x->context->lines().size(), size_t{18});
  // Sorting by the right context orders the lines by what follows the word.
  x->context->sortRight->click();
  for (int r = 1; r < x->context->model()->rowCount(); ++r) {
    const auto& a = x->context->lines()[static_cast<size_t>(x->context->model()->SourceRow(r - 1))];
    const auto& b = x->context->lines()[static_cast<size_t>(x->context->model()->SourceRow(r))];
    QVERIFY(!quarn::ContextLess(b, a, 1));
  }
}

void ResultsExplorerTest::htmlExportIsASelfContainedPage() {
  SampleRun f;
  ResultsExplorer* x = f.Run();
  x->marked->chooser->setCurrentIndex(1);  // cf01.txt
  const QString path = f.Path("cf01.html");
  x->marked->chooseHtmlFile = [&path] { return path; };
  x->marked->exportHtml->click();
  QVERIFY(uitest::WaitForReading(x));  // the page is written once its text is read
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(file.readAll());
  QVERIFY(html.startsWith("<!DOCTYPE html>"));
  QVERIFY(html.contains("<meta charset=\"utf-8\">"));
  QVERIFY(html.contains("print-color-adjust:exact"));
  for (const char* legend : {"List 1", "List 2", "List 3", "Not in a list"}) QVERIFY(html.contains(legend));
  QVERIFY(html.contains(".l66{background-color:" + ListBackground(quarn::kNoListCode).name() +
                        ";color:#ffffff;text-decoration:underline;}"));
  // List 1 is shown unmarked, as on the screen; every word tells its list on hover.
  QVERIFY(html.contains("<span title=\"THE · List 1 · Family: THE · Frequency: "));
  QVERIFY(html.contains("<span class=\"l2\" title=\""));
  // Nothing is fetched from elsewhere.
  QVERIFY(!html.contains("src="));
  QVERIFY(!html.contains("<link"));
  QVERIFY(!html.contains("<script"));
}

// Export… takes the export folder's lock as a run does: while another run holds it, nothing is
// written there and no journal found there is undone (it may be that run's own).
void ResultsExplorerTest::exportWaitsForARunInItsFolder() {
  SampleRun f;
  ResultsExplorer* x = f.Run();
  const std::string folder = f.dir.File("export");
  QVERIFY(QDir().mkpath(uitest::Q(folder)));
  const std::string journal = folder + "/quarn-export.journal";
  WriteFile(journal, "a journal being written\n");
  bool busy = false;
  std::unique_ptr<quarn::FileSystem::FileLock> held;
  QVERIFY(quarn::FileSystem::Default()->TryLockFile(folder + "/quarn.lock", &busy, &held).ok());
  QVERIFY(held != nullptr);
  x->exportLockWaitMilliseconds = 100;
  x->chooseExport = [&folder](quarn::ExportOptions* o) {
    o->csv = true;
    o->folder = folder;
    return true;
  };
  x->exportButton->click();
  QCOMPARE(x->statusBar()->currentMessage(), "Another Quarn run is using " + uitest::Q(folder) + "/");
  QVERIFY(!QFile::exists(uitest::Q(folder + "/types.csv")));
  QCOMPARE(ReadFile(journal), std::string("a journal being written\n"));
  held.reset();
  QFile::remove(uitest::Q(journal));
  x->exportButton->click();
  QVERIFY(QFile::exists(uitest::Q(folder + "/types.csv")));
}

void ResultsExplorerTest::exportAndOpenOfASavedProfile() {
  SampleRun f;
  ResultsExplorer* x = f.Run();
  const quarn::ResultsModel before = x->report()->model;
  x->chooseExport = [&f](quarn::ExportOptions* o) {
    o->json = true;
    o->csv = true;
    o->folder = f.dir.File("export");
    return true;
  };
  x->exportButton->click();
  QVERIFY(QFile::exists(f.Path("export/profile.json")));
  QVERIFY(QFile::exists(f.Path("export/types.csv")));

  // Open results… in the main window reads it back: the same rows.
  f.window.chooseProfile = [&f](const QString&) { return f.Path("export/profile.json"); };
  f.window.openResultsAction->trigger();
  QVERIFY(f.script.boxes.isEmpty());
  const quarn::ResultsModel& after = x->report()->model;
  QVERIFY(SameRows(after.types, before.types));
  QVERIFY(SameRows(after.families, before.families));
  QCOMPARE(after.fileColumns, before.fileColumns);
  QCOMPARE(after.texts.size(), before.texts.size());
  for (size_t k = 0; k < after.texts.size(); ++k) {
    QCOMPARE(after.texts[k].file, before.texts[k].file);
    QCOMPARE(after.texts[k].tokens, before.texts[k].tokens);
    QCOMPARE(after.texts[k].listTokens, before.texts[k].listTokens);
    QCOMPARE(after.texts[k].noneTokens, before.texts[k].noneTokens);
  }
  QCOMPARE(after.summary.size(), before.summary.size());
  for (size_t k = 0; k < after.summary.size(); ++k) {
    QCOMPARE(after.summary[k].list, before.summary[k].list);
    QCOMPARE(after.summary[k].tokens, before.summary[k].tokens);
    QCOMPARE(quarn::PercentText(after.summary[k].tokens, after.summary[k].tokensWhole),
             quarn::PercentText(before.summary[k].tokens, before.summary[k].tokensWhole));
    QCOMPARE(after.summary[k].families, before.summary[k].families);
  }
  QCOMPARE(after.ranges.size(), before.ranges.size());
  QCOMPARE(after.run.texts.size(), before.run.texts.size());
  QCOMPARE(after.run.lists.size(), before.run.lists.size());
  QCOMPARE(x->words.model->rowCount(), static_cast<int>(before.types.size()));
  // The texts are read again from where the profile names them.
  x->ShowInContext("THE", false, 1);
  QVERIFY(uitest::WaitForReading(x));
  QVERIFY(x->context->lines().size() > 10);

  // Columns it does not know (added by a later version) are shown as they are.
  std::string json = ReadFile(f.dir.File("export/profile.json"));
  size_t at = 0;
  while ((at = json.find("{\"word\": ", at)) != std::string::npos) {
    json.insert(at + 1, "\"later\": 0.25, ");
    at += 10;
  }
  WriteFile(f.dir.File("extra.json"), json);
  QString error;
  QVERIFY2(x->OpenProfile(f.Path("extra.json"), &error), qPrintable(error));
  const int dp = x->words.model->ColumnNamed("later");
  QVERIFY(dp > 0);
  QCOMPARE(x->words.model->index(3, dp).data().toDouble(), 0.25);
  QVERIFY(SameRows(x->report()->model.types, before.types));

  // Anything but a profile is refused with a message.
  WriteFile(f.dir.File("bad.json"), "{\"format\": \"other\"}");
  QVERIFY(!x->OpenProfile(f.Path("bad.json"), &error));
  QVERIFY(error.contains("not a Quarn profile"));
}

void ResultsExplorerTest::batchRunHasAReportPerText() {
  SampleRun f;
  ResultsExplorer* x = f.Run(true);
  QVERIFY(x != nullptr);
  QCOMPARE(x->reportCount(), 3);
  QVERIFY(x->reportChooser->isVisibleTo(x));
  QCOMPARE(x->reportChooser->itemText(1), QString("cf01.txt"));
  x->reportChooser->setCurrentIndex(1);
  QCOMPARE(x->report()->model.run.texts.size(), size_t{1});
  QVERIFY(x->report()->model.run.texts[0].file.ends_with("cf01.txt"));
  QCOMPARE(x->textsModel->rowCount(), 1);
  QCOMPARE(x->words.model->rowCount(), static_cast<int>(x->report()->model.types.size()));
}

void ResultsExplorerTest::screenshots() {
  SampleRun f;
  ResultsExplorer* x = f.Run();
  x->resize(1100, 720);
  x->show();
  QVERIFY(QTest::qWaitForWindowExposed(x));
  x->textsTable->selectRow(0);
  x->words.table->sortByColumn(x->words.model->ColumnNamed("freq"), Qt::DescendingOrder);
  x->familyTab.table->sortByColumn(x->familyTab.model->ColumnNamed("family_freq"), Qt::DescendingOrder);
  const char* names[] = {"explorer_summary.png", "explorer_texts.png", "explorer_words.png",
                         "explorer_families.png", "explorer_ranges.png", "explorer_marked.png",
                         "explorer_context.png"};
  for (int t = 0; t < x->tabs->count(); ++t) {
    if (x->tabs->widget(t) == x->context) {
      x->ShowInContext("JURY", false, 0);
      QVERIFY(uitest::WaitForReading(x));
      x->context->sortLeft->click();
    }
    x->tabs->setCurrentIndex(t);
    QVERIFY(uitest::WaitForReading(x));
    QTest::qWait(50);
    uitest::SaveShot(*x, names[t]);
  }
}

QTEST_MAIN(ResultsExplorerTest)
#include "ResultsExplorerTest.moc"
