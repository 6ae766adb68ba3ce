// The explorer's data: a run over more texts than file columns shows every text's words, the
// exports of an opened profile are those it was read from, and no profile file can crash or
// freeze the window (those cases run in a child process under a time limit).
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QGraphicsTextItem>
#include <QProcess>
#include <QStatusBar>
#include <QtTest/QtTest>
#include <sys/stat.h>

#include <string>

#include "ResultsExplorer.h"
#include "FaultFileSystem.h"
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

const char* const kLists[] = {"BASEWRD1.txt", "BASEWRD2.txt", "BASEWRD3.txt"};

// A main window over the sample lists and `texts` small texts, each with a word of its own
// that is in no list ("zqx<k>", k % 7 + 1 times) besides common words. With spread, text k also
// has "spr<j>" for every j from 2 to 40 dividing k, so that ranges of every size occur.
struct ManyTexts : uitest::Fixture {
  explicit ManyTexts(int texts, bool spread = false) {
    for (const char* name : kLists)
      WriteFile(dir.File(name), ReadFile(std::string(QUARN_SOURCE_DIR "/sample/") + name));
    QString listed;
    for (int k = 0; k < texts; ++k) {
      std::string text = "The jury said the city was good. ";
      for (int n = 0; n <= k % 7; ++n) text += "zqx" + std::to_string(k) + " ";
      for (int j = 2; spread && j <= 40; ++j)
        if (k % j == 0) text += "spr" + std::to_string(j) + " ";
      text += "Blorp and the court.\n";
      const std::string name = "t" + std::to_string(1000 + k) + ".txt";
      WriteFile(dir.File(name), text);
      listed += Path(name) + "\n";
    }
    window.ListFiles->setPlainText(listed);
    window.engine().ResultsFileName = dir.File("many_quarn.txt");
  }
  ResultsExplorer* Run() { return PressAndOpen(); }
};

// Runs this program's test function `name` in a child process with the folder given, and
// fails when it does not end well within seconds.
void RunChild(const char* name, const QString& folder, int seconds) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QUARN_HOSTILE_DIR", folder);
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(), {name});
  QVERIFY(child.waitForStarted());
  const bool ended = child.waitForFinished(seconds * 1000);
  if (!ended) child.kill(), child.waitForFinished();
  QVERIFY2(ended, qPrintable(QString(name) + " did not end within " + QString::number(seconds) + " s"));
  QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
           qPrintable(QString(name) + " failed:\n" + child.readAll()));
}

// The Ranges chart of x over m: the labels under the bars cover the texts 1..texts in order,
// each written out in full, and each bar counts the types or families of the range table whose
// range its label names. Returns the number of bars.
int ExpectRangeChartReadable(ResultsExplorer* x, const quarn::ResultsModel& m, int texts) {
  QChart* chart = x->rangeChart->chart();
  const QList<QAbstractAxis*> axes = chart->axes(Qt::Horizontal);
  auto* axis = axes.size() == 1 ? qobject_cast<QBarCategoryAxis*>(axes[0]) : nullptr;
  auto* series = qobject_cast<QBarSeries*>(chart->series().value(0));
  if (axis == nullptr || series == nullptr || series->barSets().size() != 2) {
    qWarning("the range chart has not one category axis and two bar sets");
    return -1;
  }
  const QBarSet* types = series->barSets()[0];
  const QBarSet* families = series->barSets()[1];
  // The texts under the plot area, as the chart draws them.
  const QRectF plot = chart->mapRectToScene(chart->plotArea());
  QStringList drawn;
  for (QGraphicsItem* item : x->rangeChart->scene()->items()) {
    auto* text = dynamic_cast<QGraphicsTextItem*>(item);
    if (text != nullptr && text->isVisible() &&
        text->sceneBoundingRect().center().y() > plot.bottom() + 3)
      drawn << text->toPlainText();
  }
  int next = 1;
  double typeTotal = 0;
  for (int b = 0; b < axis->count(); ++b) {
    const QString label = axis->at(b);
    const QStringList ends = label.split(u'–');
    const int first = ends.front().toInt(), last = ends.back().toInt();
    if (!drawn.contains(label) || first != next || last < first ||
        types->count() != axis->count()) {
      qWarning() << "bar" << b << label << "not drawn in full or out of order; drawn:" << drawn;
      return -1;
    }
    next = last + 1;
    double t = 0, f = 0;
    for (const quarn::RangeRow& r : m.ranges)
      if (r.files >= first && r.files <= last) (r.family ? f : t) += static_cast<double>(r.count);
    if (types->at(b) != t || families->at(b) != f) {
      qWarning() << "bar" << label << "counts" << types->at(b) << families->at(b) << "instead of"
                 << t << f;
      return -1;
    }
    typeTotal += types->at(b);
  }
  if (next != texts + 1 || typeTotal != static_cast<double>(m.types.size())) {
    qWarning() << "the bars end at" << next - 1 << "and count" << typeTotal << "types";
    return -1;
  }
  return axis->count();
}

}  // namespace

