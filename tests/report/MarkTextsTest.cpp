#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "report/MarkTexts.h"
#include "state/Engine.h"
#include "store/WordEntry.h"
#include "store/WordTree.h"
#include "text/CharClassTable.h"

namespace quarn {
namespace {

using quarn::testing::FaultFileSystem;
using quarn::testing::ReadFile;
using quarn::testing::SplitCrLf;
using quarn::testing::TempDir;
using quarn::testing::TestHost;
using quarn::testing::WriteFile;

const std::string kHeader3 =
    "\r\n"
    "Unmarked words are in Basewrd1.txt\r\n"
    "Words marked with <2> are in Basewrd2.txt\r\n"
    "Words marked with <3> are in Basewrd3.txt\r\n"
    "Words marked with <!> are not in any of the lists\r\n"
    "\r\n";

// Marks the files and puts the copies in place, as a finished report does.
void MarkAndCommit(Engine& e, const std::vector<std::string>& files) {
  MarkTexts(e, files);
  CommitMarkedTexts(e);
}

class MarkTextsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  }

  // Enters word as the scanner does (list code 66).
  void Add(const std::string& word) {
    addtowrdlist(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word, e.tree.wordGrow);
  }
  // Gives a stored word the list code that loading would give it.
  void SetCode(const std::string& word, int32_t code) {
    TreeNode node;
    checklist(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word, &node);
    ASSERT_GE(node.NodeNumber, 0) << word;
    node.ListCode = code;
    WriteNode(e, node.NodeNumber, node);
  }
  void AddWithCode(const std::string& word, int32_t code) {
    Add(word);
    SetCode(word, code);
  }
  // Marks one text file holding text and returns the marked file's text lines (header dropped).
  std::vector<std::string> MarkLines(const std::string& text) {
    std::string in = dir.File("text.txt");
    WriteFile(in, text);
    MarkAndCommit(e, {in});
    EXPECT_FALSE(e.failed()) << e.runError.ToString();
    std::vector<std::string> lines = SplitCrLf(ReadFile(dir.File("text.mrk")));
    size_t header = 3 + static_cast<size_t>(e.ListCount);
    if (lines.size() < header) return {};
    return std::vector<std::string>(lines.begin() + static_cast<long>(header), lines.end());
  }

  TestHost host;
  TempDir dir;
  FaultFileSystem fs;
  Engine e{host, fs};
};

TEST_F(MarkTextsTest, WordsCarryTheirListWithHeaderAndMessages) {
  AddWithCode("THE", 1);
  AddWithCode("CAT", 2);
  Add("SAT");
  std::string in = dir.File("cat.txt");
  WriteFile(in, "The cat sat.\n");
  MarkAndCommit(e, {in});
  ASSERT_FALSE(e.failed());
  EXPECT_EQ(ReadFile(dir.File("cat.mrk")), kHeader3 + "THE {2}CAT {!}SAT.\r\n");
  std::vector<std::string> expected = {" ", " Marking file: " + in,
                                       "     as " + dir.File("cat.mrk")};
  EXPECT_EQ(e.progress.lines, expected);
  EXPECT_TRUE(host.boxes.empty());
}

TEST_F(MarkTextsTest, HeaderWithOneList) {
  e.ListCount = 1;
  std::string in = dir.File("a.txt");
  WriteFile(in, "");
  MarkAndCommit(e, {in});
  EXPECT_EQ(ReadFile(dir.File("a.mrk")),
            "\r\nUnmarked words are in Basewrd1.txt\r\n"
            "Words marked with <!> are not in any of the lists\r\n\r\n");
}

TEST_F(MarkTextsTest, LinesAreTrimmedAndCommentsCopied) {
  AddWithCode("THE", 1);
  AddWithCode("CAT", 2);
  std::vector<std::string> expected = {"THE {2}CAT", "", "# The cat  ", "# {0}NOTE", "{2}CAT"};
  EXPECT_EQ(MarkLines("   The cat\t \r\n\r\n# The cat  \r\n  # note\r\n\tcat"), expected);
}

TEST_F(MarkTextsTest, TextBetweenWordsKeepsItsCase) {
  AddWithCode("THE", 1);
  AddWithCode("CAT", 3);
  std::vector<std::string> expected = {"(THE) -- {3}CAT, 42 {3}CAT!"};
  EXPECT_EQ(MarkLines("(the) -- Cat, 42 CAT!\n"), expected);
}

