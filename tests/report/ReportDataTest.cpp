// The results as data against the results file: every exported table, in every format, holds
// the rows the results file prints, and the coverage per text agrees with the per-file counts
// of the type sections.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "GeneratedCorpus.h"
#include "RunFixture.h"
#include "TempDir.h"
#include "report/ResultsName.h"
#include "run/Choices.h"

namespace quarn::testing {
namespace {

namespace fs = std::filesystem;

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line);
  std::string cell;
  while (std::getline(in, cell, '\t')) cells.push_back(Trim(cell));
  return cells;
}

std::string Join(const std::vector<std::string>& cells) {
  std::string s;
  for (size_t i = 0; i < cells.size(); ++i) s += (i ? "\t" : "") + cells[i];
  return s;
}

// The tables a results file prints, in the plain form export_rows.py gives an export.
struct PrintedTables {
  std::map<std::string, std::vector<std::string>> rows;  // table -> rows (no header)
  std::vector<int64_t> wordsPerText;                     // " Number of words: N", in order
  // The type rows' per-file counts by list label ("1", "none", ...): [label][file k - 1].
  std::map<std::string, std::vector<int64_t>> tokensByList;
  std::vector<int64_t> typesPerText;
};

PrintedTables ReadResultsFile(const std::vector<std::string>& lines) {
  static const std::map<std::string, std::string> kListOfWord = {
      {"one", "1"}, {"two", "2"}, {"three", "3"}, {"ONE", "1"}, {"TWO", "2"}, {"THREE", "3"}};
  const std::regex summaryRow(
      R"(^(one|two|three|not in the lists) +(\d+)/ *([\d.]+) +(\d+)/ *([\d.]+) +(\d+|\?\?\?\?\?)$)");
  const std::regex totalRow(R"(^Total +(\d+) +(\d+) +(\d+)$)");
  const std::regex rangeRow(R"(^ *(\d+)\tWords appear in +(\d+) input files$)");
  const std::regex words(R"(^ +Number of words: (\d+)$)");
  PrintedTables t;
  std::string section;  // "types:<list>", "families:<list>", "ranges:type" ...
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    std::smatch m;
    if (std::regex_match(line, m, words)) {
      t.wordsPerText.push_back(std::stoll(m[1]));
    } else if (std::regex_match(line, m, summaryRow)) {
      const std::string label = m[1] == "not in the lists" ? "none" : kListOfWord.at(m[1]);
      t.rows["summary"].push_back(Join({label, m[2], m[3], m[4], m[5],
                                        m[6] == "?????" ? "" : m[6].str()}));
    } else if (std::regex_match(line, m, totalRow)) {
      t.rows["summary"].push_back(Join({"total", m[1], "", m[2], "", m[3]}));
    } else if (line == "Table of Ranges: Types" || line == "Table of Ranges: Families") {
      section = line == "Table of Ranges: Types" ? "ranges:type" : "ranges:family";
    } else if (section.rfind("ranges:", 0) == 0 && std::regex_match(line, m, rangeRow)) {
      t.rows["ranges"].push_back(Join({section.substr(7), m[2], m[1]}));
    } else if (line.rfind("Types Found In Base List ", 0) == 0) {
      static const std::map<std::string, std::string> kTitles = {
          {"One", "1"}, {"Two", "2"}, {"Three", "3"}};
      section = "types:" + kTitles.at(line.substr(25));
      ++i;  // the empty line; the header follows
      ++i;
    } else if (line == "Types Not Found In Any List") {
      section = "types:none";
      ++i;
      ++i;
    } else if (line.rfind("BASE ", 0) == 0 && line.find(" FAMILIES") != std::string::npos) {
      section = "families:" + kListOfWord.at(Trim(line.substr(5, line.find(' ', 5) - 5)));
    } else if (line.empty() || line.rfind("LIST OF", 0) == 0 || line[0] == ' ') {
      if (line.empty() && section.rfind("ranges:", 0) != 0) section.clear();
    } else if (!section.empty() && section.rfind("ranges:", 0) != 0) {
      std::vector<std::string> cells = SplitTabs(line);
      const bool family = section.rfind("families:", 0) == 0;
      const std::string list = section.substr(section.find(':') + 1);
      cells.insert(cells.begin() + 1, list);
      t.rows[family ? "families" : "types"].push_back(Join(cells));
      if (family) continue;
      const size_t firstFile = 4;
      auto& byList = t.tokensByList[list];
      byList.resize(cells.size() - firstFile, 0);
      t.typesPerText.resize(cells.size() - firstFile, 0);
      for (size_t k = firstFile; k < cells.size(); ++k) {
        const int64_t count = std::stoll(cells[k]);
        byList[k - firstFile] += count;
        t.typesPerText[k - firstFile] += count > 0 ? 1 : 0;
      }
    }
  }
  return t;
}

