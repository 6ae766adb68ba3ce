// The main window: controls, rules, menu commands and a whole run, without any dialog waiting.
#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QStatusBar>
#include <QMimeData>
#include <QTextBrowser>
#include <QThread>
#include <QUrl>
#include <QtTest/QtTest>
#include <memory>
#include <string>

#include "HelpWindow.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "MainScreen.h"
#include "state/Engine.h"
#include "run/Choices.h"
#include "state/Messages.h"

using quarn::testing::ReadFile;
using quarn::testing::WriteFile;
using uitest::Fixture;
using uitest::Q;
using BoxKind = MainScreen::BoxKind;

class MainScreenTest : public QObject {
  Q_OBJECT

 private:
  struct CheckState {
    bool checked;
    bool enabled;
  };
  static void ExpectBox(QCheckBox* box, const char* caption, CheckState state, QRect geometry) {
    QCOMPARE(box->text(), QString(caption));
    QCOMPARE(box->isChecked(), state.checked);
    QCOMPARE(box->isEnabled(), state.enabled);
    uitest::ExpectPlaced(box, geometry);
  }
  static void ExpectSort(MainScreen& w, CheckState alpha, CheckState freq, CheckState range) {
    QCOMPARE(w.sortbyalpha->isChecked(), alpha.checked);
    QCOMPARE(w.sortbyalpha->isEnabled(), alpha.enabled);
    QCOMPARE(w.sortbyfreq->isChecked(), freq.checked);
    QCOMPARE(w.sortbyfreq->isEnabled(), freq.enabled);
    QCOMPARE(w.sortbyrange->isChecked(), range.checked);
    QCOMPARE(w.sortbyrange->isEnabled(), range.enabled);
  }
  static void Show(MainScreen& w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
  }
  static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

