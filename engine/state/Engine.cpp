#include "state/Engine.h"

#include <malloc.h>

#include <ctime>

namespace quarn {
namespace {

int TimeOfDaySeconds() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

size_t AllocatedBytes() {
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

}  // namespace

Engine::Engine(Host& h, FileSystem& f)
    : host(h), fs(f), clockSeconds(TimeOfDaySeconds), memoryInUse(AllocatedBytes) {}

void Engine::StoreMessage(Severity severity, std::string_view text, int blankLines) {
  ProgressMessageThenBlanks(*this, severity, text, blankLines);
}

void SetProgramFolder(Engine& e, const std::string& folder) {
  e.ProgramFolder = folder.empty() ? e.fs.CurrentDirectory() : folder;
  if (e.ProgramFolder.back() != '/') e.ProgramFolder += '/';
}

void SetFileNumber(Engine& e, int fileNumber) {
  e.FileNumber = fileNumber;
  if (e.options.BatchFiles) {
    e.countSlot = 1;
  } else if (e.tally.on) {
    e.countSlot = 0;
  } else {
    e.countSlot = fileNumber >= 1 && fileNumber <= kMaxInputFiles ? fileNumber : 0;
  }
}

}  // namespace quarn
