#pragma once
// The simulated device: a stand-in for the device's firmware behind the HID platform seam. It is
// a real platform, selectable with --simulate, used by the demo, the command-line tool and the
// tests alike. It answers every command the host sends:
//
//   s        -> 6
//   F a      -> the byte at address a (0 above 127)
//   T a v    -> stores v at a, then 6
//   H / L    -> high / low byte of an A/D value that follows the voltage trim at address 27
//   B p d    -> 6
//   P        -> plays the stored melody in simulated time: a busy reply (not 6) every 100 ms while
//               it plays, 6 when it ends
//   S        -> stops playing, then one 6 (the melody's own 6 is never sent after a stop)
//
// Time is virtual when the latency is zero (tests: nothing ever sleeps, a read with nothing to
// answer times out at once) and real otherwise (interactive use: each reply takes the latency,
// a melody takes as long as it would on the device).

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/DeviceContract.h"
#include "link/HidPlatform.h"

namespace vexaro {

using DeviceStore = std::array<std::uint8_t, kStoreSize>;

// The firmware version a factory-new simulated device reports: 3.1, times ten.
inline constexpr std::uint8_t kFactoryFirmwareVersion = 31;

// The store of a factory-new device: firmware 3.1, 7 V range, the factory defaults of both
// settings pages as the Send button stores them, trim 0 and the factory melody.
DeviceStore FactoryStore();

// Descriptor of the device's single interface: vendor-defined, 8-byte input and output reports,
// no report IDs.
std::vector<std::uint8_t> VexaroReportDescriptor();

// Faults the tests inject. Report and read numbers count from 1 over the device's whole life.
struct SimulatedFaults {
  std::optional<std::size_t> silentAtReport;  // the Nth output report gets no reply: a time-out
  std::optional<std::size_t> failingRead;     // the Nth read fails (not a time-out)
  std::optional<std::size_t> unplugAfter;     // after N output reports the device is gone
  std::size_t busyBeforeAck = 0;  // extra non-6 replies before each acknowledgement of T, B, P, S
  std::optional<std::uint8_t> pollReply;  // the status poll is answered with this instead of 6
};

// One command as the device received it.
struct ReceivedCommand {
  std::uint8_t command;
  std::uint8_t argument1;
  std::uint8_t argument2;
  friend bool operator==(const ReceivedCommand&, const ReceivedCommand&) = default;
};

class SimulatedFirmware {
 public:
  static constexpr std::uint8_t kBusyReply = 0x00;
  static constexpr std::chrono::milliseconds kBusyInterval{100};
  static constexpr int kAdAtNoTrim = 700;
  static constexpr std::size_t kReceivedLimit = 100000;

  explicit SimulatedFirmware(DeviceStore store = FactoryStore()) : store_(store) {}

  DeviceStore& store() { return store_; }
  const DeviceStore& store() const { return store_; }
  SimulatedFaults& faults() { return faults_; }

  bool unplugged() const { return unplugged_; }
  bool playing() const { return playing_; }
  std::size_t reportsReceived() const { return reportsReceived_; }
  // Every command received, in order (for tests and the demo's bookkeeping).
  const std::vector<ReceivedCommand>& received() const { return received_; }
  std::size_t readsServed() const { return readsServed_; }
  std::chrono::nanoseconds now() const { return now_; }

  // 0: virtual time. Otherwise every reply takes this long and playing takes real time.
  void setLatency(std::chrono::microseconds latency) { latency_ = latency; }

  // The current A/D value, as H and L report it.
  int adValue() const;

  // One output report (report ID first). Returns false when the device is gone.
  bool receive(std::span<const std::uint8_t> report);

  // The next reply byte, or what happens instead.
  ReadOutcome nextReply(std::uint8_t& reply, std::chrono::milliseconds limit);

  void unplug() { unplugged_ = true; }
  void plugIn() { unplugged_ = false; }

  // A new open sees only the reports that arrive after it, as on hidraw: replies still waiting
  // for a reader that is gone are dropped.
  // Returns how many were dropped.
  std::size_t dropPendingReplies() {
    const std::size_t dropped = replies_.size();
    replies_.clear();
    return dropped;
  }

 private:
  void answer(std::uint8_t byte) { replies_.push_back(byte); }
  void acknowledge();
  std::chrono::nanoseconds melodyDuration() const;
  void waitUntil(std::chrono::nanoseconds when);

  DeviceStore store_;
  SimulatedFaults faults_;
  std::deque<std::uint8_t> replies_;
  std::vector<ReceivedCommand> received_;
  bool unplugged_ = false;
  bool playing_ = false;
  std::chrono::nanoseconds playEnd_{0};
  std::chrono::nanoseconds nextBusy_{0};
  std::chrono::nanoseconds now_{0};
  std::chrono::microseconds latency_{0};
  std::size_t reportsReceived_ = 0;
  std::size_t readsServed_ = 0;
};

// A platform with a list of HID interfaces: the simulated device's and, for tests, any others.
class SimulatedPlatform final : public HidPlatform {
 public:
  static constexpr const char* kDefaultPath = "sim:vexaro";

  struct Interface {
    HidInterfaceInfo info;
    bool isVexaro = false;                 // answers as the simulated firmware
    std::vector<std::uint8_t> descriptor;  // empty: the descriptor cannot be read
    std::optional<OpenError> openError;    // set: every open fails this way
  };

  // One simulated device at kDefaultPath with the given store.
  explicit SimulatedPlatform(DeviceStore store = FactoryStore());
  // No interface at all; add them with addInterface().
  struct Empty {};
  explicit SimulatedPlatform(Empty) {}

  SimulatedFirmware& firmware() { return firmware_; }

  Interface& addInterface(HidInterfaceInfo info, bool isVexaro);
  std::deque<Interface>& interfaces() { return interfaces_; }

  // Set: the HID service did not start, for this reason; nothing is enumerated.
  std::string failedService;

  // Bookkeeping for tests: opens per path, handles still open, and closes per path.
  const std::map<std::string, int>& opens() const { return opens_; }
  const std::map<std::string, int>& closes() const { return closes_; }
  int openHandles() const;

  std::vector<HidInterfaceInfo> enumerate() override;
  OpenResult open(const std::string& path) override;
  std::string serviceFailure() override { return failedService; }

 private:
  SimulatedFirmware firmware_;
  std::deque<Interface> interfaces_;  // a deque: open handles refer to their entries
  std::map<std::string, int> opens_;
  std::map<std::string, int> closes_;
};

}  // namespace vexaro
