#include "simulator/StandInNotices.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vexaro {

StandInNotices::StandInNotices(std::string why) : why_(std::move(why)) {
#ifndef _WIN32
  if (pipe(pipe_) == 0) fcntl(pipe_[0], F_SETFL, O_NONBLOCK);
#endif
}

StandInNotices::~StandInNotices() {
#ifndef _WIN32
  for (const int end : pipe_) {
    if (end >= 0) close(end);
  }
#endif
}

std::string StandInNotices::start() {
  return why_;
}

std::vector<DeviceNotice> StandInNotices::wait(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  ++waits_;
  changed_.wait_for(lock, limit, [this] { return !waiting_.empty(); });
  std::vector<DeviceNotice> notices(waiting_.begin(), waiting_.end());
  waiting_.clear();
#ifndef _WIN32
  char bytes[64];
  ssize_t taken = 1;
  while (taken > 0) taken = read(pipe_[0], bytes, sizeof bytes);
#endif
  return notices;
}

void StandInNotices::send(const DeviceNotice& notice) {
  const std::lock_guard lock(mutex_);
  waiting_.push_back(notice);
#ifndef _WIN32
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(pipe_[1], &byte, 1);  // full: readable already
#endif
  changed_.notify_all();
}

int StandInNotices::waits() {
  const std::lock_guard lock(mutex_);
  return waits_;
}

}  // namespace vexaro
