#pragma once
// The command-line tool run in-process, and one simulated Vexaro at /dev/hidraw1 to run it on.

#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/VexaroCli.h"
#include "link/DeviceContract.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro {

struct CliOutcome {
  int status;
  std::string out;
  std::string err;
  friend bool operator==(const CliOutcome&, const CliOutcome&) = default;
};

inline void PrintTo(const CliOutcome& o, std::ostream* os) {
  *os << "status " << o.status << ", out \"" << o.out << "\", err \"" << o.err << "\"";
}

// Without a platform the tool picks its own, as the program does.
inline CliOutcome RunCli(const std::vector<std::string>& args, HidPlatform* platform = nullptr) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunVexaroCli(args, out, err, platform);
  return {status, out.str(), err.str()};
}

inline void AddVexaro(SimulatedPlatform& p, const char* path, std::optional<OpenError> error = {}) {
  p.addInterface({path, kVexaroVendorId, kVexaroProductId}, true).openError = error;
}

// One Vexaro at /dev/hidraw1, its firmware changed by `change`.
struct CliDevice {
  explicit CliDevice(const std::function<void(SimulatedFirmware&)>& change = nullptr) {
    AddVexaro(platform, "/dev/hidraw1");
    if (change) change(platform.firmware());
  }
  CliOutcome operator()(const std::vector<std::string>& args) { return RunCli(args, &platform); }
  DeviceStore& store() { return platform.firmware().store(); }
  std::vector<std::uint8_t> melody() { return {store().begin() + kMelodyAddress, store().end()}; }

  SimulatedPlatform platform{SimulatedPlatform::Empty{}};
};

}  // namespace vexaro
