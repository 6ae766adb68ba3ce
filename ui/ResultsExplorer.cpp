#include "ResultsExplorer.h"

#include <QApplication>
#include <QCheckBox>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QEventLoop>
#include <QTimer>
#include <thread>

#include "ColumnCaptions.h"
#include "ExplorerCharts.h"
#include "ExplorerWindowState.h"
#include "QuarnHeader.h"
#include "state/Engine.h"
#include "state/FolderLock.h"
#include "text/TextEncoding.h"

namespace {

QTableView* NewTable(QAbstractItemModel* model) {
  auto* t = new QTableView;
  t->setModel(model);
  t->setSortingEnabled(true);
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->verticalHeader()->setVisible(false);
  t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
  t->horizontalHeader()->setSortIndicatorShown(true);
  t->setWordWrap(false);
  t->setAlternatingRowColors(true);
  return t;
}

// Column widths from the header and the first rows only: a table of many rows opens at once.
// The table shows its rows in the results' order, with no column marked as sorted.
void FitColumns(QTableView* t) {
  t->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  const QFontMetrics fm = t->fontMetrics();
  QAbstractItemModel* m = t->model();
  const int rows = std::min(m->rowCount(), 200);
  for (int c = 0; c < m->columnCount(); ++c) {
    int width = fm.horizontalAdvance(m->headerData(c, Qt::Horizontal).toString()) + 28;
    for (int r = 0; r < rows; ++r)
      width = std::max(width, fm.horizontalAdvance(m->index(r, c).data().toString()) + 16);
    t->setColumnWidth(c, std::min(width, 320));
  }
}

QString Plural(qsizetype n, const char* one, const char* many) {
  return QString::number(n) + " " + (n == 1 ? one : many);
}

// The dialog of Export…: formats and folder.
bool AskExport(QWidget* parent, quarn::ExportOptions* options) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Export results");
  auto* csv = new QCheckBox("CSV (one file per table)");
  auto* tsv = new QCheckBox("TSV (one file per table)");
  auto* json = new QCheckBox("JSON (profile.json)");
  auto* xlsx = new QCheckBox("Excel workbook (profile.xlsx)");
  csv->setChecked(true);
  json->setChecked(true);
  auto* folder = new QLineEdit;
  folder->setMinimumWidth(320);
  auto* browse = new QPushButton("Browse…");
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    const QString chosen = QFileDialog::getExistingDirectory(&dialog, "Export into", folder->text());
    if (!chosen.isEmpty()) folder->setText(chosen);
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(folder, 1);
  folderRow->addWidget(browse);
  auto* form = new QFormLayout(&dialog);
  auto* formats = new QVBoxLayout;
  for (QCheckBox* b : {csv, tsv, json, xlsx}) formats->addWidget(b);
  form->addRow("Formats:", formats);
  form->addRow("Folder:", folderRow);
  form->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted || folder->text().trimmed().isEmpty()) return false;
  options->csv = csv->isChecked();
  options->tsv = tsv->isChecked();
  options->json = json->isChecked();
  options->xlsx = xlsx->isChecked();
  options->folder = QFile::encodeName(folder->text().trimmed()).toStdString();
  return true;
}

}  // namespace

