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

Tmain_screen::Tmain_screen(QWidget* parent, quarn::FileSystem* fs)
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
  connect(Cancel_run, &QPushButton::clicked, this, &Tmain_screen::CancelRunClick);
  statusBar()->addPermanentWidget(runStatus);
  statusBar()->addPermanentWidget(runBar);
  statusBar()->addPermanentWidget(Cancel_run);
  runStatus->hide();
  runBar->hide();
  Cancel_run->hide();
  runTick_ = new QTimer(this);
  runTick_->setInterval(500);
  connect(runTick_, &QTimer::timeout, this, &Tmain_screen::ShowRunProgress);
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

Tmain_screen::~Tmain_screen() {
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

QCheckBox* Tmain_screen::AddCheckBox(const char* caption, int left, int top, int width,
                                     bool checked) {
  auto* box = new QCheckBox(caption, background);
  box->setGeometry(left, top, width, 17);
  box->setChecked(checked);
  return box;
}

void Tmain_screen::BuildControls() {
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

  Label1 = label("Files to process", 8, 8);
  ListFiles = memo(8, 32, 305, 241);
  Label6 = label("Progress", 328, 8);
  Progress = memo(328, 32, 393, 241);
  // The Progress memo shows the engine's log, which only the engine writes.
  Progress->setReadOnly(true);

  Process_files = new QPushButton("Process Files", background);
  Process_files->setGeometry(8, 288, 125, 25);

  Label2 = label("File to save results in", 144, 286);
  Label4 = label("", 144, 300);
  Label5 = label("Number of Baseword Files", 328, 286);
  BaseWrdNum = new QLineEdit("3", background);
  BaseWrdNum->setGeometry(456, 283, 20, 21);
  BaseWrdNum->setMaxLength(2);
  BaseWrdNum->setTextMargins(0, 0, 0, 0);

  Basewrd1_on = AddCheckBox("Basewrd1 On", 8, 320, 97, true);
  Basewrd2_on = AddCheckBox("Basewrd2 On", 8, 336, 97, true);
  Basewrd3_on = AddCheckBox("Basewrd3 On", 8, 352, 97, true);
  Forms = AddCheckBox("Forms", 120, 320, 97, true);
  Writenumbers = AddCheckBox("Write Numbers", 120, 336, 97, true);
  others = AddCheckBox("List Others", 120, 352, 97, true);
  sortbyalpha = AddCheckBox("Sort By Alpha", 232, 320, 97, true);
  sortbyfreq = AddCheckBox("Sort by Freq", 232, 336, 97, false);
  sortbyrange = AddCheckBox("Sort by Range", 232, 352, 97, false);
  BatchFiles = AddCheckBox("BatchFiles", 336, 320, 97, false);
  UseStopList = AddCheckBox("Use Stop List", 336, 336, 97, false);
  Udate_Basewords = AddCheckBox("Update BaseWords", 448, 320, 137, false);
  Zero_base = AddCheckBox("Zero BaseWords", 464, 336, 105, false);
  Zero_base->setEnabled(false);
  Mark_Texts = AddCheckBox("Mark Texts", 584, 320, 97, false);
  Overwrite = AddCheckBox("Overwrite Marked Texts", 584, 336, 137, false);
  Ignore_Angle = AddCheckBox("Ignore '<>'", 584, 352, 97, false);
  // How text files are read; in the free space below BatchFiles and Use Stop List.
  EncodingLabel = label("Encoding", 336, 360);
  Encoding = new QComboBox(background);
  Encoding->addItems({"Automatic", "Windows-1252", "UTF-8"});
  Encoding->setGeometry(392, 357, 120, 20);

  WidenToText({Basewrd1_on, Basewrd2_on, Basewrd3_on, Forms, Writenumbers, others, sortbyalpha,
               sortbyfreq, sortbyrange, BatchFiles, UseStopList, Udate_Basewords, Zero_base,
               Mark_Texts, Overwrite, Ignore_Angle});
  KeepApart({{Basewrd1_on, Basewrd2_on, Basewrd3_on},
             {Forms, Writenumbers, others},
             {sortbyalpha, sortbyfreq, sortbyrange},
             {BatchFiles, UseStopList},
             {Udate_Basewords, Zero_base},
             {Mark_Texts, Overwrite, Ignore_Angle}});
  KeepApart({{Label5}, {BaseWrdNum}});
  const QPoint extent = ChildrenExtent(background);
  background->setMinimumSize(std::max(728, extent.x() + 7), std::max(376, extent.y() + 3));

  // The rules run on every change of their box's state, whoever makes it.
  connect(Process_files, &QPushButton::clicked, this, &Tmain_screen::Process_filesClick);
  // Files and folders dropped on the input list are added to it.
  ListFiles->viewport()->installEventFilter(this);
  connect(sortbyalpha, &QCheckBox::toggled, this, &Tmain_screen::sortbyalphaClick);
  connect(sortbyfreq, &QCheckBox::toggled, this, &Tmain_screen::sortbyfreqClick);
  connect(sortbyrange, &QCheckBox::toggled, this, &Tmain_screen::sortbyrangeClick);
  connect(BatchFiles, &QCheckBox::toggled, this, &Tmain_screen::sortbyalphaClick);
  connect(Udate_Basewords, &QCheckBox::toggled, this, &Tmain_screen::Udate_BasewordsClick);
  connect(UseStopList, &QCheckBox::toggled, this, &Tmain_screen::UseStopListClick);
  connect(Ignore_Angle, &QCheckBox::toggled, this, &Tmain_screen::Ignore_AngleClick);
  connect(Encoding, &QComboBox::currentIndexChanged, this, &Tmain_screen::EncodingChange);
  connect(BaseWrdNum, &QLineEdit::textChanged, this, &Tmain_screen::BaseWrdNumChange);
  connect(background, &BackgroundWidget::backgroundPressed, this, [this] {
    if (!running_) sortbyfreqClick();
  });
}

void Tmain_screen::BuildMenu() {
  QMenu* file = menuBar()->addMenu("&File");
  File1 = file->menuAction();
  Open1 = file->addAction("&Open", this, &Tmain_screen::Open1Click);
  Save1 = file->addAction("&Save", this, &Tmain_screen::Save1Click);
  MakeNewBaseList1 =
      file->addAction("Move/Copy Basewords", this, &Tmain_screen::MakeNewBaseList1Click);
  MakeHeadWordList1 =
      file->addAction("Make Head Word List", this, &Tmain_screen::MakeHeadWordList1Click);
  Exit1 = file->addAction("&Exit", this, &Tmain_screen::Exit1Click);
  Help1 = menuBar()->addAction("Help", this, &Tmain_screen::Help1Click);
  QMenu* results = menuBar()->addMenu("&Results");
  Results1 = results->menuAction();
  ShowExplorer1 = results->addAction("Explorer", this, &Tmain_screen::ShowExplorerClick);
  OpenResults1 = results->addAction("Open Results…", this, &Tmain_screen::OpenResultsClick);
  CancelKey = new QAction(this);
  CancelKey->setShortcut(Qt::Key_Escape);
  CancelKey->setShortcutContext(Qt::WindowShortcut);
  CancelKey->setEnabled(false);
  connect(CancelKey, &QAction::triggered, this, &Tmain_screen::CancelRunClick);
  addAction(CancelKey);
}

// --- quarn::Host ---

quarn::RunOptions Tmain_screen::Options() {
  quarn::RunOptions o;
  o.Basewrd1_on = Basewrd1_on->isChecked();
  o.Basewrd2_on = Basewrd2_on->isChecked();
  o.Basewrd3_on = Basewrd3_on->isChecked();
  o.Forms = Forms->isChecked();
  o.Writenumbers = Writenumbers->isChecked();
  o.others = others->isChecked();
  o.sortbyalpha = sortbyalpha->isChecked();
  o.sortbyfreq = sortbyfreq->isChecked();
  o.sortbyrange = sortbyrange->isChecked();
  o.Udate_Basewords = Udate_Basewords->isChecked();
  o.Zero_base = Zero_base->isChecked();
  o.Mark_Texts = Mark_Texts->isChecked();
  o.Overwrite = Overwrite->isChecked();
  o.BatchFiles = BatchFiles->isChecked();
  o.UseStopList = UseStopList->isChecked();
  o.Ignore_Angle = Ignore_Angle->isChecked();
  return o;
}

QStringList Tmain_screen::InputQLines() const {
  const QString text = ListFiles->toPlainText();
  if (text.isEmpty()) return {};
  QStringList lines = text.split('\n');
  // A final line break closes the last line; it does not open an empty one.
  if (text.endsWith('\n')) lines.removeLast();
  return lines;
}

void Tmain_screen::SetInputLines(const QStringList& lines) {
  ListFiles->setPlainText(lines.isEmpty() ? QString() : lines.join('\n') + '\n');
}

std::vector<std::string> Tmain_screen::InputLines() {
  std::vector<std::string> out;
  for (const QString& line : InputQLines()) out.push_back(ToEnginePath(line));
  return out;
}

void Tmain_screen::RemoveInputLine(size_t index) {
  QStringList lines = InputQLines();
  if (index >= static_cast<size_t>(lines.size())) return;
  lines.removeAt(static_cast<qsizetype>(index));
  SetInputLines(lines);
}

void Tmain_screen::RemoveInputLines(const std::vector<size_t>& indexes) {
  const QStringList lines = InputQLines();
  QStringList kept;
  size_t next = 0;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (next < indexes.size() && indexes[next] == static_cast<size_t>(i)) {
      ++next;
      continue;
    }
    kept << lines[i];
  }
  SetInputLines(kept);
}

void Tmain_screen::ResultsFileNameChanged(const std::string& name) {
  Label4->setText(FromEngineText(name));
  Label4->adjustSize();
}

void Tmain_screen::ProgressChanged(const quarn::ProgressLog& log, size_t first) {
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

bool Tmain_screen::MessageBox(const std::string& text, bool withCancel) {
  return showBox(BoxText(text), withCancel ? BoxKind::kOkCancel : BoxKind::kOk);
}

void Tmain_screen::RunProgressChanged(const quarn::RunProgress& progress) {
  if (!running_) return;
  gauge_.Update(progress);
  ShowRunProgress();
}

void Tmain_screen::ShowRunProgress() {
  runBar->setValue(static_cast<int>(gauge_.done() * 1000));
  runStatus->setText(gauge_.Text(runClock_.elapsed()));
}

// --- handlers ---

void Tmain_screen::Process_filesClick() {
  if (running_) return;
  running_ = true;
  const quarn::RunOptions options = Options();
  queuedHost_->BeginRun(options, InputLines(), engine_->progress);
  engine_->cancelRequested.store(false);
  gauge_.Start(options.BatchFiles);
  runClock_.start();
  LockForRun(true);
  ShowRunProgress();
  runTick_->start();
  QApplication::setOverrideCursor(Qt::BusyCursor);

  runThread_ = QThread::create([this] { quarn::ProcessFiles(*engine_); });
  connect(runThread_, &QThread::finished, this, &Tmain_screen::RunEnded);
  runThread_->start();
}

void Tmain_screen::RunEnded() {
  if (runThread_ == nullptr) return;
  runThread_->wait();
  delete runThread_;
  runThread_ = nullptr;
  queuedHost_->EndRun();
  runTick_->stop();
  QApplication::restoreOverrideCursor();
  LockForRun(false);
  running_ = false;
  statusText->setText(RunEndText(*engine_, runClock_.elapsed()));
  ShowRunInExplorer(*engine_, explorer_, this);
  emit runFinished();
}

void Tmain_screen::CancelRunClick() {
  if (!running_) return;
  engine_->cancelRequested.store(true);
  Cancel_run->setEnabled(false);  // asked once; the run ends at its next progress point
}

void Tmain_screen::LockForRun(bool locked) {
  const std::vector<QWidget*> widgets = {
      Process_files, BaseWrdNum,  Basewrd1_on, Basewrd2_on, Basewrd3_on,     Forms,
      Writenumbers,  others,      sortbyalpha, sortbyfreq,  sortbyrange,     BatchFiles,
      UseStopList,   Udate_Basewords, Zero_base, Mark_Texts, Overwrite,      Ignore_Angle,
      Encoding};
  const std::vector<QAction*> actions = {Open1, Save1, MakeNewBaseList1, MakeHeadWordList1,
                                         Exit1};
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
    CancelKey->setEnabled(true);
    runStatus->show();
    runBar->show();
  } else {
    for (auto& [w, enabled] : lockedWidgets_) w->setEnabled(enabled);
    for (auto& [a, enabled] : lockedActions_) a->setEnabled(enabled);
    lockedWidgets_.clear();
    lockedActions_.clear();
    ListFiles->setReadOnly(false);
    Cancel_run->hide();
    CancelKey->setEnabled(false);
    runStatus->hide();
    runBar->hide();
  }
}

