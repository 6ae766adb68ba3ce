// Reading files off the window's thread for one view. A job runs on a thread of its own while
// the window goes on; what it read is then applied on the window's thread, unless a later job or
// Cancel came first: a later choice wins and the earlier result is dropped. A job is given only
// what it owns or shares (copies of paths and settings, the file system), never the view, so
// that whatever the window frees meanwhile (a report, the view itself) the job does not touch.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class BackgroundReader {
 public:
  // What to do with a job's result, run on the window's thread.
  using Apply = std::function<void()>;
  // Reads on a worker thread, setting progress (0..1000) when it can tell and stopping soon once
  // cancel is set; returns what to do with what it read.
  using Job = std::function<Apply(const std::atomic<bool>& cancel, std::atomic<int>& progress)>;

  // owner is the view that applies the results; the reader is a member of it, so that it is
  // gone before the owner's QObject part and no result reaches a view being destroyed.
  explicit BackgroundReader(QObject* owner);
  // Cancels the jobs under way and waits for them to stop (at their next line; a read the file
  // system holds up holds this up as well). Their results are dropped.
  ~BackgroundReader();
  BackgroundReader(const BackgroundReader&) = delete;
  BackgroundReader& operator=(const BackgroundReader&) = delete;

  // Starts job, cancelling the one under way.
  void Start(Job job);
  // Tells the job under way to stop; its result is never applied.
  void Cancel();
  // A job is under way whose result will be applied.
  bool busy() const { return current_ != nullptr; }

  // Called on the window's thread with the progress of the job under way, a few times a second.
  std::function<void(int progress)> onProgress;

 private:
  struct Task {
    std::thread thread;
    std::atomic<bool> cancel{false};
    std::atomic<int> progress{0};
  };
  void Finished(const std::shared_ptr<Task>& task, Apply apply);

  QObject* owner_;
  std::shared_ptr<Task> current_;
  std::vector<std::shared_ptr<Task>> tasks_;  // every task whose thread is not joined yet
  QTimer tick_;
};
