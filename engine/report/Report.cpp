#include "report/Report.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "lists/BasewordLoader.h"
#include "lists/BasewordUpdate.h"
#include "lists/StopList.h"
#include "report/ListWriters.h"
#include "report/MarkTexts.h"
#include "report/ReportData.h"
#include "report/ResultsName.h"
#include "report/Sort.h"
#include "report/TextRanges.h"
#include "state/Engine.h"
#include "state/Messages.h"
#include "state/RunProgress.h"
#include "text/TextCopy.h"

namespace quarn {
namespace {

// value right-aligned in width columns, in full when wider.
std::string Num(int64_t value, size_t width) {
  std::string s = std::to_string(value);
  if (s.size() < width) s.insert(0, width - s.size(), ' ');
  return s;
}

std::string Spaces(size_t n) { return std::string(n, ' '); }

std::string Megabytes(double bytes) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%12.2f", bytes / 1048576.0);
  return buf;
}

const char* const kNumberWords[] = {"",     "one", "two",   "three", "four", "five",
                                    "six",  "seven", "eight", "nine", "ten"};
const char* const kTitleWords[] = {"",    "One", "Two",   "Three", "Four", "Five",
                                   "Six", "Seven", "Eight", "Nine", "Ten"};
const char* const kCapsWords[] = {"",    "ONE", "TWO",   "THREE", "FOUR", "FIVE",
                                  "SIX", "SEVEN", "EIGHT", "NINE", "TEN"};

// The summary label of list n with the blanks after it: 23 columns for lists 1 to 10.
std::string SummaryLabel(int n) {
  if (n <= 10) return PadRight(kNumberWords[n], 23);
  return std::to_string(n) + Spaces(18);
}

std::string TypeSectionTitle(int n) {
  return std::string("Types Found In Base List ") +
         (n <= 10 ? std::string(kTitleWords[n]) : std::to_string(n));
}

// The family section title padded to 30 columns ("BASE 11FAMILIES" has no blank before FAMILIES).
std::string FamilySectionTitle(int n) {
  if (n <= 10) return PadRight(std::string("BASE ") + kCapsWords[n] + " FAMILIES", 30);
  return PadRight("BASE " + std::to_string(n) + "FAMILIES", 30);
}

void WriteRangeRows(Engine& e, const RunCounters::PerRange& table) {
  for (int r = 1; r <= e.FileNumber; ++r) {
    if (table[r] == 0) continue;
    e.resultsFile->WriteLine(Num(table[r], 6) + "\tWords appear in " + Num(r, 2) + " input files");
  }
}

void WriteSummary(Engine& e) {
  TextWriter& out = *e.resultsFile;
  RunCounters& c = e.counters;
  out.EndLine();
  out.EndLine();
  out.WriteLine("WORD LIST" + Spaces(16) + "TOKENS/%" + Spaces(13) + "TYPES/%" + Spaces(13) +
                "FAMILIES");
  out.EndLine();
  if (e.options.UseStopList) ApplyStopList(e);

  int64_t listTokens = 0;
  int64_t listTypes = 0;
  int64_t families = 0;
  for (int n = 1; n <= e.ListCount; ++n) {
    listTokens += c.ListTokens[n];
    listTypes += c.ListTypes[n];
    families += c.ListFamilies[n];
  }
  c.TotalFamilies = static_cast<int32_t>(families);
  c.TotalTypes = static_cast<int32_t>(listTypes + c.OtherTypes);
  c.TotalTokens -= c.ListTokens[kStopListCode];
  c.OtherTokens = static_cast<int32_t>(c.TotalTokens - listTokens);

  for (int n = 1; n <= e.ListCount; ++n) {
    out.WriteLine(SummaryLabel(n) + Num(c.ListTokens[n], 8) + "/" +
                  percentcell(c.ListTokens[n], c.TotalTokens) + Spaces(8) +
                  Num(c.ListTypes[n], 8) + "/" + percentcell(c.ListTypes[n], c.TotalTypes) +
                  Spaces(8) + Num(c.ListFamilies[n], 8));
  }
  out.WriteLine("not in the lists" + Spaces(7) + Num(c.OtherTokens, 8) + "/" +
                percentcell(c.OtherTokens, c.TotalTokens) + Spaces(8) + Num(c.OtherTypes, 8) +
                "/" + percentcell(c.OtherTypes, c.TotalTypes) + Spaces(10) + "?????");
  out.EndLine();
  out.WriteLine("Total" + Spaces(18) + Num(c.TotalTokens, 8) + Spaces(13) + Num(c.TotalTypes, 8) +
                Spaces(13) + Num(c.TotalFamilies, 8));
  out.EndLine();
  out.EndLine();
  out.EndLine();
}

void WriteListSizes(Engine& e) {
  ProgressMessage(e, Severity::kProgress, "");
  for (int n = 1; n <= e.ListCount; ++n) {
    const std::string name = "Number of BASEWRD" + std::to_string(n) + ".txt";
    const int64_t types =
        int64_t{e.counters.ListFileMembers[n]} + e.counters.ListFileHeadwords[n];
    ProgressMessage(e, Severity::kProgress,
                    name + " types: " + std::to_string(types) + "  " + name +
                        " families: " + std::to_string(e.counters.ListFileHeadwords[n]));
  }
  e.resultsFile->EndLine();
}

// Writes the per-list sections into scratch: the scratch file, or the results file itself.
void WriteSections(Engine& e, TextWriter& scratch) {
  const RunOptions& o = e.options;
  // The dumps of the sorted store look at a list's records only (the rows may be there
  // already).
  struct ListRows {
    Engine& e;
    explicit ListRows(Engine& engine) : e(engine) {
      if (!e.options.sortbyalpha && e.listRows.empty()) FillListRows(e);
    }
    ~ListRows() { ClearListRows(e); }
  } listRows(e);
  if (o.ListsOn()) {
    for (int n = 1; n <= e.ListCount && CancelPoint(e); ++n) {
      if (!o.ListBoxOn(n) || !o.Forms) continue;
      scratch.WriteLine(TypeSectionTitle(n));
      listtypes(e, scratch, n);
    }
    scratch.EndLine();
    scratch.WriteLine("LIST OF FAMILY GROUPS");
    scratch.EndLine();
    for (int n = 1; n <= e.ListCount && CancelPoint(e); ++n) {
      if (!o.ListBoxOn(n)) continue;
      scratch.Write(FamilySectionTitle(n));
      listfamilies(e, scratch, n * 100);
    }
  }
  if (o.others && CancelPoint(e)) {
    scratch.EndLine();
    scratch.WriteLine("Types Not Found In Any List");
    listtypes(e, scratch, kNoListCode);
    scratch.EndLine();
  }
}

// Counts into the range tables the rows WriteSections is going to write, as its dumps count
// them, so that the tables can be written before the sections: from the rows of the sorted
// store by list (FillListRows). False, with the tables as they were, when that cannot be done.
bool CountSectionRanges(Engine& e) {
  if (!e.fastPaths || e.failed() || e.options.sortbyalpha) return false;
  FillListRows(e);
  if (e.listRows.empty()) return false;
  const RunCounters saved = e.counters;
  const RunOptions& o = e.options;
  bool counted = true;
  if (o.ListsOn()) {
    for (int n = 1; n <= e.ListCount; ++n) {
      if (o.ListBoxOn(n) && o.Forms) counted = counted && CountListRanges(e, n);
    }
    for (int n = 1; n <= e.ListCount; ++n) {
      if (o.ListBoxOn(n)) counted = counted && CountListRanges(e, n * 100);
    }
  }
  if (o.others) counted = counted && CountListRanges(e, kNoListCode);
  if (!counted || e.failed()) {
    e.counters = saved;
    ClearListRows(e);
    return false;
  }
  return true;
}

void WriteRangeTables(Engine& e) {
  TextWriter& out = *e.resultsFile;
  if (e.options.others || e.options.Forms) {
    out.WriteLine("Table of Ranges: Types");
    out.EndLine();
    WriteRangeRows(e, e.counters.TypeRangeTable);
    out.EndLine();
  }
  out.WriteLine("Table of Ranges: Families");
  out.EndLine();
  WriteRangeRows(e, e.counters.FamilyRangeTable);
  out.EndLine();
  out.EndLine();
}

// Copies the scratch file into the results file, line by line.
void CopySections(Engine& e) {
  Status s = e.scratchFile->Close();
  if (!s.ok()) return e.Fail(s);
  std::unique_ptr<SequentialFile> scratch;
  s = e.fs.NewSequentialFile(e.ScratchFilePath(), &scratch);
  if (!s.ok()) return e.Fail(s);
  s = CopyLines(std::move(scratch), e.ScratchFilePath(), *e.resultsFile);
  if (!s.ok()) e.Fail(s);
}

void WriteStatistics(Engine& e) {
  TextWriter& out = *e.resultsFile;
  const RunCounters& c = e.counters;
  int elapsed = e.clockSeconds() - e.run.StartSeconds;
  if (elapsed < 1) elapsed = 1;
  out.EndLine();
  std::string time = "time taken was : ";
  elapsedtext(elapsed, time);
  ProgressMessage(e, Severity::kProgress, time);
  out.EndLine();

  auto row = [&out](const char* label, const std::string& value) {
    out.WriteLine(PadRight(label, 38) + value);
  };
  const int64_t diskNodes = int64_t{c.DiskNodesRead} + c.DiskNodesWritten;
  row("Number of cache nodes read: ", Num(c.CacheNodesRead, 12));
  row("Number of cache nodes written: ", Num(c.CacheNodesWritten, 12));
  row("Number of disk nodes read: ", Num(c.DiskNodesRead, 12));
  row("Number of disk nodes written: ", Num(c.DiskNodesWritten, 12));
  row("Number of nodes per second, ", Num(diskNodes / elapsed, 12));
  row("Total Number of words, ", Num(c.TotalTokens, 12));
  row("Number of words per second, ", Num(c.TotalTokens / elapsed, 12));
  row("Number of unique words in tree, ", Num(c.UniqueWords, 12));
  row("Number of unique words per second, ", Num(c.UniqueWords / elapsed, 12));
  row("Memory used, ", Megabytes(static_cast<double>(e.memoryInUse())) + " MB");
  row("Size of node, ", Num(kNodeSize, 12) + " bytes");
  row("Memory used by nodes, ",
      Megabytes(static_cast<double>(int64_t{c.UniqueWords} * kNodeSize)) + " MB");
}

}  // namespace

