// A folder with baseword lists and texts, an engine over it with a fixed clock and memory
// figure, and helpers to run Process Files and read the results.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine.h"
#include "TempDir.h"
#include "TestHost.h"
#include "run/ProcessRun.h"

namespace quarn::testing {

class RunFixture : public ::testing::Test {
 protected:
  RunFixture() : engine(host) {
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
    for (const std::string& n : names) host.inputLines.push_back(n.empty() ? n : dir.File(n));
    engine.ResultsFileName = results.empty() ? results : dir.File(results);
    Process_filesClick(engine);
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
};



}  // namespace quarn::testing
