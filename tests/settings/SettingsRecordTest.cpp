// The settings record: device bytes to control texts, control texts to the Send button's writes;
// the entry check of the editable fields, the threshold box and the factory defaults.

#include <gtest/gtest.h>

#include <map>

#include "settings/FactoryDefaults.h"
#include "settings/FieldRules.h"
#include "settings/SettingsRecord.h"
#include "settings/Threshold.h"
#include "simulator/SimulatedDevice.h"
#include "support/SettingsSamples.h"

namespace vexaro {
namespace {

using Bytes = std::map<std::uint8_t, std::uint8_t>;

// The factory store's settings bytes, with `changes`.
DeviceSettings Device(const Bytes& changes = {}) {
  DeviceSettings settings{};
  const DeviceStore store = FactoryStore();
  std::copy_n(store.begin(), 29, settings.begin());
  for (const auto& [address, value] : changes) settings[address] = value;
  return settings;
}

Bytes WritesByAddress(const EncodedSettings& encoded) {
  EXPECT_FALSE(encoded.failure);
  Bytes writes;
  for (const ByteWrite& w : encoded.writes) writes[w.address] = w.value;
  return writes;
}

// The text the window shows in `field` for these bytes; nullptr when it shows none.
std::optional<std::string> Shown(const DeviceSettings& settings, Field field) {
  const ShownSettings shown = ShowSettings(settings);
  EXPECT_FALSE(shown.failure) << Info(field).control;
  for (const FieldText& t : shown.texts) {
    if (t.field == field) return t.text;
  }
  return std::nullopt;
}

TEST(ShowSettings, WorkedExamplesAndTheFirmwareGate) {
  using enum Field;
  const std::optional<std::string> none;  // firmware 2.9 shows no minimum-voltage field
  // clang-format off
  const std::tuple<Bytes, Field, std::optional<std::string>> cases[] = {  // bytes changed from the factory store
      {{{3, 80}}, cboFreq, "1563"}, {{{3, 53}}, cboFreq, "2358"}, {{{3, 80}, {4, 24}}, cboDur, "0.246"},
      {{{3, 25}, {4, 255}}, cboDur, "0.816"}, {{{23, 62}}, cboIDpause, "0.99"}, {{{23, 125}}, cboIDpause, "2.00"},
      {{{12, 78}}, cboGtime, "20"}, {{{12, 0}}, cboGtime, ""}, {{{12, 1}}, cboGtime, ""},
      {{{9, 100}}, txtThres, ""}, {{{9, 50}}, txtThres, "-50"},
      {{{5, 204}, {6, 1}}, cboLowV, "4.60"}, {{{5, 255}, {6, 1}}, cboLowV, "5.11"},
      {{{5, 120}, {6, 0}, {24, 1}}, cboLowV, "12.0"}, {{{5, 0}, {6, 0}}, cboLowV, "OFF"},
      {{{5, 0}, {6, 0}, {24, 1}}, cboLowV, "OFF"}, {{{5, 188}, {6, 2}, {24, 1}}, cboLowV, "70.0"}, {{{5, 120}, {6, 0}, {24, 2}}, cboLowV, "1.20"},
      {{{5, 120}, {6, 0}, {24, 255}}, cboLowV, "1.20"}, {{{17, 2}}, optZ10, "1"}, {{{17, 0}}, optZ10, "0"},
      {{{13, 2}}, cboCmdTime, "1.0"}, {{{13, 8}}, cboCmdTime, "4.0"}, {{{26, 250}}, cboVminDly, "5000"},
      {{{11, 2}}, chkMreset, "1"}, {{{11, 2}}, chkGreset, "0"}, {{{18, 52}, {19, 19}}, cboZeDur, "0.126"},
      {{{22, 31}}, cboIBpause, "0.496"}, {{{2, 30}, {11, 2}}, chkMreset, "1"}, {{{2, 29}, {11, 2}}, chkMreset, none},
      {{{2, 29}, {25, 0}}, cboMcycles, none}, {{{2, 29}, {24, 1}}, cboVminDly, none},
  };
  // clang-format on
  for (const auto& [bytes, field, text] : cases) {
    EXPECT_EQ(Shown(Device(bytes), field), text) << Info(field).control;
  }
}

// The filling stops at the first byte no control can show, and says which.
TEST(ShowSettings, BytesThatNoControlCanShowNameTheirField) {
  using enum Field;
  // clang-format off
  const std::tuple<std::uint8_t, std::uint8_t, Field, bool> cases[] = {  // address, byte, field, gate reached
      {3, 0, cboFreq, false}, {18, 0, cboZeFreq, true}, {20, 0, cboRoFreq, true}, {16, 6, cboStartBeeps, false},
      {8, 0, cboVlowBeeps, false}, {8, 6, cboVlowBeeps, false}, {14, 0, cboVcycles, false}, {15, 6, cboGcycles, false},
      {13, 1, cboCmdTime, false}, {13, 9, cboCmdTime, false}, {25, 0, cboMcycles, true}, {25, 6, cboMcycles, true},
      {10, 2, chkRev, false},
  };
  // clang-format on
  for (const auto& [address, byte, field, gateReached] : cases) {
    const ShownSettings shown = ShowSettings(Device({{address, byte}}));
    ASSERT_TRUE(shown.failure) << int(address) << "=" << int(byte);
    EXPECT_EQ(shown.failure->field, field);
    EXPECT_EQ(shown.failure->address, address);
    EXPECT_EQ(shown.failure->byte, byte);
    EXPECT_EQ(shown.gateReached, gateReached) << int(address);
  }
}

// The one golden send: the factory texts of both pages, stored in the Send button's order.
TEST(EncodeSettings, FactoryTextsInSendOrder) {
  // clang-format off
  const std::vector<ByteWrite> factory = {
      {9, 170}, {10, 0}, {5, 204}, {6, 1}, {3, 53}, {4, 37}, {16, 2}, {8, 3}, {7, 100}, {12, 117},
      {13, 5}, {14, 2}, {15, 3}, {25, 4}, {26, 5}, {11, 0}, {17, 0}, {18, 52}, {19, 19}, {20, 63},
      {21, 31}, {22, 31}, {23, 94},
  };
  // clang-format on
  const EncodedSettings encoded = EncodeSettings(FactoryTexts(), Device());
  ASSERT_FALSE(encoded.failure);
  EXPECT_EQ(encoded.writes, factory);

  // Older firmware: addresses 25 and 26 are not written.
  std::vector<ByteWrite> older = factory;
  std::erase_if(older, [](const ByteWrite& w) { return w.address == 25 || w.address == 26; });
  EXPECT_EQ(EncodeSettings(FactoryTexts(), Device({{2, 29}})).writes, older);
}

TEST(EncodeSettings, WorkedExamples) {
  using enum Field;
  // The texts and the device bytes changed from the factory ones, and writes among those expected.
  using Case = std::tuple<std::map<Field, std::string>, Bytes, Bytes>;
  // clang-format off
  const Case cases[] = {
      {{{cboFreq, "2000"}}, {}, {{3, 63}}}, {{{cboFreq, "1568"}, {cboDur, "0.250"}}, {}, {{3, 80}, {4, 24}}},
      {{{cboFreq, "5000"}, {cboDur, "1.0"}}, {}, {{3, 25}, {4, 255}}},
      {{{cboFreq, "2358"}, {cboDur, "0.125"}}, {}, {{3, 53}, {4, 18}}},
      {{{cboIDpause, "1.00"}}, {}, {{23, 62}}}, {{{cboIDpause, "2.00"}}, {}, {{23, 125}}},
      {{{cboIBpause, "0.5 s"}}, {}, {{22, 31}}}, {{{cboGtime, "20"}}, {}, {{12, 78}}},
      {{{txtThres, ""}}, {}, {{9, 100}}}, {{{cboLowV, "4.60"}}, {}, {{5, 204}, {6, 1}}},
      {{{cboLowV, "5.11"}}, {}, {{5, 255}, {6, 1}}}, {{{cboLowV, "12.0"}}, {{24, 1}}, {{5, 120}, {6, 0}}},
      {{{cboLowV, "12.0"}}, {{24, 2}}, {{5, 176}, {6, 4}}}, {{{cboLowV, "30"}}, {{24, 1}}, {{5, 44}, {6, 1}}},
      {{{cboLowV, "70.0"}}, {{24, 1}}, {{5, 188}, {6, 2}}}, {{{cboLowV, "off"}}, {}, {{5, 0}, {6, 0}}},
      {{{cboLowV, "Off"}}, {{24, 1}}, {{5, 0}, {6, 0}}}, {{{cboLowV, ""}}, {}, {{5, 0}, {6, 0}}},
      {{{chkGreset, "1"}, {chkMreset, "1"}}, {}, {{11, 3}}}, {{{chkGreset, "0"}, {chkMreset, "1"}}, {}, {{11, 2}}},
      {{{chkGreset, "1"}, {chkMreset, "1"}}, {{2, 29}}, {{11, 1}}}, {{{optZ10, "1"}}, {}, {{17, 1}}},
      {{{cboCmdTime, "4.0"}}, {}, {{13, 8}}}, {{{cboVminDly, "5000"}}, {}, {{26, 250}}},
  };
  // clang-format on
  for (const auto& [changed, device, expected] : cases) {
    SettingsTexts texts = FactoryTexts();
    for (const auto& [field, text] : changed) TextOf(texts, field) = text;
    const Bytes writes = WritesByAddress(EncodeSettings(texts, Device(device)));
    for (const auto& [a, value] : expected) {
      EXPECT_EQ(writes.at(a), value) << "address " << int(a) << " for " << changed.begin()->second;
    }
  }
}

TEST(EncodeSettings, TextsThatCannotBeStoredNameTheirFieldAndWriteNothing) {
  using enum Field;
  const std::pair<Field, const char*> cases[] = {
      {cboFreq, "0"},       {cboFreq, "1e999"}, {cboDur, "-1"},  {cboStartBeeps, "7"},
      {cboCmdTime, "2.25"}, {chkRev, "2"},      {optZ10, "two"}, {txtThres, "200"},
      {cboLowV, "-1"},      {cboIDpause, "5"},
  };
  for (const auto& [field, text] : cases) {
    SettingsTexts texts = FactoryTexts();
    TextOf(texts, field) = text;
    const EncodedSettings encoded = EncodeSettings(texts, Device());
    ASSERT_TRUE(encoded.failure) << text;
    EXPECT_EQ(encoded.failure->field, field) << text;
    EXPECT_EQ(encoded.failure->text, text);
    EXPECT_TRUE(encoded.writes.empty());
  }
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
    const CheckResult result = CheckEntry(c.field, c.typed, Device({{24, c.range}}));
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
    std::vector<FieldText> defaults = BasicDefaults(Device({{24, range}}));
    EXPECT_EQ(defaults[2].text, range == 1 ? "OFF" : "4.60");
    for (const FieldText& d : AdvancedDefaults()) defaults.push_back(d);
    ASSERT_EQ(defaults.size(), kFieldCount);
    for (const FieldText& d : defaults) {
      const auto rule = RuleFor(d.field, Device({{24, range}}));
      EXPECT_EQ(d.text, rule ? rule->restoreText : d.text) << Info(d.field).control;
      EXPECT_TRUE(Info(d.field).kind != ControlKind::PickList || IsItem(d.field, d.text));
    }
  }
}

}  // namespace
}  // namespace vexaro
