// The lines of a baseword file: their kinds, one entry per line, and the two readers shared by
// the loader and the Move/Copy action.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarn {

struct Engine;

struct BasewordEntry {
  std::string word;   // upper case, at most 30 characters
  int32_t count = 0;  // 0..2147483647
  bool indented = false;  // the line began with a tab, a blank or '*'
};

enum class LineKind { kEmpty, kComment, kMember, kHeadword };
// The kind of a line as read: empty; comment ('#' first, or second of two or more); member
// (tab, blank or '*' first); otherwise headword.
LineKind ClassifyBasewordLine(std::string_view line);

// Parses an upper-cased line with the engine's character classes. Returns true iff the line
// has a word. A count text that is not a valid count gives count 0 and the bad-count message.
bool ParseEntry(Engine& e, std::string_view upperLine, BasewordEntry* entry);

// Reads on from index to the next headword entry, reporting member lines without a headword and
// headword lines without a word. Returns false at the end of the lines.
bool NextHeadwordEntry(Engine& e, const std::vector<std::string>& lines, size_t& index,
                       BasewordEntry* entry);
// Reads the next member entry of the current family. Returns false at the next headword line
// (index left on it) or at the end.
bool NextMemberEntry(Engine& e, const std::vector<std::string>& lines, size_t& index,
                     BasewordEntry* entry);
// Passes over the rest of a family without messages.
void SkipFamily(const std::vector<std::string>& lines, size_t& index);

}  // namespace quarn
