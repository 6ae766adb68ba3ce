// The windowed program: the main window over the engine, started in the current directory.
#include <QApplication>
#include <QDir>
#include <QScreen>

#include "MainScreen.h"
#include "state/Engine.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quarn");

  MainScreen window;
  // The baseword files, quarn.txt and the dialogs' files are looked for where Quarn started.
  quarn::SetProgramFolder(window.engine(), ToEnginePath(QDir::currentPath()));

  if (QScreen* screen = window.screen()) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
  }
  window.show();
  return app.exec();
}
