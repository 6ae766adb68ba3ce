// One press of Process Files: checks, scanning, report(s), clean-up.
#pragma once

namespace quarn {

struct Engine;

// Runs the whole processing run with the host's input list and options. Never throws; an
// input/output failure ends the run with an "ERROR" line and an error box, the results file
// closed and the scratch files removed.
void ProcessFiles(Engine& e);

}  // namespace quarn
