// The report: loading the lists, optional update/marking/sort, and the results file body.
#pragma once

namespace quarn {

struct Engine;

// Report steps R1 to R6: load, update, mark, sort, write the report, close the results file and
// release the store's memory.
void ProduceReport(Engine& e);

// The end of a finished report: the last look at the cancel request, then the run's files put
// in place from their work names, finished even when a cancel comes meanwhile (which is then
// told, kCancelTooLate): the export set, the results file, the updated lists, the marked copies.
// A failure fails the run; the files not yet in place stay as they were.
void CommitRunFiles(Engine& e);

// Step R5 alone: everything from the summary table to "...Finished".
void WriteReport(Engine& e);

}  // namespace quarn
