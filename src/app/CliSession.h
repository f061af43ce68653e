#pragma once
// What every device command of the command-line tool shares: the link to one device and the
// acknowledged exchange, with the tool as the exchange's host.

#include <chrono>
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

class CliSession final : public LinkHost {
 public:
  // `lockWait`: how long connect() waits for another program that holds the device.
  CliSession(HidPlatform& platform, TrafficTrace& trace,
             std::chrono::milliseconds lockWait = kDeviceLockWait)
      : usb_(platform, link_, trace), exchange_(usb_, *this), lockWait_(lockWait) {}
  ~CliSession() override { usb_.CloseDeviceHandles(); }

  const LinkState& link() const { return link_; }
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
  DeviceHold hold_;  // last: given back first, once the handles are closed
};

}  // namespace vexaro
