#include "text/TextEncoding.h"

#include <cstring>
#include <memory>

#include "FileSystem.h"

namespace quarn {
namespace {

// Code points of Windows-1252 bytes 0x80..0x9F.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};


}  // namespace

size_t DecodeSequence(std::string_view in, size_t i, uint32_t* cp) {
  const auto b0 = static_cast<unsigned char>(in[i]);
  size_t len;
  uint32_t value;
  uint32_t lower;
  if (b0 < 0x80) {
    *cp = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, value = b0 & 0x1F, lower = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, value = b0 & 0x0F, lower = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, value = b0 & 0x07, lower = 0x10000;
  } else {
    return 0;
  }
  if (i + len > in.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(in[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b & 0x3F);
  }
  if (value < lower || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *cp = value;
  return len;
}

void Utf8Validator::Feed(const char* data, size_t n) {
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  for (size_t i = 0; i < n && valid_; ++i) {
    if (pending_ == 0) {
      // Most text is ASCII: pass over it sixteen bytes at a time.
      while (i + 16 <= n) {
        uint64_t a, b;
        std::memcpy(&a, data + i, 8);
        std::memcpy(&b, data + i + 8, 8);
        if (((a | b) & kHighBits) != 0) break;
        i += 16;
      }
      if (i >= n) break;
    }
    const auto b = static_cast<unsigned char>(data[i]);
    if (pending_ > 0) {
      if ((b & 0xC0) != 0x80) {
        valid_ = false;
        break;
      }
      codePoint_ = (codePoint_ << 6) | (b & 0x3F);
      if (--pending_ == 0 && (codePoint_ < lowerBound_ || codePoint_ > 0x10FFFF ||
                              (codePoint_ >= 0xD800 && codePoint_ <= 0xDFFF)))
        valid_ = false;
      continue;
    }
    if (b < 0x80) continue;
    multibyte_ = true;
    if (b >= 0xC2 && b <= 0xDF) {
      pending_ = 1, codePoint_ = b & 0x1F, lowerBound_ = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      pending_ = 2, codePoint_ = b & 0x0F, lowerBound_ = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      pending_ = 3, codePoint_ = b & 0x07, lowerBound_ = 0x10000;
    } else {
      valid_ = false;
    }
  }
}

Status DetectFileEncoding(FileSystem& fs, const std::string& path, TextEncoding setting,
                          FileEncoding* result) {
  *result = FileEncoding();
  std::unique_ptr<SequentialFile> file;
  Status s = fs.NewSequentialFile(path, &file);
  if (!s.ok()) return s;
  constexpr size_t kBlock = 1 << 20;
  std::unique_ptr<char[]> buf(new char[kBlock]);
  Utf8Validator validator;
  bool first = true;
  for (;;) {
    size_t got = 0;
    s = file->Read(kBlock, buf.get(), &got);
    if (!s.ok()) return s;
    if (got == 0) break;
    size_t skip = 0;
    if (first) {
      first = false;
      std::string_view head(buf.get(), got < 3 ? got : 3);
      result->byteOrderMark = head == kUtf8ByteOrderMark;
      if (result->byteOrderMark) skip = 3;
      if (setting != TextEncoding::kAuto) break;  // only the mark was wanted
      if (result->byteOrderMark) break;
    }
    validator.Feed(buf.get() + skip, got - skip);
    if (validator.broken()) break;  // not UTF-8: the rest cannot change that
  }
  if (setting == TextEncoding::kCp1252) {
    result->encoding = TextEncoding::kCp1252;
    result->byteOrderMark = false;  // read as 8-bit text, the mark is three characters
  } else if (setting == TextEncoding::kUtf8 || result->byteOrderMark) {
    result->encoding = TextEncoding::kUtf8;
  } else {
    result->encoding =
        validator.valid() && validator.sawMultibyte() ? TextEncoding::kUtf8 : TextEncoding::kCp1252;
  }
  return Status::OK();
}

int Cp1252FromCodePoint(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int k = 0; k < 32; ++k)
    if (kHighControls[k] == cp) return 0x80 + k;
  return -1;
}

uint32_t CodePointFromCp1252(unsigned char c) {
  if (c >= 0x80 && c <= 0x9F) return kHighControls[c - 0x80];
  return c;
}

void Utf8ToCp1252(std::string_view in, std::string* out, std::vector<uint32_t>* offsets) {
  out->clear();
  if (offsets) offsets->clear();
  size_t i = 0;
  while (i < in.size()) {
    uint32_t cp = 0;
    size_t len = DecodeSequence(in, i, &cp);
    char c;
    if (len == 0) {
      c = in[i];  // not UTF-8: the byte stands for itself
      len = 1;
    } else {
      int b = Cp1252FromCodePoint(cp);
      c = b < 0 ? ' ' : static_cast<char>(b);
    }
    out->push_back(c);
    if (offsets) offsets->push_back(static_cast<uint32_t>(i));
    i += len;
  }
  if (offsets) offsets->push_back(static_cast<uint32_t>(in.size()));
}

void Cp1252ToUtf8(std::string_view in, std::string* out) {
  for (char ch : in) {
    uint32_t cp = CodePointFromCp1252(static_cast<unsigned char>(ch));
    if (cp < 0x80) {
      out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
}

std::string MessageToUtf8(std::string_view line) {
  Utf8Validator v;
  v.Feed(line.data(), line.size());
  if (v.valid() && v.sawMultibyte()) return std::string(line);
  std::string out;
  Cp1252ToUtf8(line, &out);
  return out;
}

namespace {

// True iff the units of size `unit` in head look like ASCII text in that encoding: nulPlaces
// tells which bytes of a unit are NUL for an ASCII character.
bool LooksWide(std::string_view head, size_t unit, const bool* nulPlaces) {
  const size_t units = head.size() / unit;
  if (units < 2) return false;
  size_t ascii = 0;
  for (size_t u = 0; u < units; ++u) {
    const char* p = head.data() + u * unit;
    bool allNul = true;
    bool nulsInPlace = true;
    for (size_t k = 0; k < unit; ++k) {
      if (p[k] != '\0') allNul = false;
      if (nulPlaces[k] && p[k] != '\0') nulsInPlace = false;
    }
    if (allNul) return false;
    if (nulsInPlace) ++ascii;
  }
  return ascii * 2 > units;
}

}  // namespace

WideText WideTextOf(std::string_view head) {
  if (head.substr(0, 4) == std::string_view("\xFF\xFE\0\0", 4)) return WideText::kUtf32Le;
  if (head.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4)) return WideText::kUtf32Be;
  if (head.substr(0, 2) == "\xFF\xFE") return WideText::kUtf16Le;
  if (head.substr(0, 2) == "\xFE\xFF") return WideText::kUtf16Be;
  static constexpr bool k32Le[4] = {false, true, true, true};
  static constexpr bool k32Be[4] = {true, true, true, false};
  static constexpr bool k16Le[2] = {false, true};
  static constexpr bool k16Be[2] = {true, false};
  if (LooksWide(head, 4, k32Le)) return WideText::kUtf32Le;
  if (LooksWide(head, 4, k32Be)) return WideText::kUtf32Be;
  if (LooksWide(head, 2, k16Le)) return WideText::kUtf16Le;
  if (LooksWide(head, 2, k16Be)) return WideText::kUtf16Be;
  return WideText::kNone;
}

const char* WideTextName(WideText wide) {
  switch (wide) {
    case WideText::kUtf16Le:
    case WideText::kUtf16Be:
      return "UTF-16";
    case WideText::kUtf32Le:
    case WideText::kUtf32Be:
      return "UTF-32";
    case WideText::kNone:
      break;
  }
  return "";
}

Status DetectWideText(FileSystem& fs, const std::string& path, WideText* result) {
  *result = WideText::kNone;
  std::unique_ptr<SequentialFile> file;
  Status s = fs.NewSequentialFile(path, &file);
  if (!s.ok()) return s;
  char head[kWideTextHead];
  size_t have = 0;
  while (have < kWideTextHead) {
    size_t got = 0;
    s = file->Read(kWideTextHead - have, head + have, &got);
    if (!s.ok()) return s;
    if (got == 0) break;
    have += got;
  }
  *result = WideTextOf(std::string_view(head, have));
  return Status::OK();
}

bool HasCharOutsideCp1252(std::string_view utf8) {
  for (size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      ++i;
      continue;
    }
    uint32_t cp = 0;
    const size_t len = DecodeSequence(utf8, i, &cp);
    if (len == 0) {
      ++i;  // not UTF-8: a Windows-1252 byte
      continue;
    }
    if (Cp1252FromCodePoint(cp) < 0) return true;
    i += len;
  }
  return false;
}

}  // namespace quarn
