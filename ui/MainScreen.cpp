#include "MainScreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QFont>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "CopyHeadWords.h"
#include "HelpWindow.h"
#include "MakeHeadWords.h"
#include "ResultsExplorer.h"
#include "lists/StopList.h"
#include "report/ResultsName.h"
#include "run/Choices.h"
#include "run/ProcessRun.h"
#include "state/Messages.h"
#include "text/TextEncoding.h"

// The help document lives in this library's resources; a static library must register them.
static void InitQuarnResources() { Q_INIT_RESOURCE(quarn); }

namespace {

constexpr const char* kOpenFilter = "Text Files|*.txt|Quarn Files|*.dos|All files (*.*)|*.*";
constexpr const char* kSaveFilter = "Results Files|*_quarn.txt|All files (*.*)|*.*";
constexpr const char* kStopFilter = "Stop Files|*.txt|All files (*.*)|*.*";
constexpr const char* kHelpTopic = "TApplication_HelpJump";
// Message-box texts use CR as a line break.
QString BoxText(const std::string& text) {
  QString t = FromEngineText(text);
  t.replace("\r\n", "\n");
  t.replace('\r', '\n');
  return t;
}

// The local files among dropped URLs; none when any is not a local file.
QStringList DroppedPaths(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    paths << url.toLocalFile();
  }
  return paths;
}

}  // namespace

QString FromEngineText(const std::string& text) {
  return QString::fromStdString(quarn::MessageToUtf8(text));
}

std::string ToEnginePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString QtFileFilter(const QString& pipeFilter) {
  const QStringList parts = pipeFilter.split('|');
  QStringList filters;
  static const QRegularExpression trailingPatterns(R"(\s*\([^()]*\)\s*$)");
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString label = parts[i];
    label.remove(trailingPatterns);
    QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    for (QString& p : patterns) {
      p = p.trimmed();
      if (p == "*.*") p = "*";
    }
    filters << label + " (" + patterns.join(' ') + ")";
  }
  return filters.join(";;");
}

void WidenToText(const std::vector<QWidget*>& widgets) {
  for (QWidget* w : widgets) w->resize(std::max(w->width(), w->sizeHint().width()), w->height());
}

void KeepApart(const std::vector<std::vector<QWidget*>>& groups, int gap) {
  for (size_t g = 1; g < groups.size(); ++g) {
    int previousRight = 0;
    for (QWidget* w : groups[g - 1]) previousRight = std::max(previousRight, w->x() + w->width());
    int left = groups[g].front()->x();
    for (QWidget* w : groups[g]) left = std::min(left, w->x());
    const int shift = previousRight + gap - left;
    if (shift <= 0) continue;
    for (QWidget* w : groups[g]) w->move(w->x() + shift, w->y());
  }
}

QPoint ChildrenExtent(const QWidget* parent) {
  QPoint extent(0, 0);
  for (const QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->isWindow()) continue;
    extent.setX(std::max(extent.x(), w->x() + w->width()));
    extent.setY(std::max(extent.y(), w->y() + w->height()));
  }
  return extent;
}

void BackgroundWidget::mousePressEvent(QMouseEvent* event) {
  // Presses that reach here from a label or a disabled control are not on the background.
  if (childAt(event->position().toPoint()) == nullptr) emit backgroundPressed();
  QWidget::mousePressEvent(event);
}