class ExplorerDataTest : public QObject {
  Q_OBJECT
 private slots:
  void moreTextsThanFileColumns();
  void rangeChartLabelsFitOverManyTexts();
  void reExportOfAnOpenedProfileIsTheSame();
  void hostileProfilesNeitherCrashNorFreeze();
  void filesGoThroughTheWindowsFileSystemAndModelsKeepTheirRows();
  void textsAreCutAsTheRunCutThem();
  // Run by the test above in a child process only.
  void hostileChild();
};

void ExplorerDataTest::moreTextsThanFileColumns() {
  ManyTexts f(70);
  ResultsExplorer* x = f.Run();
  QVERIFY(x != nullptr);
  const quarn::ResultsModel& m = x->report()->model;
  QCOMPARE(m.texts.size(), size_t{70});
  QCOMPARE(m.fileColumns, 0);
  // Every text's words in no list, by its own counts: they add up to its tokens_none.
  for (const int k : {0, 1, 64, 69}) {
    x->textsTable->selectRow(k);
    QVERIFY(uitest::WaitForReading(x));
    const int text = x->textsModel->SourceRow(k);
    int64_t sum = 0;
    bool own = false;
    for (int r = 0; r < x->preteachModel->rowCount(); ++r) {
      sum += x->preteachModel->index(r, 1).data().toLongLong();
      // The word as the text writes it is shown; its row names it as counted.
      const std::string& word = m.types[static_cast<size_t>(x->preteach->TypeRow(r))].word;
      if (QString::fromStdString(word) == "ZQX" + QString::number(text))
        own = x->preteachModel->index(r, 1).data().toInt() == text % 7 + 1;
    }
    QVERIFY(m.texts[static_cast<size_t>(text)].noneTokens > 0);
    QCOMPARE(sum, m.texts[static_cast<size_t>(text)].noneTokens);
    QVERIFY2(own, qPrintable("text " + QString::number(text)));
  }
  // The range chart counts every type and family of the range table, over all the texts.
  const RangeBars bars(m);
  QCOMPARE(bars.texts, 70);
  QVERIFY(bars.types.size() > 1);
  double types = 0, tableTypes = 0;
  for (const double v : bars.types) types += v;
  for (const quarn::RangeRow& r : m.ranges) tableTypes += r.family ? 0 : static_cast<double>(r.count);
  QCOMPARE(types, tableTypes);
  QCOMPARE(bars.types[0], static_cast<double>(m.ranges.front().count));  // the words of one text
  QVERIFY(bars.types.back() > 0);  // THE, in all 70
  x->resize(1100, 720);
  x->show();
  QVERIFY(QTest::qWaitForWindowExposed(x));
  x->textsTable->selectRow(0);
  for (const char* shot : {"explorer_texts_70.png", "explorer_ranges_70.png"}) {
    x->tabs->setCurrentIndex(QString(shot).contains("texts") ? 1 : 4);
    QTest::qWait(50);
    uitest::SaveShot(*x, shot);
  }
  // The chart groups its bars again after a layout: wait for that under a slow machine's load.
  QTRY_VERIFY(ExpectRangeChartReadable(x, m, 70) > 1);
}

