// What the results explorer keeps between runs and sessions: its size and place (in the user's
// settings, read when an explorer is made and written when it closes or hides), and which run
// the results it shows are from, so that an explorer left open over an earlier run says so.
#pragma once

#include <QWidget>

class ResultsExplorer;

// The settings group and key of the explorer's geometry.
inline constexpr const char* kExplorerGeometryKey = "explorer/geometry";

void RestoreWindowState(QWidget* window);
void SaveWindowState(const QWidget* window);

// The explorer now shows the run that just ended.
void MarkRunShown(ResultsExplorer* explorer);
// A later run ended without results to show: the explorer tells which run it shows.
void MarkFromEarlierRun(ResultsExplorer* explorer);
