// Table models of the results explorer: each shows rows of the results model through its own
// order of row numbers (sorting and filtering never copy the rows), so that a table of hundreds
// of thousands of words opens and sorts at once.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ResultsData.h"

// A table over rows 0..count-1 of some data, with columns given as functions of the row number.
class RowTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  struct Column {
    QString name;
    QString tip;  // header tool tip
    std::function<QVariant(int row)> value;  // what the cell shows (numbers stay numbers)
    std::function<bool(int a, int b)> less = nullptr;  // sort order; by value() when empty
    Qt::Alignment align = {};                 // by the kind of value when empty
    // A whole-number key that orders the rows as less does: taken once per row when sorting,
    // which is faster than comparing through less.
    std::function<int64_t(int row)> key = nullptr;
    QString caption = {};  // the header a reader sees (see ColumnCaptions.h); name when empty
  };

  explicit RowTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // Replaces the columns and the rows (count of them, all shown, in their order). owner is
  // what the columns read: the model keeps it until the next Reset.
  void Reset(std::vector<Column> columns, int count, std::shared_ptr<const void> owner = nullptr);
  // Shows only the rows keep accepts (all when keep is empty), in the current sort order.
  void SetFilter(std::function<bool(int row)> keep);
  // The data row shown at row r.
  int SourceRow(int r) const { return order_[static_cast<size_t>(r)]; }
  int ColumnNamed(const QString& name) const;
  // The colour behind a row (no colour when it gives an invalid one).
  std::function<QColor(int row)> rowBackground;
  // The vertical header of a row (none when empty): a name that stays in view while the table
  // scrolls sideways.
  std::function<QString(int row)> rowHeader;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void sort(int column, Qt::SortOrder order) override;

 private:
  void Order();
  std::vector<Column> columns_;
  std::shared_ptr<const void> owner_;
  int count_ = 0;
  std::vector<int> order_;
  std::function<bool(int row)> keep_;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

// True iff word (upper case, Windows-1252) matches pattern: with * or ? a whole-word wildcard
// pattern, otherwise a substring; letter case ignored. An empty pattern matches everything.
bool WordMatches(const std::string& upperPattern, bool wildcard, const std::string& word);
// The pattern a filter box holds, ready for WordMatches.
std::string FilterPattern(const QString& text, bool* wildcard);

// The columns of the explorer's tables over report.
std::vector<RowTableModel::Column> WordColumns(const ExplorerReport& report, bool families);
std::vector<RowTableModel::Column> TextColumns(const ExplorerReport& report);
std::vector<RowTableModel::Column> SummaryColumns(const ExplorerReport& report);
std::vector<RowTableModel::Column> ListSizeColumns(const ExplorerReport& report);
// The range rows of one unit (rows: the indexes into model.ranges).
std::vector<RowTableModel::Column> RangeColumns(const ExplorerReport& report,
                                                const std::vector<int>* rows);

// The words in no list of text k (0-based): their type rows and counts in the text, most
// frequent first. From the file columns, or from the texts' counts when the model holds them
// (more texts than file columns).
struct TextWord {
  int row = 0;
  int64_t count = 0;
};
std::vector<TextWord> NoListWordsOfText(const quarn::ResultsModel& model, int k);

// The bars of the Ranges chart: how many types and families occur in so many texts. One bar
// per number of texts when there are at most mostBars texts; beyond, bars of the smallest round
// span of texts (2, 5, 10, 20, 25, 50, 100, ...) that needs at most mostBars, counted from 1,
// so that they read "1–10", "11–20", ...
struct RangeBars {
  explicit RangeBars(const quarn::ResultsModel& model, int mostBars = 64);
  RangeBars(const std::vector<quarn::RangeRow>& ranges, int texts, int mostBars);
  // The texts a range can reach: 1 in batch mode, else the run's texts (at least the highest
  // range of the table).
  static int TextsOf(const quarn::ResultsModel& model);
  // The smallest round span that gives texts in at most mostBars bars (at least 1 bar).
  static int SpanFor(int texts, int mostBars);
  QString Label(int bar) const;
  int texts = 1;
  int span = 1;  // texts per bar
  std::vector<double> types, families;
};
