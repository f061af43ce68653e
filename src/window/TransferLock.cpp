#include "window/TransferLock.h"

#include "window/frmMain.h"

namespace vexaro {

namespace {
// Every control whose handler talks to the device.
constexpr const char* kTransferControls[] = {"cmdSend",    "cmdBeep",  "cmdLoad",   "cmdPlay",
                                             "cmdDefTune", "cmdVtrim", "cmdReadAD", "cboVtrim"};
}  // namespace

TransferLock::TransferLock(frmMain& window) {
  for (const char* name : kTransferControls) {
    QWidget* control = window.control(name);
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
