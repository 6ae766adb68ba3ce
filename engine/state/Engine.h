// The engine's state: the program's settings (folder, list count, results name, stop list), the
// last press's options and file number, what it keeps between operations (the progress log),
// and the operation under way (RunState, the store, the scratch and results files), which every
// operation starts empty and leaves empty.
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
#include "results/Exports.h"
#include "results/ResultsModel.h"
#include "state/ListState.h"
#include "state/Messages.h"
#include "state/RunState.h"
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

  // --- the program's settings ---
  std::string ProgramFolder;  // baseword files, quarn.txt, dialogs' files; ends in '/'
  int ListCount = 3;
  std::string ResultsFileName;
  // The Encoding setting: how text files are read (Automatic decides per file).
  TextEncoding encoding = TextEncoding::kAuto;
  std::optional<StopList> stopList;  // present while Use Stop List is ticked
  std::string StopFileName;          // the file stopList was read from
  // The results as data files, written with every report when asked for.
  ExportOptions exports;
  // Whether each report's results model is kept, with its word rows, for the outcome
  // (RunOutcome::keptResults; the window's explorer).
  bool keepResults = false;
  // How long an operation waits for another Quarn run to leave a folder it writes in before it
  // gives up (FolderLock.h).
  int lockWaitMilliseconds = 5000;

  // --- the last press of Process Files, kept until the next ---
  // The press's check boxes, taken from its request as it begins; fixed while it lasts.
  RunOptions options;
  // The number of input files the press has taken: 0 as it begins, 1 while the first is
  // scanned, and so on; the report's number of files (with BatchFiles, the current file's place
  // in the list). Set through SetFileNumber, which keeps the store's countSlot in step.
  int FileNumber = 0;

  // --- what the program keeps between operations ---
  ProgressLog progress;
  // Set by any thread (the window's Cancel, the command line's signal handler) to end the run in
  // progress; the run looks at it at its progress points and ends as on an input/output failure
  // (RunProgress.h). ProcessFiles clears it when it returns.
  std::atomic<bool> cancelRequested{false};
  // Time of day in whole seconds since midnight; replaceable by tests.
  std::function<int()> clockSeconds;
  // Bytes currently allocated by the program; replaceable by tests.
  std::function<size_t()> memoryInUse;

  // --- the operation under way (empty between operations) ---
  RunState run;  // a press of Process Files
  CharClassTable classes;
  std::unique_ptr<TextWriter> resultsFile;  // the results file while open
  bool ResultsFileOpen() const { return resultsFile != nullptr; }
  std::unique_ptr<TextWriter> scratchFile;  // temp$$$.dvp while open
  bool scratchOpen() const { return scratchFile != nullptr; }
  // While a report writes its sections: (ListCode, node number) of every record, by code and
  // then node, so that each list's dump visits its own records only (ListRows). Empty
  // otherwise.
  std::vector<std::pair<int32_t, int32_t>> listRows;
  // The report's export, written under its work names, waiting for the report to finish;
  // removed when dropped.
  std::unique_ptr<ExportFiles> pendingExport;

  std::string ScratchFilePath() const { return ScratchFolder + "temp$$$.dvp"; }

  // Store errors go to the progress log like every other message.
  void StoreMessage(Severity severity, std::string_view text, int blankLines) override;
};

// Sets ProgramFolder from a folder path, adding the trailing separator when missing.
void SetProgramFolder(Engine& e, const std::string& folder);

// Makes fileNumber the FileNumber and points the store's countSlot at the FileCounts slot the
// occurrences of that text count in: slot 1 with BatchFiles (each report covers one file); none
// while the tally is on (more texts than slots, told apart by the tally instead); otherwise slot
// fileNumber, or none when there is no such slot. countSlot follows options.BatchFiles and the
// tally only through this call: call it again, with the same number, after changing either.
void SetFileNumber(Engine& e, int fileNumber);

}  // namespace quarn
