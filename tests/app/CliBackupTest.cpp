// backup, restore and tune on the simulated device: round trips, bad files and lost devices.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "support/CliRun.h"
#include "support/TestFiles.h"

namespace vexaro {
namespace {

using ::testing::HasSubstr;

// A backup of a factory device.
std::string FactoryBackup() {
  const std::string file = (TestFolder() / "factory.json").string();
  EXPECT_EQ(CliDevice()({"backup", file}).status, kExitDone);
  return file;
}

TEST(CliBackup, RestoredOntoAFactoryDeviceReadsBackByteForByte) {
  CliDevice source;
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

  const std::string file = (TestFolder() / "round-trip.json").string();
  const CliOutcome backup = source({"backup", file});
  ASSERT_EQ(backup.status, kExitDone) << backup.err;
  EXPECT_THAT(ReadTestFile(file),
              HasSubstr("\"1: 1050.42 Hz 0.3046 s tone C6 pitch 119 duration 20\""));

  // A byte that cannot be shown does not stop a restore, which gives every setting.
  CliDevice target([](SimulatedFirmware& f) { f.store()[16] = 9; });
  const CliOutcome restore = target({"restore", file});
  ASSERT_EQ(restore.status, kExitDone) << restore.err;
  DeviceStore expected = source.store();
  expected[0] = expected[1] = 0;
  expected[7] = 100;
  EXPECT_EQ(target.store(), expected);

  // --only stores its part alone: so many writes, from this address on.
  const std::map<std::string, std::pair<std::size_t, std::uint8_t>> parts = {
      {"settings", {23, 9}}, {"melody", {100, 28}}, {"trim", {1, 27}}};
  for (const auto& [part, expectedWrites] : parts) {
    CliDevice device;
    ASSERT_EQ(device({"restore", file, "--only", part}).status, kExitDone) << part;
    std::vector<ReceivedCommand> writes = device.platform.firmware().received();
    std::erase_if(writes,
                  [](const ReceivedCommand& c) { return c.command != command::kStoreByte; });
    ASSERT_EQ(writes.size(), expectedWrites.first) << part;
    EXPECT_EQ(writes.front().argument1, expectedWrites.second) << part;
  }
}

// Every real song, loaded, read back as a ring-tone text and loaded from that text, stores the
// same 100 bytes.
TEST(CliTune, EveryRealSongComesBackThroughItsRingToneText) {
  std::ifstream songs(VEXARO_DATA_DIR "/rtttl-songs.txt");
  int count = 0;
  std::map<std::string, std::string> byName;
  for (std::string song; std::getline(songs, song);) {
    if (song.empty()) continue;
    ++count;
    const std::string name = song.substr(0, song.find(':'));
    byName[name] = song;
    CliDevice device;
    ASSERT_EQ(device({"load", TestFile("song.txt", song)}).status, kExitDone) << name;
    const CliOutcome tune = device({"tune", "--rtttl"});
    ASSERT_EQ(tune.status, kExitDone) << name;
    EXPECT_EQ(tune.err, "") << name;
    CliDevice again;
    ASSERT_EQ(again({"load", TestFile("song-back.txt", tune.out)}).status, kExitDone) << name;
    EXPECT_EQ(again.melody(), device.melody()) << name << ": " << tune.out;
  }
  EXPECT_GT(count, 10);

  // What a person reads: the tempo, default length and octave, dots and octave digits that the
  // search prefers among the texts that store the same bytes.
  // clang-format off
  const std::pair<std::string, const char*> golden[] = {
      {"", "vexaro:d=8,o=7,b=301:d#.,d.,d#.,p.,2d.,4d.,4d.,4d.,4c.,2d.,2p.,d#.,d.,d#.,p.,2d.,4d.,4d.,4d.,4c.,2d.,2p.,d#.,d.,d#.,p.,2d#.,4d#.,4d#.,4d#.,4f.,2d#.,2p.,d#.,d.,d#.,p.,2d.,4d.,4d.,4d.,4c.,2d."},
      {byName["Zelda1"], "vexaro:d=8,o=6,b=250:2a#5,2f.5,4a#5,a#5,c,d,d#,1f,4p,4f,f.,f#,g#.,1a#.,a#.,g#,f#.,4g#.,f#.,1f,2f,4d#,d#,f,1f#,4f,4d#,4c#,c#,d#,1f,4d#,4c#,4c,c,d,1e,2g,4f,f5,f5,4f5,f5,f5,4f5,f5,f5,4f5,4f5,2a#5"},
      {byName["ZeldaOvrGB"], "vexaro:d=8,o=5,b=120:c.,16a4,2d4,c,16c,16d,16d#,16f,4g.,16a,16a#,a.,g.,f,g.,16c,1c6,p,g,d#6,d6,d#6,f6,g6,16c6,16g6,4c.7,g6,f6,d#6,f6,16a#,16f6,4a#.6,f6,d#6,d6,d#.6,16g,4g.,16g,16f,d#,f,1g"},
      {"top:d=4,o=6,b=120:c,d,e,c8,g", "vexaro:d=4,o=6,b=120:c,d,e,c8,g"},
  };
  // clang-format on
  for (const auto& [song, text] : golden) {
    CliDevice device;
    if (!song.empty()) {
      ASSERT_EQ(device({"load", TestFile("golden.txt", song)}).status, kExitDone);
    }
    EXPECT_EQ(device({"tune", "--rtttl"}).out, std::string(text) + "\n") << song;
  }

  CliDevice device;
  ASSERT_EQ(device({"load", VEXARO_DATA_DIR "/two-notes.txt"}).status, kExitDone);
  EXPECT_THAT(device({"tune"}).out,
              ::testing::StartsWith("1: 1050.42 Hz 0.3046 s tone C6 pitch 119 duration 20\n"
                                    "2: 1179.25 Hz 0.2985 s tone D6 pitch 106 duration 22\n"
                                    "28: 119 20 106 22 0 0 0 0 0 0\n"));
  device.store()[kMelodyAddress] = 118;  // no note has this period
  const CliOutcome nearest = device({"tune", "--rtttl"});
  EXPECT_EQ(nearest.status, kExitDone);
  EXPECT_THAT(nearest.err, HasSubstr("vexaro: note 1 (pitch code 118"));
}

// A file that cannot be restored whole is refused in one sentence before the first write.
TEST(CliRestore, BadFilesWriteNothing) {
  const std::string good = ReadTestFile(FactoryBackup());
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
  // clang-format off
  const Case cases[] = {
      {"not JSON", good.substr(0, 40), nullptr, "is not a JSON file."},
      {"what read --json wrote", "{\"version\": \"3.1\"}", nullptr, "is not a file that 'vexaro backup' wrote"},
      {"no melody", changed("\"melody\"", "\"tune\""), nullptr, "has no \"melody\""},
      {"a setting missing", changed("    \"beep-duration\": \"0.251\",\n", ""), nullptr, "have no \"beep-duration\"."},
      {"another range", changed("\"7V\"", "\"70V\""), nullptr, "these settings are for a 70V device; this one is 7V."},
      {"gated settings for older firmware", good, olderFirmware, "needs firmware 3.0 or later; this device has 2.9."},
      {"gated settings from older firmware", changed("\"3.1\"", "\"2.9\""), nullptr, "which firmware 2.9 does not have."},
      {"a value the window refuses", changed("\"2358\"", "\"6000\""), nullptr, "Frequency must be between 500 and 5000 Hz."},
      {"trim outside -7 to 7", changed("\"trim\": 0", "\"trim\": -8"), nullptr, "must be a whole number from -7 to 7, not -8."},
      {"trim beyond a signed number", changed("\"trim\": 0", "\"trim\": 18446744073709551615"), nullptr, "from -7 to 7, not 18446744073709551615."},
      {"melody not hex", changed("\"melody\": \"32", "\"melody\": \"3g"), nullptr, "must be 100 two-digit hexadecimal bytes; \"3g\" is not one."},
      {"99 melody bytes", changed("\"melody\": \"32 ", "\"melody\": \""), nullptr, "must be 100 two-digit hexadecimal bytes; it holds 99."},
  };
  // clang-format on
  for (const Case& c : cases) {
    CliDevice device(c.device);
    const DeviceStore before = device.store();
    const CliOutcome run = device({"--trace", "restore", TestFile("bad.json", c.contents)});
    EXPECT_EQ(run.status, kExitBadInput) << c.what;
    EXPECT_THAT(run.err, HasSubstr(c.error)) << c.what;
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("hid> 00 54"))) << c.what;
    EXPECT_EQ(run.err.find("vexaro: "), run.err.rfind("vexaro: ")) << c.what;  // one sentence
    EXPECT_EQ(device.store(), before) << c.what;
  }
  // A trim of 7 is one of the device's.
  CliDevice device;
  ASSERT_EQ(device({"restore", TestFile("seven.json", changed("\"trim\": 0", "\"trim\": 7")),
                    "--only", "trim"})
                .status,
            kExitDone);
  EXPECT_EQ(device.store()[kTrimAddress], 7);
}

TEST(CliRestore, DeviceLostPartWaySaysHowFar) {
  const std::string file = FactoryBackup();
  // The command, how many reports reach the device, the message.
  // clang-format off
  const std::tuple<std::vector<std::string>, std::size_t, const char*> cases[] = {
      {{"restore", file}, 29 + 23 + 5, "device lost after storing 28 of 124 bytes, part way through the melody; restore the file again."},
      {{"restore", file, "--only", "trim"}, 0, "device lost after storing 0 of 1 bytes, part way through the trim"},
      {{"backup", file + ".new"}, 29 + 10, "device lost while reading address 38."},
  };
  // clang-format on
  for (const auto& [args, reports, error] : cases) {
    CliDevice device([n = reports](SimulatedFirmware& f) { f.faults().unplugAfter = n; });
    const CliOutcome run = device(args);
    EXPECT_EQ(run.status, kExitDeviceLost) << error;
    EXPECT_THAT(run.err, HasSubstr(error));
  }
  EXPECT_FALSE(std::filesystem::exists(file + ".new"));
}

}  // namespace
}  // namespace vexaro
