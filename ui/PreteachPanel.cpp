#include "PreteachPanel.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSaveFile>
#include <QVBoxLayout>

#include "explore/ShownText.h"

namespace {

// The character before byte at of utf8 (0 when none), stepping over a UTF-8 sequence.
char32_t CharBefore(const std::string& utf8, size_t at, size_t* start) {
  if (at == 0) return 0;
  size_t i = at - 1;
  if (static_cast<unsigned char>(utf8[i]) < 0x80) {  // most texts are mostly ASCII
    *start = i;
    return static_cast<unsigned char>(utf8[i]);
  }
  while (i > 0 && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) --i;
  *start = i;
  const QString c = QString::fromUtf8(utf8.data() + i, static_cast<qsizetype>(at - i));
  return c.isEmpty() ? 0 : c.toUcs4().value(0);
}

bool IsApostrophe(char32_t c) { return c == '\'' || c == 0x2019; }
// Marks that may stand between a sentence's end and its first word.
bool IsOpening(char32_t c) {
  return c == '"' || c == '\'' || c == '(' || c == '[' || c == 0x201C || c == 0x2018 || c == '-';
}

// Calls f with each character of utf8[from, to): ASCII bytes as they are, other sequences
// decoded (an invalid byte as U+FFFD). Reading the text's words runs this between every two
// words, so it avoids building a string for each gap.
template <typename F>
void ForEachChar(const std::string& utf8, size_t from, size_t to, F f) {
  size_t i = from;
  while (i < to) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      f(static_cast<char32_t>(b));
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < to && (static_cast<unsigned char>(utf8[j]) & 0xC0) == 0x80) ++j;
    const QString c = QString::fromUtf8(utf8.data() + i, static_cast<qsizetype>(j - i));
    for (const char32_t u : c.toUcs4()) f(u);
    i = j;
  }
}

QString CsvField(const QString& s) {
  if (!s.contains(',') && !s.contains('"') && !s.contains('\n')) return s;
  QString q = s;
  q.replace('"', "\"\"");
  return '"' + q + '"';
}

}  // namespace

