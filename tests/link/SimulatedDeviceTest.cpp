// The simulated device answers the host as the firmware does, in virtual time.

#include <gtest/gtest.h>

#include "melody/DefaultTune.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro {
namespace {

using std::chrono::milliseconds;

// Sends one command and collects the replies until the device goes quiet.
std::vector<std::uint8_t> Exchange(SimulatedFirmware& firmware, std::uint8_t command,
                                   std::uint8_t argument1 = 0, std::uint8_t argument2 = 0) {
  const std::array<std::uint8_t, 9> report = {0, command, argument1, argument2};
  EXPECT_TRUE(firmware.receive(report));
  std::vector<std::uint8_t> replies;
  for (std::uint8_t reply = 0;
       firmware.nextReply(reply, milliseconds(5000)) == ReadOutcome::Completed;) {
    replies.push_back(reply);
  }
  return replies;
}

using Replies = std::vector<std::uint8_t>;

TEST(SimulatedFirmware, AnswersEveryCommandOfTheContract) {
  SimulatedFirmware firmware;
  EXPECT_EQ(Exchange(firmware, 's'), Replies{6});
  EXPECT_EQ(Exchange(firmware, 'F', 2), Replies{31});   // firmware version 3.1
  EXPECT_EQ(Exchange(firmware, 'F', 28), Replies{50});  // first byte of the melody
  EXPECT_EQ(Exchange(firmware, 'F', 200), Replies{0});  // beyond the store
  EXPECT_EQ(Exchange(firmware, 'T', 9, 150), Replies{6});
  EXPECT_EQ(Exchange(firmware, 'F', 9), Replies{150});
  EXPECT_EQ(Exchange(firmware, 'T', 200, 1), Replies{6});  // ignored beyond the store
  EXPECT_EQ(Exchange(firmware, 'B', 53, 37), Replies{6});
  EXPECT_EQ(Exchange(firmware, 'x'), Replies{});  // unknown: no answer
}

TEST(SimulatedFirmware, AdValueFollowsTheTrim) {
  struct Case {
    std::uint8_t trimByte;
    int ad;
  };
  // 700 x (256 + trim) / 256: +7 gives 719.1, -7 (stored as 135) gives 680.9.
  for (const Case c : {Case{0, 700}, Case{7, 719}, Case{135, 681}, Case{129, 697}}) {
    SimulatedFirmware firmware;
    firmware.store()[kTrimAddress] = c.trimByte;
    EXPECT_EQ(Exchange(firmware, 'H'), Replies{static_cast<std::uint8_t>(c.ad >> 8)});
    EXPECT_EQ(Exchange(firmware, 'L'), Replies{static_cast<std::uint8_t>(c.ad & 0xff)});
  }
}

TEST(SimulatedFirmware, BusyRepliesComeBeforeEachAcknowledgement) {
  SimulatedFirmware firmware;
  firmware.faults().busyBeforeAck = 2;
  EXPECT_EQ(Exchange(firmware, 'T', 9, 1), (Replies{0, 0, 6}));
  EXPECT_EQ(Exchange(firmware, 'F', 9), Replies{1});  // a query is answered at once
}

TEST(SimulatedFirmware, PlaysTheMelodyInSimulatedTime) {
  SimulatedFirmware firmware;
  // The factory tune: 36 notes and 7 pauses, each duration x 16 periods of 8 us (16 ms a pause).
  std::int64_t expectedNs = 0;
  for (std::size_t i = 0; i + 1 < kDefaultTune.size() && kDefaultTune[i + 1] != 0; i += 2) {
    const std::int64_t period = kDefaultTune[i] == 0 ? 1'000'000 : kDefaultTune[i] * 8'000;
    expectedNs += kDefaultTune[i + 1] * 16 * period;
  }
  const Replies replies = Exchange(firmware, 'P');
  ASSERT_FALSE(replies.empty());
  EXPECT_EQ(replies.back(), 6);
  EXPECT_EQ(std::count(replies.begin(), replies.end(), 6), 1);
  EXPECT_EQ(static_cast<std::int64_t>(replies.size() - 1), (expectedNs - 1) / 100'000'000);
  EXPECT_FALSE(firmware.playing());
}

TEST(SimulatedFirmware, StopIsAnsweredOnceAndLeavesNoStaleAcknowledgement) {
  SimulatedFirmware firmware;
  const std::array<std::uint8_t, 9> play = {0, 'P'};
  ASSERT_TRUE(firmware.receive(play));
  std::uint8_t reply = 0xEE;
  ASSERT_EQ(firmware.nextReply(reply, milliseconds(5000)), ReadOutcome::Completed);
  EXPECT_NE(reply, 6);  // busy while it plays
  EXPECT_EQ(Exchange(firmware, 'S'), Replies{6});
  EXPECT_FALSE(firmware.playing());
}

TEST(SimulatedFirmware, EmptyMelodyIsAcknowledgedAtOnce) {
  DeviceStore store = FactoryStore();
  std::fill(store.begin() + kMelodyAddress, store.end(), 0);
  SimulatedFirmware firmware(store);
  EXPECT_EQ(Exchange(firmware, 'P'), Replies{6});
}

TEST(SimulatedFirmware, FaultsAtTheChosenReport) {
  SimulatedFirmware firmware;
  firmware.faults().silentAtReport = 2;
  firmware.faults().unplugAfter = 3;
  EXPECT_EQ(Exchange(firmware, 's'), Replies{6});
  EXPECT_EQ(Exchange(firmware, 's'), Replies{});  // report 2: no answer
  EXPECT_EQ(Exchange(firmware, 's'), Replies{6});
  const std::array<std::uint8_t, 9> poll = {0, 's'};
  EXPECT_FALSE(firmware.receive(poll));  // report 4: the device is gone
  std::uint8_t reply = 0;
  EXPECT_EQ(firmware.nextReply(reply, milliseconds(5000)), ReadOutcome::Failed);
}

TEST(SimulatedPlatform, UnpluggedDeviceLeavesTheEnumerationAndCannotBeOpened) {
  SimulatedPlatform platform;
  ASSERT_EQ(platform.enumerate().size(), 1u);
  platform.firmware().unplug();
  EXPECT_TRUE(platform.enumerate().empty());
  EXPECT_EQ(platform.open(SimulatedPlatform::kDefaultPath).device, nullptr);
}

}  // namespace
}  // namespace vexaro
