#include "settings/SettingsFields.h"

#include <algorithm>

namespace vexaro {

namespace {

using Items = std::span<const char* const>;

constexpr const char* kLowV[] = {"OFF",  "4.55", "4.60", "4.65", "4.70",
                                 "5.00", "5.70", "5.75", "5.80", "5.85"};
constexpr const char* kLowV70[] = {"OFF", "5.5", "6.0",  "6.5",  "7.0",  "7.5",  "8.0", "8.5",
                                   "9.0", "9.5", "10.0", "10.5", "11.0", "11.5", "12.0"};
constexpr const char* kFreq[] = {"1568 (G6)",  "1661 (G#6)", "1760 (A6)",  "1865 (A#6)",
                                 "1976 (B6)",  "2093 (C7)",  "2217 (C#7)", "2349 (D7)",
                                 "2489 (D#7)", "2637 (E7)",  "2794 (F7)"};
constexpr const char* kDur[] = {"0.125 (1/8)", "0.250 (1/4)", "0.375 (3/8)",
                                "0.500 (1/2)", "0.625 (5/8)", "0.750 (3/4)"};
constexpr const char* kStartBeeps[] = {"0", "1", "2", "3", "4", "5"};
constexpr const char* kCmdTime[] = {"1.0", "1.5", "2.0", "2.5", "3.0", "3.5", "4.0"};
constexpr const char* kGtime[] = {"20", "25", "30", "35", "40", "45", "50"};
constexpr const char* kVminDly[] = {"20", "60", "100", "200", "500", "1000", "2000", "5000"};
constexpr const char* kOneToFive[] = {"1", "2", "3", "4", "5"};
constexpr const char* kVlowDly[] = {"0.5", "1.0", "1.5", "2.0", "2.5", "3.0"};
constexpr const char* kToneFreq[] = {"1568", "1661", "1760", "1865", "1976", "2093",
                                     "2217", "2349", "2489", "2637", "2794"};
constexpr const char* kToneDur[] = {"0.063", "0.125", "0.250", "0.375", "0.500", "0.625", "0.750"};
constexpr const char* kIBpause[] = {"0.125", "0.250", "0.375", "0.500", "0.625", "0.750"};
constexpr const char* kIDpause[] = {"1.00", "1.25", "1.50", "1.75", "2.00", "2.25", "2.50"};

using enum ControlKind;
using enum Page;

constexpr FieldInfo kFields[kFieldCount] = {
    {Field::txtThres, "txtThres", "turn-on", "Turn-on Position", TextBox, Basic, false, {}},
    {Field::chkRev, "chkRev", "reverse", "Reverse", CheckBox, Basic, false, {}},
    {Field::cboLowV, "cboLowV", "low-battery", "Low Battery Warning Voltage", EditableList, Basic,
     false, Items(kLowV)},
    {Field::cboFreq, "cboFreq", "beep-frequency", "Beep Frequency", EditableList, Basic, false,
     Items(kFreq)},
    {Field::cboDur, "cboDur", "beep-duration", "Beep Duration", EditableList, Basic, false,
     Items(kDur)},
    {Field::cboStartBeeps, "cboStartBeeps", "power-up-beeps", "Beeps at Power-up", PickList,
     Advanced, false, Items(kStartBeeps)},
    {Field::cboVlowBeeps, "cboVlowBeeps", "alert-beeps", "Low Voltage Alert Beeps", PickList,
     Advanced, false, Items(kOneToFive)},
    {Field::cboVlowDly, "cboVlowDly", "alert-delay", "Low Voltage Alert Time Delay", EditableList,
     Advanced, false, Items(kVlowDly)},
    {Field::cboGtime, "cboGtime", "glitch-period", "Glitch Period", EditableList, Advanced, false,
     Items(kGtime)},
    {Field::chkGreset,
     "chkGreset",
     "clear-glitch-count",
     "Clear After Reporting: Glitch Count",
     CheckBox,
     Advanced,
     false,
     {}},
    {Field::chkMreset,
     "chkMreset",
     "clear-min-voltage",
     "Clear After Reporting: Min. Voltage",
     CheckBox,
     Advanced,
     true,
     {}},
    {Field::cboCmdTime, "cboCmdTime", "command-window", "Command Time Window", PickList, Advanced,
     false, Items(kCmdTime)},
    {Field::cboVcycles, "cboVcycles", "voltage-cycles", "Report Activation: Voltage", PickList,
     Advanced, false, Items(kOneToFive)},
    {Field::cboGcycles, "cboGcycles", "glitch-cycles", "Report Activation: Glitch", PickList,
     Advanced, false, Items(kOneToFive)},
    {Field::cboMcycles, "cboMcycles", "min-voltage-cycles", "Report Activation: Min. Volt.",
     PickList, Advanced, true, Items(kOneToFive)},
    {Field::cboVminDly, "cboVminDly", "min-voltage-capture", "Min. Voltage Capture Time",
     EditableList, Advanced, true, Items(kVminDly)},
    {Field::optZ10, "optZ10", "zero-output", "Zero Output", OptionGroup, Advanced, false, {}},
    {Field::cboZeFreq, "cboZeFreq", "ze-frequency", "\"ZE\" Frequency", EditableList, Advanced,
     false, Items(kToneFreq)},
    {Field::cboZeDur, "cboZeDur", "ze-duration", "\"ZE\" Duration", EditableList, Advanced, false,
     Items(kToneDur)},
    {Field::cboRoFreq, "cboRoFreq", "ro-frequency", "\"ro\" Frequency", EditableList, Advanced,
     false, Items(kToneFreq)},
    {Field::cboRoDur, "cboRoDur", "ro-duration", "\"ro\" Duration", EditableList, Advanced, false,
     Items(kToneDur)},
    {Field::cboIBpause, "cboIBpause", "inter-beep-pause", "Inter-Beep Pause", EditableList,
     Advanced, false, Items(kIBpause)},
    {Field::cboIDpause, "cboIDpause", "inter-digit-pause", "Inter-Digit Pause", EditableList,
     Advanced, false, Items(kIDpause)},
};

constexpr bool TableInFieldOrder() {
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (static_cast<std::size_t>(kFields[i].field) != i) return false;
  }
  return true;
}
static_assert(TableInFieldOrder(), "the field table must list the fields in Field order");

}  // namespace

const FieldInfo& Info(Field field) {
  return kFields[static_cast<std::size_t>(field)];
}

std::span<const FieldInfo> AllFields() {
  return kFields;
}

std::optional<Field> FieldByKey(std::string_view key) {
  for (const FieldInfo& info : kFields) {
    if (key == info.key) return info.field;
  }
  return std::nullopt;
}

std::optional<Field> FieldByControl(std::string_view control) {
  for (const FieldInfo& info : kFields) {
    if (control == info.control) return info.field;
  }
  return std::nullopt;
}

bool IsItem(Field field, std::string_view text) {
  const auto items = Info(field).items;
  return std::any_of(items.begin(), items.end(), [&](const char* item) { return text == item; });
}

std::span<const char* const> LowVoltageItems70() {
  return kLowV70;
}

}  // namespace vexaro
