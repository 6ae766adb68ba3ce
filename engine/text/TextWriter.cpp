#include "text/TextWriter.h"

namespace quarn {
namespace {
constexpr size_t kBufferSize = 1 << 16;
}

TextWriter::TextWriter(std::unique_ptr<WritableFile> file, std::string path)
    : file_(std::move(file)), path_(std::move(path)) {
  buffer_.reserve(kBufferSize);
}

TextWriter::~TextWriter() { Close(); }

Status TextWriter::Open(FileSystem& fs, const std::string& path, bool append,
                        std::unique_ptr<TextWriter>* result) {
  std::unique_ptr<WritableFile> file;
  Status s = append ? fs.NewAppendableFile(path, &file) : fs.NewWritableFile(path, &file);
  if (!s.ok()) return s;
  result->reset(new TextWriter(std::move(file), path));
  return Status::OK();
}

void TextWriter::SetEncoding(FileEncoding encoding) {
  const bool wasLater = later_;
  later_ = false;
  encoding_ = encoding;
  if (encoding_.utf8() && encoding_.byteOrderMark) WriteBytes(kUtf8ByteOrderMark);
  if (wasLater) WriteWaiting();
}

void TextWriter::WriteWaiting() {
  std::vector<Waiting> waiting;
  waiting.swap(waiting_);
  for (const Waiting& w : waiting) {
    switch (w.kind) {
      case Kind::kText:
        Write(w.text);
        break;
      case Kind::kMessage:
        WriteMessage(w.text);
        break;
      case Kind::kBytes:
        WriteBytes(w.text);
        break;
    }
  }
}

void TextWriter::Write(std::string_view text) {
  if (later_) return waiting_.push_back({Kind::kText, std::string(text)});
  if (!encoding_.utf8()) return WriteBytes(text);
  converted_.clear();
  Cp1252ToUtf8(text, &converted_);
  WriteBytes(converted_);
}

void TextWriter::WriteMessage(std::string_view text) {
  if (later_) return waiting_.push_back({Kind::kMessage, std::string(text)});
  if (encoding_.utf8()) return WriteBytes(MessageToUtf8(text));
  Write(text);
}

void TextWriter::WriteBytes(std::string_view text) {
  if (!status_.ok() || closed_) return;
  if (later_) return waiting_.push_back({Kind::kBytes, std::string(text)});
  if (buffer_.size() + text.size() > kBufferSize) {
    Drain();
    if (text.size() >= kBufferSize) {
      if (status_.ok()) status_ = file_->Append(text);
      return;
    }
  }
  buffer_.append(text);
}

void TextWriter::WriteLine(std::string_view text) {
  Write(text);
  WriteBytes("\r\n");
}

void TextWriter::Drain() {
  if (!buffer_.empty() && status_.ok()) status_ = file_->Append(buffer_);
  buffer_.clear();
}

Status TextWriter::Flush() {
  if (closed_) return status_;
  Drain();
  if (status_.ok()) status_ = file_->Flush();
  return status_;
}

Status TextWriter::Close() {
  if (closed_) return status_;
  if (later_) SetEncoding(encoding_);
  Drain();
  Status s = file_->Close();
  if (status_.ok()) status_ = s;
  closed_ = true;
  return status_;
}

}  // namespace quarn
