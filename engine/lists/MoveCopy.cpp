#include "lists/MoveCopy.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ReplaceFile.h"
#include "lists/BasewordEntry.h"
#include "lists/BasewordName.h"
#include "state/Engine.h"
#include "state/FolderLock.h"
#include "state/Messages.h"
#include "state/Operation.h"
#include "text/CharClassTable.h"
#include "text/LineReader.h"
#include "text/TextEncoding.h"

namespace quarn {
namespace {

// The filter number as a signed whole number in the program's integer notation; anything that
// is not one counts as 0.
int64_t FilterValue(const std::string& text) {
  uint32_t bits = 0;
  if (!ParseInteger(text, &bits)) return 0;
  return static_cast<int32_t>(bits);
}

bool Hit(MoveCopySettings::Relation relation, int64_t count, int64_t value) {
  switch (relation) {
    case MoveCopySettings::Relation::kGreaterThan:
      return count > value;
    case MoveCopySettings::Relation::kEqualTo:
      return count == value;
    case MoveCopySettings::Relation::kLessThan:
      return count < value;
  }
  return false;
}

// The file that a dialog name stands for: an existing file of that name in any letter case, or
// the name as typed when there is none.
std::string ResolveListFile(FileSystem& fs, const std::string& folder, const std::string& name) {
  std::optional<std::string> found = FindFileNoCase(fs, folder, name);
  return found ? *found : folder + name;
}

// Ends the action on an input/output failure, which its end reports (ReportActionFailure).
bool Failed(Engine& e, const Status& s) {
  e.Fail(s);
  return false;
}

// A line in the file's encoding, with its line end.
void AppendLine(std::string* text, const std::string& line, const FileEncoding& encoding) {
  if (encoding.utf8())
    Cp1252ToUtf8(line, text);
  else
    *text += line;
  *text += "\r\n";
}

}  // namespace

bool MoveCopyBasewords(Engine& e, const MoveCopySettings& settings) {
  OperationScope operation(e, ReportActionFailure);
  if (e.ProgramFolder.empty()) SetProgramFolder(e, e.fs.CurrentDirectory());
  FolderLock listLock;  // no other run writes the lists meanwhile
  if (!LockDialogFolders(e, {settings.FileCopyFrom, settings.FileCopyTo}, &listLock)) return false;
  // A name with an absolute path is used as it is; any other is taken in ProgramFolder.
  const std::string fromFolder = DialogFolder(e.ProgramFolder, settings.FileCopyFrom);
  const std::string toFolder = DialogFolder(e.ProgramFolder, settings.FileCopyTo);
  Status s = BuildCharClassTable(e.fs, e.ProgramFolder, &e.classes, e.encoding);
  if (!s.ok()) return Failed(e, s);

  const int64_t value = FilterValue(settings.FilterNum);
  const std::string sourceName = fromFolder + settings.FileCopyFrom + ".txt";
  const std::string destName = toFolder + settings.FileCopyTo + ".txt";

  std::optional<std::string> source =
      FindFileNoCase(e.fs, fromFolder, settings.FileCopyFrom + ".txt");
  if (!source) {
    ProgressMessageThenBlanks(e, Severity::kError, sourceName + "doesn't exist!", 1);
    return false;
  }
  const std::string dest = ResolveListFile(e.fs, toFolder, settings.FileCopyTo + ".txt");
  // Writing into the file being read would lose families in a move and double them in a copy,
  // however the two names are spelled.
  if (e.fs.SameFile(*source, dest)) {
    ProgressMessageThenBlanks(e, Severity::kError,
                              sourceName + " is both source and destination, nothing done", 1);
    return false;
  }
  const bool moving = !settings.Copy_Words && !settings.headwrds_only;

  std::vector<std::string> lines;
  std::vector<std::string> raw;  // the source's lines as they stand in the file
  FileEncoding sourceEncoding;
  s = ReadAllLines(e.fs, *source, e.encoding, &lines, &sourceEncoding, &raw);
  if (!s.ok()) return Failed(e, s);

  // The destination is built whole beside its file: its old text when appending (it keeps its
  // own encoding), then the families, written in the source's encoding into a new file.
  const bool append = settings.appendtofile && e.fs.FileExists(dest);
  std::string destText;
  FileEncoding destEncoding = sourceEncoding;
  if (append) {
    s = DetectFileEncoding(e.fs, dest, e.encoding, &destEncoding);
    if (s.ok()) s = ReadFileToString(e.fs, dest, &destText);
    if (!s.ok()) return Failed(e, s);
  } else if (destEncoding.utf8() && destEncoding.byteOrderMark) {
    destText = kUtf8ByteOrderMark;
  }

  size_t position = 0;
  int found = 0;
  int written = 0;
  BasewordEntry entry;
  std::vector<std::string> family;
  while (position < lines.size() && NextHeadwordEntry(e, lines, position, &entry)) {
    const size_t start = position - 1;
    ++found;
    family.clear();
    family.push_back(entry.word + " " + std::to_string(entry.count));
    const std::string headLine = family.front();
    int64_t total = entry.count;
    bool selected = !settings.usefamilytotal && Hit(settings.relation, entry.count, value);
    while (NextMemberEntry(e, lines, position, &entry)) {
      family.push_back("\t" + entry.word + " " + std::to_string(entry.count));
      total += entry.count;
      if (!settings.usefamilytotal && Hit(settings.relation, entry.count, value)) selected = true;
    }
    if (settings.usefamilytotal && Hit(settings.relation, total, value)) selected = true;
    if (!selected) continue;

    ++written;
    if (settings.headwrds_only) {
      AppendLine(&destText, headLine, destEncoding);
    } else {
      for (const std::string& line : family) AppendLine(&destText, line, destEncoding);
    }
    if (moving) {
      // Blank lines and '#' comments inside the family stay where they are.
      std::vector<std::string> kept;
      std::vector<std::string> keptRaw;
      for (size_t i = start; i < position; ++i) {
        if (lines[i].empty() || lines[i][0] == '#') {
          kept.push_back(lines[i]);
          keptRaw.push_back(raw[i]);
        }
      }
      const auto from = static_cast<std::ptrdiff_t>(start);
      const auto to = static_cast<std::ptrdiff_t>(position);
      lines.erase(lines.begin() + from, lines.begin() + to);
      lines.insert(lines.begin() + from, kept.begin(), kept.end());
      raw.erase(raw.begin() + from, raw.begin() + to);
      raw.insert(raw.begin() + from, keptRaw.begin(), keptRaw.end());
      position = start + kept.size();
    }
  }

  // Both new files are complete on disk before either replaces its old one, so a full disk
  // changes nothing; the destination goes first, so that a failing second rename can at worst
  // leave a family in both lists, never in neither.
  FileReplacement replacement(e.fs);
  s = replacement.Stage(dest, destText);
  if (s.ok() && moving) {
    std::string sourceText =
        sourceEncoding.utf8() && sourceEncoding.byteOrderMark ? std::string(kUtf8ByteOrderMark) : "";
    for (const std::string& line : raw) sourceText += line + "\r\n";
    sourceText += "\r\n";  // the source ends with one empty line more
    s = replacement.Stage(*source, sourceText);
  }
  if (s.ok()) s = replacement.Commit();
  if (!s.ok()) return Failed(e, s);

  ProgressMessageThenBlanks(e, Severity::kProgress,
                            "Wrote " + std::to_string(written) + " families out of " +
                                std::to_string(found) + " to file " + destName,
                            1);
  return true;
}

}  // namespace quarn
