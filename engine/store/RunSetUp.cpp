#include "RunSetUp.h"

#include <string>

#include "../Engine.h"
#include "../lists/BasewordName.h"
#include "../lists/CharClassTable.h"
#include "Messages.h"
#include "WordTree.h"

namespace quarn {
namespace {

// Reports every missing baseword file of lists 1..ListCount; returns true iff all are there.
bool CheckBasewordFiles(Engine& e) {
  bool allThere = true;
  for (int n = 1; n <= e.ListCount; ++n) {
    if (FindFileNoCase(e.fs, e.ProgramFolder, BasewordFileName(n))) continue;
    std::string base = "BASEWRD" + std::to_string(n);
    if (RepairBasewordName(e, e.ProgramFolder, base)) {
      ProgressMessage(e, e.ProgramFolder + base + ".txt" + " not found, cannot run", "ERROR", 0);
      allThere = false;
    }
  }
  return allThere;
}

void CloseScratchFiles(Engine& e) {
  if (e.scratchOpen) {
    e.scratchFile.reset();
    e.scratchOpen = false;
  }
  if (e.tree.recordFileOpen) {
    if (e.tree.recordFile) e.tree.recordFile->Close();
    e.tree.recordFile.reset();
    e.tree.recordFileOpen = false;
  }
}

}  // namespace

void SetUpRun(Engine& e) {
  e.RunStopped = false;
  e.options = e.host.Options();
  if (e.options.ListsOn() && !CheckBasewordFiles(e)) {
    e.RunStopped = true;
    return;
  }

  CloseScratchFiles(e);
  Status s = TextWriter::Open(e.fs, e.ScratchFilePath(), false, &e.scratchFile);
  if (!s.ok()) return e.Fail(s);
  e.scratchOpen = true;
  s = e.fs.NewRecordFile(e.TreeFilePath(), &e.tree.recordFile);
  if (!s.ok()) return e.Fail(s);
  e.tree.recordFileOpen = true;

  e.counters = RunCounters{};
  ResetStore(e.tree);
  s = BuildCharClassTable(e.fs, e.ProgramFolder, &e.classes, e.encoding);
  if (!s.ok()) e.Fail(s);
}

void CleanUpRun(Engine& e) {
  if (e.tree.recordFileOpen) {
    if (e.tree.recordFile) e.tree.recordFile->Close();
    e.tree.recordFile.reset();
    e.tree.recordFileOpen = false;
    if (e.fs.FileExists(e.TreeFilePath())) e.fs.RemoveFile(e.TreeFilePath());
  }
  if (e.scratchOpen) {
    e.scratchFile.reset();
    e.scratchOpen = false;
    if (e.fs.FileExists(e.ScratchFilePath())) e.fs.RemoveFile(e.ScratchFilePath());
  }
}

}  // namespace quarn
