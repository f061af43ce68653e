#pragma once
// The window side of the settings: the texts of the settings controls, the entry check when a
// field is left, the turn-on threshold controls, the two Defaults buttons, the settings read and
// Send.

#include <QObject>
#include <QString>
#include <map>

#include "link/CommandExchange.h"
#include "settings/SettingsRecord.h"
#include "window/Dialogs.h"
#include "window/WindowLayout.h"

namespace vexaro {

class SettingsPage final : public QObject {
  Q_OBJECT

 public:
  SettingsPage(const WindowControls& controls, ApiUSBRoutines& usb, const LinkState& link,
               CommandExchange& exchange, Dialogs& dialogs, DeviceSettings& settings);
  ~SettingsPage() override;

  // The text of a field's control (check boxes "0"/"1", the zero-output group its index).
  QString text(Field field) const;
  SettingsTexts texts() const;
  // Puts a text into a field's control as the program does (no entry check). A pick-only list
  // takes only one of its items: false, and nothing changed, for any other text.
  bool setText(Field field, const QString& text);

  void cmdDefSet_Click();
  void cmdDefAdv_Click();

  // Right after the device was found and the window shows it connected: the 29 reads into
  // DeviceSettings, and every settings control filled from them. On a failure the "Upload
  // Error" message and the factory defaults, and false.
  bool ReadDeviceSettings();

  // Stores every setting in the device, in the device's order. Every text is converted before
  // the first byte is written; one that cannot be is named and nothing is written.
  void cmdSend_Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Checks the field as the user leaves it. False when the entry was refused: the message has
  // been shown, the restore text put back and the focus returned to the field.
  bool checkField(QComboBox* combo, Field field);
  // The editable field that has the focus, if it has an entry check.
  QComboBox* focusedCheckedField() const;
  void sliderThres_Change(int value);
  void txtThres_Change(const QString& text);
  void chkRev_Click(bool checked);
  void showSettingsFailure();

  const WindowControls& c_;
  ApiUSBRoutines& usb_;
  const LinkState& link_;
  CommandExchange& exchange_;
  Dialogs& dialogs_;
  DeviceSettings& settings_;
  std::map<QComboBox*, Field> checkedFields_;
  bool checking_ = false;
  // After a refusal, the mouse press that moved the focus, and its release, do nothing.
  bool swallowPress_ = false;
  bool swallowRelease_ = false;
};

}  // namespace vexaro
