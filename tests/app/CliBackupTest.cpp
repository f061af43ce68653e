// backup, restore and tune on the simulated device: round trips, bad files and lost devices.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

#include "common/QuotedText.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"

namespace vexaro {
namespace {

using ::testing::HasSubstr;

const auto kSeventyVolts = [](SimulatedFirmware& f) { f.store()[24] = 1; };
const auto kOlderFirmware = [](SimulatedFirmware& f) { f.store()[2] = 29; };

std::string FactoryBackup() {
  const std::string file = (TestFolder() / "factory.json").string();
  EXPECT_EQ(CliDevice()({"backup", file}).status, kExitDone);
  return file;
}

std::vector<std::uint8_t> Stored(CliDevice& device) {
  std::vector<std::uint8_t> addresses;
  for (const ReceivedCommand& c : device.platform.firmware().received()) {
    if (c.command == command::kStoreByte) addresses.push_back(c.argument1);
  }
  return addresses;
}

// Backs `memory` up and restores it onto a factory device: every written address as backed up,
// no other changed; `set --from` of the backup and of `read --json` then writes nothing. Returns
// whether `read` could show the memory.
bool RoundTrip(const DeviceStore& memory, const std::string& what) {
  SCOPED_TRACE(what);
  CliDevice source([&](SimulatedFirmware& f) { f.store() = memory; });
  const std::string file = (TestFolder() / "round-trip.json").string();
  const CliOutcome backup = source({"backup", file});
  EXPECT_EQ(backup.status, kExitDone) << backup.err;
  CliDevice target([&](SimulatedFirmware& f) { f.store()[24] = memory[24]; });
  DeviceStore expected = target.store();
  const CliOutcome restore = target({"restore", file});
  EXPECT_EQ(restore.status, kExitDone) << restore.err;
  // Never written: 0 and 1 (the device's own), the version and the range; the minimum-voltage
  // bytes only for firmware 3.0 or later.
  for (std::size_t a = 0; a < kStoreSize; ++a) {
    const bool version30 = memory[2] >= 30;
    if (a > 2 && a != 24 && (version30 || (a != 25 && a != 26))) expected[a] = memory[a];
  }
  EXPECT_EQ(target.store(), expected);

  const std::size_t before = Stored(source).size();
  EXPECT_EQ(source({"set", "--from", file}).status, kExitDone);
  const CliOutcome read = source({"read", "--json"});
  if (read.status == kExitDone) {
    // With the CR LF line ends of a Windows console redirected to a file.
    std::string crlf;
    for (const char c : read.out) crlf += c == '\n' ? "\r\n" : std::string(1, c);
    const CliOutcome set = source({"set", "--from", TestFile("read.json", crlf)});
    EXPECT_EQ(set.status, kExitDone) << set.err;
  }
  EXPECT_EQ(Stored(source).size(), before);
  EXPECT_EQ(source.store(), memory);
  return read.status == kExitDone;
}

// Every value of every byte from address 0 to 27, the others at factory values: one test an
// address, so that each stays short under the sanitizers.
class EveryValueAt : public ::testing::TestWithParam<std::size_t> {};

TEST_P(EveryValueAt, ComesBack) {
  int readable = 0;
  for (int value = 0; value <= 255; ++value) {
    DeviceStore memory = FactoryStore();
    memory[GetParam()] = static_cast<std::uint8_t>(value);
    readable += RoundTrip(memory, std::to_string(value) + " at " + std::to_string(GetParam()));
    if (::testing::Test::HasFailure()) return;
  }
  EXPECT_GT(readable, 0);
}

INSTANTIATE_TEST_SUITE_P(SettingsAddresses, EveryValueAt,
                         ::testing::Range<std::size_t>(0, kTrimAddress + 1));

// Whole memories of random bytes, and random ones that the window can show (the bytes of its
// pick-only lists among their items, no tone period of 0).
TEST(CliBackup, RandomMemoriesComeBack) {
  std::mt19937 random(21);
  std::uniform_int_distribution<int> byte(0, 255);
  const std::map<std::size_t, std::pair<int, int>> showable = {
      {3, {1, 255}}, {8, {1, 5}},  {10, {0, 1}},   {13, {2, 8}},   {14, {1, 5}},
      {15, {1, 5}},  {16, {0, 5}}, {18, {1, 255}}, {20, {1, 255}}, {25, {1, 5}}};
  int readable = 0;
  for (int i = 0; i < 400; ++i) {
    DeviceStore memory;
    for (std::uint8_t& b : memory) b = static_cast<std::uint8_t>(byte(random));
    if (i % 2 == 1) {
      for (const auto& [address, bounds] : showable) {
        memory[address] = static_cast<std::uint8_t>(
            std::uniform_int_distribution<int>(bounds.first, bounds.second)(random));
      }
    }
    readable += RoundTrip(memory, "memory " + std::to_string(i));
    if (::testing::Test::HasFailure()) return;
  }
  EXPECT_EQ(readable, 200);
}

TEST(CliBackup, RestoresInTheSendOrderThenTheMelodyThenTheTrim) {
  CliDevice source;
  ASSERT_EQ(source({"load", VEXARO_DATA_DIR "/two-notes.txt"}).status, kExitDone);
  ASSERT_EQ(source({"trim", "-3"}).status, kExitDone);
  const std::string file = (TestFolder() / "order.json").string();
  const CliOutcome backup = source({"backup", file});
  ASSERT_EQ(backup.status, kExitDone) << backup.err;
  EXPECT_THAT(ReadTestFile(file),
              HasSubstr("\"1: 1050.42 Hz 0.3046 s tone C6 pitch 119 duration 20\""));

  std::vector<std::uint8_t> order = {9,  10, 5,  6,  3,  4,  16, 8,  7,  12, 13, 14,
                                     15, 25, 26, 11, 17, 18, 19, 20, 21, 22, 23};
  for (std::uint8_t a = 28; a < 128; ++a) order.push_back(a);
  order.push_back(27);
  CliDevice target;
  ASSERT_EQ(target({"restore", file}).status, kExitDone);
  EXPECT_EQ(Stored(target), order);
  EXPECT_EQ(target.store(), source.store());

  // --only stores its part alone: so many writes, from this address on. The range and the
  // firmware concern the settings alone: a melody or a trim goes onto any device.
  // clang-format off
  const std::tuple<std::string, std::function<void(SimulatedFirmware&)>, std::size_t, std::uint8_t> parts[] = {
      {"settings", nullptr, 23, 9}, {"melody", kSeventyVolts, 100, 28}, {"melody", kOlderFirmware, 100, 28},
      {"trim", kSeventyVolts, 1, 27}, {"trim", kOlderFirmware, 1, 27}};
  // clang-format on
  for (const auto& [part, device, count, first] : parts) {
    CliDevice only(device);
    const CliOutcome run = only({"restore", file, "--only", part});
    ASSERT_EQ(run.status, kExitDone) << part << run.err;
    const std::vector<std::uint8_t> writes = Stored(only);
    ASSERT_EQ(writes.size(), count) << part;
    EXPECT_EQ(writes.front(), first) << part;
  }
}

// A file of the earlier format (texts and the melody, no memory bytes) restores from its texts.
TEST(CliBackup, EarlierFormatRestoresFromItsTexts) {
  CliDevice device;
  ASSERT_EQ(device({"set", "--defaults", "turn-on=20", "zero-output=10-beeps"}).status, kExitDone);
  ASSERT_EQ(device({"load", VEXARO_DATA_DIR "/two-notes.txt"}).status, kExitDone);
  ASSERT_EQ(device({"trim", "5"}).status, kExitDone);
  std::string earlier = ReadTestFile(VEXARO_DATA_DIR "/factory-backup-format1.json");
  const CliOutcome run = device({"restore", TestFile("earlier.json", earlier)});
  ASSERT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(device.store(), FactoryStore());
  // A trim of 7 is one of the device's.
  earlier.replace(earlier.find("\"trim\": 0"), 9, "\"trim\": 7");
  ASSERT_EQ(device({"restore", TestFile("seven.json", earlier), "--only", "trim"}).status,
            kExitDone);
  EXPECT_EQ(device.store()[kTrimAddress], 7);
}

// A song read back as a ring-tone text: the tempo, default length and octave, dots and octave
// digits that the search prefers among the texts that store the same bytes.
TEST(CliTune, SongsComeBackAsTheTextAPersonReads) {
  std::ifstream songs(VEXARO_DATA_DIR "/rtttl-songs.txt");
  std::map<std::string, std::string> byName;
  for (std::string song; std::getline(songs, song);) byName[song.substr(0, song.find(':'))] = song;
  // clang-format off
  const std::pair<std::string, const char*> golden[] = {
      {"", "vexaro:d=8,o=7,b=301:d#.,d.,d#.,p.,2d.,4d.,4d.,4d.,4c.,2d.,2p.,d#.,d.,d#.,p.,2d.,4d.,4d.,4d.,4c.,2d.,2p.,d#.,d.,d#.,p.,2d#.,4d#.,4d#.,4d#.,4f.,2d#.,2p.,d#.,d.,d#.,p.,2d.,4d.,4d.,4d.,4c.,2d."},
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
  const std::string earlier = ReadTestFile(VEXARO_DATA_DIR "/factory-backup-format1.json");
  const auto changed = [](const std::string& text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    return at == std::string::npos ? "(" + from + " not found)"
                                   : std::string(text).replace(at, from.size(), to);
  };
  const std::string longKey(512 * 1024, 'k');
  const auto nested = [](std::size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
  };
  std::string deepObjects;
  for (int i = 0; i < 50000; ++i) deepObjects += "{\"a\": 1, \"b\": ";
  deepObjects += "1" + std::string(50000, '}');
  std::string tenThousandNotes;
  for (int i = 0; i < 10000; ++i) tenThousandNotes += "\"\", ";
  struct Case {
    const char* what;
    std::string contents;
    std::function<void(SimulatedFirmware&)> device;
    std::string error;
  };
  // clang-format off
  const Case cases[] = {
      {"not JSON", good.substr(0, 40), nullptr, "is not a JSON file."},
      {"what read --json wrote", "{\"version\": \"3.1\"}", nullptr, "is not a file that 'vexaro backup' wrote"},
      {"a later format", changed(good, "\"vexaro-backup\": 2", "\"vexaro-backup\": 3"), nullptr, "is a backup of format 3, which this vexaro cannot read."},
      {"a key twice", changed(good, "\"trim\": 0,", "\"trim\": 0, \"trim\": 1,"), nullptr, "holds the key \"trim\" twice in one object, so it is not clear which one counts."},
      {"an unknown key", changed(good, "\"trim\"", "\"colour\": \"red\", \"trim\""), nullptr, "holds a key \"colour\" that a backup of format 2 does not have."},
      {"an unknown setting", changed(good, "\"reverse\"", "\"volume\": \"11\", \"reverse\""), nullptr, "holds a setting \"volume\" that no Vexaro has."},
      {"escapes in a key", changed(good, "\"reverse\"", "\"\\u001b[2J\\nx\": \"1\", \"reverse\""), nullptr, "holds a setting \"\\x1b[2J\\nx\" that no Vexaro has."},
      {"a key of half a megabyte", changed(good, "\"reverse\"", "\"" + longKey + "\": \"1\", \"reverse\""), nullptr, "holds a setting \"" + longKey.substr(0, 40) + "\"... that no Vexaro has."},
      {"a trim 16 deep, with the file's object", changed(good, "\"trim\": 0", "\"trim\": " + nested(15)), nullptr, "from -7 to 7, not a list."},
      {"a trim 17 deep", changed(good, "\"trim\": 0", "\"trim\": " + nested(16)), nullptr, "nests lists and objects more than 16 deep; a backup or a settings file nests 3 deep."},
      {"a format of lists 100,000 deep", changed(good, "2", nested(100000)), nullptr, "more than 16 deep"},
      {"two-key objects 50,000 deep", changed(good, "\"trim\": 0", "\"trim\": " + deepObjects), nullptr, "more than 16 deep"},
      {"10,000 notes", changed(good, "\"notes\": [", "\"notes\": [" + tenThousandNotes), nullptr, "holds more than 10000 values; a backup or a settings file holds some 100."},
      {"a setting missing", changed(good, "    \"beep-duration\": \"0.251\",\n", ""), nullptr, "have no \"beep-duration\"."},
      {"a setting edited", changed(good, "\"2404\"", "\"2400\""), nullptr, "the ze-frequency in BAD reads \"2400\", but its memory bytes show \"2404\"; a restore stores the bytes, so store an edited setting with 'vexaro set --from BAD'."},
      {"the version edited", changed(good, "\"3.1\"", "\"3.0\""), nullptr, "the version in BAD reads \"3.0\", but its memory bytes show \"3.1\"; the version and the range are the device's own and cannot be edited."},
      {"the trim edited", changed(good, "\"trim\": 0", "\"trim\": 3"), nullptr, "the trim in BAD reads 3, but its memory bytes show 0; a restore stores the bytes, so store an edited trim with 'vexaro trim'."},
      {"a version no device reports", changed(good, "\"3.1\"", "\"inf\""), nullptr, "the version in BAD must be a firmware version from 0.0 to 25.5 such as 3.1, not \"inf\"."},
      {"trim as a fraction", changed(good, "\"trim\": 0", "\"trim\": 0.5"), nullptr, "from -7 to 7, not 0.5."},
      {"seven memory lines", changed(good, "\"00 00 1f", "\"00 1f"), nullptr, "the memory in BAD must be 8 lines of 16 two-digit hexadecimal bytes (line 1); it holds 15."},
      {"notes not texts", changed(good, "\"notes\": [", "\"notes\": [1,"), nullptr, "the notes in BAD must be a list of texts."},
      {"gated settings for older firmware", good, kOlderFirmware, "min-voltage-cycles needs firmware 3.0 or later; this device has 2.9."},
      {"another range", good, kSeventyVolts, "these settings are for a 7V device; this one is 70V."},
      // The earlier format, restored from its texts.
      {"earlier: no melody", changed(earlier, "\"melody\"", "\"tune\""), nullptr, "holds a key \"tune\" that a backup of format 1 does not have."},
      {"earlier: another range", changed(earlier, "\"7V\"", "\"70V\""), nullptr, "these settings are for a 70V device; this one is 7V."},
      {"earlier: a value the box would cut to a tenth", changed(earlier, "\"2358\"", "\"12500\""), nullptr, "beep-frequency: Frequency must be between 500 and 5000 Hz."},
      {"earlier: trim outside -7 to 7", changed(earlier, "\"trim\": 0", "\"trim\": -8"), nullptr, "must be a whole number from -7 to 7, not -8."},
      {"earlier: melody not hex", changed(earlier, "\"melody\": \"32", "\"melody\": \"3g"), nullptr, "must be 100 two-digit hexadecimal bytes; \"3g\" is not one."},
  };
  // clang-format on
  for (const Case& c : cases) {
    CliDevice device(c.device);
    const DeviceStore before = device.store();
    const std::string file = TestFile("bad.json", c.contents);
    std::string error = c.error;
    for (auto at = error.find("BAD"); at != std::string::npos; at = error.find("BAD")) {
      error.replace(at, 3, QuotedText(file));
    }
    const CliOutcome run = device({"--trace", "restore", file});
    EXPECT_EQ(run.status, kExitBadInput) << c.what;
    // One sentence on one line, whatever the file holds.
    EXPECT_EQ(run.err.find("vexaro: "), run.err.rfind("vexaro: ")) << c.what;
    const std::string sentence = run.err.substr(run.err.find("vexaro: "));
    EXPECT_THAT(sentence.substr(0, sentence.find('\n')), HasSubstr(error)) << c.what;
    EXPECT_LT(sentence.size(), 400u) << c.what;
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("hid> 00 54"))) << c.what;
    EXPECT_EQ(device.store(), before) << c.what;
  }
  // The sentence for an edited setting points to set --from, which stores the edit.
  CliDevice editedDevice;
  const std::string editedFile = TestFile("edited.json", changed(good, "\"2404\"", "\"2500\""));
  ASSERT_EQ(editedDevice({"set", "--from", editedFile}).status, kExitDone);
  EXPECT_EQ(editedDevice.store()[18], 50);  // 2500 Hz: 125000 / 2500 ticks
}

TEST(CliRestore, DeviceLostPartWaySaysHowFar) {
  const std::string file = FactoryBackup();
  // The command, how many reports reach the device, the message.
  // clang-format off
  const std::tuple<std::vector<std::string>, std::size_t, const char*> cases[] = {
      {{"restore", file}, 29 + 23 + 5, "device lost after storing 28 or 29 of 124 bytes, part way through the melody; restore the file again."},
      {{"restore", file, "--only", "trim"}, 0, "device lost after storing 0 or 1 of 1 bytes, part way through the trim"},
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

  // The acknowledgement of the 29th byte is lost, after the device stored it.
  CliDevice device([](SimulatedFirmware& f) {
    f.faults().failingRead = 29 + 23 + 6;
    f.store()[kMelodyAddress + 5] = 0;
  });
  const CliOutcome run = device({"restore", file});
  EXPECT_THAT(run.err, HasSubstr("device lost after storing 28 or 29 of 124 bytes"));
  EXPECT_EQ(device.store()[kMelodyAddress + 5], FactoryStore()[kMelodyAddress + 5]);
}

}  // namespace
}  // namespace vexaro
