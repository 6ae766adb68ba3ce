#include "run/ProcessRun.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "FileKind.h"
#include "lists/BasewordUpdate.h"
#include "report/MarkTexts.h"
#include "report/Report.h"
#include "report/ResultsName.h"
#include "run/ExportCheck.h"
#include "run/RunSetUp.h"
#include "scan/TextScan.h"
#include "state/Engine.h"
#include "state/FolderLock.h"
#include "state/Messages.h"
#include "state/Operation.h"
#include "state/RunProgress.h"

namespace quarn {
namespace {

constexpr char kNoFiles[] = "No files selected for processing, cannot run";

// Refuses more lists than list codes, before anything is created. Returns true iff refused.
// Any number of texts is taken: beyond the FileCounts slots they are tallied (TextTally.h).
bool RefuseBeyondLimits(Engine& e) {
  if (e.ListCount <= kMaxLists) return false;
  const char* reason = "Too many baseword files, cannot run";
  e.host.MessageBox(reason, false);
  ProgressMessage(e, Severity::kError, reason);
  e.run.RunStopped = true;
  return true;
}

// Removes missing files and folders, anything else but a regular file (a pipe, which would wait
// for a writer, a device, which may never end) and the results file from the run's input list,
// and tells the host; stops the run when none remain.
void CheckInputList(Engine& e) {
  std::vector<std::string>& lines = e.run.inputLines;
  if (lines.empty()) {
    e.host.MessageBox(kNoFiles, false);
    ProgressMessage(e, Severity::kError, "No Files selected for processing cannot run");
    e.run.RunStopped = true;
    return;
  }
  // The lines are looked at once each and removed together, so that a long list with many
  // faults is not moved up once per fault.
  std::vector<size_t> faulty;
  FileExaminer examiner(e.fs);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const char* fault = nullptr;
    if (!e.fs.FileExists(line)) {
      // A folder is "not found" as no file; a pipe or a device is named for what it is.
      fault = !e.fs.DirectoryExists(line) && examiner.Examine(line) == FileKind::kNotRegular
                  ? " not a regular file"
                  : " not found";
    } else if (line == e.ResultsFileName) {
      fault = " same as results file";
    }
    if (fault == nullptr) continue;
    ProgressMessage(e, Severity::kError, line + fault);
    faulty.push_back(i);
  }
  const bool noneLeft = faulty.size() == lines.size();
  if (!faulty.empty()) {
    RemoveLinesAt(lines, faulty);
    e.host.InputLinesRemoved(faulty);
    e.run.removedLines = std::move(faulty);
  }
  if (noneLeft) {
    e.host.MessageBox(kNoFiles, false);
    // As described: this message has a TAB inside "Files", unlike the one above.
    ProgressMessage(e, Severity::kError, "No File\ts selected for processing cannot run");
    e.run.RunStopped = true;
  }
}

// path made absolute against the current folder and with "." and ".." steps taken, so that two
// spellings of one name compare equal. Links are not followed: this compares names, not files.
std::string NormalName(Engine& e, const std::string& path) {
  std::filesystem::path p(path);
  if (p.is_relative()) p = std::filesystem::path(e.fs.CurrentDirectory()) / p;
  return p.lexically_normal().string();
}

// With BatchFiles, every input's results file is named before anything is written: a results
// file that is one of the inputs would replace that text by a report (and then profile the
// report), and two inputs sharing a results file would leave only the second's report. Either
// stops the run. The same input listed twice shares its results file with itself, harmlessly.
void CheckBatchResultsNames(Engine& e) {
  std::map<std::string, std::string> inputs;   // normal name -> input line
  std::map<std::string, std::string> results;  // normal results name -> input line
  const std::vector<std::string>& lines = e.run.inputLines;
  for (const std::string& line : lines)
    if (!line.empty()) inputs.emplace(NormalName(e, line), line);
  std::string reason;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    const std::string name = BatchResultsName(line);
    const std::string normal = NormalName(e, name);
    if (auto input = inputs.find(normal); input != inputs.end()) {
      reason = "Results file " + name + " of " + line + " is the input file " + input->second +
               ", cannot run";
      break;
    }
    auto [other, added] = results.emplace(normal, line);
    if (!added && NormalName(e, other->second) != NormalName(e, line)) {
      reason = "Results file " + name + " would hold the reports of both " + other->second +
               " and " + line + ", cannot run";
      break;
    }
  }
  if (reason.empty()) return;
  e.host.MessageBox(reason, false);
  ProgressMessage(e, Severity::kError, reason);
  e.run.RunStopped = true;
}

// The results file is UTF-8 when any file it reports on is read as UTF-8: the whole input list,
// or with BatchFiles the one file. A file that cannot be read counts as 8-bit here; its own
// scan reports the failure.
FileEncoding ResultsEncoding(Engine& e, const std::string& inputPath) {
  std::vector<std::string> files;
  if (e.options.BatchFiles)
    files.push_back(inputPath);
  else
    files = e.run.inputLines;
  FileEncoding result;
  for (const std::string& file : files) {
    FileEncoding one;
    if (file.empty() || !DetectFileEncoding(e.fs, file, e.encoding, &one).ok()) continue;
    if (one.utf8()) {
      result.encoding = TextEncoding::kUtf8;
      break;
    }
  }
  return result;
}

