#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "scan/TextScan.h"
#include "state/Engine.h"
#include "store/WordEntry.h"
#include "store/WordTree.h"
#include "text/CharCase.h"
#include "text/CharClassTable.h"
#include "text/TextWriter.h"

namespace quarn {
namespace {

using quarn::testing::FaultFileSystem;
using quarn::testing::ReadFile;
using quarn::testing::TempDir;
using quarn::testing::TestHost;
using quarn::testing::WriteFile;
using Strings = std::vector<std::string>;

Strings Words(std::string_view text, bool ignoreAngle = false,
              const CharClassTable& t = DefaultCharClassTable()) {
  std::string line = UpperCase(Trim(text));
  Strings out;
  size_t pos = 0;
  std::string_view w;
  while (NextWord(t, ignoreAngle, line, pos, &w)) out.emplace_back(w);
  return out;
}

TEST(TextScanTest, NextWordMovesPastEachWord) {
  CharClassTable t = DefaultCharClassTable();
  std::string_view line = "THE CAT'S HAT.";
  size_t pos = 0;
  std::string_view w;
  ASSERT_TRUE(NextWord(t, false, line, pos, &w));
  EXPECT_EQ(w, "THE");
  EXPECT_EQ(pos, 3u);
  ASSERT_TRUE(NextWord(t, false, line, pos, &w));
  EXPECT_EQ(w, "CAT");
  EXPECT_EQ(pos, 7u);
  ASSERT_TRUE(NextWord(t, false, line, pos, &w));
  EXPECT_EQ(w, "S");
  ASSERT_TRUE(NextWord(t, false, line, pos, &w));
  EXPECT_EQ(w, "HAT");
  EXPECT_EQ(pos, 13u);
  EXPECT_FALSE(NextWord(t, false, line, pos, &w));
  EXPECT_FALSE(NextWord(t, false, line, pos, &w));
  pos = 100;
  EXPECT_FALSE(NextWord(t, false, line, pos, &w));
  pos = 0;
  EXPECT_FALSE(NextWord(t, false, "", pos, &w));
}

TEST(TextScanTest, WordsOfTheDefaultTable) {
  EXPECT_EQ(Words("The cat's hat."), (Strings{"THE", "CAT", "S", "HAT"}));
  EXPECT_EQ(Words("\xC9T\xC9 \xE9t\xE9"), (Strings{"\xC9T\xC9", "\xC9T\xC9"}));
  EXPECT_EQ(Words("-2ND"), Strings{"ND"});
  EXPECT_EQ(Words("1998"), Strings{});
  EXPECT_EQ(Words("--- 12-34 -"), Strings{});
  EXPECT_EQ(Words(std::string("AB\0CD", 5)), (Strings{"AB", "CD"}));
}

TEST(TextScanTest, LongRunsAreCutAfterThirtyCharacters) {
  std::string run34(34, 'q');
  EXPECT_EQ(Words(run34), (Strings{std::string(30, 'Q'), "QQQQ"}));
  EXPECT_EQ(Words(std::string(30, 'a')), Strings{std::string(30, 'A')});
  // The 31st character is a joiner: it cannot begin the next word, so it is passed over.
  EXPECT_EQ(Words(std::string(30, 'a') + "-9b"), (Strings{std::string(30, 'A'), "B"}));
  EXPECT_EQ(Words(std::string(29, 'a') + "-9b"), (Strings{std::string(29, 'A') + "-", "B"}));
  EXPECT_EQ(Words(std::string(60, 'c')), (Strings{std::string(30, 'C'), std::string(30, 'C')}));
}

TEST(TextScanTest, IgnoreAngleSkipsTags) {
  EXPECT_EQ(Words("<b>Bold</b> text", true), (Strings{"BOLD", "TEXT"}));
  EXPECT_EQ(Words("<b>Bold</b> text", false), (Strings{"B", "BOLD", "B", "TEXT"}));
  // An unclosed tag hides the rest of the line.
  EXPECT_EQ(Words("one <two three", true), Strings{"ONE"});
  // '<' is a separator and ends the word before it; the tag is skipped at the next call.
  EXPECT_EQ(Words("a<p>b", true), (Strings{"A", "B"}));
  EXPECT_EQ(Words("<p><i>x</i></p>", true), Strings{"X"});
  EXPECT_EQ(Words("1<p>2 x", true), Strings{"X"});
  // A tag ends at the first '>' after its '<'; a stray '>' is a separator.
  EXPECT_EQ(Words("<a href=x>y>z", true), (Strings{"Y", "Z"}));
}

TEST(TextScanTest, AngleInsideAWordIsOnlySeenWhenItSeparates) {
  CharClassTable t = DefaultCharClassTable();
  ApplyCharClassLine("<1", t);
  EXPECT_EQ(Words("a<p>b", true, t), (Strings{"A<P", "B"}));
  // Between words it still opens a tag.
  EXPECT_EQ(Words("x <p>b", true, t), (Strings{"X", "B"}));
}

// A store in a fresh folder, ready for scanning file 1 with the default classes.
class TextScanFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  }

