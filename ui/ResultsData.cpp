#include "ResultsData.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <iterator>
#include <nlohmann/json.hpp>
#include <unordered_map>

#include "QuarnHeader.h"
#include "state/Engine.h"
#include "text/CharClassTable.h"
#include "text/TextEncoding.h"

namespace {

QString BaseName(const std::string& path) {
  const QString p = QString::fromStdString(quarn::MessageToUtf8(path));
  return p.mid(p.lastIndexOf('/') + 1);
}

// What a profile can make the explorer hold, whatever the file says: the keys of one table's
// rows and the columns shown beyond the known ones. Rows cost only what their bytes in the
// file cost; the per-file columns are at most the run's file columns.
constexpr size_t kMaxKeysPerTable = 512;
constexpr qsizetype kMaxExtraColumns = 32;

// A scalar of a profile: what a cell holds.
struct Value {
  enum class Kind : uint8_t { kAbsent, kNull, kBool, kInteger, kDouble, kString };
  Kind kind = Kind::kAbsent;
  bool flag = false;
  int64_t integer = 0;
  double number = 0;
  std::string text;

  int64_t Integer() const {
    if (kind == Kind::kInteger) return integer;
    if (kind == Kind::kDouble && number > -9e18 && number < 9e18) return static_cast<int64_t>(number);
    return 0;
  }
  int Int() const {
    return static_cast<int>(std::clamp<int64_t>(Integer(), INT32_MIN, INT32_MAX));
  }
  double Number() const { return kind == Kind::kDouble ? number : static_cast<double>(Integer()); }
  bool Flag(bool absent) const { return kind == Kind::kBool ? flag : absent; }
  QVariant Variant() const {
    switch (kind) {
      case Kind::kBool:
        return flag;
      case Kind::kInteger:
        return static_cast<qlonglong>(integer);
      case Kind::kDouble:
        return number;
      case Kind::kString:
        return QString::fromStdString(text);
      default:
        return {};
    }
  }
  // A list cell: a number, or "none" / "stop" / "total".
  int ListCode() const {
    if (kind == Kind::kInteger || kind == Kind::kDouble) return Int();
    if (text == "none") return quarn::kNoListCode;
    if (text == "stop") return quarn::kStopListCode;
    return quarn::kTotalRowCode;
  }
};

// Reads a file for the JSON parser in blocks, telling how far it got and stopping (as at the
// end of the file) once asked to cancel.
class FileBlocks {
 public:
  FileBlocks(quarn::SequentialFile& file, const ProfileLoadControl& control)
      : file_(file), control_(control), buffer_(1 << 16) {}
  bool cancelled() const { return cancelled_; }
  const quarn::Status& status() const { return status_; }

  // The characters of the file one by one, for the parser: an input iterator whose copies
  // share the blocks; equal to the end (the default one) once the file is over.
  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;
    Iterator() = default;
    explicit Iterator(FileBlocks* blocks) : b_(blocks->Fill() ? blocks : nullptr) {}
    reference operator*() const { return *b_->at_; }
    Iterator& operator++() {
      if (++b_->at_ == b_->end_ && !b_->Fill()) b_ = nullptr;
      return *this;
    }
    bool operator==(const Iterator& other) const { return b_ == other.b_; }
    bool operator!=(const Iterator& other) const { return b_ != other.b_; }

   private:
    FileBlocks* b_ = nullptr;
  };

 private:
  bool Fill() {
    if (control_.cancel != nullptr && control_.cancel->load(std::memory_order_relaxed)) {
      cancelled_ = true;
      return false;
    }
    size_t got = 0;
    status_ = file_.Read(buffer_.size(), buffer_.data(), &got);
    if (!status_.ok() || got == 0) return false;
    done_ += got;
    if (control_.progress) control_.progress(done_);
    at_ = buffer_.data();
    end_ = at_ + got;
    return true;
  }

  quarn::SequentialFile& file_;
  const ProfileLoadControl& control_;
  std::vector<char> buffer_;
  const char* at_ = nullptr;
  const char* end_ = nullptr;
  uint64_t done_ = 0;
  bool cancelled_ = false;
  quarn::Status status_;
};

