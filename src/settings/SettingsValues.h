#pragma once
// The settings as the command-line tool and the backup file name them: a key and a value text
// for each field (the keys of SettingsFields, the values the window's control texts).

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "settings/SettingsRecord.h"

namespace vexaro {

// The values of the zero-output option group.
inline constexpr const char* kTwoTone = "two-tone";
inline constexpr const char* kTenBeeps = "10-beeps";

// The value a key shows for a field's control text.
std::string KeyValue(Field field, const std::string& text);

// Puts `text` into a field as the window puts it into the field's control: the threshold box's
// own reaction corrects a number outside 0 to 100 in place, and Send stores the corrected text.
void FillControlText(SettingsTexts& texts, Field field, const std::string& text);

// The range's value: "70V" or "7V".
std::string RangeName(bool range70);

// The text a backup holds for a byte that cannot be shown: "cannot be shown (0 at address 3)".
std::string UnshownText(std::uint8_t byte, std::uint8_t address);

// The settings as `read` prints them, key and value in table order, the fields the firmware
// gate hides left out. A field in `shown.unshown` reads as its UnshownText.
std::vector<std::pair<std::string, std::string>> SettingsValues(const ShownSettings& shown);

}  // namespace vexaro
