// The settings record: device bytes to control texts, control texts to the Send button's writes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "settings/SettingsRecord.h"
#include "simulator/SimulatedDevice.h"
#include "support/SettingsSamples.h"

namespace vexaro {
namespace {

using ::testing::ElementsAreArray;

DeviceSettings Factory() {
  DeviceSettings settings{};
  const DeviceStore store = FactoryStore();
  std::copy_n(store.begin(), 29, settings.begin());
  return settings;
}

std::map<Field, std::string> TextsByField(const ShownSettings& shown) {
  std::map<Field, std::string> texts;
  for (const FieldText& t : shown.texts) texts[t.field] = t.text;
  return texts;
}

// The texts a read of `settings` leaves in the controls.
SettingsTexts Shown(const DeviceSettings& settings) {
  SettingsTexts texts;
  for (const auto& [field, text] : TextsByField(ShowSettings(settings))) {
    TextOf(texts, field) = text;
  }
  return texts;
}

std::map<std::uint8_t, std::uint8_t> WritesByAddress(const EncodedSettings& encoded) {
  std::map<std::uint8_t, std::uint8_t> writes;
  for (const ByteWrite& w : encoded.writes) writes[w.address] = w.value;
  return writes;
}

TEST(ShowSettings, WorkedExamples) {
  struct Case {
    std::map<std::uint8_t, std::uint8_t> bytes;  // changed from the factory store
    Field field;
    std::string text;
  };
  const Case cases[] = {
      {{{3, 80}}, Field::cboFreq, "1563"},
      {{{3, 53}}, Field::cboFreq, "2358"},
      {{{3, 80}, {4, 24}}, Field::cboDur, "0.246"},
      {{{3, 25}, {4, 255}}, Field::cboDur, "0.816"},
      {{{23, 62}}, Field::cboIDpause, "0.99"},
      {{{23, 125}}, Field::cboIDpause, "2.00"},
      {{{12, 78}}, Field::cboGtime, "20"},
      {{{12, 0}}, Field::cboGtime, ""},
      {{{12, 1}}, Field::cboGtime, ""},
      {{{9, 100}}, Field::txtThres, ""},
      {{{9, 50}}, Field::txtThres, "-50"},
      {{{5, 204}, {6, 1}}, Field::cboLowV, "4.60"},
      {{{5, 255}, {6, 1}}, Field::cboLowV, "5.11"},
      {{{5, 120}, {6, 0}, {24, 1}}, Field::cboLowV, "12.0"},
      {{{5, 0}, {6, 0}}, Field::cboLowV, "OFF"},
      {{{5, 0}, {6, 0}, {24, 1}}, Field::cboLowV, "OFF"},
      {{{5, 120}, {6, 0}, {24, 0}}, Field::cboLowV, "1.20"},
      {{{5, 120}, {6, 0}, {24, 2}}, Field::cboLowV, "1.20"},
      {{{5, 120}, {6, 0}, {24, 255}}, Field::cboLowV, "1.20"},
      {{{17, 2}}, Field::optZ10, "1"},
      {{{17, 0}}, Field::optZ10, "0"},
      {{{13, 2}}, Field::cboCmdTime, "1.0"},
      {{{13, 8}}, Field::cboCmdTime, "4.0"},
      {{{26, 250}}, Field::cboVminDly, "5000"},
      {{{11, 2}}, Field::chkMreset, "1"},
      {{{11, 2}}, Field::chkGreset, "0"},
      {{{18, 52}, {19, 19}}, Field::cboZeDur, "0.126"},
      {{{22, 31}}, Field::cboIBpause, "0.496"},
  };
  for (const Case& c : cases) {
    DeviceSettings settings = Factory();
    for (const auto& [a, value] : c.bytes) settings[a] = value;
    const ShownSettings shown = ShowSettings(settings);
    ASSERT_FALSE(shown.failure) << Info(c.field).control;
    EXPECT_EQ(TextsByField(shown)[c.field], c.text) << Info(c.field).control;
  }
}

TEST(ShowSettings, VersionRangeAndFirmwareGate) {
  DeviceSettings settings = Factory();
  ShownSettings shown = ShowSettings(settings);
  EXPECT_EQ(shown.version, "3.1");
  EXPECT_FALSE(shown.range70);
  EXPECT_EQ(shown.texts.size(), kFieldCount);

  settings[2] = 30;
  EXPECT_EQ(ShowSettings(settings).version, "3.0");
  EXPECT_EQ(ShowSettings(settings).texts.size(), kFieldCount);

  // Firmware 2.9: the minimum-voltage fields are not shown, whatever their bytes hold.
  settings[2] = 29;
  settings[25] = 0;
  settings[24] = 1;
  shown = ShowSettings(settings);
  EXPECT_EQ(shown.version, "2.9");
  EXPECT_TRUE(shown.range70);
  EXPECT_TRUE(shown.gateReached);
  EXPECT_FALSE(shown.failure);
  const auto texts = TextsByField(shown);
  for (Field gated : {Field::cboMcycles, Field::cboVminDly, Field::chkMreset}) {
    EXPECT_EQ(texts.count(gated), 0u) << Info(gated).control;
  }
  EXPECT_EQ(texts.size(), kFieldCount - 3);
}

// The texts are in the order the window fills its controls.
TEST(ShowSettings, FillsInTheWindowsOrder) {
  std::vector<Field> order;
  for (const FieldText& t : ShowSettings(Factory()).texts) order.push_back(t.field);
  using enum Field;
  EXPECT_THAT(
      order,
      ElementsAreArray({txtThres,     chkRev,     cboLowV,    cboFreq,    cboDur,     cboStartBeeps,
                        cboVlowBeeps, cboVlowDly, cboGtime,   chkGreset,  cboCmdTime, cboVcycles,
                        cboGcycles,   cboMcycles, cboVminDly, chkMreset,  optZ10,     cboZeFreq,
                        cboZeDur,     cboRoFreq,  cboRoDur,   cboIBpause, cboIDpause}));
}

TEST(ShowSettings, BytesThatNoControlCanShowNameTheirField) {
  struct Case {
    std::uint8_t address;
    std::uint8_t byte;
    Field field;
    bool gateReached;
  };
  const Case cases[] = {
      {3, 0, Field::cboFreq, false},        {18, 0, Field::cboZeFreq, true},
      {20, 0, Field::cboRoFreq, true},      {16, 6, Field::cboStartBeeps, false},
      {16, 7, Field::cboStartBeeps, false}, {8, 0, Field::cboVlowBeeps, false},
      {8, 6, Field::cboVlowBeeps, false},   {14, 0, Field::cboVcycles, false},
      {15, 6, Field::cboGcycles, false},    {13, 1, Field::cboCmdTime, false},
      {13, 9, Field::cboCmdTime, false},    {25, 0, Field::cboMcycles, true},
      {25, 6, Field::cboMcycles, true},     {10, 2, Field::chkRev, false},
  };
  for (const Case& c : cases) {
    DeviceSettings settings = Factory();
    settings[c.address] = c.byte;
    const ShownSettings shown = ShowSettings(settings);
    ASSERT_TRUE(shown.failure) << int(c.address) << "=" << int(c.byte);
    EXPECT_EQ(shown.failure->field, c.field);
    EXPECT_EQ(shown.failure->address, c.address);
    EXPECT_EQ(shown.failure->byte, c.byte);
    EXPECT_EQ(shown.gateReached, c.gateReached) << int(c.address);
    EXPECT_EQ(shown.version, "3.1");
  }
}

TEST(EncodeSettings, FactoryTextsStoreTheFactoryBytesInSendOrder) {
  const EncodedSettings encoded = EncodeSettings(FactoryTexts(), Factory());
  ASSERT_FALSE(encoded.failure);
  std::vector<int> order;
  for (const ByteWrite& w : encoded.writes) {
    order.push_back(w.address);
    EXPECT_EQ(w.value, Factory()[w.address]) << "address " << int(w.address);
  }
  EXPECT_THAT(order, ElementsAreArray({9,  10, 5,  6,  3,  4,  16, 8,  7,  12, 13, 14,
                                       15, 25, 26, 11, 17, 18, 19, 20, 21, 22, 23}));

  DeviceSettings older = Factory();
  older[2] = 29;
  order.clear();
  for (const ByteWrite& w : EncodeSettings(FactoryTexts(), older).writes)
    order.push_back(w.address);
  EXPECT_THAT(order, ElementsAreArray({9,  10, 5,  6,  3,  4,  16, 8,  7,  12, 13,
                                       14, 15, 11, 17, 18, 19, 20, 21, 22, 23}));
}

TEST(EncodeSettings, WorkedExamples) {
  struct Case {
    std::map<Field, std::string> texts;           // changed from the factory texts
    std::map<std::uint8_t, std::uint8_t> device;  // changed from the factory bytes
    std::map<std::uint8_t, std::uint8_t> writes;  // expected among the writes
  };
  using enum Field;
  const Case cases[] = {
      {{{cboFreq, "2000"}}, {}, {{3, 63}}},
      {{{cboFreq, "1568"}, {cboDur, "0.250"}}, {}, {{3, 80}, {4, 24}}},
      {{{cboFreq, "5000"}, {cboDur, "1.0"}}, {}, {{3, 25}, {4, 255}}},
      {{{cboFreq, "2358"}, {cboDur, "0.125"}}, {}, {{3, 53}, {4, 18}}},
      {{{cboFreq, "2358"}}, {}, {{3, 53}}},
      {{{cboIDpause, "1.00"}}, {}, {{23, 62}}},
      {{{cboIDpause, "2.00"}}, {}, {{23, 125}}},
      {{{cboIBpause, "0.5 s"}}, {}, {{22, 31}}},
      {{{cboGtime, "20"}}, {}, {{12, 78}}},
      {{{txtThres, ""}}, {}, {{9, 100}}},
      {{{cboLowV, "4.60"}}, {}, {{5, 204}, {6, 1}}},
      {{{cboLowV, "5.11"}}, {}, {{5, 255}, {6, 1}}},
      {{{cboLowV, "12.0"}}, {{24, 1}}, {{5, 120}, {6, 0}}},
      {{{cboLowV, "12.0"}}, {{24, 2}}, {{5, 176}, {6, 4}}},
      {{{cboLowV, "off"}}, {}, {{5, 0}, {6, 0}}},
      {{{cboLowV, "Off"}}, {{24, 1}}, {{5, 0}, {6, 0}}},
      {{{cboLowV, ""}}, {}, {{5, 0}, {6, 0}}},
      {{{chkGreset, "1"}, {chkMreset, "1"}}, {}, {{11, 3}}},
      {{{chkGreset, "0"}, {chkMreset, "1"}}, {}, {{11, 2}}},
      {{{chkGreset, "1"}, {chkMreset, "1"}}, {{2, 29}}, {{11, 1}}},
      {{{optZ10, "1"}}, {}, {{17, 1}}},
      {{{optZ10, "0"}}, {}, {{17, 0}}},
      {{{cboCmdTime, "4.0"}}, {}, {{13, 8}}},
      {{{cboVminDly, "5000"}}, {}, {{26, 250}}},
  };
  for (const Case& c : cases) {
    SettingsTexts texts = FactoryTexts();
    for (const auto& [field, text] : c.texts) TextOf(texts, field) = text;
    DeviceSettings settings = Factory();
    for (const auto& [a, value] : c.device) settings[a] = value;
    const EncodedSettings encoded = EncodeSettings(texts, settings);
    ASSERT_FALSE(encoded.failure);
    const auto writes = WritesByAddress(encoded);
    for (const auto& [a, value] : c.writes) {
      EXPECT_EQ(writes.at(a), value) << "address " << int(a) << " for " << c.texts.begin()->second;
    }
  }
}

TEST(EncodeSettings, TextsThatCannotBeStoredNameTheirFieldAndWriteNothing) {
  using enum Field;
  const std::pair<Field, const char*> cases[] = {
      {cboFreq, "0"},       {cboZeFreq, "-2000"}, {cboFreq, "1e999"}, {cboDur, "-1"},
      {cboStartBeeps, "7"}, {cboCmdTime, "2.25"}, {cboVcycles, "2 "}, {chkRev, "2"},
      {chkGreset, ""},      {optZ10, "two"},      {txtThres, "200"},  {cboLowV, "-1"},
      {cboVlowDly, "6"},    {cboIDpause, "5"},
  };
  for (const auto& [field, text] : cases) {
    SettingsTexts texts = FactoryTexts();
    TextOf(texts, field) = text;
    const EncodedSettings encoded = EncodeSettings(texts, Factory());
    ASSERT_TRUE(encoded.failure) << text;
    EXPECT_EQ(encoded.failure->field, field) << text;
    EXPECT_EQ(encoded.failure->text, text);
    EXPECT_TRUE(encoded.writes.empty());
  }
}

// The 16-bit low-battery voltage comes back for every value of the entry range, 0 to 7.00 V in
// hundredths and 0 to 70.0 V in tenths. (Far above it, from 74.24 V in the 7 V range and 76.8 V in
// the 70 V range, the quotient by 2.56 or 25.6 can land one below and the Send button refuses the
// text; no entry can reach those values.)
TEST(RoundTrips, LowVoltageOverTheEntryRangeOfBothRanges) {
  for (std::uint8_t range : {0, 1}) {
    for (int v = 0; v <= 700; ++v) {
      DeviceSettings settings = Factory();
      settings[24] = range;
      settings[5] = static_cast<std::uint8_t>(v & 0xff);
      settings[6] = static_cast<std::uint8_t>(v >> 8);
      const auto writes = WritesByAddress(EncodeSettings(Shown(settings), settings));
      ASSERT_EQ(writes.size(), 23u) << "range " << int(range) << " v " << v;
      EXPECT_EQ(256 * writes.at(6) + writes.at(5), v) << "range " << int(range);
    }
  }
}

// Showing a device byte and sending the shown text stores the byte again, for each field over
// the bytes it can show: the conversions lose nothing there.
struct RoundTrip {
  const char* name;
  std::uint8_t address;
  int first;
  int last;
  std::map<std::uint8_t, std::uint8_t> device;  // other bytes changed from the factory store
  // Bytes that come back different; empty when every byte comes back.
  std::function<bool(int)> changes = [](int) { return false; };
};

void PrintTo(const RoundTrip& c, std::ostream* os) {
  *os << c.name;
}

class RoundTrips : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTrips, ShownTextStoresTheSameByte) {
  const RoundTrip& c = GetParam();
  for (int byte = c.first; byte <= c.last; ++byte) {
    DeviceSettings settings = Factory();
    for (const auto& [a, value] : c.device) settings[a] = value;
    settings[c.address] = static_cast<std::uint8_t>(byte);
    const EncodedSettings encoded = EncodeSettings(Shown(settings), settings);
    ASSERT_FALSE(encoded.failure) << c.name << " byte " << byte;
    const int stored = WritesByAddress(encoded).at(c.address);
    EXPECT_EQ(stored != byte, c.changes(byte)) << c.name << " byte " << byte << " -> " << stored;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryByte, RoundTrips,
    ::testing::Values(
        RoundTrip{"TurnOn", 9, 0, 255, {}}, RoundTrip{"Reverse", 10, 0, 1, {}},
        RoundTrip{"LowVoltageLowByte7V", 5, 0, 255, {{6, 1}}},
        RoundTrip{"LowVoltageHighByte7V", 6, 1, 2, {{5, 188}}},
        RoundTrip{"LowVoltageLowByte70V", 5, 0, 255, {{6, 0}, {24, 1}}},
        RoundTrip{"BeepPeriod", 3, 1, 255, {}}, RoundTrip{"ZePeriod", 18, 1, 255, {}},
        RoundTrip{"BeepLengthAt2358Hz", 4, 1, 255, {}},
        RoundTrip{"RoLengthAt1984Hz", 21, 1, 255, {}}, RoundTrip{"PowerUpBeeps", 16, 0, 5, {}},
        RoundTrip{"AlertBeeps", 8, 1, 5, {}}, RoundTrip{"CommandWindow", 13, 2, 8, {}},
        RoundTrip{"VoltageCycles", 14, 1, 5, {}}, RoundTrip{"MinVoltageCycles", 25, 1, 5, {}},
        RoundTrip{"MinVoltageCapture", 26, 0, 255, {}},
        RoundTrip{"ClearAfterReporting", 11, 0, 3, {}}, RoundTrip{"InterBeepPause", 22, 0, 255, {}},
        RoundTrip{"InterDigitPause", 23, 0, 255, {}},
        // Shown in tenths of a second, kept in 20 ms ticks: only multiples of 5 come back.
        RoundTrip{"AlertDelayOnlyInWholeTenths", 7, 0, 255, {}, [](int b) { return b % 5 != 0; }},
        // Shown in whole ms, kept in 0.256 ms ticks: a byte whose ms rounds to a tick nearer
        // another byte comes back as that byte.
        RoundTrip{"GlitchPeriodOnlyWhereWholeMsRoundsBack",
                  12,
                  0,
                  255,
                  {},
                  [](int b) {
                    const double ms = std::floor(b * 0.256 + 0.5);
                    return std::nearbyint(ms / 0.256) != b;
                  }},
        // The zero output is a choice of two: every byte but 0 comes back as 1.
        RoundTrip{
            "ZeroOutputAnyNonZeroComesBackAsOne", 17, 0, 255, {}, [](int b) { return b > 1; }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexaro
