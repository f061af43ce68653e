#include "app/CliSession.h"

#include <optional>

#include "app/VexaroCli.h"
#include "common/QuotedText.h"

namespace vexaro {

#if defined(__linux__)
const char* const kNoPermissionAdvice =
    "install the udev rule that 'vexaro --print-udev-rules' prints";
const char* const kNoPermissionHint = "see vexaro --print-udev-rules";
#elif defined(_WIN32)
// Windows lets every user open the device; access denied means that Windows keeps the interface
// to itself (as it does keyboards and mice) or that a policy forbids it.
const char* const kNoPermissionAdvice =
    "Windows keeps this device to itself or a policy forbids opening it";
const char* const kNoPermissionHint = "Windows keeps it or a policy forbids it";
#else
// macOS lets every user open the device, unless another program holds it exclusively.
const char* const kNoPermissionAdvice =
    "another program holds it open; close that program and try again";
const char* const kNoPermissionHint = "another program holds it open";
#endif
const char* const kInUseAdvice = "another program holds it open; close that program and try again";
const char* const kInUseHint = "another program holds it open";

namespace {

// "10 s", or "250 ms" for a wait of no whole seconds.
std::string WaitText(std::chrono::milliseconds wait) {
  return wait.count() % 1000 == 0 ? std::to_string(wait.count() / 1000) + " s"
                                  : std::to_string(wait.count()) + " ms";
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& err, bool shown, std::size_t total)
    : err_(err), shown_(shown), total_(total) {
  acknowledged(0);
}

void ProgressLine::acknowledged(std::size_t count) {
  if (shown_) err_ << "\rvexaro: stored " << count << " of " << total_ << " bytes" << std::flush;
}

void ProgressLine::end() {
  if (shown_) err_ << '\n';
  shown_ = false;
}

int Fail(std::ostream& err, int status, const std::string& sentence) {
  err << "vexaro: " << sentence << '\n';
  return status;
}

std::string WhyNoDevice(const LinkState& link) {
  if (!link.ServiceFailure.empty()) {
    return "the HID service could not be started (" + link.ServiceFailure +
           "), so no device can be reached.";
  }
  if (!link.NoAccessPath.empty()) {
    return "no permission to open " + link.NoAccessPath + "; " +
           (link.NoAccessError == OpenError::InUse ? kInUseAdvice : kNoPermissionAdvice) + ".";
  }
  if (!link.UnusablePath.empty()) {
    return "the Vexaro at " + link.UnusablePath + " cannot be used: " + link.UnusableReason + ".";
  }
  return "no Vexaro found (vendor 04d8, product 47a1).";
}

int CliSession::connect(HidPlatform& platform, const std::string& devicePath, std::ostream& err) {
  if (!devicePath.empty()) {
    // Only a path that the enumeration returned is ever opened.
    std::optional<HidInterfaceInfo> named;
    for (const HidInterfaceInfo& info : platform.enumerate()) {
      if (SameDevicePath(info.path, devicePath)) named = info;
    }
    if (const std::string failure = platform.serviceFailure(); !failure.empty()) {
      LinkState why;  // what a search would have found
      why.ServiceFailure = failure;
      return Fail(err, kExitNoDevice, WhyNoDevice(why));
    }
    if (!named) {
      return Fail(err, kExitNoDevice,
                  QuotedText(devicePath) + " is not a HID device on this machine.");
    }
    if (!IsVexaro(*named)) {
      return Fail(err, kExitNoDevice,
                  QuotedText(devicePath) + " is not a Vexaro (vendor 04d8, product 47a1).");
    }
    usb_.restrictToPath(devicePath);
  }
  if (!usb_.FindDevice()) return Fail(err, kExitNoDevice, WhyNoDevice(link_));
  const std::string waited = WaitText(lockWait_);
  hold_ = usb_.holdDevice(lockWait_, [&](const std::string& name) {
    err << "vexaro: another program is using " << QuotedText(name) << "; waiting up to " << waited
        << " for it to finish.\n"
        << std::flush;
  });
  if (hold_) return 0;
  const LockResult& refusal = hold_.refusal();
  if (!refusal.busy) return Fail(err, kExitNoDevice, refusal.why);
  return Fail(err, kExitNoDevice,
              "another program is still using " + QuotedText(refusal.name) + " after " + waited +
                  "; try again when it has finished.");
}

}  // namespace vexaro
