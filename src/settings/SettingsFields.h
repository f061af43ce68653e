#pragma once
// The settings fields: one row per window control that shows a configuration byte, with its
// control name, the key the command-line tool uses for it, its kind, its page and its item list.
// The window, the command-line tool and the tests all read this one table.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vexaro {

// In the order `vexaro read` prints them.
enum class Field : std::uint8_t {
  txtThres,
  chkRev,
  cboLowV,
  cboFreq,
  cboDur,
  cboStartBeeps,
  cboVlowBeeps,
  cboVlowDly,
  cboGtime,
  chkGreset,
  chkMreset,
  cboCmdTime,
  cboVcycles,
  cboGcycles,
  cboMcycles,
  cboVminDly,
  optZ10,
  cboZeFreq,
  cboZeDur,
  cboRoFreq,
  cboRoDur,
  cboIBpause,
  cboIDpause,
};
inline constexpr std::size_t kFieldCount = 23;

enum class ControlKind : std::uint8_t {
  TextBox,       // free text (the turn-on threshold)
  EditableList,  // a list the user may also type into
  PickList,      // a list whose text can only be one of its items
  CheckBox,      // text "0" (clear) or "1" (checked)
  OptionGroup,   // text "0" or "1": the index of the selected option
};

enum class Page : std::uint8_t { Basic, Advanced };

struct FieldInfo {
  Field field;
  const char* control;  // the window control's name
  const char* key;      // the command-line tool's key
  const char* label;    // what the user sees it called
  ControlKind kind;
  Page page;
  bool needsVersion30;  // shown and stored only for firmware 3.0 or later
  std::span<const char* const> items;
};

// The row of a field.
const FieldInfo& Info(Field field);
// Every row, in Field order.
std::span<const FieldInfo> AllFields();
// The field with this command-line key or control name.
std::optional<Field> FieldByKey(std::string_view key);
std::optional<Field> FieldByControl(std::string_view control);

// Whether `text` is one of the field's items.
bool IsItem(Field field, std::string_view text);

// The items of the low-battery list for a device of the 70 V range: "OFF", then 5.5 to 12.0 in
// steps of 0.5 (the 7 V items are in the table).
std::span<const char* const> LowVoltageItems70();

}  // namespace vexaro
