#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FaultFileSystem.h"
#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "lists/BasewordUpdate.h"
#include "state/Engine.h"
#include "store/WordEntry.h"
#include "store/WordTree.h"
#include "text/CharClassTable.h"

namespace quarn {
namespace {

using quarn::testing::Exists;
using quarn::testing::FaultFileSystem;
using quarn::testing::ReadFile;
using quarn::testing::TempDir;
using quarn::testing::TestHost;
using quarn::testing::WriteFile;
using Lines = std::vector<std::string>;

// Lets a number of renames and removals through and refuses every later one, as a process
// killed at that point would make no further change.
class StoppingFileSystem : public FaultFileSystem {
 public:
  void StopAfter(int changes) {
    left_ = changes;
    stopped_ = false;
  }
  bool stopped() const { return stopped_; }
  Status RenameFile(const std::string& from, const std::string& to) override {
    if (!Allow()) return Status::IOError(from, "killed");
    return FaultFileSystem::RenameFile(from, to);
  }
  Status RemoveFile(const std::string& path) override {
    if (!Allow()) return Status::IOError(path, "killed");
    return FaultFileSystem::RemoveFile(path);
  }

 private:
  bool Allow() {
    if (left_ < 0) return true;
    if (left_ == 0) stopped_ = true;
    if (stopped_) return false;
    --left_;
    return true;
  }
  int left_ = -1;
  bool stopped_ = false;
};

class BasewordUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing::OpenEmptyStore(e, dir.path()));
  }

  // Enters `times` occurrences of word, as the scanner does.
  void Add(const std::string& word, int times) {
    for (int i = 0; i < times; ++i) {
      addtowrdlist(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word, e.tree.wordGrow);
    }
  }

  // The names in the program folder other than the store's record file, sorted.
  Lines ListFiles() {
    Lines names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      std::string name = entry.path().filename().string();
      if (name != "tree.dvp") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TestHost host;
  TempDir dir;
  StoppingFileSystem fs;
  Engine e{host, fs};
};

TEST_F(BasewordUpdateTest, CountsAccumulate) {
  Add("ABLE", 3);
  Lines expected = {"ABLE 15", "\tABLY 0"};
  EXPECT_EQ(UpdateBasewordLines(e, {"able 12", "*ably"}), expected);
}

TEST_F(BasewordUpdateTest, ZeroKeepsOnlyThisRunsFrequency) {
  Add("ABLE", 3);
  e.options.Zero_base = true;
  Lines expected = {"ABLE 3", "\tABLY 0"};
  EXPECT_EQ(UpdateBasewordLines(e, {"able 12", "*ably 7"}), expected);
}

TEST_F(BasewordUpdateTest, LinesAreNormalised) {
  Add("ABLE", 3);
  Add("NOTE", 2);
  Add("DON", 4);
  Lines in = {"",        "   ",         "\t \t",   "# comment able 5",
              " #note",  "123",         "*",       "  Able   12 extra",
              "don't 3", "ACCEPT 0x10", "a#ble 3", "\t*ability, 2 (rare)"};
  Lines expected = {"",      "   ",       "\t \t", "# comment able 5", "\tNOTE 2", "\tABLE 15",
                    "DON 7", "ACCEPT 16", "A 3",   "\tABILITY 2"};
  EXPECT_EQ(UpdateBasewordLines(e, in), expected);
  EXPECT_FALSE(e.failed());
}

TEST_F(BasewordUpdateTest, BadCountCountsAsZero) {
  Add("ABLE", 3);
  Lines expected = {"ABLE 3"};
  EXPECT_EQ(UpdateBasewordLines(e, {"able 1 2"}), expected);
  ASSERT_FALSE(e.progress.lines.empty());
  EXPECT_EQ(e.progress.lines[0], "ERROR  Entry: ABLEhas bad count value: 1 resetting to zero");
}

