#include "ConcordanceView.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

#include "text/TextEncoding.h"

namespace {

constexpr size_t kContextWidth = 60;

QString LineText(const std::string& utf8) {
  QString s = QString::fromStdString(utf8);
  s.replace('\t', ' ');
  return s;
}

// The word of each line: bold on a light highlight.
class NodeDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->font.setBold(true);
    option->backgroundBrush = QColor("#FFF2A8");
  }
};

}  // namespace

ConcordanceView::ConcordanceView(QWidget* parent) : QWidget(parent) {
  heading = new QLabel("Double-click a word or a family in Words, Families, Texts or Marked text "
                       "to see every place where it occurs.");
  heading->setWordWrap(true);
  model_ = new RowTableModel(this);
  table = new QTableView;
  table->setModel(model_);
  table->setSortingEnabled(true);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->setVisible(false);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
  table->setWordWrap(false);
  table->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  table->setItemDelegateForColumn(3, new NodeDelegate(table));
  sortLeft = new QPushButton("Sort by left context");
  sortRight = new QPushButton("Sort by right context");
  sortBy = new QComboBox;
  sortBy->addItem("Text and line", 0);
  for (const int key : {-1, -2, -3, 1, 2, 3}) {
    static const char* const kNth[] = {"", "1st", "2nd", "3rd"};
    sortBy->addItem(QString(kNth[key < 0 ? -key : key]) + " word to the " + (key < 0 ? "left" : "right"),
                    key);
  }
  copy = new QPushButton("Copy");
  progress = new QProgressBar;
  progress->setRange(0, 1000);
  progress->setMaximumWidth(220);
  progress->hide();
  cancel = new QPushButton("Cancel");
  cancel->hide();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(new QLabel("Sort by:"));
  buttons->addWidget(sortBy);
  buttons->addWidget(sortLeft);
  buttons->addWidget(sortRight);
  buttons->addStretch(1);
  buttons->addWidget(progress);
  buttons->addWidget(cancel);
  buttons->addWidget(copy);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addWidget(table, 1);
  layout->addLayout(buttons);
  connect(cancel, &QPushButton::clicked, this, &ConcordanceView::CancelSearch);
  reader_.onProgress = [this](int done) { progress->setValue(done); };
  connect(sortLeft, &QPushButton::clicked, this, [this] { sortBy->setCurrentIndex(sortBy->findData(-1)); });
  connect(sortRight, &QPushButton::clicked, this, [this] { sortBy->setCurrentIndex(sortBy->findData(1)); });
  connect(sortBy, &QComboBox::currentIndexChanged, this, [this] { SortBy(sortBy->currentData().toInt()); });
  connect(copy, &QPushButton::clicked, this, [this] {
    QStringList out;
    for (int r = 0; r < model_->rowCount(); ++r) {
      const auto& l = lines_[static_cast<size_t>(model_->SourceRow(r))];
      out << fileNames_[l.text] + "\t" + QString::number(l.line) + "\t" + LineText(l.left) + "\t" +
                 LineText(l.word) + "\t" + LineText(l.right);
    }
    QApplication::clipboard()->setText(out.join('\n') + '\n');
  });
}

void ConcordanceView::Show(const QString& title, const std::unordered_set<std::string>& words,
                           const std::vector<std::string>& paths,
                           const quarn::TextCutting& cutting, const QString& note) {
  reader_.Cancel();
  // Nothing of an earlier search stays in view while this one runs.
  lines_.clear();
  fileNames_.clear();
  for (const std::string& p : paths) {
    const QString name = QString::fromStdString(quarn::MessageToUtf8(p));
    fileNames_ << name.mid(name.lastIndexOf('/') + 1);
  }
  Fill();
  title_ = title;
  note_ = note;
  heading->setText("<b>" + title.toHtmlEscaped() + "</b>: searching " +
                   QString::number(paths.size()) + (paths.size() == 1 ? " text…" : " texts…"));
  progress->setValue(0);
  progress->show();
  cancel->show();
  // The worker has copies of what it needs; view is used only by the result, which is applied
  // on the window's thread while the view lives.
  reader_.Start([fs = fs_, words, paths, cutting, view = this](const std::atomic<bool>& stop,
                                                               std::atomic<int>& done) {
    std::vector<quarn::ContextLine> found;
    quarn::SearchControl control;
    control.cancel = &stop;
    control.textsDone = [&done, total = paths.size()](size_t searched) {
      done = static_cast<int>(1000 * searched / total);
    };
    const quarn::Status s =
        quarn::FindContexts(*fs, paths, cutting, words, kContextWidth, &found, control);
    return BackgroundReader::Apply(
        [view, found = std::move(found), s]() mutable { view->Found(std::move(found), s); });
  });
}

