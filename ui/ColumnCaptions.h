// The headers of the explorer's tables in words a teacher reads ("Coverage after list 2 (%)",
// the file's name for a per-text column), while the data names of the exports (coverage_2, f3)
// stay the columns' names and show in the header's tool tip.
#pragma once

#include <QString>
#include <vector>

#include "ExplorerModels.h"

// The header shown for the column named name of a table over report.
QString ColumnCaption(const QString& name, const ExplorerReport& report);

// columns with their captions set. The Texts table's lists_for_95 and lists_for_98 also say
// their value in words ("95 % reached at list 3", "not reached (highest 94.46 %)").
std::vector<RowTableModel::Column> Captioned(std::vector<RowTableModel::Column> columns,
                                             const ExplorerReport& report);

// "95 % reached at list 3" or "not reached (highest 94.46 %)" for text row r of report.
QString ReachedText(const ExplorerReport& report, int r, int percent);
