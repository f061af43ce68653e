#pragma once
// While one transfer runs (a send, an upload, the trim store), the window keeps processing
// events; the controls that start other transfers are locked so that no second exchange can
// take the first one's replies. The lock puts every control back as it was.

#include <QPointer>
#include <QWidget>
#include <utility>
#include <vector>

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

}  // namespace vexaro
