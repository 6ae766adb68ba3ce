#include "ReplaceFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "TempDir.h"

namespace quarn {
namespace {

using testing::FaultFileSystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class ReplaceFileTest : public ::testing::Test {
 protected:
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    EXPECT_TRUE(FileSystem::Default()->ListDirectory(dir.path(), &names).ok());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir;
  FaultFileSystem fs;
};

TEST_F(ReplaceFileTest, UnfinishedReplacementsLeaveNoTemporary) {
  WriteFile(dir.File("a.txt"), "a\r\n");
  WriteFile(dir.File("b.txt"), "b\r\n");

  // The second rename refused: the first file has its new text, the second its old one.
  fs.FailRename("b.txt");
  {
    FileReplacement both(fs);
    ASSERT_TRUE(both.Stage(dir.File("a.txt"), "A\r\n").ok());
    ASSERT_TRUE(both.Stage(dir.File("b.txt"), "B\r\n").ok());
    EXPECT_EQ(both.Commit().ToString(), dir.File("b.txt") + ": Permission denied");
  }
  EXPECT_EQ(ReadFile(dir.File("a.txt")), "A\r\n");
  EXPECT_EQ(ReadFile(dir.File("b.txt")), "b\r\n");

  // Staged but never committed: nothing changes.
  {
    FileReplacement abandoned(fs);
    ASSERT_TRUE(abandoned.Stage(dir.File("a.txt"), "never\r\n").ok());
  }
  EXPECT_EQ(ReadFile(dir.File("a.txt")), "A\r\n");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// Two spellings of one file never share a temporary: the second does not write over the first.
TEST_F(ReplaceFileTest, OneFileStagedUnderTwoSpellings) {
  WriteFile(dir.File("a.txt"), "old\r\n");
  FileReplacement both(fs);
  ASSERT_TRUE(both.Stage(dir.File("a.txt"), "first\r\n").ok());
  ASSERT_TRUE(both.Stage(dir.path() + "./a.txt", "second\r\n").ok());
  EXPECT_EQ(Entries(), (std::vector<std::string>{"a.txt", "a.txt.tmp", "a.txt.tmp1"}));

  ASSERT_TRUE(both.Commit().ok());

  EXPECT_EQ(ReadFile(dir.File("a.txt")), "second\r\n");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"a.txt"}));
}


// A list reached through a link (a list shared between folders) gets its new content where it
// lives; the link stays a link.
TEST_F(ReplaceFileTest, ALinkedFileIsReplacedWhereItLives) {
  std::filesystem::create_directory(dir.File("shared"));
  WriteFile(dir.File("shared/list.txt"), "old\r\n");
  std::filesystem::create_symlink("shared/list.txt", dir.File("BASEWRD2.txt"));
  ASSERT_TRUE(ReplaceFile(fs, dir.File("BASEWRD2.txt"), "new\r\n").ok());
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("BASEWRD2.txt")));
  EXPECT_EQ(ReadFile(dir.File("shared/list.txt")), "new\r\n");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"BASEWRD2.txt", "shared"}));
}

}  // namespace
}  // namespace quarn