// Names (with BatchFiles) and creates the results file when needed. Returns true iff the file
// may be scanned.
bool CheckResultsFile(Engine& e, const std::string& inputPath) {
  if (e.options.BatchFiles) {
    e.ResultsFileName = BatchResultsName(inputPath);
    e.host.ResultsFileNameChanged(e.ResultsFileName);
  }
  if (e.ResultsFileName.empty()) {
    e.host.MessageBox("No save file selected, cannot run", false);
    ProgressMessage(e, Severity::kError, "Save File not set, cannot run");
    e.run.RunStopped = true;
    return false;
  }
  if (!e.ResultsFileOpen()) {
    // Written under its work name until the report is complete (see ResultsWorkName).
    std::unique_ptr<TextWriter> file;
    Status s = TextWriter::Open(e.fs, ResultsWorkName(e.ResultsFileName), false, &file);
    if (!s.ok()) {
      e.Fail(Status::IOError(e.ResultsFileName, s.reason()));
      return false;
    }
    // The scans read every file it reports on, and tell how they read it: the encoding is
    // chosen after them rather than by reading every file once more first. The straightforward
    // way reads them first.
    e.run.inputsUtf8 = false;
    if (e.fastPaths) {
      file->ChooseEncodingLater();
    } else {
      file->SetEncoding(ResultsEncoding(e, inputPath));
    }
    e.resultsFile = std::move(file);
  }
  return true;
}

// The next input file of lines (the input list, which a run does not change once checked), or
// false when there is none.
bool NextInputFile(Engine& e, const std::vector<std::string>& lines, std::string* path) {
  if (e.FileNumber < 0 || static_cast<size_t>(e.FileNumber) >= lines.size()) return false;
  const std::string& line = lines[static_cast<size_t>(e.FileNumber)];
  if (line.empty()) return false;
  *path = line;
  SetFileNumber(e, e.FileNumber + 1);
  return true;
}

// The number of texts a run over lines reads: the lines up to the first empty one.
int64_t TextsOf(const std::vector<std::string>& lines) {
  const auto end = std::find(lines.begin(), lines.end(), std::string());
  return end - lines.begin();
}

// Closes and removes an unfinished results file; an earlier one of the same name stays as it
// was. Nothing happens when none is open.
void DiscardResultsFile(Engine& e) {
  if (e.resultsFile) {
    e.resultsFile->Close();
    e.resultsFile.reset();
    e.fs.RemoveFile(ResultsWorkName(e.ResultsFileName));
  }
}

// Tells of a failed run: the "ERROR" line (unless already given) and the error box. A cancelled
// run has its own line and no box: the user asked for it.
void ReportFailure(Engine& e) {
  const std::string text = e.runError.ToString();
  if (e.run.cancelled)
    ProgressMessage(e, Severity::kProgress, kRunCancelled);
  else if (!e.runErrorReported)
    ProgressMessage(e, Severity::kError, text);
  if (!e.run.cancelled) e.host.MessageBox(text, false);
}

// The end of every press, whichever way it went: the failure told, the unfinished results file,
// list updates and marked copies dropped (an earlier file of each name stays as it was), the
// scratch files removed; then how it went, for the caller.
void EndPress(Engine& e, RunOutcome* outcome) {
  if (e.failed()) ReportFailure(e);
  DiscardResultsFile(e);  // a check stopped the run with the results file open: no report
  DiscardBasewordUpdates(e);
  DiscardMarkedTexts(e);
  e.pendingExport.reset();  // and the exports
  CleanUpRun(e);
  e.cancelRequested.store(false);  // a cancel request is for the press it arrives in

  RunState& run = e.run;
  if (run.cancelled)
    outcome->end = RunEnd::kCancelled;
  else if (e.failed())
    outcome->end = RunEnd::kFailed;
  else if (run.RunStopped)
    outcome->end = RunEnd::kStopped;
  else
    outcome->end = RunEnd::kFinished;
  outcome->failure = e.runError;
  outcome->reportsWritten = run.reportsWritten;
  outcome->removedLines = std::move(run.removedLines);
  outcome->keptResults = std::move(run.keptResults);
}

// The export folder, ending in '/'; "" when the run exports nothing.
std::string ExportFolder(const Engine& e) {
  if (!e.exports.any()) return "";
  const std::string& folder = e.exports.folder;
  return folder.back() == '/' ? folder : folder + "/";
}

