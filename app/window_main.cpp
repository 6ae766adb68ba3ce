// The windowed program: the main window over the engine, started in the current directory.
// Started with --user-folder (as the desktop menu starts it), it works in the user's own Quarn
// folder instead, ~/Quarn, which the first such start fills with the shipped lists and texts.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <QStringList>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "MainScreen.h"
#include "state/Engine.h"
#include "state/UserFolder.h"

namespace {

// Prepares ~/Quarn and makes it the current folder; on failure says why and stays where it is.
void EnterUserFolder() {
  const QString folder = QDir::home().filePath("Quarn");
  // The shipped files lie in share/quarn beside the installed bin folder.
  const QDir data(QCoreApplication::applicationDirPath() + "/" QUARN_DATA_FROM_BIN);
  const std::vector<std::string> sources = {ToEnginePath(data.filePath("lists")),
                                            ToEnginePath(data.filePath("sample"))};
  const quarn::Status s = quarn::PrepareUserFolder(*quarn::FileSystem::Default(),
                                                   ToEnginePath(folder), sources, nullptr);
  if (!s.ok() || !QDir::setCurrent(folder)) {
    QMessageBox::warning(nullptr, "Quarn",
                         "Could not prepare the folder " + folder + ":\n" +
                             QString::fromStdString(s.ToString()) + "\nQuarn works in " +
                             QDir::currentPath() + " instead.");
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quarn");
  QApplication::setDesktopFileName("org.quarn.Quarn");
  if (QApplication::arguments().contains("--user-folder")) EnterUserFolder();

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
