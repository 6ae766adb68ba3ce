#include "state/UserFolder.h"

#include <cctype>
#include <memory>
#include <set>

namespace quarn {
namespace {

std::string Folded(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Copies from to `to` through a scratch file beside it.
Status CopyFile(FileSystem& fs, const std::string& from, const std::string& to) {
  std::string bytes;
  Status s = ReadFileToString(fs, from, &bytes);
  if (!s.ok()) return s;
  const std::string scratch = to + ".quarn-copy";
  std::unique_ptr<WritableFile> out;
  s = fs.NewWritableFile(scratch, &out);
  if (s.ok()) s = out->Append(bytes);
  if (s.ok()) s = out->Close();
  if (s.ok()) s = fs.RenameFile(scratch, to);
  if (!s.ok()) {
    out.reset();
    fs.RemoveFile(scratch);  // best effort: the error that matters is s
  }
  return s;
}

}  // namespace

Status PrepareUserFolder(FileSystem& fs, const std::string& folder,
                         const std::vector<std::string>& sources,
                         std::vector<std::string>* copied) {
  Status s = fs.CreateDirectories(folder);
  if (!s.ok()) return s;
  std::vector<std::string> names;
  s = fs.ListDirectory(folder, &names);
  if (!s.ok()) return s;
  std::set<std::string> held;
  for (const std::string& name : names) held.insert(Folded(name));

  for (const std::string& source : sources) {
    if (!fs.DirectoryExists(source)) continue;
    s = fs.ListDirectory(source, &names);
    if (!s.ok()) return s;
    for (const std::string& name : names) {
      const std::string from = Join(source, name);
      if (fs.DirectoryExists(from) || held.count(Folded(name)) != 0) continue;
      s = CopyFile(fs, from, Join(folder, name));
      if (!s.ok()) return s;
      held.insert(Folded(name));
      if (copied != nullptr) copied->push_back(name);
    }
  }
  return Status::OK();
}

}  // namespace quarn
