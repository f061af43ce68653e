#include "window/WindowLayout.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <variant>

#include "window/Widgets.h"

namespace vexaro {

namespace {

using W = WindowControls;

// One member of a control array (optZ10(1), lblP1(3)).
template <typename T, std::size_t N>
struct Element {
  std::array<T*, N> W::*array;
  std::size_t index;
};
// Spelt out: not every compiler deduces an aggregate's template arguments by itself.
template <typename T, std::size_t N>
Element(std::array<T*, N> W::*, std::size_t) -> Element<T, N>;

// A control's member of WindowControls; its type is the class the control is made as.
using Slot = std::variant<QTabWidget * W::*, QGroupBox * W::*, QLabel * W::*, QPushButton * W::*,
                          WrapButton * W::*, QCheckBox * W::*, QLineEdit * W::*, QComboBox * W::*,
                          QSlider * W::*, StatusLamp * W::*, QProgressBar * W::*,
                          Element<QRadioButton, 2>, Element<QLabel, 7>>;

// Designed state flags.
enum : unsigned {
  kBold = 1u << 0,
  kLarge = 1u << 1,  // a larger font (the comparison sign)
  kHidden = 1u << 2,
  kDisabled = 1u << 3,
  kChecked = 1u << 4,
  kWrap = 1u << 5,      // label text wraps
  kEditable = 1u << 6,  // a list the user may also type into
  kPage = 1u << 7,      // one of the four stacked pages: it hides what is behind it
  kTransfer = 1u << 8,  // its handler talks to the device
};

// A place in twips (1/1440 inch), relative to the parent, as left, top, width, height.
struct Twips {
  int left;
  int top;
  int width;
  int height;
};

struct ControlSpec {
  const char* name;  // the widget's objectName
  Slot slot;
  QGroupBox* W::*parent;  // nullptr: the window itself
  const char* text;       // caption, designed text, or nullptr
  Twips place;
  unsigned flags = 0;
  int helpContext = 0;  // 0: none of its own
  const char* toolTip = nullptr;
};

// Places inside the pages are laid out in pixels at 96 dpi (15 twips a pixel) for an 8 pt font.
constexpr Twips Px(int left, int top, int width, int height) {
  return {left * 15, top * 15, width * 15, height * 15};
}

// A row's name and member, written once.
// clang-format off
#define CONTROL(member) #member, &W::member
#define ELEMENT(array, index) #array "(" #index ")", Element{&W::array, index}
// clang-format on

// In creation order: a parent always comes before its children.
const ControlSpec kControls[] = {
    // Top level, at their designed places.
    {CONTROL(TabStrip1), nullptr, nullptr, {120, 120, 5412, 4812}, 0, 2000},
    {CONTROL(fraSettings), nullptr, "Basic Settings", {240, 480, 5172, 4332}, kPage},
    {CONTROL(fraMelody), nullptr, "Tune Control", {240, 480, 5172, 4332}, kHidden | kPage},
    {CONTROL(fraAdvanced), nullptr, "Advanced Parameters", {240, 480, 5172, 4332}, kHidden | kPage},
    {CONTROL(fraTransfer), nullptr, "Transfer", {120, 5040, 3732, 732}, kBold},
    {CONTROL(Label7), &W::fraTransfer, "Send New Settings to Device:", Px(6, 23, 165, 15)},
    {CONTROL(cmdSend), &W::fraTransfer, "&Send", Px(174, 19, 68, 22), kDisabled | kTransfer, 2000},
    {CONTROL(cmdHelp), nullptr, "&Help", {4200, 5280, 1212, 372}, 0, 900},
    {CONTROL(cmdExit), nullptr, "E&xit", {4200, 5820, 1212, 372}, 0, 2000},
    {CONTROL(Label9), nullptr, "Status:", {240, 5940, 612, 252}},
    {CONTROL(shpStatus), nullptr, nullptr, {900, 5916, 240, 240}},
    {CONTROL(lblConStatus), nullptr, "Device Disconnected", {1320, 5940, 2052, 252}},
    {CONTROL(lblVersion), nullptr, "", {2880, 5940, 972, 252}},

    // Basic Settings.
    {CONTROL(Label1), &W::fraSettings, "Turn-on Position:", Px(8, 20, 120, 15), kBold},
    {CONTROL(Label2), &W::fraSettings, "0%", Px(40, 46, 24, 15)},
    {CONTROL(Label5), &W::fraSettings, "100%", Px(185, 46, 32, 15)},
    {CONTROL(labGTLT), &W::fraSettings, ">", Px(228, 50, 16, 24), kBold | kLarge},
    {CONTROL(txtThres), &W::fraSettings, "0", Px(247, 52, 40, 21), 0, 3000},
    {CONTROL(Label44), &W::fraSettings, "%", Px(291, 55, 14, 15)},
    {CONTROL(sliderThres), &W::fraSettings, nullptr, {600, 960, 2652, 552}, 0, 3000},
    {CONTROL(chkRev), &W::fraSettings, "Reverse", Px(238, 80, 90, 19), 0, 3010},
    {CONTROL(Label3), &W::fraSettings, "Low Battery Warning Voltage:", Px(8, 123, 190, 15), kBold},
    {CONTROL(cboLowV), &W::fraSettings, nullptr, Px(200, 120, 64, 20), kEditable, 3020},
    {CONTROL(Label13), &W::fraSettings, "Volts", Px(268, 123, 30, 15)},
    {CONTROL(Label4), &W::fraSettings, "Beep Frequency:", Px(8, 153, 108, 15), kBold},
    {CONTROL(cboFreq), &W::fraSettings, nullptr, Px(120, 150, 72, 20), kEditable, 3030},
    {CONTROL(Label14), &W::fraSettings, "Hz", Px(196, 153, 16, 15)},
    {CONTROL(cmdBeep),
     &W::fraSettings,
     "Test   &Beep",
     {3720, 2235, 852, 612},
     kDisabled | kTransfer,
     3070,
     "Play selected frequency & duration"},
    {CONTROL(Label6), &W::fraSettings, "Beep Duration:", Px(8, 177, 108, 15), kBold},
    {CONTROL(cboDur), &W::fraSettings, nullptr, Px(120, 174, 72, 20), kEditable, 3060},
    {CONTROL(Label15), &W::fraSettings, "Sec.", Px(196, 177, 26, 15)},
    {CONTROL(Label12), &W::fraSettings, "Restore Factory Default Settings:", Px(8, 243, 190, 15)},
    {CONTROL(cmdDefSet), &W::fraSettings, "&Defaults", Px(238, 239, 80, 22), 0, 3080},
    {CONTROL(Label48), &W::fraSettings, "Whole Device in One File:", Px(8, 210, 144, 15)},
    {CONTROL(prgRestore), &W::fraSettings, nullptr, Px(8, 207, 140, 20), kHidden},
    {CONTROL(cmdBackup), &W::fraSettings, "Back &Up...", Px(154, 206, 80, 22),
     kDisabled | kTransfer, 3090, "Write the device's settings, trim and melody to a file"},
    {CONTROL(cmdRestore), &W::fraSettings, "&Restore...", Px(238, 206, 80, 22),
     kDisabled | kTransfer, 3090, "Store the settings, trim and melody of a backup file"},

    // Tune Control.
    {CONTROL(Label8), &W::fraMelody, "Enter Ring-Tone File Name:", Px(8, 22, 200, 15), kBold},
    {CONTROL(txtTuneFile), &W::fraMelody, "default", Px(8, 42, 238, 21), 0, 4010},
    {CONTROL(cmdBrowse), &W::fraMelody, "Bro&wse ...", Px(254, 41, 82, 22), 0, 4010},
    {CONTROL(chkOctave), &W::fraMelody, "Raise Tune One Octave", Px(8, 72, 180, 19), 0, 4020},
    {CONTROL(Label10), &W::fraMelody, "Load the New Melody into the Device:", Px(8, 123, 242, 15),
     kBold},
    {CONTROL(cmdLoad), &W::fraMelody, "&Load", Px(254, 119, 82, 22), kDisabled | kTransfer, 4030},
    {CONTROL(Label16), &W::fraMelody, "Play Currently Loaded Melody:", Px(8, 163, 200, 15), kBold},
    {CONTROL(cmdPlay), &W::fraMelody, "&Play", Px(254, 159, 82, 22), kDisabled | kTransfer, 4040},
    {CONTROL(Label11), &W::fraMelody, "Restore Factory Default Tune:", Px(8, 203, 200, 15)},
    {CONTROL(cmdDefTune), &W::fraMelody, "&Default", Px(254, 199, 82, 22), kDisabled | kTransfer,
     4050},
    {CONTROL(Label49), &W::fraMelody, "Listen on This Computer:", Px(8, 233, 200, 15), kBold},
    {CONTROL(cmdListen), &W::fraMelody, "Lis&ten", Px(254, 229, 82, 22), 0, 4060,
     "Play the melody that Load would store through this computer's speakers"},
    {CONTROL(lblListen), &W::fraMelody, "", Px(8, 256, 328, 28), kWrap},

    // Advanced Parameters.
    {CONTROL(Label17), &W::fraAdvanced, "Beeps at Power-up:", Px(6, 23, 150, 15)},
    {CONTROL(cboStartBeeps), &W::fraAdvanced, nullptr, Px(158, 20, 42, 20), 0, 5000},
    {CONTROL(Frame1), &W::fraAdvanced, nullptr, Px(238, 19, 103, 72)},
    {CONTROL(Label21), &W::Frame1, "Clear After Reporting:", Px(5, 6, 94, 26), kWrap},
    {CONTROL(chkGreset), &W::Frame1, "Glitch Count", Px(3, 32, 97, 18), kChecked, 5060},
    {CONTROL(chkMreset), &W::Frame1, "Min. Voltage", Px(3, 50, 97, 18), kChecked, 5060},
    {CONTROL(Label22), &W::fraAdvanced, "Command Time Window:", Px(6, 45, 150, 15)},
    {CONTROL(cboCmdTime), &W::fraAdvanced, nullptr, Px(158, 42, 52, 20), 0, 5010},
    {CONTROL(Label35), &W::fraAdvanced, "S", Px(213, 45, 10, 15)},
    {CONTROL(Label20), &W::fraAdvanced, "Glitch Period (Frame Time):", Px(6, 67, 152, 15)},
    {CONTROL(cboGtime), &W::fraAdvanced, nullptr, Px(158, 64, 56, 20), kEditable, 5020},
    {CONTROL(Label36), &W::fraAdvanced, "mS", Px(216, 67, 20, 15)},
    {CONTROL(Label23), &W::fraAdvanced, "Min. Voltage Capture Time:", Px(6, 89, 150, 15)},
    {CONTROL(cboVminDly), &W::fraAdvanced, nullptr, Px(158, 86, 56, 20), kEditable, 5030},
    {CONTROL(Label45), &W::fraAdvanced, "mS", Px(216, 89, 20, 15)},
    {CONTROL(Label18), &W::fraAdvanced, "Low Voltage Alert: -- Beeps:", Px(6, 111, 153, 15)},
    {CONTROL(cboVlowBeeps), &W::fraAdvanced, nullptr, Px(159, 108, 41, 20), 0, 5040},
    {CONTROL(Label19), &W::fraAdvanced, "-- Time Delay:", Px(203, 111, 77, 15)},
    {CONTROL(cboVlowDly), &W::fraAdvanced, nullptr, Px(280, 108, 48, 20), kEditable, 5050},
    {CONTROL(Label34), &W::fraAdvanced, "S", Px(331, 111, 9, 15)},
    {CONTROL(Frame2), &W::fraAdvanced,
     "Report Activation (\"On-Off\" Cycles): ", Px(6, 130, 334, 43)},
    {CONTROL(Label24), &W::Frame2, "Voltage:", Px(8, 22, 46, 15)},
    {CONTROL(cboVcycles), &W::Frame2, nullptr, Px(56, 19, 42, 20), 0, 5070},
    {CONTROL(Label33), &W::Frame2, "Glitch:", Px(112, 22, 38, 15)},
    {CONTROL(cboGcycles), &W::Frame2, nullptr, Px(152, 19, 42, 20), 0, 5070},
    {CONTROL(Label43), &W::Frame2, "Min. Volt.:", Px(208, 22, 56, 15)},
    {CONTROL(cboMcycles), &W::Frame2, nullptr, Px(266, 19, 42, 20), 0, 5070},
    {CONTROL(Label25), &W::fraAdvanced, "Zero Output:", Px(6, 178, 73, 15)},
    {ELEMENT(optZ10, 0), &W::fraAdvanced, "Two-Tone", Px(80, 176, 80, 19), kChecked, 5080},
    {ELEMENT(optZ10, 1), &W::fraAdvanced, "10-Beeps", Px(162, 176, 82, 19), 0, 5080},
    {CONTROL(cmdVtrim), &W::fraAdvanced, "V. Trim", Px(262, 175, 72, 21),
     kHidden | kDisabled | kTransfer},
    {CONTROL(Label26), &W::fraAdvanced, "\"ZE\" Frequency:", Px(6, 201, 90, 15)},
    {CONTROL(cboZeFreq), &W::fraAdvanced, nullptr, Px(97, 198, 58, 20), kEditable, 5090},
    {CONTROL(Label37), &W::fraAdvanced, "Hz", Px(157, 201, 16, 15)},
    {CONTROL(Label27), &W::fraAdvanced, "\"ZE\" Duration:", Px(177, 201, 81, 15)},
    {CONTROL(cboZeDur), &W::fraAdvanced, nullptr, Px(259, 198, 64, 20), kEditable, 5090},
    {CONTROL(Label40), &W::fraAdvanced, "S", Px(326, 201, 9, 15)},
    {CONTROL(Label28), &W::fraAdvanced, "\"ro\" Frequency:", Px(6, 223, 90, 15)},
    {CONTROL(cboRoFreq), &W::fraAdvanced, nullptr, Px(97, 220, 58, 20), kEditable, 5090},
    {CONTROL(Label38), &W::fraAdvanced, "Hz", Px(157, 223, 16, 15)},
    {CONTROL(Label29), &W::fraAdvanced, "\"ro\" Duration:", Px(177, 223, 81, 15)},
    {CONTROL(cboRoDur), &W::fraAdvanced, nullptr, Px(259, 220, 64, 20), kEditable, 5090},
    {CONTROL(Label41), &W::fraAdvanced, "S", Px(326, 223, 9, 15)},
    {CONTROL(Label30), &W::fraAdvanced, "Inter-Beep Pause:", Px(6, 245, 97, 15)},
    {CONTROL(cboIBpause), &W::fraAdvanced, nullptr, Px(104, 242, 64, 20), kEditable, 5100},
    {CONTROL(Label39), &W::fraAdvanced, "S", Px(170, 245, 9, 15)},
    {CONTROL(Label31), &W::fraAdvanced, "Inter-Digit Pause:", Px(181, 245, 95, 15)},
    {CONTROL(cboIDpause), &W::fraAdvanced, nullptr, Px(277, 242, 54, 20), kEditable, 5110},
    {CONTROL(Label42), &W::fraAdvanced, "S", Px(333, 245, 9, 15)},
    {CONTROL(Label32), &W::fraAdvanced, "Restore Factory Default Settings:", Px(6, 268, 190, 15)},
    {CONTROL(cmdDefAdv), &W::fraAdvanced, "&Defaults", Px(254, 264, 80, 22), 0, 5120},

    // A/D Voltage Trim, over the other pages when shown.
    {CONTROL(fraVtrim), nullptr, "A/D Voltage Trim", {240, 480, 5175, 5295}, kHidden | kPage},
    {CONTROL(cmdReadAD), &W::fraVtrim, "Read A/D", Px(8, 24, 80, 22), kTransfer},
    {CONTROL(lblADvalue), &W::fraVtrim, "A/D Value:  ", Px(98, 28, 160, 15)},
    {CONTROL(Label46), &W::fraVtrim, "Vtrim Value:", Px(8, 60, 72, 15)},
    {CONTROL(cboVtrim), &W::fraVtrim, nullptr, Px(82, 57, 50, 20), kTransfer},
    {CONTROL(Frame3), &W::fraVtrim, nullptr, Px(6, 90, 333, 196)},
    {CONTROL(Label47), &W::Frame3, "Calculated Adjusted Voltage (from current Vtrim value)",
     Px(8, 8, 316, 15)},
    {ELEMENT(lblP1, 0), &W::Frame3, "+1:  ", Px(40, 34, 110, 15)},
    {ELEMENT(lblP1, 1), &W::Frame3, "+2:  ", Px(40, 56, 110, 15)},
    {ELEMENT(lblP1, 2), &W::Frame3, "+3:  ", Px(40, 78, 110, 15)},
    {ELEMENT(lblP1, 3), &W::Frame3, "+4:  ", Px(40, 100, 110, 15)},
    {ELEMENT(lblP1, 4), &W::Frame3, "+5:  ", Px(40, 122, 110, 15)},
    {ELEMENT(lblP1, 5), &W::Frame3, "+6:  ", Px(40, 144, 110, 15)},
    {ELEMENT(lblP1, 6), &W::Frame3, "+7:  ", Px(40, 166, 110, 15)},
    {ELEMENT(lblM1, 0), &W::Frame3, "-1:  ", Px(190, 34, 110, 15)},
    {ELEMENT(lblM1, 1), &W::Frame3, "-2:  ", Px(190, 56, 110, 15)},
    {ELEMENT(lblM1, 2), &W::Frame3, "-3:  ", Px(190, 78, 110, 15)},
    {ELEMENT(lblM1, 3), &W::Frame3, "-4:  ", Px(190, 100, 110, 15)},
    {ELEMENT(lblM1, 4), &W::Frame3, "-5:  ", Px(190, 122, 110, 15)},
    {ELEMENT(lblM1, 5), &W::Frame3, "-6:  ", Px(190, 144, 110, 15)},
    {ELEMENT(lblM1, 6), &W::Frame3, "-7:  ", Px(190, 166, 110, 15)},
};

#undef CONTROL
#undef ELEMENT

// The label whose caption names an input control to assistive technology, so that a screen
// reader says "Beep Frequency:, combo box, 2358": the label in front of it on its row; the two
// turn-on controls share the heading of their group, the file name the heading above it. Check
// boxes and option buttons are named by their own captions.
struct ControlLabel {
  Slot control;
  QLabel* W::*label;
};
const ControlLabel kInputLabels[] = {
    {&W::txtThres, &W::Label1},       {&W::sliderThres, &W::Label1},
    {&W::cboLowV, &W::Label3},        {&W::cboFreq, &W::Label4},
    {&W::cboDur, &W::Label6},         {&W::txtTuneFile, &W::Label8},
    {&W::cboStartBeeps, &W::Label17}, {&W::cboCmdTime, &W::Label22},
    {&W::cboGtime, &W::Label20},      {&W::cboVminDly, &W::Label23},
    {&W::cboVlowBeeps, &W::Label18},  {&W::cboVlowDly, &W::Label19},
    {&W::cboVcycles, &W::Label24},    {&W::cboGcycles, &W::Label33},
    {&W::cboMcycles, &W::Label43},    {&W::cboZeFreq, &W::Label26},
    {&W::cboZeDur, &W::Label27},      {&W::cboRoFreq, &W::Label28},
    {&W::cboRoDur, &W::Label29},      {&W::cboIBpause, &W::Label30},
    {&W::cboIDpause, &W::Label31},    {&W::cboVtrim, &W::Label46},
};

// The control that shows each settings field.
const std::pair<Field, Slot> kFieldControls[] = {
    {Field::txtThres, &W::txtThres},
    {Field::chkRev, &W::chkRev},
    {Field::cboLowV, &W::cboLowV},
    {Field::cboFreq, &W::cboFreq},
    {Field::cboDur, &W::cboDur},
    {Field::cboStartBeeps, &W::cboStartBeeps},
    {Field::cboVlowBeeps, &W::cboVlowBeeps},
    {Field::cboVlowDly, &W::cboVlowDly},
    {Field::cboGtime, &W::cboGtime},
    {Field::chkGreset, &W::chkGreset},
    {Field::chkMreset, &W::chkMreset},
    {Field::cboCmdTime, &W::cboCmdTime},
    {Field::cboVcycles, &W::cboVcycles},
    {Field::cboGcycles, &W::cboGcycles},
    {Field::cboMcycles, &W::cboMcycles},
    {Field::cboVminDly, &W::cboVminDly},
    {Field::optZ10, Element{&W::optZ10, 0}},
    {Field::cboZeFreq, &W::cboZeFreq},
    {Field::cboZeDur, &W::cboZeDur},
    {Field::cboRoFreq, &W::cboRoFreq},
    {Field::cboRoDur, &W::cboRoDur},
    {Field::cboIBpause, &W::cboIBpause},
    {Field::cboIDpause, &W::cboIDpause},
};

struct Tab {
  const char* caption;
  const char* toolTip;
  QGroupBox* W::*page;
};
constexpr Tab kTabs[] = {
    {"S&ettings", "Basic Parameter Settings", &W::fraSettings},
    {"&Melody", "Melody Settings", &W::fraMelody},
    {"&Advanced", "Advanced Parameter Settings", &W::fraAdvanced},
};

// The comparison sign's font; the rest is the window's own.
constexpr int kLargeFontPointSize = 12;

// The member a slot names, in `controls` (a WindowControls, const or not).
template <typename Controls, typename T>
auto& Member(Controls& controls, T* W::*member) {
  return controls.*member;
}
template <typename Controls, typename T, std::size_t N>
auto& Member(Controls& controls, Element<T, N> element) {
  return (controls.*element.array)[element.index];
}

// Makes each control as its member's class, in its designed state.
class Builder {
 public:
  explicit Builder(W& controls) : controls_(controls) {}

