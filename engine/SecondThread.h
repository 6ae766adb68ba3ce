// Work handed to a second thread when the system gives one. Without one, Start reports it and
// the caller does the work itself: a second thread only ever saves time, it is never needed.
#pragma once

#include <system_error>
#include <thread>
#include <utility>

namespace quarn {

class SecondThread {
 public:
  SecondThread() = default;
  SecondThread(const SecondThread&) = delete;
  SecondThread& operator=(const SecondThread&) = delete;
  // Whoever leaves early (no memory) still waits for the work handed over.
  ~SecondThread() { Join(); }

  // Runs work on a thread of its own and returns true, or returns false, having run nothing,
  // when there is no thread to spare. At most one work at a time: Join before the next.
  template <typename Work>
  bool Start(Work&& work) {
    try {
      thread_ = std::thread(std::forward<Work>(work));
    } catch (const std::system_error&) {
      return false;
    }
    return true;
  }
  bool running() const { return thread_.joinable(); }
  // Waits for the work handed over, if any.
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

}  // namespace quarn
