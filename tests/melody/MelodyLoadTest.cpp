// Reading ring-tone files. (The command-line tests store loaded melodies in the device.)

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "melody/MelodyLoad.h"
#include "support/TestFiles.h"

namespace vexaro {
namespace {

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
    const auto loaded = LoadTuneFile(path, 0);
    ASSERT_FALSE(loaded) << path;
    EXPECT_THAT(loaded.why(), ::testing::HasSubstr(error)) << path;
  }
  // 16 MiB itself is read: one item of zero bytes, a C.
  EXPECT_EQ(LoadTuneFile(sparse("16-mib.txt", kSixteenMiB), 0)->notes.size(), 1u);
}

}  // namespace
}  // namespace vexaro
