// The results explorer: a window over the results models a run kept (one per report, chosen at
// the top in batch mode) or a saved profile.json, with the tabs Summary, Texts, Words,
// Families, Ranges, Marked text and Words in context, and the commands Export… and Open
// results…. It reads the results model only, never the results text file.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ConcordanceView.h"
#include "ExplorerModels.h"
#include "MarkedTextView.h"
#include "PreteachPanel.h"
#include "ResultsData.h"
#include "explore/Concordance.h"
#include "results/Exports.h"

namespace quarn {
struct Engine;
}
QT_BEGIN_NAMESPACE
class QChartView;
QT_END_NAMESPACE

class ResultsExplorer : public QMainWindow {
  Q_OBJECT
 public:
  // Reads and writes files through fs (the file system of the window; the system's when null).
  explicit ResultsExplorer(QWidget* parent = nullptr, quarn::FileSystem* fs = nullptr);

  // Shows reports (the first one), whose texts and lists source tells where to find.
  void SetReports(std::vector<ExplorerReport> reports, ExplorerSource source);
  // Shows report i of those set.
  void ShowReport(int i);
  // Loads a saved profile.json in place of what is shown, on a worker thread while the window
  // goes on (with progress and Cancel in the status bar). Its texts are read where the profile
  // names them; its lists in listFolder when given, else where the lists shown before were,
  // else beside its first text.
  bool OpenProfile(const QString& path, QString* error, const std::string& listFolder = {});
  // Shows every occurrence of a word, or of a family's words, on the Words in context tab.
  void ShowInContext(const std::string& upper, bool family, int list);

  // The marked text, the words in context or the words to pre-teach are reading their texts,
  // on workers of their own.
  bool reading() const {
    return marked->reading() || context->searching() || preteach->reading() || familyReader_.busy();
  }

  const ExplorerReport* report() const { return current_; }
  int reportCount() const { return static_cast<int>(reports_.size()); }
  // The families of the lists of the reports shown; null while the baseword files are being
  // read, on a worker that showing a report starts.
  const quarn::FamilyIndex* families();

  // The export asked for (formats and folder); false when cancelled. Tests replace it.
  std::function<bool(quarn::ExportOptions* options)> chooseExport;
  // How long Export… waits for a run to leave the export folder (its quarn.lock), as a run
  // waits for another; then it gives up and says so.
  int exportLockWaitMilliseconds = 5000;
  // The profile.json to open; empty when cancelled. Tests replace it.
  std::function<QString()> chooseProfile;

  QComboBox* reportChooser = nullptr;
  QLabel* reportLabel = nullptr;
  QPushButton* exportButton = nullptr;
  QPushButton* openButton = nullptr;
  // Progress and Cancel of the file work in the status bar.
  QProgressBar* workProgress = nullptr;
  QPushButton* cancelWork = nullptr;
  QTabWidget* tabs = nullptr;

  QLabel* origin = nullptr;  // which run the results are from, once a later run kept none
  QSplitter* summarySplit = nullptr;
  PreteachPanel* preteach = nullptr;
  QTableView* summaryTable = nullptr;
  QChartView* coverageChart = nullptr;
  QTableView* textsTable = nullptr;
  QTableView* preteachTable = nullptr;
  QLabel* preteachLabel = nullptr;
  QPushButton* copyPreteach = nullptr;
  struct WordTab {
    QLineEdit* filter = nullptr;
    QComboBox* list = nullptr;
    QTableView* table = nullptr;
    RowTableModel* model = nullptr;
    QLabel* count = nullptr;
  };
  WordTab words, familyTab;
  QTableView* typeRanges = nullptr;
  QTableView* familyRanges = nullptr;
  QChartView* rangeChart = nullptr;
  MarkedTextView* marked = nullptr;
  ConcordanceView* context = nullptr;

  RowTableModel* summaryModel = nullptr;
  RowTableModel* textsModel = nullptr;
  RowTableModel* preteachModel = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 public slots:
  void ExportClick();
  void OpenResultsClick();

 private:
  QWidget* BuildSummaryTab();
  QWidget* BuildTextsTab();
  QWidget* BuildWordTab(WordTab& tab, bool families);
  QWidget* BuildRangesTab();
  void FillWordTab(WordTab& tab, bool families);
  void FilterWords(WordTab& tab, bool families);
  void FillCharts();
  void ShowPreteach();
  std::vector<std::string> TextPaths() const;
  // Runs work on a worker thread while the window goes on, showing progress (work sets the
  // share done, 0..1000) and Cancel (which sets cancel); returns when work returns.
  bool RunOnWorker(const QString& what,
                   const std::function<bool(const std::atomic<bool>& cancel,
                                            std::atomic<int>& progress)>& work);

  quarn::FileSystem& fs_;
  bool working_ = false;
  std::atomic<bool> cancel_{false};
  // Shared with the tables' models, which keep the report they show until they are reset.
  std::vector<std::shared_ptr<ExplorerReport>> reports_;
  ExplorerReport* current_ = nullptr;
  std::shared_ptr<ExplorerReport> currentOwner_, markedOwner_;
  ExplorerSource source_;
  std::optional<quarn::FamilyIndex> families_;
  std::vector<int> typeRangeRows_, familyRangeRows_;
  RowTableModel* typeRangeModel_ = nullptr;
  RowTableModel* familyRangeModel_ = nullptr;
  BackgroundReader familyReader_{this};
};

// Opens (or brings back, in place of what it showed) the explorer over the reports the run
// just kept; does nothing when it kept none.
void ShowRunInExplorer(quarn::Engine& e, const quarn::RunOptions& options,
                       std::vector<quarn::ResultsModel> kept, QPointer<ResultsExplorer>& explorer,
                       QWidget* owner);
