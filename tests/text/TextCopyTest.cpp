#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "text/LineReader.h"
#include "text/TextCopy.h"
#include "text/TextWriter.h"

namespace quarn {
namespace {

// A file read from memory, failing after failAfter bytes when asked to.
class StringFile : public SequentialFile {
 public:
  explicit StringFile(std::string bytes, size_t failAfter = std::string::npos)
      : bytes_(std::move(bytes)), failAfter_(failAfter) {}
  Status Read(size_t n, char* buf, size_t* got) override {
    *got = 0;
    if (at_ >= failAfter_) return Status::IOError("scratch", "Input/output error");
    size_t k = bytes_.size() - at_ < n ? bytes_.size() - at_ : n;
    if (failAfter_ - at_ < k) k = failAfter_ - at_;
    std::memcpy(buf, bytes_.data() + at_, k);
    at_ += k;
    *got = k;
    return Status::OK();
  }

 private:
  std::string bytes_;
  size_t at_ = 0;
  size_t failAfter_;
};

class StringSink : public WritableFile {
 public:
  explicit StringSink(std::string* out) : out_(out) {}
  Status Append(std::string_view data) override {
    out_->append(data);
    return Status::OK();
  }
  Status Flush() override { return Status::OK(); }
  Status Sync() override { return Status::OK(); }
  Status Close() override { return Status::OK(); }

 private:
  std::string* out_;
};

struct Copied {
  std::string bytes;
  Status status;
};

// What CopyLines writes, and what the line-by-line copy it stands for writes.
Copied Copy(const std::string& in, bool utf8, size_t failAfter = std::string::npos) {
  Copied c;
  TextWriter to(std::make_unique<StringSink>(&c.bytes), "out");
  if (utf8) to.SetEncoding(FileEncoding{TextEncoding::kUtf8, false});
  c.status = CopyLines(std::make_unique<StringFile>(in, failAfter), "scratch", to);
  to.Close();
  return c;
}
Copied LineByLine(const std::string& in, bool utf8, size_t failAfter = std::string::npos) {
  Copied c;
  TextWriter to(std::make_unique<StringSink>(&c.bytes), "out");
  if (utf8) to.SetEncoding(FileEncoding{TextEncoding::kUtf8, false});
  LineReader reader(std::make_unique<StringFile>(in, failAfter), "scratch");
  std::string line;
  while (reader.Next(&line)) to.WriteLine(line);
  c.status = reader.status();
  to.Close();
  return c;
}

void ExpectSameCopy(const std::string& in, const std::string& what) {
  for (bool utf8 : {false, true}) {
    const Copied a = Copy(in, utf8);
    const Copied b = LineByLine(in, utf8);
    EXPECT_TRUE(a.status.ok()) << what;
    EXPECT_EQ(a.bytes, b.bytes) << what << (utf8 ? " (UTF-8)" : "");
  }
}

TEST(TextCopyTest, CopiesAsLineByLineWhateverTheLineEnds) {
  ExpectSameCopy("", "empty");
  ExpectSameCopy("one\r\ntwo \xE9\r\n\r\n", "clean lines");
  ExpectSameCopy("one\r\ntwo", "no line end at the end");
  ExpectSameCopy("one\r\ntwo\r", "a CR at the end");
  ExpectSameCopy("one\r\ntw\ro\r\nthree\r\n", "a CR inside a line");
  ExpectSameCopy("one\r\ntwo\nthree\r\n", "a line ending in LF alone");
  ExpectSameCopy("one\r\n\nthree\r\n", "an empty line ending in LF alone");
  ExpectSameCopy("one\r\r\ntwo\r\n", "CR CR LF");
}

// Lines of random lengths up to the given offset, padded so that the text continues with tail
// exactly there.
std::string TextWithTailAt(size_t at, const std::string& tail, std::mt19937& rng) {
  std::string in;
  while (in.size() + 200 < at) {
    in += std::string(1 + rng() % 120, static_cast<char>('a' + rng() % 26));
    in += "\r\n";
  }
  in += std::string(at - in.size(), 'x');
  return in + tail + "more\r\n";
}

// The copy reads a quarter megabyte at a time: line ends of every kind fall on either side of
// a block's end.
TEST(TextCopyTest, LineEndsAcrossBlocks) {
  std::mt19937 rng(11);
  constexpr size_t kBlock = size_t{1} << 18;
  for (size_t at : {kBlock - 2, kBlock - 1, kBlock}) {
    for (const char* tail : {"\r\n", "\r", "\n", "\r\r\n", "\n\r\n"}) {
      ExpectSameCopy(TextWithTailAt(at, tail, rng), "at " + std::to_string(at));
    }
  }
  // Long runs of clean lines with now and then another line end.
  std::string in;
  while (in.size() < 4 * kBlock) {
    in += std::string(1 + rng() % 120, static_cast<char>('A' + rng() % 26));
    const unsigned r = rng() % 3000;
    in += r == 0 ? "\r" : (r == 1 ? "\n" : "\r\n");
  }
  ExpectSameCopy(in, "mixed");
}

TEST(TextCopyTest, AReadFailureStopsTheCopyAsLineByLine) {
  std::string in;
  for (int i = 0; i < 40000; ++i) in += "line " + std::to_string(i) + "\r\n";
  for (size_t failAfter : {size_t{0}, size_t{100}, size_t{1} << 18, (size_t{1} << 18) + 7}) {
    const Copied a = Copy(in, false, failAfter);
    const Copied b = LineByLine(in, false, failAfter);
    EXPECT_FALSE(a.status.ok()) << failAfter;
    EXPECT_EQ(a.status.ToString(), b.status.ToString()) << failAfter;
    EXPECT_EQ(a.bytes, b.bytes) << failAfter;
  }
}

}  // namespace
}  // namespace quarn
