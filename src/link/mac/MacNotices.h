#pragma once
// The device notices of macOS: IOHIDManager's matching and removal callbacks on the main run loop.

#include <memory>

#include "link/DeviceNotices.h"

namespace vexaro {

std::unique_ptr<DeviceNotices> MakeMacNotices();

}  // namespace vexaro
