// backup, restore and tune on the simulated device: round trips, bad files and lost devices.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "app/VexaroCli.h"
#include "link/DeviceContract.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro {
namespace {

using ::testing::HasSubstr;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// One device at /dev/hidraw1, its firmware changed by `change`.
struct Device {
  explicit Device(const std::function<void(SimulatedFirmware&)>& change = nullptr) {
    platform.addInterface({"/dev/hidraw1", kVexaroVendorId, kVexaroProductId}, true);
    if (change) change(platform.firmware());
  }
  Outcome operator()(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunVexaroCli(args, out, err, &platform);
    return {status, out.str(), err.str()};
  }
  DeviceStore& store() { return platform.firmware().store(); }
  std::vector<std::uint8_t> melody() { return {store().begin() + kMelodyAddress, store().end()}; }

  SimulatedPlatform platform{SimulatedPlatform::Empty{}};
};

std::string TempFile(const std::string& name, const std::string& contents) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << contents;
  return path;
}

std::string Read(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

TEST(CliBackup, RestoredOntoAFactoryDeviceReadsBackByteForByte) {
  Device source;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"set", "beep-frequency=1568", "beep-duration=0.125", "turn-on=-20",
                                 "low-battery=5.11", "zero-output=10-beeps",
                                 "min-voltage-capture=300", "clear-min-voltage=1"},
        {"trim", "-3"},
        {"load", VEXARO_DATA_DIR "/two-notes.txt"}}) {
    ASSERT_EQ(source(args).status, kExitDone) << args[0];
  }
  source.store()[127] = 9;  // behind the closing pair: never played, but restored as it stands
  // Bytes the window cannot express exactly. The host never writes addresses 0 and 1, and it
  // shows the alert delay (20 ms ticks) in tenths of a second: 101 ticks read as 2.0 s.
  const std::map<std::size_t, std::uint8_t> inexpressible = {{0, 0x5a}, {1, 0xa5}, {7, 101}};
  for (const auto& [address, value] : inexpressible) source.store()[address] = value;

  const std::string file = ::testing::TempDir() + "vexaro-round-trip.json";
  const Outcome backup = source({"backup", file});
  ASSERT_EQ(backup.status, kExitDone) << backup.err;

  // A byte that cannot be shown does not stop a restore, which gives every setting.
  Device target([](SimulatedFirmware& f) { f.store()[16] = 9; });
  const Outcome restore = target({"restore", file});
  ASSERT_EQ(restore.status, kExitDone) << restore.err;
  for (std::size_t a = 0; a < kStoreSize; ++a) {
    if (inexpressible.count(a) == 0) {
      EXPECT_EQ(target.store()[a], source.store()[a]) << a;
    }
  }
  EXPECT_EQ(target.store()[0], 0);
  EXPECT_EQ(target.store()[7], 100);
  EXPECT_THAT(Read(file), HasSubstr("\"1: 1050.42 Hz 0.3046 s tone C6 pitch 119 duration 20\""));
  std::filesystem::remove(file);
}

TEST(CliBackup, OnlyStoresItsPart) {
  const std::string file = ::testing::TempDir() + "vexaro-only.json";
  ASSERT_EQ(Device()({"backup", file}).status, kExitDone);
  const std::map<std::string, std::pair<std::size_t, std::uint8_t>> parts = {
      {"settings", {23, 9}}, {"melody", {100, 28}}, {"trim", {1, 27}}};  // writes, first address
  for (const auto& [part, expected] : parts) {
    Device device;
    ASSERT_EQ(device({"restore", file, "--only", part}).status, kExitDone) << part;
    const auto& received = device.platform.firmware().received();
    std::vector<ReceivedCommand> writes;
    std::copy_if(received.begin(), received.end(), std::back_inserter(writes),
                 [](const ReceivedCommand& c) { return c.command == command::kStoreByte; });
    ASSERT_EQ(writes.size(), expected.first) << part;
    EXPECT_EQ(writes.front().argument1, expected.second) << part;
  }
  std::filesystem::remove(file);
}

// Every real song, loaded, read back as a ring-tone text and loaded from that text, stores the
// same 100 bytes, unless it is named here with the reason it cannot.
TEST(CliTune, EveryRealSongComesBackThroughItsRingToneText) {
  const std::map<std::string, std::string> notExactlyWritable = {};
  std::ifstream songs(VEXARO_DATA_DIR "/rtttl-songs.txt");
  ASSERT_TRUE(songs);
  int count = 0;
  for (std::string song; std::getline(songs, song);) {
    if (song.empty()) continue;
    ++count;
    const std::string name = song.substr(0, song.find(':'));
    Device device;
    ASSERT_EQ(device({"load", TempFile("song.txt", song)}).status, kExitDone) << name;
    const Outcome tune = device({"tune", "--rtttl"});
    ASSERT_EQ(tune.status, kExitDone) << name;
    Device again;
    ASSERT_EQ(again({"load", TempFile("song-back.txt", tune.out)}).status, kExitDone) << name;
    const auto reason = notExactlyWritable.find(name);
    if (reason == notExactlyWritable.end()) {
      EXPECT_EQ(again.melody(), device.melody()) << name << ": " << tune.out;
      EXPECT_EQ(tune.err, "") << name;
    } else {
      EXPECT_NE(again.melody(), device.melody()) << name;
      EXPECT_THAT(tune.err, HasSubstr(reason->second)) << name;
    }
  }
  EXPECT_GT(count, 10);

  Device device;
  ASSERT_EQ(device({"load", VEXARO_DATA_DIR "/two-notes.txt"}).status, kExitDone);
  EXPECT_THAT(device({"tune"}).out,
              ::testing::StartsWith("1: 1050.42 Hz 0.3046 s tone C6 pitch 119 duration 20\n"
                                    "2: 1179.25 Hz 0.2985 s tone D6 pitch 106 duration 22\n"
                                    "28: 119 20 106 22 0 0 0 0 0 0\n"));
  device.store()[kMelodyAddress] = 118;  // no note has this period
  const Outcome nearest = device({"tune", "--rtttl"});
  EXPECT_EQ(nearest.status, kExitDone);
  EXPECT_THAT(nearest.err, HasSubstr("vexaro: note 1 (pitch code 118"));
}

