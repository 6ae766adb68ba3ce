#include "MarkedTextView.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QSaveFile>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>
#include <QVBoxLayout>

#include "QuarnHeader.h"
#include "explore/ShownText.h"
#include "text/TextEncoding.h"

namespace {

// A longer text is shown up to here: the view is for reading, not for whole corpora.
constexpr int64_t kMaxLines = 20000;
constexpr size_t kMaxBytes = 400000;

QString Css(int list) {
  if (list == quarn::kStopListCode) return "color:" + ListColour(list).name() + ";";
  QString css = "background-color:" + ListBackground(list).name() + ";";
  if (ListTextColour(list) != QColor(Qt::black))
    css += "color:" + ListTextColour(list).name() + ";";
  if (list == quarn::kNoListCode) css += "text-decoration:underline;";
  return css;
}

QString PercentOf(int64_t part, int64_t whole) {
  return whole > 0 ? QString::number(100.0 * static_cast<double>(part) / static_cast<double>(whole),
                                     'f', 2)
                   : QString("0.00");
}

// The lists a legend shows: those of the run, then no list, then the stop list when used.
std::vector<int> LegendLists(const quarn::ResultsModel& m) {
  std::vector<int> lists;
  for (const quarn::ResultsList& l : m.run.lists) {
    if (l.used) lists.push_back(l.list);
  }
  lists.push_back(quarn::kNoListCode);
  if (m.run.stopList) lists.push_back(quarn::kStopListCode);
  return lists;
}

}  // namespace

MarkedTextView::MarkedTextView(QWidget* parent) : QWidget(parent) {
  chooser = new QComboBox;
  chooser->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  exportHtml = new QPushButton("Export as HTML…");
  text = new QTextEdit;
  text->setReadOnly(true);
  text->viewport()->installEventFilter(this);
  text->viewport()->setMouseTracking(true);
  legend = new QWidget;
  status = new QLabel;
  linesTitle = new QLabel("Click a word to see its lines here.");
  linesTitle->setWordWrap(true);
  lines = new QListWidget;
  lines->setWordWrap(true);
  auto* side = new QWidget;
  auto* sideLayout = new QVBoxLayout(side);
  sideLayout->setContentsMargins(0, 0, 0, 0);
  sideLayout->addWidget(linesTitle);
  sideLayout->addWidget(lines, 1);
  split = new QSplitter;
  split->addWidget(text);
  split->addWidget(side);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 1);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel("Text:"));
  top->addWidget(chooser);
  top->addStretch(1);
  top->addWidget(exportHtml);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(legend);
  layout->addWidget(split, 1);
  layout->addWidget(status);
  connect(chooser, &QComboBox::currentIndexChanged, this, &MarkedTextView::ShowText);
  chooseHtmlFile = [this] {
    return QFileDialog::getSaveFileName(this, "Export as HTML", SuggestedHtmlFile(),
                                        "HTML pages (*.html *.htm)");
  };
  connect(lines, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    const QTextBlock block = text->document()->findBlockByNumber(item->data(Qt::UserRole).toInt());
    if (!block.isValid()) return;
    QTextCursor c(block);
    text->setTextCursor(c);
    text->ensureCursorVisible();
  });
  connect(lines, &QListWidget::itemClicked, lines, &QListWidget::itemActivated);
  connect(exportHtml, &QPushButton::clicked, this, [this] {
    QString path = chooseHtmlFile();
    if (path.isEmpty()) return;
    if (!path.endsWith(".html", Qt::CaseInsensitive) && !path.endsWith(".htm", Qt::CaseInsensitive))
      path += ".html";
    if (pending_) ShowText(chooser->currentIndex());
    htmlAfterRead_ = path;
    WriteHtmlWhenReady();
  });
}

