#include "state/RunProgress.h"

#include <algorithm>

#include "state/Engine.h"

namespace quarn {

const char kRunCancelled[] = "Run cancelled";
const char kCancelTooLate[] =
    "cancel came too late: the run's files were already being put in place";

void BeginRunProgress(Engine& e, const std::vector<std::string>& inputLines) {
  e.run.progress = RunProgress{};
  e.run.inputSizes.clear();
  for (const std::string& line : inputLines) {
    uint64_t size = 0;
    if (line.empty() || !e.fs.FileSize(line, &size).ok()) size = 0;
    e.run.inputSizes.push_back(size);
    e.run.progress.bytesTotal += size;
  }
  e.run.progress.files = static_cast<int>(inputLines.size());
  e.run.scanBytesBefore = 0;
}

bool EnterPhase(Engine& e, RunProgress::Phase phase, int file, int files) {
  RunProgress& p = e.run.progress;
  p.phase = phase;
  p.file = file;
  if (phase == RunProgress::Phase::kScanning) {
    uint64_t before = 0;
    for (int k = 1; k < file && static_cast<size_t>(k) <= e.run.inputSizes.size(); ++k)
      before += e.run.inputSizes[static_cast<size_t>(k - 1)];
    e.run.scanBytesBefore = before;
    p.files = static_cast<int>(e.run.inputSizes.size());
    p.bytesRead = std::max(p.bytesRead, before);
  } else {
    p.files = files;
  }
  e.host.RunProgressChanged(p);
  return CancelPoint(e);
}

bool ScanProgress(Engine& e, uint64_t fileBytesRead) {
  RunProgress& p = e.run.progress;
  p.bytesRead = std::max(p.bytesRead, e.run.scanBytesBefore + fileBytesRead);
  e.host.RunProgressChanged(p);
  return CancelPoint(e);
}

bool CancelPoint(Engine& e) {
  if (e.cancelRequested.load(std::memory_order_relaxed) && !e.failed()) {
    e.run.cancelled = true;
    e.Fail(Status::IOError("", kRunCancelled));
  }
  return !e.failed();
}

}  // namespace quarn
