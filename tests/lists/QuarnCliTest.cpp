// quarn-cli as a process: its exit statuses, and the --lists number.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"

namespace quarn {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr int kDone = 0;
constexpr int kStoppedAtCheck = 1;
constexpr int kIoFailure = 3;

// Runs quarn-cli in folder (where its scratch files go) with args, its output thrown away;
// fileSizeLimit > 0 lets it write no file beyond that many bytes, as a full disk would.
// Returns its exit status, or -1.
int RunCli(const TempDir& folder, std::vector<std::string> args, rlim_t fileSizeLimit = 0) {
  pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (chdir(folder.path().c_str()) != 0) _exit(102);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    if (fileSizeLimit > 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{fileSizeLimit, fileSizeLimit};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
    }
    std::vector<char*> argv{const_cast<char*>(QUARN_CLI_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(QUARN_CLI_PATH, argv.data());
    _exit(101);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// A list of n one-line families of 12 bytes, every one with the count 0.
std::string LongList(int n) {
  std::string list;
  for (int i = 0; i < n; ++i) {
    std::string word = "WORD";
    for (int k = i, d = 0; d < 4; ++d, k /= 26) word += static_cast<char>('A' + k % 26);
    list += word + " 0\r\n";
  }
  return list;
}

TEST(QuarnCliTest, MoveCopyExitsThreeOnAFullDiskAndOneOnARefusal) {
  TempDir dir;
  const std::string list = LongList(8000);
  WriteFile(dir.File("basewrd1.txt"), list);

  EXPECT_EQ(RunCli(dir, {"movecopy", "--folder", dir.path()}, 65536), kIoFailure);
  EXPECT_TRUE(ReadFile(dir.File("basewrd1.txt")) == list);
  EXPECT_FALSE(Exists(dir.File("basewrd4.txt")));
  EXPECT_FALSE(Exists(dir.File("basewrd4.txt.tmp")));

  EXPECT_EQ(RunCli(dir, {"movecopy", "--folder", dir.path(), "--to", "./basewrd1"}), kStoppedAtCheck);
  EXPECT_EQ(RunCli(dir, {"movecopy", "--folder", dir.path(), "--from", "none"}), kStoppedAtCheck);
  EXPECT_TRUE(ReadFile(dir.File("basewrd1.txt")) == list);
}

TEST(QuarnCliTest, HeadwordsExitsThreeOnAFullDiskAndOneOnARefusal) {
  TempDir dir;
  const std::string list = LongList(8000);  // 80,000 bytes of headwords
  WriteFile(dir.File("basewrd1.txt"), list);
  WriteFile(dir.File("headwords.txt"), "OLD\r\n");

  EXPECT_EQ(RunCli(dir, {"headwords", "--folder", dir.path()}, 65536), kIoFailure);
  EXPECT_TRUE(ReadFile(dir.File("headwords.txt")) == "OLD\r\n");
  EXPECT_FALSE(Exists(dir.File("headwords.txt.tmp")));

  EXPECT_EQ(RunCli(dir, {"headwords", "--folder", dir.path(), "--to", "basewrd1"}), kStoppedAtCheck);
  EXPECT_TRUE(ReadFile(dir.File("basewrd1.txt")) == list);
  EXPECT_EQ(RunCli(dir, {"headwords", "--folder", dir.path()}), kDone);
}

// --lists reads the number as the BaseWrdNum field does, hexadecimal included.
TEST(QuarnCliTest, ListsTakeTheIntegerNotation) {
  TempDir dir;
  WriteFile(dir.File("BASEWRD1.txt"), "ABLE 0\r\n");
  WriteFile(dir.File("BASEWRD2.txt"), "BAKE 0\r\n");
  WriteFile(dir.File("text.txt"), "able bake cake\r\n");
  auto profile = [&](const std::string& lists) {
    return RunCli(dir, {"profile", "--folder", dir.path(), "--results", dir.File("out"), "--lists",
                   lists, dir.File("text.txt")});
  };
  EXPECT_EQ(profile("0x2"), kDone);
  EXPECT_EQ(profile("0x3"), kStoppedAtCheck);  // BASEWRD3.txt is missing
  EXPECT_EQ(profile("2x"), 2);                 // not a whole number: bad usage
}

// SIGINT (Ctrl-C) and SIGTERM cancel a run as the window's Cancel does: "Run cancelled", exit
// status 1, every file of the folder as it was. The signal is sent once the scan has begun (the
// run reads a long text many times over, far longer than the signal takes to arrive).
TEST(QuarnCliTest, ProfileCancelledBySignalExitsOneLeavingEveryFileAsItWas) {
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    TempDir dir;
    WriteFile(dir.File("BASEWRD1.txt"), "THE 0\r\n\tTHEM 0\r\n");
    WriteFile(dir.File("BASEWRD2.txt"), "CAT 0\r\n");
    WriteFile(dir.File("BASEWRD3.txt"), "SAT 0\r\n");
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "The cat sat on the mat, line " + std::to_string(i) + "\n";
    WriteFile(dir.File("long.txt"), text);
    WriteFile(dir.File("long.mrk"), "an earlier marked copy\r\n");
    WriteFile(dir.File("out_quarn.txt"), "an earlier results file\r\n");
    const auto before = testing::FolderFiles(dir.path());

    std::vector<std::string> args = {QUARN_CLI_PATH, "profile", "--folder", dir.path(),
                                     "--results", dir.File("out_quarn.txt"), "--update",
                                     "--mark", "--overwrite", "--answer", "ok"};
    for (int i = 0; i < 40; ++i) args.push_back(dir.File("long.txt"));
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(102);
      dup2(out[1], STDOUT_FILENO);
      int null = open("/dev/null", O_WRONLY);
      dup2(null, STDERR_FILENO);
      close(out[0]);
      std::vector<char*> argv;
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(QUARN_CLI_PATH, argv.data());
      _exit(101);
    }
    close(out[1]);
    std::string output;
    char buf[4096];
    bool signalled = false;
    for (;;) {
      ssize_t got = read(out[0], buf, sizeof buf);
      if (got <= 0) break;
      output.append(buf, static_cast<size_t>(got));
      if (!signalled && output.find("Processing file: ") != std::string::npos) {
        kill(child, sig);
        signalled = true;
      }
    }
    close(out[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(signalled) << output << " status " << status;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kStoppedAtCheck);
    EXPECT_NE(output.find("\n Run cancelled\n"), std::string::npos);
    auto after = testing::FolderFiles(dir.path());
    after.erase("quarn.lock");
    EXPECT_TRUE(after == before);
  }
}

// --files-from adds the names of a list file, as many as there are: 70 texts make one run.
TEST(QuarnCliTest, FilesFromAList) {
  TempDir dir;
  WriteFile(dir.File("text.txt"), "able bake\r\n");
  std::string names;
  for (int i = 0; i < 69; ++i) names += dir.File("text.txt") + "\r\n";
  WriteFile(dir.File("names"), names + "\n");
  EXPECT_EQ(RunCli(dir, {"profile", "--folder", dir.path(), "--lists", "0", "--results",
                         dir.File("out"), dir.File("text.txt"), "--files-from", dir.File("names")}),
            kDone);
  EXPECT_NE(ReadFile(dir.File("out_quarn.txt")).find("     2\tWords appear in 70 input files"),
            std::string::npos);
  EXPECT_EQ(RunCli(dir, {"profile", "--files-from", dir.File("none")}), 2);
}

// A list file that starts with a byte order mark gives its first name whole; a folder, a pipe,
// a device, a file over 256 MB or a line over 64 KB is no list of files: refused at once (bad
// usage), nothing read or written. Without a writer, a pipe read would wait for ever.
TEST(QuarnCliTest, FilesFromSkipsAByteOrderMarkAndRefusesWhatIsNoList) {
  TempDir dir;
  WriteFile(dir.File("text.txt"), "able bake\r\n");
  WriteFile(dir.File("names"), "\xEF\xBB\xBFtext.txt\r\ntext.txt\n");
  auto profile = [&](const std::string& list) {
    return RunCli(dir, {"profile", "--lists", "0", "--results", "out", "--files-from", list});
  };
  EXPECT_EQ(profile(dir.File("names")), kDone);
  EXPECT_NE(ReadFile(dir.File("out_quarn.txt")).find("     2\tWords appear in  2 input files"),
            std::string::npos);
  std::remove(dir.File("out_quarn.txt").c_str());

  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  WriteFile(dir.File("long"), "text.txt\n" + std::string(64 * 1024 + 1, 'x') + "\n");
  WriteFile(dir.File("huge"), "text.txt\n");
  ASSERT_EQ(truncate(dir.File("huge").c_str(), (off_t{256} << 20) + 1), 0);  // sparse
  for (const std::string& list : {dir.path(), dir.File("fifo"), std::string("/dev/zero"),
                                  std::string("/dev/null"), dir.File("long"), dir.File("huge")}) {
    SCOPED_TRACE(list);
    EXPECT_EQ(profile(list), 2);
    EXPECT_FALSE(Exists(dir.File("out_quarn.txt")));
  }
  // A line of 64 KB is still a name (of a file that is not there).
  WriteFile(dir.File("long"), "text.txt\n" + std::string(64 * 1024, 'x') + "\n");
  EXPECT_EQ(profile(dir.File("long")), kDone);
}

// Each exit status of `profile`, as a script calling it sees them.
TEST(QuarnCliTest, ProfileExitStatuses) {
  TempDir dir;
  for (const char* list : {"BASEWRD1.txt", "BASEWRD2.txt", "BASEWRD3.txt"})
    WriteFile(dir.File(list), "ABLE 0\r\n");
  std::string text;
  while (text.size() < 200000) text += "able bake cake in the oven\r\n";
  WriteFile(dir.File("text.txt"), text);
  auto profile = [&](std::vector<std::string> options, rlim_t limit = 0) {
    std::vector<std::string> args = {"profile", "--folder", dir.path(), "--results", dir.File("r")};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(dir.File("text.txt"));
    return RunCli(dir, args, limit);
  };
  EXPECT_EQ(profile({"--sort", "freq"}), kDone);
  const std::string report = ReadFile(dir.File("r_quarn.txt"));
  EXPECT_NE(report.find("ABLE"), std::string::npos);

  constexpr int kBadUsage = 2;
  EXPECT_EQ(profile({"--sort", "size"}), kBadUsage);
  EXPECT_EQ(profile({"--zero"}), kBadUsage);  // Zero BaseWords needs Update BaseWords
  EXPECT_EQ(profile({"--no-such-option"}), kBadUsage);
  EXPECT_EQ(RunCli(dir, {}), kBadUsage);

  // The results file exists and the overwrite question is answered Cancel: no results file
  // chosen, the run stops at its check and the earlier report stays.
  EXPECT_EQ(profile({}), kStoppedAtCheck);
  // A disk that fills while the report is written: an input/output failure, the earlier report
  // kept whole.
  EXPECT_EQ(profile({"--answer", "ok"}, 1024), kIoFailure);
  EXPECT_TRUE(ReadFile(dir.File("r_quarn.txt")) == report);
  EXPECT_FALSE(Exists(dir.File("r_quarn.txt.tmp")));

  // Exports: a format it does not know is bad usage; a folder that cannot be made (a file is
  // in the way) ends the run as an input/output failure with the earlier report kept.
  EXPECT_EQ(profile({"--export", dir.File("x"), "--export-format", "csv,pdf"}), kBadUsage);
  EXPECT_EQ(profile({"--export-format", "csv"}), kBadUsage);
  WriteFile(dir.File("blocked"), "a file");
  EXPECT_EQ(profile({"--answer", "ok", "--export", dir.File("blocked/x")}), kIoFailure);
  EXPECT_TRUE(ReadFile(dir.File("r_quarn.txt")) == report);
  EXPECT_EQ(profile({"--answer", "ok", "--export", dir.File("x"), "--export-format", "tsv"}), kDone);
  EXPECT_NE(ReadFile(dir.File("x/types.tsv")).find("ABLE\t1\t1\t"), std::string::npos);
}

// The output and exit status of quarn-cli with args, run through the shell.
std::pair<std::string, int> CliOutput(const std::string& args) {
  const std::string command = std::string(QUARN_CLI_PATH) + " " + args + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t got;
  while (pipe != nullptr && (got = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, got);
  const int status = pipe != nullptr ? pclose(pipe) : -1;
  return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// --help and --version (and -h, -V) answer on standard output and exit 0; a wrong command
// still gets the usage on standard error and exit 2.
TEST(QuarnCliTest, HelpAndVersion) {
  const auto version = CliOutput("--version");
  EXPECT_EQ(version, std::make_pair(std::string("quarn-cli " QUARN_VERSION "\n"), 0));
  EXPECT_EQ(CliOutput("-V"), version);
  const auto help = CliOutput("--help");
  EXPECT_EQ(help.second, 0);
  EXPECT_EQ(help.first.rfind("usage:\n", 0), 0u) << help.first;
  EXPECT_NE(help.first.find("quarn-cli profile [options] FILE..."), std::string::npos);
  EXPECT_EQ(CliOutput("-h"), help);
  EXPECT_EQ(CliOutput("--versions"), std::make_pair(std::string(), 2));
}

}  // namespace
}  // namespace quarn