void WriteReport(Engine& e) {
  WriteSummary(e);
  WriteListSizes(e);
  if (CountSectionRanges(e)) {
    // The range tables known first, the sections go straight into the results file instead of
    // through the scratch file and a copy. Their dumps count the ranges again as they go:
    // what they count replaces what was counted for the tables, and is the same.
    WriteRangeTables(e);
    e.counters.TypeRangeTable = {};
    e.counters.FamilyRangeTable = {};
    WriteSections(e, *e.resultsFile);
  } else {
    if (!e.scratchOpen()) return e.Fail(Status::IOError(e.ScratchFilePath(), "file not open"));
    WriteSections(e, *e.scratchFile);
    if (e.failed()) return;
    WriteRangeTables(e);
    CopySections(e);
  }
  if (e.failed()) return;
  WriteStatistics(e);
  ProgressMessageThenBlanks(e, Severity::kProgress, "", 1);
  ProgressMessage(e, Severity::kProgress, "...Finished");
}

void ProduceReport(Engine& e) {
  if (e.resultsFile && e.resultsFile->choosingLater()) {
    // As ResultsEncoding gives it: UTF-8 when a file reported on was read as UTF-8.
    FileEncoding encoding;
    if (e.run.inputsUtf8) encoding.encoding = TextEncoding::kUtf8;
    e.resultsFile->SetEncoding(encoding);
  }
  using Phase = RunProgress::Phase;
  if (e.options.ListsOn() && EnterPhase(e, Phase::kLoadingLists)) LoadBasewordFiles(e);
  if (!e.failed() && e.options.Udate_Basewords && EnterPhase(e, Phase::kUpdatingLists))
    UpdateBasewordFiles(e);
  if (!e.failed() && e.options.Mark_Texts) {
    // A batch report's store holds only the file just scanned, so only that text can be marked
    // from it: any other text would get marks from a store that never saw it.
    std::vector<std::string> texts = e.run.inputLines;
    if (e.options.BatchFiles) {
      const auto current = static_cast<size_t>(e.FileNumber - 1);
      texts = current < texts.size() ? std::vector<std::string>{texts[current]}
                                     : std::vector<std::string>{};
    }
    MarkTexts(e, texts);
  }
  // Ranges over more texts than slots: known before the sort, which may order by them.
  SetTextRanges(e);
  if (!e.failed() && (e.options.sortbyfreq || e.options.sortbyrange) &&
      EnterPhase(e, Phase::kSorting)) {
    // As described: a blank record is appended before the sort and sorted with the others
    // (it counts in NodeCount and in the traffic; the writers pass over it).
    TreeNode blank = e.tree.BlankNode;
    WriteNode(e, ++e.tree.NodeCount, blank);
    sortnodes(e, 1, e.tree.NodeCount,
              e.options.sortbyrange ? SortOrder::Range : SortOrder::Frequency);
  }
  if (e.failed() || !EnterPhase(e, Phase::kWritingReport)) return;
  WriteReport(e);
  if (e.failed()) return;
  ExportReport(e);
  if (e.failed()) return;
  Status s = e.resultsFile->Close();
  e.resultsFile.reset();
  ReleaseNodeBlocks(e.tree);
  const std::string work = ResultsWorkName(e.ResultsFileName);
  if (!s.ok()) {
    e.fs.RemoveFile(work);
    return e.Fail(Status::IOError(e.ResultsFileName, s.reason()));
  }
  CommitRunFiles(e);
}

