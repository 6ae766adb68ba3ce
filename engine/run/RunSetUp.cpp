#include "run/RunSetUp.h"

#include <optional>
#include <string>

#include "lists/BasewordName.h"
#include "state/Engine.h"
#include "state/Messages.h"
#include "store/WordTree.h"
#include "text/CharClassTable.h"
#include "text/TextEncoding.h"

namespace quarn {
namespace {

// Reports every missing baseword file of lists 1..ListCount; returns true iff all are there.
bool CheckBasewordFiles(Engine& e) {
  bool allThere = true;
  for (int n = 1; n <= e.ListCount; ++n) {
    if (FindFileNoCase(e.fs, e.ProgramFolder, BasewordFileName(n))) continue;
    std::string base = "BASEWRD" + std::to_string(n);
    if (RepairBasewordName(e, e.ProgramFolder, base)) {
      ProgressMessage(e, Severity::kError,
                      e.ProgramFolder + base + ".txt" + " not found, cannot run");
      allThere = false;
    }
  }
  return allThere;
}

// Refuses every list due to be read or updated in this run that is in 16- or 32-bit units:
// read as 8-bit text it would give nonsense, and an update would rewrite it as such. Returns
// true iff none is.
bool CheckListEncodings(Engine& e) {
  const bool due = e.options.ListsOn() || e.options.Udate_Basewords;
  bool allReadable = true;
  for (int n = 1; due && n <= e.ListCount; ++n) {
    if (!e.options.ListBoxOn(n)) continue;
    std::optional<std::string> path = FindFileNoCase(e.fs, e.ProgramFolder, BasewordFileName(n));
    WideText wide = WideText::kNone;
    if (!path || !DetectWideText(e.fs, *path, &wide).ok() || wide == WideText::kNone) continue;
    ProgressMessage(
        e, Severity::kError,
        *path + " is " + WideTextName(wide) +
            " text, which Quarn cannot read: save it as UTF-8 or 8-bit text, cannot run");
    allReadable = false;
  }
  return allReadable;
}

void CloseScratchFiles(Engine& e) {
  e.scratchFile.reset();
  if (e.tree.recordFileOpen()) {
    e.tree.recordFile->Close();
    e.tree.recordFile.reset();
  }
}

}  // namespace

void SetUpRun(Engine& e) {
  if (e.options.ListsOn() && !CheckBasewordFiles(e)) {
    e.run.RunStopped = true;
    return;
  }
  if (!CheckListEncodings(e)) {
    e.run.RunStopped = true;
    return;
  }

  CloseScratchFiles(e);
  Status s = TextWriter::Open(e.fs, e.ScratchFilePath(), false, &e.scratchFile);
  if (!s.ok()) return e.Fail(s);
  s = e.fs.NewRecordFile(e.TreeFilePath(), &e.tree.recordFile);
  if (!s.ok()) return e.Fail(s);

  e.counters = RunCounters{};
  ResetTally(e.fs, e.tally);
  e.run.scannedTexts.clear();
  ResetStore(e.tree);
  s = BuildCharClassTable(e.fs, e.ProgramFolder, &e.classes, e.encoding);
  if (!s.ok()) e.Fail(s);
}

void CleanUpRun(Engine& e) {
  ResetTally(e.fs, e.tally);
  if (e.tree.recordFileOpen()) {
    e.tree.recordFile->Close();
    e.tree.recordFile.reset();
    if (e.fs.FileExists(e.TreeFilePath())) e.fs.RemoveFile(e.TreeFilePath());
  }
  if (e.scratchOpen()) {
    e.scratchFile.reset();
    if (e.fs.FileExists(e.ScratchFilePath())) e.fs.RemoveFile(e.ScratchFilePath());
  }
}

}  // namespace quarn
