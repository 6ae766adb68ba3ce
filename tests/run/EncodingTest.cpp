// UTF-8 and Windows-1252 texts and lists give the same words; ASCII is the same in every mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RunFixture.h"
#include "text/TextEncoding.h"

namespace quarn::testing {
namespace {

class EncodingTest : public RunFixture {
 protected:
  void SetUp() override {
    engine.ListCount = 1;
    Put("BASEWRD1.txt", "IT 0\nCAF\xC9 0\n\tCAF\xC9S 0\n");  // Windows-1252 É
  }
  // The report from the summary on (the messages before it name the files).
  std::vector<std::string> Report(const std::string& results = "out_quarn.txt") {
    std::vector<std::string> lines = ResultLines(results);
    auto at = std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.rfind("WORD LIST", 0) == 0; });
    return std::vector<std::string>(at, lines.end());
  }
};

TEST_F(EncodingTest, CurlyQuotesAndAccentsCountAlikeInBothEncodings) {
  Put("a1252.txt", "It\x92s a caf\xE9 \x93here\x94, caf\xE9s too.\r\n");
  Put("a8.txt", "It\xE2\x80\x99s a caf\xC3\xA9 \xE2\x80\x9Chere\xE2\x80\x9D, caf\xC3\xA9s too.\n");
  Run({"a1252.txt"}, "one_quarn.txt");
  std::vector<std::string> eight = Report("one_quarn.txt");
  Run({"a8.txt"}, "two_quarn.txt");
  std::vector<std::string> utf8 = Report("two_quarn.txt");
  ASSERT_FALSE(eight.empty());
  // The UTF-8 run's results file is UTF-8: convert it back before comparing.
  std::vector<std::string> back;
  for (const std::string& l : utf8) {
    std::string b;
    Utf8ToCp1252(l, &b);
    back.push_back(b);
  }
  auto strip = [](std::vector<std::string> v) {  // the memory figure may differ
    v.erase(std::remove_if(v.begin(), v.end(),
                           [](const std::string& l) { return l.rfind("Memory used,", 0) == 0; }),
            v.end());
    return v;
  };
  EXPECT_EQ(strip(back), strip(eight));
  EXPECT_EQ(engine.counters.ListTokens[1], 3);  // IT, CAFÉ and CAFÉS
  std::string raw = ReadFile(dir.File("two_quarn.txt"));
  EXPECT_NE(raw.find("CAF\xC3\x89S"), std::string::npos);  // É written as UTF-8
  EXPECT_EQ(ReadFile(dir.File("one_quarn.txt")).find("\xC3"), std::string::npos);
}

TEST_F(EncodingTest, ByteOrderMarkWithCrLf) {
  Put("bom.txt", "\xEF\xBB\xBF" "caf\xC3\xA9\r\ncafe\r\n");
  Run({"bom.txt"});
  EXPECT_EQ(engine.counters.TotalTokens, 2);
  EXPECT_EQ(engine.counters.ListTokens[1], 1);
  std::vector<std::string> lines = Report();
  EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& l) { return l.rfind("CAFE ", 0) == 0; }),
            lines.end());
}

TEST_F(EncodingTest, InvalidUtf8IsReadAsWindows1252) {
  Put("bad.txt", "caf\xC3\xA9 and caf\xE9\n");  // one valid sequence, one lone 8-bit byte
  Run({"bad.txt"});
  // As Windows-1252: CAFÃ (Ã is a letter, © a separator) and CAFÉ.
  EXPECT_EQ(engine.counters.TotalTokens, 3);
  EXPECT_EQ(engine.counters.ListTokens[1], 1);
  EXPECT_EQ(ReadFile(dir.File("out_quarn.txt")).find("\xC3\x89"), std::string::npos);
}

TEST_F(EncodingTest, AsciiGivesTheSameResultsInEveryMode) {
  Put("BASEWRD1.txt", "THE 0\n\tCAT 0\n");
  Put("plain.txt", "The cat sat on the mat.\r\nA second line.\n");
  std::vector<std::string> results;
  for (TextEncoding mode : {TextEncoding::kAuto, TextEncoding::kCp1252, TextEncoding::kUtf8}) {
    engine.encoding = mode;
    Run({"plain.txt"});
    results.push_back(ReadFile(dir.File("out_quarn.txt")));
  }
  EXPECT_EQ(results[0], results[1]);
  EXPECT_EQ(results[0], results[2]);
}

TEST_F(EncodingTest, CharactersOutsideWindows1252SeparateWords) {
  Put("greek.txt", "caf\xC3\xA9\xCE\xA9mega \xE4\xB8\xAD\n");  // café, Ω, mega, a CJK character
  Run({"greek.txt"});
  EXPECT_EQ(engine.counters.TotalTokens, 2);  // CAFÉ and MEGA
  EXPECT_EQ(engine.counters.ListTokens[1], 1);
}

TEST_F(EncodingTest, MixedInputsGiveOneUtf8ResultsFile) {
  Put("old.txt", "caf\xE9\n");
  Put("new.txt", "caf\xC3\xA9s\n");
  Run({"old.txt", "new.txt"});
  EXPECT_EQ(engine.counters.ListTokens[1], 2);
  EXPECT_EQ(engine.counters.ListTypes[1], 2);
  std::string raw = ReadFile(dir.File("out_quarn.txt"));
  EXPECT_NE(raw.find("CAF\xC3\x89S"), std::string::npos);
  Utf8Validator v;
  v.Feed(raw.data(), raw.size());
  EXPECT_TRUE(v.valid());
}