ResultsExplorer::ResultsExplorer(QWidget* parent, quarn::FileSystem* fs)
    : QMainWindow(parent), fs_(fs ? *fs : *quarn::FileSystem::Default()) {
  setWindowTitle("Quarn results");
  auto* central = new QWidget;
  setCentralWidget(central);
  reportLabel = new QLabel("Report:");
  reportChooser = new QComboBox;
  reportChooser->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  exportButton = new QPushButton("Export…");
  openButton = new QPushButton("Open results…");
  auto* top = new QHBoxLayout;
  top->addWidget(reportLabel);
  top->addWidget(reportChooser);
  top->addStretch(1);
  top->addWidget(exportButton);
  top->addWidget(openButton);

  tabs = new QTabWidget;
  tabs->addTab(BuildSummaryTab(), "Summary");
  tabs->addTab(BuildTextsTab(), "Texts");
  tabs->addTab(BuildWordTab(words, false), "Words");
  tabs->addTab(BuildWordTab(familyTab, true), "Families");
  tabs->addTab(BuildRangesTab(), "Ranges");
  marked = new MarkedTextView;
  marked->SetFileSystem(fs_);
  tabs->addTab(marked, "Marked text");
  context = new ConcordanceView;
  context->SetFileSystem(fs_);
  tabs->addTab(context, "Words in context");

  auto* layout = new QVBoxLayout(central);
  layout->addLayout(top);
  layout->addWidget(tabs, 1);
  resize(1000, 680);
  origin = new QLabel;
  origin->setWordWrap(true);
  origin->hide();
  layout->insertWidget(0, origin);
  RestoreWindowState(this);
  workProgress = new QProgressBar;
  workProgress->setRange(0, 1000);
  workProgress->setMaximumWidth(220);
  cancelWork = new QPushButton("Cancel");
  statusBar()->addPermanentWidget(workProgress);
  statusBar()->addPermanentWidget(cancelWork);
  workProgress->hide();
  cancelWork->hide();
  connect(cancelWork, &QPushButton::clicked, this, [this] { cancel_ = true; });

  chooseExport = [this](quarn::ExportOptions* options) { return AskExport(this, options); };
  chooseProfile = [this] {
    return QFileDialog::getOpenFileName(this, "Open results", {},
                                        "Quarn profiles (profile.json *.json);;All files (*)");
  };
  connect(reportChooser, &QComboBox::currentIndexChanged, this, &ResultsExplorer::ShowReport);
  connect(exportButton, &QPushButton::clicked, this, &ResultsExplorer::ExportClick);
  connect(openButton, &QPushButton::clicked, this, &ResultsExplorer::OpenResultsClick);
  connect(marked, &MarkedTextView::wordActivated, this, [this](const QByteArray& word) {
    ShowInContext(word.toStdString(), false, 0);
  });
}

QWidget* ResultsExplorer::BuildSummaryTab() {
  summaryModel = new RowTableModel(this);
  summaryTable = NewTable(summaryModel);
  summaryTable->setSortingEnabled(false);
  coverageChart = new QChartView;
  coverageChart->setRenderHint(QPainter::Antialiasing);
  // The table shows all its rows; the chart takes the rest, and the divider moves.
  auto* page = new QSplitter(Qt::Vertical);
  page->addWidget(summaryTable);
  page->addWidget(coverageChart);
  page->setChildrenCollapsible(false);
  summarySplit = page;
  return page;
}

QWidget* ResultsExplorer::BuildTextsTab() {
  textsModel = new RowTableModel(this);
  textsTable = NewTable(textsModel);
  // The file stays in view as the table scrolls sideways: it is each row's header.
  textsTable->verticalHeader()->setVisible(true);
  textsTable->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  preteach = new PreteachPanel;
  preteachModel = preteach->model;
  preteachTable = preteach->table;
  preteachLabel = preteach->label;
  copyPreteach = preteach->copy;
  auto* side = preteach;
  auto* split = new QSplitter;
  split->addWidget(textsTable);
  split->addWidget(side);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  connect(textsTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { ShowPreteach(); });
  connect(preteachTable, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (current_ == nullptr) return;
    const int row = preteach->TypeRow(index.row());
    ShowInContext(current_->model.types[static_cast<size_t>(row)].word, false, 0);
  });
  connect(textsTable, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    marked->chooser->setCurrentIndex(textsModel->SourceRow(index.row()));
    tabs->setCurrentWidget(marked);
  });
  return split;
}

QWidget* ResultsExplorer::BuildWordTab(WordTab& tab, bool families) {
  tab.model = new RowTableModel(this);
  tab.table = NewTable(tab.model);
  tab.filter = new QLineEdit;
  tab.filter->setPlaceholderText("Filter: part of a word, or a pattern with * and ?");
  tab.filter->setClearButtonEnabled(true);
  tab.list = new QComboBox;
  tab.list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  tab.count = new QLabel;
  auto* top = new QHBoxLayout;
  top->addWidget(tab.filter, 1);
  top->addWidget(tab.list);
  top->addWidget(tab.count);
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top);
  layout->addWidget(tab.table, 1);
  connect(tab.filter, &QLineEdit::textChanged, this, [this, &tab, families] { FilterWords(tab, families); });
  connect(tab.list, &QComboBox::currentIndexChanged, this, [this, &tab, families] { FilterWords(tab, families); });
  connect(tab.table, &QTableView::doubleClicked, this, [this, &tab, families](const QModelIndex& index) {
    if (current_ == nullptr) return;
    const auto& rows = families ? current_->model.families : current_->model.types;
    const quarn::WordRow& r = rows[static_cast<size_t>(tab.model->SourceRow(index.row()))];
    ShowInContext(r.word, families, r.list);
  });
  return page;
}

