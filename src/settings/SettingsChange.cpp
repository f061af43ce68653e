#include "settings/SettingsChange.h"

#include <algorithm>
#include <array>
#include <optional>

#include "common/NumberText.h"
#include "common/QuotedText.h"
#include "common/Result.h"
#include "settings/FactoryDefaults.h"
#include "settings/FieldRules.h"
#include "settings/SettingsValues.h"

namespace vexaro {

namespace {

// The control text a value stands for, by the rules the window applies when the user enters it.
Result<std::string> ControlText(Field field, const std::string& value,
                                const DeviceSettings& settings) {
  const FieldInfo& info = Info(field);
  const std::string key = info.key;
  switch (info.kind) {
    case ControlKind::OptionGroup:
      if (value != kTwoTone && value != kTenBeeps) {
        return Failure{key + " must be " + kTwoTone + " or " + kTenBeeps + ", not " +
                       QuotedText(value) + "."};
      }
      return std::string(value == kTenBeeps ? "1" : "0");
    case ControlKind::CheckBox:
      if (value != "0" && value != "1") {
        return Failure{key + " must be 0 or 1, not " + QuotedText(value) + "."};
      }
      return value;
    case ControlKind::PickList: {
      if (IsItem(field, value)) return value;
      std::string items;
      for (const char* item : info.items) items += (items.empty() ? "" : ", ") + std::string(item);
      return Failure{key + " must be one of " + items + ", not " + QuotedText(value) + "."};
    }
    case ControlKind::TextBox:
      return value;  // corrected by Fill, as the box corrects a typed text
    case ControlKind::EditableList: {
      // The box keeps the first few characters of what is typed, which can turn a number out of
      // range into one inside it ("12500" Hz into "1250"): the whole number is checked too.
      const std::optional<FieldRule> rule = RuleFor(field, settings);
      if (rule && rule->cutLength > 0) {
        std::string whole = value;
        if (rule->commaToPoint) std::replace(whole.begin(), whole.end(), ',', '.');
        const Result<double> number = LeadingNumber(whole);
        if (number && (*number < rule->lower || *number > rule->upper)) {
          return Failure{key + ": " + rule->message + "."};
        }
      }
      const CheckResult checked = CheckEntry(field, value, settings);
      if (!checked.accepted) return Failure{key + ": " + checked.message + "."};
      return checked.text;
    }
  }
  return Failure{key + " cannot be set."};
}

SettingsChange Refused(std::string why, bool deviceByte = false) {
  SettingsChange change;
  change.refusal = std::move(why);
  change.deviceByte = deviceByte;
  return change;
}

}  // namespace

std::string CannotShow(const ShowFailure& f) {
  return "the device holds " + std::to_string(f.byte) + " at address " + std::to_string(f.address) +
         ", which cannot be shown as " + Info(f.field).key;
}

SettingsChange PlanSettingsChange(const DeviceSettings& settings,
                                  const std::vector<std::pair<std::string, std::string>>& values,
                                  bool defaults) {
  // Settings of the other voltage range would be read in the wrong unit: refuse them first.
  for (const auto& [key, value] : values) {
    if (key != "range" || value == RangeName(IsRange70(settings))) continue;
    if (value != RangeName(true) && value != RangeName(false)) {
      return Refused("range must be 7V or 70V, not " + QuotedText(value) + ".");
    }
    return Refused("these settings are for a " + value + " device; this one is " +
                   RangeName(IsRange70(settings)) + ".");
  }

  // The device's own texts, as `read` prints them; a byte that cannot be shown has none to
  // store, only the text a backup gives it.
  const ShownSettings shown = ShowSettings(settings, true);
  std::array<std::string, kFieldCount> own;
  SettingsTexts texts;
  std::array<bool, kFieldCount> filled{};
  for (const auto& [key, value] : SettingsValues(shown)) {
    if (const std::optional<Field> field = FieldByKey(key)) {
      own[static_cast<std::size_t>(*field)] = value;
    }
  }
  for (const FieldText& t : shown.texts) {
    FillControlText(texts, t.field, t.text);
    filled[static_cast<std::size_t>(t.field)] = true;
  }
  if (defaults) {
    for (const FieldText& d : BasicDefaults(settings)) FillControlText(texts, d.field, d.text);
    for (const FieldText& d : AdvancedDefaults()) FillControlText(texts, d.field, d.text);
    filled.fill(true);
  }

  // As in the window, only a field whose text changes goes through its entry check; a text the
  // device shows is stored as Send stores it.
  bool changed = defaults;
  for (const auto& [key, value] : values) {
    if (key == "version" || key == "range") continue;  // what the device is, not settings
    const Field field = *FieldByKey(key);
    const auto index = static_cast<std::size_t>(field);
    if (Info(field).needsVersion30 && !HasVersion30Fields(settings)) {
      return Refused(key + " needs firmware 3.0 or later; this device has " + shown.version + ".");
    }
    if (value == own[index]) {
      for (const FieldText& t : shown.texts) {
        if (t.field == field) FillControlText(texts, field, t.text);
      }
      continue;
    }
    const Result<std::string> text = ControlText(field, value, settings);
    if (!text) return Refused(text.why());
    FillControlText(texts, field, *text);
    filled[index] = true;
    changed = true;
  }
  if (!changed) return {};  // every text is the device's own: nothing to store

  for (const ShowFailure& f : shown.unshown) {
    if (!filled[static_cast<std::size_t>(f.field)]) {
      return Refused(CannotShow(f) +
                         "; give it a value, or 'vexaro set --defaults' stores the "
                         "factory settings.",
                     true);
    }
  }
  EncodedSettings encoded = EncodeSettings(texts, settings);
  if (encoded.failure) {
    return Refused(Info(encoded.failure->field).key + std::string(" holds ") +
                   QuotedText(encoded.failure->text) + ", which cannot be stored in the device.");
  }
  SettingsChange change;
  change.writes = std::move(encoded.writes);
  return change;
}

}  // namespace vexaro
