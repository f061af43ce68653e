#include "window/CalibrationPage.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "calibration/Trim.h"
#include "link/DeviceContract.h"
#include "window/TransferLock.h"
#include "window/frmMain.h"

namespace vexaro {

CalibrationPage::CalibrationPage(frmMain& window) : QObject(&window), window_(window) {
  connect(window_.control<QPushButton>("cmdVtrim"), &QPushButton::clicked, this,
          &CalibrationPage::cmdVtrim_Click);
  connect(window_.control<QPushButton>("cmdReadAD"), &QPushButton::clicked, this,
          &CalibrationPage::cmdReadAD_Click);
  // A choice of the user, also of the item already selected.
  connect(window_.control<QComboBox>("cboVtrim"), &QComboBox::activated, this,
          &CalibrationPage::cboVtrim_Click);
}

void CalibrationPage::cmdVtrim_Click() {
  QWidget* page = window_.control("fraVtrim");
  page->setVisible(true);
  page->raise();

  const std::uint8_t stored = window_.usb().PlainTransfer({command::kReadByte, kTrimAddress});
  const int trim = DecodeTrim(stored);
  auto* list = window_.control<QComboBox>("cboVtrim");
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
  auto* list = window_.control<QComboBox>("cboVtrim");
  const std::optional<std::uint8_t> byte = EncodeTrim(list->currentText().toInt());
  if (!byte) return;
  list->setToolTip({});
  {
    const TransferLock lock(window_);
    if (!window_.exchange().SendCommand(command::kStoreByte, kTrimAddress, *byte)) return;
  }
  cmdReadAD_Click();
}

void CalibrationPage::cmdReadAD_Click() {
  // Two plain transfers with nothing between them; a lost device reads as 0 and the connection
  // monitor searches again.
  const std::uint8_t high = window_.usb().PlainTransfer({command::kAdHigh, 0, 0});
  const std::uint8_t low = window_.usb().PlainTransfer({command::kAdLow, 0, 0});
  const int value = AdValue(high, low);
  window_.control<QLabel>("lblADvalue")->setText("A/D Value: " + QString::number(value));
  const TrimEstimates estimates = Estimates(value);
  for (int k = 1; k <= kMaxTrim; ++k) {
    window_.control<QLabel>(QString("lblP1(%1)").arg(k - 1))
        ->setText(QString("+%1: %2").arg(k).arg(estimates.plus[k - 1]));
    window_.control<QLabel>(QString("lblM1(%1)").arg(k - 1))
        ->setText(QString("-%1: %2").arg(k).arg(estimates.minus[k - 1]));
  }
}

}  // namespace vexaro
