// The exports never replace a file the run reads or writes, a batch export never merges two
// texts' folders, and the texts and type_counts tables tell a text listed twice apart.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "RunFixture.h"
#include "run/Choices.h"

namespace quarn::testing {
namespace {

namespace fs = std::filesystem;

class ExportCheckTest : public RunFixture {
 protected:
  void SetUp() override {
    for (int n = 1; n <= 3; ++n) Put("BASEWRD" + std::to_string(n) + ".txt", "");
    fs::create_directories(dir.File("data"));
  }
  void ExportInto(const std::string& folder, bool counts = false) {
    engine.exports = {};
    engine.exports.folder = dir.File(folder);
    engine.exports.csv = engine.exports.tsv = engine.exports.json = true;
    engine.exports.counts = counts;
  }
  bool Logged(const std::string& line) {
    return std::find(Log().begin(), Log().end(), line) != Log().end();
  }
};

// An export into the folder of the files the run uses: each clash is named before anything
// is written, and every file stays as it was.
TEST_F(ExportCheckTest, AnExportNeverReplacesAFileTheRunUses) {
  const std::string text = Put("data/texts.csv", "one two three\r\n");
  const std::string stop = Put("data/summary.csv", "TWO\r\n");
  const std::string other = Put("data/a.txt", "four\r\n");
  struct Case {
    const char* what;
    std::vector<std::string> inputs;
    std::string results;
    bool useStop;
    std::string exportFolder;
    std::string line;
  } cases[] = {
      {"an input",
       {"data/a.txt", "data/texts.csv"},
       "out_quarn.txt",
       false,
       "data",
       "ERROR Export file " + dir.File("data") + "/texts.csv would replace the input file " + text +
           ", cannot run"},
      {"the stop list",
       {"data/a.txt"},
       "out_quarn.txt",
       true,
       "data/./",
       "ERROR Export file " + dir.File("data/./") + "summary.csv would replace the stop list " +
           stop + ", cannot run"},
      {"the results file",
       {"data/a.txt"},
       "data/profile.json",
       false,
       "data",
       "ERROR Export file " + dir.File("data") + "/profile.json would replace the results file " +
           dir.File("data/profile.json") + ", cannot run"},
      {"through a linked folder",
       {"data/texts.csv"},
       "out_quarn.txt",
       false,
       "link",
       "ERROR Export file " + dir.File("link") + "/texts.csv would replace the input file " + text +
           ", cannot run"},
  };
  fs::create_directory_symlink(dir.File("data"), dir.File("link"));
  Put("data/profile.json", "{}");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host.options.UseStopList = c.useStop;
    if (c.useStop) {
      ASSERT_EQ(ChooseStopList(engine, stop), StopListChoice::kLoaded);
    }
    ExportInto(c.exportFolder);
    engine.progress.lines.clear();
    Run(c.inputs, c.results);
    EXPECT_TRUE(Logged(c.line)) << ::testing::PrintToString(Log());
    EXPECT_EQ(outcome.reportsWritten, 0);
    EXPECT_EQ(ReadFile(text), "one two three\r\n");
    EXPECT_EQ(ReadFile(stop), "TWO\r\n");
    EXPECT_EQ(ReadFile(other), "four\r\n");
    EXPECT_EQ(ReadFile(dir.File("data/profile.json")), "{}");
    EXPECT_FALSE(Exists(dir.File("out_quarn.txt")));
    EXPECT_FALSE(Exists(dir.File("data/types.csv")));
  }
  // Into a folder of its own the same run exports.
  host.options.UseStopList = false;
  ExportInto("ex");
  Run({"data/a.txt", "data/texts.csv"});
  EXPECT_EQ(outcome.reportsWritten, 1);
  EXPECT_TRUE(Exists(dir.File("ex/texts.csv")));
}

TEST_F(ExportCheckTest, BatchExportsOfTwoTextsNamedAlikeAreRefusedBeforeTheRun) {
  fs::create_directories(dir.File("a"));
  fs::create_directories(dir.File("b"));
  Put("a/notes.txt", "alpha\r\n");
  Put("b/notes.md", "beta\r\n");
  host.options.BatchFiles = true;
  ExportInto("ex");
  Run({"a/notes.txt", "b/notes.md"});
  EXPECT_TRUE(Logged("ERROR Export folder " + dir.File("ex") +
                     "/notes would hold the exports of both " + dir.File("a/notes.txt") + " and " +
                     dir.File("b/notes.md") + ", cannot run"))
      << ::testing::PrintToString(Log());
  EXPECT_EQ(outcome.reportsWritten, 0);
  EXPECT_FALSE(Exists(dir.File("a/notes_quarn.txt")));
  // The export folder is made to be locked before the check; nothing is written into it.
  EXPECT_FALSE(Exists(dir.File("ex/notes")));
  EXPECT_EQ(FolderFiles(dir.File("ex")).size(), FolderFiles(dir.File("ex")).count("quarn.lock"));
  // One text listed twice shares its folder with itself, as it shares its results file.
  Run({"a/notes.txt", "a/../a/notes.txt"});
  EXPECT_EQ(outcome.reportsWritten, 2);
  EXPECT_TRUE(Exists(dir.File("ex/notes/texts.csv")));
}

std::vector<std::vector<std::string>> CsvRows(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::stringstream in(ReadFile(path));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::stringstream cellsIn(line);
    for (std::string cell; std::getline(cellsIn, cell, ',');) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

// Beyond 64 texts the counts go to type_counts; a text listed twice is two texts there too.
TEST_F(ExportCheckTest, TypeCountsTellATextListedTwiceApartByItsNumber) {
  std::vector<std::string> names;
  for (int i = 1; i <= 64; ++i) {
    names.push_back("t" + std::to_string(i) + ".txt");
    Put(names.back(), "word" + std::string(static_cast<size_t>(i % 26), 'x') + " shared\r\n");
  }
  names.push_back("t1.txt");
  ExportInto("ex", /*counts=*/true);
  Run(names);
  ASSERT_EQ(outcome.reportsWritten, 1) << ::testing::PrintToString(Log());
  const auto texts = CsvRows(dir.File("ex/texts.csv"));
  ASSERT_EQ(texts.size(), 66u);
  EXPECT_EQ(texts[0].back(), "text");
  EXPECT_EQ(texts[1][0], texts[65][0]);
  EXPECT_EQ(texts[65].back(), "65");
  const auto counts = CsvRows(dir.File("ex/type_counts.csv"));
  ASSERT_EQ(counts[0], (std::vector<std::string>{"word", "file", "freq", "text"}));
  std::vector<std::string> sharedIn;
  for (const auto& row : counts) {
    if (row[0] == "SHARED" && row[1] == dir.File("t1.txt")) sharedIn.push_back(row[3]);
  }
  EXPECT_EQ(sharedIn, (std::vector<std::string>{"1", "65"}));
}

// An input that is neither a regular file nor a folder is named as such, is not opened (a pipe
// would wait for a writer) and leaves the other texts to the run; a missing file or a folder is
// "not found" as before.
TEST_F(ExportCheckTest, AnInputThatIsNoRegularFileIsSaidToBeOne) {
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  Put("ok.txt", "fine\r\n");
  host.inputLines = {fifo, "/dev/null", dir.File("data"), dir.File("gone.txt"), dir.File("ok.txt")};
  engine.ResultsFileName = dir.File("out_quarn.txt");
  outcome = ProcessFiles(engine, Request());
  EXPECT_TRUE(Logged("ERROR " + fifo + " not a regular file"));
  EXPECT_TRUE(Logged("ERROR /dev/null not a regular file"));
  EXPECT_TRUE(Logged("ERROR " + dir.File("data") + " not found"));  // no file, as described
  EXPECT_TRUE(Logged("ERROR " + dir.File("gone.txt") + " not found"));
  EXPECT_EQ(host.inputLines, std::vector<std::string>{dir.File("ok.txt")});
  EXPECT_EQ(outcome.reportsWritten, 1);
}

}  // namespace
}  // namespace quarn::testing
