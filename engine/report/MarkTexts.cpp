#include "report/MarkTexts.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "scan/TextScan.h"
#include "state/Engine.h"
#include "state/Messages.h"
#include "state/RunProgress.h"
#include "store/WordEntry.h"
#include "text/CharCase.h"
#include "text/LineReader.h"
#include "text/TextWriter.h"

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

// The text of one input line as read (Windows-1252) with the way back to the file's own bytes,
// so that the text between words is copied exactly as it stands in the input.
class SourceLine {
 public:
  SourceLine(const std::string& line, const LineReader& in)
      : line_(line), raw_(in.rawLine()), offsets_(in.rawOffsets()), utf8_(in.encoding().utf8()) {}
  size_t size() const { return line_.size(); }
  char operator[](size_t i) const { return line_[i]; }
  // True iff character i is a blank or control character of the file itself (a character
  // outside Windows-1252 also reads as a blank, but is text to keep).
  bool Trimmable(size_t i) const {
    return static_cast<unsigned char>(line_[i]) <= 32 &&
           (!utf8_ || offsets_[i + 1] - offsets_[i] == 1);
  }
  // Copies characters [from, to) as they stand in the file.
  void Copy(TextWriter& out, size_t from, size_t to) const {
    if (utf8_)
      out.WriteBytes(std::string_view(raw_).substr(offsets_[from], offsets_[to] - offsets_[from]));
    else
      out.Write(std::string_view(line_).substr(from, to - from));
  }

 private:
  const std::string& line_;
  const std::string& raw_;
  const std::vector<uint32_t>& offsets_;
  bool utf8_;
};

// Writes one text line with its words marked.
void WriteMarkedLine(Engine& e, TextWriter& out, const SourceLine& line) {
  if (line.size() == 0 || line[0] == '#') {
    line.Copy(out, 0, line.size());
    out.EndLine();
    return;
  }
  // Words are cut from the upper-cased copy of the trimmed line so that they match what the
  // scanner counted; the text between them is the line's own.
  size_t first = 0;
  size_t end = line.size();
  while (first < end && line.Trimmable(first)) ++first;
  while (end > first && line.Trimmable(end - 1)) --end;
  std::string upper;
  for (size_t i = first; i < end; ++i) upper += line[i];
  UpperCaseInPlace(upper);
  size_t pos = 0;
  size_t copied = 0;
  std::string_view word;
  while (NextWord(e.classes, e.options.Ignore_Angle, upper, pos, &word)) {
    const size_t start = pos - word.size();
    line.Copy(out, first + copied, first + start);
    const int32_t code =
        LookupListCode(e, e.tree.WordRoots[static_cast<unsigned char>(word[0])], word);
    const std::string mark = MarkOf(code);
    if (!mark.empty()) out.Write("{" + mark + "}");
    out.Write(word);
    copied = pos;
  }
  line.Copy(out, first + copied, end);
  out.EndLine();
}

// The failure of out, naming the marked file.
Status WriteFailure(const Status& s, const std::string& marked) {
  return s.path() == marked ? s : Status::IOError(marked, s.reason());
}

// Marks one input file into marked. Returns false when the run has failed; a partial marked
// file is then removed.
bool MarkOneFile(Engine& e, LineReader& in, const std::string& marked) {
  // The copy is written beside its final name and renamed when complete, so that a failure
  // leaves an earlier marked copy as it was.
  const std::string work = marked + ".tmp";
  std::unique_ptr<TextWriter> out;
  Status s = TextWriter::Open(e.fs, work, false, &out);
  if (!s.ok()) {
    e.Fail(WriteFailure(s, marked));
    return false;
  }
  out->SetEncoding(in.encoding());  // the copy is written in the encoding of its text
  WriteHeader(*out, e.ListCount);
  in.KeepRawLines(true);
  std::string line;
  int64_t lines = 0;
  while (out->status().ok() && !e.failed() && in.Next(&line)) {
    WriteMarkedLine(e, *out, SourceLine(line, in));
    if (++lines % 1000 == 0) CancelPoint(e);
  }

  Status failure;
  if (!in.status().ok()) failure = in.status();
  Status closed = out->Close();
  if (failure.ok() && !closed.ok()) failure = WriteFailure(closed, marked);
  if (failure.ok() && e.failed()) failure = e.runError;
  out.reset();
  if (!failure.ok()) {
    e.fs.RemoveFile(work);  // a partial copy is worse than none; nothing more to report
    e.Fail(failure);
    return false;
  }
  // Put in place with the results file (CommitMarkedTexts), so that a run that fails or is
  // cancelled later leaves every earlier marked copy as it was. A text listed twice is marked
  // twice into the same work file, which is pending once.
  const std::pair<std::string, std::string> pending(work, marked);
  if (std::find(e.run.pendingMarkedTexts.begin(), e.run.pendingMarkedTexts.end(), pending) ==
      e.run.pendingMarkedTexts.end())
    e.run.pendingMarkedTexts.push_back(pending);
  return true;
}

// True iff marked is waiting to be put in place: for the overwrite question it exists already.
bool MarkedTextPending(const Engine& e, const std::string& marked) {
  return std::any_of(e.run.pendingMarkedTexts.begin(), e.run.pendingMarkedTexts.end(),
                     [&](const auto& p) { return p.second == marked; });
}

}  // namespace

std::string MarkedFileName(const std::string& path) {
  size_t dot = ExtensionDot(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + ".mrk";
}

void MarkTexts(Engine& e, const std::vector<std::string>& files) {
  ProgressMessage(e, Severity::kProgress, "");
  const int count = static_cast<int>(files.size());
  for (int k = 1; k <= count; ++k) {
    const std::string& name = files[static_cast<size_t>(k - 1)];
    if (!EnterPhase(e, RunProgress::Phase::kMarking, k, count)) return;
    if (IsMarkedText(name)) {
      ProgressMessage(e, Severity::kError,
                      "File " + name + " is a marked text, not marked over itself");
      continue;
    }
    std::unique_ptr<LineReader> in;
    Status s = LineReader::OpenDetected(e.fs, name, e.encoding, &in);
    if (!s.ok()) {
      e.Fail(s.path().empty() ? Status::IOError(name, s.reason()) : s);
      return;
    }
    const std::string marked = MarkedFileName(name);
    if ((e.fs.FileExists(marked) || MarkedTextPending(e, marked)) && !e.options.Overwrite &&
        !e.host.MessageBox("File " + marked + " exists. Overwrite?", true)) {
      continue;
    }
    ProgressMessage(e, Severity::kProgress, "Marking file: " + name);
    ProgressMessage(e, Severity::kProgress, "    as " + marked);
    if (!MarkOneFile(e, *in, marked)) return;
  }
}

void CommitMarkedTexts(Engine& e) {
  std::vector<std::pair<std::string, std::string>> pending;
  pending.swap(e.run.pendingMarkedTexts);
  for (const auto& [work, marked] : pending) {
    if (e.failed()) {
      e.fs.RemoveFile(work);
      continue;
    }
    Status renamed = e.fs.RenameFile(work, marked);
    if (!renamed.ok()) {
      e.fs.RemoveFile(work);
      e.Fail(WriteFailure(renamed, marked));
    }
  }
}

void DiscardMarkedTexts(Engine& e) {
  for (const auto& p : e.run.pendingMarkedTexts) e.fs.RemoveFile(p.first);
  e.run.pendingMarkedTexts.clear();
}

}  // namespace quarn
