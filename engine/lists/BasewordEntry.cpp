#include "lists/BasewordEntry.h"

#include <charconv>
#include <string>

#include "state/Engine.h"
#include "state/Messages.h"
#include "text/CharCase.h"

namespace quarn {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsIndent(char c) { return c == '\t' || c == ' ' || c == '*'; }

// Converts a count text that begins and ends with a decimal digit. Accepts a run of decimal
// digits, or "0X" and at most 8 hexadecimal digits taken as a 32-bit pattern; the value must
// be 0..2147483647. Returns true iff valid.
bool ConvertCount(std::string_view text, int32_t* value) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (text.size() > 2 && text[0] == '0' && text[1] == 'X') {
    std::string_view hex = text.substr(2);
    if (hex.size() > 8) return false;
    uint32_t pattern = 0;
    auto [ptr, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), pattern, 16);
    if (ec != std::errc() || ptr != hex.data() + hex.size()) return false;
    if (pattern > 0x7FFFFFFFu) return false;  // a negative 32-bit value
    *value = static_cast<int32_t>(pattern);
    return true;
  }
  int32_t decimal = 0;
  auto [ptr, ec] = std::from_chars(first, last, decimal, 10);
  if (ec != std::errc() || ptr != last || decimal < 0) return false;
  *value = decimal;
  return true;
}

// The number the decimal digits at the start of text make, written without leading zeros and
// without limit of size (the message shows what the user wrote, not an overflowed value).
std::string LeadingDigits(std::string_view text) {
  size_t end = 0;
  while (end < text.size() && IsDigit(text[end])) ++end;
  size_t start = 0;
  while (start + 1 < end && text[start] == '0') ++start;
  return std::string(text.substr(start, end - start));
}

void SkipMessages(Engine& e, std::string_view shown, const std::string& error) {
  ProgressMessageThenBlanks(e, Severity::kSkipping, shown, 1);
  ProgressMessage(e, Severity::kLineError, error);
}

}  // namespace

LineKind ClassifyBasewordLine(std::string_view line) {
  if (line.empty()) return LineKind::kEmpty;
  if (line[0] == '#' || (line.size() >= 2 && line[1] == '#')) return LineKind::kComment;
  if (IsIndent(line[0])) return LineKind::kMember;
  return LineKind::kHeadword;
}

bool ParseEntry(Engine& e, std::string_view upperLine, BasewordEntry* entry) {
  entry->word.clear();
  entry->count = 0;
  entry->indented = !upperLine.empty() && IsIndent(upperLine[0]);

  const CharClassTable& classes = e.classes;
  size_t pos = 0;
  while (pos < upperLine.size() && classes.Class(static_cast<unsigned char>(upperLine[pos])) < 2)
    ++pos;
  size_t wordStart = pos;
  while (pos < upperLine.size() && classes.Class(static_cast<unsigned char>(upperLine[pos])) != 0)
    ++pos;
  if (pos == wordStart) return false;
  // Characters beyond the 30th belong to the word but are not kept; they start nothing.
  size_t kept = pos - wordStart < static_cast<size_t>(kMaxWordLength)
                    ? pos - wordStart
                    : static_cast<size_t>(kMaxWordLength);
  entry->word.assign(upperLine.substr(wordStart, kept));

  size_t lastDigit = upperLine.size();
  for (size_t i = upperLine.size(); i > pos; --i) {
    if (IsDigit(upperLine[i - 1])) {
      lastDigit = i - 1;
      break;
    }
  }
  if (lastDigit == upperLine.size()) return true;  // no digit after the word
  size_t firstDigit = pos;
  while (!IsDigit(upperLine[firstDigit])) ++firstDigit;
  std::string_view countText = upperLine.substr(firstDigit, lastDigit + 1 - firstDigit);

  int32_t value = 0;
  if (ConvertCount(countText, &value)) {
    entry->count = value;
  } else {
    ProgressMessageThenBlanks(e, Severity::kLineError,
                              "Entry: " + entry->word + "has bad count value: " +
                                  LeadingDigits(countText) + " resetting to zero",
                              1);
  }
  return true;
}

bool NextHeadwordEntry(Engine& e, const std::vector<std::string>& lines, size_t& index,
                       BasewordEntry* entry) {
  while (index < lines.size()) {
    const std::string& line = lines[index];
    ++index;  // now the 1-based number of this line
    switch (ClassifyBasewordLine(line)) {
      case LineKind::kEmpty:
      case LineKind::kComment:
        break;
      case LineKind::kMember:
        SkipMessages(e, line,
                     "Member word in basewrd file has no associated headword! Skipping line: " +
                         std::to_string(index));
        break;
      case LineKind::kHeadword: {
        std::string upper = UpperCase(line);
        if (ParseEntry(e, upper, entry)) return true;
        SkipMessages(e, upper,
                     "Invalid Headword in basewrd file! Skipping line: " + std::to_string(index));
        break;
      }
    }
  }
  return false;
}

bool NextMemberEntry(Engine& e, const std::vector<std::string>& lines, size_t& index,
                     BasewordEntry* entry) {
  while (index < lines.size()) {
    const std::string& line = lines[index];
    ++index;
    switch (ClassifyBasewordLine(line)) {
      case LineKind::kEmpty:
      case LineKind::kComment:
        break;
      case LineKind::kHeadword:
        --index;  // the next family starts here
        return false;
      case LineKind::kMember: {
        std::string upper = UpperCase(line);
        if (ParseEntry(e, upper, entry)) return true;
        SkipMessages(e, upper,
                     "Invalid type in basewrd file! Skipping line: " + std::to_string(index));
        break;
      }
    }
  }
  return false;
}

void SkipFamily(const std::vector<std::string>& lines, size_t& index) {
  while (index < lines.size() && ClassifyBasewordLine(lines[index]) != LineKind::kHeadword) ++index;
}

}  // namespace quarn
