// The stop-list loader on any stop file held in memory. Read as Windows-1252 the list must hold
// exactly the upper-cased first 30 characters of every line, each once, in ascending byte order,
// and find each of them. Read as UTF-8 or by detection it must still be such a list, and plain
// ASCII text must give the same list whatever the setting.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzHost.h"
#include "lists/StopList.h"
#include "text/CharCase.h"
#include "text/TextEncoding.h"

using namespace quarn;
using namespace quarn::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  FuzzEngine f;
  Engine& e = f.e;
  f.fs.files["/m/stop.txt"] = text;
  f.fs.readChunk = size / 4 + 1;
  e.encoding = TextEncoding::kCp1252;
  e.stopList.emplace();
  Status s = LoadStopList(e, "/m/stop.txt");
  FUZZ_CHECK(s.ok(), s.ToString());
  FUZZ_CHECK(e.stopList.has_value(), "no list after loading");

  std::set<std::string> want;
  for (const std::string& line : SplitLines(text)) want.insert(UpperCase(line.substr(0, 30)));
  const std::vector<std::string>& got = e.stopList->entries();
  FUZZ_CHECK(got.size() == want.size(), "entries " + std::to_string(got.size()));
  FUZZ_CHECK(e.stopList->size() == got.size(), "size");
  size_t i = 0;
  for (const std::string& w : want) {
    FUZZ_CHECK(got[i] == w, "entry " + Hex(got[i]) + " want " + Hex(w));
    FUZZ_CHECK(got[i].size() <= 30, "entry longer than 30");
    FUZZ_CHECK(InStopList(e, w), "not found: " + Hex(w));
    ++i;
  }
  // Near misses: a word one character longer or shorter than an entry is another word.
  for (const std::string& w : want) {
    std::string longer = w + "A";
    FUZZ_CHECK(InStopList(e, longer) == (want.count(longer) != 0), "longer " + Hex(longer));
    if (!w.empty()) {
      std::string shorter = w.substr(0, w.size() - 1);
      FUZZ_CHECK(InStopList(e, shorter) == (want.count(shorter) != 0), "shorter " + Hex(shorter));
    }
  }
  // Loading the same file again adds nothing.
  s = LoadStopList(e, "/m/stop.txt");
  FUZZ_CHECK(s.ok() && e.stopList->size() == want.size(), "second load changed the list");

  bool ascii = true;
  for (unsigned char c : text) ascii = ascii && c < 0x80;
  for (TextEncoding setting : {TextEncoding::kAuto, TextEncoding::kUtf8}) {
    FuzzEngine g;
    g.fs.files["/m/stop.txt"] = text;
    g.e.encoding = setting;
    g.e.stopList.emplace();
    s = LoadStopList(g.e, "/m/stop.txt");
    FUZZ_CHECK(s.ok(), s.ToString());
    const std::vector<std::string>& entries = g.e.stopList->entries();
    FUZZ_CHECK(entries.size() <= SplitLines(text).size(), "more entries than lines");
    for (size_t k = 0; k < entries.size(); ++k) {
      FUZZ_CHECK(entries[k].size() <= 30, "entry longer than 30: " + Hex(entries[k]));
      FUZZ_CHECK(UpperCase(entries[k]) == entries[k], "entry not upper case: " + Hex(entries[k]));
      FUZZ_CHECK(k == 0 || entries[k - 1] < entries[k], "entries out of order");
      FUZZ_CHECK(InStopList(g.e, entries[k]), "not found: " + Hex(entries[k]));
    }
    if (ascii) FUZZ_CHECK(entries == got, "ASCII text read differently");
  }
  return 0;
}
