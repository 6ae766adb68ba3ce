// Reading texts again after a run: only regular files are read, so that a device or a pipe
// named as a text neither blocks nor runs without end.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "TempDir.h"
#include "explore/Concordance.h"

namespace quarn {
namespace {

TEST(TextFilesTest, DevicesAndPipesAreRefusedAtOnceAndFilesRead) {
  testing::TempDir dir;
  const std::string fifo = dir.File("pipe.txt");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  testing::WriteFile(dir.File("text.txt"), "The jury said.\n");
  FileSystem& fs = *FileSystem::Default();
  for (const std::string& path : {std::string("/dev/zero"), fifo, dir.path()}) {
    int lines = 0;
    const Status s = ForEachTextLine(fs, path, TextCutting(), [&lines](int64_t, const std::string&, const std::vector<LineWord>&) {
      ++lines;
      return true;
    });
    EXPECT_FALSE(s.ok()) << path;
    EXPECT_EQ(lines, 0) << path;
  }
  std::vector<ConcordanceLine> found;
  EXPECT_FALSE(FindOccurrences(fs, {"/dev/zero"}, TextCutting(), {"THE"}, 40, &found).ok());
  ASSERT_TRUE(FindOccurrences(fs, {dir.File("text.txt")}, TextCutting(), {"THE"}, 40, &found).ok());
  EXPECT_EQ(found.size(), size_t{1});
}

}  // namespace
}  // namespace quarn