MainScreen::MainScreen(QWidget* parent, quarn::FileSystem* fs)
    : QMainWindow(parent), fs_(fs ? *fs : *quarn::FileSystem::Default()) {
  InitQuarnResources();
  setWindowTitle("Quarn");
  QFont font("MS Sans Serif", 8);
  font.setStyleHint(QFont::SansSerif);
  setFont(font);

  // The engine speaks to this window through a host that carries its calls across threads.
  queuedHost_ = new QueuedHost(*this, this);
  engine_ = std::make_unique<quarn::Engine>(*queuedHost_, fs_);
  quarn::SetProgramFolder(*engine_, fs_.CurrentDirectory());
  engine_->ListCount = 3;
  // Each report's results stay in memory for the explorer.
  engine_->keepResults = true;

  BuildControls();
  BuildMenu();
  statusText = new QLabel("Version " QUARN_VERSION);
  statusBar()->addWidget(statusText, 1);
  runStatus = new QLabel;
  runBar = new QProgressBar;
  runBar->setRange(0, 1000);
  runBar->setTextVisible(true);
  runBar->setFormat("%p%");
  runBar->setFixedWidth(160);
  // Beside Process Files there is no room that the results file's labels do not need while the
  // run lasts: the Cancel button stands beside the progress bar.
  Cancel_run = new QPushButton("Cancel");
  connect(Cancel_run, &QPushButton::clicked, this, &MainScreen::CancelRunClick);
  statusBar()->addPermanentWidget(runStatus);
  statusBar()->addPermanentWidget(runBar);
  statusBar()->addPermanentWidget(Cancel_run);
  runStatus->hide();
  runBar->hide();
  Cancel_run->hide();
  runTick_ = new QTimer(this);
  runTick_->setInterval(500);
  connect(runTick_, &QTimer::timeout, this, &MainScreen::ShowRunProgress);
  adjustSize();

  chooseOpenFiles = [this](const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileNames(this, "Open", folder, filter);
  };
  chooseSaveFile = [this](const QString& folder, const QString& filter) {
    return QFileDialog::getSaveFileName(this, "Save", folder, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
  };
  chooseStopFile = [this](const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(this, "Open", folder, filter);
  };
  showBox = [this](const QString& text, BoxKind kind) {
    QMessageBox box(this);
    box.setWindowTitle(kind == BoxKind::kError ? "Quarn" : "Confirm");
    box.setIcon(kind == BoxKind::kError ? QMessageBox::Critical : QMessageBox::Question);
    box.setText(text);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    if (kind == BoxKind::kOkCancel) box.addButton(QMessageBox::Cancel);
    // A box asked during a run waits for the user: the pointer is not busy over it.
    if (running_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (running_) QApplication::restoreOverrideCursor();
    return box.clickedButton() == ok;
  };
  runDialog = [](QDialog& dialog) { dialog.exec(); };
  chooseProfile = [this](const QString& folder) {
    return QFileDialog::getOpenFileName(this, "Open Results", folder,
                                        "Quarn profiles (profile.json *.json);;All files (*)");
  };
}

MainScreen::~MainScreen() {
  if (runThread_ != nullptr) {
    // The window goes while a run lasts: the run is cancelled, any question it waits on is
    // answered Cancel, and it is waited for, since it works on this window's engine.
    engine_->cancelRequested.store(true);
    queuedHost_->Abandon();
    runThread_->wait();
    delete runThread_;
    runThread_ = nullptr;
  }
}

std::span<const MainScreen::OptionControl> MainScreen::OptionTable() {
  using O = quarn::RunOptions;
  using W = MainScreen;
  // Check boxes are 97 by 17 unless a width is given.
  static constexpr OptionControl kTable[] = {
      {&W::Basewrd1_on, &O::Basewrd1_on, "Basewrd1 On", 0, 8, 320, 97, true},
      {&W::Basewrd2_on, &O::Basewrd2_on, "Basewrd2 On", 0, 8, 336, 97, true},
      {&W::Basewrd3_on, &O::Basewrd3_on, "Basewrd3 On", 0, 8, 352, 97, true},
      {&W::Forms, &O::Forms, "Forms", 1, 120, 320, 97, true},
      {&W::Writenumbers, &O::Writenumbers, "Write Numbers", 1, 120, 336, 97, true},
      {&W::others, &O::others, "List Others", 1, 120, 352, 97, true},
      {&W::sortbyalpha, &O::sortbyalpha, "Sort By Alpha", 2, 232, 320, 97, true},
      {&W::sortbyfreq, &O::sortbyfreq, "Sort by Freq", 2, 232, 336, 97, false},
      {&W::sortbyrange, &O::sortbyrange, "Sort by Range", 2, 232, 352, 97, false},
      {&W::BatchFiles, &O::BatchFiles, "BatchFiles", 3, 336, 320, 97, false},
      {&W::UseStopList, &O::UseStopList, "Use Stop List", 3, 336, 336, 97, false},
      {&W::Udate_Basewords, &O::Udate_Basewords, "Update BaseWords", 4, 448, 320, 137, false},
      {&W::Zero_base, &O::Zero_base, "Zero BaseWords", 4, 464, 336, 105, false},
      {&W::Mark_Texts, &O::Mark_Texts, "Mark Texts", 5, 584, 320, 97, false},
      {&W::Overwrite, &O::Overwrite, "Overwrite Marked Texts", 5, 584, 336, 137, false},
      {&W::Ignore_Angle, &O::Ignore_Angle, "Ignore '<>'", 5, 584, 352, 97, false},
  };
  return kTable;
}

std::vector<QWidget*> MainScreen::OptionBoxes() const {
  std::vector<QWidget*> boxes;
  for (const OptionControl& option : OptionTable()) boxes.push_back(this->*option.box);
  return boxes;
}

void MainScreen::BuildControls() {
  background = new BackgroundWidget(this);
  setCentralWidget(background);

  auto label = [this](const char* text, int left, int top) {
    auto* l = new QLabel(text, background);
    l->move(left, top);
    l->adjustSize();
    return l;
  };
  auto memo = [this](int left, int top, int width, int height) {
    auto* m = new QPlainTextEdit(background);
    m->setGeometry(left, top, width, height);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return m;
  };

  filesLabel = label("Files to process", 8, 8);
  ListFiles = memo(8, 32, 305, 241);
  progressLabel = label("Progress", 328, 8);
  Progress = memo(328, 32, 393, 241);
  // The Progress memo shows the engine's log, which only the engine writes.
  Progress->setReadOnly(true);

  Process_files = new QPushButton("Process Files", background);
  Process_files->setGeometry(8, 288, 125, 25);

  resultsLabel = label("File to save results in", 144, 286);
  resultsFileLabel = label("", 144, 300);
  listCountLabel = label("Number of Baseword Files", 328, 286);
  BaseWrdNum = new QLineEdit("3", background);
  BaseWrdNum->setGeometry(456, 283, 20, 21);
  BaseWrdNum->setMaxLength(2);
  BaseWrdNum->setTextMargins(0, 0, 0, 0);

  for (const OptionControl& option : OptionTable()) {
    auto* box = new QCheckBox(option.caption, background);
    box->setGeometry(option.left, option.top, option.width, 17);
    box->setChecked(option.checked);
    this->*option.box = box;
  }
  // Zero BaseWords starts as its rule leaves it while Update BaseWords is unchecked.
  Udate_BasewordsClick();
  // How text files are read; in the free space below BatchFiles and Use Stop List.
  EncodingLabel = label("Encoding", 336, 360);
  Encoding = new QComboBox(background);
  Encoding->addItems({"Automatic", "Windows-1252", "UTF-8"});
  Encoding->setGeometry(392, 357, 120, 20);

  WidenToText(OptionBoxes());
  std::vector<std::vector<QWidget*>> columns;
  for (const OptionControl& option : OptionTable()) {
    if (columns.size() <= static_cast<size_t>(option.column)) columns.resize(option.column + 1);
    columns[option.column].push_back(this->*option.box);
  }
  KeepApart(columns);
  KeepApart({{listCountLabel}, {BaseWrdNum}});
  const QPoint extent = ChildrenExtent(background);
  background->setMinimumSize(std::max(728, extent.x() + 7), std::max(376, extent.y() + 3));

  // The rules run on every change of their box's state, whoever makes it.
  connect(Process_files, &QPushButton::clicked, this, &MainScreen::Process_filesClick);
  // Files and folders dropped on the input list are added to it.
  ListFiles->viewport()->installEventFilter(this);
  for (QCheckBox* sort : {sortbyalpha, sortbyfreq, sortbyrange})
    connect(sort, &QCheckBox::toggled, this, [this, sort] { SortRuleClick(sort); });
  connect(BatchFiles, &QCheckBox::toggled, this, [this] { SortRuleClick(sortbyalpha); });
  connect(Udate_Basewords, &QCheckBox::toggled, this, &MainScreen::Udate_BasewordsClick);
  connect(UseStopList, &QCheckBox::toggled, this, &MainScreen::UseStopListClick);
  connect(Ignore_Angle, &QCheckBox::toggled, this, &MainScreen::Ignore_AngleClick);
  connect(Encoding, &QComboBox::currentIndexChanged, this, &MainScreen::EncodingChange);
  connect(BaseWrdNum, &QLineEdit::textChanged, this, &MainScreen::BaseWrdNumChange);
  connect(background, &BackgroundWidget::backgroundPressed, this, [this] {
    if (!running_) SortRuleClick(sortbyfreq);
  });
}

void MainScreen::BuildMenu() {
  QMenu* file = menuBar()->addMenu("&File");
  fileMenu = file->menuAction();
  openAction = file->addAction("&Open", this, &MainScreen::OpenClick);
  saveAction = file->addAction("&Save", this, &MainScreen::SaveClick);
  moveCopyAction = file->addAction("Move/Copy Basewords", this, &MainScreen::MoveCopyClick);
  headWordListAction = file->addAction("Make Head Word List", this, &MainScreen::HeadWordListClick);
  exitAction = file->addAction("&Exit", this, &MainScreen::ExitClick);
  helpAction = menuBar()->addAction("Help", this, &MainScreen::HelpClick);
  QMenu* results = menuBar()->addMenu("&Results");
  resultsMenu = results->menuAction();
  explorerAction = results->addAction("Explorer", this, &MainScreen::ShowExplorerClick);
  openResultsAction = results->addAction("Open Results…", this, &MainScreen::OpenResultsClick);
  cancelShortcut = new QAction(this);
  cancelShortcut->setShortcut(Qt::Key_Escape);
  cancelShortcut->setShortcutContext(Qt::WindowShortcut);
  cancelShortcut->setEnabled(false);
  connect(cancelShortcut, &QAction::triggered, this, &MainScreen::CancelRunClick);
  addAction(cancelShortcut);
}

// --- quarn::Host ---

quarn::RunOptions MainScreen::ChosenOptions() const {
  quarn::RunOptions options;
  for (const OptionControl& option : OptionTable())
    options.*option.field = (this->*option.box)->isChecked();
  return options;
}

QStringList MainScreen::InputQLines() const {
  const QString text = ListFiles->toPlainText();
  if (text.isEmpty()) return {};
  QStringList lines = text.split('\n');
  // A final line break closes the last line; it does not open an empty one.
  if (text.endsWith('\n')) lines.removeLast();
  return lines;
}

void MainScreen::SetInputLines(const QStringList& lines) {
  ListFiles->setPlainText(lines.isEmpty() ? QString() : lines.join('\n') + '\n');
}

std::vector<std::string> MainScreen::InputLines() {
  std::vector<std::string> out;
  for (const QString& line : InputQLines()) out.push_back(ToEnginePath(line));
  return out;
}

void MainScreen::InputLinesRemoved(const std::vector<size_t>& indexes) {
  QStringList lines = InputQLines();
  quarn::RemoveLinesAt(lines, indexes);
  SetInputLines(lines);
}

void MainScreen::ResultsFileNameChanged(const std::string& name) {
  resultsFileLabel->setText(FromEngineText(name));
  resultsFileLabel->adjustSize();
}

void MainScreen::ProgressChanged(const quarn::ProgressLog& log, size_t first) {
  first = std::min(first, shownProgressLines_);
  if (first >= log.lines.size() && shownProgressLines_ == log.lines.size()) return;
  QStringList tail;
  for (size_t i = first; i < log.lines.size(); ++i) tail << FromEngineText(log.lines[i]);

  QTextDocument* doc = Progress->document();
  QTextCursor cursor(doc);
  if (first == shownProgressLines_) {
    cursor.movePosition(QTextCursor::End);
    cursor.insertText((shownProgressLines_ > 0 ? "\n" : "") + tail.join('\n'));
  } else {
    cursor.setPosition(doc->findBlockByNumber(static_cast<int>(first)).position());
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.insertText(tail.join('\n'));
  }
  shownProgressLines_ = log.lines.size();
  QScrollBar* bar = Progress->verticalScrollBar();
  bar->setValue(bar->maximum());
}

bool MainScreen::MessageBox(const std::string& text, bool withCancel) {
  return showBox(BoxText(text), withCancel ? BoxKind::kOkCancel : BoxKind::kOk);
}

void MainScreen::RunProgressChanged(const quarn::RunProgress& progress) {
  if (!running_) return;
  gauge_.Update(progress);
  ShowRunProgress();
}

void MainScreen::ShowRunProgress() {
  runBar->setValue(static_cast<int>(gauge_.done() * 1000));
  runStatus->setText(gauge_.Text(runClock_.elapsed()));
}

// --- handlers ---

void MainScreen::Process_filesClick() {
  if (running_) return;
  running_ = true;
  runRequest_ = quarn::RunRequest{ChosenOptions(), InputLines(), engine_->ResultsFileName,
                                  engine_->ListCount};
  const quarn::RunOptions& options = runRequest_.options;
  queuedHost_->BeginRun(engine_->progress);
  engine_->cancelRequested.store(false);
  gauge_.Start(options.BatchFiles);
  runClock_.start();
  LockForRun(true);
  ShowRunProgress();
  runTick_->start();
  QApplication::setOverrideCursor(Qt::BusyCursor);

  runThread_ =
      QThread::create([this] { runOutcome_ = quarn::ProcessFiles(*engine_, runRequest_); });
  connect(runThread_, &QThread::finished, this, &MainScreen::RunEnded);
  runThread_->start();
}

void MainScreen::RunEnded() {
  if (runThread_ == nullptr) return;
  runThread_->wait();
  delete runThread_;
  runThread_ = nullptr;
  queuedHost_->EndRun();
  runTick_->stop();
  QApplication::restoreOverrideCursor();
  LockForRun(false);
  running_ = false;
  const auto textsRun =
      static_cast<int>(runRequest_.inputLines.size() - runOutcome_.removedLines.size());
  statusText->setText(RunEndText(runOutcome_, textsRun, runClock_.elapsed()));
  ShowRunInExplorer(*engine_, runRequest_.options, std::move(runOutcome_.keptResults), explorer_,
                    this);
  emit runFinished();
}

void MainScreen::CancelRunClick() {
  if (!running_) return;
  engine_->cancelRequested.store(true);
  Cancel_run->setEnabled(false);  // asked once; the run ends at its next progress point
}

void MainScreen::LockForRun(bool locked) {
  std::vector<QWidget*> widgets = {Process_files, BaseWrdNum, Encoding};
  for (QWidget* box : OptionBoxes()) widgets.push_back(box);
  const std::vector<QAction*> actions = {openAction, saveAction, moveCopyAction, headWordListAction,
                                         exitAction};
  if (locked) {
    lockedWidgets_.clear();
    lockedActions_.clear();
    for (QWidget* w : widgets) {
      lockedWidgets_.emplace_back(w, w->isEnabled());
      w->setEnabled(false);
    }
    for (QAction* a : actions) {
      lockedActions_.emplace_back(a, a->isEnabled());
      a->setEnabled(false);
    }
    // The list can still be scrolled and read, not changed.
    ListFiles->setReadOnly(true);
    Cancel_run->setEnabled(true);
    Cancel_run->show();
    cancelShortcut->setEnabled(true);
    runStatus->show();
    runBar->show();
  } else {
    for (auto& [w, enabled] : lockedWidgets_) w->setEnabled(enabled);
    for (auto& [a, enabled] : lockedActions_) a->setEnabled(enabled);
    lockedWidgets_.clear();
    lockedActions_.clear();
    ListFiles->setReadOnly(false);
    Cancel_run->hide();
    cancelShortcut->setEnabled(false);
    runStatus->hide();
    runBar->hide();
  }
}

void MainScreen::AddDroppedPaths(const QStringList& paths) {
  if (running_) return;
  QStringList lines = InputQLines();
  const int before = static_cast<int>(lines.size());
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (info.isDir()) {
      const QDir folder(path);
      const QStringList texts =
          folder.entryList({"*.txt"}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
      for (const QString& name : texts) {
        // Earlier results files lie beside their texts: they are reports, not texts.
        if (name.contains("_quarn.")) continue;
        lines << QDir::cleanPath(folder.filePath(name));
      }
    } else if (info.isFile()) {
      lines << path;
    }
  }
  if (lines.size() != before) SetInputLines(lines);
}

bool MainScreen::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ListFiles->viewport()) {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (DroppedPaths(drag->mimeData()).isEmpty()) break;  // text: as the editor takes it
        if (running_) {
          drag->ignore();
        } else {
          drag->setDropAction(Qt::CopyAction);
          drag->accept();
        }
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = DroppedPaths(drop->mimeData());
        if (paths.isEmpty()) break;
        if (!running_) {
          AddDroppedPaths(paths);
          drop->setDropAction(Qt::CopyAction);
          drop->accept();
        }
        return true;
      }
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainScreen::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();
    return;
  }
  if (help_ != nullptr) help_->close();
  event->accept();
}

