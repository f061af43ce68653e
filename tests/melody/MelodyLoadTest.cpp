// Loading ring-tone files and storing the melody in the simulated device.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "link/DeviceContract.h"
#include "melody/MelodyLoad.h"
#include "support/SimulatedLink.h"
#include "support/TestFiles.h"

namespace vexaro {
namespace {

// All 100 bytes, the zeros after the last note too, each with its own acknowledged store.
TEST(LoadTuneFile, WorkedExampleStoresAllHundredBytesInOrder) {
  SimulatedLink device;
  const TuneFileResult loaded =
      LoadTuneFile(TestFile("two.txt", "name:d=4,o=5,b=100:8c6,8d6\n"), 0);
  ASSERT_EQ(loaded.error, "");
  ASSERT_TRUE(UploadTuneImage(device.exchange, loaded.image));
  std::vector<ReceivedCommand> expected;
  for (std::uint8_t i = 0; i < 100; ++i) {
    const std::uint8_t bytes[] = {119, 20, 106, 22};
    expected.push_back({command::kStoreByte, static_cast<std::uint8_t>(28 + i),
                        i < 4 ? bytes[i] : std::uint8_t{0}});
  }
  EXPECT_EQ(device.platform.firmware().received(), expected);
}

TEST(LoadTuneFile, FilesThatCannotBeLoadedSayWhy) {
  // A file of `size` zero bytes that takes no room on the disk.
  const auto sparse = [](const std::string& name, std::uintmax_t size) {
    const std::string path = TestFile(name, "");
    std::filesystem::resize_file(path, size);
    return path;
  };
  constexpr std::uintmax_t kSixteenMiB = 16 * 1024 * 1024;
  const std::pair<std::string, const char*> cases[] = {
      {(TestFolder() / "no-such-tune.txt").string(), "There is no file"},
      {TestFolder().string(), "is not a file"},
      {TestFile("zero-tempo.txt", "x:d=4,o=5,b=0:c"), "tempo of 0"},
      {TestFile("zero-length.txt", "x:d=4,o=5,b=63:0c"), "duration number of 0"},
      {TestFile("negative.txt", "x:d=-4,o=5,b=63:c"), "Note 1 cannot be stored"},
      {sparse("over-16-mib.txt", kSixteenMiB + 1), "is too large to be a ring tone."},
  };
  for (const auto& [path, error] : cases) {
    EXPECT_THAT(LoadTuneFile(path, 0).error, ::testing::HasSubstr(error)) << path;
  }
  // 16 MiB itself is read: one item of zero bytes, a C.
  EXPECT_EQ(LoadTuneFile(sparse("16-mib.txt", kSixteenMiB), 0).notes.size(), 1u);
}

TEST(UploadTuneImage, StopsAtALostDevice) {
  SimulatedLink device;
  device.platform.firmware().faults().unplugAfter = 10;
  std::size_t stored = 99;
  EXPECT_FALSE(UploadTuneImage(device.exchange, DefaultTuneImage(), &stored));
  EXPECT_TRUE(device.host.ended);
  EXPECT_EQ(device.platform.firmware().received().size(), 10u);
  EXPECT_EQ(stored, 10u);
}

}  // namespace
}  // namespace vexaro