// Builds the report from the parser's events, one row at a time: no table is ever held as a
// document. Rows are read by column name, so that columns added later are kept (as extra
// columns of the word tables).
class ProfileReader {
 public:
  using json = nlohmann::json;

  explicit ProfileReader(ExplorerReport* report) : report_(*report), m_(report->model) {}

  QString error;
  bool formatOk() const { return format_ == "quarn-profile" && version_ == 1; }

  bool null() { return Scalar([](Value& v) { v.kind = Value::Kind::kNull; }); }
  bool boolean(bool b) {
    return Scalar([b](Value& v) {
      v.kind = Value::Kind::kBool;
      v.flag = b;
    });
  }
  bool number_integer(json::number_integer_t i) {
    return Scalar([i](Value& v) {
      v.kind = Value::Kind::kInteger;
      v.integer = i;
    });
  }
  bool number_unsigned(json::number_unsigned_t u) {
    if (u > static_cast<json::number_unsigned_t>(INT64_MAX)) return number_float(static_cast<double>(u), {});
    return number_integer(static_cast<int64_t>(u));
  }
  bool number_float(json::number_float_t d, const json::string_t&) {
    return Scalar([d](Value& v) {
      v.kind = Value::Kind::kDouble;
      v.number = d;
    });
  }
  bool string(json::string_t& s) {
    return Scalar([&s](Value& v) {
      v.kind = Value::Kind::kString;
      v.text.swap(s);
    });
  }
  bool binary(json::binary_t&) { return true; }

  bool key(json::string_t& k) {
    if (rowDepth_ != 0 && Depth() == rowDepth_) {
      slot_ = SlotAt(fieldIndex_++, k);
    } else {
      key_ = k;
    }
    return true;
  }

  bool start_object(std::size_t) {
    const bool parentObject = !stack_.empty() && !stack_.back().array;
    if (Depth() == 1 && key_ != "format" && key_ != "version" && !formatOk()) return NotAProfile();
    stack_.push_back({false, parentObject && rowDepth_ == 0 ? key_ : std::string()});
    if (rowDepth_ == 0 && !table_.empty() && (Depth() == 3 || Depth() == 4) &&
        Depth() == tableDepth_ + 1) {
      rowDepth_ = Depth();
      fieldIndex_ = 0;
    }
    return true;
  }

  bool end_object() {
    if (rowDepth_ != 0 && Depth() == rowDepth_) {
      Row();
      for (const int s : filled_) row_[static_cast<size_t>(s)].kind = Value::Kind::kAbsent;
      filled_.clear();
      rowDepth_ = 0;
    }
    stack_.pop_back();
    return true;
  }

  bool start_array(std::size_t) {
    const bool parentObject = !stack_.empty() && !stack_.back().array;
    const std::string k = parentObject && rowDepth_ == 0 ? key_ : std::string();
    if (Depth() == 1 && !formatOk()) return NotAProfile();
    stack_.push_back({true, k});
    if (rowDepth_ != 0) return true;
    if (Depth() == 2 && IsTable(k)) {
      BeginTable(k);
    } else if (Depth() == 3 && InRun() && (k == "texts" || k == "lists")) {
      BeginTable("run." + k);
    }
    return true;
  }

  bool end_array() {
    if (!table_.empty() && Depth() == tableDepth_ && rowDepth_ == 0) EndTable();
    stack_.pop_back();
    return true;
  }

  bool parse_error(std::size_t at, const std::string&, const nlohmann::detail::exception& e) {
    if (error.isEmpty()) error = "is not JSON (at byte " + QString::number(at) + "): " + e.what();
    return false;
  }

  // After the last event: the parts that need the whole file.
  void Finish() {
    DecideFileColumns();
    int64_t totalTokens = 0, totalTypes = 0;
    for (const quarn::SummaryRow& r : m_.summary) {
      if (r.list != quarn::kTotalRowCode) continue;
      totalTokens = r.tokens;
      totalTypes = r.types;
    }
    for (quarn::SummaryRow& r : m_.summary) {
      r.percentages = r.list != quarn::kTotalRowCode;
      r.tokensWhole = r.percentages ? totalTokens : 0;
      r.typesWhole = r.percentages ? totalTypes : 0;
    }
    m_.typeCounts = !m_.textCounts.empty();
    if (m_.typeCounts) m_.textCounts.resize(m_.run.texts.size());
  }

