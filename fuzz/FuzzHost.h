// What every fuzz target shares: a Host that answers nothing, a file system held in memory (no
// disk traffic per input), a plain line splitter to check the engine's reader against, and the
// check macro that turns a broken invariant into a crash that libFuzzer keeps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "Host.h"
#include "state/Engine.h"
#include "state/Messages.h"

// A broken invariant: say which and where, then abort so that libFuzzer saves the input.
#define FUZZ_CHECK(cond, what)                                                              \
  do {                                                                                      \
    if (!(cond)) {                                                                          \
      std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", __FILE__, __LINE__, #cond, \
                   std::string(what).c_str());                                              \
      std::abort();                                                                         \
    }                                                                                       \
  } while (0)

namespace quarn::fuzz {

// Boxes are refused (Cancel), the input list is empty, progress goes nowhere.
class FuzzHost : public Host {
 public:
  void ResultsFileNameChanged(const std::string&) override {}
  void ProgressChanged(const ProgressLog&, size_t) override {}
  bool MessageBox(const std::string&, bool) override { return false; }
};

// Files are strings in a map keyed by full path. Reads may be cut into small pieces (readChunk)
// so that a reader's block boundaries fall anywhere in the text, also between CR and LF.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  size_t readChunk = 0;  // 0: a read returns all that was asked for
  std::string cwd = "/m";

  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  bool DirectoryExists(const std::string& path) override {
    std::string prefix = path.empty() || path.back() == '/' ? path : path + "/";
    if (prefix == cwd + "/") return true;
    for (const auto& [name, text] : files) {
      if (name.compare(0, prefix.size(), prefix) == 0) return true;
    }
    return false;
  }

  Status NewSequentialFile(const std::string& path,
                           std::unique_ptr<SequentialFile>* result) override {
    auto it = files.find(path);
    if (it == files.end()) return Status::IOError(path, "No such file or directory");
    result->reset(new Reader(it->second, readChunk));
    return Status::OK();
  }
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) override {
    files[path].clear();
    result->reset(new Writer(&files[path]));
    return Status::OK();
  }
  Status NewAppendableFile(const std::string& path,
                           std::unique_ptr<WritableFile>* result) override {
    result->reset(new Writer(&files[path]));
    return Status::OK();
  }
  Status NewRecordFile(const std::string& path, std::unique_ptr<RecordFile>* result) override {
    files[path].clear();
    result->reset(new Records(&files[path]));
    return Status::OK();
  }
  Status RemoveFile(const std::string& path) override {
    if (files.erase(path) == 0) return Status::IOError(path, "No such file or directory");
    return Status::OK();
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    auto it = files.find(from);
    if (it == files.end()) return Status::IOError(from, "No such file or directory");
    std::string text = std::move(it->second);
    files.erase(it);
    files[to] = std::move(text);
    return Status::OK();
  }
  Status ListDirectory(const std::string& dir, std::vector<std::string>* names) override {
    names->clear();
    std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    for (const auto& [name, text] : files) {
      if (name.compare(0, prefix.size(), prefix) != 0) continue;
      std::string rest = name.substr(prefix.size());
      if (!rest.empty() && rest.find('/') == std::string::npos) names->push_back(rest);
    }
    return Status::OK();
  }
  std::string CurrentDirectory() override { return cwd; }

 private:
  // Reads a snapshot, so a file rewritten while open does not move under the reader.
  class Reader : public SequentialFile {
   public:
    Reader(std::string text, size_t chunk) : text_(std::move(text)), chunk_(chunk) {}
    Status Read(size_t n, char* buf, size_t* got) override {
      size_t left = text_.size() - pos_;
      size_t take = n < left ? n : left;
      if (chunk_ != 0 && take > chunk_) take = chunk_;
      text_.copy(buf, take, pos_);
      pos_ += take;
      *got = take;
      return Status::OK();
    }

   private:
    std::string text_;
    size_t chunk_;
    size_t pos_ = 0;
  };
  // std::map never moves its values, so the pointer stays good while the entry exists.
  class Writer : public WritableFile {
   public:
    explicit Writer(std::string* text) : text_(text) {}
    Status Append(std::string_view data) override {
      if (closed_) return Status::IOError("", "write after close");
      text_->append(data);
      return Status::OK();
    }
    Status Flush() override { return Status::OK(); }
    Status Sync() override { return Status::OK(); }
    Status Close() override {
      if (closed_) return Status::IOError("", "closed twice");
      closed_ = true;
      return Status::OK();
    }

   private:
    std::string* text_;
    bool closed_ = false;
  };
  class Records : public RecordFile {
   public:
    explicit Records(std::string* bytes) : bytes_(bytes) {}
    Status ReadAt(uint64_t offset, size_t n, char* buf) override {
      if (offset + n > bytes_->size()) return Status::IOError("", "read past the end");
      bytes_->copy(buf, n, offset);
      return Status::OK();
    }
    Status WriteAt(uint64_t offset, const char* data, size_t n) override {
      if (bytes_->size() < offset + n) bytes_->resize(offset + n);
      bytes_->replace(offset, n, data, n);
      return Status::OK();
    }
    Status Close() override { return Status::OK(); }

   private:
    std::string* bytes_;
  };
};

// The lines of text the plain way: LF, CR LF and a lone CR each end a line; a last line without
// an end is still a line; an empty text has no lines.
inline std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string current;
  bool open = false;  // characters (or nothing) since the last line end belong to a line
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      open = false;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += c;
      open = true;
    }
  }
  if (open) lines.push_back(current);
  return lines;
}

// Input bytes shown for a failure message.
inline std::string Hex(std::string_view s) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// A fresh engine over a memory file system, its program folder "/m/".
struct FuzzEngine {
  FuzzHost host;
  MemoryFileSystem fs;
  Engine e{host, fs};
  FuzzEngine() { SetProgramFolder(e, "/m"); }
};

}  // namespace quarn::fuzz
