#pragma once
// The platform both programs talk through: the real HID service, or the simulated device (its
// memory optionally kept in a file), with the traffic trace in front when asked for.

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "common/Result.h"
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

class PlatformChoice {
 public:
  // Builds the platform. Fails on a simulated-device file that is malformed or could not be
  // written back at the end: nothing has been sent.
  static Result<std::unique_ptr<PlatformChoice>> make(const PlatformOptions& options,
                                                      std::ostream& traceOut);

  HidPlatform& platform() { return traced_ ? *traced_ : *base_; }
  TrafficTrace& trace() { return trace_; }
  SimulatedPlatform* simulated() { return simulated_; }
  // The simulated device's memory file; empty without one.
  const std::string& simulatedFile() const { return simulateFile_; }

  // Writes the simulated memory to its file, when there is one; the programs call it as they end,
  // after closing every device handle.
  Result<void> saveSimulatedStore();

 private:
  PlatformChoice() = default;
  TrafficTrace trace_;  // before the platforms, which write to it
  std::unique_ptr<HidPlatform> base_;
  std::unique_ptr<HidPlatform> traced_;
  SimulatedPlatform* simulated_ = nullptr;
  std::string simulateFile_;
};

}  // namespace vexaro
