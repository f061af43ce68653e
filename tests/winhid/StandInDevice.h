#pragma once
// The stand-in devices behind the stand-in HID service: each interface a named pipe in message
// mode, several instances listening, one output report a message from the program and one input
// report a message to it. Every input report goes to every open handle, as Windows' HID class
// driver delivers it. A Vexaro answers as the simulated firmware; other interfaces only count
// who opens them.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "StandInCatalogue.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro::standin {

// How one served interface behaves.
struct DeviceBehaviour {
  CatalogueEntry entry;         // path, IDs and the caps the stand-in hid.dll reports
  bool isVexaro = true;         // answers as the firmware; otherwise never reads nor answers
  std::uint8_t reportId = 0;    // the report ID its reports carry (0: unnumbered)
  bool takesReports = true;     // false: never reads what the program writes
  bool denied = false;          // opens for reading are refused with access denied
  std::size_t lateReplies = 0;  // the first replies arrive `replyDelay` late
  std::chrono::milliseconds replyDelay{0};
};

class StandInDevices {
 public:
  // Serves the interfaces until destroyed; `store` is the Vexaros' memory.
  explicit StandInDevices(std::vector<DeviceBehaviour> devices, DeviceStore store = FactoryStore());
  ~StandInDevices();
  StandInDevices(const StandInDevices&) = delete;
  StandInDevices& operator=(const StandInDevices&) = delete;

  // The firmware of the Vexaros (one for all of them), touched only while `locked()` is held.
  SimulatedFirmware& firmware();
  std::unique_lock<std::mutex> locked();

  // Handles opened on `path` so far, and the handles open on any interface now.
  int opens(const std::string& path);
  int openNow();
  // Waits (briefly) until no handle is open; true when none is.
  bool waitUntilAllClosed();
  // The device at `path` is unplugged: its handles break, and it takes no new ones.
  void unplug(const std::string& path);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A unique name for this run's pipes and catalogue.
std::string RunTag();

}  // namespace vexaro::standin
