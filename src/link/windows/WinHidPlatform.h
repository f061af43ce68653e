#pragma once
// The real HID platform on Windows: the system's HID class services (hid.dll) and device setup
// services (setupapi.dll), no third-party library.

#include <memory>

#include "link/HidPlatform.h"

namespace vexaro {

std::unique_ptr<HidPlatform> MakeWinHidPlatform();

}  // namespace vexaro
