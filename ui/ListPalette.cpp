#include "ListPalette.h"

#include <algorithm>

#include "QuarnHeader.h"
#include "results/ResultsModel.h"

QColor ListBackground(int list) {
  static const char* const kTwelve[] = {"#77AADD", "#EEDD88", "#44BB99", "#FFAABB",
                                        "#99DDFF", "#BBCC33", "#EE8866", "#C6B8E8",
                                        "#CC99CC", "#D2B48C", "#9FD89F", "#FFD0E8"};
  if (list == quarn::kNoListCode) return QColor("#B2182B");
  if (list == quarn::kStopListCode) return QColor("#E6E6E6");
  if (list >= 1 && list <= 12) return QColor(kTwelve[list - 1]);
  if (list > 12 && list <= quarn::kMaxLists) {
    // Blue-grey, a step darker for every list, never too dark for black text.
    return QColor::fromHsl(220, 70, std::max(130, 226 - (list - 13) * 2));
  }
  return QColor();
}

QColor ListTextColour(int list) {
  return list == quarn::kNoListCode ? QColor(Qt::white) : QColor(Qt::black);
}

QColor ListColour(int list) {
  if (list == quarn::kStopListCode) return QColor("#8C8C8C");
  const QColor background = ListBackground(list);
  return background.isValid() ? background.darker(150) : QColor(Qt::black);
}

QString ListName(int list) {
  if (list == quarn::kNoListCode) return "Not in a list";
  if (list == quarn::kStopListCode) return "Stop list";
  if (list == quarn::kTotalRowCode) return "Total";
  return "List " + QString::number(list);
}
