#pragma once
// Another program's side of a shared device, inside a test: standard error that acts at a chosen
// trace line, and a device lock held on a thread of its own (a Windows mutex belongs to the thread
// that took it, so the test's own thread would take it again).

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>

#include "link/DeviceLock.h"

namespace vexaro {

// Standard error whose first flushed line that starts with `prefix` runs `once` (with --trace,
// "hid: open": the memory file was loaded and checked; "hid>": the device is held, its memory
// read again).
class HookedErr final : public std::stringbuf {
 public:
  HookedErr(std::string prefix, std::function<void()> once)
      : prefix_(std::move(prefix)), once_(std::move(once)) {}

 protected:
  int sync() override {
    const std::string text = str();
    const std::size_t lineEnd =
        text.size() < 2 ? std::string::npos : text.rfind('\n', text.size() - 2);
    const std::size_t start = lineEnd == std::string::npos ? 0 : lineEnd + 1;
    if (text.compare(start, prefix_.size(), prefix_) == 0) {
      if (const auto once = std::exchange(once_, nullptr)) once();
    }
    return 0;
  }

 private:
  std::string prefix_;
  std::function<void()> once_;
};

// Holds the lock that `take` takes from construction until release() or destruction.
class LockHeldElsewhere {
 public:
  explicit LockHeldElsewhere(std::function<LockResult()> take)
      : thread_([this, take = std::move(take)] {
          LockResult held = take();
          std::unique_lock lock(mutex_);
          taken_ = held.lock != nullptr;
          ready_ = true;
          changed_.notify_all();
          changed_.wait(lock, [this] { return released_; });
        }) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_; });
  }
  ~LockHeldElsewhere() { release(); }
  LockHeldElsewhere(const LockHeldElsewhere&) = delete;
  LockHeldElsewhere& operator=(const LockHeldElsewhere&) = delete;

  bool taken() const { return taken_; }
  // Gives the lock back; returns once it is given back.
  void release() {
    {
      const std::lock_guard lock(mutex_);
      released_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool ready_ = false;
  bool taken_ = false;
  bool released_ = false;
  std::thread thread_;  // last: starts once the rest is there
};

}  // namespace vexaro
