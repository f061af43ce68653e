#pragma once
// The real HID platform on Linux and macOS: hidapi (its hidraw backend on Linux). The report
// lengths come from the report descriptor, which hidapi 0.14 and newer read from the open device;
// with hidapi 0.13 (Linux only) it is read from sysfs. No version of hidapi gives the lengths.

#include <memory>
#include <string>

#include "link/HidPlatform.h"

namespace vexaro {

// Where the kernel publishes each hidraw node's report descriptor:
// <folder>/hidrawN/device/report_descriptor.
inline constexpr const char* kSysfsHidrawFolder = "/sys/class/hidraw";

// Initialises hidapi, which ends with the process (and tries again at each enumeration while it
// has not started). With hidapi 0.13, report descriptors are read from `descriptorFolder`.
std::unique_ptr<HidPlatform> MakeHidapiPlatform(std::string descriptorFolder = kSysfsHidrawFolder);

}  // namespace vexaro