void MarkedTextView::SetReport(const ExplorerReport* report, const ExplorerSource* source,
                               std::function<const quarn::FamilyIndex*()> families) {
  report_ = report;
  source_ = source;
  families_ = std::move(families);
  typeRow_.clear();
  indexed_ = false;
  BuildLegend();
  QSignalBlocker block(chooser);
  chooser->clear();
  for (const quarn::ResultsText& t : report->model.run.texts) {
    const QString name = QString::fromStdString(quarn::MessageToUtf8(t.file));
    chooser->addItem(name.mid(name.lastIndexOf('/') + 1), name);
  }
  // The text is read when the view is first shown: opening the explorer reads no text.
  pending_ = true;
  reader_.Cancel();
  htmlAfterRead_.clear();
  lines_.clear();
  if (isVisible()) ShowText(0);
}

void MarkedTextView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (pending_) ShowText(chooser->currentIndex());
}

void MarkedTextView::BuildLegend() {
  delete legend->layout();
  for (QWidget* w : legend->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) delete w;
  // Ten boxes to a row: many lists wrap rather than widen the window.
  constexpr int kPerRow = 10;
  auto* grid = new QGridLayout(legend);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(6);
  grid->addWidget(new QLabel("Show:"), 0, 0);
  int at = 0;
  for (const int list : LegendLists(report_->model)) {
    auto* swatch = new QCheckBox(ListName(list));
    swatch->setObjectName("legend" + QString::number(list));
    swatch->setChecked(ListShown(list));
    swatch->setToolTip("Show or hide the colour of " + ListName(list).toLower());
    const QString colour =
        list == quarn::kStopListCode ? ListColour(list).name() : ListTextColour(list).name();
    swatch->setStyleSheet("QCheckBox{" + Css(list) + "color:" + colour +
                          ";padding:2px 6px;border:1px solid #bbbbbb;}");
    connect(swatch, &QCheckBox::toggled, this, [this, list](bool on) { SetListShown(list, on); });
    grid->addWidget(swatch, at / kPerRow, 1 + at % kPerRow);
    ++at;
  }
  grid->setColumnStretch(kPerRow + 1, 1);
}

void MarkedTextView::IndexWords() const {
  if (indexed_ || report_ == nullptr) return;
  typeRow_.reserve(report_->model.types.size());
  for (size_t r = 0; r < report_->model.types.size(); ++r)
    typeRow_.emplace(report_->model.types[r].word, static_cast<int>(r));
  indexed_ = true;
}

int MarkedTextView::ListOf(const std::string& upper) const {
  if (report_ == nullptr) return 0;
  IndexWords();
  const auto it = typeRow_.find(upper);
  if (it != typeRow_.end()) return report_->model.types[static_cast<size_t>(it->second)].list;
  if (source_ != nullptr && source_->stopWords.count(upper) != 0) return quarn::kStopListCode;
  // Words whose sections the run did not write (Forms off): their list from the lists.
  if (const quarn::FamilyIndex* f = families_ ? families_() : nullptr) {
    const auto place = f->placeOf.find(upper);
    if (place != f->placeOf.end()) return place->second.list;
  }
  // A word of the text in no list file: in no list (its rows were not written when List
  // Others was off), or, for a profile read back, whose stop words are not known, a word the
  // stop list left out of the rows.
  if (report_->model.run.stopList && (source_ == nullptr || source_->stopWords.empty()))
    return quarn::kStopListCode;
  return quarn::kNoListCode;
}

QString MarkedTextView::WordTip(const std::string& upper) const {
  const int list = ListOf(upper);  // indexes the words
  QString tip = "<b>" + WordText(upper).toHtmlEscaped() + "</b><br>" +
                (list == 0 ? QString("Not in the results") : ListName(list));
  if (const quarn::FamilyIndex* f = families_ ? families_() : nullptr) {
    const auto place = f->placeOf.find(upper);
    if (place != f->placeOf.end())
      tip += "<br>Family: " + WordText(place->second.headword).toHtmlEscaped();
  }
  const auto it = typeRow_.find(upper);
  if (it != typeRow_.end()) {
    const quarn::WordRow& r = report_->model.types[static_cast<size_t>(it->second)];
    tip += "<br>Frequency: " + QString::number(r.freq) + "<br>Range: " + QString::number(r.range) +
           " of " + QString::number(report_->model.fileColumns) + " texts";
  }
  return tip;
}

