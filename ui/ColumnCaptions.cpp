#include "ColumnCaptions.h"

#include <QHash>

#include "QuarnHeader.h"
#include "text/TextEncoding.h"

namespace {

QString BaseName(const std::string& path) {
  const QString p = QString::fromStdString(quarn::MessageToUtf8(path));
  return p.mid(p.lastIndexOf('/') + 1);
}

}  // namespace

QString ColumnCaption(const QString& name, const ExplorerReport& report) {
  static const QHash<QString, QString> kFixed = {
      {"word", "Word"},
      {"headword", "Headword"},
      {"list", "List"},
      {"range", "Range (texts)"},
      {"freq", "Frequency"},
      {"type_freq", "Headword frequency"},
      {"family_freq", "Family frequency"},
      {"dp", "Dispersion (DP)"},
      {"dp_norm", "Dispersion (DP, normalised)"},
      {"file", "Text"},
      {"tokens", "Tokens"},
      {"types", "Types"},
      {"tokens %", "Tokens (%)"},
      {"types %", "Types (%)"},
      {"families", "Families"},
      {"tokens_none", "Tokens not in a list"},
      {"tokens_stop", "Tokens in the stop list"},
      {"lists_for_95", "95 % coverage"},
      {"lists_for_98", "98 % coverage"},
      {"files", "Texts"},
      {"count", "Count"},
  };
  const auto fixed = kFixed.find(name);
  if (fixed != kFixed.end()) return *fixed;
  bool ok = false;
  if (name.startsWith("coverage_")) {
    const int k = name.mid(9).toInt(&ok);
    if (ok) return "Coverage after list " + QString::number(k) + " (%)";
  }
  if (name.startsWith("tokens_")) {
    const int k = name.mid(7).toInt(&ok);
    if (ok) return "Tokens of list " + QString::number(k);
  }
  if (name.size() > 1 && name[0] == 'f') {
    const int k = name.mid(1).toInt(&ok);
    const auto& texts = report.model.run.texts;
    if (ok && k >= 1 && !report.model.run.batch && k <= static_cast<int>(texts.size()))
      return BaseName(texts[static_cast<size_t>(k - 1)].file);
  }
  return name;
}

QString ReachedText(const ExplorerReport& report, int r, int percent) {
  const quarn::TextRow& t = report.model.texts[static_cast<size_t>(r)];
  const int lists = static_cast<int>(report.model.run.lists.size());
  if (const auto k = t.ListsFor(percent))
    return QString::number(percent) + " % reached at list " + QString::number(*k);
  const QString highest = lists > 0 ? QString::fromStdString(t.Coverage(lists)) : QString("0.00");
  return "not reached (highest " + highest + " %)";
}

std::vector<RowTableModel::Column> Captioned(std::vector<RowTableModel::Column> columns,
                                             const ExplorerReport& report) {
  for (RowTableModel::Column& c : columns) {
    c.caption = ColumnCaption(c.name, report);
    for (const int percent : {95, 98}) {
      if (c.name != "lists_for_" + QString::number(percent)) continue;
      const ExplorerReport* rep = &report;
      c.value = [rep, percent](int r) { return QVariant(ReachedText(*rep, r, percent)); };
      // Fewer lists first; a text that never reaches the share after every one that does.
      auto lists = [rep, percent](int r) {
        const auto k = rep->model.texts[static_cast<size_t>(r)].ListsFor(percent);
        return k ? *k : quarn::kMaxLists + 1;
      };
      c.less = [lists](int a, int b) { return lists(a) < lists(b); };
      c.key = nullptr;
      c.align = Qt::AlignLeft | Qt::AlignVCenter;
    }
  }
  return columns;
}
