// The OK action of the Move/Copy basewords dialog on any source list, held in a memory file
// system. The first byte sets the dialog (relation, Copy Words, Headwords Only, Use Family
// Totals, Append to file, an existing destination, an odd quarn.txt), the second the filter
// number; the rest is basewrd1.txt. The destination and the rewritten source are checked against
// a plain walk of the source: every selected family reaches the destination, a move takes out
// of the source exactly the family lines that are not empty and not '#' comments, and nothing
// else changes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "Reference.h"
#include "lists/MoveCopy.h"
#include "text/CharCase.h"

using namespace quarn;
using namespace quarn::fuzz;

namespace {

struct Filter {
  const char* text;
  int64_t value;
};
// Whole numbers, edge values, and texts that are no whole number (value 0).
const Filter kFilters[] = {{"0", 0},
                           {"1", 1},
                           {"-1", -1},
                           {"5", 5},
                           {"12", 12},
                           {"abc", 0},
                           {"", 0},
                           {"2147483647", 2147483647},
                           {"-2147483648", -2147483648LL}};

// Letters and '*' and '#' begin words, digits join, the apostrophe is "other".
const char kOddClasses[] =
    "# odd classes\n"
    "A 2\nB 2\nC 2\nD 2\nE 2\nF 2\nG 2\nH 2\nI 2\nJ 2\nK 2\nL 2\nM 2\nN 2\nO 2\nP 2\nQ 2\nR 2\n"
    "S 2\nT 2\nU 2\nV 2\nW 2\nX 2\nY 2\nZ 2\n0 1\n1 1\n2 1\n3 1\n4 1\n5 1\n6 1\n7 1\n8 1\n9 1\n"
    "*2\n\t#2\n'3\n-1\n";

const char kPrior[] = "OLD 1\r\n\tPRIOR 2\r\n";

struct Family {
  size_t head = 0;
  size_t end = 0;                // the next headword-kind line, or the end
  std::vector<std::string> out;  // the lines the destination gets for it
  bool selected = false;
};

bool Hit(MoveCopySettings::Relation r, int64_t count, int64_t value) {
  if (r == MoveCopySettings::Relation::kGreaterThan) return count > value;
  if (r == MoveCopySettings::Relation::kLessThan) return count < value;
  return count == value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0];
  const uint8_t filterByte = data[1];
  const std::string source(reinterpret_cast<const char*>(data) + 2, size - 2);

  MoveCopySettings st;
  static const MoveCopySettings::Relation kRelations[] = {
      MoveCopySettings::Relation::kGreaterThan, MoveCopySettings::Relation::kEqualTo,
      MoveCopySettings::Relation::kLessThan, MoveCopySettings::Relation::kEqualTo};
  st.relation = kRelations[flags & 3];
  st.Copy_Words = (flags & 4) != 0;
  st.headwrds_only = (flags & 8) != 0;
  st.usefamilytotal = (flags & 16) != 0;
  st.appendtofile = (flags & 32) != 0;
  const bool priorDest = (flags & 64) != 0;
  const bool oddClasses = (flags & 128) != 0;
  int64_t value = 0;
  if (filterByte < sizeof(kFilters) / sizeof(kFilters[0])) {
    st.FilterNum = kFilters[filterByte].text;
    value = kFilters[filterByte].value;
  } else {
    value = static_cast<int8_t>(filterByte);
    st.FilterNum = std::to_string(value);
  }
  const bool sameFile = filterByte == 0xFF;  // the destination names the source in capitals
  if (sameFile) st.FileCopyTo = "BASEWRD1";

  FuzzEngine f;
  Engine& e = f.e;
  const std::string srcPath = "/m/basewrd1.txt";
  const std::string destPath = "/m/" + st.FileCopyTo + ".txt";
  f.fs.files[srcPath] = source;
  if (priorDest && !sameFile) f.fs.files[destPath] = kPrior;
  if (oddClasses) f.fs.files["/m/quarn.txt"] = kOddClasses;

  const bool ok = MoveCopyBasewords(e, st);

