// One report's results as data: the tables the results file prints, plus coverage per text.
// Filled from the store at report time (report/ReportData.h); read by the exports and the
// window's results explorer. Words and file names are as the engine holds them (Windows-1252
// words; names as the system gives them): converting them is the reader's business.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarn {

// Row labels of the list codes: "1".."64", "stop" (65), "none" (66), "total" (0).
std::string ListLabel(int code);
constexpr int kTotalRowCode = 0;

// part / whole * 100 with two decimals ("12.34"), rounded as the results file rounds them;
// "0.00" when whole is 0.
std::string PercentText(int64_t part, int64_t whole);

struct ResultsText {
  std::string file;  // as listed in the input list
  int64_t lines = 0;
  int64_t words = 0;  // the text's "Number of words"
};

struct ResultsList {
  int list = 0;       // 1..ListCount
  std::string file;   // the list's file name
  bool used = false;  // loaded and reported by this run
};

// What the run was: its input texts and options.
struct ResultsRun {
  std::vector<ResultsText> texts;
  std::vector<ResultsList> lists;
  std::string resultsFile;
  std::string sortOrder;  // "alpha", "freq" or "range"
  bool batch = false;
  bool stopList = false;
  bool forms = true;
  bool others = true;
  bool numbers = true;
  // How the texts were cut into words, so that an opened profile reads them again as the run
  // did: Ignore '<>' and the class of every character (quarn.txt); no classes when unknown.
  bool ignoreAngle = false;
  std::vector<uint8_t> charClasses;  // 256 entries or none
};

struct SummaryRow {
  int list = 0;  // list code, kNoListCode or kTotalRowCode
  int64_t tokens = 0;
  int64_t tokensWhole = 0;  // the percentages' wholes
  int64_t types = 0;
  int64_t typesWhole = 0;
  std::optional<int64_t> families;  // none for the words in no list ("?????")
  bool percentages = true;          // the Total row has none
};

struct ListSizeRow {
  int list = 0;
  std::string file;
  int64_t types = 0;
  int64_t families = 0;
};

struct RangeRow {
  bool family = false;  // unit: "family" or "type"
  int files = 0;
  int64_t count = 0;
};

// A row of a type section or of "LIST OF FAMILY GROUPS".
struct WordRow {
  std::string word;  // Windows-1252
  int list = 0;      // list code 1..66 (families: the list, not list * 100)
  int range = 0;
  int64_t freq = 0;        // a family's type_freq
  int64_t familyFreq = 0;  // families only
  std::vector<int32_t> fileCounts;  // f1..fN
  // Gries's DP over the run's texts, and DP_norm (report/Dispersion.h).
  double dp = 0;
  double dpNorm = 0;
};

// Coverage of one input text by the lists.
struct TextRow {
  std::string file;
  int64_t tokens = 0;
  int64_t types = 0;
  std::vector<int64_t> listTokens;  // tokens_1..tokens_n
  int64_t stopTokens = 0;
  int64_t noneTokens = 0;

  // coverage_k (k = 1..n) as two-decimal text: the cumulative share of the first k lists.
  std::string Coverage(int k) const;
  // The smallest k whose coverage is at least percent, or nothing when all lists fall short.
  std::optional<int> ListsFor(int percent) const;
};

struct ResultsModel {
  ResultsRun run;
  int fileColumns = 0;  // N of f1..fN
  // The long table type_counts (word, file, freq) is sent: asked for, and the texts more than
  // the file columns can show.
  bool typeCounts = false;
  std::vector<SummaryRow> summary;
  std::vector<ListSizeRow> lists;
  std::vector<RangeRow> ranges;
  std::vector<TextRow> texts;
  // Held only when asked for (the window); the exports stream them from the store.
  std::vector<WordRow> types;
  std::vector<WordRow> families;
  // Each text's word counts when the file columns cannot hold them (typeCounts, or a run over
  // more texts than columns kept for the window): textCounts[k] holds text k's words (indexes
  // into countWords) in the order of the type_counts table. Held only for the window.
  struct TextCount {
    int32_t word = 0;
    int64_t count = 0;
  };
  std::vector<std::string> countWords;
  std::vector<std::vector<TextCount>> textCounts;
};

}  // namespace quarn
