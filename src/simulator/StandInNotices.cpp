#include "simulator/StandInNotices.h"

namespace vexaro {

std::string StandInNotices::start() {
  return why_;
}

std::vector<DeviceNotice> StandInNotices::wait(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  ++waits_;
  changed_.wait_for(lock, limit, [this] { return !waiting_.empty(); });
  std::vector<DeviceNotice> notices(waiting_.begin(), waiting_.end());
  waiting_.clear();
  return notices;
}

void StandInNotices::send(const DeviceNotice& notice) {
  const std::lock_guard lock(mutex_);
  waiting_.push_back(notice);
  changed_.notify_all();
}

int StandInNotices::waits() {
  const std::lock_guard lock(mutex_);
  return waits_;
}

}  // namespace vexaro
