#include "lists/BasewordLoader.h"

#include <string>
#include <vector>

#include "lists/BasewordEntry.h"
#include "lists/BasewordName.h"
#include "lists/StopList.h"
#include "state/Engine.h"
#include "state/Messages.h"
#include "store/WordEntry.h"
#include "store/WordTree.h"
#include "text/LineReader.h"

namespace quarn {

namespace {

int32_t& WordRoot(Engine& e, const std::string& word) {
  return e.tree.WordRoots[static_cast<unsigned char>(word[0])];
}

// Gives a word of the texts (found with code 66) to list code L.
void ClaimWord(Engine& e, TreeNode& node, int L) {
  node.ListCode = L;
  WriteNode(e, node.NodeNumber, node);
  RunCounters& c = e.counters;
  c.ListTypes[L] += 1;
  c.TotalTypes += 1;
  c.OtherTypes -= 1;
  c.ListTokens[L] += node.Frequency;
}

void LoadFamily(Engine& e, const std::vector<std::string>& lines, size_t& index,
                const BasewordEntry& head, int n) {
  RunCounters& c = e.counters;
  const std::string& H = head.word;
  const size_t headLine = index;

  int L = n;
  if (e.options.UseStopList && InStopList(e, H)) L = kStopListCode;

  TreeNode found{};
  if (checklist(e, WordRoot(e, H), H, &found)) {
    ProgressMessageThenBlanks(e, Severity::kError,
                              "The headword " + H + " at " + std::to_string(headLine) +
                                  " has already been used in basewrd" +
                                  std::to_string(found.ListCode),
                              1);
    SkipFamily(lines, index);
    return;
  }
  c.ListFileHeadwords[L] += 1;

  TreeNode family{};
  // The family's words in the texts, for a tally of their texts (TextTally::familyOf).
  std::vector<int32_t> words;
  if (found.NodeNumber != -1) {
    if (e.tally.on) words.push_back(found.NodeNumber);
    ClaimWord(e, found, L);
    family = found;
    family.FamilyFrequency = found.Frequency;
    family.ListCode = L * 100;
  } else {
    family.NodeNumber = -1;
    family.Balance = 0;
    family.SetWord(H);
    family.FileRange = 0;
    family.Frequency = 0;
    family.FamilyFrequency = 0;
    family.ListCode = L * 100;
    family.Left = -1;
    family.Right = -1;
  }

  BasewordEntry member;
  while (!e.failed() && NextMemberEntry(e, lines, index, &member)) {
    const std::string& M = member.word;
    c.ListFileMembers[L] += 1;
    TreeNode word{};
    if (checklist(e, WordRoot(e, M), M, &word)) {
      ProgressMessageThenBlanks(e, Severity::kError,
                                "The word " + M + " at " + std::to_string(index) +
                                    " has already been used in basewrd" +
                                    std::to_string(word.ListCode),
                                1);
      c.ListFileMembers[L] -= 1;
      continue;
    }
    if (word.NodeNumber == -1) continue;  // not in the texts: only counted as an entry
    if (e.tally.on) words.push_back(word.NodeNumber);
    ClaimWord(e, word, L);
    family.FamilyFrequency += word.Frequency;
    for (int i = 1; i <= kMaxInputFiles; ++i) family.FileCounts(i) += word.FileCounts(i);
  }

  if (family.FamilyFrequency > 0) {
    const int32_t before = e.tree.NodeCount;
    addtofamlist(e, e.tree.FamilyRoots[static_cast<unsigned char>(H[0])], family,
                 e.tree.familyGrow);
    c.ListFamilies[L] += 1;
    // A record is created as the newest node (a second record for the headword is not).
    if (e.tally.on && e.tree.NodeCount != before) {
      std::vector<int32_t>& familyOf = e.tally.familyOf;
      for (const int32_t n : words) {
        if (static_cast<size_t>(n) >= familyOf.size()) familyOf.resize(static_cast<size_t>(n) + 1, 0);
        familyOf[static_cast<size_t>(n)] = e.tree.NodeCount;
      }
    }
  }
}

}  // namespace

void LoadBasewordFile(Engine& e, int n, const std::vector<std::string>& lines) {
  e.tree.InsertDepth = 0;
  size_t index = 0;
  BasewordEntry head;
  while (!e.failed() && index < lines.size() && NextHeadwordEntry(e, lines, index, &head))
    LoadFamily(e, lines, index, head, n);
}

void LoadBasewordFiles(Engine& e) {
  for (int n = 1; n <= e.ListCount; ++n) {
    if (e.failed()) return;
    if (!e.options.ListBoxOn(n)) continue;
    const std::string name = BasewordFileName(n);
    const std::string path = e.ProgramFolder + name;
    ProgressMessage(e, Severity::kProgress, " Reading: " + path);
    std::optional<std::string> actual = FindFileNoCase(e.fs, e.ProgramFolder, name);
    if (!actual) {
      e.Fail(Status::IOError(path, "No such file or directory"));
      return;
    }
    std::vector<std::string> lines;
    Status s = ReadAllLines(e.fs, *actual, e.encoding, &lines);
    if (!s.ok()) {
      e.Fail(s);
      return;
    }
    LoadBasewordFile(e, n, lines);
  }
}

}  // namespace quarn
