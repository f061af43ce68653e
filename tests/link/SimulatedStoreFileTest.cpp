// The simulated device's memory file: round trip, creation, and refusal of malformed files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>


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
