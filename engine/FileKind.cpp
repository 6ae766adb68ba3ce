#include "FileKind.h"

#include <vector>

namespace quarn {

FileKind ExamineFile(FileSystem& fs, const std::string& path) {
  FileExaminer examiner(fs);
  return examiner.Examine(path);
}

FileKind FileExaminer::Examine(const std::string& path) {
  if (fs_.FileExists(path)) return FileKind::kRegularFile;
  if (fs_.DirectoryExists(path)) return FileKind::kNotRegular;
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string folder = path.substr(0, nameStart);
  const std::string name = path.substr(nameStart);
  if (name.empty()) return FileKind::kMissing;
  auto found = listed_.find(folder);
  if (found == listed_.end()) {
    std::vector<std::string> names;
    if (!fs_.ListDirectory(folder, &names).ok()) names.clear();
    found =
        listed_.emplace(folder, std::unordered_set<std::string>(names.begin(), names.end())).first;
  }
  return found->second.count(name) != 0 ? FileKind::kNotRegular : FileKind::kMissing;
}

}  // namespace quarn