// A file that cannot be restored whole is refused in one sentence before the first write.
TEST(CliRestore, BadFilesWriteNothing) {
  const std::string good = [] {
    const std::string file = ::testing::TempDir() + "vexaro-good.json";
    Device()({"backup", file});
    return Read(file);
  }();
  const auto changed = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const auto at = text.find(from);
    return at == std::string::npos ? "(" + from + " not found)" : text.replace(at, from.size(), to);
  };
  const auto olderFirmware = [](SimulatedFirmware& f) { f.store()[2] = 29; };
  struct Case {
    const char* what;
    std::string contents;
    std::function<void(SimulatedFirmware&)> device;
    const char* error;
  };
  const Case cases[] = {
      {"not JSON", good.substr(0, 40), nullptr, "is not a JSON file."},
      {"what read --json wrote", "{\"version\": \"3.1\"}", nullptr,
       "is not a file that 'vexaro backup' wrote"},
      {"no melody", changed("\"melody\"", "\"tune\""), nullptr, "has no \"melody\""},
      {"a setting missing", changed("    \"beep-duration\": \"0.251\",\n", ""), nullptr,
       "have no \"beep-duration\"."},
      {"another range", changed("\"7V\"", "\"70V\""), nullptr,
       "these settings are for a 70V device; this one is 7V."},
      {"gated settings for older firmware", good, olderFirmware,
       "needs firmware 3.0 or later; this device has 2.9."},
      {"gated settings from older firmware", changed("\"3.1\"", "\"2.9\""), nullptr,
       "which firmware 2.9 does not have."},
      {"a value the window refuses", changed("\"2358\"", "\"6000\""), nullptr,
       "Frequency must be between 500 and 5000 Hz."},
      {"trim outside -7 to 7", changed("\"trim\": 0", "\"trim\": -8"), nullptr,
       "must be a whole number from -7 to 7, not -8."},
      {"trim beyond a signed number", changed("\"trim\": 0", "\"trim\": 18446744073709551615"),
       nullptr, "from -7 to 7, not 18446744073709551615."},
      {"melody not hex", changed("\"melody\": \"32", "\"melody\": \"3g"), nullptr,
       "must be 100 two-digit hexadecimal bytes; \"3g\" is not one."},
      {"99 melody bytes", changed("\"melody\": \"32 ", "\"melody\": \""), nullptr,
       "must be 100 two-digit hexadecimal bytes; it holds 99."},
  };
  for (const Case& c : cases) {
    Device device(c.device);
    const DeviceStore before = device.store();
    const Outcome run = device({"--trace", "restore", TempFile("vexaro-bad.json", c.contents)});
    EXPECT_EQ(run.status, kExitBadInput) << c.what;
    EXPECT_THAT(run.err, HasSubstr(c.error)) << c.what;
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("hid> 00 54"))) << c.what;
    std::size_t sentences = 0;
    for (std::size_t at = run.err.find("vexaro: "); at != std::string::npos;
         at = run.err.find("vexaro: ", at + 1)) {
      ++sentences;
    }
    EXPECT_EQ(sentences, 1u) << c.what;
    EXPECT_EQ(device.store(), before) << c.what;
  }
}

TEST(CliRestore, DeviceLostPartWaySaysHowFar) {
  const std::string file = ::testing::TempDir() + "vexaro-lost.json";
  ASSERT_EQ(Device()({"backup", file}).status, kExitDone);
  struct Case {
    std::vector<std::string> args;
    std::size_t unplugAfter;  // output reports
    const char* error;
  };
  const Case cases[] = {
      {{"restore", file},
       29 + 23 + 5,
       "device lost after storing 28 of 124 bytes, part way through the melody; restore the "
       "file again."},
      {{"restore", file, "--only", "trim"},
       0,
       "device lost after storing 0 of 1 bytes, part way through the trim"},
      {{"backup", file + ".new"}, 29 + 10, "device lost while reading address 38."},
  };
  for (const Case& c : cases) {
    Device device([&](SimulatedFirmware& f) { f.faults().unplugAfter = c.unplugAfter; });
    const Outcome run = device(c.args);
    EXPECT_EQ(run.status, kExitDeviceLost) << c.error;
    EXPECT_THAT(run.err, HasSubstr(c.error));
  }
  EXPECT_FALSE(std::filesystem::exists(file + ".new"));
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace vexaro