TEST_F(BasewordUpdateTest, CountsStopAtTheLargest32BitValue) {
  Add("ABLE", 3);
  Lines expected = {"ABLE 2147483646", "ABLE 2147483647", "ABLE 2147483647", "ABLE 2147483647"};
  EXPECT_EQ(UpdateBasewordLines(
                e, {"ABLE 2147483643", "ABLE 2147483644", "ABLE 2147483645", "ABLE 2147483647"}),
            expected);
}

TEST_F(BasewordUpdateTest, FilesAreRewrittenUnderLowerCaseNames) {
  Add("ABLE", 3);
  Add("ABILITY", 1);
  e.ListCount = 2;
  WriteFile(dir.File("BASEWRD1.txt"), "able 12\r\n*ably\r\n# keep\r\n\tability\r\n");
  WriteFile(dir.File("basewrd2.txt"), "Able 1\nbogus\n123\n");
  UpdateBasewordFiles(e);
  CommitBasewordUpdates(e);
  ASSERT_FALSE(e.failed()) << e.runError.ToString();
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")), "ABLE 15\r\n\tABLY 0\r\n# keep\r\n\tABILITY 1\r\n");
  EXPECT_EQ(ReadFile(dir.File("basewrd2.txt")), "ABLE 4\r\nBOGUS 0\r\n");
  Lines files = {"basewrd1.txt", "basewrd2.txt"};
  EXPECT_EQ(ListFiles(), files);
  Lines messages = {"  Updating: " + dir.File("basewrd1.txt"),
                    "  Updating: " + dir.File("basewrd2.txt")};
  EXPECT_EQ(e.progress.lines, messages);
}

TEST_F(BasewordUpdateTest, UntickedListsAreLeftAlone) {
  Add("ABLE", 3);
  e.ListCount = 4;
  e.options.Basewrd2_on = false;
  for (int n = 1; n <= 4; ++n)
    WriteFile(dir.File("basewrd" + std::to_string(n) + ".txt"), "able\n");
  UpdateBasewordFiles(e);
  CommitBasewordUpdates(e);
  ASSERT_FALSE(e.failed());
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")), "ABLE 3\r\n");
  EXPECT_EQ(ReadFile(dir.File("basewrd2.txt")), "able\n");
  EXPECT_EQ(ReadFile(dir.File("basewrd3.txt")), "ABLE 3\r\n");
  EXPECT_EQ(ReadFile(dir.File("basewrd4.txt")), "ABLE 3\r\n");
  EXPECT_EQ(e.progress.lines.size(), 3u);
}

TEST_F(BasewordUpdateTest, FailedWriteLeavesEveryListAsItWas) {
  Add("ABLE", 3);
  const std::string one = "able 12\r\n\tably 1\r\nable2\r\n";
  const std::string two = "ability 5\n";
  const std::string three = "accept\n";
  WriteFile(dir.File("BASEWRD1.txt"), one);
  WriteFile(dir.File("basewrd2.txt"), two);
  WriteFile(dir.File("Basewrd3.TXT"), three);
  fs.FailWritesAfter(".tmp", 5);
  UpdateBasewordFiles(e);
  CommitBasewordUpdates(e);
  ASSERT_TRUE(e.failed());
  EXPECT_EQ(ReadFile(dir.File("BASEWRD1.txt")), one);
  EXPECT_EQ(ReadFile(dir.File("basewrd2.txt")), two);
  EXPECT_EQ(ReadFile(dir.File("Basewrd3.TXT")), three);
  Lines files = {"BASEWRD1.txt", "Basewrd3.TXT", "basewrd2.txt"};
  EXPECT_EQ(ListFiles(), files);
  Lines messages = {"  Updating: " + dir.File("basewrd1.txt"),
                    "ERROR " + dir.File("basewrd1.txt") + ": No space left on device"};
  EXPECT_EQ(e.progress.lines, messages);
}

