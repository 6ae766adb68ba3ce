// Runs over more texts than a record has FileCounts slots: every word's and family's range and
// frequency over all the texts, and the range tables as wide as the texts are many.
#include "report/TextRanges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "GeneratedCorpus.h"
#include "RunFixture.h"
#include "lists/StopList.h"

namespace quarn::testing {
namespace {

// A row of a type or family section: its numbers before the per-file columns.
struct Row {
  int range = 0;
  int freq = 0;
  int famFreq = 0;  // families only
  bool operator==(const Row&) const = default;
};

// The rows of a results file's sections, keyed by section title and word, in file order, and
// the two range tables (range -> count).
struct Results {
  std::vector<std::pair<std::string, Row>> rows;
  std::map<int, int> typeRanges;
  std::map<int, int> familyRanges;
  size_t headerCells = 0;  // tab-separated cells of the first section header line
  std::vector<std::string> summary;  // the summary table, "WORD LIST" to "Total"

  std::map<std::string, Row> ByKey() const { return {rows.begin(), rows.end()}; }
};

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  std::stringstream in(line);
  std::string f;
  while (std::getline(in, f, '\t')) out.push_back(f);
  return out;
}

std::string Trimmed(const std::string& s) {
  const size_t end = s.find_last_not_of(' ');
  const size_t start = s.find_first_not_of(' ');
  return end == std::string::npos ? std::string() : s.substr(start, end - start + 1);
}

Results Parse(const std::vector<std::string>& lines) {
  Results r;
  std::string title;
  std::map<int, int>* table = nullptr;
  bool family = false;
  for (const std::string& line : lines) {
    if (line.rfind("WORD LIST", 0) == 0 || (!r.summary.empty() && r.summary.back().rfind("Total", 0)))
      r.summary.push_back(line);
    if (line == "Table of Ranges: Types") table = &r.typeRanges;
    if (line == "Table of Ranges: Families") table = &r.familyRanges;
    if (line.find('\t') == std::string::npos) {
      if (!Trimmed(line).empty()) title = Trimmed(line);
      continue;
    }
    const std::vector<std::string> f = Fields(line);
    if (f.size() >= 2 && f[1].rfind("Words appear in ", 0) == 0) {
      (*table)[std::stoi(f[1].substr(16))] = std::stoi(f[0]);
      continue;
    }
    if (f[1] == " RANGE") {
      family = f[0].rfind("TYPE", 0) != 0;
      if (family) title = Trimmed(f[0]);
      if (r.headerCells == 0) r.headerCells = f.size();
      continue;
    }
    Row row{std::stoi(f[1]), std::stoi(f[2]), family ? std::stoi(f[3]) : 0};
    r.rows.emplace_back(title + "|" + Trimmed(f[0]), row);
  }
  return r;
}

// The rows of an exported CSV table (its words hold no commas or quotes), header first.
std::vector<std::vector<std::string>> ReadCsv(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::stringstream in(ReadFile(path));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::stringstream cellsIn(line);
    std::string cell;
    while (std::getline(cellsIn, cell, ',')) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

class TextRangesTest : public RunFixture {
 protected:
  // The sample lists as BASEWRD1..3; texts come from the generated corpus.
  void SetUp() override {
    for (int n = 1; n <= 3; ++n) Put("BASEWRD" + std::to_string(n) + ".txt", corpus.List(n));
  }

  std::vector<std::string> Texts(size_t count) {
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) {
      names.push_back(GeneratedCorpus::TextName(i));
      Put(names.back(), corpus.Text(i));
    }
    return names;
  }

  // What a run over names must report, worked out from a batch run, which reports each text
  // on its own: a key's range is the number of texts whose report has it, its numbers the sums.
  // Also keeps each text's counts by key (family keys: FAFREQ) and its tokens in perText and
  // tokens.
  Results FromTextByText(const std::vector<std::string>& names) {
    host.options.BatchFiles = true;
    Run(names, "");
    host.options.BatchFiles = false;
    EXPECT_EQ(outcome.reportsWritten, static_cast<int>(names.size()));
    std::map<std::string, Row> sums;
    perText.clear();
    tokens.clear();
    for (const std::string& name : names) {
      const std::string results = name.substr(0, name.size() - 4) + "_quarn.txt";
      const std::vector<std::string> lines = ResultLines(results);
      std::map<std::string, int64_t>& counts = perText.emplace_back();
      for (const auto& [key, row] : Parse(lines).rows) {
        Row& sum = sums[key];
        sum.range += 1;
        sum.freq += row.freq;
        sum.famFreq += row.famFreq;
        counts[key] = key.rfind("BASE ", 0) == 0 ? row.famFreq : row.freq;
      }
      for (const std::string& line : lines) {
        const size_t at = line.find(" Number of words: ");
        if (at != std::string::npos) tokens.push_back(std::stoll(line.substr(at + 18)));
      }
    }
    Results expected;
    for (const auto& [key, row] : sums) {
      expected.rows.emplace_back(key, row);
      const bool family = key.rfind("BASE ", 0) == 0;
      ++(family ? expected.familyRanges : expected.typeRanges)[row.range];
    }
    return expected;
  }

  // DP by key from perText and tokens, in floating point as the formula reads.
  std::map<std::string, double> ExpectedDp() {
    double total = 0;
    for (const int64_t t : tokens) total += static_cast<double>(t);
    std::map<std::string, double> freq;
    for (const auto& counts : perText)
      for (const auto& [key, count] : counts) freq[key] += static_cast<double>(count);
    std::map<std::string, double> dp;
    for (const auto& [key, f] : freq) {
      double sum = 0;
      for (size_t i = 0; i < perText.size(); ++i) {
        const auto c = perText[i].find(key);
        const double v = c == perText[i].end() ? 0 : static_cast<double>(c->second) / f;
        sum += std::abs(v - static_cast<double>(tokens[i]) / total);
      }
      dp[key] = sum / 2;
    }
    return dp;
  }

  // Runs names as one run and checks it, and its export with the type counts, against the
  // text-by-text reports.
  void CheckAgainstTextByText(const std::vector<std::string>& names) {
    const Results expected = FromTextByText(names);
    ASSERT_EQ(tokens.size(), names.size());
    engine.exports.folder = dir.File("export");
    engine.exports.csv = true;
    engine.exports.counts = true;
    Run(names);
    ASSERT_FALSE(engine.failed());
    ASSERT_EQ(outcome.reportsWritten, 1);
    const Results got = Parse(ResultLines());
    EXPECT_EQ(got.ByKey(), expected.ByKey());
    EXPECT_EQ(got.typeRanges, expected.typeRanges);
    EXPECT_EQ(got.familyRanges, expected.familyRanges);
    // The listings end after FREQ: no per-file columns.
    EXPECT_EQ(got.headerCells, 3u);
    EXPECT_FALSE(Exists(dir.File("texts.dvp")));
    EXPECT_TRUE(ScratchFilesGone());

    // dp of every type and family row, against the formula over the texts' own counts.
    const std::map<std::string, double> dp = ExpectedDp();
    const char* kTitles[] = {"Types Found In Base List One", "Types Found In Base List Two",
                             "Types Found In Base List Three"};
    const char* kFamilyTitles[] = {"BASE ONE FAMILIES", "BASE TWO FAMILIES", "BASE THREE FAMILIES"};
    size_t checked = 0;
    for (const bool family : {false, true}) {
      const auto rows = ReadCsv(dir.File(family ? "export/families.csv" : "export/types.csv"));
      ASSERT_GT(rows.size(), 1u);
      ASSERT_EQ(rows[0].back(), "dp_norm");
      ASSERT_EQ(rows[0][rows[0].size() - 2], "dp");
      ASSERT_EQ(rows[0].size(), family ? 7u : 6u);  // no f1..fN
      for (size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string>& r = rows[i];
        const int list = r[1] == "none" ? 0 : std::stoi(r[1]);
        const std::string title = family ? kFamilyTitles[list - 1]
                                  : list == 0 ? "Types Not Found In Any List" : kTitles[list - 1];
        const auto want = dp.find(title + "|" + r[0]);
        ASSERT_NE(want, dp.end()) << r[0];
        EXPECT_NEAR(std::stod(r[r.size() - 2]), want->second, 1e-9) << title << " " << r[0];
        ++checked;
      }
    }
    EXPECT_EQ(checked, expected.rows.size());

    // type_counts: one row per word and text it occurs in, its count there.
    std::map<std::pair<std::string, std::string>, int64_t> counts;
    for (size_t i = 0; i < names.size(); ++i) {
      for (const auto& [key, count] : perText[i]) {
        if (key.rfind("BASE ", 0) == 0) continue;
        counts[{key.substr(key.find('|') + 1), dir.File(names[i])}] = count;
      }
    }
    const auto rows = ReadCsv(dir.File("export/type_counts.csv"));
    ASSERT_EQ(rows[0], (std::vector<std::string>{"word", "file", "freq", "text"}));
    std::map<std::pair<std::string, std::string>, int64_t> exported;
    for (size_t i = 1; i < rows.size(); ++i) exported[{rows[i][0], rows[i][1]}] = std::stoll(rows[i][2]);
    EXPECT_EQ(exported.size(), rows.size() - 1);
    EXPECT_EQ(exported, counts);
    // One texts row per text, each with its own tokens and its number, the key type_counts
    // gives each count's text by.
    const auto texts = ReadCsv(dir.File("export/texts.csv"));
    ASSERT_EQ(texts.size(), names.size() + 1);
    ASSERT_EQ(texts[0].back(), "text");
    for (size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(texts[i + 1][0], dir.File(names[i]));
      EXPECT_EQ(std::stoll(texts[i + 1][1]), tokens[i]);
      EXPECT_EQ(texts[i + 1].back(), std::to_string(i + 1));
    }
    for (size_t i = 1; i < rows.size(); ++i) {
      const size_t text = std::stoul(rows[i][3]);
      ASSERT_TRUE(text >= 1 && text <= names.size()) << rows[i][3];
      EXPECT_EQ(rows[i][1], texts[text][0]);
    }
  }

  std::vector<std::map<std::string, int64_t>> perText;
  std::vector<int64_t> tokens;
  const GeneratedCorpus corpus;
};

TEST_F(TextRangesTest, SixtyFiveTextsAgreeWithTheirCountsTextByText) {
  CheckAgainstTextByText(Texts(65));
}

TEST_F(TextRangesTest, FiveHundredTextsAgreeWithTheirCountsTextByText) {
  const std::vector<std::string> names = Texts(500);
  CheckAgainstTextByText(names);
  // Ranges up to 500 are printed in full after "Words appear in ".
  const std::vector<std::string> lines = ResultLines();
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
    return l.find("\tWords appear in 500 input files") != std::string::npos;
  }));
}

