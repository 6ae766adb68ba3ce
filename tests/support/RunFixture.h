// A folder with baseword lists and texts, an engine over it with a fixed clock and memory
// figure, and helpers to run Process Files and read the results.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "TestHost.h"
#include "run/ProcessRun.h"
#include "state/Engine.h"

namespace quarn::testing {

class RunFixture : public ::testing::Test {
 protected:
  // fs (when given) must outlive the fixture: derived fixtures keep theirs in a base class
  // that is constructed first (see FileSystemHolder).
  explicit RunFixture(FileSystem& fs = *FileSystem::Default()) : engine(host, fs) {
    SetProgramFolder(engine, dir.path());
    engine.ScratchFolder = dir.path();
    engine.clockSeconds = [] { return 1000; };
    engine.memoryInUse = [] { return size_t{3} * 1048576; };
  }

  // Writes a file into the folder; returns its path.
  std::string Put(const std::string& name, const std::string& bytes) {
    WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }
  // Runs one press with the given input files (names in the folder) and results name.
  void Run(const std::vector<std::string>& names, const std::string& results = "out_quarn.txt") {
    host.inputLines.clear();
    host.boxes.clear();
    for (const std::string& n : names) host.inputLines.push_back(n.empty() ? n : dir.File(n));
    engine.ResultsFileName = results.empty() ? results : dir.File(results);
    outcome = ProcessFiles(engine, Request());
  }
  // A press as the window makes it: the host's options and input list, the engine's results
  // name and list count.
  RunRequest Request() {
    return RunRequest{host.options, host.inputLines, engine.ResultsFileName, engine.ListCount};
  }
  std::vector<std::string> ResultLines(const std::string& results = "out_quarn.txt") {
    return SplitCrLf(ReadFile(dir.File(results)));
  }
  bool ScratchFilesGone() {
    return !Exists(dir.File("tree.dvp")) && !Exists(dir.File("temp$$$.dvp"));
  }
  const std::vector<std::string>& Log() { return engine.progress.lines; }

  TempDir dir;
  TestHost host;
  Engine engine;
  RunOutcome outcome;  // of the last Run
};

// Holds a file system of type FS for a fixture derived from it and from RunFixture, so that the
// file system exists before RunFixture's engine is built on it.
template <typename FS>
struct FileSystemHolder {
  FS fs;
};



}  // namespace quarn::testing
