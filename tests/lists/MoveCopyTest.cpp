#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "TempDir.h"
#include "TestHost.h"
#include "lists/MoveCopy.h"
#include "state/Engine.h"

namespace quarn {
namespace {

using testing::Exists;
using testing::FaultFileSystem;
using testing::ReadFile;
using testing::TempDir;
using testing::TestHost;
using testing::WriteFile;
using Relation = MoveCopySettings::Relation;

class MoveCopyTest : public ::testing::Test {
 protected:
  MoveCopyTest() : e(host, fs) {
    SetProgramFolder(e, dir.path());
    e.ScratchFolder = dir.path();
  }

  std::string Source() const { return ReadFile(dir.File("basewrd1.txt")); }
  std::string Dest() const { return ReadFile(dir.File("basewrd4.txt")); }
  const std::vector<std::string>& log() const { return e.progress.lines; }
  std::string WroteLine(int written, int found, const std::string& to = "basewrd4") const {
    return " Wrote " + std::to_string(written) + " families out of " + std::to_string(found) +
           " to file " + dir.path() + to + ".txt";
  }
  // The names in the folder, sorted.
  // The folder's files but the lock file, which stays once made.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    EXPECT_TRUE(FileSystem::Default()->ListDirectory(dir.path(), &names).ok());
    std::erase(names, "quarn.lock");
    std::sort(names.begin(), names.end());
    return names;
  }
  // The destination after copying (not appending) the families that relation and value select.
  std::string CopiedBy(MoveCopySettings::Relation relation, const std::string& value) {
    MoveCopySettings s;
    s.relation = relation;
    s.FilterNum = value;
    s.Copy_Words = true;
    s.appendtofile = false;
    EXPECT_TRUE(MoveCopyBasewords(e, s));
    return Dest();
  }
  bool LogHasErrorLine() const {
    for (const std::string& line : log())
      if (line.rfind("ERROR ", 0) == 0) return true;
    return false;
  }

  TempDir dir;
  TestHost host;
  FaultFileSystem fs;
  Engine e;
};

TEST_F(MoveCopyTest, DefaultsMoveFamiliesWithAZeroOrMissingCount) {
  const std::string source =
      "able 3\r\n\tability 0\r\n"
      "ACCEPT 2\r\n\tACCEPTANCE 1\r\n"
      "apple\r\n\tapples 4\r\n";
  WriteFile(dir.File("basewrd1.txt"), source);

  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{}));

  EXPECT_EQ(Dest(), "ABLE 3\r\n\tABILITY 0\r\nAPPLE 0\r\n\tAPPLES 4\r\n");
  EXPECT_EQ(Source(), "ACCEPT 2\r\n\tACCEPTANCE 1\r\n\r\n");
  ASSERT_EQ(log().size(), 2u);
  EXPECT_EQ(log()[0], WroteLine(2, 3));
  EXPECT_EQ(log()[1], " ");
}

TEST_F(MoveCopyTest, ListFilesAreFoundWhateverTheirLetterCase) {
  WriteFile(dir.File("BASEWRD1.txt"), "ABLE 0\r\nKEEP 1\r\n");
  WriteFile(dir.File("BASEWRD4.txt"), "OLD 9\r\n");

  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{}));

  EXPECT_EQ(ReadFile(dir.File("BASEWRD1.txt")), "KEEP 1\r\n\r\n");
  EXPECT_EQ(ReadFile(dir.File("BASEWRD4.txt")), "OLD 9\r\nABLE 0\r\n");
  EXPECT_FALSE(Exists(dir.File("basewrd1.txt")));
  EXPECT_FALSE(Exists(dir.File("basewrd4.txt")));
}

