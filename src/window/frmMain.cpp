#include "window/frmMain.h"

#include <QVBoxLayout>
#include <chrono>

namespace vexaro {

namespace {
constexpr std::chrono::milliseconds kTickInterval{1000};
}

frmMain::frmMain(ApiUSBRoutines& usb, LinkState& link, QWidget* parent)
    : QMainWindow(parent), usb_(usb), link_(link) {
  setObjectName("frmMain");
  setWindowTitle("Vexaro USB Link");
  lblConStatus_ = new QLabel(this);
  lblConStatus_->setObjectName("lblConStatus");
  lblConStatus_->setAlignment(Qt::AlignCenter);
  lblConStatus_->setMinimumSize(320, 80);
  setCentralWidget(lblConStatus_);
  ShowConnection();

  Timer1_ = new QTimer(this);
  Timer1_->setObjectName("Timer1");
  Timer1_->setInterval(kTickInterval);
  connect(Timer1_, &QTimer::timeout, this, &frmMain::Timer1_Timer);
  Timer1_->start();
}

void frmMain::Timer1_Timer() {
  Timer1_->stop();
  if (!link_.DeviceDetected) usb_.FindDevice();
  ShowConnection();
  Timer1_->start();
}

void frmMain::ShowConnection() {
  if (link_.DeviceDetected) {
    lblConStatus_->setText("Device Connected");
    lblConStatus_->setToolTip(QString::fromStdString(link_.DevicePath));
  } else if (!link_.NoAccessPath.empty()) {
    lblConStatus_->setText("No Access to Device");
    lblConStatus_->setToolTip(
        "This user may not open the device. Install the udev rule that "
        "'vexaro --print-udev-rules' prints (see the README), then plug the device in again.");
  } else {
    lblConStatus_->setText("Device Disconnected");
    lblConStatus_->setToolTip({});
  }
}

}  // namespace vexaro
