#include "ExplorerModels.h"

#include <QColor>
#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "QuarnHeader.h"
#include "text/CharCase.h"

namespace {

using Column = RowTableModel::Column;

bool LessVariant(const QVariant& a, const QVariant& b) {
  if (a.isNull() != b.isNull()) return a.isNull();  // empty cells first
  return QVariant::compare(a, b) == QPartialOrdering::Less;
}

// Glob matching over bytes: * any run, ? any one character.
bool Glob(const char* p, const char* pe, const char* w, const char* we) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (w < we) {
    if (p < pe && (*p == '?' || *p == *w)) {
      ++p;
      ++w;
    } else if (p < pe && *p == '*') {
      star = ++p;
      resume = w;
    } else if (star != nullptr) {
      p = star;
      w = ++resume;
    } else {
      return false;
    }
  }
  while (p < pe && *p == '*') ++p;
  return p == pe;
}

QString FileName(const std::string& path) {
  const QString p = QString::fromStdString(quarn::MessageToUtf8(path));
  return p.mid(p.lastIndexOf('/') + 1);
}

QVariant ListCell(int list) {
  if (list == quarn::kNoListCode || list == quarn::kStopListCode || list == quarn::kTotalRowCode)
    return ListName(list);
  return list;
}

Column Number(const QString& name, std::function<int64_t(int)> get, QString tip = {}) {
  return {name, tip, [get](int r) { return QVariant(static_cast<qlonglong>(get(r))); },
          [get](int a, int b) { return get(a) < get(b); }, {}, get};
}

}  // namespace

void RowTableModel::Reset(std::vector<Column> columns, int count, std::shared_ptr<const void> owner) {
  beginResetModel();
  columns_ = std::move(columns);
  count_ = count;
  keep_ = nullptr;
  sortColumn_ = -1;
  Order();
  endResetModel();
  // Only now: the views asked nothing more of the columns before.
  owner_ = std::move(owner);
}

void RowTableModel::SetFilter(std::function<bool(int row)> keep) {
  beginResetModel();
  keep_ = std::move(keep);
  Order();
  endResetModel();
}

int RowTableModel::ColumnNamed(const QString& name) const {
  for (size_t c = 0; c < columns_.size(); ++c) {
    if (columns_[c].name == name) return static_cast<int>(c);
  }
  return -1;
}

void RowTableModel::Order() {
  order_.clear();
  order_.reserve(static_cast<size_t>(count_));
  for (int r = 0; r < count_; ++r) {
    if (!keep_ || keep_(r)) order_.push_back(r);
  }
  if (sortColumn_ < 0 || sortColumn_ >= static_cast<int>(columns_.size())) return;
  const Column& c = columns_[static_cast<size_t>(sortColumn_)];
  if (c.key) {
    std::vector<int64_t> keys(static_cast<size_t>(count_));
    for (const int r : order_) keys[static_cast<size_t>(r)] = c.key(r);
    auto byKey = [&keys](int a, int b) { return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)]; };
    if (sortOrder_ == Qt::AscendingOrder) {
      std::stable_sort(order_.begin(), order_.end(), byKey);
    } else {
      std::stable_sort(order_.begin(), order_.end(), [&byKey](int a, int b) { return byKey(b, a); });
    }
    return;
  }
  std::function<bool(int, int)> less = c.less;
  if (!less) {
    less = [&c](int a, int b) { return LessVariant(c.value(a), c.value(b)); };
  }
  // Stable from the results' own order, so that equal rows keep the order of the report.
  if (sortOrder_ == Qt::AscendingOrder) {
    std::stable_sort(order_.begin(), order_.end(), less);
  } else {
    std::stable_sort(order_.begin(), order_.end(), [&less](int a, int b) { return less(b, a); });
  }
}

