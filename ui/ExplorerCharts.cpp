#include "ExplorerCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QFontMetricsF>
#include <QLegendMarker>
#include <QLineSeries>
#include <QStackedBarSeries>
#include <QValueAxis>

#include "ListPalette.h"
#include "QuarnHeader.h"

QChart* CoverageChart(const quarn::ResultsModel& m) {
  auto* chart = new QChart;
  chart->setTitle("Cumulative token coverage by list");
  // The bars, in order: the used lists, then the words in no list.
  std::vector<std::pair<int, double>> bars;
  for (const quarn::SummaryRow& s : m.summary) {
    if (s.list == quarn::kTotalRowCode || s.list == quarn::kStopListCode) continue;
    if (s.list != quarn::kNoListCode && (s.list < 1 || s.list > quarn::kMaxLists)) continue;
    const double share = s.tokensWhole > 0 ? 100.0 * static_cast<double>(s.tokens) /
                                                 static_cast<double>(s.tokensWhole)
                                           : 0;
    bars.emplace_back(s.list, share);
  }
  std::stable_partition(bars.begin(), bars.end(),
                        [](const auto& b) { return b.first != quarn::kNoListCode; });
  QStringList categories;
  // The names under the bars, on two lines when long: a category is as wide as its bar.
  for (const auto& [list, share] : bars) {
    QString name = ListName(list);
    if (name.size() > 8 && name.count(' ') >= 2)
      name.replace(name.indexOf(' ', name.indexOf(' ') + 1), 1, "<br>");
    categories << name;
  }
  // One set per bar, stacked on zeros elsewhere: every bar takes its list's colour.
  auto* series = new QStackedBarSeries;
  for (size_t k = 0; k < bars.size(); ++k) {
    auto* set = new QBarSet(ListName(bars[k].first));
    set->setColor(ListBackground(bars[k].first));
    set->setBorderColor(ListColour(bars[k].first));
    for (size_t c = 0; c < bars.size(); ++c) *set << (c == k ? bars[k].second : 0.0);
    series->append(set);
  }
  auto* cumulative = new QLineSeries;
  cumulative->setName("Cumulative coverage, %");
  cumulative->setPen(QPen(QColor("#333333"), 3));
  cumulative->setPointsVisible(true);
  double running = 0;
  int lists = 0;
  for (const auto& [list, share] : bars) {
    if (list == quarn::kNoListCode) break;
    running += share;
    cumulative->append(lists++, running);
  }
  chart->addSeries(series);
  chart->addSeries(cumulative);
  auto* axisX = new QBarCategoryAxis;
  axisX->append(categories);
  auto* axisY = new QValueAxis;
  axisY->setRange(0, 100);
  axisY->setTickCount(6);  // room for every label in a low chart
  axisY->setLabelFormat("%d %%");
  chart->addAxis(axisX, Qt::AlignBottom);
  chart->addAxis(axisY, Qt::AlignLeft);
  for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{series, cumulative}) {
    s->attachAxis(axisX);
    s->attachAxis(axisY);
  }
  for (const int percent : {95, 98}) {
    auto* line = new QLineSeries;
    line->setName(QString::number(percent) + " %");
    line->setPen(QPen(percent == 95 ? QColor("#0072B2") : QColor("#CC79A7"), 2, Qt::DashLine));
    line->append(-0.5, percent);
    line->append(std::max<qsizetype>(categories.size(), 1) - 0.5, percent);
    chart->addSeries(line);
    line->attachAxis(axisX);
    line->attachAxis(axisY);
  }
  axisY->setRange(0, 100);  // as attaching the bars may have changed it
  chart->legend()->setAlignment(Qt::AlignBottom);
  // The bars are named by the axis: the legend keeps the lines.
  for (QLegendMarker* marker : chart->legend()->markers(series)) marker->setVisible(false);
  return chart;
}

RangeChart::RangeChart(const quarn::ResultsModel& model)
    : ranges_(model.ranges), texts_(RangeBars::TextsOf(model)), bars_(ranges_, texts_, 1) {
  setTitle("Types and families by range (number of texts they occur in)");
  types_ = new QBarSet("Types");
  families_ = new QBarSet("Families");
  types_->setColor(ListColour(1));
  families_->setColor(ListColour(3));
  auto* series = new QBarSeries;
  series->append(types_);
  series->append(families_);
  addSeries(series);
  axisX_ = new QBarCategoryAxis;
  axisX_->setTitleText("Texts");  // the labels tell the span of a bar
  axisY_ = new QValueAxis;
  axisY_->setLabelFormat("%d");
  addAxis(axisX_, Qt::AlignBottom);
  addAxis(axisY_, Qt::AlignLeft);
  series->attachAxis(axisX_);
  series->attachAxis(axisY_);
  legend()->setAlignment(Qt::AlignBottom);
  // Until the chart is laid out, as many bars as fit a window of the usual size.
  Show(20);
  // Queued: the bars change after a layout, not inside it.
  connect(
      this, &QChart::plotAreaChanged, this,
      [this] {
        const int most = MostBarsFitting();
        if (RangeBars::SpanFor(texts_, most) != bars_.span) Show(most);
      },
      Qt::QueuedConnection);
}

void RangeChart::Show(int mostBars) {
  bars_ = RangeBars(ranges_, texts_, mostBars);
  QStringList categories;
  QList<qreal> types, families;
  double most = 1;
  for (size_t b = 0; b < bars_.types.size(); ++b) {
    categories << bars_.Label(static_cast<int>(b));
    types << bars_.types[b];
    families << bars_.families[b];
    most = std::max({most, bars_.types[b], bars_.families[b]});
  }
  types_->remove(0, types_->count());
  families_->remove(0, families_->count());
  types_->append(types);
  families_->append(families);
  axisX_->clear();
  axisX_->append(categories);
  axisY_->setRange(0, most);
  axisY_->applyNiceNumbers();
}

int RangeChart::MostBarsFitting() const {
  const qreal width = plotArea().width();
  if (width <= 0) return static_cast<int>(bars_.types.size());  // not laid out yet
  // The axis gives each label an equal share of the width (one more share than bars), less its
  // padding and the text's margins; beyond that it cuts the label short with "...". 20 pixels
  // keep every label whole at any width from 600 to 2000 pixels.
  constexpr qreal kLabelMargins = 20;
  const QFontMetricsF metrics(axisX_->labelsFont());
  for (int64_t most = texts_;;) {
    const int span = RangeBars::SpanFor(texts_, static_cast<int>(most));
    const int64_t bars = (static_cast<int64_t>(texts_) + span - 1) / span;
    if (bars <= 1) return 1;
    const qreal room = width / static_cast<qreal>(bars + 1) - kLabelMargins;
    if (room > 0) {
      const RangeBars candidate({}, texts_, static_cast<int>(bars));
      qreal widest = 0;
      for (int64_t b = 0; b < bars && widest <= room; ++b)
        widest = std::max(widest, metrics.horizontalAdvance(candidate.Label(static_cast<int>(b))));
      if (widest <= room) return static_cast<int>(bars);
    }
    most = bars - 1;
  }
}
