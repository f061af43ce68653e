#include "window/CalibrationPage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "calibration/Trim.h"
#include "link/DeviceContract.h"
#include "window/TransferLock.h"

namespace vexaro {

CalibrationPage::CalibrationPage(const WindowControls& controls, ApiUSBRoutines& usb,
                                 CommandExchange& exchange, Dialogs& dialogs)
    : c_(controls), usb_(usb), exchange_(exchange), dialogs_(dialogs) {
  connect(c_.cmdVtrim, &QPushButton::clicked, this, &CalibrationPage::cmdVtrim_Click);
  connect(c_.cmdReadAD, &QPushButton::clicked, this, &CalibrationPage::cmdReadAD_Click);
  // A choice of the user, also of the item already selected.
  connect(c_.cboVtrim, &QComboBox::activated, this, &CalibrationPage::cboVtrim_Click);
}

void CalibrationPage::cmdVtrim_Click() {
  // The read, the store and the A/D read: one exchange sequence.
  const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
  if (!hold) return;
  c_.fraVtrim->setVisible(true);
  c_.fraVtrim->raise();

  const std::uint8_t stored = usb_.plainTransfer({command::kReadByte, kTrimAddress});
  const int trim = DecodeTrim(stored);
  QComboBox* list = c_.cboVtrim;
  if (trim < -kMaxTrim || trim > kMaxTrim) {
    // A byte no device should hold: nothing is selected and nothing stored until the
    // technician chooses a trim.
    list->setCurrentIndex(-1);
    list->setToolTip(QString("The device holds the trim byte %1 (0x%2), which is not a trim of "
                             "-7 to 7. Choose a value to store a valid one.")
                         .arg(stored)
                         .arg(stored, 2, 16, QLatin1Char('0')));
    cmdReadAD_Click();
    return;
  }
  list->setToolTip({});
  {
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(list->findText(QString::number(trim)));
  }
  cboVtrim_Click();  // selecting the stored trim counts as a choice
}

void CalibrationPage::cboVtrim_Click() {
  QComboBox* list = c_.cboVtrim;
  const std::optional<std::uint8_t> byte = EncodeTrim(list->currentText().toInt());
  if (!byte) return;
  const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
  if (!hold) return;
  list->setToolTip({});
  {
    const TransferLock lock(c_);
    if (!exchange_.SendCommand(command::kStoreByte, kTrimAddress, *byte)) return;
  }
  cmdReadAD_Click();
}

void CalibrationPage::cmdReadAD_Click() {
  const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
  if (!hold) return;
  // Two plain transfers with nothing between them; a lost device reads as 0 and the connection
  // monitor searches again.
  const std::uint8_t high = usb_.plainTransfer({command::kAdHigh, 0, 0});
  const std::uint8_t low = usb_.plainTransfer({command::kAdLow, 0, 0});
  const int value = AdValue(high, low);
  c_.lblADvalue->setText("A/D Value: " + QString::number(value));
  const TrimEstimates estimates = Estimates(value);
  for (int k = 1; k <= kMaxTrim; ++k) {
    c_.lblP1[k - 1]->setText(QString("+%1: %2").arg(k).arg(estimates.plus[k - 1]));
    c_.lblM1[k - 1]->setText(QString("-%1: %2").arg(k).arg(estimates.minus[k - 1]));
  }
}

}  // namespace vexaro
