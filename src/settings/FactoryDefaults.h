#pragma once
// The factory settings that the two Defaults buttons put into the window, in the order they set
// them. They only change the window; the Send button stores them.

#include <vector>

#include "settings/SettingsRecord.h"

namespace vexaro {

// Basic settings: turn-on 70, not reversed, low battery 4.60 V (7 V range) or OFF (70 V range,
// by byte 24 of `settings` at the time of the call), 2358 Hz, 0.250 s. (The window also puts the
// slider at 70 first and the comparison sign to ">".)
std::vector<FieldText> BasicDefaults(const DeviceSettings& settings);

// Advanced parameters, all fixed.
std::vector<FieldText> AdvancedDefaults();

// The bytes of `device` with the defaults of both pages stored over them as the Send button
// stores them, for its range and firmware version: the settings of a device fresh from the
// factory.
DeviceSettings FactorySettings(const DeviceSettings& device);

}  // namespace vexaro
