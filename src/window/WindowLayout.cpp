#include "window/WindowLayout.h"

namespace vexaro {

namespace {

// Places inside the pages are laid out in pixels at 96 dpi (15 twips a pixel) for an 8 pt font.
constexpr Twips Px(int left, int top, int width, int height) {
  return {left * 15, top * 15, width * 15, height * 15};
}

using enum WidgetKind;

constexpr ControlSpec kControls[] = {
    // Top level, at their designed places.
    {"TabStrip1", TabStrip, nullptr, nullptr, {120, 120, 5412, 4812}, 0, nullptr, 2000},
    {"fraSettings", Page, nullptr, "Basic Settings", {240, 480, 5172, 4332}, 0, nullptr, 0},
    {"fraMelody", Page, nullptr, "Tune Control", {240, 480, 5172, 4332}, kHidden, nullptr, 0},
    {"fraAdvanced",
     Page,
     nullptr,
     "Advanced Parameters",
     {240, 480, 5172, 4332},
     kHidden,
     nullptr,
     0},
    {"fraTransfer", Frame, nullptr, "Transfer", {120, 5040, 3732, 732}, kBold, nullptr, 0},
    {"Label7", Label, "fraTransfer", "Send New Settings to Device:", Px(6, 23, 165, 15), 0, nullptr,
     0},
    {"cmdSend", Button, "fraTransfer", "&Send", Px(174, 19, 68, 22), kDisabled, nullptr, 2000},
    {"cmdHelp", Button, nullptr, "&Help", {4200, 5280, 1212, 372}, 0, nullptr, 900},
    {"cmdExit", Button, nullptr, "E&xit", {4200, 5820, 1212, 372}, 0, nullptr, 2000},
    {"Label9", Label, nullptr, "Status:", {240, 5940, 612, 252}, 0, nullptr, 0},
    {"shpStatus", Lamp, nullptr, nullptr, {900, 5916, 240, 240}, 0, nullptr, 0},
    {"lblConStatus", Label, nullptr, "Device Disconnected", {1320, 5940, 2052, 252}, 0, nullptr, 0},
    {"lblVersion", Label, nullptr, "", {2880, 5940, 972, 252}, 0, nullptr, 0},

    // Basic Settings.
    {"Label1", Label, "fraSettings", "Turn-on Position:", Px(8, 20, 120, 15), kBold, nullptr, 0},
    {"Label2", Label, "fraSettings", "0%", Px(40, 46, 24, 15), 0, nullptr, 0},
    {"Label5", Label, "fraSettings", "100%", Px(185, 46, 32, 15), 0, nullptr, 0},
    {"labGTLT", Label, "fraSettings", ">", Px(228, 50, 16, 24), kBold | kLarge, nullptr, 0},
    {"txtThres", TextBox, "fraSettings", "0", Px(247, 52, 40, 21), 0, nullptr, 3000},
    {"Label44", Label, "fraSettings", "%", Px(291, 55, 14, 15), 0, nullptr, 0},
    {"sliderThres", Slider, "fraSettings", nullptr, {600, 960, 2652, 552}, 0, nullptr, 3000},
    {"chkRev", CheckBox, "fraSettings", "Reverse", Px(238, 80, 90, 19), 0, nullptr, 3010},
    {"Label3", Label, "fraSettings", "Low Battery Warning Voltage:", Px(8, 123, 190, 15), kBold,
     nullptr, 0},
    {"cboLowV", EditCombo, "fraSettings", nullptr, Px(200, 120, 64, 20), 0, nullptr, 3020},
    {"Label13", Label, "fraSettings", "Volts", Px(268, 123, 30, 15), 0, nullptr, 0},
    {"Label4", Label, "fraSettings", "Beep Frequency:", Px(8, 153, 108, 15), kBold, nullptr, 0},
    {"cboFreq", EditCombo, "fraSettings", nullptr, Px(120, 150, 72, 20), 0, nullptr, 3030},
    {"Label14", Label, "fraSettings", "Hz", Px(196, 153, 16, 15), 0, nullptr, 0},
    {"cmdBeep",
     WrapButton,
     "fraSettings",
     "Test   &Beep",
     {3720, 2235, 852, 612},
     kDisabled,
     "Play selected frequency & duration",
     3070},
    {"Label6", Label, "fraSettings", "Beep Duration:", Px(8, 177, 108, 15), kBold, nullptr, 0},
    {"cboDur", EditCombo, "fraSettings", nullptr, Px(120, 174, 72, 20), 0, nullptr, 3060},
    {"Label15", Label, "fraSettings", "Sec.", Px(196, 177, 26, 15), 0, nullptr, 0},
    {"Label12", Label, "fraSettings", "Restore Factory Default Settings:", Px(8, 243, 190, 15), 0,
     nullptr, 0},
    {"cmdDefSet", Button, "fraSettings", "&Defaults", Px(238, 239, 80, 22), 0, nullptr, 3080},

    // Tune Control.
    {"Label8", Label, "fraMelody", "Enter Ring-Tone File Name:", Px(8, 22, 200, 15), kBold, nullptr,
     0},
    {"txtTuneFile", TextBox, "fraMelody", "default", Px(8, 42, 238, 21), 0, nullptr, 4010},
    {"cmdBrowse", Button, "fraMelody", "Bro&wse ...", Px(254, 41, 82, 22), 0, nullptr, 4010},
    {"chkOctave", CheckBox, "fraMelody", "Raise Tune One Octave", Px(8, 72, 180, 19), 0, nullptr,
     4020},
    {"Label10", Label, "fraMelody", "Load the New Melody into the Device:", Px(8, 123, 242, 15),
     kBold, nullptr, 0},
    {"cmdLoad", Button, "fraMelody", "&Load", Px(254, 119, 82, 22), kDisabled, nullptr, 4030},
    {"Label16", Label, "fraMelody", "Play Currently Loaded Melody:", Px(8, 163, 200, 15), kBold,
     nullptr, 0},
    {"cmdPlay", Button, "fraMelody", "&Play", Px(254, 159, 82, 22), kDisabled, nullptr, 4040},
    {"Label11", Label, "fraMelody", "Restore Factory Default Tune:", Px(8, 203, 200, 15), 0,
     nullptr, 0},
    {"cmdDefTune", Button, "fraMelody", "&Default", Px(254, 199, 82, 22), kDisabled, nullptr, 4050},

    // Advanced Parameters.
    {"Label17", Label, "fraAdvanced", "Beeps at Power-up:", Px(6, 23, 150, 15), 0, nullptr, 0},
    {"cboStartBeeps", ListCombo, "fraAdvanced", nullptr, Px(158, 20, 42, 20), 0, nullptr, 5000},
    {"Frame1", Frame, "fraAdvanced", nullptr, Px(238, 19, 103, 72), 0, nullptr, 0},
    {"Label21", Label, "Frame1", "Clear After Reporting:", Px(5, 6, 94, 26), kWrap, nullptr, 0},
    {"chkGreset", CheckBox, "Frame1", "Glitch Count", Px(3, 32, 97, 18), kChecked, nullptr, 5060},
    {"chkMreset", CheckBox, "Frame1", "Min. Voltage", Px(3, 50, 97, 18), kChecked, nullptr, 5060},
    {"Label22", Label, "fraAdvanced", "Command Time Window:", Px(6, 45, 150, 15), 0, nullptr, 0},
    {"cboCmdTime", ListCombo, "fraAdvanced", nullptr, Px(158, 42, 52, 20), 0, nullptr, 5010},
    {"Label35", Label, "fraAdvanced", "S", Px(213, 45, 10, 15), 0, nullptr, 0},
    {"Label20", Label, "fraAdvanced", "Glitch Period (Frame Time):", Px(6, 67, 152, 15), 0, nullptr,
     0},
    {"cboGtime", EditCombo, "fraAdvanced", nullptr, Px(158, 64, 56, 20), 0, nullptr, 5020},
    {"Label36", Label, "fraAdvanced", "mS", Px(216, 67, 20, 15), 0, nullptr, 0},
    {"Label23", Label, "fraAdvanced", "Min. Voltage Capture Time:", Px(6, 89, 150, 15), 0, nullptr,
     0},
    {"cboVminDly", EditCombo, "fraAdvanced", nullptr, Px(158, 86, 56, 20), 0, nullptr, 5030},
    {"Label45", Label, "fraAdvanced", "mS", Px(216, 89, 20, 15), 0, nullptr, 0},
    {"Label18", Label, "fraAdvanced", "Low Voltage Alert: -- Beeps:", Px(6, 111, 153, 15), 0,
     nullptr, 0},
    {"cboVlowBeeps", ListCombo, "fraAdvanced", nullptr, Px(159, 108, 41, 20), 0, nullptr, 5040},
    {"Label19", Label, "fraAdvanced", "-- Time Delay:", Px(203, 111, 77, 15), 0, nullptr, 0},
    {"cboVlowDly", EditCombo, "fraAdvanced", nullptr, Px(280, 108, 48, 20), 0, nullptr, 5050},
    {"Label34", Label, "fraAdvanced", "S", Px(331, 111, 9, 15), 0, nullptr, 0},
    {"Frame2", Frame, "fraAdvanced", "Report Activation (\"On-Off\" Cycles): ", Px(6, 130, 334, 43),
     0, nullptr, 0},
    {"Label24", Label, "Frame2", "Voltage:", Px(8, 22, 46, 15), 0, nullptr, 0},
    {"cboVcycles", ListCombo, "Frame2", nullptr, Px(56, 19, 42, 20), 0, nullptr, 5070},
    {"Label33", Label, "Frame2", "Glitch:", Px(112, 22, 38, 15), 0, nullptr, 0},
    {"cboGcycles", ListCombo, "Frame2", nullptr, Px(152, 19, 42, 20), 0, nullptr, 5070},
    {"Label43", Label, "Frame2", "Min. Volt.:", Px(208, 22, 56, 15), 0, nullptr, 0},
    {"cboMcycles", ListCombo, "Frame2", nullptr, Px(266, 19, 42, 20), 0, nullptr, 5070},
    {"Label25", Label, "fraAdvanced", "Zero Output:", Px(6, 178, 73, 15), 0, nullptr, 0},
    {"optZ10(0)", Option, "fraAdvanced", "Two-Tone", Px(80, 176, 80, 19), kChecked, nullptr, 5080},
    {"optZ10(1)", Option, "fraAdvanced", "10-Beeps", Px(162, 176, 82, 19), 0, nullptr, 5080},
    {"cmdVtrim", Button, "fraAdvanced", "V. Trim", Px(262, 175, 72, 21), kHidden | kDisabled,
     nullptr, 0},
    {"Label26", Label, "fraAdvanced", "\"ZE\" Frequency:", Px(6, 201, 90, 15), 0, nullptr, 0},
    {"cboZeFreq", EditCombo, "fraAdvanced", nullptr, Px(97, 198, 58, 20), 0, nullptr, 5090},
    {"Label37", Label, "fraAdvanced", "Hz", Px(157, 201, 16, 15), 0, nullptr, 0},
    {"Label27", Label, "fraAdvanced", "\"ZE\" Duration:", Px(177, 201, 81, 15), 0, nullptr, 0},
    {"cboZeDur", EditCombo, "fraAdvanced", nullptr, Px(259, 198, 64, 20), 0, nullptr, 5090},
    {"Label40", Label, "fraAdvanced", "S", Px(326, 201, 9, 15), 0, nullptr, 0},
    {"Label28", Label, "fraAdvanced", "\"ro\" Frequency:", Px(6, 223, 90, 15), 0, nullptr, 0},
    {"cboRoFreq", EditCombo, "fraAdvanced", nullptr, Px(97, 220, 58, 20), 0, nullptr, 5090},
    {"Label38", Label, "fraAdvanced", "Hz", Px(157, 223, 16, 15), 0, nullptr, 0},
    {"Label29", Label, "fraAdvanced", "\"ro\" Duration:", Px(177, 223, 81, 15), 0, nullptr, 0},
    {"cboRoDur", EditCombo, "fraAdvanced", nullptr, Px(259, 220, 64, 20), 0, nullptr, 5090},
    {"Label41", Label, "fraAdvanced", "S", Px(326, 223, 9, 15), 0, nullptr, 0},
    {"Label30", Label, "fraAdvanced", "Inter-Beep Pause:", Px(6, 245, 97, 15), 0, nullptr, 0},
    {"cboIBpause", EditCombo, "fraAdvanced", nullptr, Px(104, 242, 64, 20), 0, nullptr, 5100},
    {"Label39", Label, "fraAdvanced", "S", Px(170, 245, 9, 15), 0, nullptr, 0},
    {"Label31", Label, "fraAdvanced", "Inter-Digit Pause:", Px(181, 245, 95, 15), 0, nullptr, 0},
    {"cboIDpause", EditCombo, "fraAdvanced", nullptr, Px(277, 242, 54, 20), 0, nullptr, 5110},
    {"Label42", Label, "fraAdvanced", "S", Px(333, 245, 9, 15), 0, nullptr, 0},
    {"Label32", Label, "fraAdvanced", "Restore Factory Default Settings:", Px(6, 268, 190, 15), 0,
     nullptr, 0},
    {"cmdDefAdv", Button, "fraAdvanced", "&Defaults", Px(254, 264, 80, 22), 0, nullptr, 5120},

    // A/D Voltage Trim, over the other pages when shown.
    {"fraVtrim", Page, nullptr, "A/D Voltage Trim", {240, 480, 5175, 5295}, kHidden, nullptr, 0},
    {"cmdReadAD", Button, "fraVtrim", "Read A/D", Px(8, 24, 80, 22), 0, nullptr, 0},
    {"lblADvalue", Label, "fraVtrim", "A/D Value:  ", Px(98, 28, 160, 15), 0, nullptr, 0},
    {"Label46", Label, "fraVtrim", "Vtrim Value:", Px(8, 60, 72, 15), 0, nullptr, 0},
    {"cboVtrim", ListCombo, "fraVtrim", nullptr, Px(82, 57, 50, 20), 0, nullptr, 0},
    {"Frame3", Frame, "fraVtrim", nullptr, Px(6, 90, 333, 196), 0, nullptr, 0},
    {"Label47", Label, "Frame3", "Calculated Adjusted Voltage (from current Vtrim value)",
     Px(8, 8, 316, 15), 0, nullptr, 0},
    {"lblP1(0)", Label, "Frame3", "+1:  ", Px(40, 34, 110, 15), 0, nullptr, 0},
    {"lblP1(1)", Label, "Frame3", "+2:  ", Px(40, 56, 110, 15), 0, nullptr, 0},
    {"lblP1(2)", Label, "Frame3", "+3:  ", Px(40, 78, 110, 15), 0, nullptr, 0},
    {"lblP1(3)", Label, "Frame3", "+4:  ", Px(40, 100, 110, 15), 0, nullptr, 0},
    {"lblP1(4)", Label, "Frame3", "+5:  ", Px(40, 122, 110, 15), 0, nullptr, 0},
    {"lblP1(5)", Label, "Frame3", "+6:  ", Px(40, 144, 110, 15), 0, nullptr, 0},
    {"lblP1(6)", Label, "Frame3", "+7:  ", Px(40, 166, 110, 15), 0, nullptr, 0},
    {"lblM1(0)", Label, "Frame3", "-1:  ", Px(190, 34, 110, 15), 0, nullptr, 0},
    {"lblM1(1)", Label, "Frame3", "-2:  ", Px(190, 56, 110, 15), 0, nullptr, 0},
    {"lblM1(2)", Label, "Frame3", "-3:  ", Px(190, 78, 110, 15), 0, nullptr, 0},
    {"lblM1(3)", Label, "Frame3", "-4:  ", Px(190, 100, 110, 15), 0, nullptr, 0},
    {"lblM1(4)", Label, "Frame3", "-5:  ", Px(190, 122, 110, 15), 0, nullptr, 0},
    {"lblM1(5)", Label, "Frame3", "-6:  ", Px(190, 144, 110, 15), 0, nullptr, 0},
    {"lblM1(6)", Label, "Frame3", "-7:  ", Px(190, 166, 110, 15), 0, nullptr, 0},
};

// The label in front of each input control on its row; the two turn-on controls share the
// heading of their group, the file name the heading above it.
constexpr ControlLabel kInputLabels[] = {
    {"txtThres", "Label1"},       {"sliderThres", "Label1"},   {"cboLowV", "Label3"},
    {"cboFreq", "Label4"},        {"cboDur", "Label6"},        {"txtTuneFile", "Label8"},
    {"cboStartBeeps", "Label17"}, {"cboCmdTime", "Label22"},   {"cboGtime", "Label20"},
    {"cboVminDly", "Label23"},    {"cboVlowBeeps", "Label18"}, {"cboVlowDly", "Label19"},
    {"cboVcycles", "Label24"},    {"cboGcycles", "Label33"},   {"cboMcycles", "Label43"},
    {"cboZeFreq", "Label26"},     {"cboZeDur", "Label27"},     {"cboRoFreq", "Label28"},
    {"cboRoDur", "Label29"},      {"cboIBpause", "Label30"},   {"cboIDpause", "Label31"},
    {"cboVtrim", "Label46"},
};

}  // namespace

std::span<const ControlSpec> MainWindowControls() {
  return kControls;
}

std::span<const ControlLabel> InputControlLabels() {
  return kInputLabels;
}

}  // namespace vexaro
