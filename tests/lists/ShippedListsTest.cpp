// The word lists that ship in lists/: their shape, and that the engine loads them cleanly.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "StoreSetup.h"
#include "TempDir.h"
#include "TestHost.h"
#include "lists/BasewordLoader.h"
#include "state/Engine.h"
#include "store/WordEntry.h"
#include "store/WordTree.h"

namespace quarn {
namespace {

using testing::ReadFile;

constexpr int kLists = 12;
constexpr int kFamilies = 1000;

std::string ListPath(int n) { return QUARN_LISTS_DIR "BASEWRD" + std::to_string(n) + ".txt"; }

struct Family {
  std::string head;
  std::vector<std::string> members;
};

// Splits a file into CR LF lines; a line end of another kind, or bytes after the last line end,
// fails the test (reported at its first line).
std::vector<std::string> CrLfLines(const std::string& bytes, const std::string& name) {
  std::vector<std::string> lines;
  bool reported = false;
  size_t begin = 0;
  while (begin < bytes.size()) {
    const size_t lf = bytes.find('\n', begin);
    if (lf == std::string::npos) {
      ADD_FAILURE() << name << ": no line end after the last line";
      break;
    }
    std::string line = bytes.substr(begin, lf - begin);
    if (line.empty() || line.back() != '\r') {
      if (!reported) ADD_FAILURE() << name << ": line " << lines.size() + 1 << " ends without CR";
      reported = true;
    } else {
      line.pop_back();
    }
    if (line.find('\r') != std::string::npos)
      ADD_FAILURE() << name << ": a CR inside line " << lines.size() + 1;
    lines.push_back(line);
    begin = lf + 1;
  }
  return lines;
}

bool PlainWord(const std::string& word) {
  if (word.empty() || word.size() > 30) return false;
  for (char c : word)
    if (c < 'A' || c > 'Z') return false;
  return true;
}

// Reads list n strictly: "WORD 0" opens a family, TAB "WORD 0" adds a member, nothing else.
std::vector<Family> ReadList(int n) {
  const std::string name = "BASEWRD" + std::to_string(n) + ".txt";
  std::vector<Family> families;
  const std::vector<std::string> lines = CrLfLines(ReadFile(ListPath(n)), name);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const bool member = !line.empty() && line[0] == '\t';
    const std::string entry = member ? line.substr(1) : line;
    const bool counted = entry.size() > 2 && entry.compare(entry.size() - 2, 2, " 0") == 0;
    const std::string word = counted ? entry.substr(0, entry.size() - 2) : "";
    if (!PlainWord(word)) {
      ADD_FAILURE() << name << " line " << i + 1 << " is not an entry: \"" << line << "\"";
      continue;
    }
    if (!member) {
      families.push_back({word, {}});
    } else if (families.empty()) {
      ADD_FAILURE() << name << " begins with a member";
    } else {
      families.back().members.push_back(word);
    }
  }
  return families;
}

TEST(ShippedListsTest, TwelveListsOfAThousandFamiliesAndNoWordTwice) {
  std::map<std::string, std::string> seen;  // word -> where it stands first
  for (int n = 1; n <= kLists; ++n) {
    const std::vector<Family> families = ReadList(n);
    EXPECT_EQ(families.size(), static_cast<size_t>(kFamilies)) << "BASEWRD" << n;
    for (const Family& f : families) {
      std::vector<std::string> words = f.members;
      words.insert(words.begin(), f.head);
      for (const std::string& w : words) {
        const std::string where = "list " + std::to_string(n) + ", family " + f.head;
        auto [it, fresh] = seen.emplace(w, where);
        EXPECT_TRUE(fresh) << w << " stands in " << it->second << " and in " << where;
      }
    }
  }
  EXPECT_GT(seen.size(), static_cast<size_t>(kLists * kFamilies));
  EXPECT_TRUE(ReadFile(ListPath(kLists + 1)).empty()) << "a thirteenth list ships";
}

// The engine's own loader, with every word of the lists in the store, so that a word it read
// twice or a line it could not parse would show as a message.
TEST(ShippedListsTest, TheLoaderTakesEveryWordWithoutAMessage) {
  testing::TestHost host;
  testing::TempDir dir;
  Engine e(host);
  ASSERT_TRUE(testing::OpenEmptyStore(e, dir.path()));

  std::vector<std::set<std::string>> words(kLists + 1);
  int64_t total = 0;
  for (int n = 1; n <= kLists; ++n) {
    for (const Family& f : ReadList(n)) {
      words[n].insert(f.head);
      words[n].insert(f.members.begin(), f.members.end());
    }
    for (const std::string& w : words[n]) {
      addtowrdlist(e, e.tree.WordRoots[static_cast<unsigned char>(w[0])], w, e.tree.wordGrow);
      ++total;
    }
  }
  e.counters.TotalTypes = 0;
  e.counters.OtherTypes = total;

  SetProgramFolder(e, QUARN_LISTS_DIR);
  e.ListCount = kLists;
  LoadBasewordFiles(e);

  ASSERT_FALSE(e.failed());
  for (const std::string& line : e.progress.lines) {
    EXPECT_EQ(line.find("ERROR"), std::string::npos) << line;
    EXPECT_EQ(line.find("SKIPPING"), std::string::npos) << line;
  }
  const RunCounters& c = e.counters;
  for (int n = 1; n <= kLists; ++n) {
    SCOPED_TRACE("list " + std::to_string(n));
    EXPECT_EQ(c.ListFileHeadwords[n], kFamilies);
    EXPECT_EQ(c.ListFamilies[n], kFamilies);
    EXPECT_EQ(c.ListFileHeadwords[n] + c.ListFileMembers[n], static_cast<int>(words[n].size()));
    EXPECT_EQ(c.ListTypes[n], static_cast<int>(words[n].size()));
    for (const std::string& w : words[n]) {
      TreeNode node{};
      checklist(e, e.tree.WordRoots[static_cast<unsigned char>(w[0])], w, &node);
      if (node.ListCode != n) ADD_FAILURE() << w << " went to list " << node.ListCode;
    }
  }
  EXPECT_EQ(c.OtherTypes, 0);
}

}  // namespace
}  // namespace quarn
