// The simulated device: it answers the host as the firmware does, in virtual time, and keeps its
// memory in a file (round trip, creation, refusal of malformed files).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/QuotedText.h"
#include "simulator/SimulatedDevice.h"
#include "simulator/SimulatedStoreFile.h"
#include "support/TestFiles.h"

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

TEST(StoreFile, IsCreatedFromTheFactoryStoreAndReadsBackWhatWasSaved) {
  const std::string path = (TestFolder() / "device.txt").string();
  EXPECT_EQ(*LoadStoreFile(path), FactoryStore());  // made from the factory store
  EXPECT_EQ(*LoadStoreFile(path), FactoryStore());  // and read back from the file it made
  DeviceStore store{};
  for (std::size_t i = 0; i < store.size(); ++i) store[i] = static_cast<std::uint8_t>(255 - 2 * i);
  ASSERT_TRUE(SaveStoreFile(path, store));
  EXPECT_EQ(*LoadStoreFile(path), store);

  // Any white space, comments and capitals.
  std::string text = "# my device\n";
  for (int i = 0; i < 128; ++i) text += (i % 3 == 0 ? "\tFF\r\n" : "0a  # note\n");
  const auto typed = LoadStoreFile(TestFile("typed.txt", text));
  ASSERT_TRUE(typed);
  EXPECT_EQ((*typed)[0] * 256 + (*typed)[1], 0xff0a);
}

TEST(StoreFile, MalformedFileIsAnErrorAndIsLeftAsItWas) {
  std::string bytes127;
  for (int i = 0; i < 127; ++i) bytes127 += "00 ";
  const std::pair<std::string, std::string> cases[] = {
      {bytes127, "holds 127 bytes; the device store has exactly 128"},
      {bytes127 + "00 00", "holds more than 128 bytes"},
      {bytes127 + "0g", "line 1: \"0g\" is not a two-digit hexadecimal byte"},
      {"00\n" + bytes127.substr(3) + "\n100 00", "line 3: \"100\" is not a two-digit"},
      {"", "holds 0 bytes"},
  };
  for (const auto& [text, error] : cases) {
    const std::string path = TestFile("bad.txt", text);
    const Result<DeviceStore> loaded = LoadStoreFile(path);
    ASSERT_FALSE(loaded);
    EXPECT_THAT(loaded.why(), ::testing::HasSubstr(error));
    EXPECT_EQ(ReadTestFile(path), text);  // never a silent factory reset
  }
  // A folder is no file of 0 bytes.
  const Result<DeviceStore> folder = LoadStoreFile(TestFolder().string());
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.why(), "Cannot read the simulated device file " +
                              QuotedText(TestFolder().string()) + ": it is a folder, not a file.");
}

#ifndef _WIN32
// The memory file is written as a backup is: a link at its name is followed (the file it names is
// replaced, the link stays), and a file at the name an earlier save used beside it is left alone.
TEST(StoreFile, IsWrittenThroughALinkAndLeavesOtherFilesAlone) {
  namespace fs = std::filesystem;
  const fs::path dir = TestFolder() / "linked";
  fs::create_directories(dir);
  const std::string victim = TestFile("linked/victim", "victim");
  fs::create_symlink("victim", dir / "device.txt.new");
  ASSERT_TRUE(SaveStoreFile((dir / "memory.txt").string(), FactoryStore()));
  fs::create_symlink("memory.txt", dir / "device.txt");
  const std::string link = (dir / "device.txt").string();
  EXPECT_EQ(*LoadStoreFile(link), FactoryStore());
  DeviceStore store{};
  store[9] = 200;
  ASSERT_TRUE(CheckStoreFileWritable(link));
  ASSERT_TRUE(SaveStoreFile(link, store));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(*LoadStoreFile((dir / "memory.txt").string()), store);
  EXPECT_EQ(ReadTestFile(victim), "victim");
  EXPECT_TRUE(fs::is_symlink(dir / "device.txt.new"));
  // memory.txt, device.txt, device.txt.new, victim: nothing else left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4);
}
#endif

}  // namespace
}  // namespace vexaro
