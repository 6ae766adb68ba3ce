#include "ExplorerWindowState.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QSettings>

#include "ResultsExplorer.h"

namespace {

constexpr const char* kShownSince = "quarnRunEnded";

// The user's settings of the program (the main window keeps none of its own).
constexpr const char* kOrganisation = "Quarn";
constexpr const char* kApplication = "Quarn";

}  // namespace

void RestoreWindowState(QWidget* window) {
  QSettings settings(kOrganisation, kApplication);
  const QByteArray geometry = settings.value(kExplorerGeometryKey).toByteArray();
  if (!geometry.isEmpty()) window->restoreGeometry(geometry);
}

void SaveWindowState(const QWidget* window) {
  QSettings settings(kOrganisation, kApplication);
  settings.setValue(kExplorerGeometryKey, window->saveGeometry());
}

void MarkRunShown(ResultsExplorer* explorer) {
  explorer->setProperty(kShownSince, QDateTime::currentDateTime());
  explorer->origin->hide();
}

void MarkFromEarlierRun(ResultsExplorer* explorer) {
  const QDateTime ended = explorer->property(kShownSince).toDateTime();
  explorer->origin->setText(
      ended.isValid()
          ? "These results are from an earlier run, which ended at " + ended.toString("HH:mm:ss") +
                ". The latest run gave no results to show."
          : "These results are from an earlier run or file. The latest run gave no results to "
            "show.");
  explorer->origin->setStyleSheet("QLabel{background:#FFF2A8;padding:4px;}");
  explorer->origin->show();
}

void ResultsExplorer::closeEvent(QCloseEvent* event) {
  SaveWindowState(this);
  QMainWindow::closeEvent(event);
}

void ResultsExplorer::hideEvent(QHideEvent* event) {
  SaveWindowState(this);
  QMainWindow::hideEvent(event);
}
