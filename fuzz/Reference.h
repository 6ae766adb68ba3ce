// Plain, slow re-statements of the baseword line rules, written apart from the engine's own code
// so that the fuzz targets can compare the two on every input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/CharClassTable.h"

namespace quarn::fuzz {

inline bool RefIsDigit(char c) { return c >= '0' && c <= '9'; }

inline bool RefIsHex(char c) {
  return RefIsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// "0", "1", ... the decimal digits of text with leading zeros dropped; true iff the value they
// make is at most limit.
inline bool RefDecimalAtMost(std::string_view digits, uint64_t limit, uint64_t* value) {
  size_t i = 0;
  while (i + 1 < digits.size() && digits[i] == '0') ++i;
  digits = digits.substr(i);
  if (digits.size() > 10) return false;
  uint64_t v = 0;
  for (char c : digits) v = v * 10 + static_cast<uint64_t>(c - '0');
  *value = v;
  return v <= limit;
}

inline uint64_t RefHexValue(std::string_view hex) {
  uint64_t v = 0;
  for (char c : hex) {
    int d = RefIsDigit(c) ? c - '0' : (c >= 'a' ? c - 'a' + 10 : c - 'A' + 10);
    v = v * 16 + static_cast<uint64_t>(d);
  }
  return v;
}

enum class RefKind { kEmpty, kComment, kMember, kHeadword };

inline RefKind RefClassify(std::string_view line) {
  if (line.empty()) return RefKind::kEmpty;
  if (line[0] == '#') return RefKind::kComment;
  if (line.size() >= 2 && line[1] == '#') return RefKind::kComment;
  if (line[0] == '\t' || line[0] == ' ' || line[0] == '*') return RefKind::kMember;
  return RefKind::kHeadword;
}

struct RefEntry {
  bool hasWord = false;
  std::string word;
  int64_t count = 0;
  bool badCount = false;
  std::string badValue;        // the leading decimal digits of a bad count text, as a number
  bool badValueKnown = false;  // false when that number is too long to say what it must show
  bool indented = false;
};

// One upper-cased baseword line taken apart by the rules for an entry.
inline RefEntry RefParseEntry(const CharClassTable& table, std::string_view line) {
  RefEntry r;
  r.indented = !line.empty() && (line[0] == '\t' || line[0] == ' ' || line[0] == '*');
  auto cls = [&](size_t i) { return table.Class(static_cast<unsigned char>(line[i])); };
  size_t p = 0;
  while (p < line.size() && cls(p) < 2) ++p;
  size_t start = p;
  while (p < line.size() && cls(p) != 0) ++p;
  if (p == start) return r;
  r.hasWord = true;
  r.word = std::string(line.substr(start, p - start < 30 ? p - start : 30));

  size_t first = std::string_view::npos;
  size_t last = std::string_view::npos;
  for (size_t i = p; i < line.size(); ++i) {
    if (RefIsDigit(line[i])) {
      if (first == std::string_view::npos) first = i;
      last = i;
    }
  }
  if (first == std::string_view::npos) return r;
  std::string_view text = line.substr(first, last + 1 - first);

  bool valid = false;
  uint64_t value = 0;
  bool allDigits = true;
  for (char c : text) allDigits = allDigits && RefIsDigit(c);
  if (allDigits) {
    valid = RefDecimalAtMost(text, 2147483647u, &value);
  } else if (text.size() > 2 && text[0] == '0' && text[1] == 'X') {
    std::string_view hex = text.substr(2);
    bool allHex = hex.size() <= 8;
    for (char c : hex) allHex = allHex && RefIsHex(c);
    if (allHex) {
      value = RefHexValue(hex);
      valid = value <= 0x7FFFFFFFu;
    }
  }
  if (valid) {
    r.count = static_cast<int64_t>(value);
    return r;
  }
  r.badCount = true;
  size_t d = 0;
  while (d < text.size() && RefIsDigit(text[d])) ++d;
  uint64_t lead = 0;
  r.badValueKnown = RefDecimalAtMost(text.substr(0, d), 2147483647u, &lead);
  if (r.badValueKnown) r.badValue = std::to_string(lead);
  return r;
}

// A quarn.txt line applied to table: the class character after leading tabs and blanks, then
// one whole integer in the standard notation, taken modulo 256. Code 0 keeps no class.
inline void RefApplyClassLine(std::string_view line, CharClassTable& table) {
  if (line.empty() || line[0] == '#') return;
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i == line.size()) return;
  unsigned char c = static_cast<unsigned char>(line[i]);
  if (c == 0) return;
  std::string_view rest = line.substr(i + 1);
  size_t b = 0;
  while (b < rest.size() && rest[b] == ' ') ++b;
  rest = rest.substr(b);
  if (rest.empty()) return;

  uint64_t bits = 0;
  std::string_view hex;
  bool isHex = false;
  if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    hex = rest.substr(2);
    isHex = true;
  } else if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') {
    hex = rest.substr(1);
    isHex = true;
  }
  if (isHex) {
    if (hex.empty() || hex.size() > 8) return;
    for (char h : hex) {
      if (!RefIsHex(h)) return;
    }
    bits = RefHexValue(hex);
  } else {
    bool negative = false;
    std::string_view digits = rest;
    if (rest[0] == '+' || rest[0] == '-') {
      negative = rest[0] == '-';
      digits = rest.substr(1);
    }
    if (digits.empty()) return;
    for (char d : digits) {
      if (!RefIsDigit(d)) return;
    }
    uint64_t v = 0;
    if (!RefDecimalAtMost(digits, negative ? 2147483648u : 2147483647u, &v)) return;
    bits = negative ? (0x100000000ull - v) : v;
  }
  table.classes[c] = static_cast<uint8_t>(bits & 0xFF);
}

}  // namespace quarn::fuzz