void Tmain_screen::AddDroppedPaths(const QStringList& paths) {
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

bool Tmain_screen::eventFilter(QObject* watched, QEvent* event) {
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

void Tmain_screen::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();
    return;
  }
  if (help_ != nullptr) help_->close();
  event->accept();
}

void Tmain_screen::Open1Click() {
  const QStringList names =
      chooseOpenFiles(FromEngineText(engine_->ProgramFolder), QtFileFilter(kOpenFilter));
  if (names.isEmpty()) return;
  QStringList lines = InputQLines();
  for (qsizetype i = names.size() - 1; i >= 0; --i) lines << names[i];
  SetInputLines(lines);
}

void Tmain_screen::Save1Click() {
  const QString chosen =
      chooseSaveFile(FromEngineText(engine_->ProgramFolder), QtFileFilter(kSaveFilter));
  if (chosen.isEmpty()) return;
  quarn::ChooseResultsFile(*engine_, ToEnginePath(chosen));
}

void Tmain_screen::Exit1Click() { close(); }

void Tmain_screen::Help1Click() {
  if (help_ == nullptr) help_ = new HelpWindow(this);
  help_->ShowTopic(kHelpTopic);
}

void Tmain_screen::MakeNewBaseList1Click() {
  TFormCopyHeadwords dialog(*engine_, this);
  runDialog(dialog);
}

