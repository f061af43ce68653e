#include "link/DeviceLock.h"

#include <algorithm>
#include <thread>

namespace vexaro {

namespace {

// How often a waiting program looks again: neither lock has a wait with a time limit on every
// system (flock has none), so the wait polls.
constexpr std::chrono::milliseconds kRetryInterval{20};

}  // namespace

LockResult FreeLock(const std::string& name) {
  return {std::make_unique<DeviceLock>(), false, name, {}};
}

LockResult WaitForLock(const std::function<LockResult()>& tryLock, std::chrono::milliseconds wait,
                       const std::function<void(const std::string& name)>& waiting) {
  LockResult result = tryLock();
  if (result.lock || !result.busy || wait.count() <= 0) return result;
  if (waiting) waiting(result.name);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (auto now = std::chrono::steady_clock::now(); now < deadline;
       now = std::chrono::steady_clock::now()) {
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(kRetryInterval, deadline - now));
    result = tryLock();
    if (result.lock || !result.busy) return result;
  }
  return result;
}

}  // namespace vexaro
