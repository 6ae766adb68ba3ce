#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "FaultFileSystem.h"
#include "TempDir.h"
#include "results/Exports.h"
#include "results/XlsxSink.h"

namespace quarn::testing {
namespace {

namespace fs = std::filesystem;

// A small model: two lists, two texts (one named with a comma and quotes), a word with an
// 8-bit letter.
ResultsModel SmallModel() {
  ResultsModel m;
  m.run.texts = {{"plain.txt", 3, 10}, {"odd, \"name\".txt", 1, 0}};
  m.run.lists = {{1, "BASEWRD1.txt", true}, {2, "BASEWRD2.txt", true}};
  m.fileColumns = 2;
  m.summary = {{1, 6, 10, 2, 4, 2, true}, {66, 4, 10, 2, 4, std::nullopt, true},
               {0, 10, 0, 4, 0, 2, false}};
  m.lists = {{1, "BASEWRD1.txt", 5, 2}, {2, "BASEWRD2.txt", 0, 0}};
  m.ranges = {{false, 1, 4}, {true, 1, 2}};
  m.types = {{"caf\xE9", 1, 1, 6, 0, {6, 0}}, {"ZED", 66, 1, 4, 0, {4, 0}}};
  m.families = {{"CAF\xC9", 1, 1, 6, 6, {6, 0}}};
  TextRow first{"plain.txt", 10, 2, {6, 0}, 0, 4};
  TextRow empty{"odd, \"name\".txt", 0, 0, {0, 0}, 0, 0};
  m.texts = {first, empty};
  return m;
}

ExportOptions Formats(const std::string& list, const std::string& folder) {
  ExportOptions o;
  o.folder = folder;
  std::string bad;
  EXPECT_TRUE(ParseExportFormats(list, &o, &bad));
  return o;
}

std::string RunPython(const std::string& script) {
  const std::string command = QUARN_PYTHON " -c '" + script + "'";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t got;
  while ((got = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, got);
  EXPECT_EQ(pclose(pipe), 0) << script;
  return out;
}

bool HasWorkFiles(const std::string& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".tmp") return true;
  }
  return false;
}

TEST(ExportsTest, DelimitedFilesQuoteAsCsvDoesAndCarryWordsInUtf8) {
  TempDir dir;
  const ResultsModel m = SmallModel();
  ASSERT_TRUE(ExportResults(*FileSystem::Default(), Formats("csv,tsv", dir.File("out")),
                            dir.File("out"), m, nullptr)
                  .ok());
  EXPECT_EQ(ReadFile(dir.File("out/texts.csv")),
            "file,tokens,types,tokens_1,tokens_2,tokens_none,coverage_1,coverage_2,"
            "lists_for_95,lists_for_98,text\r\n"
            "plain.txt,10,2,6,0,4,60.00,60.00,,,1\r\n"
            "\"odd, \"\"name\"\".txt\",0,0,0,0,0,0.00,0.00,,,2\r\n");
  EXPECT_EQ(ReadFile(dir.File("out/types.tsv")),
            "word\tlist\trange\tfreq\tf1\tf2\tdp\tdp_norm\ncaf\xC3\xA9\t1\t1\t6\t6\t0\t0\t0\n"
            "ZED\tnone\t1\t4\t4\t0\t0\t0\n");
  EXPECT_EQ(ReadFile(dir.File("out/summary.csv")),
            "list,tokens,tokens_pct,types,types_pct,families\r\n1,6,60.00,2,50.00,2\r\n"
            "none,4,40.00,2,50.00,\r\ntotal,10,,4,,2\r\n");
}

// A tab, CR or LF in a TSV cell stays inside its cell (escaped, and read back as it was); CSV
// cells are the data as they are, a leading =, +, - or @ included; every format numbers the
// texts in a last column "text".
TEST(ExportsTest, OddCellsReadBackExactlyInEveryFormat) {
  TempDir dir;
  ResultsModel m = SmallModel();
  const std::string odd = "tab\there\r\nnext \\n line.txt";
  m.run.texts[0].file = m.texts[0].file = odd;
  m.types[1].word = "=SUM(A1)";
  m.texts.push_back(m.texts[1]);  // one file listed twice: two texts
  m.texts[2].file = "-1+2@x.txt";
  const std::string out = dir.File("odd");
  ASSERT_TRUE(
      ExportResults(*FileSystem::Default(), Formats("csv,tsv,json,xlsx", out), out, m, nullptr)
          .ok());
  std::string rows[4];
  int k = 0;
  for (const char* format : {"csv", "tsv", "json", "xlsx"}) {
    rows[k++] =
        RunPython(std::string("import sys; sys.argv = [0, \"") + format + "\", \"" + out +
                  "\"]; exec(open(\"" QUARN_SOURCE_DIR "/tests/results/export_rows.py\").read())");
  }
  EXPECT_EQ(rows[0], rows[1]);
  EXPECT_EQ(rows[0], rows[2]);
  EXPECT_EQ(rows[0], rows[3]);
  const std::string texts = rows[0].substr(rows[0].find("## texts\n"));
  EXPECT_EQ(texts,
            "## texts\nfile\ttokens\ttypes\ttokens_1\ttokens_2\ttokens_none\tcoverage_1\t"
            "coverage_2\tlists_for_95\tlists_for_98\ttext\n" +
                odd +
                "\t10\t2\t6\t0\t4\t60.00\t60.00\t\t\t1\n"
                "odd, \"name\".txt\t0\t0\t0\t0\t0\t0.00\t0.00\t\t\t2\n"
                "-1+2@x.txt\t0\t0\t0\t0\t0\t0.00\t0.00\t\t\t3\n");
  EXPECT_NE(rows[0].find("\n=SUM(A1)\tnone\t"), std::string::npos) << rows[0];
  // Each TSV row is one line with one cell per column.
  const std::string tsv = ReadFile(out + "/texts.tsv");
  EXPECT_EQ(std::count(tsv.begin(), tsv.end(), '\n'), 4);
  EXPECT_NE(tsv.find("tab\\there\\r\\nnext \\\\n line.txt\t10\t"), std::string::npos) << tsv;
}

TEST(ExportsTest, CoverageCountsTheListsNeededForEachThreshold) {
  TextRow r{"t", 200, 0, {180, 12, 5}, 0, 3};
  EXPECT_EQ(r.Coverage(1), "90.00");
  EXPECT_EQ(r.ListsFor(95), 2);  // 96.00
  EXPECT_EQ(r.ListsFor(98), 3);  // 98.50
  r.listTokens = {100, 50, 40};
  EXPECT_EQ(r.ListsFor(95), 3);  // exactly 95.00
  r.listTokens = {100, 50, 39};
  EXPECT_EQ(r.ListsFor(95), std::nullopt);  // 94.50 with every list
  r.tokens = 0;
  EXPECT_EQ(r.Coverage(3), "0.00");
  EXPECT_EQ(r.ListsFor(95), std::nullopt);
}

TEST(ExportsTest, JsonIsOneValidDocumentWithRowsKeyedByColumn) {
  TempDir dir;
  const ResultsModel m = SmallModel();
  ASSERT_TRUE(ExportResults(*FileSystem::Default(), Formats("json", dir.File("j")), dir.File("j"),
                            m, nullptr)
                  .ok());
  const std::string out = RunPython(
      "import json; d = json.load(open(\"" + dir.File("j/profile.json") +
      "\", encoding=\"utf-8\")); "
      "print(d[\"format\"], d[\"version\"], d[\"run\"][\"texts\"][1][\"file\"], "
      "d[\"types\"][0][\"word\"], d[\"summary\"][1][\"families\"], d[\"texts\"][0][\"coverage_1\"], "
      "list(d.keys()))");
  EXPECT_EQ(out,
            "quarn-profile 1 odd, \"name\".txt caf\xC3\xA9 None 60.0 ['format', 'version', 'run', "
            "'summary', 'lists', 'ranges', 'types', 'families', 'texts']\n");
}

TEST(ExportsTest, WorkbookContinuesALongTableOnFurtherSheets) {
  TempDir dir;
  {
    ExportFiles files(*FileSystem::Default(), dir.path());
    XlsxSink sink(files, dir.File("book.xlsx"), /*sheetRows=*/3);
    const std::string columns[] = {"word", "freq"};
    sink.BeginTable("types", columns);
    for (int i = 1; i <= 5; ++i) {
      const std::string word = "W" + std::to_string(i);
      const Cell row[] = {Cell::Text(word), Cell::Integer(i)};
      sink.Row(row);
    }
    sink.EndTable();
    ASSERT_TRUE(sink.Finish().ok());
    ASSERT_TRUE(files.Commit().ok());
  }
  const std::string out = RunPython(
      "import openpyxl; b = openpyxl.load_workbook(\"" + dir.File("book.xlsx") + "\"); "
      "print(b.sheetnames); "
      "[print(s.title, s.freeze_panes, s[\"A1\"].font.b, [[c.value for c in r] for r in s.iter_rows()]) "
      "for s in b]");
  EXPECT_EQ(out,
            "['types', 'types (2)', 'types (3)']\n"
            "types A2 True [['word', 'freq'], ['W1', 1], ['W2', 2]]\n"
            "types (2) A2 True [['word', 'freq'], ['W3', 3], ['W4', 4]]\n"
            "types (3) A2 True [['word', 'freq'], ['W5', 5]]\n");
}

TEST(ExportsTest, AFailureReplacesNoEarlierExportAndLeavesNoWorkFile) {
  TempDir dir;
  const std::string folder = dir.File("out");
  const ResultsModel m = SmallModel();
  ASSERT_TRUE(fs::create_directory(folder));
  WriteFile(folder + "/summary.csv", "earlier");
  for (const char* fault : {"write", "rename"}) {
    SCOPED_TRACE(fault);
    FaultFileSystem faults;
    if (std::string(fault) == "write") {
      faults.FailWritesAfter("types.csv", 10);
    } else {
      faults.FailRename("texts.csv");
    }
    const Status s = ExportResults(faults, Formats("csv,json,xlsx", folder), folder, m, nullptr);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.path(), folder + (std::string(fault) == "write" ? "/types.csv" : "/texts.csv"));
    EXPECT_FALSE(HasWorkFiles(folder));
    if (std::string(fault) == "write") {
      EXPECT_EQ(ReadFile(folder + "/summary.csv"), "earlier");
    }
  }
  // The rename failure comes after summary.csv was put in place: it is put back.
  EXPECT_EQ(ReadFile(folder + "/summary.csv"), "earlier");
}

