#include "lists/BasewordUpdate.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lists/BasewordEntry.h"
#include "lists/BasewordName.h"
#include "state/Engine.h"
#include "state/Messages.h"
#include "store/WordEntry.h"
#include "text/CharCase.h"
#include "text/LineReader.h"
#include "text/TextEncoding.h"

namespace quarn {

namespace {

constexpr int64_t kMaxCount = 2147483647;
constexpr size_t kWriteChunk = 1 << 16;

// Writes lines (already in the file's encoding), each ending in CR LF, to path from empty, and
// forces them to stable storage.
Status WriteLinesDurably(FileSystem& fs, const std::string& path,
                         const std::vector<std::string>& lines, std::string_view start) {
  std::unique_ptr<WritableFile> file;
  Status s = fs.NewWritableFile(path, &file);
  if (!s.ok()) return s;
  std::string chunk(start);
  for (const std::string& line : lines) {
    chunk += line;
    chunk += "\r\n";
    if (chunk.size() >= kWriteChunk) {
      s = file->Append(chunk);
      if (!s.ok()) break;
      chunk.clear();
    }
  }
  if (s.ok() && !chunk.empty()) s = file->Append(chunk);
  if (s.ok()) s = file->Flush();
  if (s.ok()) s = file->Sync();
  Status closed = file->Close();
  return s.ok() ? closed : s;
}

// True iff name (exact letter case) is an entry of folder.
bool HasEntry(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string NameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name by which a failure names the list of an update: the name it takes.
const std::string& ShownName(const PendingListUpdate& p) {
  return p.caseTo.empty() ? p.target : p.caseTo;
}

// Reports a failure of the update of the list file at path and stops the run; s keeps the
// file on which the operation failed (it may be the temporary file).
void UpdateFailed(Engine& e, const std::string& path, const Status& s) {
  ProgressMessage(e, Severity::kError, path + ": " + s.reason());
  e.Fail(Status::IOError(path, s.reason()));
  e.runErrorReported = true;  // the line above is the run's error line
}

// The updated form of one line: false when the line is dropped (an entry line without a word).
// *passThrough tells that the line stays exactly as it was.
bool UpdatedLine(Engine& e, const std::string& line, std::string* out, bool* passThrough) {
  *passThrough = Trim(line).empty() || line[0] == '#';
  if (*passThrough) {
    *out = line;
    return true;
  }
  BasewordEntry entry;
  if (!ParseEntry(e, UpperCase(line), &entry)) return false;
  const int64_t frequency =
      LookupFrequency(e, e.tree.WordRoots[static_cast<unsigned char>(entry.word[0])], entry.word);
  int64_t count = e.options.Zero_base ? frequency : int64_t{entry.count} + frequency;
  count = std::clamp<int64_t>(count, 0, kMaxCount);
  *out = (entry.indented ? "\t" : "") + entry.word + " " + std::to_string(count);
  return true;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The number (from 1) of the first line that is not UTF-8 in a list that holds UTF-8 (a byte
// order mark, or a line of UTF-8 with a character beyond ASCII), or 0. Such a list cannot be
// written back in one encoding without changing one kind of line or the other.
size_t FirstLineNotUtf8(const std::vector<std::string>& raw, bool byteOrderMark) {
  bool utf8 = byteOrderMark;
  size_t first = 0;
  for (size_t i = 0; i < raw.size() && !(utf8 && first != 0); ++i) {
    Utf8Validator validator;
    validator.Feed(raw[i].data(), raw[i].size());
    if (!validator.valid()) {
      if (first == 0) first = i + 1;
    } else if (validator.sawMultibyte()) {
      utf8 = true;
    }
  }
  return utf8 ? first : 0;
}

// Rewrites one list file. Returns false when the run has failed.
bool UpdateOneFile(Engine& e, int n) {
  const std::string folder = e.ProgramFolder;
  const std::string base = folder + "basewrd" + std::to_string(n);
  const std::string lowerName = base + ".txt";
  ProgressMessage(e, Severity::kProgress, " Updating: " + lowerName);

  // The list the loader read, in whatever letter case it is named.
  std::optional<std::string> source = FindFileNoCase(e.fs, folder, BasewordFileName(n));
  if (!source) {
    UpdateFailed(e, lowerName, Status::IOError(lowerName, "No such file or directory"));
    return false;
  }
  // The run's set-up refuses such a list; this one has changed since.
  WideText wide = WideText::kNone;
  if (DetectWideText(e.fs, *source, &wide).ok() && wide != WideText::kNone) {
    ProgressMessage(e, Severity::kError,
                    *source + " is " + WideTextName(wide) +
                        " text, which Quarn cannot read: not updated, left as it was");
    return true;
  }
  std::vector<std::string> lines;
  std::vector<std::string> raw;
  FileEncoding encoding;
  Status s = ReadAllLines(e.fs, *source, e.encoding, &lines, &encoding, &raw);
  if (!s.ok()) {
    UpdateFailed(e, *source, s);
    return false;
  }
  if (size_t line = FirstLineNotUtf8(raw, encoding.utf8() && encoding.byteOrderMark)) {
    ProgressMessage(e, Severity::kError,
                    *source + ": line " + std::to_string(line) +
                        " is not UTF-8 while the list holds UTF-8: not updated, left as it was");
    return true;
  }
  // The list keeps its encoding; lines that pass through keep their very bytes, and so do
  // entry lines holding characters that Quarn reads as separators: rewritten they would lose
  // them.
  e.tree.InsertDepth = 0;
  std::vector<std::string> updated;
  updated.reserve(lines.size());
  size_t kept = 0;
  for (size_t i = 0; i < lines.size() && !e.failed(); ++i) {
    std::string line;
    bool passThrough = Trim(lines[i]).empty() || lines[i][0] == '#';
    if (!passThrough && encoding.utf8() && HasCharOutsideCp1252(raw[i])) {
      ++kept;
      passThrough = true;
    } else if (!UpdatedLine(e, lines[i], &line, &passThrough)) {
      continue;
    }
    if (passThrough) {
      updated.push_back(raw[i]);
    } else if (encoding.utf8()) {
      updated.emplace_back();
      Cp1252ToUtf8(line, &updated.back());
    } else {
      updated.push_back(std::move(line));
    }
  }
  lines.clear();
  raw.clear();
  if (e.failed()) return false;
  if (kept > 0) {
    ProgressMessage(e, Severity::kProgress,
                    " Kept as they were: " + std::to_string(kept) +
                        (kept == 1 ? " line" : " lines") + " of " + *source +
                        " with characters outside Windows-1252");
  }

  // The update goes into the file that was read, through its links (a list shared from
  // elsewhere receives the counts), and that file then takes the lower-case name. When a list
  // of that name exists as well (basewrd1.txt beside BASEWRD1.txt, on a file system that tells
  // them apart) the read list keeps its name, so that the other is not overwritten.
  PendingListUpdate pending;
  s = e.fs.ResolveLink(*source, &pending.target);
  if (!s.ok()) {
    UpdateFailed(e, *source, s);
    return false;
  }
  if (*source != lowerName) {
    std::vector<std::string> names;
    if (e.fs.ListDirectory(folder, &names).ok() && !HasEntry(names, NameOf(lowerName))) {
      pending.caseFrom = *source;
      pending.caseTo = lowerName;
    }
  }
  pending.temp = pending.target == *source
                     ? base + ".tmp"
                     : FolderOf(pending.target) + "basewrd" + std::to_string(n) + ".tmp";

  // The new list is written completely to disk now; it replaces the old one in a single
  // rename once the report is finished (CommitBasewordUpdates), so that a full disk, a crash or
  // a failed report leaves every old list whole and the texts are never counted twice.
  s = WriteLinesDurably(e.fs, pending.temp, updated,
                        encoding.utf8() && encoding.byteOrderMark ? kUtf8ByteOrderMark : "");
  if (!s.ok()) {
    e.fs.RemoveFile(pending.temp);  // may not exist; the failure that matters is s
    UpdateFailed(e, ShownName(pending), s);
    return false;
  }
  e.run.pendingListUpdates.push_back(std::move(pending));
  return true;
}

}  // namespace

std::vector<std::string> UpdateBasewordLines(Engine& e, const std::vector<std::string>& lines) {
  e.tree.InsertDepth = 0;
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (const std::string& line : lines) {
    if (e.failed()) break;
    std::string updated;
    bool passThrough = false;
    if (UpdatedLine(e, line, &updated, &passThrough)) out.push_back(std::move(updated));
  }
  return out;
}

void CommitBasewordUpdates(Engine& e) {
  std::vector<PendingListUpdate> pending;
  pending.swap(e.run.pendingListUpdates);
  // The new lists go in one after another, with nothing in between: a stop between two of
  // these renames is the one moment at which some lists are updated and others not.
  for (size_t i = 0; i < pending.size(); ++i) {
    const PendingListUpdate& p = pending[i];
    Status s = e.fs.RenameFile(p.temp, p.target);
    if (!s.ok()) {
      for (size_t k = i; k < pending.size(); ++k) e.fs.RemoveFile(pending[k].temp);
      return UpdateFailed(e, ShownName(p), s);
    }
  }
  // Each list holds its new counts under the name it was read by; a failure here leaves it
  // there, where the next run finds it.
  for (const PendingListUpdate& p : pending) {
    if (p.caseFrom.empty()) continue;
    Status s = e.fs.RenameFile(p.caseFrom, p.caseTo);
    if (!s.ok()) ProgressMessage(e, Severity::kError, p.caseFrom + ": " + s.reason());
  }
}

void DiscardBasewordUpdates(Engine& e) {
  for (const PendingListUpdate& p : e.run.pendingListUpdates) e.fs.RemoveFile(p.temp);
  e.run.pendingListUpdates.clear();
}

void UpdateBasewordFiles(Engine& e) {
  for (int n = 1; n <= e.ListCount; ++n) {
    if (e.failed()) return;
    if (!e.options.ListBoxOn(n)) continue;
    if (!UpdateOneFile(e, n)) return;
  }
}

}  // namespace quarn
