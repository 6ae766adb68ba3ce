#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "StoreSetup.h"
#include "scan/ChunkPipe.h"
#include "store/WordIds.h"

namespace quarn {
namespace {

using testing::NumberWord;

// Puts the words into the chunk as the cutter does: upper-case characters followed by zeros up
// to the next multiple of eight.
void Fill(WordChunk* chunk, const std::vector<std::string>& words) {
  for (const std::string& w : words) {
    char* out = chunk->chars.get() + chunk->used;
    const size_t padded = (w.size() + 7) / 8 * 8;
    std::memset(out, 0, padded);
    std::memcpy(out, w.data(), w.size());
    chunk->words.push_back(CutWord{static_cast<uint32_t>(chunk->used), WordIds::kNoId,
                                   static_cast<uint8_t>(w.size()), static_cast<uint8_t>(w[0]),
                                   false, false});
    chunk->used += padded;
  }
}

std::vector<uint32_t> Ids(const WordChunk& chunk) {
  std::vector<uint32_t> ids;
  for (const CutWord& w : chunk.words) ids.push_back(w.id);
  return ids;
}

const std::vector<std::vector<std::string>> kText = {
    {"THE", "CAT", "SAT"}, {"ON", "THE", "MAT"}, {"THE", "ABCDEFGHIJKLMNOPQR", "CAT"}};

// Once the file is cut, what waits to be entered is numbered on the cutting side, in the order
// the chunks were handed on: the numbers are those of numbering them one after the other.
TEST(ChunkPipeTest, WhatWaitsAtTheEndOfTheFileIsNumberedByTheCutter) {
  WordIds numbers;
  SharedWordIds ids{&numbers, {}};
  ChunkPipe pipe(3, &ids);
  std::thread cutter([&] {
    WordChunk* chunk = pipe.FirstEmpty();
    for (size_t k = 0; k < kText.size(); ++k) {
      Fill(chunk, kText[k]);
      chunk->last = k + 1 == kText.size();
      chunk = pipe.Hand(chunk);
    }
    EXPECT_EQ(chunk, nullptr);
  });
  cutter.join();

  WordIds alone;
  for (size_t k = 0; k < kText.size(); ++k) {
    WordChunk* taken = pipe.Take();
    EXPECT_TRUE(taken->numbered);
    WordChunk expected;
    Fill(&expected, kText[k]);
    alone.Number(expected);
    EXPECT_EQ(Ids(*taken), Ids(expected)) << k;
    pipe.Give(taken);
  }
}

// Without numbers the pipe only passes chunks on.
TEST(ChunkPipeTest, WithoutNumbersChunksPassUnnumbered) {
  ChunkPipe pipe(2);
  std::thread cutter([&] {
    WordChunk* chunk = pipe.FirstEmpty();
    Fill(chunk, kText[0]);
    chunk->last = true;
    pipe.Hand(chunk);
  });
  cutter.join();
  WordChunk* taken = pipe.Take();
  EXPECT_FALSE(taken->numbered);
  EXPECT_EQ(Ids(*taken), std::vector<uint32_t>(3, WordIds::kNoId));
  pipe.Give(taken);
}

// Many chunks through two: the cutter numbers chunks while it waits for an empty one, the
// taker numbers those it finds unnumbered (as the scan does). However the work falls, every
// chunk comes out numbered once, a word keeping one number throughout.
TEST(ChunkPipeTest, ChunksAreNumberedWhicheverSideGetsToThem) {
  WordIds numbers;
  SharedWordIds ids{&numbers, {}};
  ChunkPipe pipe(2, &ids);
  constexpr int kChunks = 200;
  auto wordsOf = [](int k) {
    std::vector<std::string> words;
    for (int i = 0; i < 300; ++i) words.push_back(NumberWord(1 + (k * 37 + i * 11) % 900));
    return words;
  };
  std::thread cutter([&] {
    WordChunk* chunk = pipe.FirstEmpty();
    for (int k = 0; k < kChunks && chunk != nullptr; ++k) {
      Fill(chunk, wordsOf(k));
      chunk->last = k + 1 == kChunks;
      chunk = pipe.Hand(chunk);
    }
  });
  std::map<std::string, uint32_t> idOf;
  std::set<uint32_t> given;
  for (int k = 0; k < kChunks; ++k) {
    WordChunk* taken = pipe.Take();
    if (!taken->numbered) {
      std::lock_guard<std::mutex> lock(ids.mu);
      numbers.Number(*taken);
    }
    const std::vector<std::string> words = wordsOf(k);
    ASSERT_EQ(taken->words.size(), words.size());
    for (size_t i = 0; i < words.size(); ++i) {
      const uint32_t id = taken->words[i].id;
      ASSERT_NE(id, WordIds::kNoId);
      auto [it, added] = idOf.emplace(words[i], id);
      EXPECT_EQ(it->second, id) << words[i];
      if (added) {
        EXPECT_TRUE(given.insert(id).second) << words[i];
      }
    }
    const bool last = taken->last;
    pipe.Give(taken);
    if (last) break;
  }
  pipe.Stop();
  cutter.join();
  EXPECT_EQ(numbers.size(), idOf.size());
}

}  // namespace
}  // namespace quarn
