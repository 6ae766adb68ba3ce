// Quarn's shared records and constants: the store record, the run's options and counters.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace quarn {

// List codes held in TreeNode::ListCode of a word node. A family record holds list code * 100.
constexpr int kMaxLists = 64;      // baseword lists 1..64
constexpr int kStopListCode = 65;  // the stop group
constexpr int kNoListCode = 66;    // a word of the texts claimed by no list
constexpr int kMaxInputFiles = 64; // FileCounts slots: input files of one run without BatchFiles
constexpr int kMaxWordLength = 30;

// One record of the word store, 316 bytes, little-endian, the layout of the record file.
// Serves word nodes and family records alike.
struct TreeNode {
  int32_t NodeNumber;
  int8_t Balance;  // -1 left higher, 0 equal, +1 right higher
  uint8_t WordLength;
  char WordChars[kMaxWordLength];
  int32_t FileRange;
  int32_t Frequency;
  int32_t FamilyFrequency;
  int32_t ListCode;
  int32_t FileCountSlots[kMaxInputFiles];  // slot k (1..64) is FileCountSlots[k - 1]
  int32_t Left;
  int32_t Right;

  std::string_view Word() const { return std::string_view(WordChars, WordLength); }
  // Stores the first 30 characters of w.
  void SetWord(std::string_view w) {
    WordLength = static_cast<uint8_t>(w.size() < kMaxWordLength ? w.size() : kMaxWordLength);
    std::memcpy(WordChars, w.data(), WordLength);
  }
  // Occurrences in input file k, 1 <= k <= 64.
  int32_t& FileCounts(int k) { return FileCountSlots[k - 1]; }
  int32_t FileCounts(int k) const { return FileCountSlots[k - 1]; }
};

static_assert(sizeof(TreeNode) == 316, "TreeNode must keep its record layout");
static_assert(offsetof(TreeNode, Balance) == 4);
static_assert(offsetof(TreeNode, WordLength) == 5);
static_assert(offsetof(TreeNode, FileRange) == 36);
static_assert(offsetof(TreeNode, ListCode) == 48);
static_assert(offsetof(TreeNode, FileCountSlots) == 52);
static_assert(offsetof(TreeNode, Left) == 308);
static_assert(offsetof(TreeNode, Right) == 312);

constexpr int kNodeSize = static_cast<int>(sizeof(TreeNode));

// The settings of a run, one per check box of the main window; the initial states are the
// window's initial states.
struct RunOptions {
  bool Basewrd1_on = true;
  bool Basewrd2_on = true;
  bool Basewrd3_on = true;
  bool Forms = true;
  bool Writenumbers = true;
  bool others = true;
  bool sortbyalpha = true;
  bool sortbyfreq = false;
  bool sortbyrange = false;
  bool Udate_Basewords = false;
  bool Zero_base = false;
  bool Mark_Texts = false;
  bool Overwrite = false;
  bool BatchFiles = false;
  bool UseStopList = false;
  bool Ignore_Angle = false;

  bool ListsOn() const { return Basewrd1_on || Basewrd2_on || Basewrd3_on; }
  // True iff list n (1..64) is loaded, updated and reported when ListsOn(): lists 1 to 3 follow
  // their boxes, lists 4 and above have none.
  bool ListBoxOn(int n) const {
    if (n == 1) return Basewrd1_on;
    if (n == 2) return Basewrd2_on;
    if (n == 3) return Basewrd3_on;
    return true;
  }
};

// Counts by range r = 1, 2, ... (index 0 unused): entries 1..64 to begin with, more as a run
// over more texts counts wider ranges. An entry beyond the end reads as 0.
class RangeCounts {
 public:
  int32_t& operator[](size_t r) {
    if (r >= counts_.size()) counts_.resize(r + 1, 0);
    return counts_[r];
  }
  int32_t operator[](size_t r) const { return r < counts_.size() ? counts_[r] : 0; }
  size_t size() const { return counts_.size(); }
  // Adds other's counts, entry by entry.
  void Add(const RangeCounts& other) {
    for (size_t r = 0; r < other.size(); ++r) (*this)[r] += other[r];
  }
  bool operator==(const RangeCounts& other) const {
    for (size_t r = 0; r < size() || r < other.size(); ++r)
      if ((*this)[r] != other[r]) return false;
    return true;
  }

 private:
  std::vector<int32_t> counts_ = std::vector<int32_t>(kMaxInputFiles + 1, 0);
};

// The counts of a run. Arrays by list code are indexed 1..66, range tables by range
// (RangeCounts).
struct RunCounters {
  using PerList = std::array<int32_t, kNoListCode + 1>;
  using PerRange = RangeCounts;

  int32_t TotalTokens = 0;
  int32_t OtherTypes = 0;
  int32_t UniqueWords = 0;
  int32_t TotalTypes = 0;
  int32_t TotalFamilies = 0;
  int32_t OtherTokens = 0;
  PerList ListTokens{};
  PerList ListTypes{};
  PerList ListFamilies{};
  PerList ListFileMembers{};
  PerList ListFileHeadwords{};
  PerRange TypeRangeTable{};
  PerRange FamilyRangeTable{};
  int32_t CacheNodesRead = 0;
  int32_t CacheNodesWritten = 0;
  int32_t DiskNodesRead = 0;
  int32_t DiskNodesWritten = 0;
};

}  // namespace quarn
