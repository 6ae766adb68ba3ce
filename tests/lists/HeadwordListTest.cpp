#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "TempDir.h"
#include "TestHost.h"
#include "lists/HeadwordList.h"
#include "state/Engine.h"

namespace quarn {
namespace {

using testing::Exists;
using testing::FaultFileSystem;
using testing::ReadFile;
using testing::TempDir;
using testing::TestHost;
using testing::WriteFile;

TEST(ParseHeadwordLineTest, WordEndsAtTheFirstDigit) {
  HeadwordLine a = ParseHeadwordLine("abc2def 5");
  EXPECT_TRUE(a.valid);
  EXPECT_FALSE(a.indented);
  EXPECT_EQ(a.word, "ABC");

  HeadwordLine b = ParseHeadwordLine("ice cream 3");
  EXPECT_TRUE(b.valid);
  EXPECT_EQ(b.word, "ICE CREAM");

  // Punctuation belongs to the word; only trailing blanks and control characters go.
  EXPECT_EQ(ParseHeadwordLine("don't\t 3").word, "DON'T");
  EXPECT_EQ(ParseHeadwordLine("a#b 3").word, "A#B");
  // 8-bit upper-casing: e acute becomes E acute.
  EXPECT_EQ(ParseHeadwordLine("caf\xE9").word, "CAF\xC9");
}

TEST(ParseHeadwordLineTest, IndentedAndEmptyWords) {
  HeadwordLine member = ParseHeadwordLine("\t *able 3");
  EXPECT_TRUE(member.indented);
  EXPECT_TRUE(member.valid);
  EXPECT_EQ(member.word, "ABLE");

  HeadwordLine stars = ParseHeadwordLine(" \t**");
  EXPECT_TRUE(stars.indented);
  EXPECT_FALSE(stars.valid);

  EXPECT_FALSE(ParseHeadwordLine("12 able").valid);
  EXPECT_FALSE(ParseHeadwordLine("").valid);
}

TEST(ParseHeadwordLineTest, KeepsThirtyCharacters) {
  const std::string longWord(40, 'x');
  EXPECT_EQ(ParseHeadwordLine(longWord + " 4").word, std::string(30, 'X'));
  // The cut comes before the trim: 28 letters and blanks keep the letters alone.
  EXPECT_EQ(ParseHeadwordLine(std::string(28, 'a') + "     b").word, std::string(28, 'A'));
}

class HeadwordListTest : public ::testing::Test {
 protected:
  HeadwordListTest() : e(host, fs) {
    SetProgramFolder(e, dir.path());
    e.ScratchFolder = dir.path();
  }
  std::string Dest() const { return ReadFile(dir.File("headwords.txt")); }
  const std::vector<std::string>& log() const { return e.progress.lines; }

