#include "ExplorerCharts.h"

#include <QBarCategoryAxis>
#include <QBarSet>
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
