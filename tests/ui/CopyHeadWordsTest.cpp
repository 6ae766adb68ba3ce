// The Move/Copy basewords dialog: its controls, their mapping, OK and Cancel, and its opening
// from the main window.
#include <QtTest/QtTest>
#include <memory>
#include <string>

#include "CopyHeadWords.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "MainScreen.h"
#include "state/Engine.h"

using quarn::testing::ReadFile;
using quarn::testing::WriteFile;
using uitest::Fixture;
using uitest::Q;
using Relation = quarn::MoveCopySettings::Relation;

class CopyHeadWordsTest : public QObject {
  Q_OBJECT

 private slots:
  void initialStates() {
    Fixture f;
    CopyHeadWordsDialog d(f.window.engine(), &f.window);
    QCOMPARE(d.windowTitle(), QString("FormCopyHeadwords"));
    QCOMPARE(d.Title->text(), QString("Move/Copy basewords to other files"));
    QCOMPARE(d.Title->font().pointSize(), 14);
    QCOMPARE(d.Title->pos(), QPoint(16, 8));
    QCOMPARE(d.text0->text(), QString("Copy"));
    QCOMPARE(d.text0->pos(), QPoint(32, 66));
    QCOMPARE(d.FileCopyFrom->text(), QString("basewrd1"));
    QCOMPARE(d.FileCopyFrom->geometry().topLeft(), QPoint(64, 62));
    QCOMPARE(d.FileCopyFrom->width(), 65);
    QCOMPARE(d.text1->text(), QString("words"));
    QCOMPARE(d.greater_than->text(), QString("greater than"));
    QCOMPARE(d.equal_to->text(), QString("equal to"));
    QCOMPARE(d.less_than->text(), QString("less than"));
    QVERIFY(!d.greater_than->isChecked());
    QVERIFY(d.equal_to->isChecked());
    QVERIFY(!d.less_than->isChecked());
    uitest::ExpectPlaced(d.greater_than, QRect(184, 48, 0, 17));
    uitest::ExpectPlaced(d.less_than, QRect(184, 80, 0, 17));
    QCOMPARE(d.FilterNum->text(), QString("0"));
    uitest::ExpectPlaced(d.FilterNum, QRect(320, 62, 25, 21));
    QCOMPARE(d.FilterNum->width(), 25);
    QCOMPARE(d.text2->text(), QString("to file"));
    QCOMPARE(d.FileCopyTo->text(), QString("basewrd4"));
    uitest::ExpectPlaced(d.FileCopyTo, QRect(392, 62, 65, 21));
    QCOMPARE(d.Copy_Words->text(), QString("Copy Words"));
    QCOMPARE(d.headwrds_only->text(), QString("Headwords Only"));
    QCOMPARE(d.usefamilytotal->text(), QString("Use Family Totals"));
    QCOMPARE(d.appendtofile->text(), QString("Append to file"));
    QVERIFY(!d.Copy_Words->isChecked());
    QVERIFY(!d.headwrds_only->isChecked());
    QVERIFY(!d.usefamilytotal->isChecked());
    QVERIFY(d.appendtofile->isChecked());
    uitest::ExpectPlaced(d.appendtofile, QRect(392, 152, 97, 17));
    QCOMPARE(d.CopyOK->text(), QString("OK"));
    QCOMPARE(d.CopyOK->pos(), QPoint(16, 168));
    QCOMPARE(d.CopyCancel->text(), QString("Cancel"));
    QCOMPARE(d.CopyCancel->pos(), QPoint(104, 168));

    uitest::ExpectNoOverlap(&d);
    QVERIFY(d.width() >= 520);

    const quarn::MoveCopySettings s = d.Settings();
    const quarn::MoveCopySettings defaults;
    QCOMPARE(s.FileCopyFrom, defaults.FileCopyFrom);
    QCOMPARE(s.FileCopyTo, defaults.FileCopyTo);
    QVERIFY(s.relation == Relation::kEqualTo);
    QCOMPARE(s.FilterNum, defaults.FilterNum);
    QCOMPARE(s.appendtofile, true);
  }

  void radioButtonsAreOneGroup() {
    Fixture f;
    CopyHeadWordsDialog d(f.window.engine());
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QTest::mouseClick(d.greater_than, Qt::LeftButton, {}, QPoint(6, 8));
    QVERIFY(d.greater_than->isChecked());
    QVERIFY(!d.equal_to->isChecked());
    QVERIFY(d.Settings().relation == Relation::kGreaterThan);
    QTest::mouseClick(d.less_than, Qt::LeftButton, {}, QPoint(6, 8));
    QVERIFY(!d.greater_than->isChecked());
    QVERIFY(d.Settings().relation == Relation::kLessThan);
  }

