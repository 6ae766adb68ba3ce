#include "MarkTexts.h"

#include <memory>
#include <string>
#include <string_view>

#include "../Engine.h"
#include "CharCase.h"
#include "LineReader.h"
#include "Messages.h"
#include "TextScan.h"
#include "TextWriter.h"
#include "WordEntry.h"

namespace quarn {

namespace {

// Where the file name of path begins: after its last '/'.
size_t NameStart(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

// The position of the dot that starts the extension of path's file name, or npos. A dot in a
// folder name is not an extension.
size_t ExtensionDot(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < NameStart(path)) return std::string::npos;
  return dot;
}

// True iff path's own extension is ".mrk" in any letter case: such a file would be its own
// marked copy, and creating that copy would destroy the text being read.
bool IsMarkedText(const std::string& path) {
  size_t dot = ExtensionDot(path);
  return dot != std::string::npos && UpperCase(std::string_view(path).substr(dot)) == ".MRK";
}

// The mark written before a word, from its ListCode; empty for a word of list 1.
std::string MarkOf(int32_t listCode) {
  if (listCode == 1 || listCode == 100) return std::string();
  if (listCode == kNoListCode) return "!";
  if (listCode >= 101) return std::to_string(listCode / 100);
  return std::to_string(listCode);
}

void WriteHeader(TextWriter& out, int listCount) {
  out.WriteLine("");
  out.WriteLine("Unmarked words are in Basewrd1.txt");
  for (int n = 2; n <= listCount; ++n) {
    out.WriteLine("Words marked with <" + std::to_string(n) + "> are in Basewrd" +
                  std::to_string(n) + ".txt");
  }
  out.WriteLine("Words marked with <!> are not in any of the lists");
  out.WriteLine("");
}

// Writes one text line with its words marked.
void WriteMarkedLine(Engine& e, TextWriter& out, const std::string& line) {
  if (line.empty() || line[0] == '#') {
    out.WriteLine(line);
    return;
  }
  // Words are cut from the upper-cased copy so that they match what the scanner counted; the
  // text between them comes from the trimmed line in its own case.
  const std::string_view trimmed = Trim(line);
  const std::string upper = UpperCase(trimmed);
  size_t pos = 0;
  size_t copied = 0;
  std::string_view word;
  while (NextWord(e.classes, e.options.Ignore_Angle, upper, pos, &word)) {
    const size_t start = pos - word.size();
    out.Write(trimmed.substr(copied, start - copied));
    const int32_t code =
        LookupListCode(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word);
    const std::string mark = MarkOf(code);
    if (!mark.empty()) out.Write("{" + mark + "}");
    out.Write(word);
    copied = pos;
  }
  out.Write(trimmed.substr(copied));
  out.EndLine();
}

// The failure of out, naming the marked file.
Status WriteFailure(const Status& s, const std::string& marked) {
  return s.path() == marked ? s : Status::IOError(marked, s.reason());
}

// Marks one input file into marked. Returns false when the run has failed; a partial marked
// file is then removed.
bool MarkOneFile(Engine& e, LineReader& in, const std::string& marked) {
  std::unique_ptr<TextWriter> out;
  Status s = TextWriter::Open(e.fs, marked, false, &out);
  if (!s.ok()) {
    e.Fail(WriteFailure(s, marked));
    return false;
  }
  WriteHeader(*out, e.ListCount);
  std::string line;
  while (out->status().ok() && !e.failed() && in.Next(&line)) WriteMarkedLine(e, *out, line);

  Status failure;
  if (!in.status().ok()) failure = in.status();
  Status closed = out->Close();
  if (failure.ok() && !closed.ok()) failure = WriteFailure(closed, marked);
  if (failure.ok() && e.failed()) failure = e.runError;
  if (!failure.ok()) {
    out.reset();
    e.fs.RemoveFile(marked);  // a partial copy is worse than none; nothing more to report
    e.Fail(failure);
    return false;
  }
  return true;
}

}  // namespace

std::string MarkedFileName(const std::string& path) {
  size_t dot = ExtensionDot(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + ".mrk";
}

void MarkTexts(Engine& e, const std::vector<std::string>& files) {
  ProgressMessage(e, "", "", 0);
  for (const std::string& name : files) {
    if (e.failed()) return;
    if (IsMarkedText(name)) {
      ProgressMessage(e, "File " + name + " is a marked text, not marked over itself", "ERROR", 0);
      continue;
    }
    std::unique_ptr<LineReader> in;
    Status s = LineReader::Open(e.fs, name, &in);
    if (!s.ok()) {
      e.Fail(s.path().empty() ? Status::IOError(name, s.reason()) : s);
      return;
    }
    const std::string marked = MarkedFileName(name);
    if (e.fs.FileExists(marked) && !e.options.Overwrite &&
        !e.host.MessageBox("File " + marked + " exists. Overwrite?", true)) {
      continue;
    }
    ProgressMessage(e, "Marking file: " + name, "", 0);
    ProgressMessage(e, "    as " + marked, "", 0);
    if (!MarkOneFile(e, *in, marked)) return;
  }
}

}  // namespace quarn
