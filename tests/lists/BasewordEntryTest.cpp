#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestHost.h"
#include "lists/BasewordEntry.h"
#include "state/Engine.h"
#include "text/CharClassTable.h"

namespace quarn {
namespace {

using testing::TestHost;
using Lines = std::vector<std::string>;

class BasewordEntryTest : public ::testing::Test {
 protected:
  BasewordEntryTest() : e(host) { e.classes = DefaultCharClassTable(); }

  BasewordEntry Parse(const std::string& upperLine, bool expectWord = true) {
    BasewordEntry entry;
    EXPECT_EQ(ParseEntry(e, upperLine, &entry), expectWord) << upperLine;
    return entry;
  }
  const Lines& log() const { return e.progress.lines; }

  TestHost host;
  Engine e;
};

TEST_F(BasewordEntryTest, LineKinds) {
  EXPECT_EQ(ClassifyBasewordLine(""), LineKind::kEmpty);
  EXPECT_EQ(ClassifyBasewordLine("#"), LineKind::kComment);
  EXPECT_EQ(ClassifyBasewordLine("# note"), LineKind::kComment);
  EXPECT_EQ(ClassifyBasewordLine("A#BLE 3"), LineKind::kComment);
  EXPECT_EQ(ClassifyBasewordLine("\t#ABLE"), LineKind::kComment);
  EXPECT_EQ(ClassifyBasewordLine(" "), LineKind::kMember);
  EXPECT_EQ(ClassifyBasewordLine("\tABILITY 3"), LineKind::kMember);
  EXPECT_EQ(ClassifyBasewordLine("*UNABLE 5"), LineKind::kMember);
  EXPECT_EQ(ClassifyBasewordLine("A"), LineKind::kHeadword);
  EXPECT_EQ(ClassifyBasewordLine("able 12"), LineKind::kHeadword);
}

TEST_F(BasewordEntryTest, WordCountAndIndent) {
  BasewordEntry a = Parse("ABLE 12");
  EXPECT_EQ(a.word, "ABLE");
  EXPECT_EQ(a.count, 12);
  EXPECT_FALSE(a.indented);

  BasewordEntry b = Parse("\tABLY");
  EXPECT_EQ(b.word, "ABLY");
  EXPECT_EQ(b.count, 0);
  EXPECT_TRUE(b.indented);

  BasewordEntry c = Parse("*UNABLE 5");
  EXPECT_EQ(c.word, "UNABLE");
  EXPECT_EQ(c.count, 5);
  EXPECT_TRUE(c.indented);

  EXPECT_EQ(Parse("A").word, "A");
  Parse(" ", false);
  Parse("", false);
  Parse("12 -- 7", false);  // digits and hyphens never begin a word
  EXPECT_TRUE(log().empty());
}

TEST_F(BasewordEntryTest, DigitsOfTheWordAreNoCount) {
  BasewordEntry mp3 = Parse("MP3");
  EXPECT_EQ(mp3.word, "MP3");
  EXPECT_EQ(mp3.count, 0);

  BasewordEntry before = Parse("12 ABLE");
  EXPECT_EQ(before.word, "ABLE");
  EXPECT_EQ(before.count, 0);

  BasewordEntry joined = Parse("CO-OP 7");
  EXPECT_EQ(joined.word, "CO-OP");
  EXPECT_EQ(joined.count, 7);
  EXPECT_TRUE(log().empty());
}

TEST_F(BasewordEntryTest, CountTextRunsFromFirstToLastDigit) {
  EXPECT_EQ(Parse("ABLE 12X").count, 12);
  EXPECT_EQ(Parse("ABLE X12").count, 12);
  EXPECT_EQ(Parse("ABLE -5").count, 5);
  EXPECT_EQ(Parse("ABLE 0X10").count, 16);
  EXPECT_EQ(Parse("ABLE 007").count, 7);
  EXPECT_EQ(Parse("ABLE 2147483647").count, 2147483647);
  EXPECT_EQ(Parse("ABLE 0X7FFFFFF0").count, 2147483632);
  // The last decimal digit ends the count text: hexadecimal letters after it are no part of it.
  EXPECT_EQ(Parse("ABLE 0X1B").count, 1);
  EXPECT_EQ(Parse("ABLE 0XFFFFFFFF").count, 0);
  EXPECT_TRUE(log().empty());
}

TEST_F(BasewordEntryTest, BadCountGivesZeroAndMessage) {
  BasewordEntry a = Parse("ABLE 1 2");
  EXPECT_EQ(a.word, "ABLE");
  EXPECT_EQ(a.count, 0);
  BasewordEntry b = Parse("ABLE 1.5");
  EXPECT_EQ(b.count, 0);
  Lines expected = {"ERROR  Entry: ABLEhas bad count value: 1 resetting to zero", " ",
                    "ERROR  Entry: ABLEhas bad count value: 1 resetting to zero", " "};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordEntryTest, CountsOutOfRange) {
  EXPECT_EQ(Parse("ABLE 2147483648").count, 0);
  EXPECT_EQ(Parse("ABLE 99999999999").count, 0);
  EXPECT_EQ(Parse("ABLE 0X80000000").count, 0);   // a negative 32-bit value
  EXPECT_EQ(Parse("ABLE 0X000000010").count, 0);  // more than 8 hexadecimal digits
  Lines expected = {"ERROR  Entry: ABLEhas bad count value: 2147483648 resetting to zero",  " ",
                    "ERROR  Entry: ABLEhas bad count value: 99999999999 resetting to zero", " ",
                    "ERROR  Entry: ABLEhas bad count value: 0 resetting to zero",           " ",
                    "ERROR  Entry: ABLEhas bad count value: 0 resetting to zero",           " "};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordEntryTest, LongWordKeepsThirtyLettersAndStartsNothingElse) {
  const std::string letters35 = "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHI";
  BasewordEntry a = Parse(letters35 + " 4");
  EXPECT_EQ(a.word, "ABCDEFGHIJKLMNOPQRSTUVWXYZABCD");
  EXPECT_EQ(a.count, 4);
  // Digits among the passed-over letters still belong to the word, not to the count.
  BasewordEntry b = Parse(letters35 + "9");
  EXPECT_EQ(b.word.size(), 30u);
  EXPECT_EQ(b.count, 0);
}

TEST_F(BasewordEntryTest, HeadwordReaderReportsStrayLines) {
  Lines lines = {"# list one", "\tstray 2", "", "  ", "12 --", "able 3", "\tably"};
  size_t index = 0;
  BasewordEntry entry;
  ASSERT_TRUE(NextHeadwordEntry(e, lines, index, &entry));
  EXPECT_EQ(entry.word, "ABLE");
  EXPECT_EQ(entry.count, 3);
  EXPECT_EQ(index, 6u);
  Lines expected = {
      "SKIPPING  \tstray 2",
      " ",
      "ERROR  Member word in basewrd file has no associated headword! Skipping line: 2",
      "SKIPPING    ",
      " ",
      "ERROR  Member word in basewrd file has no associated headword! Skipping line: 4",
      "SKIPPING  12 --",
      " ",
      "ERROR  Invalid Headword in basewrd file! Skipping line: 5"};
  EXPECT_EQ(log(), expected);

  // The member line after it is reported too, since a headword reader never reads members.
  EXPECT_FALSE(NextHeadwordEntry(e, lines, index, &entry));
  EXPECT_EQ(index, lines.size());
  EXPECT_EQ(log().back(),
            "ERROR  Member word in basewrd file has no associated headword! Skipping line: 7");
}

TEST_F(BasewordEntryTest, SkippedLinesWithoutWordShowTheUpperCasedLine) {
  // o-slash upper-cases to O-slash, a separator in the default table: no word on either line.
  Lines lines = {"\xF8 1", "HEAD", "\t\xF8"};
  size_t index = 0;
  BasewordEntry entry;
  ASSERT_TRUE(NextHeadwordEntry(e, lines, index, &entry));
  EXPECT_EQ(entry.word, "HEAD");
  EXPECT_FALSE(NextMemberEntry(e, lines, index, &entry));
  Lines expected = {
      "SKIPPING  \xD8 1", " ", "ERROR  Invalid Headword in basewrd file! Skipping line: 1",
      "SKIPPING  \t\xD8", " ", "ERROR  Invalid type in basewrd file! Skipping line: 3"};
  EXPECT_EQ(log(), expected);
}

TEST_F(BasewordEntryTest, MemberReaderStopsAtNextHeadword) {
  Lines lines = {"ABLE", "\tability 1", "#x", "", " ", "*ably 2", "ACCEPT", "\tacceptance"};
  size_t index = 1;
  BasewordEntry entry;
  ASSERT_TRUE(NextMemberEntry(e, lines, index, &entry));
  EXPECT_EQ(entry.word, "ABILITY");
  EXPECT_EQ(entry.count, 1);
  EXPECT_EQ(index, 2u);
  ASSERT_TRUE(NextMemberEntry(e, lines, index, &entry));
  EXPECT_EQ(entry.word, "ABLY");
  EXPECT_TRUE(entry.indented);
  EXPECT_EQ(index, 6u);
  EXPECT_FALSE(NextMemberEntry(e, lines, index, &entry));
  EXPECT_EQ(index, 6u);  // left on ACCEPT
  Lines expected = {"SKIPPING   ", " ", "ERROR  Invalid type in basewrd file! Skipping line: 5"};
  EXPECT_EQ(log(), expected);

  ASSERT_TRUE(NextHeadwordEntry(e, lines, index, &entry));
  EXPECT_EQ(entry.word, "ACCEPT");
  ASSERT_TRUE(NextMemberEntry(e, lines, index, &entry));
  EXPECT_FALSE(NextMemberEntry(e, lines, index, &entry));
  EXPECT_EQ(index, lines.size());
}

TEST_F(BasewordEntryTest, SkipFamilyPassesMembersSilently) {
  Lines lines = {"ABLE", "\tability", " ", "", "# c", "\t", "ACCEPT"};
  size_t index = 1;
  SkipFamily(lines, index);
  EXPECT_EQ(index, 6u);
  SkipFamily(lines, index);
  EXPECT_EQ(index, 6u);
  index = 7;
  SkipFamily(lines, index);
  EXPECT_EQ(index, 7u);
  EXPECT_TRUE(log().empty());
}

}  // namespace
}  // namespace quarn