void MainScreen::OpenClick() {
  const QStringList names =
      chooseOpenFiles(FromEngineText(engine_->ProgramFolder), QtFileFilter(kOpenFilter));
  if (names.isEmpty()) return;
  QStringList lines = InputQLines();
  for (qsizetype i = names.size() - 1; i >= 0; --i) lines << names[i];
  SetInputLines(lines);
}

void MainScreen::SaveClick() {
  const QString chosen =
      chooseSaveFile(FromEngineText(engine_->ProgramFolder), QtFileFilter(kSaveFilter));
  if (chosen.isEmpty()) return;
  quarn::ChooseResultsFile(*engine_, ToEnginePath(chosen));
}

void MainScreen::ExitClick() { close(); }

void MainScreen::HelpClick() {
  if (help_ == nullptr) help_ = new HelpWindow(this);
  help_->ShowTopic(kHelpTopic);
}

void MainScreen::MoveCopyClick() {
  CopyHeadWordsDialog dialog(*engine_, this);
  runDialog(dialog);
}

void MainScreen::HeadWordListClick() {
  MakeHeadWordsDialog dialog(*engine_, this);
  runDialog(dialog);
}

void MainScreen::SortRuleClick(QCheckBox* own) {
  const bool checked = own->isChecked();
  // Each change below runs the changed box's own rule on the spot, as a click on it would.
  for (QCheckBox* other : {sortbyalpha, sortbyfreq, sortbyrange}) {
    if (other == own) continue;
    if (checked) {
      other->setChecked(false);
      other->setEnabled(false);
    } else {
      other->setEnabled(true);
    }
  }
}

