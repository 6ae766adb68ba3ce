// The report: loading the lists, optional update/marking/sort, and the results file body.
#pragma once

namespace quarn {

struct Engine;

// Report steps R1 to R6: load, update, mark, sort, write the report, close the results file and
// release the store's memory.
void ProduceReport(Engine& e);

// Step R5 alone: everything from the summary table to "...Finished".
void WriteReport(Engine& e);

}  // namespace quarn