quarn::Status ReadWrittenWords(quarn::FileSystem& fs, const std::string& path,
                               const quarn::TextCutting& cutting, size_t maxBytes,
                               std::unordered_map<std::string, WrittenWord>* words,
                               const std::atomic<bool>* cancel) {
  // Forms met, per word, in the order first met.
  std::unordered_map<std::string, std::vector<std::pair<std::string, int>>> forms;
  bool sentenceStart = true;  // the text begins with a sentence
  size_t bytes = 0;
  const quarn::Status s = quarn::ForEachShownLine(
      fs, path, cutting,
      [&](int64_t, const std::string& line, const std::vector<quarn::LineWord>& cut) {
        bytes += line.size() + 1;
        if (bytes > maxBytes) return false;
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return false;
        if (line.find_first_not_of(" \t") == std::string::npos)
          sentenceStart = true;  // a new paragraph
        size_t after = 0;        // end of the previous word on the line
        for (const quarn::LineWord& w : cut) {
          // What stands between the previous word and this one decides whether a sentence
          // starts here: an end mark, with only blanks and opening marks after it.
          ForEachChar(line, after, w.start, [&](char32_t c) {
            if (c == '.' || c == '!' || c == '?') {
              sentenceStart = true;
            } else if (c != ' ' && c != '\t' && !IsOpening(c) && !IsApostrophe(c)) {
              sentenceStart = false;
            }
          });
          const std::string written = line.substr(w.start, w.length);
          WrittenWord& word = (*words)[w.upper];
          ++word.occurrences;
          bool capital = false, lower = false;
          if (!written.empty() && static_cast<unsigned char>(written[0]) < 0x80) {
            capital = written[0] >= 'A' && written[0] <= 'Z';
            lower = written[0] >= 'a' && written[0] <= 'z';
          } else {
            const QString first = QString::fromUtf8(
                written.data(), static_cast<qsizetype>(std::min<size_t>(written.size(), 4)));
            capital = !first.isEmpty() && first[0].isUpper();
            lower = !first.isEmpty() && first[0].isLower();
          }
          if (lower) word.lowerStart = true;
          if (capital && !sentenceStart) word.capitalInside = true;
          size_t apostrophe = 0;
          if (IsApostrophe(CharBefore(line, w.start, &apostrophe))) {
            size_t letter = 0;
            const char32_t before = CharBefore(line, apostrophe, &letter);
            if (before != 0 && QChar::isLetter(before)) ++word.afterApostrophe;
          }
          auto& seen = forms[w.upper];
          auto it = std::find_if(seen.begin(), seen.end(),
                                 [&](const auto& f) { return f.first == written; });
          if (it == seen.end()) {
            seen.emplace_back(written, 1);
          } else {
            ++it->second;
          }
          sentenceStart = false;
          after = w.start + w.length;
        }
        // The rest of the line may end a sentence.
        ForEachChar(line, after, line.size(), [&](char32_t c) {
          if (c == '.' || c == '!' || c == '?')
            sentenceStart = true;
          else if (c != ' ' && c != '\t' && !IsOpening(c) && !IsApostrophe(c) && c != '"' &&
                   c != 0x201D && c != ')')
            sentenceStart = false;
        });
        return true;
      });
  for (auto& [upper, seen] : forms) {
    const auto best = std::max_element(
        seen.begin(), seen.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    (*words)[upper].written = best->first;
  }
  return s;
}

PreteachPanel::PreteachPanel(QWidget* parent) : QWidget(parent) {
  label = new QLabel("Select a text to see its words in no list.");
  label->setWordWrap(true);
  leaveOutNames = new QCheckBox("Leave out likely names");
  leaveOutNames->setToolTip("Words met only with a capital letter, where no sentence starts");
  leaveOutPieces = new QCheckBox("Leave out parts of contractions");
  leaveOutPieces->setToolTip(
      "Such as the VE of I've, the LL of we'll, the S of it's, the T of don't");
  model = new RowTableModel(this);
  table = new QTableView;
  table->setModel(model);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->setVisible(false);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
  table->setWordWrap(false);
  table->setAlternatingRowColors(true);
  copy = new QPushButton("Copy");
  saveCsv = new QPushButton("Save as CSV…");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copy);
  buttons->addWidget(saveCsv);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label);
  layout->addWidget(leaveOutNames);
  layout->addWidget(leaveOutPieces);
  layout->addWidget(table, 1);
  layout->addLayout(buttons);
  connect(leaveOutNames, &QCheckBox::toggled, this, &PreteachPanel::Fill);
  connect(leaveOutPieces, &QCheckBox::toggled, this, &PreteachPanel::Fill);
  connect(copy, &QPushButton::clicked, this, [this] {
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
      out << model->index(r, 0).data().toString() + "\t" + model->index(r, 1).data().toString();
    QApplication::clipboard()->setText(out.join('\n') + (out.isEmpty() ? "" : "\n"));
  });
  chooseCsvFile = [this] {
    QString suggested = name_;
    suggested = suggested.left(suggested.lastIndexOf('.') < 0 ? suggested.size()
                                                              : suggested.lastIndexOf('.'));
    return QFileDialog::getSaveFileName(this, "Save the words to pre-teach",
                                        suggested + "_preteach.csv", "CSV files (*.csv)");
  };
  connect(saveCsv, &QPushButton::clicked, this, [this] {
    QString path = chooseCsvFile();
    if (path.isEmpty()) return;
    if (!path.endsWith(".csv", Qt::CaseInsensitive)) path += ".csv";
    QSaveFile file(path);
    const bool ok =
        file.open(QIODevice::WriteOnly) && file.write(Csv().toUtf8()) >= 0 && file.commit();
    label->setText(ok ? "Saved " + path.toHtmlEscaped()
                      : "Cannot write " + path.toHtmlEscaped() + ": " + file.errorString());
  });
}

// How much of a text is read for the written forms of its words: all of a text a teacher
// reads, the first megabytes of a corpus file (words met only later are shown in capitals).
constexpr size_t kWrittenFormBytes = size_t{2} << 20;

