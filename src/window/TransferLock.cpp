#include "window/TransferLock.h"

namespace vexaro {

TransferLock::TransferLock(const WindowControls& controls) {
  for (QWidget* control : controls.transfer) {
    saved_.emplace_back(control, control->isEnabled());
    control->setEnabled(false);
  }
}

TransferLock::~TransferLock() {
  for (auto& [control, enabled] : saved_) {
    if (control != nullptr) control->setEnabled(enabled);
  }
}

DeviceHold HoldDeviceForClick(ApiUSBRoutines& usb, Dialogs& dialogs) {
  DeviceHold hold = usb.holdDevice();
  if (hold) return hold;
  const LockResult& refusal = hold.refusal();
  if (refusal.busy) {
    dialogs.showMessage("Device in Use",
                        QString("Another program is using %1. Nothing was sent; try again when it "
                                "has finished.")
                            .arg(QString::fromStdString(refusal.name)),
                        Dialogs::Icon::Warning);
  } else {
    dialogs.showMessage("Device Error", QString::fromStdString(refusal.why) + " Nothing was sent.",
                        Dialogs::Icon::Warning);
  }
  return hold;
}

}  // namespace vexaro