void MainScreen::Udate_BasewordsClick() {
  if (Udate_Basewords->isChecked()) {
    Zero_base->setEnabled(true);
  } else {
    Zero_base->setEnabled(false);
    Zero_base->setChecked(false);
  }
}

void MainScreen::UseStopListClick() {
  if (!UseStopList->isChecked()) {
    engine_->stopList.reset();
    return;
  }
  const QString chosen =
      chooseStopFile(FromEngineText(engine_->ProgramFolder), QtFileFilter(kStopFilter));
  if (chosen.isEmpty()) {
    UseStopList->setChecked(false);
    return;
  }
  if (quarn::ChooseStopList(*engine_, ToEnginePath(chosen)) == quarn::StopListChoice::kDeclined)
    UseStopList->setChecked(false);
}

void MainScreen::BaseWrdNumChange() {
  const std::string text = BaseWrdNum->text().toStdString();
  int32_t count = 0;
  switch (quarn::ReadListCount(text, &count)) {
    case quarn::ListCountText::kNotANumber:
      break;
    case quarn::ListCountText::kInvalid:
      showBox(FromEngineText(quarn::InvalidListCountText(text)), BoxKind::kError);
      break;
    case quarn::ListCountText::kValid:
      engine_->ListCount = count;
      break;
  }
}

void MainScreen::EncodingChange(int index) {
  static constexpr quarn::TextEncoding kByIndex[] = {
      quarn::TextEncoding::kAuto, quarn::TextEncoding::kCp1252, quarn::TextEncoding::kUtf8};
  if (index >= 0 && index < 3) engine_->encoding = kByIndex[index];
}

void MainScreen::ShowExplorerClick() {
  if (explorer_.isNull()) {
    explorer_ = new ResultsExplorer(this);
    explorer_->setWindowFlag(Qt::Window);
    explorer_->setAttribute(Qt::WA_DeleteOnClose);
  }
  explorer_->show();
  explorer_->raise();
}

void MainScreen::OpenResultsClick() {
  const QString path = chooseProfile(FromEngineText(engine_->ProgramFolder));
  if (path.isEmpty()) return;
  ShowExplorerClick();
  QString error;
  if (!explorer_->OpenProfile(path, &error, engine_->ProgramFolder))
    showBox(error, BoxKind::kError);
}

ResultsExplorer* MainScreen::explorer() const { return explorer_.data(); }
