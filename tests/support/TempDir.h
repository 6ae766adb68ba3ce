// Fresh folders and small file helpers for tests.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace quarn::testing {

// A new empty folder under the system's temporary folder, removed with everything in it when
// the object goes. path() ends in '/'.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // path() + name
  std::string File(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Writes bytes exactly as given (no line-end translation).
void WriteFile(const std::string& path, const std::string& bytes);
// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// Every regular file of the folder (not below it), name -> bytes: to compare a folder before and
// after an operation that should leave it as it was.
std::map<std::string, std::string> FolderFiles(const std::string& dir);
// Splits on CR LF; a final CR LF gives no extra empty element.
std::vector<std::string> SplitCrLf(const std::string& text);

}  // namespace quarn::testing
