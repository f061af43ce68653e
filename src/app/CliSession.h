#pragma once
// What every device command of the command-line tool shares: the link to one device and the
// acknowledged exchange, with the tool as the exchange's host.

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>

#include "link/ApiUSBRoutines.h"
#include "link/CommandExchange.h"

namespace vexaro {

// What the user can do about a device that this user may not open, as this system needs it: the
// end of an error sentence, and the short hint of 'vexaro list'.
extern const char* const kNoPermissionAdvice;
extern const char* const kNoPermissionHint;
// The same when another program holds the device open without sharing it.
extern const char* const kInUseAdvice;
extern const char* const kInUseHint;

// One error sentence on standard error, and the status to leave with.
int Fail(std::ostream& err, int status, const std::string& sentence);

// Why a search found no device to use, as the sentence a user is told: the HID service did not
// start, a device this user may not open, a device that cannot be used, or none at all.
std::string WhyNoDevice(const LinkState& link);

// How many of `total` bytes the device has acknowledged, on one line of standard error that each
// count rewrites in place (a carriage return before it), ended by a line end when the stores end;
// "vexaro: stored 37 of 124 bytes". Shown only when `shown`: nothing at all otherwise.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool shown, std::size_t total);
  ~ProgressLine() { end(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void acknowledged(std::size_t count);
  // The line end, once; before the sentence of a failure.
  void end();

 private:
  std::ostream& err_;
  bool shown_;
  std::size_t total_;
};

class CliSession final : public LinkHost {
 public:
  // `lockWait`: how long connect() waits for another program that holds the device.
  // `showProgress`: long stores may show their progress on standard error (a terminal).
  CliSession(HidPlatform& platform, TrafficTrace& trace,
             std::chrono::milliseconds lockWait = kDeviceLockWait, bool showProgress = false)
      : usb_(platform, link_, trace),
        exchange_(usb_, *this),
        lockWait_(lockWait),
        showProgress_(showProgress) {}
  ~CliSession() override { usb_.CloseDeviceHandles(); }

  const LinkState& link() const { return link_; }
  bool showProgress() const { return showProgress_; }
  ApiUSBRoutines& usb() { return usb_; }
  CommandExchange& exchange() { return exchange_; }

  // Finds and opens the device (the one at `devicePath` when given) and holds it until the
  // session ends, waiting (and saying so, once) while another program holds it: 0, or the exit
  // status after one sentence on `err`.
  int connect(HidPlatform& platform, const std::string& devicePath, std::ostream& err);

  // The tool has no poll timer and no window; losing the device ends the command.
  void setPollTimer(bool) override {}
  void processEvents() override {}
  void endProgram() override {}

 private:
  LinkState link_;  // written by usb_ alone
  ApiUSBRoutines usb_;
  CommandExchange exchange_;
  std::chrono::milliseconds lockWait_;
  bool showProgress_;
  DeviceHold hold_;  // last: given back first, once the handles are closed
};

}  // namespace vexaro