int MarkedTextView::ShownList(const std::string& upper) const {
  const int list = ListOf(upper);
  return hidden_.count(list) != 0 ? 0 : list;
}

QString MarkedTextView::PlainTip(const std::string& upper) const {
  QString tip = WordTip(upper);
  tip.replace("<br>", " · ");
  tip.remove("<b>");
  tip.remove("</b>");
  return tip;
}

void MarkedTextView::SetListShown(int list, bool shown) {
  if (shown == ListShown(list)) return;
  if (shown) {
    hidden_.erase(list);
  } else {
    hidden_.insert(list);
  }
  if (auto* box = legend->findChild<QCheckBox*>("legend" + QString::number(list))) {
    QSignalBlocker block(box);
    box->setChecked(shown);
  }
  const int scroll = text->verticalScrollBar()->value();
  Render();
  text->verticalScrollBar()->setValue(scroll);
}

QString MarkedTextView::SuggestedHtmlFile() const {
  if (shownFile_.isEmpty()) return "marked.html";
  const QFileInfo info(shownFile_);
  return info.dir().filePath(info.completeBaseName() + "_marked.html");
}

void MarkedTextView::ShowLinesOf(const std::string& upper) {
  lines->clear();
  int count = 0;
  for (size_t n = 0; n < lines_.size(); ++n) {
    bool holds = false;
    QString shown;
    for (const Piece& p : lines_[n].pieces) {
      holds = holds || p.upper == upper;
      shown += QString::fromStdString(p.text);
    }
    if (!holds) continue;
    ++count;
    auto* item = new QListWidgetItem(QString::number(n + 1) + ": " + shown.simplified());
    item->setData(Qt::UserRole, static_cast<int>(n));
    lines->addItem(item);
  }
  linesTitle->setText("<b>" + WordText(upper).toHtmlEscaped() + "</b>: " + QString::number(count) +
                      (count == 1 ? " line" : " lines") +
                      " of this text. Double-click the word for "
                      "every text.");
}

void MarkedTextView::ShowText(int k) {
  pending_ = false;
  reader_.Cancel();
  lines_.clear();
  truncated_ = false;
  status->clear();
  lines->clear();
  linesTitle->setText("Click a word to see its lines here.");
  if (report_ == nullptr || k < 0 || k >= static_cast<int>(report_->model.run.texts.size())) {
    htmlAfterRead_.clear();
    Render();
    return;
  }
  const std::string path = report_->model.run.texts[static_cast<size_t>(k)].file;
  shownFile_ = QString::fromStdString(quarn::MessageToUtf8(path));
  const quarn::TextCutting cutting = source_ != nullptr ? source_->cutting : quarn::TextCutting{};
  // No earlier text stays in view as this one's.
  Render();
  status->setText("Reading " + shownFile_.mid(shownFile_.lastIndexOf('/') + 1) + "…");
  // The worker has copies of what it needs; view is used only by the result, which is applied
  // on the window's thread while the view lives.
  reader_.Start([fs = fs_, path, cutting, view = this](const std::atomic<bool>& stop,
                                                       std::atomic<int>& done) {
    std::vector<Line> read;
    bool truncated = false;
    size_t bytes = 0;
    const quarn::Status s = quarn::ForEachShownLine(
        *fs, path, cutting,
        [&](int64_t number, const std::string& line, const std::vector<quarn::LineWord>& words) {
          if (stop.load(std::memory_order_relaxed)) return false;
          bytes += line.size() + 1;
          if (number > kMaxLines || bytes > kMaxBytes) {
            truncated = true;
            return false;
          }
          done = static_cast<int>(1000 * std::min(bytes, kMaxBytes) / kMaxBytes);
          Line out;
          size_t at = 0;
          for (const quarn::LineWord& w : words) {
            if (w.start > at) out.pieces.push_back({line.substr(at, w.start - at), {}});
            out.pieces.push_back({line.substr(w.start, w.length), w.upper});
            at = w.start + w.length;
          }
          if (at < line.size()) out.pieces.push_back({line.substr(at), {}});
          read.push_back(std::move(out));
          return true;
        });
    return BackgroundReader::Apply([view, read = std::move(read), truncated, s]() mutable {
      view->TextRead(std::move(read), truncated, s);
    });
  });
}