QWidget* ResultsExplorer::BuildRangesTab() {
  typeRangeModel_ = new RowTableModel(this);
  familyRangeModel_ = new RowTableModel(this);
  typeRanges = NewTable(typeRangeModel_);
  familyRanges = NewTable(familyRangeModel_);
  rangeChart = new QChartView;
  rangeChart->setRenderHint(QPainter::Antialiasing);
  auto* tables = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel("Types by range"));
  left->addWidget(typeRanges);
  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel("Families by range"));
  right->addWidget(familyRanges);
  tables->addLayout(left);
  tables->addLayout(right);
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(tables, 2);
  layout->addWidget(rangeChart, 3);
  return page;
}

void ResultsExplorer::SetReports(std::vector<ExplorerReport> reports, ExplorerSource source) {
  // The reports shown before stay until every table is reset (the tables keep theirs).
  const std::vector<std::shared_ptr<ExplorerReport>> before = std::move(reports_);
  reports_.clear();
  current_ = nullptr;
  for (ExplorerReport& r : reports) reports_.push_back(std::make_shared<ExplorerReport>(std::move(r)));
  source_ = std::move(source);
  familyReader_.Cancel();
  families_.reset();
  origin->hide();
  QSignalBlocker block(reportChooser);
  reportChooser->clear();
  for (const auto& r : reports_) reportChooser->addItem(r->title);
  // One report needs no chooser.
  reportChooser->setVisible(reports_.size() > 1);
  reportLabel->setVisible(reports_.size() > 1);
  // With none, the tables and the marked text go on showing the report they own.
  if (reports_.empty()) return;
  ShowReport(0);
}

const quarn::FamilyIndex* ResultsExplorer::families() {
  if (families_) return &*families_;
  if (source_.listFolder.empty()) return &families_.emplace();
  if (!familyReader_.busy()) {
    const std::string folder = source_.listFolder;
    const int lists = std::max(source_.listCount,
                               current_ ? static_cast<int>(current_->model.run.lists.size()) : 0);
    const quarn::CharClassTable classes = source_.cutting.classes;
    // view is used only by the result, applied on the window's thread while the window lives.
    familyReader_.Start([fs = &fs_, folder, lists, classes, view = this](const std::atomic<bool>&,
                                                                         std::atomic<int>&) {
      quarn::FamilyIndex index;
      quarn::LoadFamilyIndex(*fs, folder, lists, classes, &index);
      return BackgroundReader::Apply([view, index = std::move(index)]() mutable {
        if (view->families_) return;  // read meanwhile for a family shown in context
        view->families_.emplace(std::move(index));
        view->marked->FamiliesKnown();
      });
    });
  }
  return nullptr;
}

std::vector<std::string> ResultsExplorer::TextPaths() const {
  std::vector<std::string> paths;
  if (current_ == nullptr) return paths;
  for (const quarn::ResultsText& t : current_->model.run.texts) paths.push_back(t.file);
  return paths;
}

