// The acknowledged exchange through the simulated device, with a host that records.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "link/CommandExchange.h"
#include "link/DeviceContract.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro {
namespace {

using ::testing::ElementsAre;
using Calls = std::vector<std::string>;

class RecordingHost final : public LinkHost {
 public:
  void setPollTimer(bool enabled) override { calls.push_back(enabled ? "timer on" : "timer off"); }
  void processEvents() override {
    calls.push_back("events");
    if (onEvents) std::exchange(onEvents, nullptr)();
  }
  void endProgram() override { calls.push_back("end"); }

  Calls calls;
  std::function<void()> onEvents;  // a handler the user starts while the exchange waits
};

struct ExchangeFixture {
  SimulatedPlatform platform;
  TrafficTrace trace;
  LinkState link;
  ApiUSBRoutines usb{platform, link, trace};
  RecordingHost host;
  CommandExchange exchange{usb, host};
  ExchangeFixture() { EXPECT_TRUE(usb.FindDevice()); }
};

// Three busy replies, then the acknowledgement: one write, four reads, the poll off meanwhile.
TEST(SendCommand, WritesOnceAndReadsUntilTheAcknowledgement) {
  ExchangeFixture f;
  f.platform.firmware().faults().busyBeforeAck = 3;
  ASSERT_TRUE(f.exchange.SendCommand(command::kStoreByte, 28, 119));
  EXPECT_THAT(f.platform.firmware().received(),
              ElementsAre(ReceivedCommand{command::kStoreByte, 28, 119}));
  EXPECT_EQ(f.platform.firmware().store()[28], 119);
  EXPECT_EQ(f.host.calls, (Calls{"timer off", "events", "events", "events", "events", "timer on"}));
  EXPECT_FALSE(f.exchange.busy());
}

TEST(SendCommand, LostDeviceEndsTheProgramAndLeavesThePollOff) {
  const Calls lost = {"timer off", "events", "end"};
  // clang-format off
  const std::tuple<const char*, std::function<void(SimulatedFaults&)>, std::uint8_t, Calls> cases[] = {
      {"the read times out", [](SimulatedFaults& f) { f.silentAtReport = 1; }, command::kBeep, lost},
      {"the read fails", [](SimulatedFaults& f) { f.failingRead = 1; }, command::kBeep, lost},
      {"unplugged before the write", [](SimulatedFaults& f) { f.unplugAfter = 0; }, command::kBeep, lost},
      // Only 6 acknowledges: a query's reply (170) is waited past, into a time-out.
      {"a reply other than 6", [](SimulatedFaults&) {}, command::kReadByte, {"timer off", "events", "events", "end"}},
  };
  // clang-format on
  for (const auto& [what, fault, command, calls] : cases) {
    ExchangeFixture f;
    fault(f.platform.firmware().faults());
    EXPECT_FALSE(f.exchange.SendCommand(command, 9, 37)) << what;
    EXPECT_EQ(f.host.calls, calls) << what;
    EXPECT_FALSE(f.link.DeviceDetected) << what;
  }
}

// A stop clicked while a play waits: the nested exchange runs whole, the outer one ends with the
// acknowledgement the nested one left, and the poll comes back only after both.
TEST(SendCommand, NestedExchangeEndsTheOuterOneAndThePollWaitsForIt) {
  ExchangeFixture f;
  f.host.onEvents = [&] {
    EXPECT_TRUE(f.exchange.busy());
    EXPECT_TRUE(f.exchange.SendCommand(command::kStop, 0, 0));
  };
  ASSERT_TRUE(f.exchange.SendCommand(command::kPlay, 0, 0));
  EXPECT_THAT(f.host.calls, ElementsAre("timer off", "events", "timer off", "events", "timer on"));
  EXPECT_THAT(f.platform.firmware().received(), ElementsAre(ReceivedCommand{command::kPlay, 0, 0},
                                                            ReceivedCommand{command::kStop, 0, 0}));
  EXPECT_FALSE(f.platform.firmware().playing());
}

}  // namespace
}  // namespace vexaro
