#include "settings/SettingsRead.h"

#include <algorithm>

#include "link/DeviceContract.h"

namespace vexaro {

std::optional<std::uint8_t> ReadSettingsBytes(ApiUSBRoutines& usb, const LinkState& link,
                                              DeviceSettings& settings) {
  for (std::uint8_t a = 0; a < kSettingsAddressCount; ++a) {
    const std::uint8_t value = usb.plainTransfer({command::kReadByte, a});
    if (!link.DeviceDetected) {
      std::fill(settings.begin() + a, settings.begin() + kSettingsAddressCount, 0);
      return a;
    }
    settings[a] = value;
  }
  return std::nullopt;
}

}  // namespace vexaro