TEST_F(MarkTextsTest, MarksFollowTheListCode) {
  AddWithCode("ONE", 1);
  AddWithCode("HUNDRED", 100);
  AddWithCode("FAMILY", 250);
  AddWithCode("STOP", 65);
  AddWithCode("STOPFAM", 6500);
  AddWithCode("FOUR", 4);
  AddWithCode("ODD", 99);
  Add("NONE");
  std::vector<std::string> expected = {
      "ONE HUNDRED {2}FAMILY {65}STOP {65}STOPFAM {4}FOUR {99}ODD {!}NONE {0}ABSENT"};
  EXPECT_EQ(MarkLines("one hundred family stop stopfam four odd none absent\n"), expected);
}

TEST_F(MarkTextsTest, LongWordIsMarkedInTwoParts) {
  AddWithCode("ABCDEFGHIJKLMNOPQRSTUVWXYZABCD", 2);
  // The 34 letters give the stored 30-letter word and then the absent word EFGH.
  std::vector<std::string> expected = {"{0}X {2}ABCDEFGHIJKLMNOPQRSTUVWXYZABCD{0}EFGH {0}Y"};
  EXPECT_EQ(MarkLines("x abcdefghijklmnopqrstuvwxyzabcdefgh y\n"), expected);
}

TEST_F(MarkTextsTest, TagsAreTextWhenAnglesAreIgnored) {
  AddWithCode("THE", 1);
  AddWithCode("CAT", 2);
  e.options.Ignore_Angle = true;
  std::vector<std::string> expected = {"<p>THE <b x>{2}CAT</b>"};
  EXPECT_EQ(MarkLines("<p>The <b x>cat</b>\n"), expected);
}

TEST_F(MarkTextsTest, TagLettersAreWordsOtherwise) {
  AddWithCode("THE", 1);
  std::vector<std::string> expected = {"<{0}P>THE"};
  EXPECT_EQ(MarkLines("<p>The\n"), expected);
}

TEST_F(MarkTextsTest, MarkedNames) {
  EXPECT_EQ(MarkedFileName("/a/b.txt"), "/a/b.mrk");
  EXPECT_EQ(MarkedFileName("/a/b.tar.gz"), "/a/b.tar.mrk");
  EXPECT_EQ(MarkedFileName("/a/noext"), "/a/noext.mrk");
  EXPECT_EQ(MarkedFileName("/a.dir/noext"), "/a.dir/noext.mrk");
  EXPECT_EQ(MarkedFileName("b.TXT"), "b.mrk");
}

TEST_F(MarkTextsTest, ExistingMarkedFileReplacedAfterOk) {
  std::string in = dir.File("a.txt");
  WriteFile(in, "cat\n");
  WriteFile(dir.File("a.mrk"), "old");
  host.answers = {true};
  MarkAndCommit(e, {in});
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "File " + dir.File("a.mrk") + " exists. Overwrite?");
  EXPECT_TRUE(host.boxes[0].withCancel);
  EXPECT_EQ(ReadFile(dir.File("a.mrk")), kHeader3 + "{0}CAT\r\n");
}

TEST_F(MarkTextsTest, CancelSkipsOnlyThatFile) {
  std::string a = dir.File("a.txt");
  std::string b = dir.File("b.txt");
  WriteFile(a, "cat\n");
  WriteFile(b, "dog\n");
  WriteFile(dir.File("a.mrk"), "old");
  host.answers = {false};
  MarkAndCommit(e, {a, b});
  EXPECT_FALSE(e.failed());
  EXPECT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(ReadFile(dir.File("a.mrk")), "old");
  EXPECT_EQ(ReadFile(dir.File("b.mrk")), kHeader3 + "{0}DOG\r\n");
  std::vector<std::string> expected = {" ", " Marking file: " + b, "     as " + dir.File("b.mrk")};
  EXPECT_EQ(e.progress.lines, expected);
}

