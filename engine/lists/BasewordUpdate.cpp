#include "BasewordUpdate.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../Engine.h"
#include "../store/CharCase.h"
#include "../store/LineReader.h"
#include "../store/Messages.h"
#include "../store/WordEntry.h"
#include "BasewordEntry.h"
#include "BasewordName.h"

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

// Reports a failure of the update of the list file at path and stops the run; s keeps the
// file on which the operation failed (it may be the temporary file).
void UpdateFailed(Engine& e, const std::string& path, const Status& s) {
  ProgressMessage(e, path + ": " + s.reason(), "ERROR", 0);
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

// Rewrites one list file. Returns false when the run has failed.
bool UpdateOneFile(Engine& e, int n) {
  const std::string folder = e.ProgramFolder;
  const std::string base = folder + "basewrd" + std::to_string(n);
  std::string target = base + ".txt";
  const std::string temp = base + ".tmp";
  ProgressMessage(e, " Updating: " + target, "", 0);

  // The list the loader read, in whatever letter case it is named.
  std::optional<std::string> source = FindFileNoCase(e.fs, folder, BasewordFileName(n));
  if (!source) {
    UpdateFailed(e, target, Status::IOError(target, "No such file or directory"));
    return false;
  }
  std::vector<std::string> lines;
  std::vector<std::string> raw;
  FileEncoding encoding;
  Status s = ReadAllLines(e.fs, *source, e.encoding, &lines, &encoding, &raw);
  if (!s.ok()) {
    UpdateFailed(e, *source, s);
    return false;
  }
  // The list keeps its encoding; lines that pass through keep their very bytes.
  e.tree.InsertDepth = 0;
  std::vector<std::string> updated;
  updated.reserve(lines.size());
  for (size_t i = 0; i < lines.size() && !e.failed(); ++i) {
    std::string line;
    bool passThrough = false;
    if (!UpdatedLine(e, lines[i], &line, &passThrough)) continue;
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

  // When a list of the other letter case (basewrd1.txt beside BASEWRD1.txt, on a file system
  // that tells them apart) exists as well, the update goes back into the file that was read,
  // so that the other file is not overwritten.
  if (*source != target) {
    std::vector<std::string> names;
    if (e.fs.ListDirectory(folder, &names).ok() && HasEntry(names, NameOf(*source)) &&
        HasEntry(names, NameOf(target)))
      target = *source;
  }

  // The new list is written completely to disk now; it replaces the old one in a single
  // rename once the report is finished (CommitBasewordUpdates), so that a full disk, a crash or
  // a failed report leaves every old list whole and the texts are never counted twice.
  s = WriteLinesDurably(e.fs, temp, updated,
                        encoding.utf8() && encoding.byteOrderMark ? kUtf8ByteOrderMark : "");
  if (!s.ok()) {
    e.fs.RemoveFile(temp);  // may not exist; the failure that matters is s
    UpdateFailed(e, target, s);
    return false;
  }
  e.pendingListUpdates.push_back({temp, target, *source != target ? *source : std::string()});
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
  pending.swap(e.pendingListUpdates);
  for (size_t i = 0; i < pending.size(); ++i) {
    const PendingListUpdate& p = pending[i];
    Status s = e.fs.RenameFile(p.temp, p.target);
    if (!s.ok()) {
      for (size_t k = i; k < pending.size(); ++k) e.fs.RemoveFile(pending[k].temp);
      return UpdateFailed(e, p.target, s);
    }
    // A list named in another letter case (BASEWRD1.txt) is a separate file only on a file
    // system that tells letter cases apart; there it would now shadow the updated list.
    if (p.oldName.empty()) continue;
    const std::string folder = p.target.substr(0, p.target.rfind('/') + 1);
    std::vector<std::string> names;
    s = e.fs.ListDirectory(folder, &names);
    if (s.ok() && HasEntry(names, NameOf(p.oldName)) && HasEntry(names, NameOf(p.target)))
      s = e.fs.RemoveFile(p.oldName);
    if (!s.ok()) {
      for (size_t k = i + 1; k < pending.size(); ++k) e.fs.RemoveFile(pending[k].temp);
      return UpdateFailed(e, p.oldName, s);
    }
  }
}

void DiscardBasewordUpdates(Engine& e) {
  for (const PendingListUpdate& p : e.pendingListUpdates) e.fs.RemoveFile(p.temp);
  e.pendingListUpdates.clear();
}

void UpdateBasewordFiles(Engine& e) {
  for (int n = 1; n <= e.ListCount; ++n) {
    if (e.failed()) return;
    if (!e.options.ListBoxOn(n)) continue;
    if (!UpdateOneFile(e, n)) return;
  }
}

}  // namespace quarn