void Tmain_screen::MakeHeadWordList1Click() {
  TMakeHeadWord dialog(*engine_, this);
  runDialog(dialog);
}

void Tmain_screen::sortbyalphaClick() {
  if (sortbyalpha->isChecked()) {
    sortbyfreq->setChecked(false);
    sortbyfreq->setEnabled(false);
    sortbyrange->setChecked(false);
    sortbyrange->setEnabled(false);
  } else {
    sortbyfreq->setEnabled(true);
    sortbyrange->setEnabled(true);
  }
}

void Tmain_screen::sortbyfreqClick() {
  if (sortbyfreq->isChecked()) {
    sortbyalpha->setChecked(false);
    sortbyalpha->setEnabled(false);
    sortbyrange->setChecked(false);
    sortbyrange->setEnabled(false);
  } else {
    sortbyalpha->setEnabled(true);
    sortbyrange->setEnabled(true);
  }
}

void Tmain_screen::sortbyrangeClick() {
  if (sortbyrange->isChecked()) {
    sortbyalpha->setChecked(false);
    sortbyalpha->setEnabled(false);
    sortbyfreq->setChecked(false);
    sortbyfreq->setEnabled(false);
  } else {
    sortbyalpha->setEnabled(true);
    sortbyfreq->setEnabled(true);
  }
}

void Tmain_screen::Udate_BasewordsClick() {
  if (Udate_Basewords->isChecked()) {
    Zero_base->setEnabled(true);
  } else {
    Zero_base->setEnabled(false);
    Zero_base->setChecked(false);
  }
}

void Tmain_screen::UseStopListClick() {
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

void Tmain_screen::BaseWrdNumChange() {
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

void Tmain_screen::EncodingChange(int index) {
  static constexpr quarn::TextEncoding kByIndex[] = {
      quarn::TextEncoding::kAuto, quarn::TextEncoding::kCp1252, quarn::TextEncoding::kUtf8};
  if (index >= 0 && index < 3) engine_->encoding = kByIndex[index];
}

void Tmain_screen::ShowExplorerClick() {
  if (explorer_.isNull()) {
    explorer_ = new ResultsExplorer(this);
    explorer_->setWindowFlag(Qt::Window);
    explorer_->setAttribute(Qt::WA_DeleteOnClose);
  }
  explorer_->show();
  explorer_->raise();
}

void Tmain_screen::OpenResultsClick() {
  const QString path = chooseProfile(FromEngineText(engine_->ProgramFolder));
  if (path.isEmpty()) return;
  ShowExplorerClick();
  QString error;
  if (!explorer_->OpenProfile(path, &error, engine_->ProgramFolder))
    showBox(error, BoxKind::kError);
}

ResultsExplorer* Tmain_screen::explorer() const { return explorer_.data(); }
