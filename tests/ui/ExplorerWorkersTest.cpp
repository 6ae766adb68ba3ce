// The explorer reads texts on workers: while a text is slow to read (its file system holds the
// read until the test lets it go), the window goes on, shows the search's progress and can cancel
// it, a later choice of text wins over an earlier one, and closing the window or showing a new
// run's reports meanwhile neither crashes nor shows what was read for what is gone.
#include <QPointer>
#include <QStandardPaths>
#include <QTextDocument>
#include <QtTest/QtTest>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "FaultFileSystem.h"
#include "ResultsExplorer.h"
#include "TempDir.h"
#include "UiTestSupport.h"

using quarn::testing::WriteFile;

namespace {

// Holds the reads that wait on it until it is opened; at most ten seconds, so that a window that
// waited for such a read itself fails the test rather than hanging it.
class Gate {
 public:
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiting_;
    opened_.wait_for(lock, std::chrono::seconds(10), [this] { return open_; });
    --waiting_;
  }
  void Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
  }
  int waiting() {
    std::lock_guard<std::mutex> lock(mutex_);
    return waiting_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
  int waiting_ = 0;
};

const char kFastText[] = "The node of Atlanta.\nA node again.\n";
const char kSlowText[] = "Zorbs at the node.\n";

// A report over two texts, the second of which reads through the gate.
struct SlowSecondText {
  SlowSecondText() {
    WriteFile(dir.File("a.txt"), kFastText);
    WriteFile(dir.File("slow.txt"), kSlowText);
    fault.BeforeRead("slow.txt", [this] { gate.Wait(); });
  }
  std::vector<ExplorerReport> Reports() const {
    ExplorerReport report;
    quarn::ResultsModel& m = report.model;
    m.run.texts = {{dir.File("a.txt"), 2, 7}, {dir.File("slow.txt"), 1, 4}};
    m.texts.resize(2);
    m.texts[0].file = dir.File("a.txt");
    m.texts[1].file = dir.File("slow.txt");
    m.fileColumns = 2;
    m.types = {{"NODE", quarn::kNoListCode, 2, 3, 0, {2, 1}},
               {"ATLANTA", quarn::kNoListCode, 1, 1, 0, {1, 0}},
               {"ZORBS", quarn::kNoListCode, 1, 1, 0, {0, 1}}};
    std::vector<ExplorerReport> reports;
    reports.push_back(std::move(report));
    return reports;
  }
  // The words to pre-teach as shown.
  static QStringList Preteach(const ResultsExplorer& x) {
    QStringList words;
    for (int r = 0; r < x.preteach->model->rowCount(); ++r)
      words << x.preteach->model->index(r, 0).data().toString();
    return words;
  }

  quarn::testing::TempDir dir;
  Gate gate;
  quarn::testing::FaultFileSystem fault;
};

}  // namespace

class ExplorerWorkersTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void searchGoesOnWhileTheWindowAnswers();
  void cancelledSearchShowsNoRows();
  void laterTextChosenWins();
  void closingTheExplorerDuringReads();
  void familiesAreReadInTheBackground();
};

// The search returns at once; its progress shows the fast text searched while the slow one is
// held; the rows come when it ends.
void ExplorerWorkersTest::searchGoesOnWhileTheWindowAnswers() {
  SlowSecondText f;
  ResultsExplorer x(nullptr, &f.fault);
  x.SetReports(f.Reports(), ExplorerSource{});
  x.show();
  QVERIFY(QTest::qWaitForWindowExposed(&x));
  QElapsedTimer clock;
  clock.start();
  x.ShowInContext("NODE", false, 0);
  QVERIFY2(clock.elapsed() < 2000, "the search held the window");
  ConcordanceView* c = x.context;
  QVERIFY(c->searching());
  QCOMPARE(x.tabs->currentWidget(), c);
  QTRY_COMPARE(f.gate.waiting(), 1);
  QTRY_COMPARE(c->progress->value(), 500);  // one text of two searched
  QVERIFY(c->progress->isVisible() && c->cancel->isVisible());
  QVERIFY(c->heading->text().contains("searching 2 texts"));
  QCOMPARE(c->model()->rowCount(), 0);
  // Another tab can be chosen meanwhile.
  x.tabs->setCurrentWidget(x.marked);
  QTRY_VERIFY(!x.marked->reading());
  QVERIFY(x.marked->text->toPlainText().startsWith("The node of Atlanta."));
  f.gate.Open();
  QTRY_VERIFY(!c->searching());
  QCOMPARE(c->model()->rowCount(), 3);
  QVERIFY(c->heading->text().contains("3 occurrences"));
  QVERIFY(c->progress->isHidden() && c->cancel->isHidden());
}

// A new search clears the rows of the one before; Cancel leaves none and says so, and what the
// cancelled search still read is dropped.
void ExplorerWorkersTest::cancelledSearchShowsNoRows() {
  SlowSecondText f;
  ResultsExplorer x(nullptr, &f.fault);
  x.SetReports(f.Reports(), ExplorerSource{});
  f.gate.Open();
  x.ShowInContext("NODE", false, 0);
  QVERIFY(uitest::WaitForReading(&x));
  QCOMPARE(x.context->model()->rowCount(), 3);

  f.gate.Close();
  x.ShowInContext("ATLANTA", false, 0);
  QCOMPARE(x.context->model()->rowCount(), 0);
  QVERIFY(x.context->lines().empty());
  QTRY_COMPARE(f.gate.waiting(), 1);
  x.context->cancel->click();
  QVERIFY(!x.context->searching());
  QVERIFY2(x.context->heading->text().contains("cancelled"),
           qPrintable(x.context->heading->text()));
  QVERIFY(x.context->cancel->isHidden());
  f.gate.Open();
  QTRY_COMPARE(f.gate.waiting(), 0);
  QTest::qWait(300);  // the search ends and its result arrives
  QCOMPARE(x.context->model()->rowCount(), 0);
  QVERIFY(x.context->heading->text().contains("cancelled"));
}