 private:
  struct Frame {
    bool array = false;
    std::string key;  // its member name in the object above
  };

  int Depth() const { return static_cast<int>(stack_.size()); }
  bool InRun() const { return stack_.size() >= 2 && stack_[1].key == "run" && !stack_[1].array; }
  static bool IsTable(const std::string& k) {
    return k == "summary" || k == "lists" || k == "ranges" || k == "types" || k == "families" ||
           k == "texts" || k == "type_counts";
  }

  bool NotAProfile() {
    error = "is not a Quarn profile (version 1)";
    return false;
  }

  template <typename Set>
  bool Scalar(Set set) {
    const int depth = Depth();
    if (rowDepth_ != 0) {
      if (depth == rowDepth_ && slot_ >= 0) {
        Value& v = row_[static_cast<size_t>(slot_)];
        if (v.kind == Value::Kind::kAbsent) filled_.push_back(slot_);
        set(v);
      }
      slot_ = -1;
      return true;
    }
    Value v;
    if (depth == 1) {
      set(v);
      if (key_ == "format") format_ = v.text;
      if (key_ == "version") version_ = v.Integer();
    } else if (depth == 2 && InRun()) {
      set(v);
      RunField(v);
    } else if (depth == 3 && InRun() && stack_[2].array && stack_[2].key == "char_classes") {
      set(v);
      if (m_.run.charClasses.size() < 256) m_.run.charClasses.push_back(static_cast<uint8_t>(v.Int() & 0xFF));
    }
    return true;
  }

  void RunField(const Value& v) {
    quarn::ResultsRun& run = m_.run;
    if (key_ == "results_file") run.resultsFile = v.text;
    else if (key_ == "sort") run.sortOrder = v.text;
    else if (key_ == "batch") run.batch = v.Flag(false);
    else if (key_ == "stop_list") run.stopList = v.Flag(false);
    else if (key_ == "forms") run.forms = v.Flag(true);
    else if (key_ == "others") run.others = v.Flag(true);
    else if (key_ == "numbers") run.numbers = v.Flag(true);
    else if (key_ == "ignore_angle") run.ignoreAngle = v.Flag(false);
  }

  // The slot of the key at position index of a row: rows repeat their keys in one order, so
  // the key met there in the row before is tried first.
  int SlotAt(size_t index, const std::string& k) {
    if (index < keyAt_.size() && keyAt_[index].first == k) return keyAt_[index].second;
    int slot = -1;
    if (const auto it = slots_.find(k); it != slots_.end()) {
      slot = it->second;
    } else if (slots_.size() < kMaxKeysPerTable) {
      slot = Register(k);
    }
    if (index < kMaxKeysPerTable) {
      if (keyAt_.size() <= index) keyAt_.resize(index + 1);
      keyAt_[index] = {k, slot};
    }
    return slot;
  }

  int Register(const std::string& k) {
    const auto [it, added] = slots_.try_emplace(k, static_cast<int>(names_.size()));
    if (added) {
      names_.push_back(k);
      row_.emplace_back();
    }
    return it->second;
  }

  const Value& Get(int slot) const {
    static const Value kAbsent;
    return slot >= 0 && static_cast<size_t>(slot) < row_.size() ? row_[static_cast<size_t>(slot)] : kAbsent;
  }
  const Value& Named(const char* name) {
    const auto it = slots_.find(name);
    return it == slots_.end() ? Get(-1) : Get(it->second);
  }

