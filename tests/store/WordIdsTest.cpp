#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "StoreSetup.h"
#include "scan/WordCutter.h"
#include "store/WordIds.h"
#include "store/WordIndex.h"

namespace quarn {
namespace {

using testing::NumberWord;

// The word as the cutter keeps it: followed by zeros up to a multiple of eight characters.
struct Padded {
  explicit Padded(const std::string& w) : word(w), chars((w.size() + 7) / 8 * 8 + 8, '\0') {
    std::memcpy(chars.data(), w.data(), w.size());
  }
  std::string word;
  std::vector<char> chars;
};

uint32_t IdOf(WordIds& ids, const std::string& w) {
  const Padded p(w);
  return ids.IdOf(p.chars.data(), w.size(), WordIndex::Hash(w), WordIndex::Prefix(w));
}

// Words differing only in the characters the table keeps apart from the hash (the eight after
// the first eight, the length) get numbers of their own; the same word always the same.
TEST(WordIdsTest, EachWordHasOneNumberOfItsOwn) {
  WordIds ids;
  const std::vector<std::string> words = {"A",
                                          "AB",
                                          "ABCDEFGH",
                                          "ABCDEFGHI",
                                          "ABCDEFGHJ",
                                          "ABCDEFGHIJKLMNOP",
                                          "ABCDEFGHIJKLMNOQ",
                                          "ABCDEFGHIJKLMNO",
                                          "B",
                                          "BA"};
  std::vector<uint32_t> first;
  for (const std::string& w : words) first.push_back(IdOf(ids, w));
  EXPECT_EQ(std::set<uint32_t>(first.begin(), first.end()).size(), words.size());
  for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(IdOf(ids, words[i]), first[i]) << words[i];
  EXPECT_EQ(ids.size(), words.size());
  // The same 32 bits of hash, length and first eight characters: the table holds all the rest.
  const std::string a = "TAGCLASHUIXAAAAA", b = "TAGCLASHYKBDAAAA";
  ASSERT_EQ(WordIndex::Hash(a) >> 32, WordIndex::Hash(b) >> 32);
  EXPECT_NE(IdOf(ids, a), IdOf(ids, b));
  EXPECT_EQ(IdOf(ids, a), IdOf(ids, a));
  // Equal characters and zeros beyond: only the length tells them apart.
  const std::string withZero("A\0", 2);
  EXPECT_NE(IdOf(ids, withZero), IdOf(ids, "A"));
}

// Only words of up to sixteen characters are numbered; longer ones are compared whole by the
// word index instead.
TEST(WordIdsTest, WordsOfMoreThanSixteenCharactersGoWithout) {
  WordIds ids;
  EXPECT_EQ(IdOf(ids, "ABCDEFGHIJKLMNOPQ"), WordIds::kNoId);
  EXPECT_EQ(IdOf(ids, std::string(30, 'Z')), WordIds::kNoId);
  EXPECT_EQ(ids.size(), 0u);
}

// Numbers stay what they were while the table grows, up to the most it gives; words after
// that go without, and the words numbered before keep their numbers.
TEST(WordIdsTest, NumbersLastThroughGrowthAndStopAtTheLimit) {
  WordIds ids;
  const int words = static_cast<int>(WordIds::kMaxIds) + 1000;
  for (int i = 1; i <= words; ++i) {
    const uint32_t id = IdOf(ids, NumberWord(i));
    if (i <= static_cast<int>(WordIds::kMaxIds)) {
      ASSERT_EQ(id, static_cast<uint32_t>(i - 1)) << i;
    } else {
      ASSERT_EQ(id, WordIds::kNoId) << i;
    }
  }
  for (int i = 1; i <= words; i += 97) {
    const uint32_t want = i <= static_cast<int>(WordIds::kMaxIds) ? i - 1 : WordIds::kNoId;
    ASSERT_EQ(IdOf(ids, NumberWord(i)), want) << i;
  }
  ids.Reset();
  EXPECT_EQ(IdOf(ids, NumberWord(5000)), 0u);
}

// A chunk's words get the numbers IdOf gives, and a word is fresh only where it is numbered
// for the first time, across chunks.
TEST(WordIdsTest, NumberMarksTheFirstSightOfEachWord) {
  WordIds ids;
  const std::vector<std::string> text = {"THE", "CAT", "THE", "ABCDEFGHIJKLMNOPQR", "CAT", "SAT"};
  std::vector<uint32_t> got;
  std::vector<bool> fresh;
  for (int round = 0; round < 2; ++round) {
    WordChunk chunk;
    std::vector<uint64_t> hashes, prefixes;
    for (const std::string& w : text) {
      const Padded p(w);
      std::memcpy(chunk.chars.get() + chunk.used, p.chars.data(), p.chars.size() - 8);
      chunk.words.push_back(CutWord{static_cast<uint32_t>(chunk.used), 0,
                                    static_cast<uint8_t>(w.size()), static_cast<uint8_t>(w[0]),
                                    false, true});
      hashes.push_back(CutHash(chunk.chars.get() + chunk.used, w.size()));
      prefixes.push_back(CutPrefix(chunk.chars.get() + chunk.used));
      EXPECT_EQ(hashes.back(), WordIndex::Hash(w));
      EXPECT_EQ(prefixes.back(), WordIndex::Prefix(w));
      chunk.used += p.chars.size() - 8;
    }
    ids.Number(chunk, hashes.data(), prefixes.data());
    for (const CutWord& w : chunk.words) {
      got.push_back(w.id);
      fresh.push_back(w.fresh);
    }
  }
  const uint32_t no = WordIds::kNoId;
  EXPECT_EQ(got, (std::vector<uint32_t>{0, 1, 0, no, 1, 2, 0, 1, 0, no, 1, 2}));
  EXPECT_EQ(fresh, (std::vector<bool>{true, true, false, false, false, true, false, false, false,
                                      false, false, false}));
}

}  // namespace
}  // namespace quarn
