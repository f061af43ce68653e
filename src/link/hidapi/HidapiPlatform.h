#pragma once
// The real HID platform: hidapi with its hidraw backend, and the report descriptor from sysfs
// (hidapi 0.13 has no call for it, and no version of hidapi reports report lengths).

#include <memory>

#include "link/HidPlatform.h"

namespace vexaro {

// Initialises hidapi for the platform's lifetime.
std::unique_ptr<HidPlatform> MakeHidapiPlatform();

}  // namespace vexaro