  void BeginTable(const std::string& name) {
    table_ = name;
    tableDepth_ = Depth();
    slots_.clear();
    names_.clear();
    row_.clear();
    filled_.clear();
    keyAt_.clear();
    rowsInTable_ = 0;
    family_ = name == "families";
    word_ = name == "types" || name == "families";
    if (word_) {
      // The known columns first, at fixed slots.
      for (const char* k : {"word", "headword", "list", "range", "freq", "type_freq", "family_freq",
                            "dp", "dp_norm"})
        Register(k);
      fileSlot_ = static_cast<int>(names_.size());
      for (int k = 1; k <= quarn::kMaxInputFiles; ++k) Register("f" + std::to_string(k));
    } else if (name == "texts") {
      for (const char* k : {"file", "tokens", "types", "tokens_stop", "tokens_none"}) Register(k);
      fileSlot_ = static_cast<int>(names_.size());
      for (int k = 1; k <= quarn::kMaxLists; ++k) Register("tokens_" + std::to_string(k));
    }
  }

  void EndTable() {
    table_.clear();
    tableDepth_ = 0;
    word_ = false;
  }

  // f1..fN: as many as the first word row carries (at most the run's texts and file columns),
  // else as the run had them.
  void DecideFileColumns() {
    if (fileColumnsKnown_) return;
    fileColumnsKnown_ = true;
    const int texts = static_cast<int>(std::min<size_t>(m_.run.texts.size(), INT32_MAX));
    const int most = m_.run.batch ? 1 : texts > quarn::kMaxInputFiles ? 0 : texts;
    if (!word_ || rowsInTable_ == 0) {
      m_.fileColumns = most;
      return;
    }
    int n = 0;
    while (n < most && Get(fileSlot_ + n).kind != Value::Kind::kAbsent) ++n;
    m_.fileColumns = n;
  }

  void Row() {
    ++rowsInTable_;
    if (word_) return WordRow();
    if (table_ == "summary") {
      quarn::SummaryRow r;
      r.list = Named("list").ListCode();
      r.tokens = Named("tokens").Integer();
      r.types = Named("types").Integer();
      const Value& families = Named("families");
      if (families.kind == Value::Kind::kInteger || families.kind == Value::Kind::kDouble)
        r.families = families.Integer();
      m_.summary.push_back(r);
    } else if (table_ == "lists") {
      m_.lists.push_back({Named("list").Int(), Named("file").text, Named("types").Integer(),
                          Named("families").Integer()});
    } else if (table_ == "ranges") {
      m_.ranges.push_back({Named("unit").text == "family", Named("files").Int(), Named("count").Integer()});
    } else if (table_ == "texts") {
      TextRow();
    } else if (table_ == "type_counts") {
      CountRow();
    } else if (table_ == "run.texts") {
      m_.run.texts.push_back({Named("file").text, Named("lines").Integer(), Named("words").Integer()});
    } else if (table_ == "run.lists") {
      if (m_.run.lists.size() < static_cast<size_t>(quarn::kMaxLists))
        m_.run.lists.push_back({Named("list").Int(), Named("file").text, Named("used").Flag(false)});
    }
  }

  void WordRow() {
    if (rowsInTable_ == 1) {
      DecideFileColumns();
      QStringList& names = family_ ? report_.familyExtraNames : report_.typeExtraNames;
      extraSlots_.clear();
      for (size_t s = static_cast<size_t>(fileSlot_ + quarn::kMaxInputFiles); s < names_.size(); ++s) {
        if (row_[s].kind == Value::Kind::kAbsent || IsFileKey(names_[s])) continue;
        if (names.size() >= kMaxExtraColumns) break;
        names.append(QString::fromStdString(names_[s]));
        extraSlots_.push_back(static_cast<int>(s));
      }
      (family_ ? report_.familyExtra : report_.typeExtra).assign(extraSlots_.size(), {});
    }
    quarn::WordRow r;
    // Slots: word 0, headword 1, list 2, range 3, freq 4, type_freq 5, family_freq 6, dp 7, dp_norm 8.
    quarn::Utf8ToCp1252(Get(family_ ? 1 : 0).text, &r.word);
    r.list = Get(2).ListCode();
    r.range = Get(3).Int();
    r.freq = Get(family_ ? 5 : 4).Integer();
    r.familyFreq = Get(6).Integer();
    r.dp = Get(7).Number();
    r.dpNorm = Get(8).Number();
    r.fileCounts.resize(static_cast<size_t>(m_.fileColumns));
    for (int k = 0; k < m_.fileColumns; ++k) r.fileCounts[static_cast<size_t>(k)] = Get(fileSlot_ + k).Int();
    auto& extra = family_ ? report_.familyExtra : report_.typeExtra;
    for (size_t c = 0; c < extraSlots_.size(); ++c) extra[c].push_back(Get(extraSlots_[c]).Variant());
    (family_ ? m_.families : m_.types).push_back(std::move(r));
  }

