#include "link/CommandExchange.h"

#include "link/DeviceContract.h"

namespace vexaro {

bool CommandExchange::SendCommand(std::uint8_t command, std::uint8_t argument1,
                                  std::uint8_t argument2) {
  host_.setPollTimer(false);
  ++depth_;
  usb_.WriteOutputReport({command, argument1, argument2});
  const LinkState& link = usb_.link();
  bool acknowledged = false;
  do {
    usb_.ReadInputReport();
    host_.processEvents();
    if (!link.DeviceDetected) break;
    // A handler run by processEvents may have made its own exchange; its acknowledgement, left in
    // the buffer, ends this one too.
    acknowledged = link.InputReport[0] == kAcknowledge;
  } while (!acknowledged);
  --depth_;
  if (!acknowledged) {
    host_.endProgram();
    return false;
  }
  if (depth_ == 0) host_.setPollTimer(true);
  return true;
}

}  // namespace vexaro
