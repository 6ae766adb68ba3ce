#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "FileKind.h"
#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "lists/BasewordLoader.h"
#include "lists/StopList.h"
#include "state/Engine.h"
#include "store/WordEntry.h"
#include "store/WordTree.h"
#include "text/CharCase.h"
#include "text/CharClassTable.h"

namespace quarn {
namespace {

using testing::TempDir;
using testing::TestHost;
using testing::WriteFile;
using Entries = std::vector<std::string>;

class StopListTest : public ::testing::Test {
 protected:
  StopListTest() : e(host) {
    EXPECT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  }

  void Occur(const std::string& word, int times = 1) {
    for (int i = 0; i < times; ++i) {
      addtowrdlist(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word, e.tree.wordGrow);
      e.counters.TotalTokens += 1;  // as the scanner counts
    }
  }
  int32_t Code(const std::string& word) {
    TreeNode node{};
    checklist(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word, &node);
    return node.ListCode;
  }
  void UseStopWords(const Entries& words) {
    e.stopList.emplace();
    for (const std::string& w : words) e.stopList->Add(w);
  }

  TestHost host;
  TempDir dir;
  Engine e;
};

TEST(StopListEntries, SortedWithoutDuplicates) {
  StopList list;
  list.Add("THE");
  list.Add("AND");
  list.Add("THE");
  list.Add("");
  list.Add("\xC9TAT");  // sorts by unsigned byte, after every ASCII entry
  list.Add("A");
  Entries expected = {"", "A", "AND", "THE", "\xC9TAT"};
  EXPECT_EQ(list.entries(), expected);
  EXPECT_TRUE(list.Contains("AND"));
  EXPECT_TRUE(list.Contains("\xC9TAT"));
  EXPECT_FALSE(list.Contains("AN"));
  EXPECT_FALSE(list.Contains("ANDY"));
  EXPECT_FALSE(list.Contains("Z"));
}

TEST_F(StopListTest, AbsentListHoldsNothing) {
  EXPECT_FALSE(InStopList(e, "THE"));
  EXPECT_FALSE(InStopList(e, ""));
  e.stopList.emplace();
  EXPECT_FALSE(InStopList(e, "THE"));
}

TEST_F(StopListTest, LoadKeepsLinesAsWrittenUpperCased) {
  const std::string long35 = "abcdefghijklmnopqrstuvwxyzabcdefghi";
  WriteFile(dir.File("stop.txt"),
            "the\r\nThe \r\n the\nTHE\r#Note\r\n\r\n" + long35 + "\r\n\xE9t\xE9\r\nand");
  e.stopList.emplace();
  ASSERT_TRUE(LoadStopList(e, dir.File("stop.txt")).ok());
  Entries expected = {"",    " THE", "#NOTE", "ABCDEFGHIJKLMNOPQRSTUVWXYZABCD",
                      "AND", "THE",  "THE ",  "\xC9T\xC9"};
  EXPECT_EQ(e.stopList->entries(), expected);
  EXPECT_TRUE(InStopList(e, "THE"));
  EXPECT_TRUE(InStopList(e, "ABCDEFGHIJKLMNOPQRSTUVWXYZABCD"));
  EXPECT_FALSE(InStopList(e, "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHI"));
}

TEST_F(StopListTest, MissingFileFailsAndLeavesListEmpty) {
  e.stopList.emplace();
  Status s = LoadStopList(e, dir.File("nothere.txt"));
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(s.path(), dir.File("nothere.txt"));
  ASSERT_TRUE(e.stopList.has_value());
  EXPECT_EQ(e.stopList->size(), 0u);
}

TEST_F(StopListTest, LoadingAShuffledFileGivesTheListOfAddingLineByLine) {
  // Words in several letter cases, many times each, long lines sharing their first 30
  // characters, blanks kept, empty lines and 8-bit letters; shuffled.
  std::vector<std::string> lines;
  std::mt19937 random(15);
  for (int i = 0; i < 4000; ++i) {
    std::string word;
    const int length = static_cast<int>(random() % 6);
    for (int k = 0; k < length; ++k) word += static_cast<char>("aBcE \xE9#"[random() % 7]);
    if (i % 97 == 0) word = "abcdefghijklmnopqrstuvwxyzabcd" + std::to_string(i % 5);
    lines.push_back(word);
  }
  std::shuffle(lines.begin(), lines.end(), random);
  std::string file;
  for (const std::string& line : lines) file += line + "\r\n";
  WriteFile(dir.File("stop.txt"), file);

  // Entries present before the load take part too.
  StopList byLine;
  e.stopList.emplace();
  for (const char* earlier : {"CAB", "ZZZ", "BEE"}) {
    byLine.Add(earlier);
    e.stopList->Add(earlier);
  }
  for (std::string line : lines) {
    if (line.size() > 30) line.resize(30);
    UpperCaseInPlace(line);
    byLine.Add(line);
  }
  e.encoding = TextEncoding::kCp1252;
  ASSERT_TRUE(LoadStopList(e, dir.File("stop.txt")).ok());
  EXPECT_EQ(e.stopList->entries(), byLine.entries());
  EXPECT_GT(byLine.size(), 500u);
  EXPECT_LT(byLine.size(), lines.size() / 2);
}

TEST_F(StopListTest, OnlyRegularFilesAreRead) {
  // A folder, a pipe (whose opening would wait for a writer) and a device (that never ends).
  const std::string fifo = dir.File("stop.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {dir.path(), fifo, std::string("/dev/zero")}) {
    e.stopList.emplace();
    const Status s = LoadStopList(e, path);
    EXPECT_EQ(s.ToString(), path + ": not a regular file");
    EXPECT_EQ(e.stopList->size(), 0u);
    EXPECT_EQ(ExamineFile(e.fs, path), FileKind::kNotRegular);
  }
  EXPECT_EQ(LoadStopList(e, dir.File("nothere.txt")).ToString(),
            dir.File("nothere.txt") + ": No such file or directory");
  EXPECT_EQ(ExamineFile(e.fs, dir.File("nothere.txt")), FileKind::kMissing);
}

// quarn-cli profile with a stop list that cannot be read: the run goes on, the exit status
// tells.
TEST(StopListCli, UnreadStopListSetsTheExitStatusAfterTheRun) {
  TempDir dir;
  WriteFile(dir.File("BASEWRD1.txt"), "THE 0\n");
  WriteFile(dir.File("BASEWRD2.txt"), "CAT 0\n");
  WriteFile(dir.File("BASEWRD3.txt"), "SAT 0\n");
  WriteFile(dir.File("a.txt"), "The cat sat.\n");
  WriteFile(dir.File("stop.txt"), "the\n");
  ASSERT_EQ(mkfifo(dir.File("stop.fifo").c_str(), 0600), 0);
  auto profile = [&](const std::string& stop) {
    std::remove(dir.File("out_quarn.txt").c_str());
    const std::string command = "cd '" + dir.path() + "' && '" + QUARN_CLI_PATH +
                                "' profile --results out --stop '" + stop +
                                "' a.txt >log.txt 2>&1 </dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(profile("stop.txt"), 0);
  for (const char* stop : {"nothere.txt", "stop.fifo", "/dev/urandom"}) {
    EXPECT_EQ(profile(stop), 1) << stop;
    EXPECT_TRUE(testing::Exists(dir.File("out_quarn.txt"))) << stop;
  }
  EXPECT_NE(testing::ReadFile(dir.File("log.txt")).find("ERROR /dev/urandom: not a regular file"),
            std::string::npos);
  EXPECT_EQ(testing::ReadFile(dir.File("log.txt")).find("does not exist"), std::string::npos);
}

TEST_F(StopListTest, UntrimmedEntriesMatchNothing) {
  Occur("THE", 2);
  WriteFile(dir.File("stop.txt"), " the\r\nThe \r\n");
  e.stopList.emplace();
  ASSERT_TRUE(LoadStopList(e, dir.File("stop.txt")).ok());
  ApplyStopList(e);
  EXPECT_EQ(Code("THE"), kNoListCode);
  EXPECT_EQ(e.counters.TotalTokens, 2);
  EXPECT_EQ(e.counters.OtherTypes, 1);
}

TEST_F(StopListTest, LongStopLineMatchesTheKeptWord) {
  // The scanner keeps the first 30 letters of a longer word.
  const std::string kept = "ABCDEFGHIJKLMNOPQRSTUVWXYZABCD";
  Occur(kept);
  WriteFile(dir.File("stop.txt"), "abcdefghijklmnopqrstuvwxyzabcdXYZZY\r\n");
  e.stopList.emplace();
  ASSERT_TRUE(LoadStopList(e, dir.File("stop.txt")).ok());
  ApplyStopList(e);
  EXPECT_EQ(Code(kept), kStopListCode);
  EXPECT_EQ(e.counters.TotalTokens, 0);
}

TEST_F(StopListTest, ApplyMovesOnlyWordsInNoList) {
  Occur("THE", 3);
  SetFileNumber(e, 2);
  Occur("THE");
  Occur("CAT", 2);
  Occur("AND", 2);
  // AND belongs to list 1 (with a family record AND, code 100) before the stop list acts.
  LoadBasewordFile(e, 1, {"AND"});
  ASSERT_EQ(e.counters.TotalTokens, 8);
  ASSERT_EQ(e.counters.OtherTypes, 2);
  ASSERT_EQ(e.tree.NodeCount, 4);
  UseStopWords({"THE", "AND", "CAT "});

  ApplyStopList(e);

  EXPECT_EQ(Code("THE"), kStopListCode);
  EXPECT_EQ(Code("AND"), 1);
  EXPECT_EQ(Code("CAT"), kNoListCode);
  TreeNode family{};
  checklist(e, e.tree.FamilyRoots['A'], "AND", &family);
  EXPECT_EQ(family.ListCode, 100);
  EXPECT_EQ(e.counters.OtherTypes, 1);
  EXPECT_EQ(e.counters.TotalTokens, 4);  // THE's 3 + 1 occurrences taken out
  EXPECT_EQ(e.counters.ListTokens[kStopListCode], 0);
}

TEST_F(StopListTest, ApplyPassesOverTheAppendedBlankRecord) {
  Occur("ZOO");
  Occur("THE", 2);
  // A sort appends a blank record; it is passed over.
  TreeNode blank = MakeBlankNode();
  e.tree.NodeCount += 1;
  WriteNode(e, e.tree.NodeCount, blank);
  UseStopWords({"THE", "ZOO", ""});
  ApplyStopList(e);
  EXPECT_EQ(Code("THE"), kStopListCode);
  EXPECT_EQ(Code("ZOO"), kStopListCode);
  EXPECT_EQ(e.counters.TotalTokens, 0);
  EXPECT_EQ(e.counters.OtherTypes, 0);
  TreeNode last{};
  ReadNode(e, 3, "test", &last);
  EXPECT_NE(last.ListCode, kStopListCode);
}

}  // namespace
}  // namespace quarn
