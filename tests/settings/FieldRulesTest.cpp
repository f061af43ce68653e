// The entry check of every editable field, the threshold text and the factory defaults.

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

struct EntryCase {
  Field field;
  const char* typed;
  const char* result;  // the accepted text, or the restore text when refused
  bool accepted;
  std::uint8_t range = 0;
};

TEST(CheckEntry, EveryRuleAtAndJustOutsideItsBounds) {
  using enum Field;
  const EntryCase cases[] = {
      // Bounds are accepted, the numbers just outside refused.
      {cboFreq, "500", "500", true},
      {cboFreq, "5000", "5000", true},
      {cboFreq, "499", "2358", false},
      {cboFreq, "5001", "2358", false},
      {cboDur, "0.032", "0.032", true},
      {cboDur, "1.0", "1.0", true},
      {cboDur, "0.031", "0.250", false},
      {cboDur, "1.001", "0.250", false},
      {cboGtime, "5", "5", true},
      {cboGtime, "65", "65", true},
      {cboGtime, "4.9", "30", false},
      {cboGtime, "66", "30", false},
      {cboVminDly, "20", "20", true},
      {cboVminDly, "5000", "5000", true},
      {cboVlowDly, "0.1", "0.1", true},
      {cboVlowDly, "5.0", "5.0", true},
      {cboVlowDly, "0.09", "2.0", false},
      {cboVlowDly, "5.1", "2.0", false},
      {cboZeFreq, "500", "500", true},
      {cboZeFreq, "5001", "2404", false},
      {cboRoFreq, "5000", "5000", true},
      {cboRoFreq, "499", "1984", false},
      {cboZeDur, "1.0", "1.0", true},
      {cboZeDur, "0.031", "0.125", false},
      {cboRoDur, "0.032", "0.032", true},
      {cboRoDur, "2", "0.250", false},
      {cboIBpause, "0.016", "0.016", true},
      {cboIBpause, "4.0", "4.0", true},
      {cboIBpause, "0.015", "0.500", false},
      {cboIDpause, "4.01", "1.50", false},
      {cboIDpause, "0.016", "0.016", true},
      // Cut, comma and the text after the number.
      {cboFreq, "1568 (G6)", "1568", true},
      {cboDur, "0.125 (1/8)", "0.125", true},
      {cboFreq, "12345", "1234", true},
      {cboDur, "1.00001", "1.000", true},
      {cboDur, "0.0625", "0.062", true},
      {cboIBpause, "0,5", "0.5", true},
      {cboGtime, "30,5", "30,5", true},
      {cboFreq, "2,358", "2358", false},
      {cboIBpause, "0.5 s", "0.5 s", true},
      {cboVminDly, "100,5", "100", true},
      // Empty texts, letters, numbers too large to represent.
      {cboDur, "", "0.250", false},
      {cboFreq, "abc", "2358", false},
      {cboFreq, "1e999", "2358", false},
      {cboVminDly, "1e999", "100", false},
      {cboIDpause, "-1", "1.50", false},
      // The low-battery voltage in each range.
      {cboLowV, "OFF", "OFF", true},
      {cboLowV, "off", "off", true},
      {cboLowV, "oFf", "oFf", true, 1},
      {cboLowV, "", "", true},
      {cboLowV, "0", "0", true},
      {cboLowV, "7", "7", true},
      {cboLowV, "7.5", "4.60", false},
      {cboLowV, "7.5", "7.5", true, 1},
      {cboLowV, "70", "70", true, 1},
      {cboLowV, "70.1", "OFF", false, 1},
      {cboLowV, "-1", "4.60", false},
      {cboLowV, "-1", "OFF", false, 1},
      {cboLowV, "4,55", "4.55", true},
      {cboLowV, "OFF ", "OFF ", true},
      {cboLowV, "1e999", "4.60", false},
      // Fields without a check keep any text.
      {txtThres, "abc", "abc", true},
      {cboStartBeeps, "9", "9", true},
  };
  for (const EntryCase& c : cases) {
    const CheckResult result = CheckEntry(c.field, c.typed, Range(c.range));
    const std::string what = std::string(Info(c.field).control) + " \"" + c.typed + "\"";
    EXPECT_EQ(result.accepted, c.accepted) << what;
    EXPECT_EQ(result.text, c.result) << what;
    if (!c.accepted) {
      EXPECT_FALSE(result.message.empty()) << what;
    }
  }
}

