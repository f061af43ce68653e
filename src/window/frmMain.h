#pragma once
// The main window. For now it shows whether the device is there; the settings pages come next.

#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include "link/ApiUSBRoutines.h"

namespace vexaro {

class frmMain final : public QMainWindow {
  Q_OBJECT

 public:
  frmMain(ApiUSBRoutines& usb, LinkState& link, QWidget* parent = nullptr);

 private:
  void Timer1_Timer();
  void ShowConnection();

  ApiUSBRoutines& usb_;
  LinkState& link_;
  QLabel* lblConStatus_ = nullptr;
  QTimer* Timer1_ = nullptr;
};

}  // namespace vexaro