// A name given with an absolute path is that file, wherever it lies, and the messages name it.
TEST_F(MoveCopyTest, AbsoluteNamesAreUsedAsTheyAre) {
  ASSERT_EQ(mkdir(dir.File("other").c_str(), 0700), 0);
  const std::string from = dir.File("other/LIST1");
  const std::string to = dir.File("other/BASEWRD2");
  WriteFile(from + ".txt", "ABLE 0\r\nKEEP 1\r\n");
  MoveCopySettings s;
  s.FileCopyFrom = from;
  s.FileCopyTo = to;
  ASSERT_TRUE(MoveCopyBasewords(e, s));
  EXPECT_EQ(ReadFile(to + ".txt"), "ABLE 0\r\n");
  EXPECT_EQ(ReadFile(from + ".txt"), "KEEP 1\r\n\r\n");
  EXPECT_EQ(log()[0], " Wrote 1 families out of 2 to file " + to + ".txt");
  s.FileCopyFrom = dir.File("other/missing");
  EXPECT_FALSE(MoveCopyBasewords(e, s));
  EXPECT_EQ(log()[2], "ERROR " + dir.File("other/missing") + ".txtdoesn't exist!");
}

TEST_F(MoveCopyTest, FamilyTotalsSelectBySumOnly) {
  const std::string source = "HEAD 4\r\n\tA 5\r\n\tB 3\r\nOTHER 9\r\n\tC 1\r\n";
  WriteFile(dir.File("basewrd1.txt"), source);
  MoveCopySettings s;
  s.relation = Relation::kGreaterThan;
  s.FilterNum = "10";
  s.usefamilytotal = true;
  s.Copy_Words = true;

  ASSERT_TRUE(MoveCopyBasewords(e, s));

  // 4 + 5 + 3 = 12 > 10; 9 + 1 = 10 is not.
  EXPECT_EQ(Dest(), "HEAD 4\r\n\tA 5\r\n\tB 3\r\n");
  EXPECT_EQ(Source(), source);
  EXPECT_EQ(log()[0], WroteLine(1, 2));
}

TEST_F(MoveCopyTest, WithoutTotalsNoSingleCountExceedsTheValue) {
  WriteFile(dir.File("basewrd1.txt"), "HEAD 4\r\n\tA 5\r\n\tB 3\r\n");
  MoveCopySettings s;
  s.relation = Relation::kGreaterThan;
  s.FilterNum = "10";
  s.Copy_Words = true;

  ASSERT_TRUE(MoveCopyBasewords(e, s));

  EXPECT_EQ(Dest(), "");
  EXPECT_EQ(log()[0], WroteLine(0, 1));
}

TEST_F(MoveCopyTest, EachRelationTestsHeadwordAndMembers) {
  // Counts: ONE 1/1, TWO 2/5, THREE 7/3.
  WriteFile(dir.File("basewrd1.txt"),
            "ONE 1\r\n\tUNO 1\r\nTWO 2\r\n\tDUE 5\r\nTHREE 7\r\n\tTRE 3\r\n");
  struct Case {
    Relation relation;
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      {Relation::kGreaterThan, "4", "TWO 2\r\n\tDUE 5\r\nTHREE 7\r\n\tTRE 3\r\n"},
      {Relation::kEqualTo, "3", "THREE 7\r\n\tTRE 3\r\n"},
      {Relation::kLessThan, "2", "ONE 1\r\n\tUNO 1\r\n"},
      {Relation::kLessThan, "-1", ""},
      {Relation::kGreaterThan, "-1",
       "ONE 1\r\n\tUNO 1\r\nTWO 2\r\n\tDUE 5\r\nTHREE 7\r\n\tTRE 3\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(CopiedBy(c.relation, c.value), c.expected) << c.value;
}

TEST_F(MoveCopyTest, FilterTextThatIsNotAWholeNumberCountsAsZero) {
  WriteFile(dir.File("basewrd1.txt"), "ZERO 0\r\nFIVE 5\r\nTWELVE 12\r\n");
  for (const char* text : {"12x", "abc", "", "1.5", "0x", "$", "0x123456789", "12 "})
    EXPECT_EQ(CopiedBy(Relation::kEqualTo, text), "ZERO 0\r\n") << text;
}

TEST_F(MoveCopyTest, FilterNumberMayBeHexadecimal) {
  WriteFile(dir.File("basewrd1.txt"), "ZERO 0\r\nSIXTEEN 16\r\nBIG 2147483647\r\n");
  struct Case {
    Relation relation;
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      {Relation::kEqualTo, "0x10", "SIXTEEN 16\r\n"},
      {Relation::kEqualTo, "$10", "SIXTEEN 16\r\n"},
      {Relation::kEqualTo, "X10", "SIXTEEN 16\r\n"},
      {Relation::kEqualTo, " +16", "SIXTEEN 16\r\n"},
      {Relation::kEqualTo, "0x7FFFFFFF", "BIG 2147483647\r\n"},
      // Eight hexadecimal digits are a 32-bit pattern: 0xFFFFFFFF is -1.
      {Relation::kGreaterThan, "0xFFFFFFFF", "ZERO 0\r\nSIXTEEN 16\r\nBIG 2147483647\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(CopiedBy(c.relation, c.value), c.expected) << c.value;
}

TEST_F(MoveCopyTest, HeadwordsOnlyWritesHeadLinesAndLeavesTheSource) {
  const std::string source = "head 4\r\n\tmember 0\r\nOTHER 2\r\n";
  WriteFile(dir.File("basewrd1.txt"), source);

  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{.headwrds_only = true}));

  EXPECT_EQ(Dest(), "HEAD 4\r\n");
  EXPECT_EQ(Source(), source);
  EXPECT_EQ(log()[0], WroteLine(1, 2));
}

TEST_F(MoveCopyTest, CopyLeavesTheSourceByteForByte) {
  const std::string source = "ABLE 0\n\tABLY\n# note\n";  // LF line ends stay as they were
  WriteFile(dir.File("basewrd1.txt"), source);

  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{.Copy_Words = true}));

  EXPECT_EQ(Source(), source);
  EXPECT_EQ(Dest(), "ABLE 0\r\n\tABLY 0\r\n");
}

