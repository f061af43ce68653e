#pragma once
// The HID platform seam: everything the link needs from the operating system's HID service, and
// nothing more. Three implementations stand behind it: hidapi (src/link/hidapi), the system's own
// HID services on Windows (src/link/windows) and the simulated device (src/simulator).
//
// Buffer contract, both directions: a buffer is one whole report as the link sees it, with the
// report-ID byte first: on the way out the device's output report ID (0 for unnumbered reports),
// on the way in the report's ID, which the link discards; a platform that strips or omits the
// report ID puts it back.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/DeviceLock.h"
#include "link/ReportDescriptor.h"

namespace vexaro {

// One HID interface as the platform enumerates it.
struct HidInterfaceInfo {
  std::string path;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  friend bool operator==(const HidInterfaceInfo&, const HidInterfaceInfo&) = default;
};

enum class ReadOutcome {
  Completed,  // a report arrived and fills the buffer
  TimedOut,   // nothing arrived within the time limit
  Failed,     // the platform reported an error (device gone, I/O error)
};

// An open HID interface. Destroying it closes it; a handle is closed exactly once.
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  HidDevice() = default;
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  // Report lengths of this interface, report-ID byte included, from its report descriptor.
  // std::nullopt when the platform cannot tell.
  virtual std::optional<ReportLengths> reportLengths() = 0;

  // Writes one output report; report[0] is the report ID. Returns false when the platform says the
  // write failed (the link does not act on it: a lost write shows up as a read that times out).
  virtual bool write(std::span<const std::uint8_t> report) = 0;

  // Reads one input report into `report` (report[0] receives the report ID, 0 for unnumbered
  // reports), waiting at most `limit`. A report shorter than the buffer leaves the rest untouched.
  // When the outcome is not Completed, the buffer is untouched.
  virtual ReadOutcome read(std::span<std::uint8_t> report, std::chrono::milliseconds limit) = 0;

  // Cancels a read that is still pending. Reads are synchronous on every platform we have, so when
  // read() returns nothing is pending; the call exists so that the link states its intent.
  virtual void cancel() = 0;

  // Drops the input reports already waiting on this handle (replies to another program's
  // commands: every handle gets every input report) by reading with no wait until none is left,
  // at most `limit` of them. `reportLength` is the input report length. Returns how many went.
  virtual std::size_t dropWaitingReports(std::size_t reportLength, std::size_t limit = 256) {
    std::vector<std::uint8_t> report(reportLength);
    std::size_t dropped = 0;
    while (dropped < limit &&
           read(report, std::chrono::milliseconds(0)) == ReadOutcome::Completed) {
      ++dropped;
    }
    return dropped;
  }

  // The platform's own code for why the last write or read failed (a Win32 error code), for the
  // trace; 0 when the platform has none.
  virtual std::uint32_t lastErrorCode() const { return 0; }
};

enum class OpenError {
  NoPermission,  // the interface exists but this user may not open it (Linux: see the udev rule;
                 // Windows: the system keeps it to itself, or a policy forbids it)
  InUse,         // another program holds it open without sharing it
  Failed,        // any other reason
};

struct OpenResult {
  std::unique_ptr<HidDevice> device;  // set when the open succeeded
  OpenError error = OpenError::Failed;
};

class HidPlatform {
 public:
  virtual ~HidPlatform() = default;
  HidPlatform() = default;
  HidPlatform(const HidPlatform&) = delete;
  HidPlatform& operator=(const HidPlatform&) = delete;

  // Every HID interface present, in the platform's own order. Empty when there is none or the
  // enumeration failed.
  virtual std::vector<HidInterfaceInfo> enumerate() = 0;

  // Opens an interface by a path that enumerate() returned. Never pass another path: the real
  // platform cannot be trusted with paths that are not HID devices.
  virtual OpenResult open(const std::string& path) = 0;

  // Takes the lock that keeps our other programs away from the device at `path` while this one
  // talks to it (see DeviceLock.h), at once or not at all. A platform whose devices no other
  // program can reach needs none: by default the lock is always free.
  virtual LockResult lockDevice(const std::string& path) { return FreeLock(path); }

  // Why the platform's HID service is not working (it did not start), in a few words; empty when
  // it works. While it is not, enumerate() finds nothing.
  virtual std::string serviceFailure() { return {}; }
};

}  // namespace vexaro
