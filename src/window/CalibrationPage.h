#pragma once
// The window side of the voltage calibration page: V. Trim, the trim list and Read A/D.

#include <QObject>

namespace vexaro {

class frmMain;

class CalibrationPage final : public QObject {
  Q_OBJECT

 public:
  explicit CalibrationPage(frmMain& window);

  // Opens the page in front, reads the stored trim and selects it, which stores it back and
  // reads the A/D value.
  void cmdVtrim_Click();
  // A trim chosen in the list: stored, then the A/D value read again.
  void cboVtrim_Click();
  // The A/D value and the fourteen estimates.
  void cmdReadAD_Click();

 private:
  frmMain& window_;
};

}  // namespace vexaro
