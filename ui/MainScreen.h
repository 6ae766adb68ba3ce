// The main window: the input list, the results file, the options of a run, the Progress memo,
// and the menu that opens the two list dialogs and the help. The window only maps its controls
// to the engine (it is the engine's Host); the work is done by the engine's routines.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "Host.h"
#include "QueuedHost.h"
#include "RunGauge.h"
#include "run/ProcessRun.h"
#include "state/Engine.h"

class QAction;
class QDialog;
class QThread;
class QTimer;
class HelpWindow;
class ResultsExplorer;

// Engine text is 8-bit: Windows-1252 for words, the system's own bytes (UTF-8) for paths.
// A line that is valid UTF-8 is shown as such, anything else as Windows-1252.
QString FromEngineText(const std::string& text);
// A file name typed or chosen in the window, as the engine's file functions take it.
std::string ToEnginePath(const QString& path);
// "Label|pattern|Label|pattern" filters as a Qt file-dialog filter ("Label (pattern);;...").
// "*.*" becomes "*" so that files without an extension are listed too.
QString QtFileFilter(const QString& pipeFilter);

// The controls keep the positions the program gives them unless the platform's font needs more
// room. Widens each widget to what its text needs (never narrower than given).
void WidenToText(const std::vector<QWidget*>& widgets);
// Moves each group right as a block, just far enough to clear the group before it by gap pixels.
void KeepApart(const std::vector<std::vector<QWidget*>>& groups, int gap = 4);
// The right and bottom edge of the furthest child of parent.
QPoint ChildrenExtent(const QWidget* parent);

// The background of the window, under the controls. A press on it (not on a control) is reported.
class BackgroundWidget : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;
 signals:
  void backgroundPressed();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

class MainScreen : public QMainWindow, public quarn::Host {
  Q_OBJECT
 public:
  // fs must outlive the window; null means the system's file system. ProgramFolder starts as
  // the current directory.
  explicit MainScreen(QWidget* parent = nullptr, quarn::FileSystem* fs = nullptr);
  ~MainScreen() override;

  quarn::Engine& engine() { return *engine_; }
  // A run is in progress on its own thread (from Process Files until runFinished).
  bool running() const { return running_; }
  // Adds dropped files to the input list, as Open does; a folder adds its .txt files in name
  // order, leaving out results files (_quarn.). Nothing is added while a run lasts.
  void AddDroppedPaths(const QStringList& paths);

  // The dialogs and boxes the window opens. They default to Qt's own; tests replace them so that
  // nothing waits for a user.
  // Several input files, in the dialog's order; empty when cancelled.
  std::function<QStringList(const QString& folder, const QString& filter)> chooseOpenFiles;
  // The results file (a name that does not exist yet may be typed); empty when cancelled.
  std::function<QString(const QString& folder, const QString& filter)> chooseSaveFile;
  // One stop file; empty when cancelled.
  std::function<QString(const QString& folder, const QString& filter)> chooseStopFile;
  enum class BoxKind { kOk, kOkCancel, kError };
  // A modal box; true iff OK was chosen.
  std::function<bool(const QString& text, BoxKind kind)> showBox;
  // Runs one of the list dialogs modally.
  std::function<void(QDialog& dialog)> runDialog;

  // One option of a run: the check box that sets it, the RunOptions field it sets, its caption,
  // where it stands and its state at start. The window builds, reads, locks and lays out its
  // options from this table alone.
  struct OptionControl {
    QCheckBox* MainScreen::*box;
    bool quarn::RunOptions::*field;
    const char* caption;
    // The boxes of one column move right together when a caption needs more room than given.
    int column;
    int left, top, width;
    bool checked;
  };
  static std::span<const OptionControl> OptionTable();

  // The options the boxes give now: what a run started now takes.
  quarn::RunOptions ChosenOptions() const;
  // The input list (ListFiles), one line per entry, top first: what a run started now reads.
  std::vector<std::string> InputLines();

  // --- quarn::Host ---
  void InputLinesRemoved(const std::vector<size_t>& indexes) override;
  void ResultsFileNameChanged(const std::string& name) override;
  void ProgressChanged(const quarn::ProgressLog& log, size_t first) override;
  bool MessageBox(const std::string& text, bool withCancel) override;
  void RunProgressChanged(const quarn::RunProgress& progress) override;

