#pragma once
// The main window: the tab strip with its pages, the Transfer frame, Help, Exit and the status
// line. Every control is built from the table in WindowLayout.cpp and carries its table name as
// its objectName.

#include <QString>
#include <QTimer>
#include <QWidget>

#include "link/ApiUSBRoutines.h"
#include "link/CommandExchange.h"
#include "settings/SettingsRecord.h"
#include "window/Dialogs.h"

class QGroupBox;
class QTabWidget;

namespace vexaro {

class SettingsPage;

class frmMain final : public QWidget, public LinkHost {
  Q_OBJECT

 public:
  frmMain(ApiUSBRoutines& usb, LinkState& link, DeviceSettings& settings, Dialogs& dialogs,
          QWidget* parent = nullptr);

  // The control with this name (as in the layout table), or nullptr.
  template <typename T = QWidget>
  T* control(const QString& name) const {
    return findChild<T*>(name);
  }

  SettingsPage& settings() { return *settings_; }
  ApiUSBRoutines& usb() { return usb_; }
  LinkState& link() { return link_; }
  CommandExchange& exchange() { return exchange_; }
  QTimer& Timer1() { return *Timer1_; }

  // The calibration switch: the program's remaining argument string was exactly "kalfo".
  void setCalibrationSwitch(bool on) { calibrationSwitch_ = on; }
  bool CalibrationSwitch() const { return calibrationSwitch_; }

  // One tick of the connection monitor: search while disconnected (and read the settings the
  // moment the device is found), poll while connected; any reply but 6 unloads the window.
  void Timer1_Timer();

  // The connected look: green lamp, "Device Connected", "Version ", the device buttons enabled.
  void ShowConnected();

  // LinkHost: the exchange's view of the window.
  void SetPollTimer(bool enabled) override;
  void ProcessEvents() override;
  void EndProgram() override;

  // Brings the page that holds `control` to the front, as choosing its tab does.
  void BringPageToFront(QWidget* control);

  // Where the help file is looked for: beside the program, else in the installed data folder.
  static QString HelpFilePath();

 signals:
  // The window was unloaded: the program ends.
  void unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void TabStrip1_Click(int index);
  void cmdHelp_Click();
  void ShowContextHelp();
  void cmdExit_Click();
  // A search that found nothing: the disconnected look, or "No Access to Device".
  void ShowSearching();

  ApiUSBRoutines& usb_;
  LinkState& link_;
  Dialogs& dialogs_;
  DeviceSettings& DeviceSettings_;
  SettingsPage* settings_ = nullptr;
  QTabWidget* TabStrip1_ = nullptr;
  QTimer* Timer1_ = nullptr;
  CommandExchange exchange_;
  bool calibrationSwitch_ = false;
  bool unloaded_ = false;
};

}  // namespace vexaro
