// The simulated device answers the host as the firmware does, in virtual time.

#include <gtest/gtest.h>

#include "simulator/SimulatedDevice.h"

namespace vexaro {
namespace {

using Replies = std::vector<std::uint8_t>;

// Sends one command and collects the replies until the device goes quiet.
Replies Exchange(SimulatedFirmware& firmware, std::uint8_t command, std::uint8_t argument1 = 0,
                 std::uint8_t argument2 = 0) {
  const std::array<std::uint8_t, 9> report = {0, command, argument1, argument2};
  EXPECT_TRUE(firmware.receive(report));
  Replies replies;
  for (std::uint8_t reply = 0;
       firmware.nextReply(reply, std::chrono::milliseconds(5000)) == ReadOutcome::Completed;) {
    replies.push_back(reply);
  }
  return replies;
}

// 700 x (256 + trim) / 256: +7 gives 719.1, -7 (stored as 135) gives 680.9.
TEST(SimulatedFirmware, AdValueFollowsTheTrim) {
  for (const auto& [trimByte, ad] : {std::pair{0, 700}, {7, 719}, {135, 681}, {129, 697}}) {
    SimulatedFirmware firmware;
    firmware.store()[kTrimAddress] = static_cast<std::uint8_t>(trimByte);
    EXPECT_EQ(Exchange(firmware, 'H'), Replies{static_cast<std::uint8_t>(ad >> 8)});
    EXPECT_EQ(Exchange(firmware, 'L'), Replies{static_cast<std::uint8_t>(ad & 0xff)});
  }
}

// The factory tune lasts 13.686 s (36 notes and 7 pauses of 16 ms units): 136 busy replies, one
// each 100 ms, then 6. An empty melody is acknowledged at once.
TEST(SimulatedFirmware, PlaysTheMelodyInSimulatedTime) {
  SimulatedFirmware firmware;
  Replies replies = Exchange(firmware, 'P');
  ASSERT_EQ(replies.size(), 137u);
  EXPECT_EQ(std::count(replies.begin(), replies.end(), 0), 136);
  EXPECT_EQ(replies.back(), 6);
  EXPECT_EQ(firmware.now().count(), 13'685'888'000 + 5'000'000'000LL);  // and the quiet read
  EXPECT_FALSE(firmware.playing());

  DeviceStore silent = FactoryStore();
  std::fill(silent.begin() + kMelodyAddress, silent.end(), 0);
  SimulatedFirmware empty(silent);
  EXPECT_EQ(Exchange(empty, 'P'), Replies{6});
}

}  // namespace
}  // namespace vexaro
