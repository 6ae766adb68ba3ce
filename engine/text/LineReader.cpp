#include "text/LineReader.h"

#include <cstdint>
#include <cstring>

namespace quarn {
namespace {
constexpr size_t kBlockSize = 1 << 18;

// True iff one of the eight bytes of v is zero.
inline bool HasZeroByte(uint64_t v) {
  return ((v - 0x0101010101010101ull) & ~v & 0x8080808080808080ull) != 0;
}

// The first LF or CR of the n bytes at p, or nullptr. Eight bytes at a time: lines are short
// and many, so this loop is a good part of reading.
const char* FindLineEnd(const char* p, size_t n) {
  constexpr uint64_t kLf = 0x0A0A0A0A0A0A0A0Aull;
  constexpr uint64_t kCr = 0x0D0D0D0D0D0D0D0Dull;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t v;
    std::memcpy(&v, p + i, 8);
    if (HasZeroByte(v ^ kLf) || HasZeroByte(v ^ kCr)) break;
  }
  for (; i < n; ++i) {
    if (p[i] == '\n' || p[i] == '\r') return p + i;
  }
  return nullptr;
}
// True iff a byte of text is not ASCII.
bool HasHighByte(std::string_view text) {
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t v;
    std::memcpy(&v, text.data() + i, 8);
    if ((v & 0x8080808080808080ull) != 0) return true;
  }
  for (; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) return true;
  }
  return false;
}
}  // namespace

LineReader::LineReader(std::unique_ptr<SequentialFile> file, std::string path,
                       FileEncoding encoding)
    : file_(std::move(file)), path_(std::move(path)), encoding_(encoding) {}

Status LineReader::Open(FileSystem& fs, const std::string& path,
                        std::unique_ptr<LineReader>* result, FileEncoding encoding) {
  std::unique_ptr<SequentialFile> file;
  Status s = fs.NewSequentialFile(path, &file);
  if (!s.ok()) return s;
  result->reset(new LineReader(std::move(file), path, encoding));
  return Status::OK();
}

Status LineReader::OpenDetected(FileSystem& fs, const std::string& path, TextEncoding setting,
                                std::unique_ptr<LineReader>* result) {
  FileEncoding encoding;
  Status s = DetectFileEncoding(fs, path, setting, &encoding);
  if (!s.ok()) return s;
  return Open(fs, path, result, encoding);
}

Status LineReader::OpenDeciding(FileSystem& fs, const std::string& path, TextEncoding setting,
                                std::unique_ptr<LineReader>* result) {
  if (setting != TextEncoding::kAuto) return OpenDetected(fs, path, setting, result);
  Status s = Open(fs, path, result);
  if (s.ok()) (*result)->decideFs_ = &fs;
  return s;
}

bool LineReader::Decide() {
  FileSystem& fs = *decideFs_;
  decideFs_ = nullptr;
  // As OpenDetected decides, through a file of its own: the lines read so far are ASCII, which
  // read the same in either encoding.
  status_ = DetectFileEncoding(fs, path_, TextEncoding::kAuto, &encoding_);
  return status_.ok();
}

bool LineReader::Next(std::string* line) {
  if (decideFs_ != nullptr) {
    if (!NextRaw(line)) return false;
    if (!HasHighByte(*line)) {
      atStart_ = false;
      if (keepRaw_) raw_ = *line;
      return true;
    }
    if (!Decide()) return false;
    if (!encoding_.utf8()) {
      atStart_ = false;
      if (keepRaw_) raw_ = *line;
      return true;
    }
    raw_.swap(*line);
    return ConvertRaw(line);
  }
  if (!encoding_.utf8()) {
    if (!NextRaw(line)) return false;
    if (keepRaw_) raw_ = *line;
    return true;
  }
  if (!NextRaw(&raw_)) return false;
  return ConvertRaw(line);
}

bool LineReader::ConvertRaw(std::string* line) {
  std::string_view text = raw_;
  if (atStart_) {
    atStart_ = false;
    if (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
      raw_.erase(0, kUtf8ByteOrderMark.size());
      text = raw_;
    }
  }
  Utf8ToCp1252(text, line, keepRaw_ ? &offsets_ : nullptr);
  return true;
}

// Appends the next block to the unread part of the buffer. Returns false at the end or on a
// failure.
bool LineReader::Fill() {
  if (eof_ || !status_.ok()) return false;
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  size_t old = buffer_.size();
  buffer_.resize(old + kBlockSize);
  size_t got = 0;
  status_ = file_->Read(kBlockSize, buffer_.data() + old, &got);
  buffer_.resize(old + got);
  bytesRead_.store(bytesRead_.load(std::memory_order_relaxed) + got, std::memory_order_relaxed);
  if (!status_.ok() || got == 0) {
    eof_ = true;
    return false;
  }
  return true;
}

bool LineReader::NextRaw(std::string* line) {
  if (!status_.ok()) return false;
  size_t scanFrom = pos_;
  for (;;) {
    if (skipLf_ && pos_ < buffer_.size()) {
      if (buffer_[pos_] == '\n') ++pos_;
      skipLf_ = false;
      scanFrom = pos_;
    }
    if (!skipLf_) {
      const char* begin = buffer_.data() + scanFrom;
      size_t n = buffer_.size() - scanFrom;
      const char* end = FindLineEnd(begin, n);
      if (end != nullptr) {
        size_t at = static_cast<size_t>(end - buffer_.data());
        line->assign(buffer_, pos_, at - pos_);
        pos_ = at + 1;
        if (*end == '\r') skipLf_ = true;
        return true;
      }
      scanFrom = buffer_.size();
    }
    size_t consumedBefore = pos_;
    if (!Fill()) {
      if (!status_.ok()) return false;
      if (pos_ < buffer_.size()) {  // a last line without a line end
        line->assign(buffer_, pos_, std::string::npos);
        pos_ = buffer_.size();
        return true;
      }
      return false;
    }
    // Fill moved the unread part to the front of the buffer.
    scanFrom -= consumedBefore;
  }
}

Status ReadAllLines(FileSystem& fs, const std::string& path, std::vector<std::string>* lines) {
  lines->clear();
  std::unique_ptr<LineReader> reader;
  Status s = LineReader::Open(fs, path, &reader);
  if (!s.ok()) return s;
  std::string line;
  while (reader->Next(&line)) lines->push_back(line);
  return reader->status();
}

Status ReadAllLines(FileSystem& fs, const std::string& path, TextEncoding setting,
                    std::vector<std::string>* lines, FileEncoding* encoding,
                    std::vector<std::string>* rawLines) {
  lines->clear();
  if (rawLines) rawLines->clear();
  std::unique_ptr<LineReader> reader;
  Status s = LineReader::OpenDetected(fs, path, setting, &reader);
  if (!s.ok()) return s;
  if (encoding) *encoding = reader->encoding();
  reader->KeepRawLines(rawLines != nullptr);
  std::string line;
  while (reader->Next(&line)) {
    lines->push_back(line);
    if (rawLines) rawLines->push_back(reader->rawLine());
  }
  return reader->status();
}

}  // namespace quarn
