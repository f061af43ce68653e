#pragma once
// While one transfer runs (a send, an upload, the trim store), the window keeps processing
// events; the controls that start other transfers are locked so that no second exchange can
// take the first one's replies. The lock puts every control back as it was. Other programs are kept
// away by the device's own lock (HoldDeviceForClick).

#include <QPointer>
#include <QWidget>
#include <utility>
#include <vector>

#include "link/ApiUSBRoutines.h"
#include "window/Dialogs.h"
#include "window/WindowLayout.h"

namespace vexaro {

class TransferLock {
 public:
  explicit TransferLock(const WindowControls& controls);
  ~TransferLock();
  TransferLock(const TransferLock&) = delete;
  TransferLock& operator=(const TransferLock&) = delete;

 private:
  std::vector<std::pair<QPointer<QWidget>, bool>> saved_;
};

// Takes the device for the exchange sequence of a control the user clicked (see
// ApiUSBRoutines::holdDevice). While another program holds it, the user is told so in a message
// box and the hold is empty: nothing may be sent.
DeviceHold HoldDeviceForClick(ApiUSBRoutines& usb, Dialogs& dialogs);

}  // namespace vexaro
