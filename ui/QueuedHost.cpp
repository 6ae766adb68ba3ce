#include "QueuedHost.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <utility>

QueuedHost::QueuedHost(quarn::Host& target, QObject* parent) : QObject(parent), target_(target) {}

bool QueuedHost::OnOwnThread() const { return QThread::currentThread() == thread(); }

template <typename Work>
void QueuedHost::Post(Work work) {
  QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void QueuedHost::BeginRun(const quarn::ProgressLog& shownLog) {
  shown_ = shownLog;
  std::lock_guard<std::mutex> lock(mu_);
  abandoned_ = false;
  linesPending_ = false;
  pendingLines_.clear();
  pendingProgress_.reset();
  answer_.reset();
}

void QueuedHost::EndRun() { FlushProgress(); }

void QueuedHost::Abandon() {
  std::lock_guard<std::mutex> lock(mu_);
  abandoned_ = true;
  answered_.notify_all();
}

void QueuedHost::InputLinesRemoved(const std::vector<size_t>& indexes) {
  if (OnOwnThread()) return target_.InputLinesRemoved(indexes);
  // The lines shown before the removal come first.
  Post([this, indexes] {
    FlushProgress();
    target_.InputLinesRemoved(indexes);
  });
}

void QueuedHost::ResultsFileNameChanged(const std::string& name) {
  if (OnOwnThread()) return target_.ResultsFileNameChanged(name);
  Post([this, name] { target_.ResultsFileNameChanged(name); });
}

void QueuedHost::ProgressChanged(const quarn::ProgressLog& log, size_t first) {
  if (OnOwnThread()) return target_.ProgressChanged(log, first);
  first = std::min(first, log.lines.size());
  std::lock_guard<std::mutex> lock(mu_);
  if (!linesPending_ || first < pendingFirst_) {
    // Everything from first on is new; what was waiting from a later line on is in it.
    if (linesPending_ && first < pendingFirst_) pendingLines_.clear();
    pendingFirst_ = first;
    pendingLines_.assign(log.lines.begin() + static_cast<std::ptrdiff_t>(first), log.lines.end());
    linesPending_ = true;
  } else {
    const size_t keep = std::min(first - pendingFirst_, pendingLines_.size());
    pendingLines_.resize(keep);
    pendingLines_.insert(pendingLines_.end(),
                         log.lines.begin() + static_cast<std::ptrdiff_t>(pendingFirst_ + keep),
                         log.lines.end());
  }
  if (!flushPosted_) {
    flushPosted_ = true;
    Post([this] { FlushProgress(); });
  }
}

void QueuedHost::RunProgressChanged(const quarn::RunProgress& progress) {
  if (OnOwnThread()) return target_.RunProgressChanged(progress);
  std::lock_guard<std::mutex> lock(mu_);
  pendingProgress_ = progress;
  if (!flushPosted_) {
    flushPosted_ = true;
    Post([this] { FlushProgress(); });
  }
}

void QueuedHost::FlushProgress() {
  bool lines = false;
  size_t first = 0;
  std::vector<std::string> tail;
  std::optional<quarn::RunProgress> progress;
  {
    std::lock_guard<std::mutex> lock(mu_);
    flushPosted_ = false;
    if (abandoned_) return;
    lines = linesPending_;
    first = pendingFirst_;
    tail.swap(pendingLines_);
    linesPending_ = false;
    progress.swap(pendingProgress_);
  }
  if (lines) {
    shown_.lines.resize(std::min(first, shown_.lines.size()));
    first = shown_.lines.size() < first ? shown_.lines.size() : first;
    for (std::string& line : tail) shown_.lines.push_back(std::move(line));
    shown_.lastIndex = shown_.lines.empty() ? 0 : shown_.lines.size() - 1;
    target_.ProgressChanged(shown_, first);
  }
  if (progress) target_.RunProgressChanged(*progress);
}

bool QueuedHost::MessageBox(const std::string& text, bool withCancel) {
  if (OnOwnThread()) return target_.MessageBox(text, withCancel);
  std::unique_lock<std::mutex> lock(mu_);
  if (abandoned_) return false;
  answer_.reset();
  lock.unlock();
  Post([this, text, withCancel] {
    FlushProgress();  // the lines that led to the question are shown with it
    {
      std::lock_guard<std::mutex> guard(mu_);
      if (abandoned_) return;
    }
    const bool ok = target_.MessageBox(text, withCancel);
    std::lock_guard<std::mutex> guard(mu_);
    answer_ = ok;
    answered_.notify_all();
  });
  lock.lock();
  answered_.wait(lock, [this] { return answer_.has_value() || abandoned_; });
  return answer_.value_or(false);
}
