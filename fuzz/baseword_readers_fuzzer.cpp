// The baseword line readers over a whole file: the text goes through the engine's line reader
// (its reads cut into pieces so that block ends fall anywhere), then NextHeadwordEntry and
// NextMemberEntry walk the lines as the loader does, and NextHeadwordEntry with SkipFamily as
// the loader does for a duplicate headword. Entries and messages are checked against a plain
// walk of the same lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "Reference.h"
#include "lists/BasewordEntry.h"
#include "text/CharCase.h"
#include "text/LineReader.h"

using namespace quarn;
using namespace quarn::fuzz;

namespace {

struct Event {
  char kind;  // 'H' headword, 'M' member
  std::string word;
  int64_t count;
  bool operator==(const Event&) const = default;
};

std::string Describe(const std::vector<Event>& events) {
  std::string s;
  for (const Event& ev : events) s += std::string(1, ev.kind) + ":" + Hex(ev.word) + ",";
  return s;
}

void AddSkip(std::vector<std::string>& log, const std::string& shown, const std::string& error) {
  log.push_back("SKIPPING  " + shown);
  log.push_back(" ");
  log.push_back("ERROR  " + error);
}

// What the loader's walk must meet, line by line, and the progress lines it must leave.
void Model(const CharClassTable& table, const std::vector<std::string>& lines,
           std::vector<Event>* events, std::vector<std::string>* log, size_t* headwords) {
  bool inFamily = false;
  *headwords = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const std::string number = std::to_string(i + 1);
    RefKind kind = RefClassify(line);
    if (kind == RefKind::kEmpty || kind == RefKind::kComment) continue;
    if (kind == RefKind::kMember && !inFamily) {
      AddSkip(*log, line,
              "Member word in basewrd file has no associated headword! Skipping line: " + number);
      continue;
    }
    std::string upper = UpperCase(line);
    RefEntry r = RefParseEntry(table, upper);
    if (!r.hasWord) {
      if (kind == RefKind::kHeadword) {
        inFamily = false;
        AddSkip(*log, upper, "Invalid Headword in basewrd file! Skipping line: " + number);
      } else {
        AddSkip(*log, upper, "Invalid type in basewrd file! Skipping line: " + number);
      }
      continue;
    }
    if (kind == RefKind::kHeadword) {
      inFamily = true;
      ++*headwords;
    }
    events->push_back({kind == RefKind::kHeadword ? 'H' : 'M', r.word, r.count});
    if (r.badCount) {
      // The value shown for an over-long count is the engine's own choice: compare up to it.
      log->push_back("ERROR  Entry: " + r.word + "has bad count value: " +
                     (r.badValueKnown ? r.badValue + " resetting to zero" : std::string("?")));
      log->push_back(" ");
    }
  }
}

bool SameLine(const std::string& got, const std::string& want) {
  if (want.size() > 0 && want.back() == '?' && want.rfind("ERROR  Entry: ", 0) == 0) {
    const std::string head = want.substr(0, want.size() - 1);
    const std::string tail = " resetting to zero";
    return got.rfind(head, 0) == 0 && got.size() >= head.size() + tail.size() &&
           got.compare(got.size() - tail.size(), tail.size(), tail) == 0;
  }
  return got == want;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  FuzzEngine f;
  Engine& e = f.e;
  e.classes = DefaultCharClassTable();

  // The engine's reader against the plain splitter, with reads of a few pieces.
  const std::string path = "/m/BASEWRD1.txt";
  f.fs.files[path] = text;
  f.fs.readChunk = size / 3 + 1 + (size > 0 ? data[0] % 3 : 0);
  std::vector<std::string> lines;
  Status s = ReadAllLines(f.fs, path, &lines);
  FUZZ_CHECK(s.ok(), s.ToString());
  const std::vector<std::string> plain = SplitLines(text);
  FUZZ_CHECK(lines == plain, "lines of " + Hex(text));

  std::vector<Event> want;
  std::vector<std::string> wantLog;
  size_t headwords = 0;
  Model(e.classes, lines, &want, &wantLog, &headwords);

  // The loader's walk.
  std::vector<Event> got;
  size_t index = 0;
  BasewordEntry entry;
  while (index < lines.size()) {
    const size_t before = index;
    if (!NextHeadwordEntry(e, lines, index, &entry)) {
      FUZZ_CHECK(index == lines.size(), "headword reader stopped early");
      break;
    }
    FUZZ_CHECK(index > before && index <= lines.size(), "headword reader did not advance");
    FUZZ_CHECK(ClassifyBasewordLine(lines[index - 1]) == LineKind::kHeadword, "not a headword");
    got.push_back({'H', entry.word, entry.count});
    for (;;) {
      const size_t at = index;
      const bool more = NextMemberEntry(e, lines, index, &entry);
      FUZZ_CHECK(index >= at && index <= lines.size(), "member reader moved back");
      if (!more) {
        FUZZ_CHECK(
            index == lines.size() || ClassifyBasewordLine(lines[index]) == LineKind::kHeadword,
            "member reader stopped off a headword line");
        break;
      }
      FUZZ_CHECK(index > at, "member reader did not advance");
      FUZZ_CHECK(ClassifyBasewordLine(lines[index - 1]) == LineKind::kMember, "not a member");
      got.push_back({'M', entry.word, entry.count});
    }
  }
  FUZZ_CHECK(got == want, "entries " + Describe(got) + " want " + Describe(want));
  FUZZ_CHECK(e.progress.lines.size() == wantLog.size(),
             "message count " + std::to_string(e.progress.lines.size()) + " want " +
                 std::to_string(wantLog.size()));
  for (size_t i = 0; i < wantLog.size(); ++i) {
    FUZZ_CHECK(SameLine(e.progress.lines[i], wantLog[i]),
               "message " + Hex(e.progress.lines[i]) + " want " + Hex(wantLog[i]));
  }

  // Headwords alone, each family skipped without a look at its members.
  FuzzEngine g;
  g.e.classes = e.classes;
  size_t found = 0;
  index = 0;
  while (NextHeadwordEntry(g.e, lines, index, &entry)) {
    ++found;
    const size_t at = index;
    SkipFamily(lines, index);
    FUZZ_CHECK(index >= at && index <= lines.size(), "SkipFamily left the lines");
    FUZZ_CHECK(index == lines.size() || ClassifyBasewordLine(lines[index]) == LineKind::kHeadword,
               "SkipFamily stopped off a headword line");
    for (size_t i = at; i < index; ++i) {
      FUZZ_CHECK(ClassifyBasewordLine(lines[i]) != LineKind::kHeadword,
                 "SkipFamily passed a headword");
    }
  }
  FUZZ_CHECK(index == lines.size(), "headword walk stopped early");
  FUZZ_CHECK(found == headwords, "headwords " + std::to_string(found));
  return 0;
}
