// Buffered writing of 8-bit text files whose lines end in CR LF.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "text/TextEncoding.h"

namespace quarn {

class TextWriter {
 public:
  // Takes ownership of file; path names it in failures.
  TextWriter(std::unique_ptr<WritableFile> file, std::string path);
  ~TextWriter();  // closes, dropping any failure; call Close() to see it

  // Opens path for writing from empty (append = false) or at its end (append = true).
  static Status Open(FileSystem& fs, const std::string& path, bool append,
                     std::unique_ptr<TextWriter>* result);

  // From now on text is written in this encoding; a UTF-8 encoding with a byte order mark
  // writes the mark at once (call it before anything else is written, or after
  // ChooseEncodingLater: what waits is then written in the encoding, after the mark).
  void SetEncoding(FileEncoding encoding);
  // What is written waits in memory, as it was written, until SetEncoding chooses the
  // encoding (Close writes it in the encoding set before). For a file whose first lines are
  // written before its encoding is known.
  void ChooseEncodingLater() { later_ = true; }
  bool choosingLater() const { return later_; }
  const FileEncoding& encoding() const { return encoding_; }

  // Writes Windows-1252 text, converted to the file's encoding.
  void Write(std::string_view text);
  void WriteLine(std::string_view text);  // text then CR LF
  void EndLine() { WriteBytes("\r\n"); }
  // Writes bytes already in the file's encoding.
  void WriteBytes(std::string_view bytes);
  // Writes a message line, which may hold file names as the system gives them: a line that is
  // already valid UTF-8 with a multi-byte character is written as it is.
  void WriteMessage(std::string_view text);
  Status Flush();
  Status Close();
  // The first failure so far (writes after a failure are dropped).
  const Status& status() const { return status_; }
  const std::string& path() const { return path_; }

 private:
  void Drain();
  void WriteWaiting();
  // What waits while choosing later: Windows-1252 text, a message, or bytes.
  enum class Kind { kText, kMessage, kBytes };
  struct Waiting {
    Kind kind;
    std::string text;
  };
  bool later_ = false;
  std::vector<Waiting> waiting_;
  std::unique_ptr<WritableFile> file_;
  std::string path_;
  std::string buffer_;
  std::string converted_;
  FileEncoding encoding_;
  Status status_;
  bool closed_ = false;
};

}  // namespace quarn
