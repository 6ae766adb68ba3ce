#include "run/Choices.h"

#include "FileKind.h"
#include "lists/StopList.h"
#include "report/ResultsName.h"
#include "state/Messages.h"
#include "text/CharClassTable.h"

namespace quarn {

bool ChooseResultsFile(Engine& e, const std::string& chosen) {
  const std::string name = SaveResultsName(chosen);
  if (e.fs.FileExists(name) && !e.host.MessageBox("File " + name + " exists. Overwrite?", true))
    return false;
  e.ResultsFileName = name;
  e.host.ResultsFileNameChanged(name);
  return true;
}

StopListChoice ChooseStopList(Engine& e, const std::string& path) {
  const FileKind kind = ExamineFile(e.fs, path);
  if (kind == FileKind::kMissing &&
      !e.host.MessageBox("File " + path + " does not exist", false)) {
    e.stopList.reset();
    e.StopFileName.clear();
    return StopListChoice::kDeclined;
  }
  e.stopList.emplace();
  e.StopFileName = path;
  const Status s = LoadStopList(e, path);
  if (s.ok()) return StopListChoice::kLoaded;
  ProgressMessage(e, Severity::kError, s.ToString());
  switch (kind) {
    case FileKind::kMissing:
      return StopListChoice::kMissing;
    case FileKind::kNotRegular:
      return StopListChoice::kNotRegular;
    case FileKind::kRegularFile:
      break;
  }
  return StopListChoice::kReadFailed;
}

ListCountText ReadListCount(const std::string& text, int32_t* count) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return ListCountText::kNotANumber;
  uint32_t bits = 0;
  if (!ParseInteger(text, &bits)) return ListCountText::kInvalid;
  *count = static_cast<int32_t>(bits);
  return ListCountText::kValid;
}

std::string InvalidListCountText(const std::string& text) {
  return "'" + text + "' is not a valid integer value";
}

}  // namespace quarn
