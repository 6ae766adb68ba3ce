// The Summary tab's chart: each list's share of the tokens as a bar in the list's own colour, a
// bar for the tokens in no list, and the cumulative coverage against 95 and 98 %.
#pragma once

#include <QChart>

#include "results/ResultsModel.h"

// A new chart over model's summary (the caller owns it).
QChart* CoverageChart(const quarn::ResultsModel& model);