  if (sameFile) {
    FUZZ_CHECK(!ok || f.fs.files[srcPath] == source, "same file: source changed");
    FUZZ_CHECK(f.fs.files.count(destPath) == 0 || ok, "same file: destination made");
    return 0;
  }
  FUZZ_CHECK(ok, "failed: " + (e.progress.lines.empty() ? "" : e.progress.lines.back()));
  const size_t expectedFiles = 2 + (oddClasses ? 1 : 0);
  FUZZ_CHECK(f.fs.files.size() == expectedFiles, "stray files left behind");

  // The plain walk.
  CharClassTable table = DefaultCharClassTable();
  if (oddClasses) {
    table = CharClassTable{};
    for (const std::string& line : SplitLines(kOddClasses)) RefApplyClassLine(line, table);
  }
  const std::vector<std::string> lines = SplitLines(source);
  std::vector<Family> families;
  bool open = false;
  int64_t total = 0;
  bool anyHit = false;
  auto close = [&](size_t at) {
    if (!open) return;
    Family& fam = families.back();
    fam.end = at;
    fam.selected = st.usefamilytotal ? Hit(st.relation, total, value) : anyHit;
    open = false;
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    RefKind kind = RefClassify(lines[i]);
    if (kind == RefKind::kHeadword) {
      close(i);
      RefEntry r = RefParseEntry(table, UpperCase(lines[i]));
      if (!r.hasWord) continue;
      families.push_back({});
      families.back().head = i;
      families.back().out.push_back(r.word + " " + std::to_string(r.count));
      open = true;
      total = r.count;
      anyHit = Hit(st.relation, r.count, value);
    } else if (kind == RefKind::kMember && open) {
      RefEntry r = RefParseEntry(table, UpperCase(lines[i]));
      if (!r.hasWord) continue;
      families.back().out.push_back("\t" + r.word + " " + std::to_string(r.count));
      total += r.count;
      anyHit = anyHit || Hit(st.relation, r.count, value);
    }
  }
  close(lines.size());

  const bool moving = !st.Copy_Words && !st.headwrds_only;
  std::string wantDest = priorDest && st.appendtofile ? kPrior : "";
  std::vector<bool> removed(lines.size(), false);
  size_t written = 0;
  size_t writtenLines = 0;
  for (const Family& fam : families) {
    if (!fam.selected) continue;
    ++written;
    for (size_t k = 0; k < (st.headwrds_only ? 1 : fam.out.size()); ++k) {
      wantDest += fam.out[k] + "\r\n";
      ++writtenLines;
    }
    if (!moving) continue;
    for (size_t i = fam.head; i < fam.end; ++i) {
      removed[i] = !lines[i].empty() && lines[i][0] != '#';
    }
  }

  const std::string report = " Wrote " + std::to_string(written) + " families out of " +
                             std::to_string(families.size()) + " to file " + destPath;
  FUZZ_CHECK(e.progress.lines.size() >= 2, "no report");
  FUZZ_CHECK(e.progress.lines[e.progress.lines.size() - 2] == report,
             "report " + e.progress.lines[e.progress.lines.size() - 2] + " want " + report);
  FUZZ_CHECK(f.fs.files[destPath] == wantDest,
             "destination " + Hex(f.fs.files[destPath]) + " want " + Hex(wantDest));

  if (!moving) {
    FUZZ_CHECK(f.fs.files[srcPath] == source, "a copy changed the source");
    return 0;
  }
  // A move: no family line is lost. Every removed line that holds an entry is one written line.
  std::string wantSource;
  size_t removedEntries = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!removed[i]) {
      wantSource += lines[i] + "\r\n";
      continue;
    }
    RefKind kind = RefClassify(lines[i]);
    if ((kind == RefKind::kHeadword || kind == RefKind::kMember) &&
        RefParseEntry(table, UpperCase(lines[i])).hasWord) {
      ++removedEntries;
    }
  }
  wantSource += "\r\n";
  FUZZ_CHECK(removedEntries == writtenLines, "removed " + std::to_string(removedEntries) +
                                                 " entries, wrote " + std::to_string(writtenLines));
  FUZZ_CHECK(f.fs.files[srcPath] == wantSource,
             "source " + Hex(f.fs.files[srcPath]) + " want " + Hex(wantSource));
  return 0;
}
