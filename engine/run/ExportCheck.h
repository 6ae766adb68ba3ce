// The exports' names, checked before a run writes anything.
#pragma once

namespace quarn {

struct Engine;

// Refuses an export that would replace a file the run reads or writes: an input text, the stop
// list, a baseword file, quarn.txt, the results file or a marked copy (or the work name of one
// of those) under any of the export's file names or their work names, however spelled. With
// BatchFiles it also refuses two inputs whose exports would share one folder (a/notes.txt and
// b/notes.txt both export into DIR/notes). Either stops the run: a box, an "ERROR" line,
// RunStopped set.
void CheckExportNames(Engine& e);

}  // namespace quarn
