#include "lists/HeadwordList.h"

#include <optional>
#include <string>
#include <vector>

#include "QuarnHeader.h"
#include "ReplaceFile.h"
#include "lists/BasewordName.h"
#include "state/Engine.h"
#include "state/FolderLock.h"
#include "state/Messages.h"
#include "state/Operation.h"
#include "text/CharCase.h"
#include "text/LineReader.h"
#include "text/TextEncoding.h"

namespace quarn {
namespace {

// A line of the source is taken as at most this many characters; the rest is passed over.
constexpr size_t kMaxLineLength = 255;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

HeadwordLine ParseHeadwordLine(std::string_view line) {
  HeadwordLine result;
  result.valid = true;
  size_t i = 0;
  auto lead = [&](size_t k) { return line[k] == '\t' || line[k] == ' ' || line[k] == '*'; };
  if (!line.empty() && lead(0)) {
    result.indented = true;
    while (i < line.size() && lead(i)) ++i;
  }
  std::string word;
  for (; i < line.size() && !IsDigit(line[i]); ++i) {
    if (word.size() < static_cast<size_t>(kMaxWordLength)) word.push_back(line[i]);
  }
  if (word.empty()) {
    result.valid = false;
    return result;
  }
  // Trailing blanks and control characters go; what is left is the headword as written.
  while (!word.empty() && static_cast<unsigned char>(word.back()) <= 32) word.pop_back();
  UpperCaseInPlace(word);
  result.word = std::move(word);
  return result;
}

bool MakeHeadwordList(Engine& e, const HeadwordListSettings& settings) {
  OperationScope operation(e, ReportActionFailure);
  if (e.ProgramFolder.empty()) SetProgramFolder(e, e.fs.CurrentDirectory());
  FolderLock listLock;  // no other run writes the lists meanwhile
  if (!LockDialogFolders(e, {settings.FileCopyFrom, settings.FileCopyTo}, &listLock)) return false;
  // A name with an absolute path is used as it is; any other is taken in ProgramFolder.
  const std::string fromFolder = DialogFolder(e.ProgramFolder, settings.FileCopyFrom);
  const std::string toFolder = DialogFolder(e.ProgramFolder, settings.FileCopyTo);
  const std::string sourceName = fromFolder + settings.FileCopyFrom + ".txt";
  const std::string destName = toFolder + settings.FileCopyTo + ".txt";

  std::optional<std::string> source =
      FindFileNoCase(e.fs, fromFolder, settings.FileCopyFrom + ".txt");
  if (!source) {
    ProgressMessageThenBlanks(e, Severity::kError, sourceName + "doesn't exist!", 1);
    return false;
  }
  std::optional<std::string> existing =
      FindFileNoCase(e.fs, toFolder, settings.FileCopyTo + ".txt");
  const std::string dest = existing ? *existing : destName;
  // Appending to the file being read would add its headwords to the baseword list itself.
  if (e.fs.SameFile(*source, dest)) {
    ProgressMessageThenBlanks(e, Severity::kError,
                              sourceName + " is both source and destination, nothing done", 1);
    return false;
  }

  auto failed = [&e](const Status& s) {
    e.Fail(s);  // reported as the action ends (ReportActionFailure)
    return false;
  };
  std::vector<std::string> lines;
  FileEncoding encoding;
  Status s = ReadAllLines(e.fs, *source, e.encoding, &lines, &encoding);
  if (!s.ok()) return failed(s);
  // The destination is built whole and put in place of the old one, so that a failure leaves
  // it as it was (never with a torn last line). A new destination is written in the source's
  // encoding; an existing one keeps its own.
  std::string text;
  if (existing) {
    s = DetectFileEncoding(e.fs, dest, e.encoding, &encoding);
    if (s.ok()) s = ReadFileToString(e.fs, dest, &text);
    if (!s.ok()) return failed(s);
  } else if (encoding.utf8() && encoding.byteOrderMark) {
    text = kUtf8ByteOrderMark;
  }

  int written = 0;
  for (const std::string& full : lines) {
    std::string_view line(full);
    if (line.size() > kMaxLineLength) line = line.substr(0, kMaxLineLength);
    if (line.empty() || line[0] == '#') continue;
    HeadwordLine parsed = ParseHeadwordLine(line);
    if (!parsed.valid || parsed.indented) continue;
    if (encoding.utf8())
      Cp1252ToUtf8(parsed.word, &text);
    else
      text += parsed.word;
    text += "\r\n";
    ++written;
  }
  s = ReplaceFile(e.fs, dest, text);
  if (!s.ok()) return failed(s);
  ProgressMessageThenBlanks(e, Severity::kProgress,
                            "Wrote " + std::to_string(written) + " Headwords to file " + destName,
                            1);
  return true;
}

}  // namespace quarn