void ResultsExplorer::ShowReport(int i) {
  if (i < 0 || i >= static_cast<int>(reports_.size())) return;
  const std::shared_ptr<ExplorerReport> owner = reports_[static_cast<size_t>(i)];
  current_ = owner.get();
  currentOwner_ = owner;
  ExplorerReport& r = *current_;
  // A search in the texts of the report shown before is of no use now.
  context->CancelSearch();
  setWindowTitle("Quarn results — " + r.title);

  summaryModel->Reset(Captioned(SummaryColumns(r), r), static_cast<int>(r.model.summary.size()), owner);
  summaryModel->rowBackground = [&r](int row) {
    const int list = r.model.summary[static_cast<size_t>(row)].list;
    return list == quarn::kTotalRowCode ? QColor() : ListBackground(list);
  };
  FitColumns(summaryTable);
  // Room for every row of the summary above the chart.
  summarySplit->setSizes({summaryTable->horizontalHeader()->height() + 4 +
                              summaryTable->verticalHeader()->defaultSectionSize() * summaryModel->rowCount(),
                          300});

  textsModel->Reset(Captioned(TextColumns(r), r), static_cast<int>(r.model.texts.size()), owner);
  textsModel->rowHeader = [&r](int row) {
    const QString name = QString::fromStdString(quarn::MessageToUtf8(r.model.texts[static_cast<size_t>(row)].file));
    return name.mid(name.lastIndexOf('/') + 1);
  };
  FitColumns(textsTable);
  if (textsModel->ColumnNamed("file") >= 0) textsTable->setColumnHidden(textsModel->ColumnNamed("file"), true);
  preteach->Show(nullptr, -1, nullptr);
  if (!r.model.texts.empty()) textsTable->selectRow(0);
  ShowPreteach();

  FillWordTab(words, false);
  FillWordTab(familyTab, true);

  typeRangeRows_.clear();
  familyRangeRows_.clear();
  for (size_t k = 0; k < r.model.ranges.size(); ++k)
    (r.model.ranges[k].family ? familyRangeRows_ : typeRangeRows_).push_back(static_cast<int>(k));
  typeRangeModel_->Reset(Captioned(RangeColumns(r, &typeRangeRows_), r), static_cast<int>(typeRangeRows_.size()), owner);
  familyRangeModel_->Reset(Captioned(RangeColumns(r, &familyRangeRows_), r), static_cast<int>(familyRangeRows_.size()),
                           owner);
  FitColumns(typeRanges);
  FitColumns(familyRanges);
  FillCharts();

  marked->SetReport(current_, &source_, [this] { return families(); });
  markedOwner_ = owner;
  // The families are read now, in the background, so as to be known when a word is hovered.
  families();
}

void ResultsExplorer::FillWordTab(WordTab& tab, bool families) {
  ExplorerReport& r = *current_;
  const auto& rows = families ? r.model.families : r.model.types;
  tab.model->Reset(Captioned(WordColumns(r, families), r), static_cast<int>(rows.size()), currentOwner_);
  tab.model->rowBackground = [&rows](int row) { return ListBackground(rows[static_cast<size_t>(row)].list); };
  {
    QSignalBlocker block(tab.list);
    tab.list->clear();
    tab.list->addItem("All lists", -1);
    for (const quarn::ResultsList& l : r.model.run.lists) {
      if (l.used) tab.list->addItem(ListName(l.list), l.list);
    }
    if (!families) tab.list->addItem(ListName(quarn::kNoListCode), quarn::kNoListCode);
  }
  FilterWords(tab, families);
  FitColumns(tab.table);
}

void ResultsExplorer::FilterWords(WordTab& tab, bool families) {
  if (current_ == nullptr) return;
  const auto& rows = families ? current_->model.families : current_->model.types;
  bool wildcard = false;
  const std::string pattern = FilterPattern(tab.filter->text(), &wildcard);
  const int list = tab.list->currentData().isValid() ? tab.list->currentData().toInt() : -1;
  if (pattern.empty() && list < 0) {
    tab.model->SetFilter(nullptr);
  } else {
    tab.model->SetFilter([&rows, pattern, wildcard, list](int row) {
      const quarn::WordRow& w = rows[static_cast<size_t>(row)];
      return (list < 0 || w.list == list) && WordMatches(pattern, wildcard, w.word);
    });
  }
  tab.count->setText(QString::number(tab.model->rowCount()) + " of " +
                     Plural(static_cast<qsizetype>(rows.size()), families ? "family" : "word",
                            families ? "families" : "words"));
}

void ResultsExplorer::ShowPreteach() {
  if (current_ == nullptr) return;
  const QModelIndex at = textsTable->currentIndex();
  preteach->Show(current_, at.isValid() ? textsModel->SourceRow(at.row()) : -1, &source_, fs_);
}

void ResultsExplorer::FillCharts() {
  const quarn::ResultsModel& m = current_->model;
  QChart* chart = CoverageChart(m);
  QChart* old = coverageChart->chart();
  coverageChart->setChart(chart);
  delete old;

  // Ranges: how many types and families occur in exactly r texts.
  auto* rchart = new RangeChart(m);
  QChart* oldRange = rangeChart->chart();
  rangeChart->setChart(rchart);
  delete oldRange;
}