  TempDir dir;
  TestHost host;
  FaultFileSystem fs;
  Engine e;
};

TEST_F(HeadwordListTest, WritesHeadwordsOnly) {
  WriteFile(dir.File("basewrd1.txt"),
            "apple 12\r\n\tapples 3\r\nice cream 3\r\n\tice creams 1\r\n*starred 2\r\n");

  ASSERT_TRUE(MakeHeadwordList(e, HeadwordListSettings{}));

  EXPECT_EQ(Dest(), "APPLE\r\nICE CREAM\r\n");
  ASSERT_EQ(log().size(), 2u);
  EXPECT_EQ(log()[0], " Wrote 2 Headwords to file " + dir.path() + "headwords.txt");
  EXPECT_EQ(log()[1], " ");
}

TEST_F(HeadwordListTest, AbsoluteNamesAreUsedAsTheyAre) {
  ASSERT_TRUE(FileSystem::Default()->CreateDirectories(dir.File("abs")).ok());
  WriteFile(dir.File("abs/words.txt"), "apple 12\r\n\tapples 3\r\n");
  HeadwordListSettings s;
  s.FileCopyFrom = dir.File("abs/words");
  s.FileCopyTo = dir.File("abs/heads");
  ASSERT_TRUE(MakeHeadwordList(e, s));
  EXPECT_EQ(ReadFile(dir.File("abs/heads.txt")), "APPLE\r\n");
  EXPECT_EQ(log()[0], " Wrote 1 Headwords to file " + dir.File("abs/heads.txt"));
}

TEST_F(HeadwordListTest, PassesOverCommentsBlankIndentedAndWordlessLines) {
  WriteFile(dir.File("basewrd1.txt"),
            "# comment\n"
            "\n"
            " blank first\n"
            "\ttab first\n"
            "*star first\n"
            " \t**\n"
            "123\n"
            "a#b 4\n"  // '#' second: an ordinary line here
            "abc2def 5\n");

  ASSERT_TRUE(MakeHeadwordList(e, HeadwordListSettings{}));

  EXPECT_EQ(Dest(), "A#B\r\nABC\r\n");
  EXPECT_EQ(log()[0], " Wrote 2 Headwords to file " + dir.path() + "headwords.txt");
}

TEST_F(HeadwordListTest, LongLineIsReadAsOneLine) {
  std::string longLine = "long" + std::string(296, 'q');  // 300 characters
  WriteFile(dir.File("basewrd1.txt"), longLine + "\r\nnext 1\r\n");

  ASSERT_TRUE(MakeHeadwordList(e, HeadwordListSettings{}));

  EXPECT_EQ(Dest(), "LONG" + std::string(26, 'Q') + "\r\nNEXT\r\n");
}

TEST_F(HeadwordListTest, RunningTwiceAppends) {
  WriteFile(dir.File("basewrd1.txt"), "one 1\r\ntwo 2\r\n");
  ASSERT_TRUE(MakeHeadwordList(e, HeadwordListSettings{}));
  ASSERT_TRUE(MakeHeadwordList(e, HeadwordListSettings{}));
  EXPECT_EQ(Dest(), "ONE\r\nTWO\r\nONE\r\nTWO\r\n");
}

TEST_F(HeadwordListTest, OtherNamesAndAnyLetterCase) {
  WriteFile(dir.File("BASEWRD2.txt"), "two 2\r\n");
  WriteFile(dir.File("Heads.TXT"), "OLD\r\n");
  HeadwordListSettings s;
  s.FileCopyFrom = "basewrd2";
  s.FileCopyTo = "heads";

  ASSERT_TRUE(MakeHeadwordList(e, s));

  EXPECT_EQ(ReadFile(dir.File("Heads.TXT")), "OLD\r\nTWO\r\n");
  EXPECT_EQ(log()[0], " Wrote 1 Headwords to file " + dir.path() + "heads.txt");
}

TEST_F(HeadwordListTest, MissingSourceIsReported) {
  EXPECT_FALSE(MakeHeadwordList(e, HeadwordListSettings{}));
  ASSERT_EQ(log().size(), 2u);
  EXPECT_EQ(log()[0], "ERROR " + dir.path() + "basewrd1.txtdoesn't exist!");
  EXPECT_FALSE(Exists(dir.File("headwords.txt")));
}

// A full disk leaves the list as it was, without a torn last line for the next run to add to.
TEST_F(HeadwordListTest, WriteFailureLeavesTheListAsItWas) {
  WriteFile(dir.File("basewrd1.txt"), "one 1\r\ntwo 2\r\n");
  WriteFile(dir.File("headwords.txt"), "OLD\r\n");
  fs.FailWritesAfter("headwords", 7);

  EXPECT_FALSE(MakeHeadwordList(e, HeadwordListSettings{}));

  EXPECT_EQ(Dest(), "OLD\r\n");
  EXPECT_FALSE(Exists(dir.File("headwords.txt.tmp")));
  const std::string error = dir.File("headwords.txt") + ": No space left on device";
  ASSERT_FALSE(log().empty());
  EXPECT_EQ(log()[0], "ERROR " + error);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, error);
  EXPECT_TRUE(e.failed());
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")), "one 1\r\ntwo 2\r\n");

  fs.Clear();
  ASSERT_TRUE(MakeHeadwordList(e, HeadwordListSettings{}));
  EXPECT_EQ(Dest(), "OLD\r\nONE\r\nTWO\r\n");
  EXPECT_FALSE(e.failed());
}

TEST_F(HeadwordListTest, SourceAsDestinationIsRefused) {
  const std::string list = "one 1\r\n\tones 2\r\ntwo 2\r\n";
  WriteFile(dir.File("BASEWRD3.txt"), list);
  for (const char* to : {"BASEWRD3", "basewrd3", "./BASEWRD3"}) {
    e.progress.lines.clear();
    HeadwordListSettings s;
    s.FileCopyFrom = "BASEWRD3";
    s.FileCopyTo = to;

    EXPECT_FALSE(MakeHeadwordList(e, s)) << to;

    EXPECT_EQ(ReadFile(dir.File("BASEWRD3.txt")), list) << to;
    EXPECT_FALSE(Exists(dir.File("BASEWRD3.txt.tmp")));
    ASSERT_FALSE(log().empty());
    EXPECT_EQ(log()[0], "ERROR " + dir.File("BASEWRD3.txt") +
                            " is both source and destination, nothing done");
    EXPECT_FALSE(e.failed());
  }
}

}  // namespace
}  // namespace quarn
