#pragma once
// The settings read: one plain transfer per configuration byte.

#include <cstdint>
#include <optional>

#include "link/ApiUSBRoutines.h"
#include "settings/SettingsRecord.h"

namespace vexaro {

// Reads device addresses 0 to 28 into `settings`, one "F a" plain transfer each, in increasing
// order. Stops at the first transfer that loses the device and returns its address: the bytes
// before it are stored, and that address and every later one hold 0, as a lost device answers
// (never a byte of a device read earlier). std::nullopt when all 29 bytes arrived.
std::optional<std::uint8_t> ReadSettingsBytes(ApiUSBRoutines& usb, const LinkState& link,
                                              DeviceSettings& settings);

}  // namespace vexaro