// The copies are put in place only with the finished report; a text listed twice finds its first
// copy there already, as if it had been put in place, and is asked about.
TEST_F(MarkTextsTest, CopiesWaitForTheReportAndATextListedTwiceIsAskedAbout) {
  std::string a = dir.File("a.txt");
  WriteFile(a, "cat\n");
  host.answers = {true};
  MarkTexts(e, {a, a});
  EXPECT_FALSE(quarn::testing::Exists(dir.File("a.mrk")));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, "File " + dir.File("a.mrk") + " exists. Overwrite?");
  CommitMarkedTexts(e);
  EXPECT_FALSE(e.failed());
  EXPECT_EQ(ReadFile(dir.File("a.mrk")), kHeader3 + "{0}CAT\r\n");
  EXPECT_FALSE(quarn::testing::Exists(dir.File("a.mrk.tmp")));
}

TEST_F(MarkTextsTest, OverwriteBoxReplacesWithoutQuestion) {
  std::string in = dir.File("a.txt");
  WriteFile(in, "cat\n");
  WriteFile(dir.File("a.mrk"), "old");
  e.options.Overwrite = true;
  MarkAndCommit(e, {in});
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(ReadFile(dir.File("a.mrk")), kHeader3 + "{0}CAT\r\n");
}

TEST_F(MarkTextsTest, MarkedTextIsNotMarkedOverItself) {
  std::string a = dir.File("a.txt");
  std::string m = dir.File("b.MRK");
  std::string c = dir.File("c.txt");
  WriteFile(a, "cat\n");
  WriteFile(m, "keep me\n");
  WriteFile(c, "dog\n");
  e.options.Overwrite = true;
  MarkAndCommit(e, {a, m, c});
  EXPECT_FALSE(e.failed());
  EXPECT_EQ(ReadFile(m), "keep me\n");
  EXPECT_EQ(ReadFile(dir.File("a.mrk")), kHeader3 + "{0}CAT\r\n");
  EXPECT_EQ(ReadFile(dir.File("c.mrk")), kHeader3 + "{0}DOG\r\n");
  std::vector<std::string> expected = {
      " ",
      " Marking file: " + a,
      "     as " + dir.File("a.mrk"),
      "ERROR File " + m + " is a marked text, not marked over itself",
      " Marking file: " + c,
      "     as " + dir.File("c.mrk")};
  EXPECT_EQ(e.progress.lines, expected);
}

TEST_F(MarkTextsTest, MissingInputFailsNamingIt) {
  std::string missing = dir.File("missing.txt");
  std::string b = dir.File("b.txt");
  WriteFile(b, "dog\n");
  MarkAndCommit(e, {missing, b});
  ASSERT_TRUE(e.failed());
  EXPECT_EQ(e.runError.path(), missing);
  EXPECT_FALSE(quarn::testing::Exists(dir.File("missing.mrk")));
  EXPECT_FALSE(quarn::testing::Exists(dir.File("b.mrk")));
}

TEST_F(MarkTextsTest, WriteFailureRemovesThePartialCopy) {
  std::string in = dir.File("a.txt");
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "the cat sat on the mat\n";
  WriteFile(in, text);
  fs.FailWritesAfter("a.mrk", 1000);
  MarkAndCommit(e, {in});
  ASSERT_TRUE(e.failed());
  EXPECT_EQ(e.runError.path(), dir.File("a.mrk"));
  EXPECT_EQ(e.runError.reason(), "No space left on device");
  EXPECT_FALSE(quarn::testing::Exists(dir.File("a.mrk")));
  EXPECT_EQ(ReadFile(in), text);
}

TEST_F(MarkTextsTest, FailedMarkingKeepsAnEarlierMarkedCopy) {
  std::string in = dir.File("a.txt");
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "the cat sat on the mat\n";
  WriteFile(in, text);
  WriteFile(dir.File("a.mrk"), "earlier marked copy\r\n");
  e.options.Overwrite = true;
  fs.FailWritesAfter("a.mrk", 1000);
  MarkAndCommit(e, {in});
  ASSERT_TRUE(e.failed());
  EXPECT_EQ(ReadFile(dir.File("a.mrk")), "earlier marked copy\r\n");
  EXPECT_FALSE(quarn::testing::Exists(dir.File("a.mrk.tmp")));
}

TEST_F(MarkTextsTest, UncreatableMarkedFileFailsNamingIt) {
  std::string in = dir.File("a.txt");
  WriteFile(in, "cat\n");
  fs.FailCreate("a.mrk");
  MarkAndCommit(e, {in});
  ASSERT_TRUE(e.failed());
  EXPECT_EQ(e.runError.path(), dir.File("a.mrk"));
}

}  // namespace
}  // namespace quarn
