#pragma once
// A device-notice source in the program itself, for tests: what another thread sends arrives at
// the next wait(), as the system's notices would.

#include <condition_variable>
#include <deque>
#include <mutex>

#include "link/DeviceNotices.h"

namespace vexaro {

class StandInNotices final : public DeviceNotices {
 public:
  // `why`, when not empty, makes start() fail with it.
  explicit StandInNotices(std::string why = {}) : why_(std::move(why)) {}

  std::string start() override;
  std::vector<DeviceNotice> wait(std::chrono::milliseconds limit) override;

  // Delivers a notice to the waiting side (from any thread).
  void send(const DeviceNotice& notice);
  // Blocks until a wait() has begun since the last send: the listener is there.
  void awaitListener();

 private:
  std::string why_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<DeviceNotice> waiting_;
  int waits_ = 0;  // wait() calls begun since the last send
};

}  // namespace vexaro