// Rows without their last two cells: dp and dp_norm, which the results file does not print.
std::vector<std::string> WithoutDp(std::vector<std::string> rows) {
  for (std::string& row : rows) row.erase(row.rfind('\t', row.rfind('\t') - 1));
  return rows;
}

// The plain form of an export: table -> rows, and table -> header.
struct ExportedTables {
  std::map<std::string, std::vector<std::string>> rows;
  std::map<std::string, std::string> header;
};

ExportedTables ReadExport(const std::string& format, const std::string& folder) {
  const std::string command = QUARN_PYTHON " " QUARN_SOURCE_DIR "/tests/results/export_rows.py " +
                              format + " '" + folder + "'";
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  std::string out;
  std::array<char, 65536> buf;
  size_t got;
  while (pipe != nullptr && (got = fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), got);
  EXPECT_EQ(pipe != nullptr ? pclose(pipe) : -1, 0) << command;
  ExportedTables t;
  std::stringstream in(out);
  std::string line, table;
  bool header = false;
  while (std::getline(in, line)) {
    if (line.rfind("## ", 0) == 0) {
      table = line.substr(3);
      header = true;
    } else if (header) {
      t.header[table] = line;
      header = false;
    } else {
      t.rows[table].push_back(line);
    }
  }
  return t;
}

class ReportDataTest : public RunFixture {
 protected:
  // 64 generated texts, the sample lists as BASEWRD1..3 and a stop list.
  void SetUp() override {
    const GeneratedCorpus corpus;
    for (int n = 1; n <= 3; ++n) Put("BASEWRD" + std::to_string(n) + ".txt", corpus.List(n));
    Put("stop.txt", corpus.StopList());
    for (size_t i = 0; i < 64; ++i) {
      Put(GeneratedCorpus::TextName(i), corpus.Text(i));
      texts.push_back(GeneratedCorpus::TextName(i));
    }
  }

  // Runs with the exports of formats into folder "export"; returns the results file's lines.
  std::vector<std::string> RunExporting(const std::vector<std::string>& names,
                                        const std::string& formats) {
    engine.exports.folder = dir.File("export");
    std::string bad;
    EXPECT_TRUE(ParseExportFormats(formats, &engine.exports, &bad));
    Run(names);
    EXPECT_FALSE(engine.failed()) << engine.runError.ToString();
    return ResultLines();
  }

  // Every table of the export in folder, read back in format, holds the printed rows.
  void ExpectExportMatches(const PrintedTables& printed, const std::string& format,
                           const std::string& folder, size_t files) {
    SCOPED_TRACE(format + " " + folder);
    const ExportedTables exported = ReadExport(format, folder);
    for (const std::string table : {"summary", "ranges", "types", "families"}) {
      std::vector<std::string> rows =
          exported.rows.count(table) ? exported.rows.at(table) : std::vector<std::string>{};
      if (table == "types" || table == "families") {
        EXPECT_TRUE(exported.header.at(table).ends_with("\tdp\tdp_norm")) << table;
        rows = WithoutDp(rows);
      }
      EXPECT_EQ(rows, printed.rows.count(table) ? printed.rows.at(table) : std::vector<std::string>{})
          << table;
    }
    ASSERT_EQ(exported.rows.at("texts").size(), files);
    ASSERT_EQ(printed.wordsPerText.size(), files);
    // Coverage per text against the per-file counts of the type sections, summed by list.
    for (size_t k = 0; k < files; ++k) {
      const std::vector<std::string> cells = SplitTabs(exported.rows.at("texts")[k]);
      const int64_t tokens = std::stoll(cells[1]);
      EXPECT_EQ(tokens, printed.wordsPerText[k]);
      EXPECT_EQ(std::stoll(cells[2]), printed.typesPerText[k]) << "types of text " << k + 1;
      int64_t covered = 0;
      for (int list = 1; list <= 3; ++list) {
        const int64_t listed = printed.tokensByList.at(std::to_string(list))[k];
        EXPECT_EQ(std::stoll(cells[2 + list]), listed);
        covered += listed;
        char pct[32];
        std::snprintf(pct, sizeof pct, "%.2f", tokens ? covered * 100.0 / tokens : 0.0);
        EXPECT_EQ(cells[6 + list], pct);
      }
      EXPECT_EQ(std::stoll(cells[6]), printed.tokensByList.at("none")[k]);
    }
  }

  std::vector<std::string> texts;
};

TEST_F(ReportDataTest, EveryFormatHoldsTheResultsFilesRowsAndTheCoverageOfEachText) {
  const std::vector<std::string> plain = [&] {
    Run(texts);
    return ResultLines();
  }();
  const std::vector<std::string> lines = RunExporting(texts, "csv,tsv,json,xlsx");
  // Reading the store for the exports changes nothing the results file shows, counters included.
  EXPECT_EQ(lines, plain);
  const PrintedTables printed = ReadResultsFile(lines);
  ASSERT_EQ(printed.rows.at("types").size() > 1000, true);
  for (const char* format : {"csv", "tsv", "json", "xlsx"}) {
    ExpectExportMatches(printed, format, dir.File("export"), texts.size());
  }
  // Nothing but the finished files is left in the folder.
  for (const auto& entry : fs::directory_iterator(dir.File("export"))) {
    EXPECT_EQ(entry.path().extension() == ".tmp", false) << entry.path();
  }
}

