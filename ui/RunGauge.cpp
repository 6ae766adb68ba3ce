#include "RunGauge.h"

#include <QLocale>
#include <algorithm>


namespace {

using Phase = quarn::RunProgress::Phase;

// Where each phase of a one-report run begins.
// While scanning the share is that of the bytes read (what the figures beside it say); the
// phases after the scan share the last few per cent.
constexpr double kScanEnd = 0.97;
constexpr double kLoading = 0.97;
constexpr double kUpdating = 0.975;
constexpr double kMarking = 0.98;
constexpr double kMarkingEnd = 0.99;
constexpr double kSorting = 0.99;
constexpr double kWriting = 0.995;

// "1.2 of 3.4 MB", or in KB for less than a megabyte in all.
QString BytesOf(quint64 read, quint64 total) {
  if (total < 1048576)
    return QString("%1 of %2 KB").arg((read + 1023) / 1024).arg((total + 1023) / 1024);
  return QString("%1 of %2 MB")
      .arg(QString::number(read / 1048576.0, 'f', 1))
      .arg(QString::number(total / 1048576.0, 'f', 1));
}

QString Clock(qint64 ms) {
  const qint64 seconds = ms / 1000;
  return QString("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
}

}  // namespace

void RunGauge::Start(bool batch) {
  batch_ = batch;
  done_ = 0;
  last_ = quarn::RunProgress{};
}

double RunGauge::Share(const quarn::RunProgress& p, bool batch) {
  double read = 0;
  if (p.bytesTotal > 0) {
    read = std::min(1.0, static_cast<double>(p.bytesRead) / static_cast<double>(p.bytesTotal));
  } else if (p.files > 0 && p.phase == Phase::kScanning) {
    read = static_cast<double>(std::max(0, p.file - 1)) / p.files;
  }
  // A batch run writes a report after every file: the bytes read are the measure.
  if (batch) return read * 0.99;
  switch (p.phase) {
    case Phase::kScanning:
      return read * kScanEnd;
    case Phase::kLoadingLists:
      return kLoading;
    case Phase::kUpdatingLists:
      return kUpdating;
    case Phase::kMarking:
      return kMarking +
             (p.files > 0 ? (kMarkingEnd - kMarking) * std::max(0, p.file - 1) / p.files : 0);
    case Phase::kSorting:
      return kSorting;
    case Phase::kWritingReport:
      return kWriting;
  }
  return 0;
}

double RunGauge::Update(const quarn::RunProgress& progress) {
  last_ = progress;
  done_ = std::max(done_, Share(progress, batch_));
  return done_;
}

QString RunGauge::Text(qint64 elapsedMs) const {
  QString phase;
  switch (last_.phase) {
    case Phase::kScanning:
      phase = QString("Scanning file %1 of %2").arg(last_.file).arg(last_.files);
      break;
    case Phase::kLoadingLists:
      phase = "Loading lists";
      break;
    case Phase::kUpdatingLists:
      phase = "Updating lists";
      break;
    case Phase::kMarking:
      phase = QString("Marking file %1 of %2").arg(last_.file).arg(last_.files);
      break;
    case Phase::kSorting:
      phase = "Sorting";
      break;
    case Phase::kWritingReport:
      phase = "Writing the report";
      break;
  }
  QString text = phase;
  if (last_.bytesTotal > 0)
    text += ", " + BytesOf(std::min(last_.bytesRead, last_.bytesTotal), last_.bytesTotal);
  text += ", " + Clock(elapsedMs) + " so far";
  // Too early a guess is noise: wait for a second and a few per cent.
  if (done_ >= 0.02 && elapsedMs >= 1000) {
    const auto left = static_cast<qint64>(elapsedMs * (1 - done_) / done_);
    text += ", about " + Clock(left) + " left";
  }
  return text;
}

QString RunEndText(const quarn::RunOutcome& outcome, int textsRun, qint64 elapsedMs) {
  switch (outcome.end) {
    case quarn::RunEnd::kCancelled:
      return "Run cancelled";
    case quarn::RunEnd::kFailed:
      return "Run ended with an error";
    case quarn::RunEnd::kStopped:
      return "Run stopped";
    case quarn::RunEnd::kFinished:
      break;
  }
  const QLocale english(QLocale::English);
  int64_t texts = 0;
  int64_t tokens = 0;
  for (const quarn::ResultsModel& m : outcome.keptResults) {
    texts += static_cast<int64_t>(m.run.texts.size());
    for (const quarn::TextRow& t : m.texts) tokens += t.tokens;
  }
  if (outcome.keptResults.empty()) texts = textsRun;
  QString text = "Finished: " + english.toString(static_cast<qlonglong>(texts)) +
                 (texts == 1 ? " text" : " texts");
  if (!outcome.keptResults.empty())
    text += ", " + english.toString(static_cast<qlonglong>(tokens)) +
            (tokens == 1 ? " token" : " tokens");
  return text + " in " + QString::number(static_cast<double>(elapsedMs) / 1000.0, 'f', 1) + " s";
}
