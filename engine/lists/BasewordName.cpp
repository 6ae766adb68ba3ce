#include "lists/BasewordName.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "state/Engine.h"
#include "state/FolderLock.h"
#include "state/Messages.h"

namespace quarn {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// The folder's entry names in byte order, so that the choice among several candidates does not
// depend on the order the system lists them in. Empty when the folder cannot be listed.
std::vector<std::string> SortedNames(FileSystem& fs, const std::string& folder) {
  std::vector<std::string> names;
  if (!fs.ListDirectory(folder, &names).ok()) return {};
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::string BasewordFileName(int n) { return "BASEWRD" + std::to_string(n) + ".txt"; }

std::optional<std::string> FindFileNoCase(FileSystem& fs, const std::string& folder,
                                          const std::string& name) {
  if (fs.FileExists(folder + name)) return folder + name;
  // A name with a folder part of its own is looked for in that folder.
  const size_t slash = name.rfind('/');
  const std::string dir = slash == std::string::npos ? folder : folder + name.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  for (const std::string& entry : SortedNames(fs, dir)) {
    if (EqualNoCase(entry, base) && fs.FileExists(dir + entry)) return dir + entry;
  }
  return std::nullopt;
}

std::string DialogFolder(const std::string& folder, const std::string& name) {
  return !name.empty() && name[0] == '/' ? std::string() : folder;
}

bool LockDialogFolders(Engine& e, const std::vector<std::string>& names, FolderLock* lock) {
  std::vector<std::string> folders = {e.ProgramFolder.empty() ? e.fs.CurrentDirectory() + "/"
                                                              : e.ProgramFolder};
  for (const std::string& name : names) {
    if (DialogFolder(e.ProgramFolder, name).empty())
      folders.push_back(name.substr(0, name.rfind('/') + 1));
  }
  std::string busy;
  Status s = LockFolders(e, folders, lock, &busy);
  std::string text = !s.ok() ? s.ToString() : busy.empty() ? "" : FolderBusyMessage(busy);
  if (text.empty()) return true;
  ProgressMessageThenBlanks(e, Severity::kError, text, 1);
  e.host.MessageBox(text, false);
  return false;
}

bool RepairBasewordName(Engine& e, const std::string& folder, const std::string& base) {
  std::string candidate;
  for (const std::string& entry : SortedNames(e.fs, folder)) {
    if (entry.size() > base.size() && entry[base.size()] == '.' &&
        EqualNoCase(std::string_view(entry).substr(0, base.size()), base) &&
        e.fs.FileExists(folder + entry)) {
      candidate = entry;
      break;
    }
  }
  if (candidate.empty()) return true;

  const std::string target = base + ".txt";
  const std::string question = "The file " + target + "\r" + "seems to be called: " + candidate +
                               "\r" + "Would you like me to fix this?";
  if (!e.host.MessageBox(question, true)) return true;

  if (!e.fs.RenameFile(folder + candidate, folder + target).ok()) {
    ProgressMessage(e, Severity::kError, "Couldn't Rename " + candidate + "cannot run");
    return true;
  }
  return false;
}

}  // namespace quarn