void RowTableModel::sort(int column, Qt::SortOrder order) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  sortColumn_ = column;
  sortOrder_ = order;
  Order();
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int RowTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(order_.size())) return {};
  const int row = order_[static_cast<size_t>(index.row())];
  const Column& c = columns_[static_cast<size_t>(index.column())];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return c.value(row);
    case Qt::TextAlignmentRole: {
      if (c.align != Qt::Alignment()) return QVariant::fromValue(c.align);
      const QVariant v = c.value(row);
      const bool number = v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int ||
                          v.typeId() == QMetaType::Double;
      return QVariant::fromValue(Qt::Alignment(number ? Qt::AlignRight | Qt::AlignVCenter
                                                      : Qt::AlignLeft | Qt::AlignVCenter));
    }
    case Qt::BackgroundRole:
      if (rowBackground && index.column() == 0) {
        const QColor colour = rowBackground(row);
        if (colour.isValid()) return colour;
      }
      return {};
    case Qt::ForegroundRole:
      // White on a dark row colour (the words in no list), else the table's own.
      if (rowBackground && index.column() == 0) {
        const QColor colour = rowBackground(row);
        if (colour.isValid() && colour.lightness() < 110) return QColor(Qt::white);
      }
      return {};
    default:
      return {};
  }
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Vertical && rowHeader && role == Qt::DisplayRole && section >= 0 &&
      section < static_cast<int>(order_.size()))
    return rowHeader(order_[static_cast<size_t>(section)]);
  if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(columns_.size()))
    return QAbstractTableModel::headerData(section, orientation, role);
  const Column& c = columns_[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole) return c.caption.isEmpty() ? c.name : c.caption;
  if (role == Qt::ToolTipRole) {
    // The data name the exports use, then what the column holds.
    QString tip = c.caption.isEmpty() ? QString() : c.name;
    if (!c.tip.isEmpty()) tip += (tip.isEmpty() ? "" : ": ") + c.tip;
    return tip.isEmpty() ? QVariant() : QVariant(tip);
  }
  if (role == Qt::InitialSortOrderRole) {
    // Counts and shares are read from the largest down.
    const bool number = c.key || c.align == (Qt::AlignRight | Qt::AlignVCenter);
    return static_cast<int>(number ? Qt::DescendingOrder : Qt::AscendingOrder);
  }
  return {};
}

bool WordMatches(const std::string& upperPattern, bool wildcard, const std::string& word) {
  if (upperPattern.empty()) return true;
  if (!wildcard) return word.find(upperPattern) != std::string::npos;
  return Glob(upperPattern.data(), upperPattern.data() + upperPattern.size(), word.data(),
              word.data() + word.size());
}

std::string FilterPattern(const QString& text, bool* wildcard) {
  const std::string pattern = quarn::UpperCase(WordBytes(text.trimmed()));
  *wildcard = pattern.find_first_of("*?") != std::string::npos;
  return pattern;
}

std::vector<Column> WordColumns(const ExplorerReport& report, bool families) {
  const quarn::ResultsModel& m = report.model;
  const std::vector<quarn::WordRow>& rows = families ? m.families : m.types;
  std::vector<Column> columns;
  columns.push_back({families ? "headword" : "word", {},
                     [&rows](int r) { return QVariant(WordText(rows[static_cast<size_t>(r)].word)); },
                     [&rows](int a, int b) {
                       // Byte order of the engine's words, as the report's alphabetical order.
                       return rows[static_cast<size_t>(a)].word < rows[static_cast<size_t>(b)].word;
                     }});
  columns.push_back({"list", {}, [&rows](int r) { return ListCell(rows[static_cast<size_t>(r)].list); },
                     [&rows](int a, int b) {
                       return rows[static_cast<size_t>(a)].list < rows[static_cast<size_t>(b)].list;
                     }});
  columns.push_back(Number("range", [&rows](int r) { return rows[static_cast<size_t>(r)].range; },
                           "In how many texts"));
  columns.push_back(Number(families ? "type_freq" : "freq",
                           [&rows](int r) { return rows[static_cast<size_t>(r)].freq; }));
  if (families) {
    columns.push_back(Number("family_freq",
                             [&rows](int r) { return rows[static_cast<size_t>(r)].familyFreq; }));
  }
  for (int k = 0; k < m.fileColumns; ++k) {
    QString tip;
    if (!m.run.batch && k < static_cast<int>(m.run.texts.size()))
      tip = FileName(m.run.texts[static_cast<size_t>(k)].file);
    columns.push_back(Number("f" + QString::number(k + 1),
                             [&rows, k](int r) {
                               const auto& counts = rows[static_cast<size_t>(r)].fileCounts;
                               return k < static_cast<int>(counts.size()) ? counts[static_cast<size_t>(k)] : 0;
                             },
                             tip));
  }
  for (const bool norm : {false, true}) {
    auto dp = [&rows, norm](int r) {
      const quarn::WordRow& w = rows[static_cast<size_t>(r)];
      return norm ? w.dpNorm : w.dp;
    };
    columns.push_back({norm ? "dp_norm" : "dp", norm ? "Gries's DP, normalised" : "Gries's DP over the texts",
                       [dp](int r) { return QVariant(dp(r)); },
                       [dp](int a, int b) { return dp(a) < dp(b); }});
  }
  const QStringList& names = families ? report.familyExtraNames : report.typeExtraNames;
  const auto& extra = families ? report.familyExtra : report.typeExtra;
  for (qsizetype c = 0; c < names.size(); ++c) {
    const std::vector<QVariant>& values = extra[static_cast<size_t>(c)];
    columns.push_back({names[c], {}, [&values](int r) {
                         return r < static_cast<int>(values.size()) ? values[static_cast<size_t>(r)] : QVariant();
                       }, {}});
  }
  return columns;
}

