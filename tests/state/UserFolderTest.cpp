// The user's own folder on first start from the menu: created with a copy of the shipped lists
// and texts, and never a user's file replaced.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "TempDir.h"
#include "state/UserFolder.h"

namespace quarn::testing {
namespace {

class UserFolderTest : public ::testing::Test {
 protected:
  UserFolderTest() {
    std::filesystem::create_directories(dir.File("share/lists/extra"));
    std::filesystem::create_directories(dir.File("share/sample"));
    WriteFile(dir.File("share/lists/BASEWRD1.txt"), "THE 0\r\n");
    WriteFile(dir.File("share/lists/BASEWRD2.txt"), "ABLE 0\r\n\tABILITY 0\r\n");
    WriteFile(dir.File("share/lists/NOTICE"), "lists notice\n");
    WriteFile(dir.File("share/lists/extra/BASEWRD3.txt"), "not shipped at the top\n");
    WriteFile(dir.File("share/sample/ca01.txt"), "The Fulton County Grand Jury said\n");
  }

  Status Prepare(FileSystem& fs, std::vector<std::string>* copied = nullptr) {
    return PrepareUserFolder(
        fs, user, {dir.File("share/lists"), dir.File("share/sample"), dir.File("share/none")},
        copied);
  }

  TempDir dir;
  const std::string user = dir.File("home/Quarn");
};

TEST_F(UserFolderTest, FirstStartCreatesTheFolderWithACopyOfEveryShippedFile) {
  std::vector<std::string> copied;
  ASSERT_TRUE(Prepare(*FileSystem::Default(), &copied).ok());
  const std::map<std::string, std::string> want = {
      {"BASEWRD1.txt", "THE 0\r\n"},
      {"BASEWRD2.txt", "ABLE 0\r\n\tABILITY 0\r\n"},
      {"NOTICE", "lists notice\n"},
      {"ca01.txt", "The Fulton County Grand Jury said\n"}};
  EXPECT_EQ(FolderFiles(user), want);
  EXPECT_EQ(copied.size(), 4u);
  // A second start finds everything there and copies nothing.
  copied.clear();
  ASSERT_TRUE(Prepare(*FileSystem::Default(), &copied).ok());
  EXPECT_TRUE(copied.empty());
  EXPECT_EQ(FolderFiles(user), want);
}

TEST_F(UserFolderTest, TheUsersFilesStayAsTheyAreInAnyLetterCase) {
  std::filesystem::create_directories(user);
  WriteFile(user + "/BASEWRD1.txt", "THE 120\r\nOF 80\r\n");  // updated by the user's runs
  WriteFile(user + "/basewrd2.txt", "");                      // emptied, in lower case
  WriteFile(user + "/mine.txt", "my own text\n");
  std::vector<std::string> copied;
  ASSERT_TRUE(Prepare(*FileSystem::Default(), &copied).ok());
  EXPECT_EQ(copied, (std::vector<std::string>{"NOTICE", "ca01.txt"}));
  const std::map<std::string, std::string> files = FolderFiles(user);
  EXPECT_EQ(files.at("BASEWRD1.txt"), "THE 120\r\nOF 80\r\n");
  EXPECT_EQ(files.at("basewrd2.txt"), "");
  EXPECT_EQ(files.count("BASEWRD2.txt"), 0u);
  EXPECT_EQ(files.at("mine.txt"), "my own text\n");
  // A shipped file the user deleted comes back as shipped.
  std::filesystem::remove(user + "/ca01.txt");
  ASSERT_TRUE(Prepare(*FileSystem::Default()).ok());
  EXPECT_EQ(FolderFiles(user).at("ca01.txt"), "The Fulton County Grand Jury said\n");
}

TEST_F(UserFolderTest, ACopyCutShortLeavesNoPartialFileAndTheNextStartCompletesIt) {
  FaultFileSystem fs;
  fs.FailWritesAfter("BASEWRD2", 4);
  const Status failed = Prepare(fs);
  ASSERT_FALSE(failed.ok());
  EXPECT_NE(failed.ToString().find("No space left on device"), std::string::npos);
  std::map<std::string, std::string> files = FolderFiles(user);
  EXPECT_EQ(files.count("BASEWRD2.txt"), 0u);
  EXPECT_EQ(files.count("BASEWRD2.txt.quarn-copy"), 0u);
  fs.Clear();
  fs.FailRename("ca01");
  EXPECT_FALSE(Prepare(fs).ok());
  EXPECT_EQ(FolderFiles(user).count("ca01.txt"), 0u);
  fs.Clear();
  ASSERT_TRUE(Prepare(fs).ok());
  files = FolderFiles(user);
  EXPECT_EQ(files.size(), 4u);
  EXPECT_EQ(files.at("BASEWRD2.txt"), "ABLE 0\r\n\tABILITY 0\r\n");
  EXPECT_EQ(files.at("ca01.txt"), "The Fulton County Grand Jury said\n");
}

TEST_F(UserFolderTest, AFolderThatCannotBeMadeIsAnError) {
  WriteFile(dir.File("home"), "a file where the folder should go");
  EXPECT_FALSE(Prepare(*FileSystem::Default()).ok());
}

}  // namespace
}  // namespace quarn::testing
