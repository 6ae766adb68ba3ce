#include <gtest/gtest.h>

#include <string>

#include "text/CharCase.h"

namespace quarn {
namespace {

TEST(CharCaseTest, AsciiLettersOnlyChange) {
  EXPECT_EQ(UpperChar('a'), 'A');
  EXPECT_EQ(UpperChar('z'), 'Z');
  EXPECT_EQ(UpperChar('A'), 'A');
  EXPECT_EQ(UpperChar('`'), '`');  // just below 'a'
  EXPECT_EQ(UpperChar('{'), '{');  // just above 'z'
  EXPECT_EQ(UpperChar('7'), '7');
  EXPECT_EQ(UpperChar(0), 0);
}

TEST(CharCaseTest, AccentedSmallLettersOfTheCodePage) {
  EXPECT_EQ(UpperChar(0xE0), 0xC0);  // a grave
  EXPECT_EQ(UpperChar(0xE9), 0xC9);  // e acute
  EXPECT_EQ(UpperChar(0xF8), 0xD8);  // o stroke
  EXPECT_EQ(UpperChar(0xFE), 0xDE);  // thorn
  EXPECT_EQ(UpperChar(0xF7), 0xF7);  // division sign has no capital
  EXPECT_EQ(UpperChar(0xDF), 0xDF);  // sharp s has none either
  EXPECT_EQ(UpperChar(0xB5), 0xB5);  // micro sign stays
  EXPECT_EQ(UpperChar(0xC9), 0xC9);  // capitals stay
}

TEST(CharCaseTest, CodePageSpecialsAbove127) {
  EXPECT_EQ(UpperChar(0x9A), 0x8A);  // s caron
  EXPECT_EQ(UpperChar(0x9C), 0x8C);  // oe
  EXPECT_EQ(UpperChar(0x9E), 0x8E);  // z caron
  EXPECT_EQ(UpperChar(0xFF), 0x9F);  // y diaeresis
  EXPECT_EQ(UpperChar(0x8A), 0x8A);
  EXPECT_EQ(UpperChar(0x9B), 0x9B);
  EXPECT_EQ(UpperChar(0x9D), 0x9D);
}

TEST(CharCaseTest, EveryOtherCodeMapsToItself) {
  int changed = 0;
  for (int c = 0; c < 256; ++c) {
    if (UpperChar(static_cast<unsigned char>(c)) != c) ++changed;
  }
  // 26 ASCII letters, 0xE0..0xFE less 0xF7 (30), and the four specials.
  EXPECT_EQ(changed, 26 + 30 + 4);
}

TEST(CharCaseTest, UpperCaseStrings) {
  EXPECT_EQ(UpperCase("Don't \xE9t\xE9!"), "DON'T \xC9T\xC9!");
  std::string s("ab\0c", 4);
  UpperCaseInPlace(s);
  EXPECT_EQ(s, std::string("AB\0C", 4));
  EXPECT_EQ(UpperCase(""), "");
}

TEST(CharCaseTest, TrimRemovesControlsAndBlanksAtBothEndsOnly) {
  EXPECT_EQ(Trim("  \t word  one \r\x01"), "word  one");
  EXPECT_EQ(Trim(std::string_view("\0x\0", 3)), "x");
  EXPECT_EQ(Trim(" \t "), "");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim("!x!"), "!x!");              // 33 is kept
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");  // non-breaking space is above 32
}

}  // namespace
}  // namespace quarn
