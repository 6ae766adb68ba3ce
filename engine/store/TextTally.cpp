#include "store/TextTally.h"

#include <cstring>

namespace quarn {
namespace {

// A block: text number (int32), number of counts (int32), tokens (int64), then per count the
// node (int32) and the occurrences (uint32); native byte order, the file never leaves the run.
constexpr size_t kHeaderBytes = 16;
constexpr size_t kCountBytes = 8;

template <typename T>
void Put(std::string& out, T v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

template <typename T>
T Get(const char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

void ResetTally(FileSystem& fs, TextTally& t) {
  if (t.file) {
    t.file->Close();
    t.file.reset();
  }
  if (!t.path.empty() && fs.FileExists(t.path)) fs.RemoveFile(t.path);
  TextTally empty;
  std::swap(t, empty);
}

Status StartTally(FileSystem& fs, const std::string& path, TextTally& t) {
  t.path = path;
  Status s = fs.NewWritableFile(path, &t.file);
  if (!s.ok()) return s.path().empty() ? Status::IOError(path, s.reason()) : s;
  t.on = true;
  return Status::OK();
}

void BeginText(TextTally& t, int32_t totalTokens) {
  t.tokensAtStart = totalTokens;
  t.counting = t.on;
}

Status EndText(TextTally& t, int32_t text, int32_t totalTokens) {
  t.counting = false;
  // The difference as the 32-bit counter wraps.
  const int64_t tokens = static_cast<uint32_t>(totalTokens) - static_cast<uint32_t>(t.tokensAtStart);
  t.textTokens.push_back(tokens);
  if (!t.on) return Status::OK();
  std::sort(t.touched.begin(), t.touched.end());
  std::string block;
  block.reserve(kHeaderBytes + kCountBytes * t.touched.size());
  Put(block, text);
  Put(block, static_cast<int32_t>(t.touched.size()));
  Put(block, tokens);
  for (const int32_t n : t.touched) {
    uint32_t& count = t.counts[static_cast<size_t>(n)];
    Put(block, n);
    Put(block, count);
    count = 0;
  }
  t.touched.clear();
  if (!t.file) return Status::IOError(t.path, "file not open");
  Status s = t.file->Append(block);
  return s.ok() || !s.path().empty() ? s : Status::IOError(t.path, s.reason());
}

Status FinishTally(TextTally& t) {
  if (!t.file) return Status::OK();
  Status s = t.file->Close();
  t.file.reset();
  std::vector<uint32_t>().swap(t.counts);
  std::vector<int32_t>().swap(t.touched);
  return s.ok() || !s.path().empty() ? s : Status::IOError(t.path, s.reason());
}

Status TallyReader::Open(FileSystem& fs, const std::string& path,
                         std::unique_ptr<TallyReader>* out) {
  auto reader = std::unique_ptr<TallyReader>(new TallyReader());
  reader->path_ = path;
  Status s = fs.NewSequentialFile(path, &reader->file_);
  if (!s.ok()) return s.path().empty() ? Status::IOError(path, s.reason()) : s;
  *out = std::move(reader);
  return Status::OK();
}

bool TallyReader::Have(size_t n) {
  if (buffer_.size() - at_ >= n) return true;
  buffer_.erase(0, at_);
  at_ = 0;
  constexpr size_t kChunk = size_t{1} << 20;
  std::string chunk(kChunk, '\0');
  while (status_.ok() && buffer_.size() < n) {
    size_t got = 0;
    Status s = file_->Read(kChunk, chunk.data(), &got);
    if (!s.ok()) {
      status_ = s.path().empty() ? Status::IOError(path_, s.reason()) : s;
      return false;
    }
    if (got == 0) break;
    buffer_.append(chunk.data(), got);
  }
  return buffer_.size() >= n;
}

bool TallyReader::Next(TallyBlock* block) {
  if (!status_.ok()) return false;
  if (!Have(kHeaderBytes)) {
    if (buffer_.size() != at_ && status_.ok()) status_ = Status::IOError(path_, "truncated block");
    return false;
  }
  const char* p = buffer_.data() + at_;
  block->text = Get<int32_t>(p);
  const int32_t entries = Get<int32_t>(p + 4);
  block->tokens = Get<int64_t>(p + 8);
  at_ += kHeaderBytes;
  const size_t bytes = kCountBytes * static_cast<size_t>(entries < 0 ? 0 : entries);
  if (!Have(bytes)) {
    if (status_.ok()) status_ = Status::IOError(path_, "truncated block");
    return false;
  }
  p = buffer_.data() + at_;
  block->counts.resize(static_cast<size_t>(entries < 0 ? 0 : entries));
  for (auto& [node, count] : block->counts) {
    node = Get<int32_t>(p);
    count = Get<uint32_t>(p + 4);
    p += kCountBytes;
  }
  at_ += bytes;
  return true;
}

}  // namespace quarn
