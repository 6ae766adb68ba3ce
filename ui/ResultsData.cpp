#include "ResultsData.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include "QuarnHeader.h"
#include "state/Engine.h"
#include "text/CharClassTable.h"
#include "text/TextEncoding.h"

namespace {

QString BaseName(const std::string& path) {
  const QString p = QString::fromStdString(quarn::MessageToUtf8(path));
  return p.mid(p.lastIndexOf('/') + 1);
}

// A list cell: a number, or "none" / "stop" / "total".
int ListCode(const QJsonValue& v) {
  if (v.isDouble()) return v.toInt();
  const QString s = v.toString();
  if (s == "none") return quarn::kNoListCode;
  if (s == "stop") return quarn::kStopListCode;
  return quarn::kTotalRowCode;
}

std::string EngineName(const QJsonValue& v) { return v.toString().toStdString(); }

// The word rows of one table, their extra columns set aside.
void ReadWordRows(const QJsonArray& rows, bool family, int fileColumns,
                  std::vector<quarn::WordRow>* out, QStringList* extraNames,
                  std::vector<std::vector<QVariant>>* extra) {
  QSet<QString> known = {family ? "headword" : "word", "list", "range",
                         family ? "type_freq" : "freq", "family_freq"};
  for (int k = 1; k <= fileColumns; ++k) known.insert("f" + QString::number(k));
  if (!rows.isEmpty()) {
    for (const QString& key : rows.first().toObject().keys()) {
      if (!known.contains(key)) extraNames->append(key);
    }
  }
  extra->assign(static_cast<size_t>(extraNames->size()), {});
  // The keys made once: a table may have hundreds of thousands of rows.
  const QString wordKey = family ? "headword" : "word";
  const QString freqKey = family ? "type_freq" : "freq";
  const QString listKey = "list", rangeKey = "range", familyFreqKey = "family_freq";
  QStringList fileKeys;
  for (int k = 1; k <= fileColumns; ++k) fileKeys << "f" + QString::number(k);
  out->reserve(static_cast<size_t>(rows.size()));
  for (const QJsonValue& value : rows) {
    const QJsonObject o = value.toObject();
    quarn::WordRow r;
    r.word = WordBytes(o.value(wordKey).toString());
    r.list = ListCode(o.value(listKey));
    r.range = o.value(rangeKey).toInt();
    r.freq = static_cast<int64_t>(o.value(freqKey).toDouble());
    r.familyFreq = static_cast<int64_t>(o.value(familyFreqKey).toDouble());
    r.fileCounts.reserve(static_cast<size_t>(fileColumns));
    for (const QString& key : fileKeys) r.fileCounts.push_back(o.value(key).toInt());
    for (qsizetype c = 0; c < extraNames->size(); ++c) {
      (*extra)[static_cast<size_t>(c)].push_back(o.value((*extraNames)[c]).toVariant());
    }
    out->push_back(std::move(r));
  }
}

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

std::vector<ExplorerReport> TakeKeptReports(quarn::Engine& e) {
  std::vector<ExplorerReport> reports;
  for (quarn::ResultsModel& m : e.keptResults) {
    ExplorerReport r;
    QString name;
    if (m.run.batch && !m.run.texts.empty()) {
      name = BaseName(m.run.texts.front().file);
    } else {
      name = BaseName(m.run.resultsFile);
    }
    r.title = name.isEmpty() ? "Results" : name;
    r.model = std::move(m);
    reports.push_back(std::move(r));
  }
  e.keptResults.clear();
  return reports;
}

ExplorerSource SourceOfRun(quarn::Engine& e) {
  ExplorerSource s;
  s.listFolder = e.ProgramFolder;
  s.listCount = e.ListCount;
  s.cutting.ignoreAngle = e.options.Ignore_Angle;
  s.cutting.encoding = e.encoding;
  // The table the run built from quarn.txt; the default one when the file cannot be read now.
  if (!quarn::BuildCharClassTable(e.fs, e.ProgramFolder, &s.cutting.classes, e.encoding).ok()) {
    s.cutting.classes = quarn::DefaultCharClassTable();
  }
  if (e.stopList) {
    for (const std::string& w : e.stopList->entries()) s.stopWords.insert(w);
  }
  return s;
}

bool LoadProfileJson(const QString& path, ExplorerReport* report, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = "Cannot open " + path + ": " + file.errorString();
    return false;
  }
  QJsonParseError parseError;
  const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
  if (doc.isNull()) {
    *error = path + " is not JSON: " + parseError.errorString();
    return false;
  }
  const QJsonObject root = doc.object();
  if (root.value("format").toString() != "quarn-profile" || root.value("version").toInt() != 1) {
    *error = path + " is not a Quarn profile (version 1)";
    return false;
  }
  quarn::ResultsModel m;
  const QJsonObject run = root.value("run").toObject();
  m.run.resultsFile = EngineName(run.value("results_file"));
  m.run.sortOrder = run.value("sort").toString().toStdString();
  m.run.batch = run.value("batch").toBool();
  m.run.stopList = run.value("stop_list").toBool();
  m.run.forms = run.value("forms").toBool(true);
  m.run.others = run.value("others").toBool(true);
  m.run.numbers = run.value("numbers").toBool(true);
  for (const QJsonValue& v : run.value("texts").toArray()) {
    const QJsonObject t = v.toObject();
    m.run.texts.push_back({EngineName(t.value("file")),
                           static_cast<int64_t>(t.value("lines").toDouble()),
                           static_cast<int64_t>(t.value("words").toDouble())});
  }
  for (const QJsonValue& v : run.value("lists").toArray()) {
    const QJsonObject l = v.toObject();
    m.run.lists.push_back({l.value("list").toInt(), EngineName(l.value("file")),
                           l.value("used").toBool()});
  }

