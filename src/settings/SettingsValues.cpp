#include "settings/SettingsValues.h"

#include <array>

#include "settings/Threshold.h"

namespace vexaro {

std::string KeyValue(Field field, const std::string& text) {
  if (field == Field::optZ10) return text == "1" ? kTenBeeps : kTwoTone;
  return text;
}

void FillControlText(SettingsTexts& texts, Field field, const std::string& text) {
  TextOf(texts, field) = Info(field).kind == ControlKind::TextBox ? ThresholdBoxText(text) : text;
}

std::string RangeName(bool range70) {
  return range70 ? "70V" : "7V";
}

std::string UnshownText(std::uint8_t byte, std::uint8_t address) {
  return "cannot be shown (" + std::to_string(byte) + " at address " + std::to_string(address) +
         ")";
}

std::vector<std::pair<std::string, std::string>> SettingsValues(const ShownSettings& shown) {
  std::vector<std::pair<std::string, std::string>> values{{"version", shown.version},
                                                          {"range", RangeName(shown.range70)}};
  // The fields the firmware gate hides are not among the shown texts.
  SettingsTexts texts;
  std::array<bool, kFieldCount> present{};
  for (const FieldText& shownText : shown.texts) {
    FillControlText(texts, shownText.field, shownText.text);
    present[static_cast<std::size_t>(shownText.field)] = true;
  }
  for (const ShowFailure& f : shown.unshown) {
    TextOf(texts, f.field) = UnshownText(f.byte, f.address);
    present[static_cast<std::size_t>(f.field)] = true;
  }
  for (const FieldInfo& info : AllFields()) {
    if (present[static_cast<std::size_t>(info.field)]) {
      values.emplace_back(info.key, KeyValue(info.field, TextOf(texts, info.field)));
    }
  }
  return values;
}

}  // namespace vexaro