// The set put in place as one, against a failure or a kill at every step: a folder holding an
// earlier csv export (and a stray file of the user's) receives a csv and json export of another
// model, and a reader then finds the earlier files or the new ones, never a mix.
class ExportSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = dir.File("ex");
    fs::create_directory(folder);
    WriteFile(folder + "/types.csv.old", "the user's own");
    ASSERT_TRUE(ExportResults(*FileSystem::Default(), Formats("csv", folder), folder,
                              SmallModel(), nullptr)
                    .ok());
    earlier = FolderFiles(folder);
    ResultsModel next = SmallModel();
    next.types[1].word = "ZEDS";
    next.texts[0].tokens = 11;
    model = next;
    TempDir other;
    ASSERT_TRUE(ExportResults(*FileSystem::Default(), Formats("csv,json", other.path()),
                              other.path(), model, nullptr)
                    .ok());
    later = FolderFiles(other.path());
    later.erase(kLockFileName);
    later["types.csv.old"] = "the user's own";
    ASSERT_EQ(later.size(), earlier.size() + 1);  // profile.json is new
  }
  void Restore() {
    for (const auto& [name, bytes] : FolderFiles(folder)) fs::remove(folder + "/" + name);
    for (const auto& [name, bytes] : earlier) WriteFile(folder + "/" + name, bytes);
  }
  Status Export(FileSystem& fs) {
    return ExportResults(fs, Formats("csv,json", folder), folder, model, nullptr);
  }
  static constexpr const char* kLockFileName = "quarn.lock";

  TempDir dir;
  std::string folder;
  ResultsModel model;
  std::map<std::string, std::string> earlier, later;
};

