// Status: the outcome of an operation that can fail, as a value.
// An ok Status carries nothing; a failed one names the file concerned and the system's reason.
#pragma once

#include <string>
#include <utility>

namespace quarn {

class Status {
 public:
  Status() = default;  // ok
  static Status OK() { return Status(); }
  // A failed file operation on `path`, for `reason` (e.g. strerror text).
  static Status IOError(std::string path, std::string reason) {
    return Status(std::move(path), std::move(reason));
  }

  bool ok() const { return !failed_; }
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }
  // "path: reason", or "reason" when no path is known; empty when ok.
  std::string ToString() const {
    if (!failed_) return std::string();
    return path_.empty() ? reason_ : path_ + ": " + reason_;
  }

 private:
  Status(std::string path, std::string reason)
      : failed_(true), path_(std::move(path)), reason_(std::move(reason)) {}
  bool failed_ = false;
  std::string path_;
  std::string reason_;
};

}  // namespace quarn