  int32_t Frequency(std::string_view word) {
    return LookupFrequency(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }

  TestHost host;
  Engine e{host};
  TempDir dir;
};

TEST_F(TextScanFileTest, EmptyFile) {
  std::string path = Write("empty.txt", "");
  ScanInputFile(e, path);
  EXPECT_FALSE(e.failed());
  EXPECT_EQ(e.progress.lines, (Strings{" Processing file: " + path, " ", "  Number of lines: 0",
                                       "  Number of words: 0", " "}));
  EXPECT_EQ(e.counters.TotalTokens, 0);
  EXPECT_EQ(e.tree.NodeCount, 0);
}

TEST_F(TextScanFileTest, WordsAreEnteredAndCounted) {
  std::string path = Write("a.txt", "The cat's hat.\r\n  \xE9t\xE9 the end  \r\n");
  ScanInputFile(e, path);
  EXPECT_FALSE(e.failed());
  EXPECT_EQ(Frequency("THE"), 2);
  EXPECT_EQ(Frequency("CAT"), 1);
  EXPECT_EQ(Frequency("S"), 1);
  EXPECT_EQ(Frequency("HAT"), 1);
  EXPECT_EQ(Frequency("\xC9T\xC9"), 1);
  EXPECT_EQ(Frequency("END"), 1);
  EXPECT_EQ(e.counters.TotalTokens, 7);
  ASSERT_EQ(e.progress.lines.size(), 5u);
  EXPECT_EQ(e.progress.lines[2], "  Number of lines: 2");
  EXPECT_EQ(e.progress.lines[3], "  Number of words: 7");
}

// Runs of letters longer than a word, starting anywhere in the scanner's 64-character blocks
// and running past one or two of them, are cut every 30 characters.
TEST_F(TextScanFileTest, LongRunsOfLettersAreCutEveryThirtyWherever) {
  std::string text;
  std::map<size_t, int32_t> pieces;  // length of a piece -> expected count
  int32_t tokens = 0;
  int32_t lines = 0;
  for (size_t offset = 0; offset < 70; ++offset) {
    for (size_t length : {29, 30, 31, 63, 64, 65, 94, 127, 128, 129, 200}) {
      text += std::string(offset, ' ') + std::string(length, 'a') + " z\n";
      pieces[30] += static_cast<int32_t>(length / 30);
      if (length % 30 != 0) ++pieces[length % 30];
      tokens += static_cast<int32_t>((length + 29) / 30) + 1;
      ++lines;
    }
  }
  ScanInputFile(e, Write("runs.txt", text));
  ASSERT_FALSE(e.failed());
  EXPECT_EQ(e.counters.TotalTokens, tokens);
  EXPECT_EQ(Frequency("Z"), lines);
  for (const auto& [length, count] : pieces) {
    EXPECT_EQ(Frequency(std::string(length, 'A')), count) << length;
  }
}

TEST_F(TextScanFileTest, TokensAddUpOverFiles) {
  std::string first = Write("1.txt", "one two\n");
  std::string second = Write("2.txt", "two three\n");
  ScanInputFile(e, first);
  SetFileNumber(e, 2);
  ScanInputFile(e, second);
  EXPECT_EQ(e.counters.TotalTokens, 4);
  EXPECT_EQ(Frequency("TWO"), 2);
  EXPECT_EQ(e.progress.lines.back(), " ");
  EXPECT_EQ(e.progress.lines[e.progress.lines.size() - 2], "  Number of words: 2");
}

TEST_F(TextScanFileTest, CommentLinesCountButHoldNoWords) {
  std::string path = Write("c.txt", "# first words\n  # not a comment\n\n#\n\t#tab\n");
  ScanInputFile(e, path);
  EXPECT_EQ(e.counters.TotalTokens, 0);
  EXPECT_EQ(e.tree.NodeCount, 0);
  EXPECT_EQ(e.progress.lines[2], "  Number of lines: 5");
  EXPECT_EQ(e.progress.lines[3], "  Number of words: 0");
}

TEST_F(TextScanFileTest, HashLaterInALineIsASeparator) {
  std::string path = Write("h.txt", "word #hash\n");
  ScanInputFile(e, path);
  EXPECT_EQ(Frequency("WORD"), 1);
  EXPECT_EQ(Frequency("HASH"), 1);
}

TEST_F(TextScanFileTest, IgnoreAngleIsTakenFromTheRunOptions) {
  std::string path = Write("t.txt", "<b>Bold</b> text\n");
  e.options.Ignore_Angle = true;
  ScanInputFile(e, path);
  EXPECT_EQ(Frequency("B"), 0);
  EXPECT_EQ(Frequency("BOLD"), 1);
  EXPECT_EQ(e.counters.TotalTokens, 2);
}

TEST_F(TextScanFileTest, ProgressEveryThousandLines) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "word\r\n";
  std::string path = Write("long.txt", text);
  ScanInputFile(e, path);
  EXPECT_EQ(e.progress.lines, (Strings{" Processing file: " + path,
                                       "  0001000,  0002000,  0003000,  0004000,  0005000, ", " ",
                                       "  Number of lines: 5000", "  Number of words: 5000", " "}));
  EXPECT_EQ(Frequency("WORD"), 5000);
}

