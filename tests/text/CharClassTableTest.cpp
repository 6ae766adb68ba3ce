#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "TempDir.h"
#include "scan/TextScan.h"
#include "text/CharCase.h"
#include "text/CharClassTable.h"

namespace quarn {
namespace {

using quarn::testing::TempDir;
using quarn::testing::WriteFile;

// The words a text line yields, cut the way the scanner cuts them.
std::vector<std::string> Words(const CharClassTable& t, std::string_view text) {
  std::string line = UpperCase(Trim(text));
  std::vector<std::string> out;
  size_t pos = 0;
  std::string_view w;
  while (NextWord(t, false, line, pos, &w)) out.emplace_back(w);
  return out;
}

using Strings = std::vector<std::string>;

int CountClass(const CharClassTable& t, int cls) {
  int n = 0;
  for (int c = 0; c < 256; ++c) n += t.classes[c] == cls ? 1 : 0;
  return n;
}

TEST(CharClassTableTest, DefaultTableLettersAndJoiners) {
  CharClassTable t = DefaultCharClassTable();
  EXPECT_EQ(t.Class('-'), 1);
  EXPECT_EQ(t.Class('0'), 1);
  EXPECT_EQ(t.Class('9'), 1);
  EXPECT_EQ(t.Class('A'), 2);
  EXPECT_EQ(t.Class('Z'), 2);
  for (int c : {0xC0, 0xCF, 0xD1, 0xD6, 0xD9, 0xDD, 0xE0, 0xEF, 0xF1, 0xF6, 0xF9, 0xFD}) {
    EXPECT_EQ(t.Class(static_cast<unsigned char>(c)), 2) << c;
  }
  for (int c :
       std::initializer_list<int>{0,    'a',  'z',  '\'', '@',  '[',  '.',  '/',  ':',  0xD0, 0xD7,
                                  0xD8, 0xDE, 0xDF, 0xF0, 0xF7, 0xF8, 0xFE, 0xFF, 0x8A, 0x9F}) {
    EXPECT_EQ(t.Class(static_cast<unsigned char>(c)), 0) << c;
  }
  // A-Z 26, 192-207 16, 209-214 6, 217-221 5, 224-239 16, 241-246 6, 249-253 5.
  EXPECT_EQ(CountClass(t, 2), 80);
  EXPECT_EQ(CountClass(t, 1), 11);
  EXPECT_EQ(CountClass(t, 0), 256 - 91);
}

TEST(CharClassTableTest, DefaultTableWords) {
  CharClassTable t = DefaultCharClassTable();
  EXPECT_EQ(Words(t, "able-bodied 12"), Strings{"ABLE-BODIED"});
  EXPECT_EQ(Words(t, "4x4"), Strings{"X4"});
  EXPECT_EQ(Words(t, "\xD8"), Strings{});  // O stroke
  EXPECT_EQ(Words(t, "\xF8"), Strings{});  // o stroke, upper-cased to O stroke
  EXPECT_EQ(Words(t, "\xD8le"), Strings{"LE"});
  EXPECT_EQ(Words(t, "Don't co-operate, A4!"), (Strings{"DON", "T", "CO-OPERATE", "A4"}));
}

TEST(CharClassTableTest, LineForms) {
  struct Case {
    std::string line;
    unsigned char code;
    int expected;  // 7 = the line changed nothing
  };
  const Case cases[] = {
      {"A 2", 'A', 2},
      {"A2", 'A', 2},
      {"A  2", 'A', 2},
      {"    \xD1 2", 0xD1, 2},
      {"'1", '\'', 1},
      {"-1", '-', 1},
      {"# 2", '#', 7},
      {"#1", '#', 7},
      {"\t#1", '#', 1},
      {" \t #1", '#', 1},
      {"A 2 ", 'A', 7},
      {"A\t2", 'A', 7},
      {"A $10", 'A', 16},
      {"A x1F", 'A', 31},
      {"A X1f", 'A', 31},
      {"A 0x102", 'A', 2},
      {"A 0XfF", 'A', 255},
      {"A $FFFFFFFF", 'A', 255},
      {"A $00000101", 'A', 1},
      {"A $123456789", 'A', 7},  // nine hex digits
      {"A 0x", 'A', 7},
      {"A $", 'A', 7},
      {"A $G", 'A', 7},
      {"A -$10", 'A', 7},
      {"A -1", 'A', 255},
      {"A 258", 'A', 2},
      {"A +5", 'A', 5},
      {"A 0010", 'A', 10},
      {"A 2147483647", 'A', 255},
      {"A -2147483648", 'A', 0},
      {"A 2147483648", 'A', 7},
      {"A -2147483649", 'A', 7},
      {"A +-5", 'A', 7},
      {"A --5", 'A', 7},
      {"A -", 'A', 7},
      {"A +", 'A', 7},
      {"A 1.5", 'A', 7},
      {"A", 'A', 7},
      {"A ", 'A', 7},
      {"AA 2", 'A', 7},
  };
  for (const Case& c : cases) {
    CharClassTable t;
    t.classes[c.code] = 7;
    ApplyCharClassLine(c.line, t);
    EXPECT_EQ(t.classes[c.code], c.expected) << "line \"" << c.line << "\"";
    int others = 0;
    for (int k = 0; k < 256; ++k) others += (k != c.code && t.classes[k] != 0) ? 1 : 0;
    EXPECT_EQ(others, 0) << "line \"" << c.line << "\"";
  }
}

TEST(CharClassTableTest, LinesThatSetNothing) {
  for (std::string line : {std::string(""), std::string("   "), std::string("\t\t"),
                           std::string(" \t "), std::string("\0 2", 3), std::string(" \0x2", 4)}) {
    CharClassTable t;
    ApplyCharClassLine(line, t);
    EXPECT_EQ(CountClass(t, 0), 256) << "line of " << line.size() << " characters";
  }
}

TEST(CharClassTableTest, MissingFileGivesTheDefaultTable) {
  TempDir dir;
  CharClassTable t;
  t.classes['!'] = 9;
  ASSERT_TRUE(BuildCharClassTable(*FileSystem::Default(), dir.path(), &t).ok());
  EXPECT_EQ(t.classes, DefaultCharClassTable().classes);
}

TEST(CharClassTableTest, FileReplacesTheDefaultTableEntirely) {
  TempDir dir;
  WriteFile(dir.File("quarn.txt"), "# only A\r\nA 2\r\n");
  CharClassTable t = DefaultCharClassTable();
  ASSERT_TRUE(BuildCharClassTable(*FileSystem::Default(), dir.path(), &t).ok());
  EXPECT_EQ(t.Class('A'), 2);
  EXPECT_EQ(CountClass(t, 0), 255);
  EXPECT_EQ(Words(t, "banana"), (Strings{"A", "A", "A"}));
  EXPECT_EQ(Words(t, "B-52"), Strings{});
}

TEST(CharClassTableTest, OnlyCommentsMakesEverythingASeparator) {
  TempDir dir;
  WriteFile(dir.File("quarn.txt"), "# A 2\n#B 2\n\n");
  CharClassTable t = DefaultCharClassTable();
  ASSERT_TRUE(BuildCharClassTable(*FileSystem::Default(), dir.path(), &t).ok());
  EXPECT_EQ(CountClass(t, 0), 256);
  EXPECT_EQ(Words(t, "Any text at all, 42"), Strings{});
}

TEST(CharClassTableTest, LastLineWinsAndBadLinesDoNotStopTheFile) {
  TempDir dir;
  WriteFile(dir.File("quarn.txt"), "A 2\rB 2 \rA 1\r\tB\t2\rC 2\r");
  CharClassTable t;
  ASSERT_TRUE(BuildCharClassTable(*FileSystem::Default(), dir.path(), &t).ok());
  EXPECT_EQ(t.Class('A'), 1);
  EXPECT_EQ(t.Class('B'), 0);
  EXPECT_EQ(t.Class('C'), 2);
}

TEST(CharClassTableTest, LowerCaseEntriesHaveNoEffectOnText) {
  TempDir dir;
  WriteFile(dir.File("quarn.txt"), "a 2\nb 2\n");
  CharClassTable t;
  ASSERT_TRUE(BuildCharClassTable(*FileSystem::Default(), dir.path(), &t).ok());
  EXPECT_EQ(Words(t, "abba"), Strings{});
}

TEST(CharClassTableTest, ClassThreeContinuesButNeverBeginsInTexts) {
  CharClassTable t = DefaultCharClassTable();
  ApplyCharClassLine("'3", t);
  ASSERT_EQ(t.Class('\''), 3);
  EXPECT_EQ(Words(t, "don't 'tis"), (Strings{"DON'T", "TIS"}));
}

TEST(CharClassTableTest, NameInAnotherLetterCaseIsFound) {
  TempDir dir;
  WriteFile(dir.File("QUARN.TXT"), "Z 2\n");
  CharClassTable t;
  ASSERT_TRUE(BuildCharClassTable(*FileSystem::Default(), dir.path(), &t).ok());
  EXPECT_EQ(t.Class('Z'), 2);
  EXPECT_EQ(t.Class('A'), 0);
}

// Passes everything to the real file system but refuses to open files for reading.
class UnreadableFileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& p) override { return real_->FileExists(p); }
  bool DirectoryExists(const std::string& p) override { return real_->DirectoryExists(p); }
  Status NewSequentialFile(const std::string& p, std::unique_ptr<SequentialFile>*) override {
    return Status::IOError(p, "Permission denied");
  }
  Status NewWritableFile(const std::string& p, std::unique_ptr<WritableFile>* r) override {
    return real_->NewWritableFile(p, r);
  }
  Status NewAppendableFile(const std::string& p, std::unique_ptr<WritableFile>* r) override {
    return real_->NewAppendableFile(p, r);
  }
  Status NewRecordFile(const std::string& p, std::unique_ptr<RecordFile>* r) override {
    return real_->NewRecordFile(p, r);
  }
  Status RemoveFile(const std::string& p) override { return real_->RemoveFile(p); }
  Status RenameFile(const std::string& f, const std::string& t) override {
    return real_->RenameFile(f, t);
  }
  Status ListDirectory(const std::string& d, std::vector<std::string>* n) override {
    return real_->ListDirectory(d, n);
  }
  std::string CurrentDirectory() override { return real_->CurrentDirectory(); }

 private:
  FileSystem* real_ = FileSystem::Default();
};

TEST(CharClassTableTest, UnreadableFileIsAFailure) {
  TempDir dir;
  WriteFile(dir.File("quarn.txt"), "A 2\n");
  UnreadableFileSystem fs;
  CharClassTable t;
  Status s = BuildCharClassTable(fs, dir.path(), &t);
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(s.path(), dir.File("quarn.txt"));
}

TEST(CharClassTableTest, UnreadableButMissingFileIsNoFailure) {
  TempDir dir;
  UnreadableFileSystem fs;
  CharClassTable t;
  EXPECT_TRUE(BuildCharClassTable(fs, dir.path(), &t).ok());
  EXPECT_EQ(t.classes, DefaultCharClassTable().classes);
}

}  // namespace
}  // namespace quarn