  void make(QLabel*& label, const ControlSpec& entry, QWidget* parent) {
    label = new QLabel(text(entry), parent);
    label->setWordWrap((entry.flags & kWrap) != 0);
    label->setTextFormat(Qt::PlainText);
  }
  void make(QPushButton*& button, const ControlSpec& entry, QWidget* parent) {
    button = new QPushButton(text(entry), parent);
  }
  void make(WrapButton*& button, const ControlSpec& entry, QWidget* parent) {
    button = new WrapButton(text(entry), parent);
  }
  void make(QLineEdit*& box, const ControlSpec& entry, QWidget* parent) {
    box = new QLineEdit(text(entry), parent);
  }
  void make(QCheckBox*& box, const ControlSpec& entry, QWidget* parent) {
    box = new QCheckBox(text(entry), parent);
    box->setChecked((entry.flags & kChecked) != 0);
  }
  void make(QRadioButton*& option, const ControlSpec& entry, QWidget* parent) {
    option = new QRadioButton(text(entry), parent);
    option->setChecked((entry.flags & kChecked) != 0);
  }
  void make(QComboBox*& combo, const ControlSpec& entry, QWidget* parent) {
    combo = new QComboBox(parent);
    combo->setEditable((entry.flags & kEditable) != 0);
    if (combo->isEditable()) combo->setCompleter(nullptr);  // what is typed stays as typed
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(itemsOf(combo));
    combo->setCurrentIndex(-1);  // empty text, no item selected
    combo->setMaxVisibleItems(15);
    // The list may be wider than the box, so that annotated items show whole.
    combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 8);
  }
  void make(QSlider*& slider, const ControlSpec&, QWidget* parent) {
    slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, 100);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(10);
    slider->setPageStep(10);
  }
  void make(QGroupBox*& box, const ControlSpec& entry, QWidget* parent) {
    box = new QGroupBox(text(entry), parent);
    if (entry.flags & kPage) box->setAutoFillBackground(true);
  }
  void make(QProgressBar*& bar, const ControlSpec&, QWidget* parent) {
    bar = new QProgressBar(parent);
    bar->setFormat("%v of %m bytes");
    bar->setAlignment(Qt::AlignCenter);
  }
  void make(StatusLamp*& lamp, const ControlSpec&, QWidget* parent) {
    lamp = new StatusLamp(parent);
  }
  void make(QTabWidget*& tabs, const ControlSpec&, QWidget* parent) {
    tabs = new QTabWidget(parent);
    for (const Tab& tab : kTabs) {
      const int index = tabs->addTab(new QWidget, tab.caption);
      tabs->setTabToolTip(index, tab.toolTip);
    }
  }

