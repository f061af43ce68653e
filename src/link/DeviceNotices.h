#pragma once
// The device-notice seam, beside the HID platform seam: the system tells of HID interfaces
// arriving and leaving, so that a program need not search for the device on a timer. Behind it:
// a libudev monitor on Linux (src/link/udev), the window messages of RegisterDeviceNotification on
// Windows (src/link/windows), IOHIDManager's matching callbacks on macOS (src/link/mac), and a
// stand-in for tests (src/simulator).

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vexaro {

// One HID interface arrived or left. The IDs are those of the interface when the system can tell;
// a notice without them may be for any device.
struct DeviceNotice {
  bool arrived = true;  // false: it left
  std::optional<std::uint16_t> vendorId;
  std::optional<std::uint16_t> productId;
};

// Whether a notice may be of a Vexaro: its IDs are ours, or the system could not tell them (a
// device that leaves on Linux has no parent left to read them from).
bool MayBeVexaro(const DeviceNotice& notice);

// The least time between two searches that notices start: a burst of notices that may be ours
// costs one search per this.
inline constexpr std::chrono::milliseconds kNoticeSearchSpacing{100};

class DeviceNotices {
 public:
  virtual ~DeviceNotices() = default;
  DeviceNotices() = default;
  DeviceNotices(const DeviceNotices&) = delete;
  DeviceNotices& operator=(const DeviceNotices&) = delete;

  // Starts listening. Empty when it works, else why not in one sentence: then no notice comes
  // and the caller polls.
  virtual std::string start() = 0;

  // Waits at most `limit` for notices and returns those that came, in order; empty when none
  // came in time (or the source failed).
  virtual std::vector<DeviceNotice> wait(std::chrono::milliseconds limit) = 0;

  // A file descriptor that turns readable when a notice is waiting, for a program with an event
  // loop (which then calls wait() with no time); -1 when there is none.
  virtual int descriptor() const { return -1; }

  // For a program whose window gets the system's messages (Windows): the notices are asked for as
  // messages to `window`, a native window handle, rather than to a hidden window of their own,
  // and the program hands each message of its event loop to offer(). Called before start().
  virtual void sendTo(std::uintptr_t window) { (void)window; }
  // One message of the program's event loop (a Windows MSG): true when it was a notice, which
  // wait() then returns.
  virtual bool offer(const void* message) {
    (void)message;
    return false;
  }

  // Tells the system that no more notices are wanted; no notice comes after it.
  virtual void stop() {}
};

// The source of a system without notices: it never starts, and says so.
std::unique_ptr<DeviceNotices> MakeNoDeviceNotices(std::string why);

}  // namespace vexaro