// The low-battery voltage takes its message and restore text from the range in force.
TEST(CheckEntry, LowVoltageMessageFollowsTheRange) {
  EXPECT_EQ(CheckEntry(Field::cboLowV, "9", Range(0)).message,
            "Voltage must be between 0.00V(OFF) and 7.00V");
  EXPECT_EQ(CheckEntry(Field::cboLowV, "99", Range(1)).message,
            "Voltage must be between 0.0V(OFF) and 70.0V");
  for (std::uint8_t other : {2, 255}) {
    EXPECT_EQ(CheckEntry(Field::cboLowV, "9", Range(other)).text, "4.60");
  }
}

TEST(CheckEntry, CaptureTimeRoundsToWholeTicksHalvesToEven) {
  const EntryCase cases[] = {
      {Field::cboVminDly, "15", "20", true},     {Field::cboVminDly, "30", "40", true},
      {Field::cboVminDly, "50", "40", true},     {Field::cboVminDly, "70", "80", true},
      {Field::cboVminDly, "10", "100", false},   {Field::cboVminDly, "5010", "5000", true},
      {Field::cboVminDly, "5030", "100", false}, {Field::cboVminDly, "-30", "100", false},
  };
  for (const EntryCase& c : cases) {
    const CheckResult result = CheckEntry(c.field, c.typed, Range(0));
    EXPECT_EQ(result.accepted, c.accepted) << c.typed;
    EXPECT_EQ(result.text, c.result) << c.typed;
  }
}

TEST(Threshold, ClampAndSliderPosition) {
  struct Case {
    const char* text;
    std::optional<std::string> clamped;
    std::optional<int> slider;
  };
  const Case cases[] = {
      {"150", "100", std::nullopt},
      {"-5", "0", std::nullopt},
      {"1e999", "100", std::nullopt},
      {"-1e999", "100", std::nullopt},
      {"35", {}, 35},
      {"12.5", {}, 12},
      {"13.5", {}, 14},
      {"100", {}, 100},
      {"0", {}, 0},
      {"", {}, std::nullopt},
      {"-", {}, std::nullopt},
      {"50abc", {}, std::nullopt},
      {" 42 ", {}, 42},
      {"abc", {}, std::nullopt},
      {"99.6", {}, 100},
      {"100.4", "100", 100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClampedThresholdText(c.text), c.clamped) << c.text;
    EXPECT_EQ(SliderPosition(c.text), c.slider) << c.text;
  }
}

// Each default is a text its field accepts: an editable field's default is its restore text, a
// pick-only field's default one of its items.
TEST(FactoryDefaults, AreWhatTheirFieldsAccept) {
  for (std::uint8_t range : {0, 1}) {
    std::vector<FieldText> defaults = BasicDefaults(Range(range));
    const std::vector<FieldText> advanced = AdvancedDefaults();
    defaults.insert(defaults.end(), advanced.begin(), advanced.end());
    EXPECT_EQ(defaults.size(), 5u + 18u);
    for (const FieldText& d : defaults) {
      const FieldInfo& info = Info(d.field);
      if (const auto rule = RuleFor(d.field, Range(range))) {
        EXPECT_EQ(d.text, rule->restoreText) << info.control;
      }
      if (info.kind == ControlKind::PickList) {
        EXPECT_TRUE(IsItem(d.field, d.text)) << info.control;
      }
      if (info.page == Page::Basic) {
        EXPECT_LT(&d - defaults.data(), 5) << info.control << " belongs to the basic page";
      }
    }
  }
  EXPECT_EQ(BasicDefaults(Range(1))[2].text, "OFF");
  EXPECT_EQ(BasicDefaults(Range(0))[2].text, "4.60");
}

}  // namespace
}  // namespace vexaro
