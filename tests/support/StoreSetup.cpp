#include "StoreSetup.h"

namespace quarn::testing {

bool OpenEmptyStore(Engine& e, const std::string& folder) {
  SetProgramFolder(e, folder);
  e.ScratchFolder = folder;
  if (!e.fs.NewRecordFile(e.TreeFilePath(), &e.tree.recordFile).ok()) return false;
  e.tree.recordFileOpen = true;
  ResetStore(e.tree);
  e.classes = DefaultCharClassTable();
  e.FileNumber = 1;
  return true;
}

}  // namespace quarn::testing