void ResultsExplorer::ShowInContext(const std::string& upper, bool family, int list) {
  std::unordered_set<std::string> words = {upper};
  QString title = WordText(upper);
  QString note;
  if (family && !families_ && !working_ && !source_.listFolder.empty()) {
    // The family is wanted now: the baseword files are read on a worker while the window goes
    // on, with progress and Cancel (in place of the reading showing the report started).
    familyReader_.Cancel();
    auto index = std::make_shared<quarn::FamilyIndex>();
    const std::string folder = source_.listFolder;
    const int lists = std::max(source_.listCount, current_ ? static_cast<int>(current_->model.run.lists.size()) : 0);
    const quarn::CharClassTable classes = source_.cutting.classes;
    RunOnWorker("Reading the lists' families…", [&](const std::atomic<bool>&, std::atomic<int>&) {
      quarn::LoadFamilyIndex(fs_, folder, lists, classes, index.get());
      return true;
    });
    if (!families_) families_.emplace(std::move(*index));
  }
  if (family) {
    title = "Family " + title + " (" + ListName(list) + ")";
    const quarn::FamilyIndex* index = families();
    const std::vector<std::string>* members =
        index != nullptr ? index->MembersOf(list, upper) : nullptr;
    if (index == nullptr) {
      note = "The family's members are still being read; only the headword is shown.";
    } else if (members != nullptr) {
      words.insert(members->begin(), members->end());
      QStringList shown;
      for (const std::string& w : *members) shown << WordText(w);
      note = "Words of the family: " + shown.join(", ");
    } else {
      note = "The family's members are not known (its baseword file was not found); only the "
             "headword is shown.";
    }
  }
  context->Show(title, words, TextPaths(), source_.cutting, note);
  tabs->setCurrentWidget(context);
}

bool ResultsExplorer::RunOnWorker(
    const QString& what,
    const std::function<bool(const std::atomic<bool>& cancel, std::atomic<int>& progress)>& work) {
  working_ = true;
  cancel_ = false;
  exportButton->setEnabled(false);
  openButton->setEnabled(false);
  statusBar()->showMessage(what);
  workProgress->setValue(0);
  workProgress->show();
  cancelWork->show();
  std::atomic<int> progress{0};
  std::atomic<bool> done{false};
  bool result = false;
  QEventLoop loop;
  QTimer tick;
  tick.setInterval(50);
  connect(&tick, &QTimer::timeout, &loop, [&] {
    workProgress->setValue(progress.load());
    if (done.load()) loop.quit();
  });
  std::thread worker([&] {
    result = work(cancel_, progress);
    done = true;
    QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
  });
  tick.start();
  loop.exec();
  worker.join();
  workProgress->hide();
  cancelWork->hide();
  exportButton->setEnabled(true);
  openButton->setEnabled(true);
  working_ = false;
  return result;
}

void ResultsExplorer::ExportClick() {
  if (current_ == nullptr || working_) return;
  quarn::ExportOptions options;
  if (!chooseExport(&options) || !options.any()) return;
  // The worker keeps the report it writes, whatever the window shows meanwhile.
  const std::shared_ptr<const ExplorerReport> report = currentOwner_;
  quarn::Status s;
  RunOnWorker("Exporting…", [&](const std::atomic<bool>& cancel, std::atomic<int>& progress) {
    const quarn::ResultsModel& model = report->model;
    const std::unique_ptr<quarn::WordRowSource> held = HeldWordRows(model);
    // The rows sent so far tell the progress; Cancel stops them (and leaves no file).
    class Watched : public quarn::WordRowSource {
     public:
      Watched(quarn::WordRowSource& rows, const std::atomic<bool>& cancel, std::atomic<int>& progress, double total)
          : rows_(rows), cancel_(cancel), progress_(progress), total_(std::max(total, 1.0)) {}
      quarn::Status ForEach(bool families, const std::function<bool(const quarn::WordRow&)>& row) override {
        bool stopped = false;
        quarn::Status s = rows_.ForEach(families, [&](const quarn::WordRow& r) {
          if ((++sent_ & 1023) == 0) {
            progress_ = static_cast<int>(1000 * static_cast<double>(sent_) / total_);
            if (cancel_) {
              stopped = true;
              return false;
            }
          }
          return row(r);
        });
        return stopped ? quarn::Status::IOError("", "export cancelled") : s;
      }
      quarn::Status ForEachCount(
          const std::function<bool(std::string_view word, int text, int64_t freq)>& count) override {
        bool stopped = false;
        quarn::Status s = rows_.ForEachCount([&](std::string_view word, int text, int64_t freq) {
          if (cancel_) {
            stopped = true;
            return false;
          }
          return count(word, text, freq);
        });
        return stopped ? quarn::Status::IOError("", "export cancelled") : s;
      }

     private:
      quarn::WordRowSource& rows_;
      const std::atomic<bool>& cancel_;
      std::atomic<int>& progress_;
      double total_;
      int64_t sent_ = 0;
    } watched(*held, cancel, progress, static_cast<double>(model.types.size() + model.families.size()));
    // Under the folder's lock, as a run's export is: a run putting its files in place there
    // meanwhile would otherwise have its set mixed with this one, or undone as a leftover.
    quarn::FolderLock lock;
    std::string busy;
    std::string folder = options.folder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    s = fs_.CreateDirectories(options.folder.empty() ? "." : options.folder);
    if (s.ok()) s = quarn::LockFolders(fs_, exportLockWaitMilliseconds, {folder}, &lock, &busy);
    if (s.ok() && !busy.empty()) s = quarn::Status::IOError("", quarn::FolderBusyMessage(busy));
    if (s.ok()) s = quarn::ExportResults(fs_, options, options.folder, model, &watched);
    return s.ok();
  });
  statusBar()->showMessage(s.ok() ? "Exported into " + QFile::decodeName(options.folder.c_str())
                           : cancel_ ? QString("Export cancelled: no file was written")
                                     : QString::fromStdString(quarn::MessageToUtf8(s.ToString())));
}

