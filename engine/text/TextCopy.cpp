#include "text/TextCopy.h"

#include <cstring>
#include <string_view>

#include "text/LineReader.h"

namespace quarn {
namespace {

constexpr size_t kBlock = 1 << 18;

// A file that gives the bytes kept first, then the rest of another file.
class ResumedFile : public SequentialFile {
 public:
  ResumedFile(std::string kept, std::unique_ptr<SequentialFile> rest)
      : kept_(std::move(kept)), rest_(std::move(rest)) {}
  Status Read(size_t n, char* buf, size_t* got) override {
    if (at_ < kept_.size()) {
      const size_t k = n < kept_.size() - at_ ? n : kept_.size() - at_;
      std::memcpy(buf, kept_.data() + at_, k);
      at_ += k;
      *got = k;
      return Status::OK();
    }
    return rest_->Read(n, buf, got);
  }

 private:
  std::string kept_;
  size_t at_ = 0;
  std::unique_ptr<SequentialFile> rest_;
};

// The end of the run of whole lines at the start of text that end in CR LF and hold no other
// CR or LF. *other becomes true when the line after that run ends otherwise (a line not ended
// yet is judged when its end has been read).
size_t CleanLinesEnd(std::string_view text, bool* other) {
  const char* data = text.data();
  size_t start = 0;
  for (;;) {
    const void* lf = std::memchr(data + start, '\n', text.size() - start);
    if (lf == nullptr) return start;
    const size_t at = static_cast<size_t>(static_cast<const char*>(lf) - data);
    if (at == start || data[at - 1] != '\r' ||
        std::memchr(data + start, '\r', at - 1 - start) != nullptr) {
      *other = true;
      return start;
    }
    start = at + 1;
  }
}

}  // namespace

Status CopyLines(std::unique_ptr<SequentialFile> from, const std::string& path, TextWriter& to) {
  std::string pending;  // read and not yet copied, from the start of a line
  bool other = false;
  for (;;) {
    const size_t old = pending.size();
    pending.resize(old + kBlock);
    size_t got = 0;
    Status s = from->Read(kBlock, pending.data() + old, &got);
    pending.resize(old + got);
    if (!s.ok()) return s;
    const size_t end = CleanLinesEnd(pending, &other);
    to.Write(std::string_view(pending.data(), end));
    pending.erase(0, end);
    if (other || got == 0) break;
  }
  if (pending.empty() && !other) return Status::OK();
  // Line by line from the line that breaks the rule, or the last line without a line end.
  LineReader reader(std::make_unique<ResumedFile>(std::move(pending), std::move(from)), path);
  std::string line;
  while (reader.Next(&line)) to.WriteLine(line);
  return reader.status();
}

}  // namespace quarn
