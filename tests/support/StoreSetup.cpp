#include "StoreSetup.h"

namespace quarn::testing {

bool OpenEmptyStore(Engine& e, const std::string& folder) {
  SetProgramFolder(e, folder);
  e.ScratchFolder = folder;
  if (!e.fs.NewRecordFile(e.TreeFilePath(), &e.tree.recordFile).ok()) return false;
  ResetStore(e.tree);
  e.classes = DefaultCharClassTable();
  SetFileNumber(e, 1);
  return true;
}

std::string NumberWord(int i) {
  std::string w;
  for (; i > 0; i /= 26) w += static_cast<char>('A' + i % 26);
  return w;
}

}  // namespace quarn::testing
