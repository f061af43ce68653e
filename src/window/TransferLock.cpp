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

}  // namespace vexaro