void ExplorerDataTest::rangeChartLabelsFitOverManyTexts() {
  ManyTexts f(300, true);
  ResultsExplorer* x = f.Run();
  QVERIFY(x != nullptr);
  const quarn::ResultsModel& m = x->report()->model;
  QCOMPARE(m.texts.size(), size_t{300});
  x->tabs->setCurrentIndex(4);
  x->resize(1100, 720);
  x->show();
  QVERIFY(QTest::qWaitForWindowExposed(x));
  QTest::qWait(50);
  int wide = 0;
  QTRY_VERIFY((wide = ExpectRangeChartReadable(x, m, 300)) >= 10);  // more than a handful of bars
  uitest::SaveShot(*x, "explorer_ranges_300.png");
  // Narrower, the bars are grouped again so that their labels still fit; wider, they part again.
  QMap<int, int> bars;
  for (const int width : {640, 820, 1400, 1100}) {
    x->resize(width, 720);
    QTest::qWait(50);
    QCOMPARE(x->width(), width);
    QTRY_VERIFY2((bars[width] = ExpectRangeChartReadable(x, m, 300)) > 1,
                 qPrintable(QString::number(width)));
    if (width == 640) uitest::SaveShot(*x, "explorer_ranges_300_narrow.png");
  }
  QVERIFY(bars[640] < wide);
  QVERIFY(bars[640] <= bars[820] && bars[820] <= wide && wide <= bars[1400]);
  QCOMPARE(bars[1100], wide);
}

void ExplorerDataTest::reExportOfAnOpenedProfileIsTheSame() {
  for (const int texts : {3, 66}) {
    ManyTexts f(texts);
    ResultsExplorer* x = f.Run();
    QVERIFY(x != nullptr);
    auto exportInto = [&](const char* folder) {
      x->chooseExport = [&f, folder](quarn::ExportOptions* o) {
        o->csv = o->tsv = o->json = true;
        o->folder = f.dir.File(folder);
        return true;
      };
      x->exportButton->click();
    };
    exportInto("first");
    QString error;
    QVERIFY2(x->OpenProfile(f.Path("first/profile.json"), &error), qPrintable(error));
    exportInto("again");
    const QStringList files = QDir(f.Path("first")).entryList(QDir::Files, QDir::Name);
    QCOMPARE(QDir(f.Path("again")).entryList(QDir::Files, QDir::Name), files);
    QVERIFY(files.contains("profile.json") && files.contains("types.csv"));
    QCOMPARE(files.contains("type_counts.csv"), texts > quarn::kMaxInputFiles);
    for (const QString& name : files) {
      QVERIFY2(ReadFile(f.dir.File("first/" + name.toStdString())) ==
                   ReadFile(f.dir.File("again/" + name.toStdString())),
               qPrintable(name + " differs"));
    }
    // The dispersion is there to compare: not all zero.
    const std::string types = ReadFile(f.dir.File("again/types.csv"));
    QVERIFY(types.find(",0.") != std::string::npos);
    // How the run cut its texts comes back too.
    QCOMPARE(x->report()->model.run.charClasses.size(), size_t{256});
    QCOMPARE(x->report()->model.run.charClasses['A'], uint8_t{2});
  }
}

void ExplorerDataTest::filesGoThroughTheWindowsFileSystemAndModelsKeepTheirRows() {
  ManyTexts f(3);
  ResultsExplorer* x = f.Run();
  QVERIFY(x != nullptr);
  x->chooseExport = [&f](quarn::ExportOptions* o) {
    o->json = true;
    o->folder = f.dir.File("saved");
    return true;
  };
  x->exportButton->click();
  QVERIFY(QFile::exists(f.Path("saved/profile.json")));

  quarn::testing::FaultFileSystem fault;
  ResultsExplorer y(nullptr, &fault);
  QString error;
  QVERIFY2(y.OpenProfile(f.Path("saved/profile.json"), &error), qPrintable(error));
  fault.FailCreate("blocked");
  y.chooseExport = [&f](quarn::ExportOptions* o) {
    o->csv = true;
    o->folder = f.dir.File("blocked");
    return true;
  };
  y.exportButton->click();
  QVERIFY(!QFile::exists(f.Path("blocked/types.csv")));
  QVERIFY(!y.statusBar()->currentMessage().startsWith("Exported"));

  // The marked text reads its text through the window's file system too: a text that vanishes
  // there is reported, not read from the disk behind it.
  const std::string text0 = y.report()->model.run.texts[0].file;
  fault.VanishOnOpen(text0);
  y.marked->ShowText(0);
  QVERIFY(uitest::WaitForReading(&y));
  QVERIFY2(y.marked->status->text().contains("No such file"), qPrintable(y.marked->status->text()));
  QVERIFY(y.marked->text->toPlainText().isEmpty());

  // The tables keep the report they show until they are given another.
  const QString first = y.words.model->index(0, 0).data().toString();
  QVERIFY(!first.isEmpty());
  y.SetReports({}, ExplorerSource());
  QCOMPARE(y.words.model->index(0, 0).data().toString(), first);
}

