// The class of every 8-bit character: 0 separator, 1 joiner, 2 letter, 3..255 other.
// Built from quarn.txt in the program folder, or the default table when that file is missing.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "Status.h"
#include "text/TextEncoding.h"

namespace quarn {

class FileSystem;

struct CharClassTable {
  std::array<uint8_t, 256> classes{};  // code 0 is always a separator
  uint8_t Class(unsigned char c) const { return classes[c]; }
};

// A-Z and the accented capitals and small letters of Latin-1 are letters; '-' and 0-9 joiners.
CharClassTable DefaultCharClassTable();

// Reads text as one whole number in the integer notation that every number of the program
// uses: blanks, then [+|-]decimal digits fitting a signed 32-bit integer, or one of the
// prefixes $ x X 0x 0X and 1 to 8 hexadecimal digits taken as a 32-bit pattern; nothing may
// follow. Returns true iff text is such a number; *bits receives its 32-bit two's-complement
// pattern.
bool ParseInteger(std::string_view text, uint32_t* bits);

// Applies one quarn.txt line to table (comments and malformed lines change nothing).
void ApplyCharClassLine(std::string_view line, CharClassTable& table);

// Fills *table from programFolder + "quarn.txt", or with the default table when it does not
// exist. A file that exists but cannot be read is a failure (the table is then undefined).
// The file is read in the encoding the setting gives it.
Status BuildCharClassTable(FileSystem& fs, const std::string& programFolder,
                           CharClassTable* table, TextEncoding setting = TextEncoding::kCp1252);

}  // namespace quarn