TEST_F(BasewordUpdateTest, FailedRenameLeavesTheListAndNoTemporaryFile) {
  Add("ABLE", 3);
  e.ListCount = 1;
  WriteFile(dir.File("basewrd1.txt"), "able 12\n");
  fs.FailRename("basewrd1");
  UpdateBasewordFiles(e);
  CommitBasewordUpdates(e);
  ASSERT_TRUE(e.failed());
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")), "able 12\n");
  Lines files = {"basewrd1.txt"};
  EXPECT_EQ(ListFiles(), files);
  ASSERT_EQ(e.progress.lines.size(), 2u);
  EXPECT_EQ(e.progress.lines[1], "ERROR " + dir.File("basewrd1.txt") + ": Permission denied");
}

TEST_F(BasewordUpdateTest, MissingListFailsTheRun) {
  e.ListCount = 2;
  WriteFile(dir.File("basewrd1.txt"), "able 12\n");
  UpdateBasewordFiles(e);
  CommitBasewordUpdates(e);
  ASSERT_TRUE(e.failed());
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")), "ABLE 12\r\n");
  ASSERT_EQ(e.progress.lines.size(), 3u);
  EXPECT_EQ(e.progress.lines[2].rfind("ERROR " + dir.File("basewrd2.txt") + ": ", 0), 0u);
}

