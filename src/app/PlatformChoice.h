#pragma once
// The platform both programs talk through: the real HID service, or the simulated device (its
// memory optionally kept in a file), with the traffic trace in front when asked for.

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "common/Result.h"
#include "link/DeviceNotices.h"
#include "link/HidPlatform.h"
#include "link/TrafficTrace.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro {

struct PlatformOptions {
  bool simulate = false;
  std::string simulateFile;  // empty: the simulated memory lives as long as the program
  bool trace = false;
  std::chrono::microseconds simulatedLatency{1000};
};

class MemoryFilePlatform;

// The system's device notices, not yet started; for the simulated device, which is never plugged
// in or out, none.
std::unique_ptr<DeviceNotices> MakeSystemNotices(bool simulate);

class PlatformChoice {
 public:
  // Builds the platform. Fails on a simulated-device file that is malformed or cannot be
  // written: nothing has been sent.
  static Result<std::unique_ptr<PlatformChoice>> make(const PlatformOptions& options,
                                                      std::ostream& traceOut);
  ~PlatformChoice();

  HidPlatform& platform() { return traced_ ? *traced_ : plain(); }
  TrafficTrace& trace() { return trace_; }
  SimulatedPlatform* simulated() { return simulated_; }
  // The simulated device's memory file; empty without one.
  const std::string& simulatedFile() const;

  // The programs call it as they end, after closing every device handle. The simulated memory
  // file is written as each exchange sequence ends (see MemoryFilePlatform); this says whether a
  // store of the run could not be kept there.
  Result<void> saveSimulatedStore();

 private:
  PlatformChoice() = default;
  HidPlatform& plain() { return base_ ? *base_ : *simulatedDevice_; }
  TrafficTrace trace_;  // before the platforms, which write to it
  std::unique_ptr<SimulatedPlatform> simulatedDevice_;
  std::unique_ptr<HidPlatform> base_;
  std::unique_ptr<HidPlatform> traced_;
  SimulatedPlatform* simulated_ = nullptr;
  MemoryFilePlatform* memoryFile_ = nullptr;
};

}  // namespace vexaro
