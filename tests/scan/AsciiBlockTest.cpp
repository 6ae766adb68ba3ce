#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "scan/AsciiBlock.h"
#include "text/CharCase.h"
#include "text/CharClassTable.h"

namespace quarn {
namespace {

struct Tables {
  char upper[256];
  uint8_t classes[256];
  explicit Tables(const CharClassTable& table) {
    for (int c = 0; c < 256; ++c) {
      const unsigned char u = UpperChar(static_cast<unsigned char>(c));
      upper[c] = static_cast<char>(u);
      classes[c] = table.Class(u);
    }
  }
};

// What the block gives, one character at a time.
void Expected(const Tables& t, const unsigned char* text, char* out, uint64_t* letters,
              uint64_t* separators) {
  *letters = *separators = 0;
  for (int i = 0; i < 64; ++i) {
    out[i] = t.upper[text[i]];
    if (t.classes[text[i]] == 2) *letters |= uint64_t{1} << i;
    if (t.classes[text[i]] == 0) *separators |= uint64_t{1} << i;
  }
}

// Random ASCII blocks under the default classes and under a table that makes digits letters,
// '@' a joiner and 'Q' a separator: the same characters and masks as one at a time.
TEST(AsciiBlockTest, FillsAsTheTablesDoOneCharacterAtATime) {
  CharClassTable custom = DefaultCharClassTable();
  for (int c = '0'; c <= '9'; ++c) custom.classes[c] = 2;
  custom.classes['@'] = 1;
  custom.classes['Q'] = 0;
  custom.classes['~'] = 7;
  std::mt19937 rng(5);
  for (const CharClassTable& table : {DefaultCharClassTable(), custom}) {
    const Tables t(table);
    const AsciiBlock block(t.upper, t.classes);
    if (!block.usable()) GTEST_SKIP() << "no AVX2 on this processor";
    for (int round = 0; round < 2000; ++round) {
      unsigned char text[64];
      for (unsigned char& c : text) c = static_cast<unsigned char>(rng() % 128);
      char out[64];
      char want[64];
      uint64_t letters = 0, separators = 0, wantLetters = 0, wantSeparators = 0;
      ASSERT_TRUE(block.Fill(text, out, &letters, &separators));
      Expected(t, text, want, &wantLetters, &wantSeparators);
      ASSERT_EQ(std::string(out, 64), std::string(want, 64));
      ASSERT_EQ(letters, wantLetters);
      ASSERT_EQ(separators, wantSeparators);
    }
  }
}

// One character of the upper half anywhere in the block sends it the long way.
TEST(AsciiBlockTest, ABlockWithAnyCharacterAbove127IsRefused) {
  const Tables t(DefaultCharClassTable());
  const AsciiBlock block(t.upper, t.classes);
  if (!block.usable()) GTEST_SKIP() << "no AVX2 on this processor";
  for (int at : {0, 31, 32, 63}) {
    unsigned char text[64];
    for (unsigned char& c : text) c = 'a';
    text[at] = 0xE9;
    char out[64];
    uint64_t letters, separators;
    EXPECT_FALSE(block.Fill(text, out, &letters, &separators)) << at;
  }
}

// An upper-case map that is not the plain one for ASCII cannot be done with vectors.
TEST(AsciiBlockTest, AnUnusualUpperCaseMapIsNotUsable) {
  Tables t(DefaultCharClassTable());
  t.upper[static_cast<unsigned char>('q')] = 'q';
  EXPECT_FALSE(AsciiBlock(t.upper, t.classes).usable());
  EXPECT_FALSE(AsciiBlock().usable());
}

}  // namespace
}  // namespace quarn
