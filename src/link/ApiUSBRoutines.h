#pragma once
// Discovery and the plain transfer: finds the device among the HID interfaces, opens it, and moves
// one output report to it and one input report back. These routines are the only writer of the
// link state; everyone else reads it through link().

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "common/Result.h"
#include "link/DeviceContract.h"
#include "link/HidPlatform.h"
#include "link/LinkState.h"
#include "link/TrafficTrace.h"

namespace vexaro {

// True for an interface with the device's vendor and product ID.
bool IsVexaro(const HidInterfaceInfo& info);

// Whether two device paths name the same interface: byte for byte, except on Windows, whose
// device paths are case-insensitive (a path typed after `vexaro list` may differ in case).
bool SameDevicePath(const std::string& a, const std::string& b);

// Whether a device with these report lengths can be used; the Failure says why not, in a few
// words.
Result<void> CheckReportLengths(const std::optional<ReportLengths>& lengths);

class ApiUSBRoutines;

// One exchange sequence's hold on the device: while it lives, our other programs keep away from
// the device (see DeviceLock.h). Empty when the device could not be taken: refusal() says why.
class DeviceHold {
 public:
  DeviceHold() = default;
  explicit DeviceHold(LockResult refusal) : refusal_(std::move(refusal)) {}
  DeviceHold(DeviceHold&& other) noexcept;
  DeviceHold& operator=(DeviceHold&& other) noexcept;
  ~DeviceHold();

  explicit operator bool() const { return usb_ != nullptr; }
  // Another program holds the device (busy), or the lock could not be taken (why).
  const LockResult& refusal() const { return refusal_; }

 private:
  friend class ApiUSBRoutines;
  explicit DeviceHold(ApiUSBRoutines* usb) : usb_(usb) {}
  ApiUSBRoutines* usb_ = nullptr;
  LockResult refusal_;
};

class ApiUSBRoutines {
 public:
  // `readLimit` is how long a read waits for the device (kReadLimit; tests shorten it).
  ApiUSBRoutines(HidPlatform& platform, LinkState& link, TrafficTrace& trace,
                 std::chrono::milliseconds readLimit = kReadLimit)
      : platform_(platform), link_(link), trace_(trace), readLimit_(readLimit) {}

  // The link state as these routines keep it.
  const LinkState& link() const { return link_; }

  // How a write or a read waits for the device: `call` does the transfer and returns once it has
  // ended. By default it runs in place; the window runs it on a worker thread and keeps handling
  // its events meanwhile. `call` touches nothing but the open handle it was given.
  using Waiter = std::function<void(const std::function<void()>& call)>;
  void setWaiter(Waiter waiter) { waiter_ = std::move(waiter); }

  // Restricts discovery to the interface at `path` (the --device option). Empty: any interface.
  void restrictToPath(std::string path) { onlyPath_ = std::move(path); }

  // Searches the HID interfaces in the platform's order for the first device with our vendor and
  // product ID that opens twice and has usable report lengths. Sets DeviceDetected to the result,
  // and NoAccessPath, UnusablePath and ServiceFailure to what a user is told when it is false.
  bool FindDevice();

  // Takes the device found last (DevicePath) for one exchange sequence: its lock, waiting up to
  // `wait` while another program holds it (`waiting` is told the lock's name once, as the wait
  // begins), then drops the input reports already waiting on the read handle, which answer
  // another program's commands. Holds nest: one taken while another lives costs nothing.
  [[nodiscard]] DeviceHold holdDevice(
      std::chrono::milliseconds wait = {},
      const std::function<void(const std::string& name)>& waiting = {});

  // Sets the leading bytes of OutputReport (the rest keep their values), then sends it as one
  // output report: the device's output report ID (0 when its reports are unnumbered), then
  // OutputReport[0..length-2]. A write that the platform says did not complete (a device that
  // takes no more reports) makes the next read end as a time-out at once: no reply can come.
  void WriteOutputReport(std::initializer_list<std::uint8_t> leadingBytes = {});

  // Receives one input report into InputReport, waiting at most the read limit. A time-out closes both
  // handles; any other failure leaves them open. Either clears DeviceDetected and leaves zeros in
  // InputReport.
  void ReadInputReport();

  // Closes both handles; a handle already closed is left alone.
  void CloseDeviceHandles();

  // Counts the device as not detected, so that the next poll searches for it again (the search
  // closes whatever handles are still open).
  void forgetDevice() { link_.DeviceDetected = false; }

  // A plain transfer: sets the leading bytes of OutputReport (the rest keep their values), writes,
  // reads and returns the reply byte. 0 when the device did not answer (DeviceDetected is then
  // false).
  std::uint8_t plainTransfer(std::initializer_list<std::uint8_t> leadingBytes);

 private:
  friend class DeviceHold;
  bool openMatch(const HidInterfaceInfo& candidate);
  void releaseHold();
  void wait(const std::function<void()>& call);

  HidPlatform& platform_;
  LinkState& link_;
  TrafficTrace& trace_;
  std::string onlyPath_;
  std::chrono::milliseconds readLimit_;
  Waiter waiter_;
  bool lastWriteFailed_ = false;
  std::unique_ptr<DeviceLock> lock_;  // while holds_ > 0
  int holds_ = 0;
};

}  // namespace vexaro
