// The entry check of the editable fields, the threshold box and the factory defaults.

#include <gtest/gtest.h>

#include "settings/FactoryDefaults.h"
#include "settings/FieldRules.h"
#include "settings/Threshold.h"

namespace vexaro {
namespace {

DeviceSettings Range(std::uint8_t byte24) {
  DeviceSettings settings{};
  settings[24] = byte24;
  return settings;
}

constexpr const char* k7V = "Voltage must be between 0.00V(OFF) and 7.00V";
constexpr const char* k70V = "Voltage must be between 0.0V(OFF) and 70.0V";

TEST(CheckEntry, CutCommaQuantumAndBounds) {
  using enum Field;
  struct Case {
    Field field;
    const char* typed;
    const char* result;  // the accepted text, or the restore text when refused
    bool accepted;
    std::uint8_t range = 0;    // byte 24
    const char* message = "";  // checked when given
  };
  // clang-format off
  const Case cases[] = {
      {cboFreq, "1568 (G6)", "1568", true}, {cboDur, "0.125 (1/8)", "0.125", true},
      {cboFreq, "12345", "1234", true}, {cboDur, "1.00001", "1.000", true}, {cboDur, "0.0625", "0.062", true},
      {cboIBpause, "0,5", "0.5", true}, {cboVlowDly, "0,5", "0.5", true}, {cboGtime, "30,5", "30,5", true},
      {cboFreq, "2,358", "2358", false}, {cboIBpause, "0.5 s", "0.5 s", true}, {cboVminDly, "100,5", "100", true},
      // A bound is accepted, a number just outside it refused.
      {cboDur, "0.032", "0.032", true}, {cboDur, "1.0", "1.0", true},
      {cboDur, "0.031", "0.250", false, 0, "Duration must be between 0.032 and 1.0 Sec"},
      {cboDur, "1.001", "0.250", false}, {cboFreq, "500", "500", true}, {cboFreq, "5001", "2358", false},
      {cboDur, "", "0.250", false}, {cboFreq, "1e999", "2358", false}, {cboIDpause, "-1", "1.50", false},
      // The capture time rounds to whole 20 ms ticks, halves to even, before its bounds apply.
      {cboVminDly, "15", "20", true}, {cboVminDly, "30", "40", true}, {cboVminDly, "50", "40", true},
      {cboVminDly, "70", "80", true}, {cboVminDly, "10", "100", false}, {cboVminDly, "5010", "5000", true},
      {cboVminDly, "5030", "100", false}, {cboVminDly, "-30", "100", false}, {cboVminDly, "1e999", "100", false},
      // The low-battery voltage: OFF in any letter case, else the bounds of the range in force.
      {cboLowV, "off", "off", true}, {cboLowV, "oFf", "oFf", true, 1}, {cboLowV, "", "", true},
      {cboLowV, "OFF ", "OFF ", true}, {cboLowV, "7", "7", true}, {cboLowV, "4,55", "4.55", true},
      {cboLowV, "7.5", "4.60", false, 0, k7V}, {cboLowV, "7.5", "4.60", false, 2, k7V},
      {cboLowV, "7.5", "4.60", false, 255, k7V}, {cboLowV, "7.5", "7.5", true, 1},
      {cboLowV, "70", "70", true, 1}, {cboLowV, "70.1", "OFF", false, 1, k70V},
      {cboLowV, "-1", "4.60", false}, {cboLowV, "-1", "OFF", false, 1}, {cboLowV, "1e999", "4.60", false},
      // Only the three letters of OFF skip the number's steps: any other text has its comma made a
      // point (and reads as 0, off).
      {cboLowV, "OF,", "OF.", true}, {cboLowV, "O,F", "O.F", true}, {cboLowV, ",FF", ".FF", true, 1},
      // Fields without a check keep any text.
      {txtThres, "abc", "abc", true}, {cboStartBeeps, "9", "9", true},
  };
  // clang-format on
  for (const Case& c : cases) {
    const CheckResult result = CheckEntry(c.field, c.typed, Range(c.range));
    const std::string what = std::string(Info(c.field).control) + " \"" + c.typed + "\"";
    EXPECT_EQ(result.accepted, c.accepted) << what;
    EXPECT_EQ(result.text, c.result) << what;
    EXPECT_EQ(result.message.empty(), c.accepted) << what;
    EXPECT_EQ(*c.message ? result.message : "", c.message) << what;
  }
}

TEST(Threshold, ClampAndSliderPosition) {
  // clang-format off
  const std::tuple<const char*, std::optional<std::string>, std::optional<int>> cases[] = {
      {"150", "100", {}}, {"-5", "0", {}}, {"1e999", "100", {}}, {"-1e999", "100", {}},
      {"100.4", "100", 100}, {"35", {}, 35}, {"12.5", {}, 12}, {"13.5", {}, 14}, {"100", {}, 100},
      {"0", {}, 0}, {" 42 ", {}, 42}, {"", {}, {}}, {"-", {}, {}}, {"50abc", {}, {}},
  };
  // clang-format on
  for (const auto& [text, clamped, slider] : cases) {
    EXPECT_EQ(ClampedThresholdText(text), clamped) << text;
    EXPECT_EQ(SliderPosition(text), slider) << text;
  }
}

// Each default is a text its field accepts: an editable field's default is its restore text, a
// pick-only field's default one of its items.
TEST(FactoryDefaults, AreWhatTheirFieldsAccept) {
  for (std::uint8_t range : {0, 1}) {
    std::vector<FieldText> defaults = BasicDefaults(Range(range));
    EXPECT_EQ(defaults[2].text, range == 1 ? "OFF" : "4.60");
    for (const FieldText& d : AdvancedDefaults()) defaults.push_back(d);
    ASSERT_EQ(defaults.size(), kFieldCount);
    for (const FieldText& d : defaults) {
      const auto rule = RuleFor(d.field, Range(range));
      EXPECT_EQ(d.text, rule ? rule->restoreText : d.text) << Info(d.field).control;
      EXPECT_TRUE(Info(d.field).kind != ControlKind::PickList || IsItem(d.field, d.text));
    }
  }
}

}  // namespace
}  // namespace vexaro
