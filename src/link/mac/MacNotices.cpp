#include "link/mac/MacNotices.h"

#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/hid/IOHIDKeys.h>
#include <IOKit/hid/IOHIDManager.h>
#include <fcntl.h>
#include <unistd.h>

#include <deque>

#include "link/DeviceContract.h"

namespace vexaro {
namespace {

// A CFNumber of an ID, for the matching dictionary.
CFNumberRef IdNumber(std::uint16_t id) {
  const int value = id;
  return CFNumberCreate(kCFAllocatorDefault, kCFNumberIntType, &value);
}

// The manager matches our IDs only, so every callback is of a Vexaro, and no other device is
// looked at. It is never opened: the callbacks come from the scheduled manager, and the device
// stays free for the HID platform to open.
class MacNotices final : public DeviceNotices {
 public:
  MacNotices() = default;
  ~MacNotices() override {
    stop();
    for (const int end : pipe_) {
      if (end >= 0) close(end);
    }
  }
  MacNotices(const MacNotices&) = delete;
  MacNotices& operator=(const MacNotices&) = delete;

  std::string start() override {
    if (pipe(pipe_) != 0) return "no pipe for device notices could be made.";
    for (const int end : pipe_) fcntl(end, F_SETFL, O_NONBLOCK);
    manager_ = IOHIDManagerCreate(kCFAllocatorDefault, kIOHIDOptionsTypeNone);
    if (manager_ == nullptr) return "the HID manager could not be made.";
    CFMutableDictionaryRef matching = CFDictionaryCreateMutable(
        kCFAllocatorDefault, 2, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    CFNumberRef vendor = IdNumber(kVexaroVendorId);
    CFNumberRef product = IdNumber(kVexaroProductId);
    CFDictionarySetValue(matching, CFSTR(kIOHIDVendorIDKey), vendor);
    CFDictionarySetValue(matching, CFSTR(kIOHIDProductIDKey), product);
    IOHIDManagerSetDeviceMatching(manager_, matching);
    CFRelease(vendor);
    CFRelease(product);
    CFRelease(matching);
    IOHIDManagerRegisterDeviceMatchingCallback(manager_, &Arrived, this);
    IOHIDManagerRegisterDeviceRemovalCallback(manager_, &Left, this);
    IOHIDManagerScheduleWithRunLoop(manager_, CFRunLoopGetMain(), kCFRunLoopDefaultMode);
    return {};
  }

  int descriptor() const override { return pipe_[0]; }

  std::vector<DeviceNotice> wait(std::chrono::milliseconds limit) override {
    // The window's event loop runs the main run loop itself: there wait() comes with no time.
    const auto end = std::chrono::steady_clock::now() + limit;
    while (manager_ != nullptr && waiting_.empty()) {
      const std::chrono::duration<double> left = end - std::chrono::steady_clock::now();
      if (left.count() <= 0) break;
      CFRunLoopRunInMode(kCFRunLoopDefaultMode, left.count(), true);
    }
    char bytes[64];
    while (pipe_[0] >= 0 && read(pipe_[0], bytes, sizeof bytes) > 0) {
    }
    std::vector<DeviceNotice> taken(waiting_.begin(), waiting_.end());
    waiting_.clear();
    return taken;
  }

  void stop() override {
    if (manager_ == nullptr) return;
    IOHIDManagerUnscheduleFromRunLoop(manager_, CFRunLoopGetMain(), kCFRunLoopDefaultMode);
    CFRelease(manager_);
    manager_ = nullptr;
  }

 private:
  static void Arrived(void* context, IOReturn, void*, IOHIDDeviceRef) {
    static_cast<MacNotices*>(context)->queue(true);
  }
  static void Left(void* context, IOReturn, void*, IOHIDDeviceRef) {
    static_cast<MacNotices*>(context)->queue(false);
  }

  void queue(bool arrived) {
    waiting_.push_back({arrived, kVexaroVendorId, kVexaroProductId});
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(pipe_[1], &byte, 1);  // full: readable already
  }

  IOHIDManagerRef manager_ = nullptr;
  int pipe_[2] = {-1, -1};  // a byte per notice not yet taken, for an event loop to watch
  std::deque<DeviceNotice> waiting_;
};

}  // namespace

std::unique_ptr<DeviceNotices> MakeMacNotices() {
  return std::make_unique<MacNotices>();
}

}  // namespace vexaro
