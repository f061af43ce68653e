#pragma once
// The window side of the voltage calibration page: V. Trim, the trim list and Read A/D.

#include <QObject>

#include "link/CommandExchange.h"
#include "window/Dialogs.h"
#include "window/WindowLayout.h"

namespace vexaro {

class CalibrationPage final : public QObject {
  Q_OBJECT

 public:
  CalibrationPage(const WindowControls& controls, ApiUSBRoutines& usb, CommandExchange& exchange,
                  Dialogs& dialogs);

  // Opens the page in front, reads the stored trim and selects it, which stores it back and
  // reads the A/D value.
  void cmdVtrim_Click();
  // A trim chosen in the list: stored, then the A/D value read again.
  void cboVtrim_Click();
  // The A/D value and the fourteen estimates.
  void cmdReadAD_Click();

 private:
  const WindowControls& c_;
  ApiUSBRoutines& usb_;
  CommandExchange& exchange_;
  Dialogs& dialogs_;
};

}  // namespace vexaro
