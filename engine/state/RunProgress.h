// The run's progress as the host sees it, and the points at which a run can be cancelled. Both
// happen together, at phase changes and every thousand lines or so, never per word.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Host.h"

namespace quarn {

struct Engine;

// The text of the Progress line of a cancelled run.
extern const char kRunCancelled[];
// The Progress line of a cancel that came while the run's files were put in place, which is
// then finished rather than stopped half-way.
extern const char kCancelTooLate[];

// Starts the progress of a press over the given input lines: their count and sizes.
void BeginRunProgress(Engine& e, const std::vector<std::string>& inputLines);

// Enters phase, working on input file `file` of `files` (0 of 0 outside scanning and marking),
// tells the host, then looks at the cancel request. Returns false when the run has failed.
// Scanning file k (of the lines given to BeginRunProgress) counts files 1..k-1 as read.
bool EnterPhase(Engine& e, RunProgress::Phase phase, int file = 0, int files = 0);

// Within the scan: bytes of the current input file read so far. Tells the host, then looks at
// the cancel request. Returns false when the run has failed.
bool ScanProgress(Engine& e, uint64_t fileBytesRead);

// Looks at the cancel request alone: when it is set, the run fails as on an input/output
// failure, with kRunCancelled. Cheap enough for every chunk of words. Returns false when the
// run has failed.
bool CancelPoint(Engine& e);

}  // namespace quarn