void ConcordanceView::Found(std::vector<quarn::ContextLine> found, const quarn::Status& s) {
  progress->hide();
  cancel->hide();
  lines_ = std::move(found);
  QString text = "<b>" + title_.toHtmlEscaped() + "</b>: " + QString::number(lines_.size()) +
                 (lines_.size() == 1 ? " occurrence" : " occurrences");
  if (!s.ok()) {
    text += " — " + QString::fromStdString(quarn::MessageToUtf8(s.ToString())).toHtmlEscaped();
  }
  if (!note_.isEmpty()) text += "<br>" + note_.toHtmlEscaped();
  heading->setText(text);
  SortBy(sortBy->currentData().toInt());
}

void ConcordanceView::CancelSearch() {
  if (!reader_.busy()) return;
  reader_.Cancel();
  progress->hide();
  cancel->hide();
  heading->setText("<b>" + title_.toHtmlEscaped() +
                   "</b>: the search was cancelled; no occurrences are shown.");
}

void ConcordanceView::SortBy(int key) {
  if (sortBy->currentData().toInt() != key) {
    QSignalBlocker block(sortBy);
    sortBy->setCurrentIndex(sortBy->findData(key));
  }
  if (key == 0) {
    std::stable_sort(lines_.begin(), lines_.end(), [](const auto& a, const auto& b) {
      return a.text != b.text ? a.text < b.text : a.line < b.line;
    });
  } else {
    std::stable_sort(lines_.begin(), lines_.end(),
                     [key](const auto& a, const auto& b) { return quarn::ContextLess(a, b, key); });
  }
  Fill();
}

void ConcordanceView::Fill() {
  const auto& lines = lines_;
  const QStringList& files = fileNames_;
  auto at = [&lines](int r) -> const quarn::ContextLine& { return lines[static_cast<size_t>(r)]; };
  std::vector<RowTableModel::Column> columns = {
      {"file", {}, [at, &files](int r) { return QVariant(files[at(r).text]); },
       [at](int a, int b) { return at(a).text < at(b).text; }},
      {"line", {}, [at](int r) { return QVariant(static_cast<qlonglong>(at(r).line)); },
       [at](int a, int b) {
         return at(a).text != at(b).text ? at(a).text < at(b).text : at(a).line < at(b).line;
       }},
      {"left context", {}, [at](int r) { return QVariant(LineText(at(r).left)); },
       [at](int a, int b) { return quarn::ContextLess(at(a), at(b), -1); },
       Qt::AlignRight | Qt::AlignVCenter},
      {"word", {}, [at](int r) { return QVariant(LineText(at(r).word)); }, {},
       Qt::AlignCenter},
      {"right context", {}, [at](int r) { return QVariant(LineText(at(r).right)); },
       [at](int a, int b) { return quarn::ContextLess(at(a), at(b), 1); }}};
  columns[0].caption = "Text";
  columns[1].caption = "Line";
  columns[2].caption = "Left context";
  columns[3].caption = "Word";
  columns[4].caption = "Right context";
  model_->Reset(std::move(columns), static_cast<int>(lines_.size()));
  table->horizontalHeader()->setSortIndicatorShown(false);
  table->resizeColumnsToContents();
  table->horizontalHeader()->setStretchLastSection(true);
}
