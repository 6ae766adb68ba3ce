#include "text/CharCase.h"

#include <array>

namespace quarn {

namespace {

// The Windows-1252 upper-case map. Code points without a capital in the code page (such as
// 0xB5 micro and 0xDF sharp s) map to themselves.
constexpr std::array<unsigned char, 256> MakeUpperTable() {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
  for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 0x20);
  for (int c = 0xE0; c <= 0xFE; ++c) {
    if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 0x20);  // 0xF7 is the division sign
  }
  t[0x9A] = 0x8A;  // s caron
  t[0x9C] = 0x8C;  // oe ligature
  t[0x9E] = 0x8E;  // z caron
  t[0xFF] = 0x9F;  // y diaeresis
  return t;
}

constexpr std::array<unsigned char, 256> kUpper = MakeUpperTable();

}  // namespace

unsigned char UpperChar(unsigned char c) { return kUpper[c]; }

void UpperCaseInPlace(std::string& s) {
  for (char& ch : s) ch = static_cast<char>(kUpper[static_cast<unsigned char>(ch)]);
}

std::string UpperCase(std::string_view s) {
  std::string out(s);
  UpperCaseInPlace(out);
  return out;
}

std::string_view Trim(std::string_view s) {
  size_t begin = 0;
  size_t end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32) --end;
  return s.substr(begin, end - begin);
}

}  // namespace quarn
