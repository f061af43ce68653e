#pragma once
// The device notices of Windows: RegisterDeviceNotification for the HID interface class, the
// notices coming as WM_DEVICECHANGE messages to the window's handle, or to a message-only window
// of their own for a program without a window (the tool).

#include <memory>

#include "link/DeviceNotices.h"

namespace vexaro {

class WinNotices : public DeviceNotices {
 public:
  // Whether Windows has the registration now: from start() until stop().
  virtual bool registered() const = 0;
};

std::unique_ptr<WinNotices> MakeWinNotices();

}  // namespace vexaro
