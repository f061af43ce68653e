#pragma once
// A device-notice source in the program itself, for tests: what is sent (from any thread) arrives
// at the next wait(), as the system's notices would.

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

  void send(const DeviceNotice& notice);
  // How many times wait() was called.
  int waits();

 private:
  std::string why_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<DeviceNotice> waiting_;
  int waits_ = 0;
};

}  // namespace vexaro
