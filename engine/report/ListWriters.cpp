#include "report/ListWriters.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "SecondThread.h"
#include "report/Sort.h"
#include "state/Engine.h"
#include "store/WordTree.h"
#include "text/TextWriter.h"

namespace quarn {

namespace {

constexpr size_t kWordColumns = 30;
constexpr int kFirstFamilyCode = 100;

// Writes value at out, decimal, right-aligned in 6 columns; wider numbers in full (as "%6d"
// gives them). Returns the end of what it wrote (at most 11 characters).
char* PutNumberCell(char* out, int32_t value) {
  if (value >= 0 && value < 1000000) {
    // The common case: six columns exactly, digits from the right.
    std::memset(out, ' ', 6);
    uint32_t v = static_cast<uint32_t>(value);
    char* p = out + 6;
    do {
      *--p = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v != 0);
    return out + 6;
  }
  char buf[12];
  char* end = buf + sizeof buf;
  char* p = end;
  // In unsigned arithmetic so that the lowest int32_t has a magnitude too.
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--p = '-';
  const size_t digits = static_cast<size_t>(end - p);
  if (digits < 6) {
    std::memset(out, ' ', 6 - digits);
    out += 6 - digits;
  }
  std::memcpy(out, p, digits);
  return out + digits;
}

// TAB and "    F<k>" for every file column of the section.
void AppendFileHeaders(const Engine& e, std::string& line) {
  const int files = ReportFiles(e);
  for (int k = 1; k <= files; ++k) {
    line += "\t    F";
    line += std::to_string(k);
  }
}

// A range of 0 (a row without counts) has no entry to add to.
void CountRange(RunCounters::PerRange& table, int range) {
  if (range >= 1) ++table[range];
}

void CheckScratch(Engine& e, const TextWriter& out) {
  if (!out.status().ok()) e.Fail(out.status());
}

void WriteScratchLine(Engine& e, TextWriter& out, std::string_view line) {
  if (e.failed()) return;
  out.WriteLine(line);
  CheckScratch(e, out);
}

// The longest row: the word (30 characters at most), then up to 67 cells of at most 11
// characters.
constexpr size_t kMaxRow = kWordColumns + 1 + (3 + kMaxInputFiles) * 12;

// Puts the row of a type or family with this range at line (kMaxRow characters of room);
// returns its length.
size_t FormatRow(const Engine& e, const TreeNode& record, int range, bool family, char* line) {
  static_assert(kMaxWordLength <= kWordColumns);
  const std::string_view word = record.Word().substr(0, kWordColumns);
  std::memcpy(line, word.data(), word.size());
  char* out = line + word.size();
  if (e.options.Writenumbers) {
    const size_t pad = word.size() < kWordColumns ? kWordColumns - word.size() : 1;
    std::memset(out, ' ', pad);
    out += pad;
    *out++ = '\t';
    out = PutNumberCell(out, range);
    *out++ = '\t';
    out = PutNumberCell(out, record.Frequency);
    if (family) {
      *out++ = '\t';
      out = PutNumberCell(out, record.FamilyFrequency);
    }
    const int files = ReportFiles(e);
    for (int k = 1; k <= files; ++k) {
      *out++ = '\t';
      out = PutNumberCell(out, record.FileCounts(k));
    }
  }
  return static_cast<size_t>(out - line);
}

// One type or family row; FileRange is computed into the caller's copy only.
void WriteRow(Engine& e, TextWriter& out, TreeNode& record, bool family) {
  if (e.failed()) return;
  record.FileRange = FilesHolding(e, record);
  CountRange(family ? e.counters.FamilyRangeTable : e.counters.TypeRangeTable, record.FileRange);
  char line[kMaxRow];
  const size_t length = FormatRow(e, record, record.FileRange, family, line);
  WriteScratchLine(e, out, std::string_view(line, length));
}

}  // namespace

int ReportFiles(const Engine& e) {
  if (e.options.BatchFiles) return 1;
  if (e.FileNumber < 0 || e.tally.on) return 0;
  return e.FileNumber < kMaxInputFiles ? e.FileNumber : kMaxInputFiles;
}

bool inlist(const TreeNode& record, int list) {
  return record.WordLength > 0 && record.ListCode == list;
}

void listtypes(Engine& e, TextWriter& out, int list) {
  if (e.failed()) return;
  WriteScratchLine(e, out, "");
  std::string header = "TYPE" + std::string(26, ' ') + "\t RANGE\t  FREQ";
  AppendFileHeaders(e, header);
  WriteScratchLine(e, out, header);
  if (e.options.sortbyalpha) {
    for (int c = 1; c < static_cast<int>(e.tree.WordRoots.size()) && !e.failed(); ++c) {
      writetypelist(e, out, e.tree.WordRoots[c], list);
    }
  } else {
    dumpsort(e, out, list);
  }
  WriteScratchLine(e, out, "");
}

void listfamilies(Engine& e, TextWriter& out, int list) {
  if (e.failed()) return;
  std::string header = "\t RANGE\tTYFREQ\tFAFREQ";
  AppendFileHeaders(e, header);
  WriteScratchLine(e, out, header);
  if (e.options.sortbyalpha) {
    for (int c = 1; c < static_cast<int>(e.tree.FamilyRoots.size()) && !e.failed(); ++c) {
      writefamlist(e, out, e.tree.FamilyRoots[c], list);
    }
  } else {
    dumpsort(e, out, list);
  }
  WriteScratchLine(e, out, "");
}

// Node 0 is never a record, so a root or link below 1 is an empty tree like -1.
void writetypelist(Engine& e, TextWriter& out, int32_t root, int list) {
  if (root < 1 || e.failed()) return;
  TreeNode record;
  ReadNode(e, root, "writetypelist", &record);
  writetypelist(e, out, record.Left, list);
  if (inlist(record, list) && record.Frequency > 0) WriteRow(e, out, record, false);
  writetypelist(e, out, record.Right, list);
}

void writefamlist(Engine& e, TextWriter& out, int32_t root, int list) {
  if (root < 1 || e.failed()) return;
  TreeNode record;
  ReadNode(e, root, "writefamlist", &record);
  writefamlist(e, out, record.Left, list);
  if (inlist(record, list) && record.FamilyFrequency > 0) WriteRow(e, out, record, true);
  writefamlist(e, out, record.Right, list);
}

namespace {

// Counts the reads of records 1..last as a dump reading each of them counts them.
void CountDumpReads(Engine& e, int32_t last) {
  const int32_t limit = e.tree.MemoryNodeLimit;
  const int32_t inMemory = limit < 0 ? 0 : (limit < last ? limit : last);
  AddTraffic(e.counters.CacheNodesRead, static_cast<uint32_t>(inMemory));
  AddTraffic(e.counters.DiskNodesRead, static_cast<uint32_t>(last - inMemory));
}

// True iff a dump of list writes a row for the record: a type of the list that occurred, or a
// family (codes from kFirstFamilyCode) whose words did.
bool DumpsRow(const TreeNode& record, int list) {
  if (!inlist(record, list)) return false;
  return (list < kFirstFamilyCode ? record.Frequency : record.FamilyFrequency) > 0;
}

void WriteDumpRow(Engine& e, TextWriter& out, TreeNode& record, int list) {
  if (DumpsRow(record, list)) WriteRow(e, out, record, list >= kFirstFamilyCode);
}

// The (code, node) pairs of e.listRows (filled) whose code is list.
std::span<const std::pair<int32_t, int32_t>> ListRowsOf(const Engine& e, int list) {
  const auto rows =
      std::equal_range(e.listRows.begin(), e.listRows.end(), std::pair<int32_t, int32_t>(list, 0),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
  return {e.listRows.data() + (rows.first - e.listRows.begin()),
          static_cast<size_t>(rows.second - rows.first)};
}

// Lists with this many records or more have their rows formatted on two threads.
constexpr size_t kDumpOnTwoThreadsFrom = 16384;
constexpr size_t kRowsPerBatch = 2048;

// The rows of a list's records (rows: its listRows), formatted a batch at a time by this thread
// and another in turn, and written here in their order: formatting is most of a dump's work.
// *failedAt becomes the last record of the batch whose writing failed the run, else 0. Returns
// false, having written and counted nothing, when it cannot be done so: a record not reachable
// in place, a file whose encoding is not yet chosen, no thread to spare.
bool DumpOnTwoThreads(Engine& e, TextWriter& scratch, int list,
                      std::span<const std::pair<int32_t, int32_t>> rows, int32_t* failedAt) {
  if (scratch.choosingLater()) return false;
  std::vector<const TreeNode*> records(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    records[i] = NodeInPlace(e, rows[i].second);
    if (records[i] == nullptr || e.failed()) return false;
  }
  const bool family = list >= kFirstFamilyCode;
  const size_t batches = (rows.size() + kRowsPerBatch - 1) / kRowsPerBatch;
  // Reads only the records and the run's options, which stay as they are meanwhile.
  auto format = [&](size_t batch, std::string& text, RunCounters::PerRange& ranges) {
    text.clear();
    char line[kMaxRow];
    const size_t end = std::min(rows.size(), (batch + 1) * kRowsPerBatch);
    for (size_t i = batch * kRowsPerBatch; i < end; ++i) {
      const TreeNode& r = *records[i];
      if (!DumpsRow(r, list)) continue;
      const int range = FilesHolding(e, r);
      CountRange(ranges, range);
      text.append(line, FormatRow(e, r, range, family, line));
      text.append("\r\n", 2);
    }
  };
  // The other thread formats the odd batches into a ring of slots, waiting while it is full.
  struct Slot {
    std::string text;
    bool ready = false;
  };
  constexpr size_t kSlots = 4;
  Slot slots[kSlots];
  std::mutex mu;
  std::condition_variable changed;
  bool stop = false;
  RunCounters::PerRange otherRanges{};
  SecondThread other;
  const bool started = other.Start([&] {
      std::string text;
      for (size_t batch = 1; batch < batches; batch += 2) {
        format(batch, text, otherRanges);
        Slot& slot = slots[batch / 2 % kSlots];
        std::unique_lock<std::mutex> lock(mu);
        changed.wait(lock, [&] { return stop || !slot.ready; });
        if (stop) return;
        slot.text.swap(text);
        slot.ready = true;
        changed.notify_all();
      }
    });
  if (!started) return false;
  RunCounters::PerRange& ranges = family ? e.counters.FamilyRangeTable : e.counters.TypeRangeTable;
  std::string text;
  size_t batch = 0;
  for (; batch < batches; ++batch) {
    if (batch % 2 == 0) {
      format(batch, text, ranges);
      scratch.Write(text);
    } else {
      Slot& slot = slots[batch / 2 % kSlots];
      std::unique_lock<std::mutex> lock(mu);
      changed.wait(lock, [&] { return slot.ready; });
      lock.unlock();
      scratch.Write(slot.text);
      lock.lock();
      slot.ready = false;
      changed.notify_all();
    }
    CheckScratch(e, scratch);
    if (e.failed()) break;
  }
  {
    std::lock_guard<std::mutex> lock(mu);
    stop = true;
    changed.notify_all();
  }
  other.Join();
  ranges.Add(otherRanges);
  *failedAt =
      batch < batches ? rows[std::min(rows.size(), (batch + 1) * kRowsPerBatch) - 1].second : 0;
  return true;
}

}  // namespace

void FillListRows(Engine& e) {
  e.listRows.clear();
  if (!e.fastPaths || e.failed()) return;
  const int32_t count = e.tree.NodeCount > 0 ? e.tree.NodeCount : 0;
  std::vector<int32_t> codes(static_cast<size_t>(count));
  int32_t lowest = 0;
  int32_t highest = 0;
  for (int32_t n = 1; n <= count; ++n) {
    const TreeNode* t = NodeInPlace(e, n);
    if (t == nullptr || e.failed()) return ClearListRows(e);
    const int32_t code = t->ListCode;
    codes[static_cast<size_t>(n - 1)] = code;
    if (n == 1 || code < lowest) lowest = code;
    if (n == 1 || code > highest) highest = code;
  }
  e.listRows.resize(static_cast<size_t>(count));
  // By code, then node. The codes are list numbers and family codes, a few values close
  // together: counted into place, unless they are spread wider than the records are many.
  const int64_t span = int64_t{highest} - lowest + 1;
  if (span > std::max<int64_t>(count, 4096)) {
    for (int32_t n = 1; n <= count; ++n) e.listRows[n - 1] = {codes[n - 1], n};
    std::stable_sort(e.listRows.begin(), e.listRows.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return;
  }
  std::vector<size_t> next(static_cast<size_t>(span) + 1, 0);
  for (const int32_t code : codes) ++next[static_cast<size_t>(code - lowest) + 1];
  for (size_t k = 1; k < next.size(); ++k) next[k] += next[k - 1];
  for (int32_t n = 1; n <= count; ++n) {
    const int32_t code = codes[static_cast<size_t>(n - 1)];
    e.listRows[next[static_cast<size_t>(code - lowest)]++] = {code, n};
  }
}

bool CountListRanges(Engine& e, int list) {
  const bool family = list >= kFirstFamilyCode;
  RunCounters::PerRange counted{};
  for (const auto& [code, n] : ListRowsOf(e, list)) {
    const TreeNode* r = NodeInPlace(e, n);
    if (r == nullptr) return false;
    if (DumpsRow(*r, list)) CountRange(counted, FilesHolding(e, *r));
  }
  RunCounters::PerRange& table = family ? e.counters.FamilyRangeTable : e.counters.TypeRangeTable;
  table.Add(counted);
  return true;
}

void ClearListRows(Engine& e) { std::vector<std::pair<int32_t, int32_t>>().swap(e.listRows); }

void dumpsort(Engine& e, TextWriter& out, int list) {
  if (e.failed()) return;
  TreeNode record;
  if (!e.listRows.empty()) {
    // The list's own records; the loop below reads every record, so the others count as read.
    const auto rows = ListRowsOf(e, list);
    int32_t failedAt = 0;
    if (rows.size() >= kDumpOnTwoThreadsFrom && DumpOnTwoThreads(e, out, list, rows, &failedAt)) {
      return CountDumpReads(e, failedAt != 0 ? failedAt : e.tree.NodeCount);
    }
    for (const auto& [code, n] : rows) {
      if (const TreeNode* t = NodeInPlace(e, n)) {
        record = *t;
      } else {
        ReadNodeUncounted(e, n, &record);
      }
      WriteDumpRow(e, out, record, list);
      // The loop stops at the record whose row failed, having read those before it.
      if (e.failed()) return CountDumpReads(e, n);
    }
    return CountDumpReads(e, e.tree.NodeCount);
  }
  for (int32_t n = 1; n <= e.tree.NodeCount && !e.failed(); ++n) {
    // Most records belong to another list: where it can, look at the code in place and copy
    // only the rows written, counting the read as ReadNode does.
    if (const TreeNode* t = e.fastPaths ? NodeInPlace(e, n) : nullptr) {
      CountRead(e.counters, e.tree, n);
      if (t->ListCode != list) continue;
      record = *t;
    } else {
      ReadNode(e, n, "dump sort", &record);
      if (record.ListCode != list) continue;
    }
    WriteDumpRow(e, out, record, list);
  }
}

std::string percentcell(int32_t part, int32_t whole) {
  if (whole == 0) return " 0.00";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%5.2f",
                static_cast<double>(part) / static_cast<double>(whole) * 100.0);
  return buf;
}

void elapsedtext(int32_t seconds, std::string& text) {
  text += std::to_string(seconds);
  text += " Seconds";
  if (seconds <= 60) return;
  text += " or ";
  if (seconds > 86400) {
    int32_t days = seconds / 86400;
    text += std::to_string(days) + " Days ";
    seconds -= days * 86400;
  }
  if (seconds > 3600) {
    int32_t hours = seconds / 3600;
    text += std::to_string(hours) + (hours == 1 ? " Hour " : " Hours ");
    seconds -= hours * 3600;
  }
  if (seconds > 60) {
    int32_t minutes = seconds / 60;
    text += std::to_string(minutes) + (minutes == 1 ? " Minute " : " Minutes ");
    seconds -= minutes * 60;
  }
  text += std::to_string(seconds) + " Seconds ";
}

}  // namespace quarn