TEST_F(EncodingTest, Windows1252SettingReadsUtf8BytesAsTheyAre) {
  engine.encoding = TextEncoding::kCp1252;
  Put("a8.txt", "caf\xC3\xA9\n");
  Run({"a8.txt"});
  // CAFÃ and no list word: the bytes are taken one by one, as before.
  EXPECT_EQ(engine.counters.ListTokens[1], 0);
  EXPECT_EQ(engine.counters.TotalTokens, 1);
}

TEST_F(EncodingTest, Utf8ListsMatchWindows1252Texts) {
  Put("BASEWRD1.txt", "\xEF\xBB\xBF" "CAF\xC3\x89 3\n\tCAF\xC3\x89S 1\n");
  Put("t.txt", "caf\xE9 caf\xE9s\n");
  Run({"t.txt"});
  EXPECT_EQ(engine.counters.ListTokens[1], 2);
  EXPECT_EQ(engine.counters.ListFamilies[1], 1);
}

TEST_F(EncodingTest, MarkedUtf8TextKeepsItsOwnBytes) {
  host.options.Mark_Texts = true;
  // Greek and CJK stay as text between words; ’ and é are read as Windows-1252 characters.
  const std::string text = "  It\xE2\x80\x99s \xCE\xA9 caf\xC3\xA9 \xE4\xB8\xAD t\xC3\xA9" "a.  \xCE\xA9\n";
  Put("m.txt", text);
  Run({"m.txt"});
  std::string marked = ReadFile(dir.File("m.mrk"));
  Utf8Validator v;
  v.Feed(marked.data(), marked.size());
  EXPECT_TRUE(v.valid());
  std::vector<std::string> lines = SplitCrLf(marked);
  ASSERT_EQ(lines.size(), 5u);
  // Leading blanks trimmed, trailing Ω kept: it is text, not a blank.
  EXPECT_EQ(lines[4], "IT\xE2\x80\x99{!}S \xCE\xA9 CAF\xC3\x89 \xE4\xB8\xAD {!}T\xC3\x89" "A.  \xCE\xA9");
}

TEST_F(EncodingTest, UpdatedUtf8ListStaysUtf8) {
  host.options.Udate_Basewords = true;
  Put("BASEWRD1.txt", "\xEF\xBB\xBF# \xCE\xA9 liste\nCAF\xC3\x89 3\n\tcaf\xC3\xA9s\n");
  Put("t.txt", "caf\xC3\xA9 caf\xC3\xA9 caf\xC3\xA9s\n");
  Run({"t.txt"});
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")),
            "\xEF\xBB\xBF# \xCE\xA9 liste\r\nCAF\xC3\x89 5\r\n\tCAF\xC3\x89S 1\r\n");
  EXPECT_FALSE(Exists(dir.File("BASEWRD1.txt")));
}

TEST_F(EncodingTest, UpdatedWindows1252ListStays8Bit) {
  host.options.Udate_Basewords = true;
  Put("t.txt", "caf\xE9\n");
  Run({"t.txt"});
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")), "IT 0\r\nCAF\xC9 1\r\n\tCAF\xC9S 0\r\n");
}

// Texts and lists in 16- or 32-bit units are not read as 8-bit text: such a list stops the run
// before anything is written, such a text is passed over.
TEST_F(EncodingTest, WideTextsAndListsAreRefused) {
  using namespace std::string_literals;
  const std::string wideList = "\xFF\xFEY\0O\0U\0 \0" "0\0\n\0I\0 \0" "0\0\n\0"s;
  Put("BASEWRD1.txt", wideList);
  Put("t.txt", "caf\xE9 it\n");
  host.options.Udate_Basewords = true;
  Run({"t.txt"});
  EXPECT_EQ(outcome.end, RunEnd::kStopped);
  EXPECT_EQ(outcome.reportsWritten, 0);
  EXPECT_NE(std::find(Log().begin(), Log().end(),
                      "ERROR " + dir.File("BASEWRD1.txt") +
                          " is UTF-16 text, which Quarn cannot read: save it as UTF-8 or 8-bit "
                          "text, cannot run"),
            Log().end());
  EXPECT_FALSE(Exists(dir.File("out_quarn.txt")));
  EXPECT_TRUE(ScratchFilesGone());
  EXPECT_EQ(ReadFile(dir.File("BASEWRD1.txt")), wideList);
  EXPECT_FALSE(Exists(dir.File("basewrd1.txt")));

  Put("BASEWRD1.txt", "IT 0\n");
  host.options.Udate_Basewords = false;
  Put("wide.txt", "\0\0\0I\0\0\0T\0\0\0 \0\0\0I\0\0\0T\0\0\0\n"s);  // UTF-32, no mark
  Run({"wide.txt", "t.txt"});
  ASSERT_EQ(outcome.reportsWritten, 1);
  EXPECT_EQ(engine.counters.TotalTokens, 2);  // CAFÉ and IT of t.txt
  EXPECT_EQ(engine.counters.ListTokens[1], 1);
  EXPECT_NE(std::find(Log().begin(), Log().end(),
                      "ERROR  File " + dir.File("wide.txt") +
                          " is UTF-32 text, which Quarn cannot read, skipping!"),
            Log().end());
}

}  // namespace
}  // namespace quarn::testing