TEST_F(ReportDataTest, SortedOrdersAndTheStopListExportTheirOwnRows) {
  for (const char* sort : {"freq", "range"}) {
    SCOPED_TRACE(sort);
    host.options.sortbyalpha = false;
    host.options.sortbyfreq = std::string(sort) == "freq";
    host.options.sortbyrange = std::string(sort) == "range";
    host.options.UseStopList = host.options.sortbyfreq;
    if (host.options.UseStopList) {
      ASSERT_EQ(ChooseStopList(engine, dir.File("stop.txt")), StopListChoice::kLoaded);
    }
    const std::vector<std::string> plain = [&] {
      engine.exports = {};
      Run(texts);
      return ResultLines();
    }();
    const std::vector<std::string> lines = RunExporting(texts, "csv");
    EXPECT_EQ(lines, plain);
    const PrintedTables printed = ReadResultsFile(lines);
    const ExportedTables exported = ReadExport("csv", dir.File("export"));
    EXPECT_EQ(WithoutDp(exported.rows.at("types")), printed.rows.at("types"));
    EXPECT_EQ(WithoutDp(exported.rows.at("families")), printed.rows.at("families"));
    if (!host.options.UseStopList) continue;
    // The stop words' tokens are in tokens_stop: the listed ones and they make up the text.
    EXPECT_NE(exported.header.at("texts").find("tokens_stop"), std::string::npos);
    int64_t stopTokens = 0;
    for (size_t k = 0; k < texts.size(); ++k) {
      const std::vector<std::string> cells = SplitTabs(exported.rows.at("texts")[k]);
      int64_t listed = printed.tokensByList.at("none")[k];
      for (int list = 1; list <= 3; ++list) listed += printed.tokensByList.at(std::to_string(list))[k];
      EXPECT_EQ(std::stoll(cells[6]), printed.wordsPerText[k] - listed);
      stopTokens += std::stoll(cells[6]);
    }
    EXPECT_GT(stopTokens, 0);
  }
}

TEST_F(ReportDataTest, BatchReportsExportIntoAFolderPerText) {
  host.options.BatchFiles = true;
  const std::vector<std::string> five(texts.begin(), texts.begin() + 5);
  RunExporting(five, "csv,json");
  for (const std::string& name : five) {
    const std::string results = BatchResultsName(dir.File(name));
    const PrintedTables printed = ReadResultsFile(SplitCrLf(ReadFile(results)));
    const std::string folder = dir.File("export/" + name.substr(0, name.rfind('.')));
    for (const char* format : {"csv", "json"}) ExpectExportMatches(printed, format, folder, 1);
  }
}

// Three texts of 4, 6 and 10 tokens (shares 0.2, 0.3, 0.5): P is spread as the texts are large,
// X is in the second alone (DP = 1 - 0.3, DP_norm = 0.7 / (1 - 0.2)). Among 62 empty texts more
// (a run beyond the slots) DP stays, and DP_norm equals it, the smallest share being 0.
TEST_F(ReportDataTest, DpOfThreeSmallTextsAndOfThemAmongEmptyOnes) {
  engine.ListCount = 0;
  Put("s1.txt", "p p q r\n");
  Put("s2.txt", "p p p x s t\n");
  Put("s3.txt", "p p p p p u v w y z\n");
  Put("empty.txt", "");
  std::vector<std::string> names = {"s1.txt", "s2.txt", "s3.txt"};
  for (const size_t count : {size_t{3}, size_t{65}}) {
    SCOPED_TRACE(count);
    names.resize(count, "empty.txt");
    RunExporting(names, "csv");
    std::map<std::string, std::pair<std::string, std::string>> dp;
    std::stringstream in(ReadFile(dir.File("export/types.csv")));
    std::string line;
    std::getline(in, line);
    EXPECT_TRUE(line.ends_with(",dp,dp_norm\r") || line.ends_with(",dp,dp_norm")) << line;
    while (std::getline(in, line)) {
      if (line.back() == '\r') line.pop_back();
      const size_t last = line.rfind(',');
      const size_t before = line.rfind(',', last - 1);
      dp[line.substr(0, line.find(','))] = {line.substr(before + 1, last - before - 1),
                                            line.substr(last + 1)};
    }
    EXPECT_EQ(dp["P"], std::make_pair(std::string("0"), std::string("0")));
    EXPECT_EQ(dp["X"].first, "0.7");
    EXPECT_EQ(dp["X"].second, count == 3 ? "0.875" : "0.7");
    // Q, only in the first text: 1 - 0.2.
    EXPECT_EQ(dp["Q"].first, "0.8");
  }
}

}  // namespace
}  // namespace quarn::testing