  void settingsFollowTheControls() {
    Fixture f;
    CopyHeadWordsDialog d(f.window.engine());
    d.FileCopyFrom->setText("list2");
    d.FileCopyTo->setText("rare");
    d.FilterNum->setText("-5");
    d.Copy_Words->setChecked(true);
    d.headwrds_only->setChecked(true);
    d.usefamilytotal->setChecked(true);
    d.appendtofile->setChecked(false);
    const quarn::MoveCopySettings s = d.Settings();
    QCOMPARE(s.FileCopyFrom, std::string("list2"));
    QCOMPARE(s.FileCopyTo, std::string("rare"));
    QCOMPARE(s.FilterNum, std::string("-5"));
    QVERIFY(s.Copy_Words && s.headwrds_only && s.usefamilytotal && !s.appendtofile);
  }

  void okMovesAndCloses() {
    Fixture f;
    WriteFile(f.dir.File("basewrd1.txt"), "ABLE 0\r\n\tABLY 2\r\nKEEP 3\r\n");
    CopyHeadWordsDialog d(f.window.engine());
    d.show();
    QTest::mouseClick(d.CopyOK, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(!d.isVisible());
    QCOMPARE(Q(ReadFile(f.dir.File("basewrd4.txt"))), QString("ABLE 0\r\n\tABLY 2\r\n"));
    QCOMPARE(Q(ReadFile(f.dir.File("basewrd1.txt"))), QString("KEEP 3\r\n\r\n"));
    QCOMPARE(f.window.Progress->toPlainText(),
             " Wrote 1 families out of 2 to file " + f.Path("basewrd4.txt") + "\n ");
  }

  void okWithAMissingSourceReportsAndCloses() {
    Fixture f;
    CopyHeadWordsDialog d(f.window.engine());
    d.show();
    QTest::mouseClick(d.CopyOK, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(f.window.Progress->toPlainText().startsWith("ERROR " + f.Path("basewrd1.txt") +
                                                        "doesn't exist!"));
  }

  void cancelDoesNothing() {
    Fixture f;
    WriteFile(f.dir.File("basewrd1.txt"), "ABLE 0\r\n");
    CopyHeadWordsDialog d(f.window.engine());
    d.show();
    QTest::mouseClick(d.CopyCancel, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QVERIFY(!d.isVisible());
    QCOMPARE(Q(ReadFile(f.dir.File("basewrd1.txt"))), QString("ABLE 0\r\n"));
    QVERIFY(!QFile::exists(f.Path("basewrd4.txt")));
    QVERIFY(f.window.Progress->toPlainText().isEmpty());
  }

  void menuOpensAFreshDialogEachTime() {
    Fixture f;
    WriteFile(f.dir.File("basewrd1.txt"), "ABLE 5\r\nBAKE 1\r\n");
    QString seenFrom;
    f.script.onDialog = [&](QDialog& dialog) {
      auto* d = dynamic_cast<CopyHeadWordsDialog*>(&dialog);
      QVERIFY(d != nullptr);
      QVERIFY(d->isModal() || d->parentWidget() == &f.window);
      seenFrom = d->FilterNum->text();
      d->FilterNum->setText("1");
      d->Copy_Words->setChecked(true);
      d->CopyOK->click();
    };
    f.window.moveCopyAction->trigger();
    QCOMPARE(f.script.dialogCalls, 1);
    QCOMPARE(seenFrom, QString("0"));
    QCOMPARE(Q(ReadFile(f.dir.File("basewrd4.txt"))), QString("BAKE 1\r\n"));

    f.window.moveCopyAction->trigger();  // what was typed before is gone
    QCOMPARE(seenFrom, QString("0"));
    QCOMPARE(Q(ReadFile(f.dir.File("basewrd4.txt"))), QString("BAKE 1\r\nBAKE 1\r\n"));
  }

  void screenshot() {
    Fixture f;
    CopyHeadWordsDialog d(f.window.engine());
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    uitest::SaveShot(d, "move_copy_dialog.png");
  }
};

QTEST_MAIN(CopyHeadWordsTest)
#include "CopyHeadWordsTest.moc"
