#pragma once
// A change of settings given as key and value texts (`vexaro set`, a backup file of format 1),
// worked out into the bytes to store before the first write, by the rules the window applies to
// what the user enters.

#include <string>
#include <utility>
#include <vector>

#include "settings/SettingsRecord.h"

namespace vexaro {

// What a change stores, or why nothing may be stored.
struct SettingsChange {
  std::vector<ByteWrite> writes;  // in the Send button's order; empty when no value differs
  std::string refusal;            // not empty: nothing may be stored, and why (one sentence)
  // The refusal is about a byte the device holds (one that cannot be shown and was given no
  // value), not about the values given.
  bool deviceByte = false;
};

// Applies `values` (key, value, in the given order; "version" and "range" name what the device
// is) to the settings the device holds, starting from the factory settings with `defaults`. A
// value equal to the text the device shows is taken unchecked, as the window checks only a box
// the user changed; a changed one goes through its box's entry check, and a number also whole,
// before the box's cut to its first characters. Keys are known ones (checked by the caller). A
// byte the window cannot show needs a value only when something is stored.
SettingsChange PlanSettingsChange(const DeviceSettings& device,
                                  const std::vector<std::pair<std::string, std::string>>& values,
                                  bool defaults);

// Why a byte cannot be shown, without the full stop: "the device holds 0 at address 3, ...".
std::string CannotShow(const ShowFailure& failure);

}  // namespace vexaro
