#pragma once
// Every control of the main window, declared once as data: name, kind, parent, caption, place,
// designed state, tool tip and help context number. frmMain builds the window from this table.

#include <span>

namespace vexaro {

enum class WidgetKind : unsigned char {
  Label,
  Button,
  WrapButton,  // a button whose caption wraps onto two lines in its designed size
  CheckBox,
  Option,
  TextBox,
  EditCombo,  // editable list
  ListCombo,  // drop-down list that takes no typing
  Slider,
  Frame,  // a group box, with or without a caption
  Page,   // one of the four stacked pages
  Lamp,   // the round status lamp
  TabStrip,
};

// Designed state flags.
enum : unsigned {
  kBold = 1u << 0,
  kLarge = 1u << 1,  // a larger font (the comparison sign)
  kHidden = 1u << 2,
  kDisabled = 1u << 3,
  kChecked = 1u << 4,
  kWrap = 1u << 5,  // label text wraps
};

// A place in twips (1/1440 inch), relative to the parent, as left, top, width, height.
struct Twips {
  int left;
  int top;
  int width;
  int height;
};

struct ControlSpec {
  const char* name;  // also the widget's objectName
  WidgetKind kind;
  const char* parent;  // nullptr: the window itself
  const char* text;    // caption, designed text, or nullptr
  Twips place;
  unsigned flags;
  const char* toolTip;  // or nullptr
  int helpContext;      // 0: none of its own
};

// In creation order: a parent always comes before its children.
std::span<const ControlSpec> MainWindowControls();

// The label whose caption names an input control to assistive technology, so that a screen
// reader says "Beep Frequency:, combo box, 2358". Check boxes and option buttons are named by
// their own captions.
struct ControlLabel {
  const char* control;
  const char* label;
};
std::span<const ControlLabel> InputControlLabels();

// The window's client size in twips.
inline constexpr int kClientWidthTwips = 5655;
inline constexpr int kClientHeightTwips = 6375;
inline constexpr int kTwipsPerInch = 1440;

}  // namespace vexaro
