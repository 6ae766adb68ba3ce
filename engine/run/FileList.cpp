#include "run/FileList.h"

#include <memory>

#include "FileKind.h"

namespace quarn {

Status ReadFileList(FileSystem& fs, const std::string& path, std::vector<std::string>* names) {
  switch (ExamineFile(fs, path)) {
    case FileKind::kRegularFile:
      break;
    case FileKind::kMissing:
      return Status::IOError(path, "No such file or directory");
    case FileKind::kNotRegular:
      return Status::IOError(path, "not a regular file, cannot be a list of files");
  }
  const std::string tooLarge =
      "a list of files larger than " + std::to_string(kMaxFileListBytes >> 20) + " MB is refused";
  uint64_t size = 0;
  if (fs.FileSize(path, &size).ok() && size > kMaxFileListBytes)
    return Status::IOError(path, tooLarge);
  std::unique_ptr<SequentialFile> file;
  Status s = fs.NewSequentialFile(path, &file);
  if (!s.ok()) return s;

  std::vector<std::string> found;
  std::string line;
  uint64_t total = 0;
  int64_t lineNumber = 1;
  const auto tooLong = [&] {
    return Status::IOError(path, "line " + std::to_string(lineNumber) + " is longer than " +
                                     std::to_string(kMaxFileListLine) +
                                     " bytes, not a list of files");
  };
  // Ends a line; false when it is too long.
  auto endLine = [&] {
    if (lineNumber == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxFileListLine) return false;
    if (!line.empty()) found.push_back(line);
    line.clear();
    ++lineNumber;
    return true;
  };
  char buf[65536];
  for (;;) {
    size_t got = 0;
    s = file->Read(sizeof buf, buf, &got);
    if (!s.ok()) return s;
    if (got == 0) break;
    total += got;
    // The file may grow while it is read.
    if (total > kMaxFileListBytes) return Status::IOError(path, tooLarge);
    for (size_t i = 0; i < got; ++i) {
      if (buf[i] == '\n') {
        if (!endLine()) return tooLong();
        continue;
      }
      line.push_back(buf[i]);
      // Beyond a byte order mark and a CR the line is too long already: stop reading it.
      if (line.size() > kMaxFileListLine + 4) return tooLong();
    }
  }
  if (!line.empty() && !endLine()) return tooLong();
  names->insert(names->end(), found.begin(), found.end());
  return Status::OK();
}

}  // namespace quarn