TEST_F(ExportSetTest, ARenameFailingAtAnyStepLeavesTheEarlierSet) {
  int steps = 0;
  for (int n = 1;; ++n) {
    SCOPED_TRACE(n);
    Restore();
    FaultFileSystem faults;
    faults.FailRenameNumber(n);
    if (Export(faults).ok()) break;
    ++steps;
    EXPECT_EQ(FolderFiles(folder), earlier);
    ASSERT_LT(n, 50);
  }
  // The journal, 6 earlier files moved aside, 7 new ones put in place.
  EXPECT_EQ(steps, 14);
  EXPECT_EQ(FolderFiles(folder), later);
}

TEST_F(ExportSetTest, AFailedUndoIsCompletedByTheNextExport) {
  for (int n = 2; n <= 14; ++n) {
    SCOPED_TRACE(n);
    Restore();
    FaultFileSystem faults;
    faults.FailRenameNumber(n, /*andLater=*/true);  // the undo's renames back fail as well
    ASSERT_FALSE(Export(faults).ok());
    ASSERT_TRUE(RecoverExportFolder(*FileSystem::Default(), folder).ok());
    EXPECT_EQ(FolderFiles(folder), earlier);
  }
}

TEST_F(ExportSetTest, AKillAtAnyStepLeavesOneWholeSetOnceRecovered) {
  constexpr int kKilled = 9, kFinished = 10;
  int kills = 0;
  for (int n = 1;; ++n) {
    SCOPED_TRACE(n);
    ASSERT_LT(n, 80);
    Restore();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      FaultFileSystem faults;
      faults.ExitAtChange(n, kKilled);
      ::_exit(Export(faults).ok() ? kFinished : 11);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kFinished) break;
    ASSERT_EQ(WEXITSTATUS(status), kKilled);
    ++kills;
    // What the next run in the folder does under its lock before it writes.
    ASSERT_TRUE(RecoverExportFolder(*FileSystem::Default(), folder).ok());
    const auto files = FolderFiles(folder);
    EXPECT_TRUE(files == earlier || files == later);
  }
  EXPECT_GE(kills, 14);
  EXPECT_EQ(FolderFiles(folder), later);
}

TEST(ExportsTest, FormatListsAreCheckedWord) {
  ExportOptions o;
  std::string bad;
  EXPECT_TRUE(ParseExportFormats("csv,XLSX", &o, &bad));
  EXPECT_TRUE(o.csv && o.xlsx && !o.tsv && !o.json);
  EXPECT_FALSE(ParseExportFormats("csv,pdf", &o, &bad));
  EXPECT_EQ(bad, "pdf");
  EXPECT_TRUE(o.csv && o.xlsx);  // unchanged by a refused list
  EXPECT_FALSE(ParseExportFormats("", &o, &bad));
}

}  // namespace
}  // namespace quarn::testing
