#include "run/ExportCheck.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "lists/BasewordName.h"
#include "report/MarkTexts.h"
#include "report/ReportData.h"
#include "report/ResultsName.h"
#include "state/Engine.h"
#include "state/Messages.h"

namespace quarn {
namespace {

// path made absolute against the current folder and with "." and ".." steps taken.
std::string NormalPath(const std::string& currentDirectory, const std::string& path) {
  std::filesystem::path p(path);
  if (p.is_relative()) p = std::filesystem::path(currentDirectory) / p;
  return p.lexically_normal().string();
}

std::string LowerBaseName(const std::string& path) {
  std::string name = path.substr(path.rfind('/') + 1);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

// The files the run reads or writes, each with what it is, looked up by normal name and, for a
// spelling the names cannot tell (a folder through a link, another letter case), by base name.
class RunFiles {
 public:
  explicit RunFiles(Engine& e) : e_(e), current_(e.fs.CurrentDirectory()) {}

  void Add(const std::string& path, const std::string& what) {
    if (path.empty()) return;
    const size_t k = files_.size();
    files_.push_back({path, what});
    byName_.emplace(NormalPath(current_, path), k);
    byBase_.emplace(LowerBaseName(path), k);
  }

  // The file that writing name would replace, when it is one of the run's.
  std::optional<size_t> Replaced(const std::string& name) const {
    if (auto it = byName_.find(NormalPath(current_, name)); it != byName_.end()) return it->second;
    if (!e_.fs.FileExists(name)) return std::nullopt;
    const auto [first, last] = byBase_.equal_range(LowerBaseName(name));
    for (auto it = first; it != last; ++it) {
      if (e_.fs.SameFile(name, files_[it->second].path)) return it->second;
    }
    return std::nullopt;
  }

  std::string Describe(size_t k) const { return files_[k].what + " " + files_[k].path; }

 private:
  struct File {
    std::string path;
    std::string what;
  };
  Engine& e_;
  const std::string current_;
  std::vector<File> files_;
  std::unordered_map<std::string, size_t> byName_;
  std::unordered_multimap<std::string, size_t> byBase_;
};

std::string Refusal(Engine& e, const std::vector<std::string>& lines) {
  const RunOptions& o = e.options;
  RunFiles files(e);
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    files.Add(line, "the input file");
    if (o.Mark_Texts) {
      files.Add(MarkedFileName(line), "the marked copy");
      files.Add(MarkedFileName(line) + ".tmp", "the marked copy's work file");
    }
    if (o.BatchFiles) {
      files.Add(BatchResultsName(line), "the results file");
      files.Add(ResultsWorkName(BatchResultsName(line)), "the results file's work file");
    }
  }
  if (!o.BatchFiles) {
    files.Add(e.ResultsFileName, "the results file");
    if (!e.ResultsFileName.empty())
      files.Add(ResultsWorkName(e.ResultsFileName), "the results file's work file");
  }
  if (o.UseStopList && e.stopList) files.Add(e.StopFileName, "the stop list");
  for (int n = 1; n <= e.ListCount; ++n) {
    const std::optional<std::string> list =
        FindFileNoCase(e.fs, e.ProgramFolder, BasewordFileName(n));
    files.Add(list ? *list : e.ProgramFolder + BasewordFileName(n), "the baseword file");
    files.Add(e.ProgramFolder + "basewrd" + std::to_string(n) + ".tmp",
              "the baseword file's work file");
  }
  files.Add(e.ProgramFolder + "quarn.txt", "the character classes file");

  std::vector<std::string> folders;
  if (o.BatchFiles) {
    // Two inputs named alike share a folder: the second's export would replace the first's.
    std::map<std::string, std::string> owner;  // normal folder -> input line
    const std::string current = e.fs.CurrentDirectory();
    for (const std::string& line : lines) {
      if (line.empty()) continue;
      const std::string folder = BatchExportFolder(e.exports.folder, line);
      auto [other, added] = owner.emplace(NormalPath(current, folder), line);
      if (added) {
        folders.push_back(folder);
      } else if (NormalPath(current, other->second) != NormalPath(current, line)) {
        return "Export folder " + folder + " would hold the exports of both " + other->second +
               " and " + line + ", cannot run";
      }
    }
  } else {
    folders.push_back(e.exports.folder);
  }
  for (const std::string& folder : folders) {
    for (const std::string& name : ExportFileNames(e.exports, folder)) {
      if (const std::optional<size_t> k = files.Replaced(name))
        return "Export file " + name + " would replace " + files.Describe(*k) + ", cannot run";
    }
  }
  return "";
}

}  // namespace

void CheckExportNames(Engine& e) {
  const std::string reason = Refusal(e, e.run.inputLines);
  if (reason.empty()) return;
  e.host.MessageBox(reason, false);
  ProgressMessage(e, Severity::kError, reason);
  e.run.RunStopped = true;
}

}  // namespace quarn
