// The simulated device's memory file: round trip, creation, and refusal of malformed files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "simulator/SimulatedStoreFile.h"

namespace vexaro {
namespace {

namespace fs = std::filesystem;

class StoreFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vexaro-store-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Read(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
  }
  fs::path dir_;
};

TEST_F(StoreFile, MissingFileIsCreatedFromTheFactoryStore) {
  const std::string path = Path("device.txt");
  const Result<DeviceStore> loaded = LoadStoreFile(path);
  ASSERT_TRUE(loaded) << loaded.why();
  EXPECT_EQ(*loaded, FactoryStore());
  EXPECT_TRUE(fs::exists(path));
}

TEST_F(StoreFile, SavedStoreReadsBackTheSame) {
  DeviceStore store{};
  for (std::size_t i = 0; i < store.size(); ++i) store[i] = static_cast<std::uint8_t>(255 - 2 * i);
  const std::string path = Path("device.txt");
  ASSERT_TRUE(SaveStoreFile(path, store));
  const Result<DeviceStore> loaded = LoadStoreFile(path);
  ASSERT_TRUE(loaded) << loaded.why();
  EXPECT_EQ(*loaded, store);
}

TEST_F(StoreFile, AcceptsAnyWhiteSpaceCommentsAndCapitals) {
  std::string text = "# my device\n";
  for (int i = 0; i < 128; ++i) text += (i % 3 == 0 ? "\tFF\r\n" : "0a  # note\n");
  const std::string path = Path("device.txt");
  Write(path, text);
  const Result<DeviceStore> loaded = LoadStoreFile(path);
  ASSERT_TRUE(loaded) << loaded.why();
  EXPECT_EQ((*loaded)[0], 0xff);
  EXPECT_EQ((*loaded)[1], 0x0a);
}

TEST_F(StoreFile, MalformedFileIsAnErrorAndIsLeftAsItWas) {
  const std::string bytes127 = [] {
    std::string s;
    for (int i = 0; i < 127; ++i) s += "00 ";
    return s;
  }();
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {bytes127, "holds 127 bytes; the device store has exactly 128"},
      {bytes127 + "00 00", "holds more than 128 bytes"},
      {bytes127 + "0g", "line 1: \"0g\" is not a two-digit hexadecimal byte"},
      {"00\n" + bytes127.substr(3) + "\n100 00", "line 3: \"100\" is not a two-digit"},
      {"", "holds 0 bytes"},
  };
  for (const Case& c : cases) {
    const std::string path = Path("bad.txt");
    Write(path, c.text);
    const Result<DeviceStore> loaded = LoadStoreFile(path);
    ASSERT_FALSE(loaded);
    EXPECT_THAT(loaded.why(), ::testing::HasSubstr(c.error));
    EXPECT_EQ(Read(path), c.text);  // never a silent factory reset
  }
}

}  // namespace
}  // namespace vexaro
