#include "settings/FactoryDefaults.h"

namespace vexaro {

std::vector<FieldText> BasicDefaults(const DeviceSettings& settings) {
  return {
      {Field::txtThres, "70"},
      {Field::chkRev, "0"},
      {Field::cboLowV, IsRange70(settings) ? "OFF" : "4.60"},
      {Field::cboFreq, "2358"},
      {Field::cboDur, "0.250"},
  };
}

std::vector<FieldText> AdvancedDefaults() {
  return {
      {Field::cboStartBeeps, "2"}, {Field::cboVlowBeeps, "3"},   {Field::cboVlowDly, "2.0"},
      {Field::cboGtime, "30"},     {Field::chkGreset, "0"},      {Field::chkMreset, "0"},
      {Field::cboCmdTime, "2.5"},  {Field::cboVcycles, "2"},     {Field::cboGcycles, "3"},
      {Field::optZ10, "0"},  // "Two-Tone" selected, "10-Beeps" not
      {Field::cboZeFreq, "2404"},  {Field::cboZeDur, "0.125"},   {Field::cboRoFreq, "1984"},
      {Field::cboRoDur, "0.250"},  {Field::cboIBpause, "0.500"}, {Field::cboIDpause, "1.50"},
      {Field::cboMcycles, "4"},    {Field::cboVminDly, "100"},
  };
}

DeviceSettings FactorySettings(const DeviceSettings& device) {
  SettingsTexts texts;
  for (const FieldText& d : BasicDefaults(device)) TextOf(texts, d.field) = d.text;
  for (const FieldText& d : AdvancedDefaults()) TextOf(texts, d.field) = d.text;
  DeviceSettings settings = device;
  for (const ByteWrite& w : EncodeSettings(texts, device).writes) settings[w.address] = w.value;
  return settings;
}

}  // namespace vexaro