bool ResultsExplorer::OpenProfile(const QString& path, QString* error, const std::string& listFolder) {
  if (working_) {
    *error = "The explorer is busy; try again when it has finished.";
    return false;
  }
  ExplorerReport report;
  uint64_t size = 0;
  if (!fs_.FileSize(QFile::encodeName(path).toStdString(), &size).ok()) size = 0;
  const bool loaded = RunOnWorker("Opening " + path + "…", [&](const std::atomic<bool>& cancel, std::atomic<int>& progress) {
    ProfileLoadControl control;
    control.cancel = &cancel;
    control.progress = [&progress, size](uint64_t read) {
      if (size > 0) progress = static_cast<int>(1000.0 * static_cast<double>(read) / static_cast<double>(size));
    };
    return LoadProfileJson(fs_, path, &report, error, control);
  });
  if (!loaded) return false;
  ExplorerSource source = source_;
  source.stopWords.clear();
  // The texts are cut as the run cut them, when the profile says how.
  source.cutting.ignoreAngle = report.model.run.ignoreAngle;
  if (report.model.run.charClasses.size() == source.cutting.classes.classes.size()) {
    std::copy(report.model.run.charClasses.begin(), report.model.run.charClasses.end(),
              source.cutting.classes.classes.begin());
    source.cutting.classes.classes[0] = 0;
  }
  // The lists: in the folder given, else where they were, else beside the profile's texts.
  if (!listFolder.empty()) {
    source.listFolder = listFolder;
  } else if (source.listFolder.empty() && !report.model.run.texts.empty()) {
    const std::string& first = report.model.run.texts.front().file;
    const size_t slash = first.rfind('/');
    source.listFolder = slash == std::string::npos ? std::string() : first.substr(0, slash + 1);
  }
  source.listCount = static_cast<int>(report.model.run.lists.size());
  std::vector<ExplorerReport> reports;
  reports.push_back(std::move(report));
  SetReports(std::move(reports), std::move(source));
  return true;
}

void ResultsExplorer::OpenResultsClick() {
  const QString path = chooseProfile();
  if (path.isEmpty()) return;
  QString error;
  if (!OpenProfile(path, &error)) {
    statusBar()->showMessage(error);
    return;
  }
  statusBar()->showMessage("Opened " + path);
}

void ShowRunInExplorer(quarn::Engine& e, const quarn::RunOptions& options,
                       std::vector<quarn::ResultsModel> kept, QPointer<ResultsExplorer>& explorer,
                       QWidget* owner) {
  if (kept.empty()) {
    // An explorer still open shows what an earlier run found, and says so.
    if (!explorer.isNull()) MarkFromEarlierRun(explorer);
    return;
  }
  if (explorer.isNull()) {
    explorer = new ResultsExplorer(owner, &e.fs);
    explorer->setWindowFlag(Qt::Window);
    explorer->setAttribute(Qt::WA_DeleteOnClose);
  }
  ExplorerSource source = SourceOfRun(e, options, kept.front().run.charClasses);
  explorer->SetReports(TakeKeptReports(std::move(kept)), std::move(source));
  MarkRunShown(explorer);
  explorer->show();
  explorer->raise();
}