 private:
  static QString text(const ControlSpec& entry) {
    return entry.text != nullptr ? QString(entry.text) : QString();
  }

  // The trims, or the items of the settings field that the list shows.
  QStringList itemsOf(const QComboBox* combo) const {
    QStringList items;
    if (combo == controls_.cboVtrim) {
      for (int trim = -7; trim <= 7; ++trim) items << QString::number(trim);
      return items;
    }
    for (const FieldInfo& info : AllFields()) {
      if (FieldControl(controls_, info.field) != combo) continue;
      for (const char* item : info.items) items << item;
    }
    return items;
  }

  W& controls_;
};

}  // namespace

WindowControls BuildControls(QWidget& window) {
  const double dpi = window.screen() != nullptr ? window.screen()->logicalDotsPerInchX() : 96.0;
  const auto px = [dpi](int twips) { return qRound(twips * dpi / kTwipsPerInch); };
  window.setFixedSize(px(kClientWidthTwips), px(kClientHeightTwips));

  // Weight set explicitly, so that the children of a bold frame do not inherit its weight.
  QFont plain = window.font();
  plain.setWeight(QFont::Normal);
  QFont bold = plain;
  bold.setBold(true);
  QFont large = bold;
  large.setPointSize(kLargeFontPointSize);

  W controls{};
  Builder builder(controls);
  for (const ControlSpec& entry : kControls) {
    QWidget* parent = entry.parent != nullptr ? controls.*entry.parent : &window;
    QWidget* widget = std::visit(
        [&](auto slot) -> QWidget* {
          auto& member = Member(controls, slot);
          builder.make(member, entry, parent);
          return member;
        },
        entry.slot);
    widget->setObjectName(entry.name);
    widget->setGeometry(px(entry.place.left), px(entry.place.top), px(entry.place.width),
                        px(entry.place.height));
    widget->setFont((entry.flags & kLarge) ? large : (entry.flags & kBold) ? bold : plain);
    if (entry.flags & kHidden) widget->setVisible(false);
    if (entry.flags & kDisabled) widget->setEnabled(false);
    if (entry.toolTip != nullptr) {
      widget->setToolTip(entry.toolTip);
      widget->setAccessibleDescription(entry.toolTip);
    }
    if (entry.helpContext != 0) widget->setProperty(kHelpContextProperty, entry.helpContext);
    if (entry.flags & kTransfer) controls.transfer.push_back(widget);
  }
  for (std::size_t i = 0; i < std::size(kTabs); ++i) controls.tabPages[i] = controls.*kTabs[i].page;

  // The label as the control's buddy gives it its name on every platform; on Linux it is the
  // only thing that names a combo box, whose own name there is its text. A label names one
  // control; a second one it captions gets the caption as its name.
  for (const ControlLabel& pair : kInputLabels) {
    QLabel* label = controls.*pair.label;
    QWidget* input =
        std::visit([&](auto slot) -> QWidget* { return Member(controls, slot); }, pair.control);
    if (label->buddy() == nullptr) {
      label->setBuddy(input);
    } else {
      input->setAccessibleName(label->text());
    }
  }
  return controls;
}

QWidget* FieldControl(const WindowControls& controls, Field field) {
  for (const auto& [shown, slot] : kFieldControls) {
    if (shown == field) {
      return std::visit([&](auto member) -> QWidget* { return Member(controls, member); }, slot);
    }
  }
  return nullptr;
}

void BringPageToFront(const WindowControls& controls, QWidget* control) {
  for (std::size_t i = 0; i < controls.tabPages.size(); ++i) {
    QGroupBox* page = controls.tabPages[i];
    for (QWidget* w = control; w != nullptr; w = w->parentWidget()) {
      if (w == page) {
        if (!page->isVisible()) controls.TabStrip1->setCurrentIndex(static_cast<int>(i));
        return;
      }
    }
  }
}

}  // namespace vexaro
