#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TestHost.h"
#include "lists/BasewordName.h"
#include "state/Engine.h"

namespace quarn {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::TempDir;
using testing::TestHost;
using testing::WriteFile;

class BasewordNameTest : public ::testing::Test {
 protected:
  BasewordNameTest() : e(host) {
    SetProgramFolder(e, dir.path());
    e.ScratchFolder = dir.path();
  }
  std::optional<std::string> Find(const std::string& name) {
    return FindFileNoCase(e.fs, dir.path(), name);
  }
  const std::string kQuestion3 =
      "The file BASEWRD3.txt\rseems to be called: BASEWRD3.doc\rWould you like me to fix this?";

  TestHost host;
  TempDir dir;
  Engine e;
};

TEST_F(BasewordNameTest, FileNames) {
  EXPECT_EQ(BasewordFileName(1), "BASEWRD1.txt");
  EXPECT_EQ(BasewordFileName(64), "BASEWRD64.txt");
}

TEST_F(BasewordNameTest, FindsExactName) {
  WriteFile(dir.File("BASEWRD1.txt"), "A\r\n");
  EXPECT_EQ(Find("BASEWRD1.txt"), dir.path() + "BASEWRD1.txt");
}

TEST_F(BasewordNameTest, FindsNameInOtherLetterCase) {
  WriteFile(dir.File("basewrd1.TXT"), "A\r\n");
  EXPECT_EQ(Find("BASEWRD1.txt"), dir.path() + "basewrd1.TXT");
  EXPECT_EQ(Find("BASEWRD2.txt"), std::nullopt);
  EXPECT_EQ(Find("BASEWRD1.txt.bak"), std::nullopt);
}

TEST_F(BasewordNameTest, ExactNameWinsOverOtherCases) {
  WriteFile(dir.File("basewrd1.TXT"), "lower\r\n");
  WriteFile(dir.File("BASEWRD1.txt"), "exact\r\n");
  WriteFile(dir.File("Basewrd1.txt"), "mixed\r\n");
  EXPECT_EQ(Find("BASEWRD1.txt"), dir.path() + "BASEWRD1.txt");
  // Without the exact name, the first in byte order: 'A' sorts before 'a'.
  EXPECT_EQ(Find("basewrd1.txt"), dir.path() + "BASEWRD1.txt");
  EXPECT_EQ(Find("BASEWRD1.TXT"), dir.path() + "BASEWRD1.txt");
}

TEST_F(BasewordNameTest, FolderIsNotAFile) {
  std::filesystem::create_directory(dir.File("BASEWRD1.txt"));
  std::filesystem::create_directory(dir.File("basewrd2.txt"));
  EXPECT_EQ(Find("BASEWRD1.txt"), std::nullopt);
  EXPECT_EQ(Find("BASEWRD2.txt"), std::nullopt);
}

TEST_F(BasewordNameTest, RepairRenamesWhenAnsweredOk) {
  WriteFile(dir.File("BASEWRD3.doc"), "ABLE\r\n");
  host.answers = {true};
  EXPECT_FALSE(RepairBasewordName(e, dir.path(), "BASEWRD3"));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, kQuestion3);
  EXPECT_TRUE(host.boxes[0].withCancel);
  EXPECT_EQ(ReadFile(dir.File("BASEWRD3.txt")), "ABLE\r\n");
  EXPECT_FALSE(Exists(dir.File("BASEWRD3.doc")));
  EXPECT_TRUE(e.progress.lines.empty());
}

TEST_F(BasewordNameTest, RepairLeavesFileWhenCancelled) {
  WriteFile(dir.File("BASEWRD3.doc"), "ABLE\r\n");
  host.answers = {false};
  EXPECT_TRUE(RepairBasewordName(e, dir.path(), "BASEWRD3"));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text, kQuestion3);
  EXPECT_TRUE(Exists(dir.File("BASEWRD3.doc")));
  EXPECT_FALSE(Exists(dir.File("BASEWRD3.txt")));
}

TEST_F(BasewordNameTest, RepairWithoutCandidateAsksNothing) {
  WriteFile(dir.File("BASEWRD3"), "no extension\r\n");
  WriteFile(dir.File("BASEWRD30.txt"), "another list\r\n");
  WriteFile(dir.File("XBASEWRD3.txt"), "another name\r\n");
  std::filesystem::create_directory(dir.File("basewrd3.d"));
  host.defaultAnswer = true;
  EXPECT_TRUE(RepairBasewordName(e, dir.path(), "BASEWRD3"));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_TRUE(e.progress.lines.empty());
}

TEST_F(BasewordNameTest, RepairMatchesAnyCaseAndTakesFirstInOrder) {
  WriteFile(dir.File("basewrd3.doc"), "second\r\n");
  WriteFile(dir.File("BaseWrd3.bak"), "first\r\n");
  host.answers = {true};
  EXPECT_FALSE(RepairBasewordName(e, dir.path(), "BASEWRD3"));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0].text,
            "The file BASEWRD3.txt\rseems to be called: BaseWrd3.bak\r"
            "Would you like me to fix this?");
  EXPECT_EQ(ReadFile(dir.File("BASEWRD3.txt")), "first\r\n");
  EXPECT_TRUE(Exists(dir.File("basewrd3.doc")));
}

TEST_F(BasewordNameTest, RepairReportsFailedRename) {
  WriteFile(dir.File("BASEWRD3.doc"), "ABLE\r\n");
  // A non-empty folder under the wanted name cannot be replaced by a file.
  std::filesystem::create_directory(dir.File("BASEWRD3.txt"));
  WriteFile(dir.File("BASEWRD3.txt/keep"), "x");
  host.answers = {true};
  EXPECT_TRUE(RepairBasewordName(e, dir.path(), "BASEWRD3"));
  std::vector<std::string> expected = {"ERROR Couldn't Rename BASEWRD3.doccannot run"};
  EXPECT_EQ(e.progress.lines, expected);
  EXPECT_TRUE(Exists(dir.File("BASEWRD3.doc")));
}

}  // namespace
}  // namespace quarn
