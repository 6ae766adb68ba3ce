// Reading 8-bit text files line by line in large blocks. A line ends at LF, CR LF or a lone CR;
// the line end is not part of the line. A final line without a line end is still a line; an
// empty file has no lines. Memory is bounded by the longest line.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "text/TextEncoding.h"

namespace quarn {

class LineReader {
 public:
  LineReader(std::unique_ptr<SequentialFile> file, std::string path, FileEncoding encoding = {});

  // Opens path to be read in the given encoding (Windows-1252 by default).
  static Status Open(FileSystem& fs, const std::string& path, std::unique_ptr<LineReader>* result,
                     FileEncoding encoding = {});
  // Opens path in the encoding the setting gives it (see DetectFileEncoding).
  static Status OpenDetected(FileSystem& fs, const std::string& path, TextEncoding setting,
                             std::unique_ptr<LineReader>* result);
  // OpenDetected that decides on Automatic only when it must: lines of plain ASCII read the same
  // either way, so the file is looked at as a whole (as OpenDetected does) only at its first
  // line holding another byte, and a file of ASCII alone is read once. The lines are those
  // OpenDetected gives; encoding() is only final once such a line has been read. fs must
  // outlive the reader.
  static Status OpenDeciding(FileSystem& fs, const std::string& path, TextEncoding setting,
                             std::unique_ptr<LineReader>* result);

  // Reads the next line into *line, in Windows-1252 whatever the file's encoding. Returns false
  // at the end of the file or on a failure (see status()).
  bool Next(std::string* line);
  const Status& status() const { return status_; }
  const FileEncoding& encoding() const { return encoding_; }
  // Bytes taken from the file so far (a block ahead of the lines given). May be read from
  // another thread while this one reads on: it serves progress displays.
  uint64_t bytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }

  // With keepRaw, every Next also keeps the line as it stands in the file (rawLine) and, for a
  // UTF-8 file, the offset in rawLine of every byte of the converted line plus one entry for
  // its end (rawOffsets; empty for a Windows-1252 file, whose offsets are the positions).
  void KeepRawLines(bool keepRaw) { keepRaw_ = keepRaw; }
  const std::string& rawLine() const { return raw_; }
  const std::vector<uint32_t>& rawOffsets() const { return offsets_; }

 private:
  bool NextRaw(std::string* line);
  bool Fill();
  // Decides the encoding of a file whose lines read so far are ASCII. False on a failure
  // (status()).
  bool Decide();
  // Converts the UTF-8 line in raw_ into *line (dropping the byte order mark of the first).
  bool ConvertRaw(std::string* line);
  std::unique_ptr<SequentialFile> file_;
  std::string path_;
  std::string buffer_;
  size_t pos_ = 0;
  bool eof_ = false;
  bool skipLf_ = false;  // the previous line ended with CR: a following LF belongs to it
  bool atStart_ = true;
  FileSystem* decideFs_ = nullptr;  // OpenDeciding: the encoding is still to be decided
  FileEncoding encoding_;
  bool keepRaw_ = false;
  std::string raw_;
  std::vector<uint32_t> offsets_;
  Status status_;
  std::atomic<uint64_t> bytesRead_{0};
};

// Reads every line of the file at path (Windows-1252).
Status ReadAllLines(FileSystem& fs, const std::string& path, std::vector<std::string>* lines);
// Reads every line of the file at path in the encoding the setting gives it, converted to
// Windows-1252; *encoding (when given) tells how the file was read, and *rawLines (when given)
// receives the lines as they stand in the file.
Status ReadAllLines(FileSystem& fs, const std::string& path, TextEncoding setting,
                    std::vector<std::string>* lines, FileEncoding* encoding = nullptr,
                    std::vector<std::string>* rawLines = nullptr);

}  // namespace quarn
