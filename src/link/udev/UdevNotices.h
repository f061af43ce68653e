#pragma once
// Device notices on Linux: a libudev monitor of hidraw interfaces. The only code that includes
// libudev.h.

#include <memory>

#include "link/DeviceNotices.h"

namespace vexaro {

std::unique_ptr<DeviceNotices> MakeUdevNotices();

}  // namespace vexaro
