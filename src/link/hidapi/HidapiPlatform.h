#pragma once
// The real HID platform: hidapi with its hidraw backend, and the report descriptor from sysfs
// (hidapi 0.13 has no call for it, and no version of hidapi reports report lengths).

#include <memory>
#include <string>

#include "link/HidPlatform.h"

namespace vexaro {

// Where the kernel publishes each hidraw node's report descriptor:
// <folder>/hidrawN/device/report_descriptor.
inline constexpr const char* kSysfsHidrawFolder = "/sys/class/hidraw";

// Initialises hidapi for the platform's lifetime (and tries again at each enumeration while it
// has not started). Report descriptors are read from `descriptorFolder`.
std::unique_ptr<HidPlatform> MakeHidapiPlatform(std::string descriptorFolder = kSysfsHidrawFolder);

}  // namespace vexaro
