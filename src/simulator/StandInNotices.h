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
  explicit StandInNotices(std::string why = {});
  ~StandInNotices() override;

  std::string start() override;
  std::vector<DeviceNotice> wait(std::chrono::milliseconds limit) override;

  // Readable while a notice waits, as the system's are; none on Windows.
  int descriptor() const override { return pipe_[0]; }

  void send(const DeviceNotice& notice);
  // How many times wait() was called.
  int waits();

 private:
  std::string why_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<DeviceNotice> waiting_;
  int waits_ = 0;
  int pipe_[2] = {-1, -1};  // a byte per notice sent and not yet taken
};

}  // namespace vexaro