  static bool IsFileKey(const std::string& k) {
    return k.size() > 1 && k[0] == 'f' &&
           std::all_of(k.begin() + 1, k.end(), [](char c) { return c >= '0' && c <= '9'; });
  }

  void TextRow() {
    quarn::TextRow r;
    r.file = Get(0).text;
    r.tokens = Get(1).Integer();
    r.types = Get(2).Integer();
    r.stopTokens = Get(3).Integer();
    r.noneTokens = Get(4).Integer();
    const int lists = static_cast<int>(m_.run.lists.size());
    for (int k = 0; k < lists; ++k) r.listTokens.push_back(Get(fileSlot_ + k).Integer());
    m_.texts.push_back(std::move(r));
  }

  // A row of type_counts: the text is found by its file, the texts in their order.
  void CountRow() {
    const std::string& file = Named("file").text;
    const size_t texts = m_.run.texts.size();
    if (texts == 0) return;
    if (countText_ >= texts || m_.run.texts[countText_].file != file) {
      size_t k = countText_;
      while (k < texts && m_.run.texts[k].file != file) ++k;
      if (k == texts) {
        k = 0;
        while (k < texts && m_.run.texts[k].file != file) ++k;
        if (k == texts) return;
      }
      countText_ = k;
    }
    std::string word;
    quarn::Utf8ToCp1252(Named("word").text, &word);
    const auto [at, added] = countIndex_.try_emplace(std::move(word), static_cast<int32_t>(countIndex_.size()));
    if (added) m_.countWords.push_back(at->first);
    if (m_.textCounts.size() <= countText_) m_.textCounts.resize(countText_ + 1);
    m_.textCounts[countText_].push_back({at->second, Named("freq").Integer()});
  }

  ExplorerReport& report_;
  quarn::ResultsModel& m_;
  std::vector<Frame> stack_;
  std::string key_;
  std::string format_;
  int64_t version_ = 0;
  // The table being read, and the row.
  std::string table_;
  int tableDepth_ = 0;
  int rowDepth_ = 0;
  size_t fieldIndex_ = 0;
  int slot_ = -1;
  bool word_ = false, family_ = false;
  int fileSlot_ = 0;
  int64_t rowsInTable_ = 0;
  std::unordered_map<std::string, int> slots_;
  std::vector<std::string> names_;
  std::vector<Value> row_;
  std::vector<int> filled_;
  std::vector<std::pair<std::string, int>> keyAt_;
  std::vector<int> extraSlots_;
  bool fileColumnsKnown_ = false;
  size_t countText_ = 0;
  std::unordered_map<std::string, int32_t> countIndex_;
};

}  // namespace

QString WordText(const std::string& cp1252) {
  std::string utf8;
  quarn::Cp1252ToUtf8(cp1252, &utf8);
  return QString::fromStdString(utf8);
}

std::string WordBytes(const QString& text) {
  std::string out;
  quarn::Utf8ToCp1252(text.toStdString(), &out);
  return out;
}

std::vector<ExplorerReport> TakeKeptReports(std::vector<quarn::ResultsModel> kept) {
  std::vector<ExplorerReport> reports;
  for (quarn::ResultsModel& m : kept) {
    ExplorerReport r;
    QString name;
    if (m.run.batch && !m.run.texts.empty()) {
      name = BaseName(m.run.texts.front().file);
    } else {
      name = BaseName(m.run.resultsFile);
    }
    r.title = name.isEmpty() ? "Results" : name;
    r.model = std::move(m);
    // The texts' counts beyond the file columns are exported as type_counts again.
    r.model.typeCounts = !r.model.textCounts.empty();
    reports.push_back(std::move(r));
  }
  return reports;
}

