// The engine's state: what lives for the program (folder, list count, stop list, results name,
// progress log) and what lives for one run (options, counters, store, scratch files).
// Tests build a fresh Engine for each case; the window and the CLI keep one for the program.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FileSystem.h"
#include "Host.h"
#include "QuarnHeader.h"
#include "Status.h"
#include "state/ListState.h"
#include "results/Exports.h"
#include "results/ResultsModel.h"
#include "state/Messages.h"
#include "store/Store.h"
#include "store/WordTree.h"
#include "text/CharClassTable.h"
#include "text/TextEncoding.h"
#include "text/TextWriter.h"

namespace quarn {

struct Engine : Store {
  // host and fs must outlive the engine.
  explicit Engine(Host& host, FileSystem& fs = *FileSystem::Default());

  Host& host;
  FileSystem& fs;

  // --- program lifetime ---
  std::string ProgramFolder;  // baseword files, quarn.txt, dialogs' files; ends in '/'
  int ListCount = 3;
  // The Encoding setting: how text files are read (Automatic decides per file).
  TextEncoding encoding = TextEncoding::kAuto;
  std::optional<StopList> stopList;  // present while Use Stop List is ticked
  std::string StopFileName;          // the file stopList was read from
  std::string ResultsFileName;
  // How long an operation waits for another Quarn run to leave a folder it writes in before it
  // gives up (FolderLock.h).
  int lockWaitMilliseconds = 5000;
  ProgressLog progress;
  // Whether a file scanned since the results file was opened was read as UTF-8: the results
  // file's encoding when it is chosen after the scans (TextWriter::ChooseEncodingLater).
  bool inputsUtf8 = false;
  std::unique_ptr<TextWriter> resultsFile;  // the results file while open
  bool ResultsFileOpen() const { return resultsFile != nullptr; }
  // The results as data files, written with every report when asked for.
  ExportOptions exports;
  // Whether each report's results model is kept, with its word rows, in keptResults (for the
  // window's explorer). keptResults is emptied by every press of Process Files.
  bool keepResults = false;
  std::vector<ResultsModel> keptResults;

  // --- one run ---
  CharClassTable classes;
  int StartSeconds = 0;
  bool RunStopped = false;
  std::unique_ptr<TextWriter> scratchFile;  // temp$$$.dvp while open
  // While a report writes its sections: (ListCode, node number) of every record, by code and
  // then node, so that each list's dump visits its own records only (ListRows). Empty
  // otherwise.
  std::vector<std::pair<int32_t, int32_t>> listRows;
  bool scratchOpen() const { return scratchFile != nullptr; }

  // The input files scanned for the report being made, in order: entry k - 1 is file k.
  std::vector<ResultsText> scannedTexts;
  // Updated lists waiting for the report to finish.
  std::vector<PendingListUpdate> pendingListUpdates;
  // Marked copies written under their work names (work, final name), waiting likewise.
  std::vector<std::pair<std::string, std::string>> pendingMarkedTexts;
  // The report's export, written under its work names, waiting likewise; removed when dropped.
  std::unique_ptr<ExportFiles> pendingExport;

  // Set by any thread (the window's Cancel, the command line's signal handler) to end the run in
  // progress; the run looks at it at its progress points and ends as on an input/output failure
  // (RunProgress.h). ProcessFiles clears it when it returns.
  std::atomic<bool> cancelRequested{false};
  bool runCancelled = false;  // the current run's failure is that cancel
  RunProgress runProgress;    // where the current press stands, as last told to the host
  std::vector<uint64_t> inputSizes;  // of the input lines, as the press began (0 when unknown)
  uint64_t scanBytesBefore = 0;      // bytes of the input files scanned before the current one
  // Results files finished by the current press of Process Files.
  int reportsWritten = 0;

  // Time of day in whole seconds since midnight; replaceable by tests.
  std::function<int()> clockSeconds;
  // Bytes currently allocated by the program; replaceable by tests.
  std::function<size_t()> memoryInUse;

  std::string ScratchFilePath() const { return ScratchFolder + "temp$$$.dvp"; }

  // Store errors go to the progress log like every other message.
  void StoreMessage(std::string_view text, std::string_view label, int count) override;
};

// Sets ProgramFolder from a folder path, adding the trailing separator when missing.
void SetProgramFolder(Engine& e, const std::string& folder);

}  // namespace quarn
