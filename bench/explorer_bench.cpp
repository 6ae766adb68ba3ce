// Times the results explorer on a folder of texts with baseword lists: one run of the texts
// (not timed), then the explorer opening over its results, sorting the Words tab, filtering it,
// and reading the same results back from a saved profile.json.
//   quarn-explorer-bench <folder>    (offscreen: QT_QPA_PLATFORM=offscreen)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "Host.h"
#include "ResultsExplorer.h"
#include "results/Exports.h"
#include "run/ProcessRun.h"
#include "state/Engine.h"
#include "state/Messages.h"

namespace {

class QuietHost : public quarn::Host {
 public:
  std::vector<std::string> inputs;
  void ResultsFileNameChanged(const std::string&) override {}
  void ProgressChanged(const quarn::ProgressLog&, size_t) override {}
  bool MessageBox(const std::string& text, bool) override {
    std::fprintf(stderr, "box: %s\n", text.c_str());
    return false;
  }
};

void Report(const char* what, QElapsedTimer& timer) {
  std::printf("%-34s %8.3f s\n", what, static_cast<double>(timer.nsecsElapsed()) / 1e9);
  std::fflush(stdout);
  timer.restart();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quarn-explorer-bench <folder>\n");
    return 2;
  }
  const QString folder = QDir(argv[1]).absolutePath() + "/";
  QTemporaryDir scratch;
  QuietHost host;
  for (const QString& name : QDir(folder).entryList({"*.txt"}, QDir::Files, QDir::Name)) {
    if (!name.startsWith("BASEWRD", Qt::CaseInsensitive)) host.inputs.push_back((folder + name).toStdString());
  }
  quarn::Engine engine(host);
  quarn::SetProgramFolder(engine, folder.toStdString());
  engine.ScratchFolder = scratch.path().toStdString() + "/";
  engine.ResultsFileName = scratch.filePath("bench_quarn.txt").toStdString();
  engine.keepResults = true;
  QElapsedTimer timer;
  timer.start();
  quarn::RunRequest request;
  request.inputLines = host.inputs;
  request.resultsFileName = engine.ResultsFileName;
  request.listCount = engine.ListCount;
  quarn::RunOutcome outcome = quarn::ProcessFiles(engine, request);
  if (outcome.keptResults.empty()) {
    std::fprintf(stderr, "the run kept no results\n");
    return 1;
  }
  std::printf("texts %zu, types %zu, families %zu\n", host.inputs.size(),
              outcome.keptResults[0].types.size(), outcome.keptResults[0].families.size());
  Report("run (not the explorer)", timer);

  quarn::ExportOptions json;
  json.json = true;
  json.folder = scratch.filePath("export").toStdString();
  quarn::ExportResults(engine.fs, json, json.folder, outcome.keptResults[0], nullptr);
  timer.restart();

  QPointer<ResultsExplorer> explorer;
  ShowRunInExplorer(engine, request.options, std::move(outcome.keptResults), explorer, nullptr);
  app.processEvents();
  Report("open (all tabs filled, shown)", timer);
  ResultsExplorer& x = *explorer;
  // What the window reads after it is shown: the families and the written forms of the words
  // to pre-teach. Timed from the open, the window answering meanwhile.
  while (x.reading()) app.processEvents(QEventLoop::WaitForMoreEvents, 10);
  Report("then background reads done", timer);
  x.tabs->setCurrentWidget(x.words.table->parentWidget());
  app.processEvents();
  Report("Words tab shown", timer);
  const int freq = x.words.model->ColumnNamed("freq");
  x.words.table->sortByColumn(freq, Qt::DescendingOrder);
  app.processEvents();
  Report("sort Words by freq, descending", timer);
  x.words.table->sortByColumn(0, Qt::AscendingOrder);
  app.processEvents();
  Report("sort Words by word", timer);
  x.words.table->sortByColumn(x.words.model->ColumnNamed("range"), Qt::AscendingOrder);
  app.processEvents();
  Report("sort Words by range", timer);
  x.words.filter->setText("*ing");
  app.processEvents();
  Report("filter Words by *ING", timer);
  x.words.filter->clear();
  x.words.table->scrollToBottom();
  app.processEvents();
  Report("clear filter, scroll to the end", timer);
  QString error;
  if (!x.OpenProfile(QString::fromStdString(json.folder) + "/profile.json", &error)) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  app.processEvents();
  Report("open results (profile.json)", timer);
  delete explorer;
  return 0;
}