void PreteachPanel::Show(const ExplorerReport* report, int k, const ExplorerSource* source,
                         quarn::FileSystem& fs) {
  // Selecting a text and showing its report both ask for it: read the file once.
  if (report != nullptr && report == report_ && k == text_ && source == source_) return;
  reader_.Cancel();
  report_ = report;
  source_ = source;
  text_ = k;
  all_.clear();
  written_.clear();
  name_.clear();
  if (report != nullptr && k >= 0 && k < static_cast<int>(report->model.texts.size())) {
    all_ = NoListWordsOfText(report->model, k);
    const std::string& file = report->model.texts[static_cast<size_t>(k)].file;
    name_ = QString::fromStdString(quarn::MessageToUtf8(file));
    name_ = name_.mid(name_.lastIndexOf('/') + 1);
    // The text as the run named it: its written forms come from the file.
    std::string path = file;
    if (k < static_cast<int>(report->model.run.texts.size()))
      path = report->model.run.texts[static_cast<size_t>(k)].file;
    if (!all_.empty()) {
      // The worker has copies of what it needs; view is used only by the result, which is
      // applied on the window's thread while the panel lives.
      const quarn::TextCutting cutting = source != nullptr ? source->cutting : quarn::TextCutting{};
      reader_.Start(
          [fs = &fs, path, cutting, view = this](const std::atomic<bool>& stop, std::atomic<int>&) {
            std::unordered_map<std::string, WrittenWord> read;
            ReadWrittenWords(*fs, path, cutting, kWrittenFormBytes, &read, &stop);
            return BackgroundReader::Apply([view, read = std::move(read)]() mutable {
              view->written_ = std::move(read);
              view->Fill();
            });
          });
    }
  }
  Fill();
}

void PreteachPanel::Fill() {
  rows_.clear();
  counts_.clear();
  if (report_ == nullptr || text_ < 0) {
    model->Reset({}, 0);
    label->setText("Select a text to see its words in no list.");
    return;
  }
  const quarn::ResultsModel& m = report_->model;
  int names = 0, pieces = 0;
  for (const TextWord& t : all_) {
    const int row = t.row;
    const std::string& upper = m.types[static_cast<size_t>(row)].word;
    const auto it = written_.find(upper);
    const WrittenWord* w = it == written_.end() ? nullptr : &it->second;
    if (w != nullptr && w->LikelyName()) {
      ++names;
      if (leaveOutNames->isChecked()) continue;
    }
    if (w != nullptr && w->ContractionPiece()) {
      ++pieces;
      if (leaveOutPieces->isChecked()) continue;
    }
    rows_.push_back(row);
    counts_.push_back(t.count);
  }
  const auto& counts = counts_;
  // The written form is looked up as a row is shown: a long text has too many words in no
  // list to make every form up front.
  auto shown = [this](int r) {
    const std::string& upper = report_->model.types[static_cast<size_t>(rows_[static_cast<size_t>(r)])].word;
    const auto it = written_.find(upper);
    return it != written_.end() && !it->second.written.empty()
               ? QString::fromStdString(it->second.written)
               : WordText(upper);
  };
  std::vector<RowTableModel::Column> columns = {
      {"word", {}, [shown](int r) { return QVariant(shown(r)); }, {}},
      {"freq in text",
       {},
       [&counts](int r) {
         return QVariant(static_cast<qlonglong>(counts[static_cast<size_t>(r)]));
       },
       {}}};
  columns[0].caption = "Word";
  columns[1].caption = "Frequency in the text";
  model->Reset(std::move(columns), static_cast<int>(rows_.size()));
  table->resizeColumnsToContents();
  QString text = "<b>" + name_.toHtmlEscaped() + "</b>: " + QString::number(rows_.size()) +
                 (rows_.size() == 1 ? " word" : " words") +
                 " not in a list (the words to pre-teach), most frequent first.";
  if (leaveOutNames->isChecked() && names > 0)
    text += " Left out: " + QString::number(names) + " likely names.";
  if (leaveOutPieces->isChecked() && pieces > 0)
    text += " Left out: " + QString::number(pieces) + " parts of contractions.";
  if (!m.run.others) text += " The run did not list them (List Others was off).";
  if (reader_.busy()) text += " Reading how the text writes them…";
  label->setText(text);
}

QString PreteachPanel::Csv() const {
  QString out = "word,frequency\n";
  for (int r = 0; r < model->rowCount(); ++r)
    out += CsvField(model->index(r, 0).data().toString()) + "," +
           model->index(r, 1).data().toString() + "\n";
  return out;
}
