#include "report/ReportData.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "lists/BasewordName.h"
#include "report/ListWriters.h"
#include "report/Sort.h"
#include "report/TextRanges.h"
#include "state/Engine.h"
#include "state/RunProgress.h"
#include "store/WordTree.h"

namespace quarn {
namespace {

// Record n, looked at in place where it can be, else copied into *copy; no traffic counted.
const TreeNode& Record(Engine& e, int32_t n, TreeNode* copy) {
  if (const TreeNode* t = NodeInPlace(e, n)) return *t;
  ReadNodeUncounted(e, n, copy);
  return *copy;
}

// Node numbers in the order the report's dumps visit them: the trees in order (alphabetical
// order) or node order (a sorted store).
std::vector<int32_t> VisitOrder(Engine& e, bool families) {
  std::vector<int32_t> order;
  if (!e.options.sortbyalpha) {
    for (int32_t n = 1; n <= e.tree.NodeCount; ++n) order.push_back(n);
    return order;
  }
  const auto& roots = families ? e.tree.FamilyRoots : e.tree.WordRoots;
  std::vector<int32_t> pending;
  TreeNode copy;
  for (size_t c = 1; c < roots.size() && !e.failed(); ++c) {
    int32_t n = roots[c];
    while ((n >= 1 || !pending.empty()) && !e.failed()) {
      if (n >= 1) {
        pending.push_back(n);
        n = Record(e, n, &copy).Left;
      } else {
        n = pending.back();
        pending.pop_back();
        order.push_back(n);
        n = Record(e, n, &copy).Right;
      }
    }
  }
  return order;
}

// The list codes of the report's sections, in their order.
std::vector<int> SectionCodes(const Engine& e, bool families) {
  const RunOptions& o = e.options;
  std::vector<int> codes;
  if (o.ListsOn()) {
    for (int n = 1; n <= e.ListCount; ++n) {
      if (o.ListBoxOn(n) && (families || o.Forms)) codes.push_back(families ? n * 100 : n);
    }
  }
  if (!families && o.others) codes.push_back(kNoListCode);
  return codes;
}

// CollectTexts for a run over more texts than slots: each text's counts from its tally block.
void CollectTallyTexts(Engine& e, ResultsModel& m) {
  const TallyKeys keys = FindTallyKeys(e);
  const int lists = e.ListCount;
  Status s = ForEachTallyBlock(e, [&](const TallyBlock& b) {
    TextRow row;
    const size_t k = static_cast<size_t>(b.text - 1);
    if (k < e.run.scannedTexts.size()) {
      row.file = e.run.scannedTexts[k].file;
      row.tokens = e.run.scannedTexts[k].words;
    }
    row.listTokens.assign(static_cast<size_t>(lists), 0);
    for (const auto& [key, count] : b.counts) {
      const int32_t code =
          static_cast<size_t>(key) < keys.listCode.size() ? keys.listCode[static_cast<size_t>(key)] : 0;
      if (code < 1 || code > kNoListCode) continue;
      ++row.types;
      if (code == kNoListCode) {
        row.noneTokens += count;
      } else if (code == kStopListCode) {
        row.stopTokens += count;
      } else if (code <= lists) {
        row.listTokens[static_cast<size_t>(code - 1)] += count;
      }
    }
    m.texts.push_back(std::move(row));
    return true;
  });
  if (!s.ok()) e.Fail(s);
}

void CollectTexts(Engine& e, ResultsModel& m) {
  if (e.tally.on) return CollectTallyTexts(e, m);
  const int files = ReportFiles(e);
  const int lists = e.ListCount;
  std::vector<TextRow> rows(static_cast<size_t>(files));
  for (int k = 0; k < files; ++k) {
    TextRow& row = rows[static_cast<size_t>(k)];
    if (static_cast<size_t>(k) < e.run.scannedTexts.size()) {
      row.file = e.run.scannedTexts[static_cast<size_t>(k)].file;
      row.tokens = e.run.scannedTexts[static_cast<size_t>(k)].words;
    }
    row.listTokens.assign(static_cast<size_t>(lists), 0);
  }
  TreeNode copy;
  for (int32_t n = 1; n <= e.tree.NodeCount && !e.failed(); ++n) {
    const TreeNode& r = Record(e, n, &copy);
    // Word records only: family records carry the list number times 100.
    if (r.WordLength == 0 || r.ListCode < 1 || r.ListCode > kNoListCode) continue;
    for (int k = 0; k < files; ++k) {
      const int32_t count = r.FileCounts(k + 1);
      if (count <= 0) continue;
      TextRow& row = rows[static_cast<size_t>(k)];
      ++row.types;
      if (r.ListCode == kNoListCode) {
        row.noneTokens += count;
      } else if (r.ListCode == kStopListCode) {
        row.stopTokens += count;
      } else if (r.ListCode <= lists) {
        row.listTokens[static_cast<size_t>(r.ListCode - 1)] += count;
      }
    }
  }
  m.texts = std::move(rows);
}

}  // namespace

ResultsModel CollectResults(Engine& e) {
  const RunOptions& o = e.options;
  const RunCounters& c = e.counters;
  ResultsModel m;
  m.run.texts = e.run.scannedTexts;
  m.run.resultsFile = e.ResultsFileName;
  m.run.sortOrder = o.sortbyfreq ? "freq" : o.sortbyrange ? "range" : "alpha";
  m.run.batch = o.BatchFiles;
  m.run.stopList = o.UseStopList;
  m.run.forms = o.Forms;
  m.run.others = o.others;
  m.run.numbers = o.Writenumbers;
  m.run.ignoreAngle = o.Ignore_Angle;
  m.run.charClasses.assign(e.classes.classes.begin(), e.classes.classes.end());
  m.fileColumns = ReportFiles(e);
  m.typeCounts = e.exports.counts && e.tally.on;
  for (int n = 1; n <= e.ListCount; ++n) {
    m.run.lists.push_back({n, BasewordFileName(n), o.ListsOn() && o.ListBoxOn(n)});
    SummaryRow row;
    row.list = n;
    row.tokens = c.ListTokens[n];
    row.tokensWhole = c.TotalTokens;
    row.types = c.ListTypes[n];
    row.typesWhole = c.TotalTypes;
    row.families = c.ListFamilies[n];
    m.summary.push_back(row);
    m.lists.push_back({n, BasewordFileName(n),
                       int64_t{c.ListFileMembers[n]} + c.ListFileHeadwords[n],
                       c.ListFileHeadwords[n]});
  }
  SummaryRow none;
  none.list = kNoListCode;
  none.tokens = c.OtherTokens;
  none.tokensWhole = c.TotalTokens;
  none.types = c.OtherTypes;
  none.typesWhole = c.TotalTypes;
  m.summary.push_back(none);
  SummaryRow total;
  total.list = kTotalRowCode;
  total.tokens = c.TotalTokens;
  total.types = c.TotalTypes;
  total.families = c.TotalFamilies;
  total.percentages = false;
  m.summary.push_back(total);

  const int files = e.options.BatchFiles ? std::min(e.FileNumber, kMaxInputFiles) : e.FileNumber;
  for (const bool family : {false, true}) {
    if (!family && !o.others && !o.Forms) continue;
    const auto& table = family ? c.FamilyRangeTable : c.TypeRangeTable;
    for (int r = 1; r <= files; ++r) {
      if (table[r] != 0) m.ranges.push_back({family, r, table[r]});
    }
  }
  CollectTexts(e, m);
  return m;
}

Status StoreWordRows::ForEach(bool families,
                              const std::function<bool(const WordRow&)>& row) {
  Engine& e = e_;
  const std::vector<int> codes = SectionCodes(e, families);
  if (codes.empty()) return Status::OK();
  // One pass over the records in the dumps' order, their numbers set aside by section.
  std::vector<std::vector<int32_t>> sections(codes.size());
  std::vector<int> sectionOfCode(static_cast<size_t>(codes.back() + 1), -1);
  for (size_t s = 0; s < codes.size(); ++s) sectionOfCode[static_cast<size_t>(codes[s])] = static_cast<int>(s);
  TreeNode copy;
  for (const int32_t n : VisitOrder(e, families)) {
    const TreeNode& r = Record(e, n, &copy);
    if (r.ListCode < 0 || static_cast<size_t>(r.ListCode) >= sectionOfCode.size()) continue;
    const int section = sectionOfCode[static_cast<size_t>(r.ListCode)];
    if (section < 0 || !inlist(r, r.ListCode)) continue;
    if ((families ? r.FamilyFrequency : r.Frequency) <= 0) continue;
    sections[static_cast<size_t>(section)].push_back(n);
  }
  WordRow out;
  const int files = ReportFiles(e);
  if (e.tally.on) {
    if (Status s = TallyDp(); !s.ok()) return s;
  }
  // The texts' tokens, for the DP of a run whose counts are in the slots.
  int64_t total = 0;
  int64_t smallest = 0;
  for (int k = 0; k < files; ++k) {
    const int64_t tokens = static_cast<size_t>(k) < e.run.scannedTexts.size()
                               ? e.run.scannedTexts[static_cast<size_t>(k)].words
                               : 0;
    total += tokens;
    if (k == 0 || tokens < smallest) smallest = tokens;
  }
  for (size_t s = 0; s < codes.size(); ++s) {
    for (const int32_t n : sections[s]) {
      if (e.failed()) return e.runError;
      const TreeNode& r = Record(e, n, &copy);
      out.word.assign(r.Word());
      out.list = families ? codes[s] / 100 : codes[s];
      out.range = FilesHolding(e, r);
      out.freq = r.Frequency;
      out.familyFreq = r.FamilyFrequency;
      out.fileCounts.assign(r.FileCountSlots, r.FileCountSlots + files);
      Dispersion dp;
      if (e.tally.on) {
        const size_t key = static_cast<size_t>(TallyKey(r));
        if (key < tallyDp_.size()) dp = tallyDp_[key];
      } else {
        DispersionSums sums(families ? r.FamilyFrequency : r.Frequency, total);
        for (int k = 0; k < files; ++k) {
          if (r.FileCountSlots[k] > 0)
            sums.Add(r.FileCountSlots[k], e.run.scannedTexts[static_cast<size_t>(k)].words);
        }
        dp = sums.Finish(smallest);
      }
      out.dp = dp.dp;
      out.dpNorm = dp.dpNorm;
      if (!row(out)) return Status::OK();
    }
  }
  return e.failed() ? e.runError : Status::OK();
}

Status StoreWordRows::TallyDp() {
  if (tallyDpReady_) return Status::OK();
  Status s = TallyDispersions(e_, FindTallyKeys(e_), &tallyDp_);
  tallyDpReady_ = s.ok();
  return s;
}

Status StoreWordRows::ForEachCount(
    const std::function<bool(std::string_view word, int text, int64_t freq)>& count) {
  Engine& e = e_;
  if (!e.tally.on) return Status::OK();
  const TallyKeys keys = FindTallyKeys(e);
  TreeNode copy;
  return ForEachTallyBlock(e, [&](const TallyBlock& b) {
    for (const auto& [key, occurrences] : b.counts) {
      const int32_t n =
          static_cast<size_t>(key) < keys.node.size() ? keys.node[static_cast<size_t>(key)] : 0;
      if (n <= 0 || e.failed()) continue;
      if (!count(Record(e, n, &copy).Word(), b.text, occurrences)) return false;
    }
    return true;
  });
}

std::string BatchExportFolder(const std::string& folder, const std::string& input) {
  std::string name = input.substr(input.rfind('/') + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  if (name.empty() || name == "." || name == "..") name = "text";
  return (folder.back() == '/' ? folder : folder + "/") + name;
}

void ExportReport(Engine& e) {
  if (!e.exports.any() && !e.keepResults) return;
  ResultsModel model = CollectResults(e);
  StoreWordRows rows(e);
  if (e.exports.any()) {
    std::string folder = e.exports.folder;
    if (e.options.BatchFiles && !e.run.scannedTexts.empty()) {
      folder = BatchExportFolder(folder, e.run.scannedTexts.front().file);
    }
    // Put in place with the results file (CommitRunFiles). A cancel stops the writing.
    Status s = WriteExports(e.fs, e.exports, folder, model, &rows,
                            [&e] { return CancelPoint(e); }, &e.pendingExport);
    if (!s.ok()) return e.Fail(s);
  }
  if (!e.keepResults) return;
  for (const bool family : {false, true}) {
    auto& kept = family ? model.families : model.types;
    Status s = rows.ForEach(family, [&kept](const WordRow& r) {
      kept.push_back(r);
      return true;
    });
    if (!s.ok()) return e.Fail(s);
  }
  if (e.tally.on) {
    // The file columns hold no text's counts: keep them by text, as type_counts lists them.
    std::unordered_map<std::string, int32_t> index;
    Status s = rows.ForEachCount([&model, &index](std::string_view word, int text, int64_t freq) {
      if (text < 1) return true;
      const auto [at, added] = index.try_emplace(std::string(word), static_cast<int32_t>(index.size()));
      if (added) model.countWords.push_back(at->first);
      if (model.textCounts.size() < static_cast<size_t>(text)) model.textCounts.resize(static_cast<size_t>(text));
      model.textCounts[static_cast<size_t>(text - 1)].push_back({at->second, freq});
      return true;
    });
    if (!s.ok()) return e.Fail(s);
  }
  e.run.keptResults.push_back(std::move(model));
}

}  // namespace quarn
