// Buffered writing of 8-bit text files whose lines end in CR LF.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "../FileSystem.h"

namespace quarn {

class TextWriter {
 public:
  // Takes ownership of file; path names it in failures.
  TextWriter(std::unique_ptr<WritableFile> file, std::string path);
  ~TextWriter();  // closes, dropping any failure; call Close() to see it

  // Opens path for writing from empty (append = false) or at its end (append = true).
  static Status Open(FileSystem& fs, const std::string& path, bool append,
                     std::unique_ptr<TextWriter>* result);

  void Write(std::string_view text);
  void WriteLine(std::string_view text);  // text then CR LF
  void EndLine() { Write("\r\n"); }
  Status Flush();
  Status Close();
  // The first failure so far (writes after a failure are dropped).
  const Status& status() const { return status_; }
  const std::string& path() const { return path_; }

 private:
  void Drain();
  std::unique_ptr<WritableFile> file_;
  std::string path_;
  std::string buffer_;
  Status status_;
  bool closed_ = false;
};

}  // namespace quarn
