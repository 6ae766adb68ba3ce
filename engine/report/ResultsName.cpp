#include "report/ResultsName.h"

namespace quarn {
namespace {

// Index where the file-name part of path begins.
size_t NameStart(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string ChangeExtension(const std::string& path, const std::string& ext) {
  size_t start = NameStart(path);
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < start) return path + ext;
  return path.substr(0, dot) + ext;
}

std::string InsertQuarnSuffix(const std::string& path) {
  size_t start = NameStart(path);
  std::string result = path.substr(0, start);
  for (size_t i = start; i < path.size(); ++i) {
    if (path[i] == '.')
      result += "_quarn.";
    else
      result += path[i];
  }
  return result;
}

std::string BatchResultsName(const std::string& inputPath) {
  return InsertQuarnSuffix(ChangeExtension(inputPath, ".txt"));
}

std::string SaveResultsName(const std::string& chosen) {
  std::string name = ChangeExtension(chosen, ".txt");
  if (name.find("_quarn.") == std::string::npos) name = InsertQuarnSuffix(name);
  return name;
}

std::string ResultsWorkName(const std::string& results) { return results + ".tmp"; }

}  // namespace quarn
