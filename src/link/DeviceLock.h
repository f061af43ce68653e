#pragma once
// One conversation with a device at a time: an advisory lock per device, taken by our programs
// before each exchange sequence and given back after it. Every open handle of a HID device gets
// every input report (hidraw and Windows' HID class alike), so two programs talking at once would
// read each other's replies; the lock keeps the second one out until the first has finished.
//
// The lock is reached through HidPlatform::lockDevice. Each system's own lock is in its folder:
//   link/posix/    flock on the device node (a character device), else on a lock file in the
//                  user's runtime folder named after the path
//   link/windows/  a named mutex in the session's Local\ namespace, named after the path

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace vexaro {

// How long the command-line tool waits for another program to give the device back.
inline constexpr std::chrono::milliseconds kDeviceLockWait{10000};

// Held while it lives: destroying it gives the device back. On Windows it must be destroyed on the
// thread that took it (a mutex belongs to its thread).
class DeviceLock {
 public:
  virtual ~DeviceLock() = default;
  DeviceLock() = default;
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;
};

struct LockResult {
  std::unique_ptr<DeviceLock> lock;  // set: this program holds the device
  bool busy = false;                 // not set because another program holds it
  std::string name;  // what the lock is for, as a user knows it (a device path, a memory file)
  std::string why;   // not set and not busy: why the lock could not be taken, one sentence
};

// A lock that guards nothing: for a device that only this program can reach.
LockResult FreeLock(const std::string& name);

// Takes the lock of `name` at once or says that it is busy; the system's own lock (see above).
LockResult TryLockDevicePath(const std::string& name);

// Calls `tryLock` until it is not busy or `wait` has passed, telling `waiting` once (with the
// lock's name) when the wait begins. A zero wait tries once.
LockResult WaitForLock(const std::function<LockResult()>& tryLock, std::chrono::milliseconds wait,
                       const std::function<void(const std::string& name)>& waiting);

}  // namespace vexaro
