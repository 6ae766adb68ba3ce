#include "ReplaceFile.h"

#include <cstddef>
#include <memory>

namespace quarn {

FileReplacement::~FileReplacement() { RemoveTemporaries(); }

void FileReplacement::RemoveTemporaries() {
  for (const Staged& s : staged_) fs_.RemoveFile(s.temp);
  staged_.clear();
}

Status FileReplacement::Stage(const std::string& path, std::string_view content) {
  // A list reached through a link is replaced where it lives, so that the link (to a list
  // shared between folders, say) stays and its target gets the new content. A path that does
  // not resolve (a new file, a dangling link) is written as named.
  std::string target;
  if (!fs_.ResolveLink(path, &target).ok()) target = path;
  // Two files may be spelled so that their temporaries would be one file; the second one then
  // takes another name, so that no staged content is written over.
  std::string temp = target + ".tmp";
  for (int n = 1;; ++n) {
    bool taken = false;
    for (const Staged& s : staged_) taken = taken || fs_.SameFile(s.temp, temp);
    if (!taken) break;
    temp = target + ".tmp" + std::to_string(n);
  }

  std::unique_ptr<WritableFile> file;
  Status s = fs_.NewWritableFile(temp, &file);
  if (!s.ok()) return Status::IOError(path, s.reason());
  s = file->Append(content);
  if (s.ok()) s = file->Sync();
  Status closed = file->Close();
  if (s.ok()) s = closed;
  if (!s.ok()) {
    fs_.RemoveFile(temp);
    return Status::IOError(path, s.reason());
  }
  staged_.push_back({path, target, temp});
  return Status::OK();
}

Status FileReplacement::Commit() {
  for (size_t i = 0; i < staged_.size(); ++i) {
    Status s = fs_.RenameFile(staged_[i].temp, staged_[i].target);
    if (!s.ok()) {
      Status failure = Status::IOError(staged_[i].path, s.reason());
      staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(i));
      RemoveTemporaries();
      return failure;
    }
  }
  staged_.clear();
  return Status::OK();
}

Status ReplaceFile(FileSystem& fs, const std::string& path, std::string_view content) {
  FileReplacement replacement(fs);
  Status s = replacement.Stage(path, content);
  if (s.ok()) s = replacement.Commit();
  return s;
}

}  // namespace quarn