// Takes the locks of the folders the run writes in: the scratch folder, the list folder when
// the counts are written back, and the export folder (which is created for it, as a folder
// that does not exist has no lock to take; a batch run's folder per text lies inside it).
// Returns false, the run ended, when they cannot be had.
bool LockRunFolders(Engine& e, FolderLock* lock) {
  std::vector<std::string> folders = {e.ScratchFolder};
  if (e.options.Udate_Basewords) folders.push_back(e.ProgramFolder);
  if (const std::string exports = ExportFolder(e); !exports.empty()) {
    // A failure to create it is met again, and reported, when the exports are written.
    e.fs.CreateDirectories(exports.substr(0, exports.size() - 1));
    folders.push_back(exports);
  }
  std::string busy;
  Status s = LockFolders(e, folders, lock, &busy);
  if (!s.ok()) {
    e.Fail(s);
    return false;
  }
  if (busy.empty()) return true;
  const std::string text = FolderBusyMessage(busy);
  e.host.MessageBox(text, false);
  ProgressMessage(e, Severity::kError, text);
  e.run.RunStopped = true;
  return false;
}

// The folder part of path, with its '/'; "" for a bare name (the current directory).
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Removes the work files that a run killed part-way leaves behind, as far as they lie in a
// folder locked by this run: the updated lists (basewrd<n>.tmp in ProgramFolder), the text
// tally (texts.dvp in the scratch folder), and for this run's own results and input files the
// results file's and the marked texts' work names. Only these exact names go; a listed input or
// the results file itself is never one of them. An export folder is brought back to a whole
// set and its work files removed as it is exported into (WriteExports), still under this lock
// but after the checks, which refuse an input text of such a name.
void RemoveLeftovers(Engine& e, const FolderLock& lock) {
  const std::vector<std::string>& lines = e.run.inputLines;
  std::vector<std::string> names = {e.TallyFilePath()};
  for (int n = 1; n <= kMaxLists; ++n)
    names.push_back(e.ProgramFolder + "basewrd" + std::to_string(n) + ".tmp");
  const bool batch = e.options.BatchFiles;
  if (!batch && !e.ResultsFileName.empty()) names.push_back(ResultsWorkName(e.ResultsFileName));
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    if (batch) names.push_back(ResultsWorkName(BatchResultsName(line)));
    names.push_back(MarkedFileName(line) + ".tmp");
  }
  // A set, so that a long input list is not searched once per name.
  const std::unordered_set<std::string> inputs(lines.begin(), lines.end());
  for (const std::string& name : names) {
    if (name == e.ResultsFileName || inputs.count(name) != 0) continue;
    if (lock.Covers(FolderOf(name)) && e.fs.FileExists(name)) e.fs.RemoveFile(name);
  }
}

// The press itself; it may return anywhere, ProcessFiles's scope ends it. lock is held until
// after the clean-up.
void Press(Engine& e, const RunRequest& request, FolderLock* lock) {
  e.options = request.options;
  e.ListCount = request.listCount;
  e.ResultsFileName = request.resultsFileName;
  e.run.inputLines = request.inputLines;
  e.run.StartSeconds = e.clockSeconds();
  SetFileNumber(e, 0);
  if (RefuseBeyondLimits(e)) return;
  if (!LockRunFolders(e, lock)) return;
  RemoveLeftovers(e, *lock);

  SetUpRun(e);
  if (!e.failed()) CheckInputList(e);
  if (!e.failed() && !e.run.RunStopped && e.options.BatchFiles) CheckBatchResultsNames(e);
  if (!e.failed() && !e.run.RunStopped && e.exports.any()) CheckExportNames(e);
  if (e.run.RunStopped || e.failed()) return;

  const std::vector<std::string>& inputs = e.run.inputLines;
  if (!e.options.BatchFiles && TextsOf(inputs) > kMaxInputFiles) {
    Status s = StartTally(e.fs, e.TallyFilePath(), e.tally);
    if (!s.ok()) return e.Fail(s);
    SetFileNumber(e, e.FileNumber);  // the texts now count in the tally, in no slot
  }
  BeginRunProgress(e, inputs);
  std::string path;
  while (!e.failed() && NextInputFile(e, inputs, &path) && CheckResultsFile(e, path)) {
    if (!EnterPhase(e, RunProgress::Phase::kScanning, e.FileNumber)) continue;
    BeginText(e.tally, e.counters.TotalTokens);
    ScanInputFile(e, path);
    if (!e.failed()) {
      Status s = EndText(e.tally, e.FileNumber, e.counters.TotalTokens);
      if (!s.ok()) e.Fail(s);
    }
    if (e.failed() || !e.options.BatchFiles) continue;
    ProduceReport(e);
    CleanUpRun(e);
    if (e.failed()) break;
    SetUpRun(e);
    if (e.run.RunStopped) break;  // a baseword file went missing between two files
  }
  if (!e.failed() && !e.run.RunStopped && !e.options.BatchFiles) ProduceReport(e);
}

}  // namespace

RunOutcome ProcessFiles(Engine& e, const RunRequest& request) {
  RunOutcome outcome;
  FolderLock lock;  // outlives the press's end, which removes files in the locked folders
  {
    OperationScope press(e, [&outcome](Engine& e) { EndPress(e, &outcome); });
    Press(e, request, &lock);
  }
  return outcome;
}

}  // namespace quarn