// The marked text and the words to pre-teach show the text chosen last, not the slow one chosen
// before it; and no earlier text stands in view as the one being read.
void ExplorerWorkersTest::laterTextChosenWins() {
  SlowSecondText f;
  ResultsExplorer x(nullptr, &f.fault);
  x.SetReports(f.Reports(), ExplorerSource{});
  x.show();
  x.tabs->setCurrentWidget(x.marked);
  QVERIFY(uitest::WaitForReading(&x));
  MarkedTextView* v = x.marked;
  QVERIFY(v->text->toPlainText().startsWith("The node"));
  v->chooser->setCurrentIndex(1);
  QVERIFY(v->reading());
  QCOMPARE(v->status->text(), QString("Reading slow.txt…"));
  QVERIFY(v->text->toPlainText().isEmpty());
  QTRY_COMPARE(f.gate.waiting(), 1);
  v->chooser->setCurrentIndex(0);
  QTRY_VERIFY(!v->reading());
  QCOMPARE(v->text->toPlainText() + "\n", QString(kFastText));

  // The written forms for the words to pre-teach likewise.
  x.textsTable->selectRow(1);
  QVERIFY(x.preteach->reading());
  x.textsTable->selectRow(0);
  QTRY_VERIFY(!x.preteach->reading());
  QCOMPARE(SlowSecondText::Preteach(x), QStringList({"node", "Atlanta"}));

  f.gate.Open();
  QTRY_COMPARE(f.gate.waiting(), 0);
  QTest::qWait(300);  // the slow reads end and their results arrive
  QCOMPARE(v->text->toPlainText() + "\n", QString(kFastText));
  QVERIFY(v->status->text().isEmpty());
  QCOMPARE(SlowSecondText::Preteach(x), QStringList({"node", "Atlanta"}));
}

// Reports replaced and the window closed while three reads are held: nothing read for what is
// gone is shown or touched (run under the address sanitizer to see the latter).
void ExplorerWorkersTest::closingTheExplorerDuringReads() {
  SlowSecondText f;
  auto* x = new ResultsExplorer(nullptr, &f.fault);
  x->setAttribute(Qt::WA_DeleteOnClose);
  QPointer<ResultsExplorer> alive(x);
  x->SetReports(f.Reports(), ExplorerSource{});
  x->show();
  x->tabs->setCurrentWidget(x->marked);
  QVERIFY(uitest::WaitForReading(x));
  x->marked->chooser->setCurrentIndex(1);
  x->textsTable->selectRow(1);
  x->ShowInContext("NODE", false, 0);
  QTRY_COMPARE(f.gate.waiting(), 3);

  // A new run's reports: the old ones are freed while their texts are still being read.
  auto reports = f.Reports();
  reports[0].model.run.texts.erase(reports[0].model.run.texts.begin() + 1);
  reports[0].model.texts.erase(reports[0].model.texts.begin() + 1);
  x->SetReports(std::move(reports), ExplorerSource{});
  QVERIFY(x->context->heading->text().contains("cancelled"));
  x->tabs->setCurrentWidget(x->marked);
  QVERIFY(uitest::WaitForReading(x));
  QCOMPARE(x->marked->chooser->count(), 1);
  QVERIFY(x->marked->text->toPlainText().startsWith("The node"));

  // Closing while they are held: the window goes once the reads give up.
  x->close();
  std::thread opener([&f] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    f.gate.Open();
  });
  QTRY_VERIFY(alive.isNull());
  opener.join();
  QCOMPARE(f.gate.waiting(), 0);
}

// The baseword files are read on a worker too: the report shows at once, and an HTML page asked
// for meanwhile is written, with the words' families, once they are known.
void ExplorerWorkersTest::familiesAreReadInTheBackground() {
  SlowSecondText f;
  WriteFile(f.dir.File("BASEWRD1.txt"), "node 0\n");
  f.fault.BeforeRead("BASEWRD1", [&f] { f.gate.Wait(); });
  ExplorerSource source;
  source.listFolder = f.dir.path();
  source.listCount = 1;
  ResultsExplorer x(nullptr, &f.fault);
  QElapsedTimer clock;
  clock.start();
  x.SetReports(f.Reports(), source);
  QVERIFY(x.families() == nullptr);
  QVERIFY2(clock.elapsed() < 2000, "the baseword files held the window");
  QTRY_COMPARE(f.gate.waiting(), 1);
  x.marked->ShowText(0);
  QTRY_VERIFY(!x.marked->reading());
  QVERIFY(!x.marked->WordTip("NODE").contains("Family"));
  const QString page = uitest::Q(f.dir.File("page.html"));
  x.marked->chooseHtmlFile = [&page] { return page; };
  x.marked->exportHtml->click();
  QVERIFY(!QFile::exists(page));
  f.gate.Open();
  QTRY_VERIFY(QFile::exists(page));
  QVERIFY(x.families() != nullptr && x.families()->MembersOf(1, "NODE") != nullptr);
  QVERIFY(QString::fromStdString(quarn::testing::ReadFile(f.dir.File("page.html")))
              .contains("Family: NODE"));
  QVERIFY(x.marked->WordTip("NODE").contains("Family: NODE"));
}

QTEST_MAIN(ExplorerWorkersTest)
#include "ExplorerWorkersTest.moc"
