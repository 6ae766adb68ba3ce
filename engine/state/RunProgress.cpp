#include "state/RunProgress.h"

#include <algorithm>

#include "state/Engine.h"

namespace quarn {

const char kRunCancelled[] = "Run cancelled";
const char kCancelTooLate[] =
    "cancel came too late: the run's files were already being put in place";

void BeginRunProgress(Engine& e, const std::vector<std::string>& inputLines) {
  e.runProgress = RunProgress{};
  e.inputSizes.clear();
  for (const std::string& line : inputLines) {
    uint64_t size = 0;
    if (line.empty() || !e.fs.FileSize(line, &size).ok()) size = 0;
    e.inputSizes.push_back(size);
    e.runProgress.bytesTotal += size;
  }
  e.runProgress.files = static_cast<int>(inputLines.size());
  e.scanBytesBefore = 0;
}

bool EnterPhase(Engine& e, RunProgress::Phase phase, int file, int files) {
  RunProgress& p = e.runProgress;
  p.phase = phase;
  p.file = file;
  if (phase == RunProgress::Phase::kScanning) {
    uint64_t before = 0;
    for (int k = 1; k < file && static_cast<size_t>(k) <= e.inputSizes.size(); ++k)
      before += e.inputSizes[static_cast<size_t>(k - 1)];
    e.scanBytesBefore = before;
    p.files = static_cast<int>(e.inputSizes.size());
    p.bytesRead = std::max(p.bytesRead, before);
  } else {
    p.files = files;
  }
  e.host.RunProgressChanged(p);
  return CancelPoint(e);
}

bool ScanProgress(Engine& e, uint64_t fileBytesRead) {
  RunProgress& p = e.runProgress;
  p.bytesRead = std::max(p.bytesRead, e.scanBytesBefore + fileBytesRead);
  e.host.RunProgressChanged(p);
  return CancelPoint(e);
}

bool CancelPoint(Engine& e) {
  if (e.cancelRequested.load(std::memory_order_relaxed) && !e.failed()) {
    e.runCancelled = true;
    e.Fail(Status::IOError("", kRunCancelled));
  }
  return !e.failed();
}

}  // namespace quarn
