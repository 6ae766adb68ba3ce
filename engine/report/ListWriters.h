// The per-list sections of the results: types and families of each list, types in no list.
// Sections go into the file the caller passes (the scratch file temp$$$.dvp, or the results file
// itself); the writers fill the two range tables.
#pragma once

#include <cstdint>
#include <string>

#include "QuarnHeader.h"

namespace quarn {

struct Engine;
class TextWriter;

// Body of one type section for list code 1..64 or 66: empty line, header, rows, empty line.
void listtypes(Engine& e, TextWriter& out, int list);
// Rest of one family section for list code n * 100: header cells ending the title line, rows,
// empty line.
void listfamilies(Engine& e, TextWriter& out, int list);

void writetypelist(Engine& e, TextWriter& out, int32_t root, int list);
void writefamlist(Engine& e, TextWriter& out, int32_t root, int list);
// Rows of `list` in node-number order.
void dumpsort(Engine& e, TextWriter& out, int list);
// Fills e.listRows for the dumps of one report when every record can be looked at in place
// (fast paths), leaving it empty otherwise; dumpsort then visits only the records of its list
// and counts the reads of all the others as it would have read them. The store must not change
// until ClearListRows.
void FillListRows(Engine& e);
void ClearListRows(Engine& e);
// Adds to the range tables what dumpsort(e, list) adds for the rows it writes, without writing
// them, from e.listRows (filled). False, having counted nothing, when a record cannot be looked
// at in place.
bool CountListRanges(Engine& e, int list);
// The files whose counts a row shows: 1..FileNumber within the 64 slots of a record, or the one
// slot of a batch report (BatchFiles); none when the texts are more than the slots.
int ReportFiles(const Engine& e);
// True iff the record's word is not empty and its ListCode equals list.
bool inlist(const TreeNode& record, int list);

// part / whole * 100 with 2 decimals right-aligned in 5 columns; " 0.00" when whole is 0.
std::string percentcell(int32_t part, int32_t whole);
// Appends the elapsed time in words ("61 Seconds or 1 Minute 1 Seconds ") to text.
void elapsedtext(int32_t seconds, std::string& text);

}  // namespace quarn