void MarkedTextView::TextRead(std::vector<Line> read, bool truncated, const quarn::Status& s) {
  lines_ = std::move(read);
  truncated_ = truncated;
  status->clear();
  if (!s.ok()) status->setText(QString::fromStdString(quarn::MessageToUtf8(s.ToString())));
  if (truncated_)
    status->setText("Only the first " + QString::number(lines_.size()) + " lines are shown.");
  Render();
  WriteHtmlWhenReady();
}

void MarkedTextView::WriteHtmlWhenReady() {
  if (htmlAfterRead_.isEmpty() || reader_.busy() || (families_ && families_() == nullptr)) return;
  const QString path = htmlAfterRead_;
  htmlAfterRead_.clear();
  QString error;
  status->setText(WriteHtml(path, &error) ? "Written: " + path : error);
}

void MarkedTextView::FamiliesKnown() {
  const int scroll = text->verticalScrollBar()->value();
  Render();
  text->verticalScrollBar()->setValue(scroll);
  WriteHtmlWhenReady();
}

void MarkedTextView::Render() {
  anchors_.clear();
  auto* doc = new QTextDocument(text);
  doc->setDefaultFont(text->font());
  QTextCursor cursor(doc);
  QTextCharFormat plain;
  std::unordered_map<int, QTextCharFormat> formats;
  auto formatOf = [&formats](int list) -> QTextCharFormat {
    auto it = formats.find(list);
    if (it != formats.end()) return it->second;
    QTextCharFormat f;
    if (list == quarn::kStopListCode) {
      f.setForeground(ListColour(list));
    } else if (list != 0) {
      f.setBackground(ListBackground(list));
      if (ListTextColour(list) != QColor(Qt::black)) f.setForeground(ListTextColour(list));
      if (list == quarn::kNoListCode) f.setFontUnderline(true);
    }
    formats.emplace(list, f);
    return f;
  };
  cursor.beginEditBlock();
  for (size_t n = 0; n < lines_.size(); ++n) {
    if (n > 0) cursor.insertBlock();
    for (const Piece& p : lines_[n].pieces) {
      QString shown = QString::fromStdString(p.text);
      shown.replace('\t', "    ");
      if (p.upper.empty()) {
        cursor.insertText(shown, plain);
        continue;
      }
      QTextCharFormat f = formatOf(ShownList(p.upper));
      f.setAnchor(true);
      f.setAnchorHref(QString::number(anchors_.size()));
      anchors_.push_back(p.upper);
      cursor.insertText(shown, f);
    }
  }
  cursor.endEditBlock();
  // The editor's own first document goes with setDocument; the ones made here are deleted.
  QTextDocument* old = text->document();
  const bool ours = old != nullptr && old->parent() == text;
  text->setDocument(doc);
  if (ours) delete old;
}

std::string MarkedTextView::WordAt(const QPoint& pos) const {
  const QString href = text->anchorAt(pos);
  bool ok = false;
  const qsizetype n = href.toLongLong(&ok);
  if (!ok || n < 0 || n >= static_cast<qsizetype>(anchors_.size())) return {};
  return anchors_[static_cast<size_t>(n)];
}

