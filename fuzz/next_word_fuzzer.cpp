// The word cutter with a class table made from the input: the first 256 bytes give the classes
// of codes 0-255 (mostly 0-3, now and then a high class), the byte after them says whether
// "<...>" is skipped, and the rest is text. Every line, trimmed and upper-cased as the scanner
// hands it over, and also as it stands, is cut by NextWord and by a plain re-statement of the
// cutting rule; both must give the same words, and every word must be a proper word.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzHost.h"
#include "scan/TextScan.h"
#include "text/CharCase.h"
#include "text/CharClassTable.h"

using namespace quarn;
using namespace quarn::fuzz;

namespace {

// The cutting rule step by step, positions 0-based.
std::vector<std::string> RefWords(const CharClassTable& t, bool ignoreAngle, std::string_view s) {
  std::vector<std::string> words;
  size_t p = 0;
  const size_t n = s.size();
  auto cls = [&](size_t i) { return t.Class(static_cast<unsigned char>(s[i])); };
  for (;;) {
    if (p >= n) return words;
    bool none = false;
    while (cls(p) != 2) {
      if (ignoreAngle && s[p] == '<') {
        size_t q = p + 1;
        while (q < n && s[q] != '>') ++q;
        p = q;  // on the '>' or past the end
      }
      ++p;
      if (p >= n) {
        none = true;
        break;
      }
    }
    if (none) return words;
    std::string w;
    while (p < n && w.size() < 30 && cls(p) != 0) w += s[p++];
    words.push_back(w);
  }
}

void CutLine(const CharClassTable& t, bool ignoreAngle, std::string_view line) {
  std::vector<std::string> got;
  size_t pos = 0;
  std::string_view word;
  for (;;) {
    const size_t before = pos;
    if (!NextWord(t, ignoreAngle, line, pos, &word)) break;
    // Called only when a check fails: lines can be long.
    auto where = [&] { return std::string("line " + Hex(line) + " at " + std::to_string(before)); };
    FUZZ_CHECK(pos > before && pos <= line.size(), where() + ": no progress");
    FUZZ_CHECK(!word.empty() && word.size() <= 30, where() + ": word size");
    FUZZ_CHECK(word.data() + word.size() == line.data() + pos,
               where() + ": word does not end at pos");
    FUZZ_CHECK(word.data() >= line.data() + before, where() + ": word before pos");
    FUZZ_CHECK(t.Class(static_cast<unsigned char>(word[0])) == 2, where() + ": first class");
    for (char c : word)
      FUZZ_CHECK(t.Class(static_cast<unsigned char>(c)) != 0, where() + ": separator");
    if (word.size() < 30 && pos < line.size()) {
      FUZZ_CHECK(t.Class(static_cast<unsigned char>(line[pos])) == 0, where() + ": word cut short");
    }
    got.emplace_back(word);
    FUZZ_CHECK(got.size() <= line.size(), where() + ": more words than characters");
  }
  const std::vector<std::string> want = RefWords(t, ignoreAngle, line);
  std::string shown;
  for (const std::string& w : got) shown += Hex(w) + ",";
  FUZZ_CHECK(got == want, "line " + Hex(line) + " words " + shown);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 257) return 0;
  CharClassTable table;
  for (int c = 1; c < 256; ++c) {
    uint8_t b = data[c];
    table.classes[c] = b >= 0xFC ? b : static_cast<uint8_t>(b & 3);
  }
  const bool ignoreAngle = (data[256] & 1) != 0;
  const std::string text(reinterpret_cast<const char*>(data) + 257, size - 257);
  for (const std::string& raw : SplitLines(text)) {
    std::string line(Trim(raw));
    UpperCaseInPlace(line);
    CutLine(table, ignoreAngle, line);
    CutLine(table, ignoreAngle, raw);
  }
  return 0;
}