void ExplorerDataTest::hostileProfilesNeitherCrashNorFreeze() {
  quarn::testing::TempDir dir;
  // The first type row has keys f1..f200000; 20,000 empty rows follow.
  std::string wide = "{\"format\": \"quarn-profile\", \"version\": 1, \"run\": {\"texts\": [{\"file\": \"a.txt\"}]},\n\"types\": [{\"word\": \"A\"";
  for (int k = 1; k <= 200000; ++k) wide += ", \"f" + std::to_string(k) + "\": 1";
  for (int k = 1; k <= 200; ++k) wide += ", \"g" + std::to_string(k) + "\": 1";
  wide += "}";
  for (int r = 0; r < 20000; ++r) wide += ",\n{}";
  wide += "]}\n";
  WriteFile(dir.File("wide.json"), wide);
  // Texts that are a device and a pipe.
  const std::string fifo = dir.File("pipe.txt");
  QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
  WriteFile(dir.File("devices.json"),
            "{\"format\": \"quarn-profile\", \"version\": 1, \"run\": {\"texts\": [{\"file\": \"/dev/zero\"}, "
            "{\"file\": \"" + fifo + "\"}]}, \"types\": [{\"word\": \"THE\", \"list\": 1, \"range\": 1, \"freq\": 1}]}\n");
  // 300,000 texts and no word rows.
  std::string many = "{\"format\": \"quarn-profile\", \"version\": 1, \"run\": {\"texts\": [";
  for (int k = 0; k < 300000; ++k) many += std::string(k ? "," : "") + "{\"file\": \"t" + std::to_string(k) + "\"}";
  many += "]}, \"ranges\": [{\"unit\": \"type\", \"files\": 250000, \"count\": 3}], \"texts\": [";
  for (int k = 0; k < 300000; ++k) many += std::string(k ? "," : "") + "{\"file\": \"t" + std::to_string(k) + "\", \"tokens\": 1}";
  many += "]}\n";
  WriteFile(dir.File("many.json"), many);
  RunChild("hostileChild", Q(dir.path()), 60);
}

void ExplorerDataTest::hostileChild() {
  const QString folder = qEnvironmentVariable("QUARN_HOSTILE_DIR");
  if (folder.isEmpty()) QSKIP("run by hostileProfilesNeitherCrashNorFreeze");
  ResultsExplorer x;
  x.resize(900, 600);
  x.show();
  QString error;
  QVERIFY2(x.OpenProfile(folder + "/wide.json", &error), qPrintable(error));
  QCOMPARE(x.report()->model.fileColumns, 1);
  QCOMPARE(x.report()->model.types.size(), size_t{20001});
  QVERIFY(x.words.model->columnCount() < 100);

  QVERIFY2(x.OpenProfile(folder + "/devices.json", &error), qPrintable(error));
  x.tabs->setCurrentWidget(x.marked);
  x.marked->ShowText(0);
  x.marked->ShowText(1);
  x.ShowInContext("THE", false, 1);
  QTest::qWait(20);
  QVERIFY(x.context->lines().empty());

  QVERIFY2(x.OpenProfile(folder + "/many.json", &error), qPrintable(error));
  QCOMPARE(x.report()->model.texts.size(), size_t{300000});
  QCOMPARE(x.report()->model.fileColumns, 0);
  for (int t = 0; t < x.tabs->count(); ++t) {
    x.tabs->setCurrentIndex(t);
    QTest::qWait(10);
  }
}

// The explorer shown after a run finds words in context with the character table the run used,
// not with quarn.txt as it stands when the explorer reads the texts.
void ExplorerDataTest::textsAreCutAsTheRunCutThem() {
  ManyTexts f(1);
  ResultsExplorer* x = f.Run();
  QVERIFY(x != nullptr);
  std::vector<quarn::ResultsModel> kept{x->report()->model};
  // Only A a letter from now on: ZQX0 would be no word at all.
  WriteFile(f.dir.File("quarn.txt"), "A 1\n");
  QPointer<ResultsExplorer> shown(x);
  ShowRunInExplorer(f.window.engine(), f.window.ChosenOptions(), std::move(kept), shown, nullptr);
  x->ShowInContext("ZQX0", false, 0);
  QVERIFY(uitest::WaitForReading(x));
  QCOMPARE(x->context->model()->rowCount(), 1);
}

QTEST_MAIN(ExplorerDataTest)
#include "ExplorerDataTest.moc"
