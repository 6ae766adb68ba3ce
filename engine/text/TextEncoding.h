// The encodings of the text files Quarn reads and writes. Inside the engine text is 8-bit
// Windows-1252; a file read as UTF-8 is converted to it line by line, and a file written as
// UTF-8 is converted back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Status.h"

namespace quarn {

class FileSystem;

// The Encoding setting: Automatic decides per file; the other two force one encoding.
enum class TextEncoding { kAuto, kCp1252, kUtf8 };

// How one file is read (never kAuto), and whether it starts with the UTF-8 byte order mark.
struct FileEncoding {
  TextEncoding encoding = TextEncoding::kCp1252;
  bool byteOrderMark = false;
  bool utf8() const { return encoding == TextEncoding::kUtf8; }
};

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Checks UTF-8 fed in blocks of any size.
class Utf8Validator {
 public:
  void Feed(const char* data, size_t n);
  // True iff everything fed so far forms complete, well-formed UTF-8 sequences.
  bool valid() const { return valid_ && pending_ == 0; }
  bool sawMultibyte() const { return multibyte_; }
  // True iff an ill-formed sequence was met (a sequence cut at the end of a block is not).
  bool broken() const { return !valid_; }

 private:
  bool valid_ = true;
  bool multibyte_ = false;
  int pending_ = 0;          // continuation bytes still expected
  uint32_t lowerBound_ = 0;  // smallest code point the current sequence may encode
  uint32_t codePoint_ = 0;
};

// Decides how the file at path is read under the setting. With kAuto: UTF-8 when the file
// starts with the byte order mark, or is valid UTF-8 holding at least one multi-byte sequence;
// otherwise Windows-1252. A forced setting is taken as it is (the mark is still noticed).
Status DetectFileEncoding(FileSystem& fs, const std::string& path, TextEncoding setting,
                          FileEncoding* result);

// The Windows-1252 byte of a Unicode code point, or -1 when it has none.
int Cp1252FromCodePoint(uint32_t cp);
// The code point of a Windows-1252 byte (the five unassigned bytes map to C1 controls).
uint32_t CodePointFromCp1252(unsigned char c);

// Converts UTF-8 text to Windows-1252: a character with a Windows-1252 form becomes that byte,
// any other character a blank; a byte that starts no valid sequence is taken as Windows-1252.
// When offsets is given it receives, for every output byte, the offset of the input bytes it
// came from, and one more entry holding in.size().
void Utf8ToCp1252(std::string_view in, std::string* out, std::vector<uint32_t>* offsets = nullptr);

// Decodes the well-formed UTF-8 sequence at in[i] into *cp; returns its length, or 0 when none
// starts there (an overlong form, a surrogate or a code point above U+10FFFF is none).
size_t DecodeSequence(std::string_view in, size_t i, uint32_t* cp);

// Appends the UTF-8 form of Windows-1252 text to out.
void Cp1252ToUtf8(std::string_view in, std::string* out);

// A message line (Windows-1252 words, file names as the system gives them) in UTF-8 for a
// screen or a UTF-8 file: a line that is already valid UTF-8 with a multi-byte character is
// taken as it is, any other line is converted.
std::string MessageToUtf8(std::string_view line);

// Text in 16- or 32-bit units, which Quarn cannot read: read as 8-bit text its NUL bytes and
// unit halves would become separators and single letters.
enum class WideText { kNone, kUtf16Le, kUtf16Be, kUtf32Le, kUtf32Be };

// How many bytes of a file's start WideTextOf needs to decide.
constexpr size_t kWideTextHead = 512;

// The wide encoding of a file that starts with head (its first kWideTextHead bytes, or all of
// it): by its byte order mark, or, without one, when of its units (at least two) more than half
// hold NULs where an ASCII character in that encoding has them, and none is all NULs. 8-bit
// and UTF-8 text hold no NUL between characters, so they are never taken as wide.
WideText WideTextOf(std::string_view head);
// "UTF-16" or "UTF-32"; empty for kNone.
const char* WideTextName(WideText wide);
// WideTextOf the start of the file at path.
Status DetectWideText(FileSystem& fs, const std::string& path, WideText* result);

// True iff the UTF-8 text holds a well-formed character that has no Windows-1252 form.
bool HasCharOutsideCp1252(std::string_view utf8);

}  // namespace quarn
