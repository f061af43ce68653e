// The simulated device's memory file: round trip, creation, and refusal of malformed files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/QuotedText.h"
#include "simulator/SimulatedStoreFile.h"
#include "support/TestFiles.h"

namespace vexaro {
namespace {

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
  EXPECT_EQ(folder.why(), "Cannot read the simulated device file " + QuotedText(TestFolder().string()) +
                              ": it is a folder, not a file.");
}

}  // namespace
}  // namespace vexaro
