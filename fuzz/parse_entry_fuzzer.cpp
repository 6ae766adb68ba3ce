// ParseEntry on any line, under the default classes and two odd tables, checked against a plain
// re-statement of the entry rules: the word, its count, the indented flag and the bad-count
// message.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzHost.h"
#include "Reference.h"
#include "lists/BasewordEntry.h"
#include "text/CharCase.h"

using namespace quarn;
using namespace quarn::fuzz;

namespace {

size_t BadCountLines(const ProgressLog& log, size_t from) {
  size_t n = 0;
  for (size_t i = from; i < log.lines.size(); ++i) {
    if (log.lines[i].rfind("ERROR  Entry: ", 0) == 0) ++n;
  }
  return n;
}

void Check(FuzzEngine& f, const CharClassTable& table, const std::string& upper) {
  Engine& e = f.e;
  e.classes = table;
  const size_t before = e.progress.lines.size();
  BasewordEntry entry;
  entry.word = "LEFTOVER";
  entry.count = 77;
  const bool has = ParseEntry(e, upper, &entry);
  const RefEntry ref = RefParseEntry(table, upper);
  // Called only when a check fails: lines can be long.
  auto where = [&] { return std::string("line " + Hex(upper)); };

  FUZZ_CHECK(has == ref.hasWord, where());
  FUZZ_CHECK(entry.indented == ref.indented, where());
  if (!has) {
    FUZZ_CHECK(e.progress.lines.size() == before, where());
    return;
  }
  FUZZ_CHECK(!entry.word.empty() && entry.word.size() <= 30, where());
  FUZZ_CHECK(entry.word == ref.word, where() + " word " + Hex(entry.word));
  FUZZ_CHECK(entry.count >= 0, where());
  FUZZ_CHECK(entry.count == ref.count, where() + " count " + std::to_string(entry.count) +
                                           " want " + std::to_string(ref.count));
  FUZZ_CHECK(table.Class(static_cast<unsigned char>(entry.word[0])) >= 2, where());
  for (char c : entry.word) FUZZ_CHECK(table.Class(static_cast<unsigned char>(c)) != 0, where());
  FUZZ_CHECK(UpperCase(entry.word) == entry.word, where());

  FUZZ_CHECK(BadCountLines(e.progress, before) == (ref.badCount ? 1u : 0u), where());
  if (ref.badCount) {
    // The message line, then one blank line.
    FUZZ_CHECK(e.progress.lines.size() == before + 2, where());
    const std::string& msg = e.progress.lines[before];
    const std::string head = "ERROR  Entry: " + entry.word + "has bad count value: ";
    const std::string tail = " resetting to zero";
    FUZZ_CHECK(msg.rfind(head, 0) == 0, where() + " message " + msg);
    FUZZ_CHECK(msg.size() >= head.size() + tail.size() &&
                   msg.compare(msg.size() - tail.size(), tail.size(), tail) == 0,
               where() + " message " + msg);
    if (ref.badValueKnown) {
      FUZZ_CHECK(msg == head + ref.badValue + tail, where() + " message " + msg);
    }
  } else {
    FUZZ_CHECK(e.progress.lines.size() == before, where());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const CharClassTable kDefault = DefaultCharClassTable();
  // Every code but NUL begins and continues a word: the word runs to the line's end or a NUL.
  static const CharClassTable kAllOther = [] {
    CharClassTable t;
    for (int c = 1; c < 256; ++c) t.classes[c] = 3;
    return t;
  }();
  // Mixed classes over the whole code range, digits among the letters.
  static const CharClassTable kMixed = [] {
    CharClassTable t;
    for (int c = 1; c < 256; ++c) t.classes[c] = static_cast<uint8_t>((c * 7) % 5);
    return t;
  }();

  std::string line(reinterpret_cast<const char*>(data), size);
  UpperCaseInPlace(line);  // the callers hand over upper-cased lines
  FuzzEngine f;
  Check(f, kDefault, line);
  Check(f, kAllOther, line);
  Check(f, kMixed, line);
  return 0;
}
