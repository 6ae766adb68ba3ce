// Reading 8-bit text files line by line in large blocks. A line ends at LF, CR LF or a lone CR;
// the line end is not part of the line. A final line without a line end is still a line; an
// empty file has no lines. Memory is bounded by the longest line.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "../FileSystem.h"

namespace quarn {

class LineReader {
 public:
  LineReader(std::unique_ptr<SequentialFile> file, std::string path);

  static Status Open(FileSystem& fs, const std::string& path, std::unique_ptr<LineReader>* result);

  // Reads the next line into *line. Returns false at the end of the file or on a failure
  // (see status()).
  bool Next(std::string* line);
  const Status& status() const { return status_; }

 private:
  bool Fill();
  std::unique_ptr<SequentialFile> file_;
  std::string path_;
  std::string buffer_;
  size_t pos_ = 0;
  bool eof_ = false;
  bool skipLf_ = false;  // the previous line ended with CR: a following LF belongs to it
  Status status_;
};

// Reads every line of the file at path.
Status ReadAllLines(FileSystem& fs, const std::string& path, std::vector<std::string>* lines);

}  // namespace quarn
