#pragma once
// The settings record: the host's copy of device addresses 0 to 30 (DeviceSettings), and the
// conversion of every configuration byte to the text its window control shows and back.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "settings/SettingsFields.h"

namespace vexaro {

// Index i holds the byte last read from device address i. Indices 29 and 30 are never read.
inline constexpr std::size_t kDeviceSettingsSize = 31;
using DeviceSettings = std::array<std::uint8_t, kDeviceSettingsSize>;

// Addresses of the configuration bytes.
namespace address {
inline constexpr std::uint8_t kVersion = 2;     // firmware version times ten
inline constexpr std::uint8_t kBeepPeriod = 3;  // tone period in 8 us ticks
inline constexpr std::uint8_t kBeepLength = 4;  // groups of 16 tone periods
inline constexpr std::uint8_t kLowVoltageLow = 5;
inline constexpr std::uint8_t kLowVoltageHigh = 6;
inline constexpr std::uint8_t kAlertDelay = 7;  // 20 ms ticks
inline constexpr std::uint8_t kAlertBeeps = 8;
inline constexpr std::uint8_t kThreshold = 9;  // turn-on position plus 100
inline constexpr std::uint8_t kReverse = 10;
inline constexpr std::uint8_t kClearAfterReport = 11;  // bit 0 glitch count, bit 1 min. voltage
inline constexpr std::uint8_t kGlitchPeriod = 12;      // 0.256 ms ticks
inline constexpr std::uint8_t kCommandWindow = 13;     // 0.5 s ticks
inline constexpr std::uint8_t kVoltageCycles = 14;
inline constexpr std::uint8_t kGlitchCycles = 15;
inline constexpr std::uint8_t kPowerUpBeeps = 16;
inline constexpr std::uint8_t kZeroOutput = 17;  // 0 two tones, otherwise ten beeps
inline constexpr std::uint8_t kZePeriod = 18;
inline constexpr std::uint8_t kZeLength = 19;
inline constexpr std::uint8_t kRoPeriod = 20;
inline constexpr std::uint8_t kRoLength = 21;
inline constexpr std::uint8_t kInterBeepPause = 22;   // 16 ms ticks
inline constexpr std::uint8_t kInterDigitPause = 23;  // 16 ms ticks
inline constexpr std::uint8_t kRange = 24;            // 1: the 70 V range
inline constexpr std::uint8_t kMinVoltageCycles = 25;
inline constexpr std::uint8_t kMinVoltageCapture = 26;  // 20 ms ticks
}  // namespace address

// Byte 24 = 1: the low-battery voltage is kept in tenths of a volt (70 V range), any other
// value hundredths (7 V range).
inline bool IsRange70(const DeviceSettings& settings) {
  return settings[address::kRange] == 1;
}
// Byte 2 of 30 or more (version 3.0 or later) makes addresses 25, 26 and bit 1 of 11 meaningful.
inline bool HasVersion30Fields(const DeviceSettings& settings) {
  return settings[address::kVersion] >= 30;
}

// The texts of the settings controls, indexed by Field: list and text fields hold their text,
// check boxes "0" or "1", the zero-output option group the selected index "0" or "1".
using SettingsTexts = std::array<std::string, kFieldCount>;

inline std::string& TextOf(SettingsTexts& texts, Field field) {
  return texts[static_cast<std::size_t>(field)];
}
inline const std::string& TextOf(const SettingsTexts& texts, Field field) {
  return texts[static_cast<std::size_t>(field)];
}

struct FieldText {
  Field field;
  std::string text;
};

// A device byte that no control can show.
struct ShowFailure {
  Field field;
  std::uint8_t address;
  std::uint8_t byte;
};

// What the window shows for the bytes of one device.
struct ShownSettings {
  std::string version;  // the number after "Version ", e.g. "3.1"
  bool range70 = false;
  // Control texts in the order the window fills them. They stop before a failure.
  std::vector<FieldText> texts;
  // Whether the filling reached the firmware gate (which, for firmware older than 3.0, disables
  // the minimum-voltage controls instead of filling them).
  bool gateReached = false;
  std::optional<ShowFailure> failure;
  // With `everyField`: each field that cannot be shown, in filling order (`failure` stays empty).
  std::vector<ShowFailure> unshown;
};

// Never throws: a byte that cannot be shown ends the filling and is named in `failure`. With
// `everyField` each field is shown on its own instead, as far as its own bytes allow, and the
// ones that cannot be are listed in `unshown`.
ShownSettings ShowSettings(const DeviceSettings& settings, bool everyField = false);

// The version number the window shows for a version byte: "3.1" for 31.
std::string VersionText(std::uint8_t versionByte);

// One byte to store.
struct ByteWrite {
  std::uint8_t address;
  std::uint8_t value;
  friend bool operator==(const ByteWrite&, const ByteWrite&) = default;
};

// The addresses the Send button writes, in its order, for firmware 3.0 or later or older.
std::span<const std::uint8_t> SendAddresses(bool version30);

// A control text that cannot be stored.
struct EncodeFailure {
  Field field;
  std::string text;
};

struct EncodedSettings {
  // In the order they are sent: 9, 10, 5, 6, 3, 4, 16, 8, 7, 12, 13, 14, 15, then 25, 26, 11
  // (firmware 3.0 or later) or 11 alone, then 17 to 23. Empty when a text cannot be stored.
  std::vector<ByteWrite> writes;
  std::optional<EncodeFailure> failure;
};

// Converts every control text into the bytes the Send button stores, all of them before any is
// sent. `settings` gives the range (byte 24) and the firmware gate (byte 2) of the device. Never
// throws: a text that cannot be stored is named in `failure`.
EncodedSettings EncodeSettings(const SettingsTexts& texts, const DeviceSettings& settings);

}  // namespace vexaro