TEST_F(MoveCopyTest, AppendOnAddsToTheDestinationAndOffEmptiesIt) {
  WriteFile(dir.File("basewrd1.txt"), "NEW 0\r\n");
  WriteFile(dir.File("basewrd4.txt"), "OLD 1\r\n");
  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{.Copy_Words = true}));
  EXPECT_EQ(Dest(), "OLD 1\r\nNEW 0\r\n");

  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{.Copy_Words = true, .appendtofile = false}));
  EXPECT_EQ(Dest(), "NEW 0\r\n");
}

TEST_F(MoveCopyTest, AppendOffEmptiesTheDestinationEvenWhenNothingIsSelected) {
  WriteFile(dir.File("basewrd1.txt"), "KEEP 3\r\n");
  WriteFile(dir.File("basewrd4.txt"), "OLD 1\r\n");
  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{.appendtofile = false}));
  EXPECT_EQ(Dest(), "");
  EXPECT_EQ(Source(), "KEEP 3\r\n\r\n");
}

TEST_F(MoveCopyTest, MoveKeepsBlankLinesAndHashCommentsButTakesTabbedComments) {
  WriteFile(dir.File("basewrd1.txt"),
            "KEEP 5\r\n"
            "TAKE 0\r\n"
            "\tTAKEN 2\r\n"
            "\r\n"
            "# note\r\n"
            "\t# tabbed comment\r\n"
            "\tTAKING 1\r\n"
            "NEXT 7\r\n");

  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{}));

  EXPECT_EQ(Dest(), "TAKE 0\r\n\tTAKEN 2\r\n\tTAKING 1\r\n");
  EXPECT_EQ(Source(), "KEEP 5\r\n\r\n# note\r\nNEXT 7\r\n\r\n");
}

TEST_F(MoveCopyTest, MoveRemovesInvalidLinesInsideASelectedFamily) {
  WriteFile(dir.File("basewrd1.txt"), "HEAD 0\r\n\t123\r\n\tMEM 1\r\nNEXT 5\r\n");

  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{}));

  EXPECT_EQ(Dest(), "HEAD 0\r\n\tMEM 1\r\n");
  EXPECT_EQ(Source(), "NEXT 5\r\n\r\n");
  // The reader reported the line without a word.
  EXPECT_TRUE(LogHasErrorLine());
}