TEST_F(TextScanFileTest, ProgressAfterTheFirstThousand) {
  std::string text;
  for (int i = 0; i < 1001; ++i) text += "\n";
  std::string path = Write("blank.txt", text);
  ScanInputFile(e, path);
  EXPECT_EQ(e.progress.lines, (Strings{" Processing file: " + path, "  0001000, ",
                                       "  Number of lines: 1001", "  Number of words: 0", " "}));
}

TEST_F(TextScanFileTest, WordPerfectFileIsSkipped) {
  std::string path = Write("wp.doc", "\xFFWPC words here\r\nmore words\r\n");
  ScanInputFile(e, path);
  EXPECT_FALSE(e.failed());
  EXPECT_EQ(e.progress.lines,
            (Strings{"ERROR  File " + path + " is a Word Perfect File, skipping!", "   "}));
  EXPECT_EQ(e.counters.TotalTokens, 0);
  EXPECT_EQ(Frequency("MORE"), 0);
}

TEST_F(TextScanFileTest, NearlyWordPerfectFilesAreScanned) {
  std::string a = Write("a.txt", "\xFFwpc\n");     // lower-case w
  std::string b = Write("b.txt", "\xFF\nWord\n");  // 255 alone on the first line
  std::string c = Write("c.txt", " \xFFWord\n");   // 255 not first
  ScanInputFile(e, a);
  ScanInputFile(e, b);
  ScanInputFile(e, c);
  EXPECT_EQ(Frequency("\x9FWPC"), 0);  // 255 upper-cases to 0x9F, a separator
  EXPECT_EQ(Frequency("WPC"), 1);
  EXPECT_EQ(Frequency("WORD"), 2);
}

TEST_F(TextScanFileTest, LineEndsOfAnyKindGiveTheSameWords) {
  std::string cr = Write("cr.txt", "one two\rthree\r\rfour");
  ScanInputFile(e, cr);
  Strings crLog(e.progress.lines.end() - 3, e.progress.lines.end());
  std::string crlf = Write("crlf.txt", "one two\r\nthree\r\n\r\nfour\r\n");
  ScanInputFile(e, crlf);
  Strings crlfLog(e.progress.lines.end() - 3, e.progress.lines.end());
  EXPECT_EQ(crLog, (Strings{"  Number of lines: 4", "  Number of words: 4", " "}));
  EXPECT_EQ(crlfLog, crLog);
  for (const char* w : {"ONE", "TWO", "THREE", "FOUR"}) EXPECT_EQ(Frequency(w), 2) << w;
}

TEST_F(TextScanFileTest, ResultsFileGetsAnEmptyLineBeforeTheCounts) {
  std::string path = Write("empty.txt", "");
  ASSERT_TRUE(TextWriter::Open(e.fs, dir.File("results.txt"), false, &e.resultsFile).ok());
  ScanInputFile(e, path);
  ASSERT_TRUE(e.resultsFile->Close().ok());
  EXPECT_EQ(ReadFile(dir.File("results.txt")),
            " Processing file: " + path +
                "\r\n\r\n\r\n  Number of lines: 0\r\n  Number of words: 0\r\n\r\n");
}

TEST_F(TextScanFileTest, MissingFileFailsTheRun) {
  std::string path = dir.File("nowhere.txt");
  ScanInputFile(e, path);
  EXPECT_TRUE(e.failed());
  EXPECT_EQ(e.runError.path(), path);
  EXPECT_EQ(e.counters.TotalTokens, 0);
}

// Words are entered in chunks of a few thousand, cut while earlier ones are entered; lines far
// longer than a chunk and chunks ending at a line's end lose and repeat nothing.
TEST_F(TextScanFileTest, LinesLongerThanAChunkAreEnteredWhole) {
  std::string text;
  std::map<std::string, int32_t> expected;
  int32_t tokens = 0;
  for (int words : {4095, 4096, 4097, 1, 9000, 8192}) {
    for (int i = 0; i < words; ++i) {
      const std::string w = "w" + std::to_string(i % 700);
      text += w + (i + 1 < words ? " " : "\n");
      ++expected["W" + std::to_string(i % 700)];
      ++tokens;
    }
    text += "# a comment between\n\n";
  }
  ScanInputFile(e, Write("long-lines.txt", text));
  ASSERT_FALSE(e.failed());
  EXPECT_EQ(e.counters.TotalTokens, tokens);
  for (const auto& [word, count] : expected) EXPECT_EQ(Frequency(word), count) << word;
  EXPECT_EQ(e.progress.lines[e.progress.lines.size() - 3], "  Number of lines: 18");
  EXPECT_EQ(e.progress.lines[e.progress.lines.size() - 2],
            "  Number of words: " + std::to_string(tokens));
}

// Scans text into a store that fails at its third new word (its record file is full) and gives
// the number of words entered; the failure leaves no line or word counts.
int32_t TokensWhenTheStoreFailsScanning(const std::string& text) {
  TempDir dir;
  FaultFileSystem fs;
  TestHost host;
  Engine e(host, fs);
  e.ScratchFolder = dir.path();
  fs.FailWritesAfter("tree.dvp", 0);
  EXPECT_TRUE(e.fs.NewRecordFile(e.TreeFilePath(), &e.tree.recordFile).ok());
  ResetStore(e.tree);
  e.tree.MemoryNodeLimit = 2;  // the third word goes to the record file
  e.classes = DefaultCharClassTable();
  SetFileNumber(e, 1);
  WriteFile(dir.File("in.txt"), text);
  ScanInputFile(e, dir.File("in.txt"));
  EXPECT_TRUE(e.failed());
  EXPECT_EQ(e.progress.lines.size(), 2u);  // no line or word counts
  return static_cast<int32_t>(e.counters.TotalTokens);
}

TEST(TextScanStoreFailureTest, AFailedStoreEndsTheScanAtTheNextLine) {
  // The first line is finished, the second not begun.
  EXPECT_EQ(TokensWhenTheStoreFailsScanning("alpha beta gamma delta\nnever read\n"), 4);
}

// The failing line is still finished however it falls into the scanner's chunks, nothing after
// it is read.
TEST(TextScanStoreFailureTest, TheFailingLineIsFinishedAcrossChunks) {
  for (int words : {4095, 4096, 4097, 8192, 10000}) {
    std::string text;
    for (int i = 0; i < words; ++i) text += "w" + std::to_string(i) + " ";
    EXPECT_EQ(TokensWhenTheStoreFailsScanning(text + "\nnever read\n"), words) << words;
  }
}


// A file of nothing but line ends, more of them than a 32-bit counter holds, made up as it is
// read rather than stored.
class LineEndsFile : public SequentialFile {
 public:
  explicit LineEndsFile(uint64_t lines) : left_(lines) {}
  Status Read(size_t n, char* buf, size_t* got) override {
    *got = static_cast<size_t>(std::min<uint64_t>(n, left_));
    std::memset(buf, '\n', *got);
    left_ -= *got;
    return Status::OK();
  }

 private:
  uint64_t left_;
};

class LineEndsFileSystem : public FaultFileSystem {
 public:
  Status NewSequentialFile(const std::string& path,
                           std::unique_ptr<SequentialFile>* result) override {
    if (path.find("line-ends") == std::string::npos)
      return FaultFileSystem::NewSequentialFile(path, result);
    *result = std::make_unique<LineEndsFile>(kLines);
    return Status::OK();
  }
  static constexpr uint64_t kLines = (uint64_t{1} << 31) + 1000;
};

TEST(TextScanLongFileTest, LinesBeyondTwoToTheThirtyOneAreCounted) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "2^31 lines take many minutes under the sanitizers; the plain build runs this";
#endif
  LineEndsFileSystem fs;
  TempDir dir;
  TestHost host;
  Engine e(host, fs);
  ASSERT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  ScanInputFile(e, dir.File("line-ends.txt"));
  ASSERT_FALSE(e.failed());
  const Strings& log = e.progress.lines;
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], "  Number of lines: " + std::to_string(LineEndsFileSystem::kLines));
  // The progress count goes on past 2^31 as well: the last one shown is 2147484000.
  EXPECT_NE(log[log.size() - 4].find("2147484000, "), std::string::npos);
}

}  // namespace
}  // namespace quarn
