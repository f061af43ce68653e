#pragma once
// The acknowledged exchange: a command that changes the device or makes it sound is written once,
// then input reports are read until the device acknowledges with 6, the program kept alive
// between reads.

#include <cstdint>

#include "link/ApiUSBRoutines.h"

namespace vexaro {

// What the exchange needs from the program around it. The window implements it; tests record.
class LinkHost {
 public:
  virtual ~LinkHost() = default;
  // Switches the connection monitor's once-a-second poll off and on.
  virtual void setPollTimer(bool enabled) = 0;
  // Handles pending user input and drawing, so the program stays responsive while it waits.
  virtual void processEvents() = 0;
  // The device is gone in the middle of an exchange: the program ends, without a message.
  virtual void endProgram() = 0;
};

class CommandExchange {
 public:
  CommandExchange(ApiUSBRoutines& usb, LinkHost& host) : usb_(usb), host_(host) {}

  // Sends the command and waits for its acknowledgement. Replies other than 6 are read past.
  // Returns false when the device was lost instead: the host has been told to end the program
  // and the caller must stop. The poll timer is off while any exchange waits and on again when
  // the outermost one ends, so no poll can come between a command and its acknowledgement.
  [[nodiscard]] bool SendCommand(std::uint8_t command, std::uint8_t argument1,
                                 std::uint8_t argument2);

  // True while an exchange is waiting (a handler run from processEvents is nested in it).
  bool busy() const { return depth_ > 0; }

 private:
  ApiUSBRoutines& usb_;
  LinkHost& host_;
  int depth_ = 0;
};

}  // namespace vexaro