 private slots:
  void initialStates() {
    MainScreen w;
    QCOMPARE(w.windowTitle(), QString("Quarn"));
    QCOMPARE(w.engine().ListCount, 3);
    QCOMPARE(w.engine().ProgramFolder, QDir::currentPath().toStdString() + "/");
    QVERIFY(w.engine().ResultsFileName.empty());
    QVERIFY(!w.engine().stopList.has_value());

    QCOMPARE(w.filesLabel->text(), QString("Files to process"));
    QCOMPARE(w.filesLabel->pos(), QPoint(8, 8));
    QCOMPARE(w.progressLabel->text(), QString("Progress"));
    QCOMPARE(w.resultsLabel->text(), QString("File to save results in"));
    QCOMPARE(w.resultsFileLabel->text(), QString());
    QCOMPARE(w.resultsFileLabel->pos(), QPoint(144, 300));
    QCOMPARE(w.listCountLabel->text(), QString("Number of Baseword Files"));
    QCOMPARE(w.ListFiles->geometry(), QRect(8, 32, 305, 241));
    QVERIFY(w.ListFiles->toPlainText().isEmpty());
    QVERIFY(!w.ListFiles->isReadOnly());
    QCOMPARE(w.Progress->geometry(), QRect(328, 32, 393, 241));
    QVERIFY(w.Progress->toPlainText().isEmpty());
    QCOMPARE(w.Progress->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(w.Progress->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(w.Process_files->text(), QString("Process Files"));
    QCOMPARE(w.Process_files->geometry(), QRect(8, 288, 125, 25));
    QCOMPARE(w.BaseWrdNum->text(), QString("3"));
    QCOMPARE(w.BaseWrdNum->maxLength(), 2);
    uitest::ExpectPlaced(w.BaseWrdNum, QRect(456, 283, 20, 21));
    QVERIFY(w.background->minimumWidth() >= 728);
    uitest::ExpectNoOverlap(w.background);

    ExpectBox(w.Basewrd1_on, "Basewrd1 On", {true, true}, QRect(8, 320, 97, 17));
    ExpectBox(w.Basewrd2_on, "Basewrd2 On", {true, true}, QRect(8, 336, 97, 17));
    ExpectBox(w.Basewrd3_on, "Basewrd3 On", {true, true}, QRect(8, 352, 97, 17));
    ExpectBox(w.Forms, "Forms", {true, true}, QRect(120, 320, 97, 17));
    ExpectBox(w.Writenumbers, "Write Numbers", {true, true}, QRect(120, 336, 97, 17));
    ExpectBox(w.others, "List Others", {true, true}, QRect(120, 352, 97, 17));
    ExpectBox(w.sortbyalpha, "Sort By Alpha", {true, true}, QRect(232, 320, 97, 17));
    ExpectBox(w.sortbyfreq, "Sort by Freq", {false, true}, QRect(232, 336, 97, 17));
    ExpectBox(w.sortbyrange, "Sort by Range", {false, true}, QRect(232, 352, 97, 17));
    ExpectBox(w.BatchFiles, "BatchFiles", {false, true}, QRect(336, 320, 97, 17));
    ExpectBox(w.UseStopList, "Use Stop List", {false, true}, QRect(336, 336, 97, 17));
    ExpectBox(w.Udate_Basewords, "Update BaseWords", {false, true}, QRect(448, 320, 137, 17));
    ExpectBox(w.Zero_base, "Zero BaseWords", {false, false}, QRect(464, 336, 105, 17));
    ExpectBox(w.Mark_Texts, "Mark Texts", {false, true}, QRect(584, 320, 97, 17));
    ExpectBox(w.Overwrite, "Overwrite Marked Texts", {false, true}, QRect(584, 336, 137, 17));
    ExpectBox(w.Ignore_Angle, "Ignore '<>'", {false, true}, QRect(584, 352, 97, 17));

    // The options a run would take now are the run's defaults.
    const quarn::RunOptions o = w.ChosenOptions();
    const quarn::RunOptions d;
    QCOMPARE(o.Basewrd1_on, d.Basewrd1_on);
    QCOMPARE(o.Forms, d.Forms);
    QCOMPARE(o.Writenumbers, d.Writenumbers);
    QCOMPARE(o.others, d.others);
    QCOMPARE(o.sortbyalpha, d.sortbyalpha);
    QCOMPARE(o.sortbyfreq, d.sortbyfreq);
    QCOMPARE(o.Udate_Basewords, d.Udate_Basewords);
    QCOMPARE(o.Zero_base, d.Zero_base);
    QCOMPARE(o.BatchFiles, d.BatchFiles);
    QCOMPARE(o.UseStopList, d.UseStopList);
    QCOMPARE(o.Ignore_Angle, d.Ignore_Angle);

    QCOMPARE(w.statusText->text(), QString("Version 1.32"));
    const QList<QAction*> bar = w.menuBar()->actions();
    QCOMPARE(bar.size(), 3);
    QCOMPARE(bar[0]->text(), QString("&File"));
    QCOMPARE(bar[1]->text(), QString("Help"));
    QVERIFY(bar[1]->menu() == nullptr);
    QCOMPARE(bar[2]->text(), QString("&Results"));
    const QList<QAction*> file = bar[0]->menu()->actions();
    QStringList captions;
    for (QAction* a : file) captions << a->text();
    QCOMPARE(captions, QStringList({"&Open", "&Save", "Move/Copy Basewords", "Make Head Word List",
                                    "&Exit"}));
  }

  void optionsFollowTheBoxes() {
    MainScreen w;
    w.Basewrd2_on->setChecked(false);
    w.Forms->setChecked(false);
    w.Udate_Basewords->setChecked(true);
    w.Zero_base->setChecked(true);
    w.Mark_Texts->setChecked(true);
    w.Overwrite->setChecked(true);
    w.Ignore_Angle->setChecked(true);
    w.sortbyrange->setChecked(true);
    const quarn::RunOptions o = w.ChosenOptions();
    QVERIFY(o.Basewrd1_on && !o.Basewrd2_on && o.Basewrd3_on);
    QVERIFY(!o.Forms && o.Writenumbers && o.others);
    QVERIFY(o.Udate_Basewords && o.Zero_base);
    QVERIFY(o.Mark_Texts && o.Overwrite && o.Ignore_Angle);
    QVERIFY(!o.sortbyalpha && !o.sortbyfreq && o.sortbyrange);
  }

  // The table is the window's whole account of its options: each of its boxes stands as given,
  // starts as the run's own default, and sets its field and no other.
  void everyOptionBoxSetsItsOwnField() {
    MainScreen w;
    const auto table = MainScreen::OptionTable();
    QCOMPARE(table.size(), sizeof(quarn::RunOptions) / sizeof(bool));
    QCOMPARE(static_cast<size_t>(w.background->findChildren<QCheckBox*>().size()), table.size());
    const quarn::RunOptions defaults;
    for (const MainScreen::OptionControl& option : table) {
      QCheckBox* box = w.*option.box;
      QVERIFY(box != nullptr);
      QCOMPARE(box->parentWidget(), w.background);
      QCOMPARE(box->text(), QString(option.caption));
      uitest::ExpectPlaced(box, QRect(option.left, option.top, option.width, 17));
      QCOMPARE(box->isChecked(), option.checked);
      QCOMPARE(box->isChecked(), defaults.*option.field);
    }
    for (const MainScreen::OptionControl& option : table) {
      const quarn::RunOptions before = w.ChosenOptions();
      {
        // Only this box changes: its rule, which would change others, does not run.
        const QSignalBlocker quiet(w.*option.box);
        (w.*option.box)->toggle();
      }
      const quarn::RunOptions after = w.ChosenOptions();
      for (const MainScreen::OptionControl& other : table) {
        const bool changed = before.*other.field != after.*other.field;
        QVERIFY2(changed == (&other == &option), option.caption);
      }
      QCOMPARE(after.*option.field, (w.*option.box)->isChecked());
    }
  }

  // One rule for the three sort boxes, seen from each: checking one leaves it the only one
  // checked and the other two disabled; unchecking it leaves none checked and all enabled.
  void eachSortBoxExcludesTheOtherTwo() {
    MainScreen w;
    QCheckBox* sorts[] = {w.sortbyalpha, w.sortbyfreq, w.sortbyrange};
    w.sortbyalpha->setChecked(false);
    for (QCheckBox* own : sorts) {
      own->setChecked(true);
      for (QCheckBox* box : sorts) {
        QCOMPARE(box->isChecked(), box == own);
        QCOMPARE(box->isEnabled(), box == own);
      }
      own->setChecked(false);
      for (QCheckBox* box : sorts) {
        QVERIFY(!box->isChecked());
        QVERIFY(box->isEnabled());
      }
    }
  }

  void encodingSetting() {
    MainScreen w;
    QCOMPARE(w.Encoding->currentText(), QString("Automatic"));
    QCOMPARE(w.Encoding->count(), 3);
    QVERIFY(w.engine().encoding == quarn::TextEncoding::kAuto);
    w.Encoding->setCurrentIndex(2);
    QCOMPARE(w.Encoding->currentText(), QString("UTF-8"));
    QVERIFY(w.engine().encoding == quarn::TextEncoding::kUtf8);
    w.Encoding->setCurrentIndex(1);
    QCOMPARE(w.Encoding->currentText(), QString("Windows-1252"));
    QVERIFY(w.engine().encoding == quarn::TextEncoding::kCp1252);
    // Below the other options, overlapping none of them.
    for (QWidget* other : {static_cast<QWidget*>(w.UseStopList), static_cast<QWidget*>(w.Zero_base),
                           static_cast<QWidget*>(w.sortbyrange), static_cast<QWidget*>(w.Ignore_Angle)})
      QVERIFY(!w.Encoding->geometry().intersects(other->geometry()));
  }

  void sortByFreqFromStart() {
    MainScreen w;
    Show(w);
    Click(w.sortbyfreq);
    ExpectSort(w, {false, false}, {true, true}, {false, false});
    Click(w.sortbyfreq);
    ExpectSort(w, {false, true}, {false, true}, {false, true});
  }

  void sortByRangeFromStart() {
    MainScreen w;
    Show(w);
    Click(w.sortbyrange);
    ExpectSort(w, {false, false}, {false, false}, {true, true});
    Click(w.sortbyrange);
    ExpectSort(w, {false, true}, {false, true}, {false, true});
  }

  void sortByAlphaOffAndOn() {
    MainScreen w;
    Show(w);
    Click(w.sortbyalpha);
    ExpectSort(w, {false, true}, {false, true}, {false, true});
    Click(w.sortbyalpha);
    ExpectSort(w, {true, true}, {false, false}, {false, false});
  }

  void batchFilesAppliesTheAlphaRule() {
    MainScreen w;
    Show(w);
    Click(w.BatchFiles);
    QVERIFY(w.BatchFiles->isChecked());
    ExpectSort(w, {true, true}, {false, false}, {false, false});

    Click(w.sortbyalpha);  // enables the other two again
    ExpectSort(w, {false, true}, {false, true}, {false, true});
    Click(w.BatchFiles);
    QVERIFY(!w.BatchFiles->isChecked());
    ExpectSort(w, {false, true}, {false, true}, {false, true});
    Click(w.sortbyalpha);
    Click(w.BatchFiles);  // alpha ticked again: the other two are disabled
    ExpectSort(w, {true, true}, {false, false}, {false, false});
  }

  void backgroundClickAppliesTheFreqRule() {
    MainScreen w;
    Show(w);
    Click(w.BatchFiles);  // alpha rule: freq and range unchecked and disabled
    ExpectSort(w, {true, true}, {false, false}, {false, false});

    // A label is not the background.
    QTest::mouseClick(w.filesLabel, Qt::LeftButton);
    ExpectSort(w, {true, true}, {false, false}, {false, false});

    // Freq unchecked: its rule enables alpha and range, and leaves freq as it is.
    QTest::mouseClick(w.background, Qt::LeftButton, {}, QPoint(700, 300));
    ExpectSort(w, {true, true}, {false, false}, {false, true});
    QVERIFY(w.BatchFiles->isChecked());
  }

  void updateEnablesZero() {
    MainScreen w;
    Show(w);
    QVERIFY(!w.Zero_base->isEnabled());
    Click(w.Udate_Basewords);
    QVERIFY(w.Zero_base->isEnabled());
    Click(w.Zero_base);
    QVERIFY(w.Zero_base->isChecked());
    Click(w.Udate_Basewords);
    QVERIFY(!w.Zero_base->isEnabled());
    QVERIFY(!w.Zero_base->isChecked());
  }

  void saveNamesTheResultsFile() {
    Fixture f;
    f.script.saveAnswer = f.Path("results.txt");
    f.window.SaveClick();
    QCOMPARE(f.script.saveFolder, Q(f.dir.path()));
    QCOMPARE(f.script.saveFilter, QString("Results Files (*_quarn.txt);;All files (*)"));
    QCOMPARE(f.window.resultsFileLabel->text(), f.Path("results_quarn.txt"));
    QCOMPARE(f.window.engine().ResultsFileName, f.dir.File("results_quarn.txt"));
    QVERIFY(f.script.boxes.isEmpty());

    f.script.saveAnswer = f.Path("out_quarn.txt");
    f.window.SaveClick();
    QCOMPARE(f.window.resultsFileLabel->text(), f.Path("out_quarn.txt"));

    f.script.saveAnswer = f.Path("noext");
    f.window.SaveClick();
    QCOMPARE(f.window.resultsFileLabel->text(), f.Path("noext_quarn.txt"));

    f.script.saveAnswer = f.Path("a.b.txt");
    f.window.SaveClick();
    QCOMPARE(f.window.resultsFileLabel->text(), f.Path("a_quarn.b_quarn.txt"));

    f.script.saveAnswer = f.Path("X_QUARN.TXT");
    f.window.SaveClick();
    QCOMPARE(f.window.resultsFileLabel->text(), f.Path("X_QUARN_quarn.txt"));

    // Cancelling the dialog changes nothing.
    f.script.saveAnswer.clear();
    f.window.SaveClick();
    QCOMPARE(f.window.resultsFileLabel->text(), f.Path("X_QUARN_quarn.txt"));
    QVERIFY(!QFile::exists(f.Path("X_QUARN_quarn.txt")));  // nothing is written here
  }

  void saveAsksBeforeOverwriting() {
    Fixture f;
    WriteFile(f.dir.File("old_quarn.txt"), "old results");
    f.script.saveAnswer = f.Path("first.txt");
    f.window.SaveClick();

    f.script.saveAnswer = f.Path("old.txt");
    f.script.answers.enqueue(false);
    f.window.SaveClick();
    QCOMPARE(f.script.boxes.size(), 1);
    QCOMPARE(f.script.boxes[0].text, "File " + f.Path("old_quarn.txt") + " exists. Overwrite?");
    QCOMPARE(f.script.boxes[0].kind, BoxKind::kOkCancel);
    QCOMPARE(f.window.resultsFileLabel->text(), f.Path("first_quarn.txt"));
    QCOMPARE(f.window.engine().ResultsFileName, f.dir.File("first_quarn.txt"));

    f.script.answers.enqueue(true);
    f.window.SaveClick();
    QCOMPARE(f.window.resultsFileLabel->text(), f.Path("old_quarn.txt"));
    QCOMPARE(f.window.engine().ResultsFileName, f.dir.File("old_quarn.txt"));
    QCOMPARE(Q(ReadFile(f.dir.File("old_quarn.txt"))), QString("old results"));
  }

  void cancelOnTheFirstOverwriteQuestionLeavesNoResultsFile() {
    Fixture f;
    WriteFile(f.dir.File("old_quarn.txt"), "x");
    f.script.saveAnswer = f.Path("old.txt");
    f.script.answers.enqueue(false);
    f.window.SaveClick();
    QVERIFY(f.window.engine().ResultsFileName.empty());
    QVERIFY(f.window.resultsFileLabel->text().isEmpty());
  }

  void openAppendsLastToFirst() {
    Fixture f;
    f.window.ListFiles->setPlainText("/x/first.txt");
    f.script.openAnswer = {"/t/one.txt", "/t/two.txt", "/t/three.txt"};
    f.window.OpenClick();
    QCOMPARE(f.script.openFolder, Q(f.dir.path()));
    QCOMPARE(f.script.openFilter,
             QString("Text Files (*.txt);;Quarn Files (*.dos);;All files (*)"));
    const std::vector<std::string> expected = {"/x/first.txt", "/t/three.txt", "/t/two.txt",
                                               "/t/one.txt"};
    QVERIFY(f.window.InputLines() == expected);

    f.script.openAnswer.clear();
    f.window.OpenClick();
    QVERIFY(f.window.InputLines() == expected);
  }

  void inputListLines() {
    MainScreen w;
    QVERIFY(w.InputLines().empty());
    w.ListFiles->setPlainText("a\nb\n");
    QVERIFY(w.InputLines() == std::vector<std::string>({"a", "b"}));
    w.ListFiles->setPlainText("a\n\nb");
    QVERIFY(w.InputLines() == std::vector<std::string>({"a", "", "b"}));
    w.ListFiles->setPlainText("a\nb\nc\n");
    w.InputLinesRemoved({1});
    QVERIFY(w.InputLines() == std::vector<std::string>({"a", "c"}));
    w.InputLinesRemoved({1});
    w.InputLinesRemoved({0});
    QVERIFY(w.InputLines().empty());
    w.InputLinesRemoved({5});  // past the end: nothing
    QVERIFY(w.InputLines().empty());
  }

  void baseWrdNumSetsListCount() {
    Fixture f;
    MainScreen& w = f.window;
    Show(w);
    w.BaseWrdNum->selectAll();
    QTest::keyClick(w.BaseWrdNum, Qt::Key_Backspace);
    QCOMPARE(w.BaseWrdNum->text(), QString());
    QCOMPARE(w.engine().ListCount, 3);
    QTest::keyClicks(w.BaseWrdNum, "1");
    QCOMPARE(w.engine().ListCount, 1);
    QTest::keyClicks(w.BaseWrdNum, "2");
    QCOMPARE(w.engine().ListCount, 12);
    QTest::keyClicks(w.BaseWrdNum, "3");  // at most two characters
    QCOMPARE(w.BaseWrdNum->text(), QString("12"));
    QCOMPARE(w.engine().ListCount, 12);
    QVERIFY(f.script.boxes.isEmpty());

    w.BaseWrdNum->setText("1x");
    QCOMPARE(f.script.boxes.size(), 1);
    QCOMPARE(f.script.boxes[0].text, QString("'1x' is not a valid integer value"));
    QCOMPARE(f.script.boxes[0].kind, BoxKind::kError);
    QCOMPARE(w.engine().ListCount, 12);

    w.BaseWrdNum->setText("x7");  // not starting with a digit: ignored
    QCOMPARE(f.script.boxes.size(), 1);
    QCOMPARE(w.engine().ListCount, 12);

    w.BaseWrdNum->setText("99");  // the run itself refuses too many lists
    QCOMPARE(w.engine().ListCount, 99);
    w.BaseWrdNum->setText("0");
    QCOMPARE(w.engine().ListCount, 0);

    // The rule reads any text in the notation of the program's whole numbers; the two
    // characters are the field's own limit, widened here to reach the longer forms.
    w.BaseWrdNum->setMaxLength(5);
    w.BaseWrdNum->setText("0x3");
    QCOMPARE(w.engine().ListCount, 3);
    w.BaseWrdNum->setText("0x1G");
    QCOMPARE(f.script.boxes.size(), 2);
    QCOMPARE(f.script.boxes[1].text, QString("'0x1G' is not a valid integer value"));
    QCOMPARE(w.engine().ListCount, 3);
  }

  void stopListCancelUnticks() {
    Fixture f;
    f.window.UseStopList->setChecked(true);
    QCOMPARE(f.script.stopCalls, 1);
    QCOMPARE(f.script.stopFolder, Q(f.dir.path()));
    QCOMPARE(f.script.stopFilter, QString("Stop Files (*.txt);;All files (*)"));
    QVERIFY(!f.window.UseStopList->isChecked());
    QVERIFY(!f.window.engine().stopList.has_value());
    QCOMPARE(f.script.stopCalls, 1);  // unticking does not ask again
  }

  void stopListMissingFile() {
    Fixture f;
    f.script.stopAnswer = f.Path("nope.txt");
    f.script.answers.enqueue(false);  // the box closed without OK
    f.window.UseStopList->setChecked(true);
    QCOMPARE(f.script.boxes.size(), 1);
    QCOMPARE(f.script.boxes[0].text, "File " + f.Path("nope.txt") + " does not exist");
    QCOMPARE(f.script.boxes[0].kind, BoxKind::kOk);
    QVERIFY(!f.window.UseStopList->isChecked());
    QVERIFY(!f.window.engine().stopList.has_value());

    f.script.answers.enqueue(true);  // OK: the list is made, empty, and the failure reported
    f.window.UseStopList->setChecked(true);
    QVERIFY(f.window.UseStopList->isChecked());
    QVERIFY(f.window.engine().stopList.has_value());
    QCOMPARE(f.window.engine().stopList->size(), size_t{0});
    const QString progress = f.window.Progress->toPlainText();
    QVERIFY(progress.startsWith("ERROR "));
    QVERIFY(progress.contains(f.Path("nope.txt")));
  }

  void stopListLoadsAndUntickDiscards() {
    Fixture f;
    WriteFile(f.dir.File("stop.txt"), "the\r\nAnd\r\nthe\r\n");
    f.script.stopAnswer = f.Path("stop.txt");
    f.window.UseStopList->setChecked(true);
    QVERIFY(f.script.boxes.isEmpty());
    QVERIFY(f.window.engine().stopList.has_value());
    QCOMPARE(f.window.engine().stopList->size(), size_t{2});
    QVERIFY(f.window.engine().stopList->Contains("THE"));
    QVERIFY(f.window.engine().stopList->Contains("AND"));
    QVERIFY(f.window.ChosenOptions().UseStopList);

    f.window.UseStopList->setChecked(false);
    QVERIFY(!f.window.engine().stopList.has_value());

    // Ticking again asks for the file again and reads it afresh.
    WriteFile(f.dir.File("stop.txt"), "cat\r\n");
    f.window.UseStopList->setChecked(true);
    QCOMPARE(f.script.stopCalls, 2);
    QCOMPARE(f.window.engine().stopList->size(), size_t{1});
    QVERIFY(f.window.engine().stopList->Contains("CAT"));
  }

  void progressMemoFollowsTheLog() {
    Fixture f;
    quarn::Engine& e = f.window.engine();
    quarn::ProgressMessageThenBlanks(e, quarn::Severity::kProgress, "Processing file: a", 1);
    quarn::ExtendProgressLine(e, "0001000, ");
    quarn::ExtendProgressLine(e, "0002000, ");
    quarn::ProgressMessage(e, quarn::Severity::kError, "bad");
    QCOMPARE(f.window.Progress->toPlainText(),
             QString(" Processing file: a\n  0001000,  0002000, \nERROR bad"));
    QCOMPARE(f.window.Progress->document()->blockCount(), 3);

    // Words are Windows-1252; paths are the system's UTF-8.
    quarn::ProgressMessage(e, quarn::Severity::kProgress, "\xC9T\xC9 \x80");
    quarn::ProgressMessage(e, quarn::Severity::kProgress, "/t/caf\xC3\xA9.txt");
    const QStringList lines = f.window.Progress->toPlainText().split('\n');
    QCOMPARE(lines[3], QString::fromUtf8(" \xC3\x89T\xC3\x89 \xE2\x82\xAC"));
    QCOMPARE(lines[4], QString::fromUtf8(" /t/caf\xC3\xA9.txt"));
  }

  void hostMessageBoxMapsToTheBox() {
    Fixture f;
    f.script.answers.enqueue(false);
    QVERIFY(!f.window.MessageBox("The file A\rseems to be called: B", true));
    QCOMPARE(f.script.boxes[0].text, QString("The file A\nseems to be called: B"));
    QCOMPARE(f.script.boxes[0].kind, BoxKind::kOkCancel);
    f.script.answers.enqueue(true);
    QVERIFY(f.window.MessageBox("No save file selected, cannot run", false));
    QCOMPARE(f.script.boxes[1].kind, BoxKind::kOk);
  }

  void resultsNameShownUnderItsCaption() {
    MainScreen w;
    w.ResultsFileNameChanged("/t/STORY_quarn.txt");
    QCOMPARE(w.resultsFileLabel->text(), QString("/t/STORY_quarn.txt"));
  }

  // Engine text reaches the screen as the engine's own conversion gives it: UTF-8 as it is,
  // anything else (an overlong form is not UTF-8) as Windows-1252.
  void engineTextToTheScreen() {
    QCOMPARE(FromEngineText("caf\xC3\xA9 \xE2\x82\xAC"), QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC"));
    QCOMPARE(FromEngineText("caf\xE9 \x80"), QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC"));
    QCOMPARE(FromEngineText("\xE0\x80\xAF"), QString::fromUtf8("\xC3\xA0\xE2\x82\xAC\xC2\xAF"));
  }

  void fileFilters() {
    QCOMPARE(QtFileFilter("Text Files|*.txt|Quarn Files|*.dos|All files (*.*)|*.*"),
             QString("Text Files (*.txt);;Quarn Files (*.dos);;All files (*)"));
    QCOMPARE(QtFileFilter("Texts|*.txt;*.dos"), QString("Texts (*.txt *.dos)"));
    QCOMPARE(QtFileFilter(""), QString());
  }

  void helpOpensAtItsTopic() {
    QVERIFY(QFile::exists(":/help/quarn.html"));
    MainScreen w;
    w.helpAction->trigger();
    QVERIFY(w.helpWindow() != nullptr);
    QVERIFY(w.helpWindow()->isVisible());
    QTextBrowser* browser = w.helpWindow()->browser();
    QCOMPARE(browser->source().fragment(), QString("TApplication_HelpJump"));
    const QString text = browser->toPlainText();
    for (const char* topic :
         {"Files to process", "Number of Baseword Files", "Zero BaseWords", "Sort by Range",
          "Use Stop List", "Ignore '<>'", "Move/Copy Basewords", "Make Head Word List",
          "Types Not Found In Any List", "LIST OF FAMILY GROUPS"}) {
      QVERIFY2(text.contains(topic), topic);
    }
    QVERIFY(browser->toHtml().contains("TApplication_HelpJump"));
    // A second Help reuses the window.
    HelpWindow* first = w.helpWindow();
    w.HelpClick();
    QCOMPARE(w.helpWindow(), first);
    w.close();
  }

  void exitClosesTheWindow() {
    MainScreen w;
    Show(w);
    w.exitAction->trigger();
    QVERIFY(!w.isVisible());
  }

  void emptyListIsRefusedByTheRun() {
    Fixture f;
    f.script.answers.enqueue(true);
    QSignalSpy finished(&f.window, &MainScreen::runFinished);
    f.window.Process_filesClick();
    uitest::WaitForRun(finished);
    QCOMPARE(f.script.boxes.size(), 1);
    QCOMPARE(f.script.boxes[0].text, QString("No files selected for processing, cannot run"));
    QCOMPARE(f.script.boxes[0].kind, BoxKind::kOk);
    QVERIFY(f.window.Progress->toPlainText().contains(
        "ERROR No Files selected for processing cannot run"));
    QVERIFY(!f.window.running());
  }

  void processFilesEndToEnd();
  void questionsBlockOnlyTheRun_data();
  void questionsBlockOnlyTheRun();
  void cancelLeavesTheFolderAsItWas_data();
  void cancelLeavesTheFolderAsItWas();
  void droppedFilesAndFoldersAreAdded();
  void screenshot();
};

namespace {

// A window that looks at itself whenever the run's progress lines reach it.
class WatchedWindow : public MainScreen {
 public:
  bool sawRunning = false;
  bool sawBusyCursor = false;
  bool closeRefused = false;
  bool lockedWhileRunning = true;
  bool onWindowThread = true;

  void ProgressChanged(const quarn::ProgressLog& log, size_t first) override {
    MainScreen::ProgressChanged(log, first);
    if (QThread::currentThread() != thread()) onWindowThread = false;
    if (!running()) return;
    sawRunning = true;
    QCursor* cursor = QApplication::overrideCursor();
    if (cursor != nullptr && cursor->shape() == Qt::BusyCursor) sawBusyCursor = true;
    // The controls that change a run take no input while it lasts; Cancel is there.
    QTest::mouseClick(BatchFiles, Qt::LeftButton);
    QTest::keyClicks(ListFiles, "typed");
    if (Process_files->isEnabled() || BatchFiles->isEnabled() || BaseWrdNum->isEnabled() ||
        openAction->isEnabled() || saveAction->isEnabled() || !Cancel_run->isVisible() ||
        !runBar->isVisible())
      lockedWhileRunning = false;
    for (const OptionControl& option : OptionTable())
      if ((this->*option.box)->isEnabled()) lockedWhileRunning = false;
    if (Encoding->isEnabled() || moveCopyAction->isEnabled() || headWordListAction->isEnabled() ||
        exitAction->isEnabled())
      lockedWhileRunning = false;
    if (!close()) closeRefused = true;
  }
};

// The three baseword files and a story, with the results file chosen.
void PrepareStory(uitest::Fixture& f) {
  WriteFile(f.dir.File("BASEWRD1.txt"), "the 0\r\n\tcat 0\r\n");
  WriteFile(f.dir.File("BASEWRD2.txt"), "sit 0\r\n\tsat 0\r\n");
  WriteFile(f.dir.File("BASEWRD3.txt"), "on 0\r\n");
  WriteFile(f.dir.File("story.txt"), "The cat sat on the mat.\r\n");
  f.window.ListFiles->setPlainText(Q(f.dir.File("story.txt")) + "\n");
  quarn::ChooseResultsFile(f.window.engine(), f.dir.File("results_quarn.txt"));
}

}  // namespace

void MainScreenTest::processFilesEndToEnd() {
  quarn::testing::TempDir dir;
  WatchedWindow w;
  uitest::Script script(w);
  quarn::SetProgramFolder(w.engine(), dir.path());
  w.engine().ScratchFolder = dir.path();
  Show(w);

  WriteFile(dir.File("BASEWRD1.txt"), "the 0\r\n\tcat 0\r\n");
  WriteFile(dir.File("BASEWRD2.txt"), "sit 0\r\n\tsat 0\r\n");
  WriteFile(dir.File("BASEWRD3.txt"), "on 0\r\n");
  WriteFile(dir.File("story.txt"), "The cat sat on the mat.\r\n");

  script.openAnswer = {Q(dir.File("story.txt"))};
  w.openAction->trigger();
  script.saveAnswer = Q(dir.File("results"));
  w.saveAction->trigger();
  QCOMPARE(w.resultsFileLabel->text(), Q(dir.File("results_quarn.txt")));
  const QPoint resultsNameAt = w.resultsFileLabel->pos();
  QTest::mouseClick(w.sortbyrange, Qt::LeftButton);  // disables the two other sort boxes
  QVERIFY(!w.sortbyfreq->isEnabled());
  std::vector<bool> enabledBefore;
  for (const MainScreen::OptionControl& option : MainScreen::OptionTable())
    enabledBefore.push_back((w.*option.box)->isEnabled());
  const quarn::RunOptions chosenBefore = w.ChosenOptions();

  QSignalSpy finished(&w, &MainScreen::runFinished);
  QTest::mouseClick(w.Process_files, Qt::LeftButton);
  // The press returns at once: the run goes on on its own thread.
  QVERIFY(w.running());
  uitest::WaitForRun(finished);

  QVERIFY(!w.running());
  QVERIFY(w.sawRunning);
  QVERIFY(w.sawBusyCursor);
  QVERIFY(w.lockedWhileRunning);
  QVERIFY(w.onWindowThread);
  QVERIFY(w.closeRefused);
  QVERIFY(w.isVisible());
  QVERIFY(QApplication::overrideCursor() == nullptr);
  QVERIFY(!w.BatchFiles->isChecked());
  QVERIFY(!w.ListFiles->toPlainText().contains("typed"));
  QVERIFY(script.boxes.isEmpty());

  const std::string results = ReadFile(dir.File("results_quarn.txt"));
  QVERIFY(!results.empty());
  // 6 tokens: THE, CAT, THE in list 1; SAT in list 2; ON in list 3; MAT in none.
  QVERIFY(results.find("one" + std::string(20, ' ') + "       3/50.00") != std::string::npos);
  QVERIFY(results.find("two" + std::string(20, ' ') + "       1/16.67") != std::string::npos);
  QVERIFY(results.find("not in the lists" + std::string(7, ' ') + "       1/16.67") !=
          std::string::npos);
  QVERIFY(results.find("...Finished") != std::string::npos);
  QVERIFY(w.Progress->toPlainText().contains("...Finished"));
  QVERIFY(w.Progress->toPlainText().contains("Processing file: " + Q(dir.File("story.txt"))));
  QVERIFY(!QFile::exists(Q(dir.File("tree.dvp"))));
  QVERIFY(!QFile::exists(Q(dir.File("temp$$$.dvp"))));

  // The window is back as it was: the controls as before the run, a click acts again.
  QVERIFY(w.Process_files->isEnabled());
  QVERIFY(w.Encoding->isEnabled());
  QVERIFY(w.exitAction->isEnabled());
  for (size_t i = 0; i < MainScreen::OptionTable().size(); ++i) {
    const MainScreen::OptionControl& option = MainScreen::OptionTable()[i];
    QVERIFY2((w.*option.box)->isEnabled() == enabledBefore[i], option.caption);
    QVERIFY2(w.ChosenOptions().*option.field == chosenBefore.*option.field, option.caption);
  }
  QVERIFY(!w.sortbyfreq->isEnabled());
  QVERIFY(w.sortbyrange->isEnabled());
  QVERIFY(!w.Zero_base->isEnabled());
  QVERIFY(w.openAction->isEnabled());
  QVERIFY(!w.ListFiles->isReadOnly());
  QVERIFY(!w.Cancel_run->isVisible());
  QVERIFY(!w.runBar->isVisible());
  QCOMPARE(w.resultsFileLabel->pos(), resultsNameAt);
  QTest::mouseClick(w.BatchFiles, Qt::LeftButton);
  QVERIFY(w.BatchFiles->isChecked());
}

// A question of the run is asked on the window's thread while the run waits for it; meanwhile
// the window is live (it repaints and resizes). OK replaces the marked copy, Cancel keeps it.
void MainScreenTest::questionsBlockOnlyTheRun_data() {
  QTest::addColumn<bool>("answer");
  QTest::newRow("OK") << true;
  QTest::newRow("Cancel") << false;
}

void MainScreenTest::questionsBlockOnlyTheRun() {
  QFETCH(bool, answer);
  Fixture f;
  MainScreen& w = f.window;
  PrepareStory(f);
  WriteFile(f.dir.File("story.mrk"), "an earlier marked copy\r\n");
  w.Mark_Texts->setChecked(true);
  Show(w);

  bool asked = false;
  w.showBox = [&](const QString& text, BoxKind kind) {
    asked = true;
    [&] {
      QCOMPARE(text, "File " + f.Path("story.mrk") + " exists. Overwrite?");
      QCOMPARE(kind, BoxKind::kOkCancel);
      QCOMPARE(QThread::currentThread(), w.thread());
      QVERIFY(w.running());
      // The window serves its events while the run waits: it resizes and repaints.
      w.resize(w.width() + 40, w.height() + 30);
      QTest::qWait(50);
      QCOMPARE(w.runBar->isVisible(), true);
      QVERIFY(w.runBar->value() > 0);
      QVERIFY(w.runStatus->text().startsWith("Marking file 1 of 1"));
      uitest::SaveShot(w, "main_window_running.png");
    }();
    return answer;
  };
  QSignalSpy finished(&w, &MainScreen::runFinished);
  w.Process_filesClick();
  uitest::WaitForRun(finished);
  QVERIFY(asked);
  QVERIFY(w.Progress->toPlainText().contains("...Finished"));
  const std::string marked = ReadFile(f.dir.File("story.mrk"));
  QCOMPARE(marked == "an earlier marked copy\r\n", !answer);
}

// Cancel (the button, or Esc) while the run waits on a question: the run ends at its next
// progress point, "Run cancelled" in the Progress memo, no error box, every file as it was.
void MainScreenTest::cancelLeavesTheFolderAsItWas_data() {
  QTest::addColumn<bool>("escape");
  QTest::newRow("button") << false;
  QTest::newRow("Esc") << true;
}

void MainScreenTest::cancelLeavesTheFolderAsItWas() {
  QFETCH(bool, escape);
  Fixture f;
  MainScreen& w = f.window;
  PrepareStory(f);
  WriteFile(f.dir.File("story.mrk"), "an earlier marked copy\r\n");
  WriteFile(f.dir.File("results_quarn.txt"), "an earlier results file\r\n");
  w.Mark_Texts->setChecked(true);
  w.Udate_Basewords->setChecked(true);
  Show(w);
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  const std::map<std::string, std::string> before = quarn::testing::FolderFiles(f.dir.path());

  int boxes = 0;
  w.showBox = [&](const QString&, BoxKind) {
    ++boxes;
    if (escape)
      QTest::keyClick(&w, Qt::Key_Escape);
    else
      QTest::mouseClick(w.Cancel_run, Qt::LeftButton);
    return true;  // OK: the run would go on to replace the marked copy
  };
  QSignalSpy finished(&w, &MainScreen::runFinished);
  w.Process_filesClick();
  uitest::WaitForRun(finished);
  QCOMPARE(boxes, 1);  // the question only: no error box
  QVERIFY(w.Progress->toPlainText().endsWith("\n Run cancelled"));
  QCOMPARE(w.statusText->text(), QString("Run cancelled"));  // not back to the version
  std::map<std::string, std::string> after = quarn::testing::FolderFiles(f.dir.path());
  after.erase("quarn.lock");
  std::map<std::string, std::string> expected = before;
  expected.erase("quarn.lock");
  QVERIFY(after == expected);
  QVERIFY(!w.Cancel_run->isVisible());
  QVERIFY(w.Process_files->isEnabled());

  // The next run is clean.
  w.showBox = [](const QString&, BoxKind) { return true; };
  QSignalSpy again(&w, &MainScreen::runFinished);
  w.Process_filesClick();
  uitest::WaitForRun(again);
  QVERIFY(w.Progress->toPlainText().endsWith("...Finished"));
  QVERIFY(ReadFile(f.dir.File("story.mrk")) != "an earlier marked copy\r\n");
  QVERIFY2(QRegularExpression("^Finished: 1 text, [0-9,]+ tokens in [0-9]+\\.[0-9] s$")
               .match(w.statusText->text()).hasMatch(),
           qPrintable(w.statusText->text()));
}

// Files dropped on "Files to process" are added as Open adds them; a folder adds its .txt files
// in name order (not its folders, other files or earlier results files). Nothing is added while
// a run lasts.
void MainScreenTest::droppedFilesAndFoldersAreAdded() {
  Fixture f;
  MainScreen& w = f.window;
  QDir().mkpath(f.Path("texts/inner"));
  for (const char* name : {"texts/b.txt", "texts/A.TXT", "texts/c.txt", "texts/notes.doc",
                           "texts/old_quarn.txt", "texts/inner/d.txt", "one.dos"})
    WriteFile(f.dir.File(name), "words\r\n");
  w.ListFiles->setPlainText("first.txt\n");

  auto drop = [&](const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    QWidget* target = w.ListFiles->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return enter.isAccepted() && dropped.isAccepted();
  };
  QVERIFY(drop({f.Path("one.dos"), f.Path("texts")}));
  QCOMPARE(w.ListFiles->toPlainText(),
           "first.txt\n" + f.Path("one.dos") + "\n" + f.Path("texts/A.TXT") + "\n" +
               f.Path("texts/b.txt") + "\n" + f.Path("texts/c.txt") + "\n");
}

void MainScreenTest::screenshot() {
  Fixture f;
  MainScreen& w = f.window;
  w.ListFiles->setPlainText("/home/teacher/texts/story1.txt\n/home/teacher/texts/story2.txt\n");
  quarn::ProgressMessageThenBlanks(w.engine(), quarn::Severity::kProgress,
                                   "Processing file: /home/teacher/texts/story1.txt", 1);
  quarn::ProgressMessage(w.engine(), quarn::Severity::kProgress, "Number of lines: 42");
  w.ResultsFileNameChanged("/home/teacher/results_quarn.txt");
  Show(w);
  uitest::SaveShot(w, "main_window.png");
}

QTEST_MAIN(MainScreenTest)
#include "MainScreenTest.moc"
