// The Make headword list dialog: its controls, OK and Cancel, and its opening from the window.
#include <QtTest/QtTest>
#include <string>

#include "MakeHeadWords.h"
#include "TempDir.h"
#include "UiTestSupport.h"
#include "MainScreen.h"
#include "state/Engine.h"

using quarn::testing::ReadFile;
using quarn::testing::WriteFile;
using uitest::Fixture;
using uitest::Q;

class MakeHeadWordsTest : public QObject {
  Q_OBJECT

 private slots:
  void initialStates() {
    Fixture f;
    MakeHeadWordsDialog d(f.window.engine(), &f.window);
    QCOMPARE(d.windowTitle(), QString("Make Headword List"));
    QCOMPARE(d.Title->text(), QString("Make A Headword list"));
    QCOMPARE(d.Title->font().pointSize(), 14);
    QCOMPARE(d.Title->pos(), QPoint(16, 8));
    QCOMPARE(d.text0->text(), QString("Copy"));
    QCOMPARE(d.text0->pos(), QPoint(32, 66));
    QCOMPARE(d.FileCopyFrom->text(), QString("basewrd1"));
    QCOMPARE(d.FileCopyFrom->geometry(), QRect(64, 62, 65, 21));
    QCOMPARE(d.text1->text(), QString("headwords "));
    QCOMPARE(d.text1->pos(), QPoint(136, 66));
    QCOMPARE(d.text2->text(), QString("to file"));
    QVERIFY(d.text2->x() >= 192);
    QCOMPARE(d.text2->y(), 66);
    QCOMPARE(d.FileCopyTo->text(), QString("headwords"));
    uitest::ExpectPlaced(d.FileCopyTo, QRect(224, 62, 65, 21));
    uitest::ExpectNoOverlap(&d);
    QVERIFY(d.width() >= 304);
    QCOMPARE(d.CopyOK->text(), QString("OK"));
    QCOMPARE(d.CopyOK->pos(), QPoint(16, 120));
    QCOMPARE(d.CopyCancel->text(), QString("Cancel"));
    QCOMPARE(d.CopyCancel->pos(), QPoint(104, 120));
    QCOMPARE(d.Settings().FileCopyFrom, std::string("basewrd1"));
    QCOMPARE(d.Settings().FileCopyTo, std::string("headwords"));
  }

  void okWritesHeadwordsAndCloses() {
    Fixture f;
    WriteFile(f.dir.File("basewrd1.txt"), "apple 12\r\n\tapples 3\r\nice cream 3\r\n");
    MakeHeadWordsDialog d(f.window.engine());
    d.show();
    QTest::mouseClick(d.CopyOK, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(!d.isVisible());
    QCOMPARE(Q(ReadFile(f.dir.File("headwords.txt"))), QString("APPLE\r\nICE CREAM\r\n"));
    QCOMPARE(f.window.Progress->toPlainText(),
             " Wrote 2 Headwords to file " + f.Path("headwords.txt") + "\n ");
  }

  void otherNames() {
    Fixture f;
    WriteFile(f.dir.File("list2.txt"), "two 2\r\n");
    MakeHeadWordsDialog d(f.window.engine());
    d.FileCopyFrom->setText("list2");
    d.FileCopyTo->setText("heads2");
    d.CopyOK->click();
    QCOMPARE(Q(ReadFile(f.dir.File("heads2.txt"))), QString("TWO\r\n"));
  }

  void cancelDoesNothing() {
    Fixture f;
    WriteFile(f.dir.File("basewrd1.txt"), "apple 12\r\n");
    MakeHeadWordsDialog d(f.window.engine());
    d.show();
    QTest::mouseClick(d.CopyCancel, Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(f.Path("headwords.txt")));
    QVERIFY(f.window.Progress->toPlainText().isEmpty());
  }

  void menuOpensTheDialog() {
    Fixture f;
    WriteFile(f.dir.File("basewrd1.txt"), "one 1\r\n");
    int opened = 0;
    f.script.onDialog = [&](QDialog& dialog) {
      auto* d = dynamic_cast<MakeHeadWordsDialog*>(&dialog);
      QVERIFY(d != nullptr);
      ++opened;
      QCOMPARE(d->FileCopyTo->text(), QString("headwords"));
      d->FileCopyTo->setText("changed");
      d->CopyOK->click();
    };
    f.window.headWordListAction->trigger();
    f.window.headWordListAction->trigger();
    QCOMPARE(opened, 2);
    QCOMPARE(Q(ReadFile(f.dir.File("changed.txt"))), QString("ONE\r\nONE\r\n"));
  }

  void screenshot() {
    Fixture f;
    MakeHeadWordsDialog d(f.window.engine());
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    uitest::SaveShot(d, "headword_dialog.png");
  }
};

QTEST_MAIN(MakeHeadWordsTest)
#include "MakeHeadWordsTest.moc"