  int64_t totalTokens = 0, totalTypes = 0;
  for (const QJsonValue& v : root.value("summary").toArray()) {
    const QJsonObject o = v.toObject();
    if (ListCode(o.value("list")) != quarn::kTotalRowCode) continue;
    totalTokens = static_cast<int64_t>(o.value("tokens").toDouble());
    totalTypes = static_cast<int64_t>(o.value("types").toDouble());
  }
  for (const QJsonValue& v : root.value("summary").toArray()) {
    const QJsonObject o = v.toObject();
    quarn::SummaryRow r;
    r.list = ListCode(o.value("list"));
    r.tokens = static_cast<int64_t>(o.value("tokens").toDouble());
    r.types = static_cast<int64_t>(o.value("types").toDouble());
    r.percentages = r.list != quarn::kTotalRowCode;
    r.tokensWhole = r.percentages ? totalTokens : 0;
    r.typesWhole = r.percentages ? totalTypes : 0;
    if (!o.value("families").isNull()) r.families = static_cast<int64_t>(o.value("families").toDouble());
    m.summary.push_back(r);
  }
  for (const QJsonValue& v : root.value("lists").toArray()) {
    const QJsonObject o = v.toObject();
    m.lists.push_back({o.value("list").toInt(), EngineName(o.value("file")),
                       static_cast<int64_t>(o.value("types").toDouble()),
                       static_cast<int64_t>(o.value("families").toDouble())});
  }
  for (const QJsonValue& v : root.value("ranges").toArray()) {
    const QJsonObject o = v.toObject();
    m.ranges.push_back({o.value("unit").toString() == "family", o.value("files").toInt(),
                        static_cast<int64_t>(o.value("count").toDouble())});
  }

  // The per-file columns f1..fN: as many as the word rows carry, else one per text.
  const QJsonArray types = root.value("types").toArray();
  const QJsonArray families = root.value("families").toArray();
  const QJsonObject sample = !types.isEmpty() ? types.first().toObject()
                             : !families.isEmpty() ? families.first().toObject()
                                                   : QJsonObject();
  if (!sample.isEmpty()) {
    while (sample.contains("f" + QString::number(m.fileColumns + 1))) ++m.fileColumns;
  } else {
    m.fileColumns = m.run.batch ? 1 : static_cast<int>(m.run.texts.size());
  }
  ReadWordRows(types, false, m.fileColumns, &m.types, &report->typeExtraNames, &report->typeExtra);
  ReadWordRows(families, true, m.fileColumns, &m.families, &report->familyExtraNames,
               &report->familyExtra);

  const int lists = static_cast<int>(m.run.lists.size());
  for (const QJsonValue& v : root.value("texts").toArray()) {
    const QJsonObject o = v.toObject();
    quarn::TextRow r;
    r.file = EngineName(o.value("file"));
    r.tokens = static_cast<int64_t>(o.value("tokens").toDouble());
    r.types = static_cast<int64_t>(o.value("types").toDouble());
    for (int k = 1; k <= lists; ++k) {
      r.listTokens.push_back(static_cast<int64_t>(o.value("tokens_" + QString::number(k)).toDouble()));
    }
    r.stopTokens = static_cast<int64_t>(o.value("tokens_stop").toDouble());
    r.noneTokens = static_cast<int64_t>(o.value("tokens_none").toDouble());
    m.texts.push_back(std::move(r));
  }
  report->model = std::move(m);
  const QString name = path.mid(path.lastIndexOf('/') + 1);
  report->title = BaseName(report->model.run.resultsFile);
  if (report->title.isEmpty()) report->title = name;
  return true;
}