  // --- controls; each option's box carries the name of the RunOptions field it sets ---
  BackgroundWidget* background = nullptr;
  QLabel* filesLabel = nullptr;  // "Files to process", above ListFiles
  QPlainTextEdit* ListFiles = nullptr;
  QLabel* progressLabel = nullptr;  // "Progress", above the memo
  QPlainTextEdit* Progress = nullptr;
  QPushButton* Process_files = nullptr;
  QLabel* resultsLabel = nullptr;      // "File to save results in"
  QLabel* resultsFileLabel = nullptr;  // the chosen results file's name
  QLabel* listCountLabel = nullptr;    // "Number of Baseword Files", before BaseWrdNum
  QLineEdit* BaseWrdNum = nullptr;
  QCheckBox* Basewrd1_on = nullptr;
  QCheckBox* Basewrd2_on = nullptr;
  QCheckBox* Basewrd3_on = nullptr;
  QCheckBox* Forms = nullptr;
  QCheckBox* Writenumbers = nullptr;
  QCheckBox* others = nullptr;
  QCheckBox* sortbyalpha = nullptr;
  QCheckBox* sortbyfreq = nullptr;
  QCheckBox* sortbyrange = nullptr;
  QCheckBox* BatchFiles = nullptr;
  QCheckBox* UseStopList = nullptr;
  QCheckBox* Udate_Basewords = nullptr;
  QCheckBox* Zero_base = nullptr;
  QCheckBox* Mark_Texts = nullptr;
  QCheckBox* Overwrite = nullptr;
  QCheckBox* Ignore_Angle = nullptr;
  QLabel* EncodingLabel = nullptr;
  QComboBox* Encoding = nullptr;  // Automatic, Windows-1252, UTF-8: the engine's setting
  QLabel* statusText = nullptr;
  // Shown in the status bar while a run lasts: the run's phase and figures, a progress bar and
  // the Cancel button.
  QPushButton* Cancel_run = nullptr;
  QLabel* runStatus = nullptr;
  QProgressBar* runBar = nullptr;

  QAction* fileMenu = nullptr;
  QAction* openAction = nullptr;
  QAction* saveAction = nullptr;
  QAction* moveCopyAction = nullptr;
  QAction* headWordListAction = nullptr;
  QAction* exitAction = nullptr;
  QAction* helpAction = nullptr;
  // The results explorer, beside the described menu: it opens by itself after a run.
  QAction* resultsMenu = nullptr;
  QAction* explorerAction = nullptr;
  QAction* openResultsAction = nullptr;
  QAction* cancelShortcut = nullptr;  // Esc while a run lasts

  HelpWindow* helpWindow() const { return help_; }
  ResultsExplorer* explorer() const;
  // The profile.json that Open Results… opens; empty when cancelled. Tests replace it.
  std::function<QString(const QString& folder)> chooseProfile;

 public slots:
  void Process_filesClick();
  void OpenClick();
  void SaveClick();
  void ExitClick();
  void HelpClick();
  void MoveCopyClick();
  void HeadWordListClick();
  // The exclusion rule of the three sort boxes, seen from own: checked, it unchecks and disables
  // the other two; unchecked, it enables them.
  void SortRuleClick(QCheckBox* own);
  void Udate_BasewordsClick();
  void UseStopListClick();
  void BaseWrdNumChange();
  void Ignore_AngleClick() {}
  void EncodingChange(int index);
  void ShowExplorerClick();
  void OpenResultsClick();
  // Asks the run in progress to end (Cancel, Esc); it ends as on an input/output failure.
  void CancelRunClick();

 signals:
  void runFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // While a run lasts the controls that change a run take no input, and the Cancel button and
  // the progress show; afterwards everything is as it was.
  void LockForRun(bool locked);
  void RunEnded();
  void ShowRunProgress();
  void BuildControls();
  void BuildMenu();
  // The options' boxes, in the table's order.
  std::vector<QWidget*> OptionBoxes() const;
  QStringList InputQLines() const;
  void SetInputLines(const QStringList& lines);

  quarn::FileSystem& fs_;
  std::unique_ptr<quarn::Engine> engine_;
  HelpWindow* help_ = nullptr;
  QPointer<ResultsExplorer> explorer_;
  size_t shownProgressLines_ = 0;
  bool running_ = false;
  QueuedHost* queuedHost_ = nullptr;  // the engine's Host: this window, across threads
  QThread* runThread_ = nullptr;
  quarn::RunRequest runRequest_;  // of the run in progress or last run
  quarn::RunOutcome runOutcome_;  // written by the run's thread, read once it has ended
  RunGauge gauge_;
  QElapsedTimer runClock_;
  QTimer* runTick_ = nullptr;  // refreshes the time shown while a run lasts
  // The controls' enabled states before the run, restored after it.
  std::vector<std::pair<QWidget*, bool>> lockedWidgets_;
  std::vector<std::pair<QAction*, bool>> lockedActions_;
};
