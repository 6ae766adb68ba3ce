#include <gtest/gtest.h>

#include "TempDir.h"
#include "store/LineReader.h"
#include "store/TextWriter.h"

namespace quarn::testing {
namespace {

std::vector<std::string> Lines(const std::string& bytes) {
  TempDir dir;
  WriteFile(dir.File("f"), bytes);
  std::vector<std::string> lines;
  EXPECT_TRUE(ReadAllLines(*FileSystem::Default(), dir.File("f"), &lines).ok());
  return lines;
}

TEST(LineReaderTest, LineEnds) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Lines(""), V{});
  EXPECT_EQ(Lines("a"), V{"a"});
  EXPECT_EQ(Lines("a\n"), V{"a"});
  EXPECT_EQ(Lines("a\nb"), (V{"a", "b"}));
  EXPECT_EQ(Lines("a\r\nb\r\n"), (V{"a", "b"}));
  EXPECT_EQ(Lines("a\rb\r"), (V{"a", "b"}));
  EXPECT_EQ(Lines("\n\n"), (V{"", ""}));
  EXPECT_EQ(Lines("a\r\r\nb"), (V{"a", "", "b"}));
  EXPECT_EQ(Lines(std::string("a\0b\n", 4)), V{std::string("a\0b", 3)});
}

// Line ends are looked for eight bytes at a time: every end at every place of a line counts.
TEST(LineReaderTest, LineEndsAtEveryPlace) {
  using V = std::vector<std::string>;
  for (size_t at = 0; at < 20; ++at) {
    const std::string a(at, 'a');
    for (const char* end : {"\n", "\r", "\r\n"}) {
      EXPECT_EQ(Lines(a + end + "bcdefghijklmnopq" + end), (V{a, "bcdefghijklmnopq"})) << at;
    }
    // A lone CR, then an LF further on (at 0 the two are one CR LF).
    if (at > 0) {
      EXPECT_EQ(Lines(a + "\r" + a + "\n"), (V{a, a})) << at;
    }
  }
}

TEST(LineReaderTest, LinesAcrossBlocks) {
  // Lines longer than the reader's block, and a CR LF split between two blocks.
  std::string big(300000, 'x');
  std::string bytes = big + "\r\n" + "short\r\n" + std::string(262143, 'y') + "\r\nz";
  std::vector<std::string> lines = Lines(bytes);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], big);
  EXPECT_EQ(lines[1], "short");
  EXPECT_EQ(lines[2].size(), 262143u);
  EXPECT_EQ(lines[3], "z");
}

TEST(LineReaderTest, MissingFileIsAFailure) {
  std::vector<std::string> lines;
  Status s = ReadAllLines(*FileSystem::Default(), "/nonexistent/quarn/file", &lines);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(s.path(), "/nonexistent/quarn/file");
}

TEST(TextWriterTest, CrLfAndAppend) {
  TempDir dir;
  std::unique_ptr<TextWriter> w;
  ASSERT_TRUE(TextWriter::Open(*FileSystem::Default(), dir.File("t"), false, &w).ok());
  w->WriteLine("one");
  w->Write("tw");
  w->Write("o");
  w->EndLine();
  ASSERT_TRUE(w->Close().ok());
  ASSERT_TRUE(TextWriter::Open(*FileSystem::Default(), dir.File("t"), true, &w).ok());
  w->WriteLine(std::string(100000, 'z'));
  ASSERT_TRUE(w->Close().ok());
  EXPECT_EQ(ReadFile(dir.File("t")), "one\r\ntwo\r\n" + std::string(100000, 'z') + "\r\n");
}

TEST(TextWriterTest, OpenInMissingFolderFails) {
  std::unique_ptr<TextWriter> w;
  EXPECT_FALSE(TextWriter::Open(*FileSystem::Default(), "/nonexistent/quarn/t", false, &w).ok());
}

}  // namespace
}  // namespace quarn::testing
