// The entry check of the settings boxes and the threshold box: any text a user can type or paste.
//
// Input: byte 0 picks the field (its low 7 bits modulo the number of fields, in AllFields()
// order) and the device's range (its top bit set: byte 24 = 1, the 70 V range; clear: 0). The
// remaining bytes are the text typed into the field. The same text also goes through the
// threshold box's clamp and slider.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "settings/FieldRules.h"
#include "settings/SettingsFields.h"
#include "settings/SettingsRecord.h"
#include "settings/Threshold.h"

using namespace vexaro;

namespace {

void CheckField(Field field, std::string_view text, const DeviceSettings& settings) {
  const std::optional<FieldRule> rule = RuleFor(field, settings);
  const CheckResult result = CheckEntry(field, text, settings);

  if (!result.accepted) {
    // A refusal always comes with a rule, its message and its restore text...
    FUZZ_CHECK(rule.has_value());
    FUZZ_CHECK(result.message == rule->message);
    FUZZ_CHECK(result.text == rule->restoreText);
    // ...and the restore text itself passes the check.
    const CheckResult restored = CheckEntry(field, result.text, settings);
    FUZZ_CHECK(restored.accepted && restored.text == result.text);
    return;
  }
  FUZZ_CHECK(result.message.empty());
  if (!rule) FUZZ_CHECK(result.text == text);

  // Checking the accepted text again changes nothing: leaving the box twice is like leaving once.
  const CheckResult again = CheckEntry(field, result.text, settings);
  FUZZ_CHECK(again.accepted);
  FUZZ_CHECK(again.text == result.text);
}

void CheckThreshold(std::string_view text) {
  if (const std::optional<std::string> clamped = ClampedThresholdText(text)) {
    FUZZ_CHECK(*clamped == "0" || *clamped == "100");
    // The clamped text stays, and puts the slider at its end.
    FUZZ_CHECK(!ClampedThresholdText(*clamped).has_value());
    FUZZ_CHECK(SliderPosition(*clamped) == (*clamped == "0" ? 0 : 100));
  }
  if (const std::optional<int> position = SliderPosition(text)) {
    FUZZ_CHECK(*position >= 0 && *position <= 100);
    FUZZ_CHECK(SliderPosition(std::to_string(*position)) == position);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const FieldInfo> fields = AllFields();
  const Field field = fields[(data[0] & 0x7F) % fields.size()].field;
  DeviceSettings settings{};
  settings[address::kRange] = (data[0] & 0x80) ? 1 : 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  CheckField(field, text, settings);
  CheckThreshold(text);
  return 0;
}