std::vector<Column> TextColumns(const ExplorerReport& report) {
  const quarn::ResultsModel& m = report.model;
  const auto& rows = m.texts;
  const int lists = static_cast<int>(m.run.lists.size());
  std::vector<Column> columns;
  columns.push_back({"file", {}, [&rows](int r) { return QVariant(FileName(rows[static_cast<size_t>(r)].file)); }, {}});
  columns.push_back(Number("tokens", [&rows](int r) { return rows[static_cast<size_t>(r)].tokens; }));
  columns.push_back(Number("types", [&rows](int r) { return rows[static_cast<size_t>(r)].types; }));
  for (int k = 1; k <= lists; ++k) {
    // Shown as the results file shows it ("60.00"), sorted as a number.
    auto coverage = [&rows, k](int r) { return std::stod(rows[static_cast<size_t>(r)].Coverage(k)); };
    columns.push_back({"coverage_" + QString::number(k), "Tokens of lists 1 to " + QString::number(k) + ", %",
                       [&rows, k](int r) { return QVariant(QString::fromStdString(rows[static_cast<size_t>(r)].Coverage(k))); },
                       [coverage](int a, int b) { return coverage(a) < coverage(b); },
                       Qt::AlignRight | Qt::AlignVCenter});
  }
  columns.push_back(Number("tokens_none", [&rows](int r) { return rows[static_cast<size_t>(r)].noneTokens; },
                           "Tokens in no list"));
  for (const int percent : {95, 98}) {
    columns.push_back({"lists_for_" + QString::number(percent),
                       "Lists needed to know " + QString::number(percent) + " % of the tokens",
                       [&rows, percent](int r) {
                         const auto k = rows[static_cast<size_t>(r)].ListsFor(percent);
                         return k ? QVariant(*k) : QVariant();
                       },
                       {}});
  }
  return columns;
}

std::vector<Column> SummaryColumns(const ExplorerReport& report) {
  const auto& rows = report.model.summary;
  auto pct = [&rows](bool tokens) {
    return [&rows, tokens](int r) {
      const quarn::SummaryRow& s = rows[static_cast<size_t>(r)];
      if (!s.percentages) return QVariant();
      return QVariant(QString::fromStdString(tokens ? quarn::PercentText(s.tokens, s.tokensWhole)
                                                    : quarn::PercentText(s.types, s.typesWhole)));
    };
  };
  return {{"list", {}, [&rows](int r) { return QVariant(ListName(rows[static_cast<size_t>(r)].list)); },
           [](int a, int b) { return a < b; }},
          Number("tokens", [&rows](int r) { return rows[static_cast<size_t>(r)].tokens; }),
          {"tokens %", {}, pct(true), {}, Qt::AlignRight | Qt::AlignVCenter},
          Number("types", [&rows](int r) { return rows[static_cast<size_t>(r)].types; }),
          {"types %", {}, pct(false), {}, Qt::AlignRight | Qt::AlignVCenter},
          {"families", {}, [&rows](int r) {
             const auto& f = rows[static_cast<size_t>(r)].families;
             return f ? QVariant(static_cast<qlonglong>(*f)) : QVariant();
           }, {}}};
}

std::vector<Column> ListSizeColumns(const ExplorerReport& report) {
  const auto& rows = report.model.lists;
  return {Number("list", [&rows](int r) { return rows[static_cast<size_t>(r)].list; }),
          {"file", {}, [&rows](int r) { return QVariant(FileName(rows[static_cast<size_t>(r)].file)); }, {}},
          Number("types", [&rows](int r) { return rows[static_cast<size_t>(r)].types; }),
          Number("families", [&rows](int r) { return rows[static_cast<size_t>(r)].families; })};
}

