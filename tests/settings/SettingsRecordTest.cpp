// The settings record: device bytes to control texts, control texts to the Send button's writes.

#include <gtest/gtest.h>

#include <map>

#include "settings/SettingsRecord.h"
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
  EXPECT_EQ(ShowSettings(Device()).version, "3.1");
  EXPECT_EQ(ShowSettings(Device({{2, 29}})).version, "2.9");
  EXPECT_EQ(ShowSettings(Device({{24, 1}})).range70, true);
  EXPECT_EQ(ShowSettings(Device({{24, 2}})).range70, false);
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

}  // namespace
}  // namespace vexaro
