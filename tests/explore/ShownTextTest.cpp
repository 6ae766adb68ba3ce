#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TempDir.h"
#include "explore/ShownText.h"

namespace quarn::testing {
namespace {

struct Shown {
  std::vector<std::string> lines;
  std::vector<std::vector<std::string>> words;  // the words as they stand in the shown line
  std::vector<std::vector<std::string>> upper;
};

Shown Read(const std::string& path, TextEncoding encoding = TextEncoding::kAuto) {
  Shown out;
  TextCutting cutting;
  cutting.encoding = encoding;
  const Status s =
      ForEachShownLine(*FileSystem::Default(), path, cutting,
                       [&](int64_t, const std::string& line, const std::vector<LineWord>& words) {
                         out.lines.push_back(line);
                         out.words.emplace_back();
                         out.upper.emplace_back();
                         for (const LineWord& w : words) {
                           out.words.back().push_back(line.substr(w.start, w.length));
                           out.upper.back().push_back(w.upper);
                         }
                         return true;
                       });
  EXPECT_TRUE(s.ok()) << s.ToString();
  return out;
}

// A UTF-8 text keeps every character, its blank lines and its byte order mark off the screen;
// the words counted lie over the words as written (Greek is no word of the engine's 8-bit
// alphabet, so it is shown but not counted).
TEST(ShownTextTest, Utf8TextKeepsEveryCharacter) {
  TempDir dir;
  WriteFile(dir.File("g.txt"),
            "\xEF\xBB\xBFowner \xE2\x80\x94 \xCE\xB1\xCE\xB2\xCE\xB3 words.\r\n\r\ncaf\xC3\xA9 "
            "\xC3\x85ngstr\xC3\xB6m\n");
  const Shown s = Read(dir.File("g.txt"));
  ASSERT_EQ(s.lines.size(), 3u);
  EXPECT_EQ(s.lines[0], "owner \xE2\x80\x94 \xCE\xB1\xCE\xB2\xCE\xB3 words.");
  EXPECT_EQ(s.lines[1], "");
  EXPECT_EQ(s.lines[2], "caf\xC3\xA9 \xC3\x85ngstr\xC3\xB6m");
  EXPECT_EQ(s.words[0], (std::vector<std::string>{"owner", "words"}));
  EXPECT_EQ(s.words[2], (std::vector<std::string>{"caf\xC3\xA9", "\xC3\x85ngstr\xC3\xB6m"}));
  EXPECT_EQ(s.upper[2], (std::vector<std::string>{"CAF\xC9", "\xC5NGSTR\xD6M"}));
}

// A Windows-1252 text is shown in UTF-8; a stray byte of a UTF-8 text is taken as Windows-1252
// rather than dropped, as the scan takes it.
TEST(ShownTextTest, EightBitTextAndStrayBytes) {
  TempDir dir;
  WriteFile(dir.File("w.txt"), "caf\xE9 na\xEFve \x93quoted\x94\n");
  Shown s = Read(dir.File("w.txt"));
  ASSERT_EQ(s.lines.size(), 1u);
  EXPECT_EQ(s.lines[0], "caf\xC3\xA9 na\xC3\xAFve \xE2\x80\x9Cquoted\xE2\x80\x9D");
  EXPECT_EQ(s.words[0], (std::vector<std::string>{"caf\xC3\xA9", "na\xC3\xAFve", "quoted"}));
  WriteFile(dir.File("m.txt"), "\xCE\xB1 caf\xE9\n");
  s = Read(dir.File("m.txt"), TextEncoding::kUtf8);
  ASSERT_EQ(s.lines.size(), 1u);
  EXPECT_EQ(s.lines[0], "\xCE\xB1 caf\xC3\xA9");
}

// Contexts are cut between words, never inside one, keep the text's characters, and name the
// three words on either side; a line ends them.
TEST(ShownTextTest, ContextsAreCutBetweenWords) {
  TempDir dir;
  WriteFile(dir.File("c.txt"),
            "alpha beta gamma delta \xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82 epsilon NODE zeta eta "
            "theta iota kappa lambda\nNODE\n");
  std::vector<ContextLine> lines;
  ASSERT_TRUE(
      FindContexts(*FileSystem::Default(), {dir.File("c.txt")}, TextCutting{}, {"NODE"}, 18, &lines)
          .ok());
  ASSERT_EQ(lines.size(), 2u);
  const ContextLine& c = lines[0];
  EXPECT_EQ(c.word, "NODE");
  // 18 characters back fall inside "delta": the context starts at the next word; 18 forward
  // fall inside "iota", which is left out.
  EXPECT_EQ(c.left, "\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82 epsilon ");
  EXPECT_EQ(c.right, " zeta eta theta");
  EXPECT_EQ(c.leftWords, (std::vector<std::string>{"EPSILON", "DELTA", "GAMMA"}));
  EXPECT_EQ(c.rightWords, (std::vector<std::string>{"ZETA", "ETA", "THETA"}));
  EXPECT_TRUE(lines[1].left.empty() && lines[1].right.empty() && lines[1].leftWords.empty());
}

// Sorting by the first word to the left orders by that word, not by the characters read
// backwards ("ab" before "ba", though "ba" read backwards is "ab"); by the second word, that
// word first; a missing word sorts first.
TEST(ShownTextTest, ContextsSortByTheWordsAroundTheNode) {
  auto line = [](std::vector<std::string> left, std::vector<std::string> right) {
    ContextLine c;
    c.leftWords = std::move(left);
    c.rightWords = std::move(right);
    return c;
  };
  const ContextLine a = line({"BA", "X"}, {"Q"});
  const ContextLine b = line({"AB", "Z"}, {"P", "B"});
  const ContextLine c = line({"AB", "Y"}, {"P", "A"});
  const ContextLine none = line({}, {});
  EXPECT_TRUE(ContextLess(b, a, -1));
  EXPECT_FALSE(ContextLess(a, b, -1));
  EXPECT_TRUE(ContextLess(c, b, -1));  // tie on AB: the second word decides
  EXPECT_TRUE(ContextLess(a, c, -2));  // X < Y
  EXPECT_TRUE(ContextLess(c, b, 2));   // A < B
  EXPECT_TRUE(ContextLess(b, a, 1));   // P < Q
  EXPECT_TRUE(ContextLess(none, a, -1));
  EXPECT_FALSE(ContextLess(a, a, 3));
}

}  // namespace
}  // namespace quarn::testing
