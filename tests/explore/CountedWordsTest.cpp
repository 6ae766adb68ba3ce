#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "TempDir.h"
#include "explore/Concordance.h"
#include "explore/CountedWords.h"
#include "explore/ShownText.h"
#include "text/CharCase.h"

namespace quarn::testing {
namespace {

std::vector<std::string> Cut(const std::string& line, std::vector<size_t>* starts = nullptr) {
  std::string upper;
  std::vector<LineWord> words = {{0, 0, "LEFT OVER"}};
  CutCountedWords(line, TextCutting{}, &upper, &words);
  std::vector<std::string> out;
  for (const LineWord& w : words) {
    out.push_back(w.upper);
    if (starts != nullptr) starts->push_back(w.start);
    EXPECT_EQ(UpperCase(line.substr(w.start, w.length)), w.upper);
  }
  return out;
}

// Trimmed as the scan trims (a comment once trimmed has no words), the places bytes of the line
// as given, the words of an earlier line gone.
TEST(CountedWordsTest, WordsAsTheScanCountsThem) {
  std::vector<size_t> starts;
  EXPECT_EQ(Cut(" \tThe cat  sat.\t ", &starts), (std::vector<std::string>{"THE", "CAT", "SAT"}));
  EXPECT_EQ(starts, (std::vector<size_t>{2, 6, 11}));
  EXPECT_TRUE(Cut("  # not counted").empty());
  EXPECT_TRUE(Cut(" \t ").empty());
  EXPECT_TRUE(IsWordPerfectLine("\xFFWPC"));
  EXPECT_FALSE(IsWordPerfectLine("WPC"));
}

// The marked text and the concordance of the 8-bit texts cut the same words, line for line.
TEST(CountedWordsTest, ShownAndScannedLinesHoldTheSameWords) {
  TempDir dir;
  WriteFile(dir.File("t.txt"), "  Caf\xE9 au lait\n# a comment\n\n\tna\xEFve  zebras <b>x</b>\n");
  std::vector<std::vector<std::string>> scanned, shown;
  auto collect = [](std::vector<std::vector<std::string>>* into) {
    return [into](int64_t, const std::string&, const std::vector<LineWord>& words) {
      into->emplace_back();
      for (const LineWord& w : words) into->back().push_back(w.upper);
      return true;
    };
  };
  ASSERT_TRUE(
      ForEachTextLine(*FileSystem::Default(), dir.File("t.txt"), TextCutting{}, collect(&scanned))
          .ok());
  ASSERT_TRUE(
      ForEachShownLine(*FileSystem::Default(), dir.File("t.txt"), TextCutting{}, collect(&shown))
          .ok());
  ASSERT_EQ(scanned.size(), 4u);
  EXPECT_EQ(scanned, shown);
  EXPECT_EQ(scanned[0], (std::vector<std::string>{"CAF\xC9", "AU", "LAIT"}));
  EXPECT_TRUE(scanned[1].empty());
}

// A search tells the texts it has searched, and stops when told to: a cancelled search says so
// rather than passing for a complete one.
TEST(CountedWordsTest, ContextSearchTellsItsProgressAndStopsWhenCancelled) {
  TempDir dir;
  std::vector<std::string> paths;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    WriteFile(dir.File(name), "one node\nnode two\n");
    paths.push_back(dir.File(name));
  }
  std::atomic<bool> cancel{false};
  std::vector<size_t> told;
  SearchControl control;
  control.cancel = &cancel;
  control.textsDone = [&](size_t searched) { told.push_back(searched); };
  std::vector<ContextLine> lines;
  ASSERT_TRUE(
      FindContexts(*FileSystem::Default(), paths, TextCutting{}, {"NODE"}, 20, &lines, control)
          .ok());
  EXPECT_EQ(lines.size(), 6u);
  EXPECT_EQ(told, (std::vector<size_t>{1, 2, 3}));

  lines.clear();
  told.clear();
  control.textsDone = [&](size_t searched) {
    told.push_back(searched);
    cancel = true;  // as Cancel would, while the second text waits
  };
  const Status s =
      FindContexts(*FileSystem::Default(), paths, TextCutting{}, {"NODE"}, 20, &lines, control);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(s.reason(), "search cancelled");
  EXPECT_EQ(told, (std::vector<size_t>{1}));
  EXPECT_EQ(lines.size(), 2u);  // the first text's only
}

}  // namespace
}  // namespace quarn::testing
