// A batch run over many texts: the store's memory is given back after every report, so
// the memory in use when each report is written does not grow from file to file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "GeneratedCorpus.h"
#include "RunFixture.h"

namespace quarn::testing {
namespace {

class LoadTest : public RunFixture {};

// The value of the report line "Memory used, ... MB" in megabytes, or -1 when missing.
double MemoryUsed(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (line.rfind("Memory used, ", 0) == 0) return std::stod(line.substr(38));
  }
  return -1;
}

TEST_F(LoadTest, MemoryIsFlatAcrossTheFilesOfABatchRun) {
  const GeneratedCorpus corpus;
  for (int n = 1; n <= 3; ++n) Put("BASEWRD" + std::to_string(n) + ".txt", corpus.List(n));
  // Thirty texts of 2,000 tokens each, written into the folder: batch results are written
  // beside their inputs.
  std::vector<std::string> names;
  for (size_t i = 0; i < 30; ++i) {
    names.push_back(GeneratedCorpus::TextName(i));
    Put(names.back(), corpus.Text(i, 2000));
  }
  engine.memoryInUse = Engine(host).memoryInUse;  // the real figure, not the fixture's fixed one
  host.options.BatchFiles = true;
  Run(names, "");
  ASSERT_FALSE(engine.failed());
  ASSERT_EQ(outcome.reportsWritten, 30);

  std::vector<double> used;
  for (const std::string& name : names) {
    const std::string results = name.substr(0, name.size() - 4) + "_quarn.txt";
    used.push_back(MemoryUsed(ResultLines(results)));
    ASSERT_GE(used.back(), 0) << results;
  }
  // Each report holds one text's store; the texts are of one size, so the figures stay within
  // one node block (0.9 MB) of each other. The only growth is the progress log, which keeps
  // every message of the press (about 1 KB per file).
  const auto [low, high] = std::minmax_element(used.begin(), used.end());
  EXPECT_LT(*high - *low, 0.9);
  const double firstFive = (used[0] + used[1] + used[2] + used[3] + used[4]) / 5;
  const double lastFive = (used[25] + used[26] + used[27] + used[28] + used[29]) / 5;
  EXPECT_LT(lastFive - firstFive, 0.25);
  RecordProperty("memory_first_mb", std::to_string(used.front()));
  RecordProperty("memory_last_mb", std::to_string(used.back()));
}

}  // namespace
}  // namespace quarn::testing
