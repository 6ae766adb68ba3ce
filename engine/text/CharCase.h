// Windows-1252 case mapping and trimming of 8-bit text.
#pragma once

#include <string>
#include <string_view>

namespace quarn {

// The upper-case form of c: a-z, 0xE0-0xFE except 0xF7, and 0x9A, 0x9C, 0x9E, 0xFF map to
// their capitals; every other code maps to itself.
unsigned char UpperChar(unsigned char c);
void UpperCaseInPlace(std::string& s);
std::string UpperCase(std::string_view s);
// s without the characters of code 32 or less at both ends.
std::string_view Trim(std::string_view s);

}  // namespace quarn
