#pragma once
// One simulated device, found and opened as the programs find it, with an acknowledged exchange
// whose host does nothing (no poll timer, no events) and remembers being told to end the program.

#include "link/ApiUSBRoutines.h"
#include "link/CommandExchange.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro {

class IdleHost final : public LinkHost {
 public:
  void setPollTimer(bool) override {}
  void processEvents() override {}
  void endProgram() override { ended = true; }
  bool ended = false;
};

struct SimulatedLink {
  SimulatedPlatform platform;
  TrafficTrace trace;  // off
  LinkState link;
  ApiUSBRoutines usb{platform, link, trace};
  IdleHost host;
  CommandExchange exchange{usb, host};

  explicit SimulatedLink(DeviceStore store = FactoryStore()) : platform(store) { usb.FindDevice(); }
};

}  // namespace vexaro