ExplorerSource SourceOfRun(quarn::Engine& e, const quarn::RunOptions& options,
                           const std::vector<uint8_t>& runClasses) {
  ExplorerSource s;
  s.listFolder = e.ProgramFolder;
  s.listCount = e.ListCount;
  s.cutting.ignoreAngle = options.Ignore_Angle;
  s.cutting.encoding = e.encoding;
  // The table the run cut its texts with, so that quarn.txt changed since does not move the
  // marks; read again (the default table when it cannot be) only when the run did not say.
  if (runClasses.size() == s.cutting.classes.classes.size()) {
    std::copy(runClasses.begin(), runClasses.end(), s.cutting.classes.classes.begin());
    s.cutting.classes.classes[0] = 0;
  } else if (!quarn::BuildCharClassTable(e.fs, e.ProgramFolder, &s.cutting.classes, e.encoding)
                  .ok()) {
    s.cutting.classes = quarn::DefaultCharClassTable();
  }
  if (e.stopList) {
    for (const std::string& w : e.stopList->entries()) s.stopWords.insert(w);
  }
  return s;
}

bool LoadProfileJson(quarn::FileSystem& fs, const QString& path, ExplorerReport* report,
                     QString* error, const ProfileLoadControl& control) {
  const std::string enginePath = QFile::encodeName(path).toStdString();
  // A pipe or a device would block the reader or never end.
  if (!fs.IsRegularFile(enginePath)) {
    *error = "Cannot open " + path + ": not a file";
    return false;
  }
  std::unique_ptr<quarn::SequentialFile> file;
  if (const quarn::Status s = fs.NewSequentialFile(enginePath, &file); !s.ok()) {
    *error = "Cannot open " + path + ": " + QString::fromStdString(quarn::MessageToUtf8(s.ToString()));
    return false;
  }
  ExplorerReport loaded;
  FileBlocks buffer(*file, control);
  ProfileReader reader(&loaded);
  const bool parsed =
      nlohmann::json::sax_parse(FileBlocks::Iterator(&buffer), FileBlocks::Iterator(), &reader);
  if (buffer.cancelled()) {
    *error = "Opening " + path + " was cancelled";
    return false;
  }
  if (!buffer.status().ok()) {
    *error = "Cannot read " + path + ": " + QString::fromStdString(quarn::MessageToUtf8(buffer.status().ToString()));
    return false;
  }
  if (!reader.formatOk() && (parsed || reader.error.startsWith("is not a Quarn"))) {
    *error = path + " is not a Quarn profile (version 1)";
    return false;
  }
  if (!parsed) {
    *error = path + " " + (reader.error.isEmpty() ? QString("is not JSON") : reader.error);
    return false;
  }
  reader.Finish();
  *report = std::move(loaded);
  report->title = BaseName(report->model.run.resultsFile);
  if (report->title.isEmpty()) report->title = path.mid(path.lastIndexOf('/') + 1);
  return true;
}

bool LoadProfileJson(const QString& path, ExplorerReport* report, QString* error) {
  return LoadProfileJson(*quarn::FileSystem::Default(), path, report, error, {});
}

std::unique_ptr<quarn::WordRowSource> HeldWordRows(const quarn::ResultsModel& model) {
  class Held : public quarn::WordRowSource {
   public:
    explicit Held(const quarn::ResultsModel& m) : m_(m) {}
    quarn::Status ForEach(bool families, const std::function<bool(const quarn::WordRow&)>& row) override {
      for (const quarn::WordRow& r : families ? m_.families : m_.types) {
        if (!row(r)) break;
      }
      return quarn::Status::OK();
    }
    quarn::Status ForEachCount(
        const std::function<bool(std::string_view word, int text, int64_t freq)>& count) override {
      for (size_t k = 0; k < m_.textCounts.size(); ++k) {
        for (const quarn::ResultsModel::TextCount& c : m_.textCounts[k]) {
          if (c.word < 0 || static_cast<size_t>(c.word) >= m_.countWords.size()) continue;
          if (!count(m_.countWords[static_cast<size_t>(c.word)], static_cast<int>(k + 1), c.count))
            return quarn::Status::OK();
        }
      }
      return quarn::Status::OK();
    }

   private:
    const quarn::ResultsModel& m_;
  };
  return std::make_unique<Held>(model);
}
