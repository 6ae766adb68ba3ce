// The Host the engine sees when it may run on a thread other than the window's. Calls made on
// the window's thread go straight to the window; calls from a run on another thread reach the
// window as queued calls, in order, on the window's thread:
// - the input lines the run removes reach the window by a queued call;
// - progress lines and progress figures are coalesced: however fast the run reports, the window
//   takes the latest state once per turn of its event loop;
// - a message box blocks the run's thread, and only it, until the window has an answer.
#pragma once

#include <QObject>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Host.h"
#include "state/Messages.h"

class QueuedHost : public QObject, public quarn::Host {
  Q_OBJECT
 public:
  // target lives on this object's thread and outlives it.
  explicit QueuedHost(quarn::Host& target, QObject* parent = nullptr);

  // Called on this object's thread before a run starts elsewhere: the progress log as the window
  // shows it now.
  void BeginRun(const quarn::ProgressLog& shownLog);
  // Called on this object's thread once the run's thread has ended: passes on what is still
  // waiting. Calls from then on go straight to the target.
  void EndRun();
  // The window is going while a run lasts: a question waiting, or asked from now on, is answered
  // Cancel, and nothing more reaches the target.
  void Abandon();

  // --- quarn::Host ---
  void InputLinesRemoved(const std::vector<size_t>& indexes) override;
  void ResultsFileNameChanged(const std::string& name) override;
  void ProgressChanged(const quarn::ProgressLog& log, size_t first) override;
  bool MessageBox(const std::string& text, bool withCancel) override;
  void RunProgressChanged(const quarn::RunProgress& progress) override;

 private:
  bool OnOwnThread() const;
  // Runs work on this object's thread, after the calls queued before it.
  template <typename Work>
  void Post(Work work);
  // On this object's thread: hands the waiting progress lines and figures to the target.
  void FlushProgress();

  quarn::Host& target_;

  std::mutex mu_;
  std::condition_variable answered_;
  bool abandoned_ = false;
  // Progress lines not yet shown: lines from pendingFirst_ on are pendingLines_.
  bool linesPending_ = false;
  size_t pendingFirst_ = 0;
  std::vector<std::string> pendingLines_;
  std::optional<quarn::RunProgress> pendingProgress_;
  bool flushPosted_ = false;
  // The question being asked, when one is.
  std::optional<bool> answer_;

  // On this object's thread: the log as the window was last given it.
  quarn::ProgressLog shown_;
};