// The operating system's own file-size limit makes the write of the temporary file fail, as a
// full disk would; the child process carries the limit so the test runner is not affected.
TEST_F(BasewordUpdateTest, FileSizeLimitLeavesTheListAsItWas) {
  e.ListCount = 1;
  std::string list;
  for (int i = 0; i < 40000; ++i) {
    std::string word = "w";
    for (int k = i, d = 0; d < 4; ++d, k /= 26) word += static_cast<char>('a' + k % 26);
    list += word + " 1\r\n";
  }
  ASSERT_GT(list.size(), 200000u);
  WriteFile(dir.File("basewrd1.txt"), list);
  Add("WAAAA", 2);

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{65536, 65536};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
    // No fault is set on the test's file system: every failure here is the system's own.
    UpdateBasewordFiles(e);
    CommitBasewordUpdates(e);
    _exit(e.failed() ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the update should have failed on the size limit";
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")), list);
  EXPECT_FALSE(Exists(dir.File("basewrd1.tmp")));
}

// Entry lines with characters that Quarn reads as separators (ω) go back as they were read;
// other entry lines of the UTF-8 list are normalised in UTF-8 as before.
TEST_F(BasewordUpdateTest, LinesWithCharactersOutsideWindows1252AreKept) {
  Add("CAF\xC9", 3);
  Add("MIXED", 2);
  e.ListCount = 1;
  WriteFile(dir.File("BASEWRD1.txt"),
            "MIXED\xCF\x89ORD 4\ncaf\xC3\xA9 2\n\t\xCF\x89\xCF\x89 7 \n\xCF\x89\n");
  UpdateBasewordFiles(e);
  CommitBasewordUpdates(e);
  ASSERT_FALSE(e.failed()) << e.runError.ToString();
  EXPECT_EQ(ReadFile(dir.File("basewrd1.txt")),
            "MIXED\xCF\x89ORD 4\r\nCAF\xC3\x89 5\r\n\t\xCF\x89\xCF\x89 7 \r\n\xCF\x89\r\n");
  Lines messages = {"  Updating: " + dir.File("basewrd1.txt"),
                    "  Kept as they were: 2 lines of " + dir.File("BASEWRD1.txt") +
                        " with characters outside Windows-1252"};
  EXPECT_EQ(e.progress.lines, messages);
}

// A list that holds UTF-8 and bytes that are not UTF-8 cannot be written back in either
// encoding: it stays as it was, and the other lists are updated. An 8-bit list is as before.
TEST_F(BasewordUpdateTest, ListMixingUtf8WithOtherBytesIsLeftAlone) {
  Add("CAF\xC9", 3);
  e.ListCount = 3;
  const std::string mixed = "caf\xC3\xA9 1\r\n# \xCF\x89\r\nna\xEFve 3\r\ncaf\xE9\r\n";
  const std::string marked = "\xEF\xBB\xBF" "caf\xE9 1\n";
  WriteFile(dir.File("BASEWRD1.txt"), mixed);
  WriteFile(dir.File("BASEWRD2.txt"), "caf\xE9 2\n\tna\xEFve\n");
  WriteFile(dir.File("BASEWRD3.txt"), marked);
  UpdateBasewordFiles(e);
  CommitBasewordUpdates(e);
  ASSERT_FALSE(e.failed()) << e.runError.ToString();
  EXPECT_EQ(ReadFile(dir.File("BASEWRD1.txt")), mixed);
  EXPECT_EQ(ReadFile(dir.File("basewrd2.txt")), "CAF\xC9 5\r\n\tNA\xCFVE 0\r\n");
  EXPECT_EQ(ReadFile(dir.File("BASEWRD3.txt")), marked);
  Lines files = {"BASEWRD1.txt", "BASEWRD3.txt", "basewrd2.txt"};
  EXPECT_EQ(ListFiles(), files);
  const std::string kept = " is not UTF-8 while the list holds UTF-8: not updated, left as it was";
  Lines messages = {"  Updating: " + dir.File("basewrd1.txt"),
                    "ERROR " + dir.File("BASEWRD1.txt") + ": line 3" + kept,
                    "  Updating: " + dir.File("basewrd2.txt"),
                    "  Updating: " + dir.File("basewrd3.txt"),
                    "ERROR " + dir.File("BASEWRD3.txt") + ": line 1" + kept};
  EXPECT_EQ(e.progress.lines, messages);
}

// Stopped after any number of renames and removals, every list is found under exactly one
// name, holding either its old or its new counts.
TEST_F(BasewordUpdateTest, StoppedCommitLeavesOneCopyOfEachList) {
  Add("ABLE", 3);
  e.ListCount = 2;
  const std::string one = "able 1\n";
  const std::string two = "able 2\n";
  for (int changes = 0;; ++changes) {
    SCOPED_TRACE("stopped after " + std::to_string(changes));
    for (const std::string& name : ListFiles()) std::filesystem::remove(dir.File(name));
    WriteFile(dir.File("BASEWRD1.txt"), one);
    WriteFile(dir.File("Basewrd2.TXT"), two);
    e.StartOperation();
    fs.StopAfter(changes);
    UpdateBasewordFiles(e);
    CommitBasewordUpdates(e);
    for (int n = 1; n <= 2; ++n) {
      Lines copies;
      for (const std::string& name : ListFiles()) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        if (lower == "basewrd" + std::to_string(n) + ".txt") copies.push_back(name);
      }
      ASSERT_EQ(copies.size(), 1u) << "list " << n;
      const std::string content = ReadFile(dir.File(copies[0]));
      EXPECT_TRUE(content == (n == 1 ? one : two) ||
                  content == "ABLE " + std::to_string(n + 3) + "\r\n")
          << content;
    }
    if (!fs.stopped()) {
      Lines files = {"basewrd1.txt", "basewrd2.txt"};
      EXPECT_EQ(ListFiles(), files);
      EXPECT_EQ(ReadFile(dir.File("basewrd2.txt")), "ABLE 5\r\n");
      break;
    }
  }
}

// A list that is a link to a list kept elsewhere updates that list, and stays a link.
TEST_F(BasewordUpdateTest, LinkedListIsUpdatedWhereItLives) {
  Add("ABLE", 3);
  e.ListCount = 1;
  std::filesystem::create_directory(dir.File("shared"));
  WriteFile(dir.File("shared/common.txt"), "able 12\n");
  std::filesystem::create_symlink("shared/common.txt", dir.File("BASEWRD1.txt"));
  UpdateBasewordFiles(e);
  CommitBasewordUpdates(e);
  ASSERT_FALSE(e.failed()) << e.runError.ToString();
  EXPECT_EQ(ReadFile(dir.File("shared/common.txt")), "ABLE 15\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("basewrd1.txt")));
  Lines files = {"basewrd1.txt", "shared"};
  EXPECT_EQ(ListFiles(), files);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("shared")),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace quarn