void CommitRunFiles(Engine& e) {
  const std::string work = ResultsWorkName(e.ResultsFileName);
  // The last moment a cancel stops the run: every file is still under its work name.
  if (!CancelPoint(e)) {
    e.fs.RemoveFile(work);
    return;
  }
  // From here the run's files are put in place one after another, and a cancel request no
  // longer stops them: a stop half-way would leave some new and some earlier. The export set
  // goes first, as one (ExportFiles.h): when it fails, nothing at all is replaced.
  if (e.pendingExport) {
    Status s = e.pendingExport->Commit();
    e.pendingExport.reset();
    if (!s.ok()) {
      e.fs.RemoveFile(work);
      return e.Fail(s);
    }
  }
  // The finished file replaces an earlier results file in one rename; a failure removes it.
  Status s = e.fs.RenameFile(work, e.ResultsFileName);
  if (!s.ok()) {
    e.fs.RemoveFile(work);
    return e.Fail(Status::IOError(e.ResultsFileName, s.reason()));
  }
  ++e.run.reportsWritten;
  // Only a finished report puts the updated lists in place: a run that fails before leaves
  // every list as it was, so running the texts again does not count them twice.
  CommitBasewordUpdates(e);
  CommitMarkedTexts(e);
  if (!e.failed() && e.cancelRequested.load(std::memory_order_relaxed))
    ProgressMessage(e, Severity::kProgress, kCancelTooLate);
}

}  // namespace quarn