// 64 texts go through the FileCounts slots, 65 through the tally: with an empty 65th text every
// row reads the same, and in the same order when sorted by range (ties broken by the word); a
// copy of text 1 as the 65th adds one text and its counts to that text's words and families.
TEST_F(TextRangesTest, SixtyFourAndSixtyFiveTextsGiveTheSameRanges) {
  std::vector<std::string> names = Texts(64);
  Put("empty.txt", "");
  // Stop words in no list leave the summary's totals alike too.
  host.options.UseStopList = true;
  engine.stopList.emplace();
  ASSERT_TRUE(LoadStopList(engine, Put("stop.txt", corpus.OutsideWords()[0] + "\n" +
                                                      corpus.OutsideWords()[1] + "\n"))
                  .ok());
  for (const bool byRange : {false, true}) {
    SCOPED_TRACE(byRange ? "sorted by range" : "alphabetical");
    host.options.sortbyalpha = !byRange;
    host.options.sortbyrange = byRange;
    Run(names);
    const Results slots = Parse(ResultLines());
    ASSERT_EQ(slots.headerCells, 3u + 64u);
    std::vector<std::string> more = names;
    more.push_back("empty.txt");
    Run(more);
    const Results tallied = Parse(ResultLines());
    ASSERT_GT(slots.rows.size(), 1000u);
    EXPECT_EQ(tallied.rows, slots.rows);  // in the same order
    EXPECT_EQ(tallied.typeRanges, slots.typeRanges);
    EXPECT_EQ(tallied.familyRanges, slots.familyRanges);
    ASSERT_GT(slots.summary.size(), 5u);
    EXPECT_EQ(tallied.summary, slots.summary);
  }
  host.options.UseStopList = false;

  host.options.sortbyalpha = true;
  host.options.sortbyrange = false;
  Run({names[0]});
  const std::map<std::string, Row> first = Parse(ResultLines()).ByKey();
  Run(names);
  std::map<std::string, Row> expected = Parse(ResultLines()).ByKey();
  for (const auto& [key, row] : first) {
    Row& e = expected[key];
    e.range += 1;
    e.freq += row.freq;
    e.famFreq += row.famFreq;
  }
  std::vector<std::string> again = names;
  again.push_back(names[0]);
  Run(again);
  EXPECT_EQ(Parse(ResultLines()).ByKey(), expected);
}

}  // namespace
}  // namespace quarn::testing
