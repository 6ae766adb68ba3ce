#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "text/LineReader.h"
#include "text/TextWriter.h"

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

// The lines and final encoding of a file read with OpenDeciding and with OpenDetected.
struct ReadBack {
  std::vector<std::string> lines;
  FileEncoding encoding;
};
ReadBack ReadWith(bool deciding, const std::string& path) {
  ReadBack r;
  std::unique_ptr<LineReader> reader;
  Status s =
      deciding
          ? LineReader::OpenDeciding(*FileSystem::Default(), path, TextEncoding::kAuto, &reader)
          : LineReader::OpenDetected(*FileSystem::Default(), path, TextEncoding::kAuto, &reader);
  EXPECT_TRUE(s.ok());
  std::string line;
  while (reader->Next(&line)) r.lines.push_back(line);
  EXPECT_TRUE(reader->status().ok());
  r.encoding = reader->encoding();
  return r;
}

// Deciding on the first line that is not ASCII gives the lines (and, once such a line was read,
// the encoding) that looking at the whole file first gives.
TEST(LineReaderTest, DecidingLateReadsAsDecidingFirst) {
  const std::string longAscii = [] {
    std::string a;
    while (a.size() < 300000) a += "plain words on a line\r\n";
    return a;
  }();
  const std::string bom(kUtf8ByteOrderMark);
  const std::pair<const char*, std::string> files[] = {
      {"empty", ""},
      {"ascii", "one\r\ntwo\rthree\nfour"},
      {"mark and ascii", bom + "one\r\ntwo\r\n"},
      {"mark and UTF-8", bom + "caf\xC3\xA9\r\n"},
      {"mark and not UTF-8", bom + "caf\xE9\r\n"},
      {"UTF-8 after ascii", "one\r\ntwo\r\ncaf\xC3\xA9\r\nna\xC3\xAFve"},
      {"Windows-1252 after ascii", "one\r\ncaf\xE9\r\n"},
      {"UTF-8 then a stray byte", "caf\xC3\xA9\r\nx\r\n\x80\r\n"},
      {"a cut sequence at the end", "one\r\ncaf\xC3"},
      {"Word Perfect", "\xFFWPC\r\nwords\r\n"},
      {"UTF-8 after a long ascii run", longAscii + "caf\xC3\xA9\r\n" + longAscii},
      {"1252 after a long ascii run", longAscii + "caf\xE9\r\n"},
      {"UTF-8 after CR then LF", "one\r\ncaf\xC3\xA9\n"},
      {"a mark later is only characters", "one\r\n" + bom + "two\r\n"},
  };
  TempDir dir;
  for (const auto& [what, bytes] : files) {
    WriteFile(dir.File("f"), bytes);
    const ReadBack first = ReadWith(false, dir.File("f"));
    const ReadBack late = ReadWith(true, dir.File("f"));
    EXPECT_EQ(first.lines, late.lines) << what;
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
      EXPECT_EQ(first.encoding.encoding, late.encoding.encoding) << what;
      EXPECT_EQ(first.encoding.byteOrderMark, late.encoding.byteOrderMark) << what;
    }
  }
}

}  // namespace
}  // namespace quarn::testing
