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

class RecordingHost final : public LinkHost {
 public:
  void SetPollTimer(bool enabled) override { calls.push_back(enabled ? "timer on" : "timer off"); }
  void ProcessEvents() override {
    calls.push_back("events");
    if (onEvents) {
      auto run = std::move(onEvents);
      onEvents = nullptr;
      run();
    }
  }
  void EndProgram() override { calls.push_back("end"); }

  std::vector<std::string> calls;
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

TEST(SendCommand, WritesOnceAndReadsUntilTheAcknowledgement) {
  for (std::size_t busy : {0u, 1u, 3u}) {
    ExchangeFixture f;
    f.platform.firmware().faults().busyBeforeAck = busy;
    ASSERT_TRUE(f.exchange.SendCommand(command::kStoreByte, 28, 119));
    EXPECT_THAT(f.platform.firmware().received(),
                ElementsAre(ReceivedCommand{command::kStoreByte, 28, 119}));
    EXPECT_EQ(f.platform.firmware().readsServed(), busy + 1);
    EXPECT_EQ(f.platform.firmware().store()[28], 119);
    EXPECT_EQ(f.host.calls.front(), "timer off");
    EXPECT_EQ(f.host.calls.back(), "timer on");
    EXPECT_EQ(std::count(f.host.calls.begin(), f.host.calls.end(), "events"),
              static_cast<long>(busy + 1));
    EXPECT_FALSE(f.exchange.Busy());
  }
}

TEST(SendCommand, LostDeviceEndsTheProgramAndLeavesThePollOff) {
  struct Case {
    std::function<void(SimulatedFaults&)> fault;
  };
  const Case cases[] = {
      {[](SimulatedFaults& f) { f.silentAtReport = 1; }},  // the read times out
      {[](SimulatedFaults& f) { f.failingRead = 1; }},     // the read fails
      {[](SimulatedFaults& f) { f.unplugAfter = 0; }},     // unplugged before the write
  };
  for (const Case& c : cases) {
    ExchangeFixture f;
    c.fault(f.platform.firmware().faults());
    EXPECT_FALSE(f.exchange.SendCommand(command::kBeep, 53, 37));
    EXPECT_THAT(f.host.calls, ElementsAre("timer off", "events", "end"));
    EXPECT_FALSE(f.link.DeviceDetected);
  }
}

// A stop clicked while a play waits: the nested exchange runs whole, the outer one ends with the
// acknowledgement the nested one left, and the poll comes back only after both.
TEST(SendCommand, NestedExchangeEndsTheOuterOneAndThePollWaitsForIt) {
  ExchangeFixture f;
  f.host.onEvents = [&] {
    EXPECT_TRUE(f.exchange.Busy());
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
