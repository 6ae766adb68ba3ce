#include "lists/HeadwordList.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Engine.h"
#include "FolderLock.h"
#include "QuarnHeader.h"
#include "lists/BasewordName.h"
#include "store/CharCase.h"
#include "store/LineReader.h"
#include "store/Messages.h"
#include "store/TextWriter.h"

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
  FolderLock listLock;  // no other run writes the lists meanwhile
  if (!LockListFolder(e, &listLock)) return false;
  if (e.ProgramFolder.empty()) SetProgramFolder(e, e.fs.CurrentDirectory());
  const std::string sourceName = e.ProgramFolder + settings.FileCopyFrom + ".txt";
  const std::string destName = e.ProgramFolder + settings.FileCopyTo + ".txt";

  std::optional<std::string> source =
      FindFileNoCase(e.fs, e.ProgramFolder, settings.FileCopyFrom + ".txt");
  if (!source) {
    ProgressMessage(e, sourceName + "doesn't exist!", "ERROR", 1);
    return false;
  }
  std::optional<std::string> existing =
      FindFileNoCase(e.fs, e.ProgramFolder, settings.FileCopyTo + ".txt");
  const std::string dest = existing ? *existing : destName;

  auto failed = [&e](const Status& s) {
    ProgressMessage(e, s.ToString(), "ERROR", 1);
    e.host.MessageBox(s.ToString(), false);
    return false;
  };
  std::vector<std::string> lines;
  FileEncoding encoding;
  Status s = ReadAllLines(e.fs, *source, e.encoding, &lines, &encoding);
  if (!s.ok()) return failed(s);
  // A new destination is written in the source's encoding; an existing one keeps its own.
  if (existing) {
    s = DetectFileEncoding(e.fs, dest, e.encoding, &encoding);
    if (!s.ok()) return failed(s);
    encoding.byteOrderMark = false;  // already at its start
  }
  std::unique_ptr<TextWriter> out;
  s = TextWriter::Open(e.fs, dest, /*append=*/true, &out);
  if (!s.ok()) return failed(s);
  out->SetEncoding(encoding);

  int written = 0;
  for (const std::string& full : lines) {
    std::string_view line(full);
    if (line.size() > kMaxLineLength) line = line.substr(0, kMaxLineLength);
    if (line.empty() || line[0] == '#') continue;
    HeadwordLine parsed = ParseHeadwordLine(line);
    if (!parsed.valid || parsed.indented) continue;
    out->WriteLine(parsed.word);
    ++written;
  }
  s = out->Close();
  if (!s.ok()) return failed(s);
  ProgressMessage(e, "Wrote " + std::to_string(written) + " Headwords to file " + destName, "", 1);
  return true;
}

}  // namespace quarn
