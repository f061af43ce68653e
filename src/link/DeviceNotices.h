#pragma once
// The device-notice seam, beside the HID platform seam: the system tells of HID interfaces
// arriving and leaving, so that a program need not search for the device on a timer. Behind it:
// a libudev monitor on Linux (src/link/udev), none yet on Windows and macOS (those programs poll),
// and a stand-in for tests (src/simulator).

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
};

// The source of a system without notices: it never starts, and says so.
std::unique_ptr<DeviceNotices> MakeNoDeviceNotices(std::string why);

}  // namespace vexaro
