#pragma once
// The main window: the tab strip with its pages, the Transfer frame, Help, Exit and the status
// line. Every control is built from the table in WindowLayout.cpp and carries its table name as
// its objectName.

#include <QString>
#include <QTimer>
#include <QWidget>

#include "link/ApiUSBRoutines.h"
#include "settings/SettingsRecord.h"
#include "window/Dialogs.h"

class QGroupBox;
class QTabWidget;

namespace vexaro {

class SettingsHandlers;

class frmMain final : public QWidget {
  Q_OBJECT

 public:
  frmMain(ApiUSBRoutines& usb, LinkState& link, DeviceSettings& settings, Dialogs& dialogs,
          QWidget* parent = nullptr);

  // The control with this name (as in the layout table), or nullptr.
  template <typename T = QWidget>
  T* control(const QString& name) const {
    return findChild<T*>(name);
  }

  SettingsHandlers& settings() { return *settings_; }

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
  void Timer1_Timer();
  void ShowConnection();

  ApiUSBRoutines& usb_;
  LinkState& link_;
  Dialogs& dialogs_;
  DeviceSettings& DeviceSettings_;
  SettingsHandlers* settings_ = nullptr;
  QTabWidget* TabStrip1_ = nullptr;
  QTimer* Timer1_ = nullptr;
};

}  // namespace vexaro