bool MarkedTextView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text->viewport()) {
    if (event->type() == QEvent::ToolTip) {
      auto* help = static_cast<QHelpEvent*>(event);
      const std::string word = WordAt(help->pos());
      if (word.empty()) {
        QToolTip::hideText();
      } else {
        QToolTip::showText(help->globalPos(), WordTip(word), text->viewport());
      }
      return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
      pressedAt_ = static_cast<QMouseEvent*>(event)->position().toPoint();
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        (static_cast<QMouseEvent*>(event)->position().toPoint() - pressedAt_).manhattanLength() <
            4) {
      const std::string word = WordAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (!word.empty()) ShowLinesOf(word);
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
      const std::string word = WordAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      if (!word.empty()) {
        emit wordActivated(QByteArray::fromStdString(word));
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

QString MarkedTextView::HtmlPage() const {
  QString html;
  html += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>" +
          shownFile_.mid(shownFile_.lastIndexOf('/') + 1).toHtmlEscaped() + "</title>\n<style>\n";
  html += "body{font-family:Georgia,serif;max-width:48em;margin:2em auto;line-height:1.6;"
          "-webkit-print-color-adjust:exact;print-color-adjust:exact}\n"
          "p.t{margin:0;white-space:pre-wrap}\n"
          ".legend span{display:inline-block;padding:1px 8px;margin:0 4px 4px 0;"
          "border:1px solid #bbb}\n";
  std::vector<int> lists;
  if (report_ != nullptr) {
    for (const int list : LegendLists(report_->model)) {
      if (ListShown(list)) lists.push_back(list);
    }
  }
  for (const int list : lists) html += ".l" + QString::number(list) + "{" + Css(list) + "}\n";
  html +=
      "table.c{border-collapse:collapse;margin-bottom:1em}"
      "table.c td,table.c th{border:1px solid #bbb;padding:1px 8px;text-align:right}\n";
  html += "</style></head><body>\n<h1>" +
          shownFile_.mid(shownFile_.lastIndexOf('/') + 1).toHtmlEscaped() + "</h1>\n";
  html += CoverageHtml();
  html += "<p class=\"legend\">";
  for (const int list : lists) {
    html += "<span class=\"l" + QString::number(list) + "\">" + ListName(list).toHtmlEscaped() +
            "</span>";
  }
  html += "</p>\n";
  for (const Line& line : lines_) {
    html += "<p class=\"t\">";
    for (const Piece& p : line.pieces) {
      const QString shown = QString::fromStdString(p.text).toHtmlEscaped();
      if (p.upper.empty()) {
        html += shown;
        continue;
      }
      const int list = ShownList(p.upper);
      const QString tip = " title=\"" + PlainTip(p.upper).toHtmlEscaped() + "\"";
      if (list == 0) {
        html += "<span" + tip + ">" + shown + "</span>";
      } else {
        html += "<span class=\"l" + QString::number(list) + "\"" + tip + ">" + shown + "</span>";
      }
    }
    html += line.pieces.empty() ? "&nbsp;</p>\n" : "</p>\n";
  }
  html += "</body></html>\n";
  return html;
}

QString MarkedTextView::CoverageHtml() const {
  // The shown text's own row of the results: its tokens by list and the coverage they reach.
  if (report_ == nullptr) return {};
  const int k = chooser->currentIndex();
  const auto& texts = report_->model.texts;
  if (k < 0 || k >= static_cast<int>(texts.size())) return {};
  const quarn::TextRow& t = texts[static_cast<size_t>(k)];
  QString html =
      "<table class=\"c\"><tr><th>List</th><th>Tokens</th><th>Tokens (%)</th>"
      "<th>Coverage after the list (%)</th></tr>\n";
  for (size_t n = 0; n < t.listTokens.size(); ++n) {
    const int list = static_cast<int>(n) + 1;
    html += "<tr><td class=\"l" + QString::number(list) + "\">" + ListName(list) + "</td><td>" +
            QString::number(t.listTokens[n]) + "</td><td>" + PercentOf(t.listTokens[n], t.tokens) +
            "</td><td>" + QString::fromStdString(t.Coverage(list)) + "</td></tr>\n";
  }
  html += "<tr><td class=\"l" + QString::number(quarn::kNoListCode) + "\">" +
          ListName(quarn::kNoListCode) + "</td><td>" + QString::number(t.noneTokens) + "</td><td>" +
          PercentOf(t.noneTokens, t.tokens) + "</td><td></td></tr>\n";
  html += "<tr><th>Total</th><th>" + QString::number(t.tokens) +
          "</th><th></th><th></th></tr></table>\n";
  return html;
}

bool MarkedTextView::WriteHtml(const QString& path, QString* error) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    *error = "Cannot write " + path + ": " + file.errorString();
    return false;
  }
  file.write(HtmlPage().toUtf8());
  if (!file.commit()) {
    *error = "Cannot write " + path + ": " + file.errorString();
    return false;
  }
  return true;
}
