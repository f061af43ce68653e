#pragma once
// Settings texts the tests share: the factory texts of both pages, and texts that store a
// different byte than the factory settings at every settings address.

#include <utility>

#include "settings/FactoryDefaults.h"
#include "settings/SettingsRecord.h"

namespace vexaro {

// What the two Defaults buttons put into the window (7 V range).
inline SettingsTexts FactoryTexts() {
  SettingsTexts texts;
  for (const FieldText& d : BasicDefaults(DeviceSettings{})) TextOf(texts, d.field) = d.text;
  for (const FieldText& d : AdvancedDefaults()) TextOf(texts, d.field) = d.text;
  return texts;
}

inline constexpr std::pair<Field, const char*> kNonFactoryTexts[] = {
    {Field::txtThres, "20"},    {Field::chkRev, "1"},        {Field::cboLowV, "5.85"},
    {Field::cboFreq, "1568"},   {Field::cboDur, "0.5"},      {Field::cboStartBeeps, "5"},
    {Field::cboVlowBeeps, "1"}, {Field::cboVlowDly, "0.5"},  {Field::cboGtime, "20"},
    {Field::cboCmdTime, "4.0"}, {Field::cboVcycles, "5"},    {Field::cboGcycles, "5"},
    {Field::cboMcycles, "5"},   {Field::cboVminDly, "200"},  {Field::chkMreset, "1"},
    {Field::chkGreset, "1"},    {Field::optZ10, "1"},        {Field::cboZeFreq, "1568"},
    {Field::cboZeDur, "0.5"},   {Field::cboRoFreq, "2794"},  {Field::cboRoDur, "0.5"},
    {Field::cboIBpause, "1.0"}, {Field::cboIDpause, "2.50"},
};

}  // namespace vexaro
