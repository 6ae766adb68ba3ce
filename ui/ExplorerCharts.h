// The explorer's charts. The Summary tab's: each list's share of the tokens as a bar in the
// list's own colour, a bar for the tokens in no list, and the cumulative coverage against 95 and
// 98 %. The Ranges tab's: how many types and families occur in so many texts.
#pragma once

#include <QChart>
#include <vector>

#include "ExplorerModels.h"
#include "results/ResultsModel.h"

QT_BEGIN_NAMESPACE
class QBarCategoryAxis;
class QBarSet;
class QValueAxis;
QT_END_NAMESPACE

// A new chart over model's summary (the caller owns it).
QChart* CoverageChart(const quarn::ResultsModel& model);

// The Ranges chart over a model's range table. Every label under the bars is written out in
// full: the chart groups the ranges into bars of a round span of texts (RangeBars), as few per
// bar as the chart's width leaves room for, and groups them again when its width changes.
class RangeChart : public QChart {
 public:
  explicit RangeChart(const quarn::ResultsModel& model);
  const RangeBars& bars() const { return bars_; }

 private:
  // Shows the bars of at most mostBars.
  void Show(int mostBars);
  // The most bars whose labels fit the plot area's width.
  int MostBarsFitting() const;

  std::vector<quarn::RangeRow> ranges_;
  int texts_ = 1;
  RangeBars bars_;
  QBarSet* types_ = nullptr;
  QBarSet* families_ = nullptr;
  QBarCategoryAxis* axisX_ = nullptr;
  QValueAxis* axisY_ = nullptr;
};
