#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TempDir.h"
#include "text/TextEncoding.h"
#include "text/TextWriter.h"

namespace quarn::testing {
namespace {

// Writes the same lines with the encoding set first and chosen later; the files must match.
std::string Written(const TempDir& dir, const std::string& name, bool later,
                    FileEncoding encoding) {
  std::unique_ptr<TextWriter> w;
  EXPECT_TRUE(TextWriter::Open(*FileSystem::Default(), dir.File(name), false, &w).ok());
  if (later) {
    w->ChooseEncodingLater();
  } else {
    w->SetEncoding(encoding);
  }
  w->WriteLine("caf\xE9 \x80");                               // Windows-1252 text
  w->WriteMessage("Processing file: \xC3\xA9t\xC3\xA9.txt");  // a file name already in UTF-8
  w->EndLine();
  w->WriteBytes("raw\xFF");
  if (later) {
    EXPECT_TRUE(w->choosingLater());
    w->SetEncoding(encoding);
    EXPECT_FALSE(w->choosingLater());
  }
  w->WriteLine("after \xE9");
  EXPECT_TRUE(w->Close().ok());
  return ReadFile(dir.File(name));
}

// Lines written before the encoding is chosen come out as if it had been chosen first: text
// converted, messages as messages, bytes untouched, a byte order mark before all of them.
TEST(TextWriterTest, LinesWrittenBeforeTheEncodingIsChosenComeOutInIt) {
  TempDir dir;
  FileEncoding utf8;
  utf8.encoding = TextEncoding::kUtf8;
  FileEncoding marked = utf8;
  marked.byteOrderMark = true;
  for (const FileEncoding& encoding : {FileEncoding{}, utf8, marked}) {
    const std::string first = Written(dir, "first.txt", false, encoding);
    const std::string later = Written(dir, "later.txt", true, encoding);
    EXPECT_EQ(later, first);
  }
  EXPECT_NE(Written(dir, "a.txt", true, utf8), Written(dir, "b.txt", true, FileEncoding{}));
}

// A file closed while still choosing is written in the encoding it had: 8-bit.
TEST(TextWriterTest, ClosingWhileStillChoosingWritesWhatWaits) {
  TempDir dir;
  std::unique_ptr<TextWriter> w;
  ASSERT_TRUE(TextWriter::Open(*FileSystem::Default(), dir.File("c.txt"), false, &w).ok());
  w->ChooseEncodingLater();
  w->WriteLine("caf\xE9");
  ASSERT_TRUE(w->Close().ok());
  EXPECT_EQ(ReadFile(dir.File("c.txt")), "caf\xE9\r\n");
}

}  // namespace
}  // namespace quarn::testing
