#pragma once
// The entry check of the editable settings fields: one rule per field (two for the low-battery
// voltage, one per range) and one routine that applies a rule to a text.

#include <optional>
#include <string>
#include <string_view>

#include "settings/SettingsFields.h"
#include "settings/SettingsRecord.h"

namespace vexaro {

struct FieldRule {
  Field field;
  int cutLength;      // 0: none; else the text keeps this many leading characters
  bool commaToPoint;  // every "," becomes "."
  int quantum;        // 0: none; else the value is rounded to a whole multiple of it
  double lower;       // inclusive bounds of the value
  double upper;
  const char* message;      // shown for a bad entry, title "Value Entry Error"
  const char* restoreText;  // put into the field after a bad entry
};

inline constexpr const char* kEntryErrorTitle = "Value Entry Error";

// The rule of an editable field; for the low-battery voltage the rule of the range that byte 24
// of `settings` selects. std::nullopt for a field that has no entry check.
std::optional<FieldRule> RuleFor(Field field, const DeviceSettings& settings);

struct CheckResult {
  bool accepted = false;
  std::string text;     // accepted: the field's new text; refused: the restore text
  std::string message;  // refused: the message to show
  std::string refused;  // refused: the text as cut and mended when it was found bad, which the
                        // field shows while the message is up
};

// Applies the field's rule to `text`: cut, comma to point, quantum, then the range test.
// A field without a rule accepts any text unchanged.
CheckResult CheckEntry(Field field, std::string_view text, const DeviceSettings& settings);

}  // namespace vexaro