TEST_F(MoveCopyTest, ConsecutiveSelectedFamiliesAreAllMoved) {
  WriteFile(dir.File("basewrd1.txt"), "A 0\r\nB 0\r\n\tBB 0\r\nC 1\r\nD 0\r\n");

  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{}));

  EXPECT_EQ(Dest(), "A 0\r\nB 0\r\n\tBB 0\r\nD 0\r\n");
  EXPECT_EQ(Source(), "C 1\r\n\r\n");
  EXPECT_EQ(log()[0], WroteLine(3, 4));
}

TEST_F(MoveCopyTest, EachMoveAddsOneTrailingEmptyLine) {
  WriteFile(dir.File("basewrd1.txt"), "A 1\r\n");
  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{}));
  EXPECT_EQ(Source(), "A 1\r\n\r\n");
  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{}));
  EXPECT_EQ(Source(), "A 1\r\n\r\n\r\n");
}

TEST_F(MoveCopyTest, EmptySource) {
  WriteFile(dir.File("basewrd1.txt"), "");
  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{.Copy_Words = true}));
  EXPECT_EQ(Source(), "");
  EXPECT_EQ(log()[0], WroteLine(0, 0));

  ASSERT_TRUE(MoveCopyBasewords(e, MoveCopySettings{}));
  EXPECT_EQ(Source(), "\r\n");
  EXPECT_EQ(Dest(), "");
}

TEST_F(MoveCopyTest, MissingSourceIsReportedAndNothingIsWritten) {
  EXPECT_FALSE(MoveCopyBasewords(e, MoveCopySettings{}));
  ASSERT_EQ(log().size(), 2u);
  EXPECT_EQ(log()[0], "ERROR " + dir.path() + "basewrd1.txtdoesn't exist!");
  EXPECT_EQ(log()[1], " ");
  EXPECT_FALSE(Exists(dir.File("basewrd4.txt")));
}

TEST_F(MoveCopyTest, SameSourceAndDestinationIsRefused) {
  const std::string source = "ABLE 0\r\nKEEP 1\r\n";
  WriteFile(dir.File("basewrd1.txt"), source);
  MoveCopySettings s;
  s.FileCopyTo = "BASEWRD1";

  EXPECT_FALSE(MoveCopyBasewords(e, s));

  EXPECT_EQ(Source(), source);
  ASSERT_FALSE(log().empty());
  EXPECT_EQ(log()[0].rfind("ERROR ", 0), 0u);
}

// However the destination is spelled, a file is never written into while it is read.
TEST_F(MoveCopyTest, SourceUnderAnotherSpellingIsRefused) {
  const std::string source = "ABLE 0\r\nKEEP 1\r\n";
  WriteFile(dir.File("basewrd1.txt"), source);
  ASSERT_EQ(mkdir(dir.File("sub").c_str(), 0755), 0);
  ASSERT_EQ(link(dir.File("basewrd1.txt").c_str(), dir.File("linked.txt").c_str()), 0);
  const std::vector<std::string> before = Entries();

  for (const char* to : {"./basewrd1", "sub/../basewrd1", "./BASEWRD1", "linked"}) {
    for (bool copy : {false, true}) {
      e.progress.lines.clear();
      MoveCopySettings s;
      s.FileCopyTo = to;
      s.Copy_Words = copy;

      EXPECT_FALSE(MoveCopyBasewords(e, s)) << to;

      EXPECT_EQ(Source(), source) << to << copy;
      EXPECT_EQ(Entries(), before) << to << copy;
      ASSERT_FALSE(log().empty());
      EXPECT_EQ(log()[0], "ERROR " + dir.File("basewrd1.txt") +
                              " is both source and destination, nothing done");
      EXPECT_FALSE(e.failed());  // a refusal, not an input/output failure
    }
  }
}

