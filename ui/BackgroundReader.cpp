#include "BackgroundReader.h"

#include <algorithm>

BackgroundReader::BackgroundReader(QObject* owner) : owner_(owner) {
  tick_.setInterval(100);
  QObject::connect(&tick_, &QTimer::timeout, [this] {
    if (current_ != nullptr && onProgress) onProgress(current_->progress.load());
  });
}

BackgroundReader::~BackgroundReader() {
  for (const auto& task : tasks_) task->cancel = true;
  for (const auto& task : tasks_) {
    if (task->thread.joinable()) task->thread.join();
  }
  // Results posted meanwhile are dropped with the owner's pending events.
}

void BackgroundReader::Start(Job job) {
  Cancel();
  auto task = std::make_shared<Task>();
  current_ = task;
  tasks_.push_back(task);
  // The thread holds its task by a plain pointer: tasks_ keeps it until the thread is joined,
  // and the last owner of a task never is the thread itself.
  Task* running = task.get();
  task->thread = std::thread([this, running, job = std::move(job)] {
    Apply apply = job(running->cancel, running->progress);
    // Delivered on the owner's thread; dropped if the owner is destroyed first (it cannot be
    // before this thread is joined, but the event may still be pending then).
    QMetaObject::invokeMethod(
        owner_,
        [this, running, apply = std::move(apply)]() mutable {
          const auto it = std::find_if(tasks_.begin(), tasks_.end(),
                                       [running](const auto& t) { return t.get() == running; });
          if (it != tasks_.end()) Finished(*it, std::move(apply));
        },
        Qt::QueuedConnection);
  });
  tick_.start();
}

void BackgroundReader::Cancel() {
  if (current_ == nullptr) return;
  current_->cancel = true;
  current_.reset();
  tick_.stop();
}

void BackgroundReader::Finished(const std::shared_ptr<Task>& done, Apply apply) {
  const std::shared_ptr<Task> task = done;  // done refers into tasks_, changed below
  if (task->thread.joinable()) task->thread.join();
  tasks_.erase(std::find(tasks_.begin(), tasks_.end(), task));
  if (task != current_) return;  // a later job or Cancel came first
  current_.reset();
  tick_.stop();
  if (apply) apply();
}
