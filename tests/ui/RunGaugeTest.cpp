// The status bar's view of a run: a share that never goes back, and the words shown.
#include <QtTest/QtTest>

#include "RunGauge.h"

using Phase = quarn::RunProgress::Phase;

namespace {

quarn::RunProgress At(Phase phase, int file, int files, quint64 read, quint64 total) {
  quarn::RunProgress p;
  p.phase = phase;
  p.file = file;
  p.files = files;
  p.bytesRead = read;
  p.bytesTotal = total;
  return p;
}

}  // namespace

class RunGaugeTest : public QObject {
  Q_OBJECT

 private slots:
  // Through the phases of one report the share grows; a batch run, whose every file has its
  // report, is measured by the bytes read and never falls back when the next file's scan begins.
  void shareNeverGoesBack() {
    for (bool batch : {false, true}) {
      RunGauge gauge;
      gauge.Start(batch);
      const quarn::RunProgress steps[] = {
          At(Phase::kScanning, 1, 2, 0, 4000),       At(Phase::kScanning, 1, 2, 1000, 4000),
          At(Phase::kLoadingLists, 0, 0, 2000, 4000), At(Phase::kMarking, 1, 2, 2000, 4000),
          At(Phase::kMarking, 2, 2, 2000, 4000),      At(Phase::kSorting, 0, 0, 2000, 4000),
          At(Phase::kWritingReport, 0, 0, 2000, 4000), At(Phase::kScanning, 2, 2, 2000, 4000),
          At(Phase::kScanning, 2, 2, 3000, 4000),     At(Phase::kWritingReport, 0, 0, 4000, 4000)};
      double before = 0;
      for (const quarn::RunProgress& p : steps) {
        const double done = gauge.Update(p);
        QVERIFY2(done >= before, batch ? "batch" : "one report");
        QVERIFY(done <= 1.0);
        before = done;
      }
      QVERIFY(before > 0.9);
    }
    // Without sizes the scan goes by files: starting file 3 of 4 is half way, as 2 of 4 bytes.
    QCOMPARE(RunGauge::Share(At(Phase::kScanning, 3, 4, 0, 0), false),
             RunGauge::Share(At(Phase::kScanning, 1, 4, 2, 4), false));
  }

  // While scanning, the bar follows the bytes read that the text beside it gives: at 444.8 of
  // 454.7 MB it is near the end, not two thirds of the way.
  void scanFollowsTheBytesRead() {
    RunGauge gauge;
    gauge.Start(false);
    const quint64 total = 476788736;  // 454.7 MB
    const quint64 read = 466409062;   // 444.8 MB
    const double done = gauge.Update(At(Phase::kScanning, 50, 50, read, total));
    QVERIFY2(done >= 0.94 && done <= static_cast<double>(read) / total, qPrintable(QString::number(done)));
    QVERIFY(gauge.Text(1000).contains("444.8 of 454.7 MB"));
    QCOMPARE(RunGauge::Share(At(Phase::kScanning, 1, 2, 1000, 4000), false), 0.25 * 0.97);
  }

  void textNamesThePhaseFiguresAndTime() {
    RunGauge gauge;
    gauge.Start(false);
    gauge.Update(At(Phase::kScanning, 2, 5, 3 * 1048576 / 2, 7 * 1048576 / 2));
    QCOMPARE(gauge.Text(500), QString("Scanning file 2 of 5, 1.5 of 3.5 MB, 0:00 so far"));
    // While scanning the share is about that of the bytes read: 3/7 of 0.97 after 30 s, 42 s
    // to go.
    QCOMPARE(gauge.Text(30000), QString("Scanning file 2 of 5, 1.5 of 3.5 MB, 0:30 so far, "
                                        "about 0:42 left"));
    gauge.Update(At(Phase::kWritingReport, 0, 0, 2048, 4096));
    QVERIFY(gauge.Text(1000).startsWith("Writing the report, 2 of 4 KB"));
  }
};

QTEST_MAIN(RunGaugeTest)
#include "RunGaugeTest.moc"
