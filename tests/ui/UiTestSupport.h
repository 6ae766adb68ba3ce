// Helpers for the window tests: a main window whose dialogs and boxes answer from a script, so
// that no test waits for a user, and screenshots into $QUARN_SCREENSHOT_DIR.
#pragma once

#include <QAbstractButton>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QQueue>
#include <QSet>
#include <QSignalSpy>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QStringList>
#include <QWidget>
#include <QtTest/QtTest>
#include <string>

#include "MainScreen.h"
#include "ResultsExplorer.h"
#include "TempDir.h"
#include "state/Engine.h"

namespace uitest {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

// Takes a picture of widget and checks that it shows something: the widget's size, and more
// than a handful of colours (a window drawn blank or in one colour has a few at most). Saves it
// as name in the screenshot folder when one is set.
inline void SaveShot(QWidget& widget, const QString& name) {
  const QImage shot = widget.grab().toImage();
  QCOMPARE(shot.size(), widget.size() * widget.devicePixelRatio());
  QSet<QRgb> colours;
  for (int y = 0; y < shot.height() && colours.size() <= 8; y += 3)
    for (int x = 0; x < shot.width() && colours.size() <= 8; x += 3) colours.insert(shot.pixel(x, y));
  QVERIFY2(colours.size() > 8, qPrintable(name + " looks blank"));
  const QString dir = qEnvironmentVariable("QUARN_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  QVERIFY(shot.save(dir + "/" + name));
}

// widget stands where the program puts it, unless the platform's font needed more room: then it
// is only moved right or made wider, never up, down or narrower.
inline void ExpectPlaced(const QWidget* widget, QRect given) {
  const QRect g = widget->geometry();
  QCOMPARE(g.y(), given.y());
  QCOMPARE(g.height(), given.height());
  QVERIFY2(g.x() >= given.x(), qPrintable(widget->objectName()));
  QVERIFY(g.width() >= given.width());
}

// No two visible controls of parent overlap, and no caption is cut short. The rows of check boxes
// are 16 pixels apart and 17 high, so a one-pixel touch is part of the layout.
inline void ExpectNoOverlap(const QWidget* parent) {
  QList<const QWidget*> children;
  for (const QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!w->isWindow() && !w->isHidden()) children << w;
  }
  for (qsizetype i = 0; i < children.size(); ++i) {
    const QWidget* a = children[i];
    const QString text = a->property("text").toString();
    if (qobject_cast<const QPushButton*>(a) != nullptr) {
      QVERIFY2(a->fontMetrics().horizontalAdvance(text) + 8 <= a->width(), qPrintable(text));
    } else if (qobject_cast<const QAbstractButton*>(a) != nullptr ||
               qobject_cast<const QLabel*>(a) != nullptr) {
      QVERIFY2(a->width() >= a->sizeHint().width(), qPrintable(text));
    }
    const QRect ra = a->geometry().adjusted(0, 0, -1, -1);
    for (qsizetype k = i + 1; k < children.size(); ++k) {
      const QWidget* b = children[k];
      QVERIFY2(!ra.intersects(b->geometry().adjusted(0, 0, -1, -1)),
               qPrintable(text + " / " + b->property("text").toString()));
    }
  }
}

// The format of the first character of the first occurrence of word (whole, same case) in text.
inline QTextCharFormat FormatOf(QTextEdit* text, const QString& word) {
  QTextCursor found = text->document()->find(
      word, 0, QTextDocument::FindWholeWords | QTextDocument::FindCaseSensitively);
  if (found.isNull()) return {};
  QTextCursor c(text->document());
  c.setPosition(found.selectionStart() + 1);
  return c.charFormat();
}

// Waits for the run started on its own thread to end (runFinished).
inline void WaitForRun(QSignalSpy& finished, int timeoutMs = 60000) {
  if (finished.isEmpty()) QVERIFY(finished.wait(timeoutMs));
  QCOMPARE(finished.count(), 1);
}

// Waits until the explorer has read the texts it was reading (the marked text, words in
// context and the words to pre-teach read them on workers).
inline bool WaitForReading(const ResultsExplorer* x, int timeoutMs = 30000) {
  return QTest::qWaitFor([x] { return !x->reading(); }, timeoutMs);
}

struct Box {
  QString text;
  MainScreen::BoxKind kind;
};

// Replaces every dialog of the window by a script and records what was asked.
struct Script {
  explicit Script(MainScreen& w) {
    w.chooseOpenFiles = [this](const QString& folder, const QString& filter) {
      openFolder = folder;
      openFilter = filter;
      ++openCalls;
      return openAnswer;
    };
    w.chooseSaveFile = [this](const QString& folder, const QString& filter) {
      saveFolder = folder;
      saveFilter = filter;
      ++saveCalls;
      return saveAnswer;
    };
    w.chooseStopFile = [this](const QString& folder, const QString& filter) {
      stopFolder = folder;
      stopFilter = filter;
      ++stopCalls;
      return stopAnswer;
    };
    w.showBox = [this](const QString& text, MainScreen::BoxKind kind) {
      boxes.push_back({text, kind});
      return answers.isEmpty() ? defaultAnswer : answers.dequeue();
    };
    w.runDialog = [this](QDialog& dialog) {
      ++dialogCalls;
      if (onDialog) onDialog(dialog);
    };
  }

  QStringList openAnswer;
  QString saveAnswer;
  QString stopAnswer;
  QQueue<bool> answers;
  bool defaultAnswer = true;
  std::function<void(QDialog&)> onDialog;

  QString openFolder, openFilter, saveFolder, saveFilter, stopFolder, stopFilter;
  int openCalls = 0, saveCalls = 0, stopCalls = 0, dialogCalls = 0;
  QList<Box> boxes;
};

// A window working in a fresh temporary folder.
struct Fixture {
  Fixture() : script(window) {
    quarn::SetProgramFolder(window.engine(), dir.path());
    window.engine().ScratchFolder = dir.path();
  }
  QString Path(const std::string& name) const { return Q(dir.File(name)); }
  // Presses Process Files, waits for the run on its thread and for the texts the explorer then
  // reads, and returns the explorer the run opened (null when it opened none).
  ResultsExplorer* PressAndOpen() {
    QSignalSpy finished(&window, &MainScreen::runFinished);
    window.Process_filesClick();
    if (finished.isEmpty()) finished.wait(60000);
    if (window.explorer() != nullptr) WaitForReading(window.explorer());
    return window.explorer();
  }

  quarn::testing::TempDir dir;
  MainScreen window;
  Script script;
};

}  // namespace uitest
