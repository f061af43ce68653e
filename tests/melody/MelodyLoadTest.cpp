// Loading ring-tone files into the simulated device, and the real songs.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "link/DeviceContract.h"
#include "melody/MelodyLoad.h"
#include "simulator/SimulatedDevice.h"
#include "support/SimulatedLink.h"

namespace vexaro {
namespace {

struct Device : SimulatedLink {
  std::vector<std::uint8_t> melody() {
    const DeviceStore& store = platform.firmware().store();
    return {store.begin() + kMelodyAddress, store.end()};
  }
};

// In a folder of this run's own, so that test programs running side by side never share a file.
std::string TempFile(const std::string& name, const std::string& contents) {
  static const std::string folder = [] {
    const std::string made =
        ::testing::TempDir() + "melody-" + std::to_string(std::random_device{}());
    std::filesystem::create_directories(made);
    return made + "/";
  }();
  const std::string path = folder + name;
  std::ofstream(path, std::ios::binary) << contents;
  return path;
}

// A file of `size` zero bytes that takes no room on the disk.
std::string SparseFile(const std::string& name, std::uintmax_t size) {
  const std::string path = TempFile(name, "");
  std::filesystem::resize_file(path, size);
  return path;
}

constexpr std::uintmax_t kSixteenMiB = 16 * 1024 * 1024;

TEST(LoadTuneFile, StoresAllHundredBytesInOrder) {
  Device device;
  const Result<TuneFile> loaded =
      LoadTuneFile(TempFile("two.txt", "name:d=4,o=5,b=100:8c6,8d6\n"), 0);
  ASSERT_TRUE(loaded) << loaded.why();
  ASSERT_TRUE(UploadTuneImage(device.exchange, loaded->image));
  std::vector<std::uint8_t> expected(100, 0);
  expected[0] = 119;
  expected[1] = 20;
  expected[2] = 106;
  expected[3] = 22;
  EXPECT_EQ(device.melody(), expected);
  const auto& received = device.platform.firmware().received();
  ASSERT_EQ(received.size(), 100u);
  for (std::size_t i = 0; i < received.size(); ++i) {
    EXPECT_EQ(received[i], (ReceivedCommand{command::kStoreByte, static_cast<std::uint8_t>(28 + i),
                                            expected[i]}));
  }
}

TEST(LoadTuneFile, FilesThatCannotBeLoadedSayWhy) {
  const std::string folder = ::testing::TempDir();
  struct Case {
    std::string path;
    const char* error;
  };
  const Case cases[] = {
      {folder + "no-such-tune.txt", "There is no file"},
      {folder, "is not a file"},
      {TempFile("zero-tempo.txt", "x:d=4,o=5,b=0:c"), "tempo of 0"},
      {TempFile("zero-length.txt", "x:d=4,o=5,b=63:0c"), "duration number of 0"},
      {TempFile("negative.txt", "x:d=-4,o=5,b=63:c"), "Note 1 cannot be stored"},
      {SparseFile("over-16-mib.txt", kSixteenMiB + 1), "is too large to be a ring tone."},
  };
  for (const Case& c : cases) {
    const Result<TuneFile> loaded = LoadTuneFile(c.path, 0);
    ASSERT_FALSE(loaded) << c.path;
    EXPECT_THAT(loaded.why(), ::testing::HasSubstr(c.error)) << c.path;
  }
  // 16 MiB itself is read: one item of zero bytes, a C.
  const std::string limit = SparseFile("16-mib.txt", kSixteenMiB);
  EXPECT_EQ(LoadTuneFile(limit, 0)->notes.size(), 1u);
  for (const char* name : {"over-16-mib.txt", "16-mib.txt"}) {
    std::filesystem::remove(folder + name);
  }
}

TEST(LoadTuneFile, SixtyNotesStoreTheFirstFiftyWithNoClosingPair) {
  std::string sixty = "x:d=4,o=5,b=63:";
  for (int i = 0; i < 60; ++i) sixty += i < 50 ? "c6," : "p,";
  const Result<TuneFile> loaded = LoadTuneFile(TempFile("sixty.txt", sixty), 0);
  ASSERT_TRUE(loaded) << loaded.why();
  EXPECT_EQ(loaded->notes.size(), 50u);
  EXPECT_EQ(loaded->image[98], 119);  // the 50th note is a C6, not a pause
  EXPECT_NE(loaded->image[99], 0);
}

// Every song of the collection, one a line, loads, is stored and plays to its end.
TEST(LoadTuneFile, EveryRealSongLoadsAndPlays) {
  std::ifstream songs(VEXARO_DATA_DIR "/rtttl-songs.txt");
  ASSERT_TRUE(songs);
  int count = 0;
  for (std::string song; std::getline(songs, song);) {
    if (song.empty()) continue;
    ++count;
    Device device;
    const Result<TuneFile> loaded = LoadTuneFile(TempFile("song.txt", song), 0);
    ASSERT_TRUE(loaded) << song.substr(0, 40) << ": " << loaded.why();
    EXPECT_FALSE(loaded->notes.empty());
    ASSERT_TRUE(UploadTuneImage(device.exchange, loaded->image));
    EXPECT_EQ(device.melody(),
              std::vector<std::uint8_t>(loaded->image.begin(), loaded->image.end()));
    ASSERT_TRUE(device.exchange.SendCommand(command::kPlay, 0, 0));
    EXPECT_FALSE(device.platform.firmware().playing());
    EXPECT_GT(device.platform.firmware().now().count(), 0);
  }
  EXPECT_GT(count, 10);
}

TEST(UploadTuneImage, StopsAtALostDevice) {
  Device device;
  device.platform.firmware().faults().unplugAfter = 10;
  EXPECT_FALSE(UploadTuneImage(device.exchange, DefaultTuneImage()));
  EXPECT_TRUE(device.host.ended);
  EXPECT_EQ(device.platform.firmware().received().size(), 10u);
}

}  // namespace
}  // namespace vexaro
