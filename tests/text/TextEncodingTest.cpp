#include <gtest/gtest.h>

#include "FileSystem.h"
#include "TempDir.h"
#include "text/TextEncoding.h"

namespace quarn::testing {
namespace {

FileEncoding Detect(const std::string& bytes, TextEncoding setting = TextEncoding::kAuto) {
  TempDir dir;
  WriteFile(dir.File("f"), bytes);
  FileEncoding result;
  EXPECT_TRUE(DetectFileEncoding(*FileSystem::Default(), dir.File("f"), setting, &result).ok());
  return result;
}

TEST(TextEncodingTest, AutomaticDetection) {
  EXPECT_FALSE(Detect("plain ascii\r\n").utf8());
  EXPECT_FALSE(Detect("").utf8());
  EXPECT_TRUE(Detect("caf\xC3\xA9\n").utf8());
  EXPECT_FALSE(Detect("caf\xE9\n").utf8());  // Windows-1252 é
  EXPECT_FALSE(Detect("ok \xC3\xA9 then bad \xE9\n").utf8());
  EXPECT_FALSE(Detect("\xC0\xAF overlong").utf8());
  EXPECT_FALSE(Detect("\xED\xA0\x80 surrogate").utf8());
  EXPECT_FALSE(Detect("cut \xE2\x80").utf8());
  FileEncoding bom = Detect("\xEF\xBB\xBFplain\r\n");
  EXPECT_TRUE(bom.utf8());
  EXPECT_TRUE(bom.byteOrderMark);
}

TEST(TextEncodingTest, ForcedSettings) {
  EXPECT_TRUE(Detect("plain", TextEncoding::kUtf8).utf8());
  EXPECT_FALSE(Detect("caf\xC3\xA9", TextEncoding::kCp1252).utf8());
  EXPECT_FALSE(Detect("\xEF\xBB\xBFx", TextEncoding::kCp1252).byteOrderMark);
}

TEST(TextEncodingTest, SequenceAcrossValidatorBlocks) {
  Utf8Validator v;
  const std::string text =
      "a\xE2\x80\x99"
      "b";  // a’b
  v.Feed(text.data(), 2);
  EXPECT_FALSE(v.valid());
  EXPECT_FALSE(v.broken());
  v.Feed(text.data() + 2, text.size() - 2);
  EXPECT_TRUE(v.valid());
  EXPECT_TRUE(v.sawMultibyte());
}

// Runs of ASCII are passed over in chunks: a sequence at any place in or after such a run,
// well-formed or not, must still be seen.
TEST(TextEncodingTest, SequencesAtEveryPlaceOfLongAsciiText) {
  for (size_t at = 0; at < 40; ++at) {
    const std::string before(at, 'a');
    const std::string after(40 - at, 'b');
    Utf8Validator good;
    const std::string g = before + "\xC3\xA9" + after;
    good.Feed(g.data(), g.size());
    EXPECT_TRUE(good.valid()) << at;
    EXPECT_TRUE(good.sawMultibyte()) << at;
    Utf8Validator bad;
    const std::string b = before + "\xE9" + after;
    bad.Feed(b.data(), b.size());
    EXPECT_TRUE(bad.broken()) << at;
    Utf8Validator cut;  // a lead byte whose continuation is ASCII
    const std::string c = before + "\xC3" + after;
    cut.Feed(c.data(), c.size());
    EXPECT_TRUE(cut.broken()) << at;
  }
}

TEST(TextEncodingTest, DecodingToWindows1252) {
  std::string out;
  std::vector<uint32_t> offsets;
  // it’s café €5 – Ωmega
  Utf8ToCp1252(
      "it\xE2\x80\x99s caf\xC3\xA9 \xE2\x82\xAC"
      "5 \xCE\xA9mega",
      &out, &offsets);
  EXPECT_EQ(out,
            "it\x92s caf\xE9 \x80"
            "5  mega");
  ASSERT_EQ(offsets.size(), out.size() + 1);
  EXPECT_EQ(offsets[2], 2u);  // ’ starts at byte 2
  EXPECT_EQ(offsets[3], 5u);  // s after the three bytes of ’
  EXPECT_EQ(offsets.back(), 24u);
  Utf8ToCp1252("bad \xE9 byte", &out);
  EXPECT_EQ(out, "bad \xE9 byte");
}

TEST(TextEncodingTest, EveryWindows1252ByteRoundTrips) {
  for (int c = 1; c < 256; ++c) {
    std::string utf8;
    Cp1252ToUtf8(std::string(1, static_cast<char>(c)), &utf8);
    std::string back;
    Utf8ToCp1252(utf8, &back);
    EXPECT_EQ(back, std::string(1, static_cast<char>(c))) << "byte " << c;
  }
  std::string utf8;
  Cp1252ToUtf8("\x92\xE9\x80", &utf8);
  EXPECT_EQ(utf8, "\xE2\x80\x99\xC3\xA9\xE2\x82\xAC");
}

TEST(TextEncodingTest, WideTextByMarkOrNulPattern) {
  using namespace std::string_literals;
  EXPECT_EQ(WideTextOf("\xFF\xFE" "a\0"s), WideText::kUtf16Le);
  EXPECT_EQ(WideTextOf("\xFE\xFF\0a"s), WideText::kUtf16Be);
  EXPECT_EQ(WideTextOf("\xFF\xFE\0\0" "a\0\0\0"s), WideText::kUtf32Le);
  EXPECT_EQ(WideTextOf("\0\0\xFE\xFF\0\0\0a"s), WideText::kUtf32Be);
  // Without a mark: ASCII in wide units, also with a few characters beyond it (Greek ωω).
  EXPECT_EQ(WideTextOf("Y\0O\0U\0 \0\xC9\x03\xC9\x03\r\0\n\0"s), WideText::kUtf16Le);
  EXPECT_EQ(WideTextOf("\0Y\0O\0U\0\n"s), WideText::kUtf16Be);
  EXPECT_EQ(WideTextOf("Y\0\0\0O\0\0\0\n\0\0\0"s), WideText::kUtf32Le);
  EXPECT_EQ(WideTextOf("\0\0\0Y\0\0\0O"s), WideText::kUtf32Be);
  EXPECT_STREQ(WideTextName(WideText::kUtf16Be), "UTF-16");
  EXPECT_STREQ(WideTextName(WideText::kUtf32Le), "UTF-32");
  // 8-bit and UTF-8 text, and 8-bit text with NULs in it, are not wide.
  for (const std::string& narrow :
       {""s, "YOU 0\n"s, "caf\xC3\xA9 \xCF\x89\n"s, "caf\xE9\n"s, "\xFF\xFE"s.substr(0, 1),
        "dog\0cat\xff\x80\xe9t\xe9\r\n\0\0\0\n"s, "\0\0\0\n\x80\x81\n\t\0\n"s, "\0 2\n"s,
        "A\0"s}) {
    EXPECT_EQ(WideTextOf(narrow), WideText::kNone) << narrow;
  }
}

TEST(TextEncodingTest, CharactersOutsideWindows1252) {
  EXPECT_TRUE(HasCharOutsideCp1252("MIXED\xCF\x89ORD 4"));      // ω
  EXPECT_TRUE(HasCharOutsideCp1252("\xE4\xB8\xAD"));            // a CJK character
  EXPECT_FALSE(HasCharOutsideCp1252("caf\xC3\xA9 \xE2\x80\x99"));  // é and ’ have 8-bit forms
  EXPECT_FALSE(HasCharOutsideCp1252("caf\xE9 \xCF"));           // bytes that are not UTF-8
  EXPECT_FALSE(HasCharOutsideCp1252("plain"));
}

}  // namespace
}  // namespace quarn::testing
