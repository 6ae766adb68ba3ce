#include "text/CharClassTable.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "FileSystem.h"
#include "text/LineReader.h"

namespace quarn {

namespace {

void SetRange(CharClassTable& t, int first, int last, uint8_t cls) {
  for (int c = first; c <= last; ++c) t.classes[c] = cls;
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

constexpr std::string_view kClassFileName = "quarn.txt";

// The path of the class file in folder: the exact name first, else a name that differs only in
// letter case (the file may have been copied from a system that ignores case). "" when none.
std::string FindClassFile(FileSystem& fs, const std::string& folder) {
  std::string exact = folder + std::string(kClassFileName);
  if (fs.FileExists(exact)) return exact;
  std::vector<std::string> names;
  std::string dir = folder.empty() ? fs.CurrentDirectory() : folder;
  if (!fs.ListDirectory(dir, &names).ok()) return std::string();
  for (const std::string& name : names) {
    if (EqualsIgnoringAsciiCase(name, kClassFileName) && fs.FileExists(folder + name)) {
      return folder + name;
    }
  }
  return std::string();
}

}  // namespace

bool ParseInteger(std::string_view text, uint32_t* bits) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::string_view rest = text.substr(i);
  if (rest.empty()) return false;

  size_t prefix = 0;
  if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    prefix = 2;
  } else if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') {
    prefix = 1;
  }
  if (prefix > 0) {
    std::string_view hex = rest.substr(prefix);
    if (hex.empty() || hex.size() > 8) return false;
    for (char c : hex) {
      if (!IsHexDigit(c)) return false;
    }
    uint32_t v = 0;
    auto [ptr, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), v, 16);
    if (ec != std::errc() || ptr != hex.data() + hex.size()) return false;
    *bits = v;
    return true;
  }

  // from_chars takes a '-' itself but not a '+'; either must be followed by digits only.
  std::string_view number = rest;
  size_t firstDigit = 0;
  if (rest[0] == '+') {
    number = rest.substr(1);
  } else if (rest[0] == '-') {
    firstDigit = 1;
  }
  if (number.size() <= firstDigit) return false;
  for (size_t k = firstDigit; k < number.size(); ++k) {
    if (number[k] < '0' || number[k] > '9') return false;
  }
  int32_t v = 0;
  auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), v, 10);
  if (ec != std::errc() || ptr != number.data() + number.size()) return false;
  *bits = static_cast<uint32_t>(v);
  return true;
}

CharClassTable DefaultCharClassTable() {
  CharClassTable t;
  t.classes[static_cast<unsigned char>('-')] = 1;
  SetRange(t, '0', '9', 1);
  SetRange(t, 'A', 'Z', 2);
  SetRange(t, 192, 207, 2);
  SetRange(t, 209, 214, 2);
  SetRange(t, 217, 221, 2);
  SetRange(t, 224, 239, 2);
  SetRange(t, 241, 246, 2);
  SetRange(t, 249, 253, 2);
  return t;
}

void ApplyCharClassLine(std::string_view line, CharClassTable& table) {
  if (line.empty() || line[0] == '#') return;
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i == line.size()) return;
  unsigned char c = static_cast<unsigned char>(line[i]);
  // Code 0 is a separator whatever the file says.
  if (c == 0) return;
  uint32_t bits = 0;
  if (!ParseInteger(line.substr(i + 1), &bits)) return;
  table.classes[c] = static_cast<uint8_t>(bits & 0xFF);
}

Status BuildCharClassTable(FileSystem& fs, const std::string& programFolder,
                           CharClassTable* table, TextEncoding setting) {
  std::string path = FindClassFile(fs, programFolder);
  if (path.empty()) {
    *table = DefaultCharClassTable();
    return Status::OK();
  }
  std::vector<std::string> lines;
  Status s = ReadAllLines(fs, path, setting, &lines);
  if (!s.ok()) return s;
  CharClassTable built;  // every entry a separator until a line says otherwise
  for (const std::string& line : lines) ApplyCharClassLine(line, built);
  *table = built;
  return Status::OK();
}

}  // namespace quarn
