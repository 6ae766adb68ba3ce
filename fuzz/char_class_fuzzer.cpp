// The quarn.txt parser: every line applied with ApplyCharClassLine and with a plain
// re-statement of the line rule must leave the same table after each line, and building the
// table from the same text held as quarn.txt must give that table too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "Reference.h"
#include "text/CharClassTable.h"

using namespace quarn;
using namespace quarn::fuzz;

namespace {

std::string Diff(const CharClassTable& got, const CharClassTable& want) {
  for (int c = 0; c < 256; ++c) {
    if (got.classes[c] != want.classes[c]) {
      return "code " + std::to_string(c) + " class " + std::to_string(got.classes[c]) + " want " +
             std::to_string(want.classes[c]);
    }
  }
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitLines(text);

  CharClassTable got;
  CharClassTable want;
  for (const std::string& line : lines) {
    CharClassTable before = got;
    ApplyCharClassLine(line, got);
    RefApplyClassLine(line, want);
    FUZZ_CHECK(got.classes == want.classes, "line " + Hex(line) + ": " + Diff(got, want));
    FUZZ_CHECK(got.classes[0] == 0, "line " + Hex(line) + " gave code 0 a class");
    int changed = 0;
    for (int c = 0; c < 256; ++c) changed += got.classes[c] != before.classes[c];
    FUZZ_CHECK(changed <= 1, "line " + Hex(line) + " changed more than one class");
  }

  FuzzHost host;
  MemoryFileSystem fs;
  fs.files["/m/quarn.txt"] = text;
  CharClassTable built = DefaultCharClassTable();
  Status s = BuildCharClassTable(fs, "/m/", &built);
  FUZZ_CHECK(s.ok(), s.ToString());
  FUZZ_CHECK(built.classes == want.classes, "built from file: " + Diff(built, want));
  return 0;
}