std::vector<Column> RangeColumns(const ExplorerReport& report, const std::vector<int>* rows) {
  const auto& ranges = report.model.ranges;
  auto at = [&ranges, rows](int r) -> const quarn::RangeRow& {
    return ranges[static_cast<size_t>((*rows)[static_cast<size_t>(r)])];
  };
  return {Number("files", [at](int r) { return at(r).files; }, "Occurring in exactly this many texts"),
          Number("count", [at](int r) { return at(r).count; })};
}

std::vector<TextWord> NoListWordsOfText(const quarn::ResultsModel& model, int k) {
  std::vector<TextWord> words;
  if (k < 0) return words;
  if (!model.textCounts.empty()) {
    if (static_cast<size_t>(k) >= model.textCounts.size()) return words;
    std::unordered_map<std::string_view, int> noneRow;
    for (size_t r = 0; r < model.types.size(); ++r) {
      if (model.types[r].list == quarn::kNoListCode) noneRow.emplace(model.types[r].word, static_cast<int>(r));
    }
    for (const quarn::ResultsModel::TextCount& c : model.textCounts[static_cast<size_t>(k)]) {
      if (c.word < 0 || static_cast<size_t>(c.word) >= model.countWords.size() || c.count <= 0) continue;
      const auto it = noneRow.find(model.countWords[static_cast<size_t>(c.word)]);
      if (it != noneRow.end()) words.push_back({it->second, c.count});
    }
  } else {
    for (size_t r = 0; r < model.types.size(); ++r) {
      const quarn::WordRow& w = model.types[r];
      if (w.list == quarn::kNoListCode && k < static_cast<int>(w.fileCounts.size()) &&
          w.fileCounts[static_cast<size_t>(k)] > 0)
        words.push_back({static_cast<int>(r), w.fileCounts[static_cast<size_t>(k)]});
    }
  }
  std::stable_sort(words.begin(), words.end(), [&model](const TextWord& a, const TextWord& b) {
    if (a.count != b.count) return a.count > b.count;
    return model.types[static_cast<size_t>(a.row)].word < model.types[static_cast<size_t>(b.row)].word;
  });
  return words;
}

int RangeBars::TextsOf(const quarn::ResultsModel& model) {
  int64_t texts = model.run.batch ? 1 : static_cast<int64_t>(model.run.texts.size());
  for (const quarn::RangeRow& r : model.ranges) texts = std::max<int64_t>(texts, r.files);
  return static_cast<int>(std::clamp<int64_t>(texts, 1, INT32_MAX));
}

int RangeBars::SpanFor(int texts, int mostBars) {
  const int64_t most = std::max(mostBars, 1);
  auto fits = [&](int64_t span) { return (texts + span - 1) / span <= most || span >= texts; };
  auto capped = [&](int64_t span) {
    return static_cast<int>(std::min<int64_t>(span, std::max(texts, 1)));
  };
  for (const int64_t span : {1, 2, 5})
    if (fits(span)) return capped(span);
  for (int64_t power = 10;; power *= 10) {
    for (const int64_t span : {power, 2 * power, 5 * power / 2, 5 * power})
      if (fits(span)) return capped(span);
  }
}

RangeBars::RangeBars(const quarn::ResultsModel& model, int mostBars)
    : RangeBars(model.ranges, TextsOf(model), mostBars) {}

RangeBars::RangeBars(const std::vector<quarn::RangeRow>& ranges, int texts, int mostBars)
    : texts(std::max(texts, 1)), span(SpanFor(this->texts, mostBars)) {
  const size_t bars = static_cast<size_t>((static_cast<int64_t>(this->texts) + span - 1) / span);
  types.assign(bars, 0);
  families.assign(bars, 0);
  for (const quarn::RangeRow& r : ranges) {
    if (r.files < 1 || r.files > this->texts) continue;
    (r.family ? families : types)[static_cast<size_t>((r.files - 1) / span)] += static_cast<double>(r.count);
  }
}

QString RangeBars::Label(int bar) const {
  const int64_t first = static_cast<int64_t>(bar) * span + 1;
  const int64_t last = std::min<int64_t>(texts, first + span - 1);
  return first == last ? QString::number(first) : QString::number(first) + "–" + QString::number(last);
}