TEST_F(MoveCopyTest, FailingSourceRewriteLeavesTheOldListWhole) {
  const std::string source = "ABLE 0\r\nKEEP 1\r\nAPPLE 0\r\n";
  WriteFile(dir.File("basewrd1.txt"), source);
  fs.FailWritesAfter("basewrd1.txt.tmp", 4);

  EXPECT_FALSE(MoveCopyBasewords(e, MoveCopySettings{}));

  EXPECT_EQ(Source(), source);
  EXPECT_FALSE(Exists(dir.File("basewrd1.txt.tmp")));
  EXPECT_FALSE(Exists(dir.File("basewrd4.txt")));
  EXPECT_FALSE(Exists(dir.File("basewrd4.txt.tmp")));
  ASSERT_FALSE(log().empty());
  EXPECT_NE(log()[0].find(dir.File("basewrd1.txt") + ":"), std::string::npos);
  EXPECT_NE(log()[0].find("No space left on device"), std::string::npos);
  EXPECT_EQ(log()[0].rfind("ERROR ", 0), 0u);
}

TEST_F(MoveCopyTest, RefusedRenameLeavesTheOldListWhole) {
  const std::string source = "ABLE 0\r\nKEEP 1\r\n";
  WriteFile(dir.File("basewrd1.txt"), source);
  fs.FailRename("basewrd1");

  EXPECT_FALSE(MoveCopyBasewords(e, MoveCopySettings{}));

  EXPECT_EQ(Source(), source);
  EXPECT_FALSE(Exists(dir.File("basewrd1.txt.tmp")));
  EXPECT_TRUE(LogHasErrorLine());
}

TEST_F(MoveCopyTest, FailingDestinationWriteLeavesBothListsAsTheyWere) {
  const std::string source = "ABLE 0\r\n\tABLY 0\r\nKEEP 1\r\n";
  WriteFile(dir.File("basewrd1.txt"), source);
  WriteFile(dir.File("basewrd4.txt"), "OLD 1\r\n");
  const std::vector<std::string> before = Entries();
  fs.FailWritesAfter("basewrd4", 10);

  EXPECT_FALSE(MoveCopyBasewords(e, MoveCopySettings{}));

  EXPECT_EQ(Source(), source);
  EXPECT_EQ(Dest(), "OLD 1\r\n");
  EXPECT_EQ(Entries(), before);
  ASSERT_FALSE(log().empty());
  const std::string error = dir.File("basewrd4.txt") + ": No space left on device";
  EXPECT_EQ(log()[0], "ERROR " + error);
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, error);
  EXPECT_TRUE(e.failed());
  EXPECT_EQ(e.runError.ToString(), error);
}

TEST_F(MoveCopyTest, DestinationThatCannotBeCreatedIsReported) {
  WriteFile(dir.File("basewrd1.txt"), "ABLE 0\r\n");
  fs.FailCreate("basewrd4");

  EXPECT_FALSE(MoveCopyBasewords(e, MoveCopySettings{}));

  EXPECT_EQ(Source(), "ABLE 0\r\n");
  EXPECT_TRUE(LogHasErrorLine());
}

TEST_F(MoveCopyTest, Utf8ListsKeepTheirEncoding) {
  // A UTF-8 source with its byte order mark: the new destination is UTF-8 too, and what stays
  // in the source keeps its very bytes (Ω has no 8-bit form).
  WriteFile(dir.File("basewrd1.txt"),
            "\xEF\xBB\xBF# \xCE\xA9 list\r\ncaf\xC3\xA9 0\r\n\tcaf\xC3\xA9s 2\r\nKEEP 1\r\n");
  EXPECT_TRUE(MoveCopyBasewords(e, MoveCopySettings{}));
  EXPECT_EQ(Dest(), "\xEF\xBB\xBF" "CAF\xC3\x89 0\r\n\tCAF\xC3\x89S 2\r\n");
  EXPECT_EQ(Source(), "\xEF\xBB\xBF# \xCE\xA9 list\r\nKEEP 1\r\n\r\n");

  // An existing 8-bit destination keeps its own encoding.
  WriteFile(dir.File("basewrd4.txt"), "OLD\xC9 1\r\n");
  WriteFile(dir.File("basewrd1.txt"), "caf\xC3\xA9 0\r\n");
  EXPECT_TRUE(MoveCopyBasewords(e, MoveCopySettings{}));
  EXPECT_EQ(Dest(), "OLD\xC9 1\r\nCAF\xC9 0\r\n");
}

}  // namespace
}  // namespace quarn
