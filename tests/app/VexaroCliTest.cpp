// The command-line tool's commands, exit statuses and messages, run in-process, also for hostile
// texts from outside and for standard output that cannot be written.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/CheckedOutput.h"
#include "app/PlatformChoice.h"
#include "common/QuotedText.h"
#include "simulator/SimulatedStoreFile.h"
#include "simulator/StandInNotices.h"
#include "support/CliRun.h"
#include "support/SharedDevice.h"
#include "support/TestFiles.h"

namespace vexaro {
namespace {

using ::testing::HasSubstr;

const char* const kFactoryRead =
    "version: 3.1\nrange: 7V\nturn-on: 70\nreverse: 0\nlow-battery: 4.60\n"
    "beep-frequency: 2358\nbeep-duration: 0.251\npower-up-beeps: 2\nalert-beeps: 3\n"
    "alert-delay: 2.0\nglitch-period: 30\nclear-glitch-count: 0\nclear-min-voltage: 0\n"
    "command-window: 2.5\nvoltage-cycles: 2\nglitch-cycles: 3\nmin-voltage-cycles: 4\n"
    "min-voltage-capture: 100\nzero-output: two-tone\nze-frequency: 2404\nze-duration: 0.126\n"
    "ro-frequency: 1984\nro-duration: 0.250\ninter-beep-pause: 0.496\n"
    "inter-digit-pause: 1.50\n";

// The same settings as `read --json` writes them: one object, keys in the same order.
std::string AsJson(const std::string& lines) {
  std::string json = "{";
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);) {
    const auto colon = line.find(": ");
    json += (json.size() > 1 ? ",\n  \"" : "\n  \"") + line.substr(0, colon) + "\": \"" +
            line.substr(colon + 2) + "\"";
  }
  return json + "\n}\n";
}

// Firmware 2.9: version 2.9, and the three minimum-voltage settings left out.
std::string OlderFirmwareRead() {
  std::string text = kFactoryRead;
  text.replace(text.find("3.1"), 3, "2.9");
  for (const std::string line :
       {"clear-min-voltage: 0\n", "min-voltage-cycles: 4\n", "min-voltage-capture: 100\n"}) {
    text.erase(text.find(line), line.size());
  }
  return text;
}

struct CliCase {
  const char* name;
  std::vector<std::string> args;
  std::function<void(SimulatedPlatform&)> setUp;  // null: one factory Vexaro, as --simulate has
  int status;
  std::string out;  // the whole standard output
  std::string err;  // a part of standard error; on success, nothing else but the trace
};

class Cli : public ::testing::TestWithParam<CliCase> {};

TEST_P(Cli, ExitStatusAndOutput) {
  const CliCase& c = GetParam();
  SimulatedPlatform platform(SimulatedPlatform::Empty{});
  c.setUp ? c.setUp(platform) : AddVexaro(platform, SimulatedPlatform::kDefaultPath);
  const CliOutcome run = RunCli(c.args, &platform);
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_EQ(run.out, c.out);
  EXPECT_THAT(run.err, HasSubstr(c.err));
  if (run.status != kExitDone) {
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);  // one sentence
  } else {
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.substr(0, 3), "hid") << line;
  }
  EXPECT_EQ(platform.openHandles(), 0);
}

std::function<void(SimulatedPlatform&)> OnDevice(
    std::function<void(SimulatedFirmware&)> change = nullptr) {
  return [change](SimulatedPlatform& p) {
    AddVexaro(p, "/dev/hidraw1");
    if (change) change(p.firmware());
  };
}
void Other(SimulatedPlatform& p, const char* path) {
  p.addInterface({path, 0x046d, 0xc52b}, false);
}

// Linux asks for the udev rule; Windows refuses what it keeps to itself; macOS refuses only a
// device another program holds.
#if defined(__linux__)
#define NO_PERMISSION_HINT "see vexaro --print-udev-rules"
#define NO_PERMISSION_ADVICE "install the udev rule"
#elif defined(_WIN32)
#define NO_PERMISSION_HINT "Windows keeps it or a policy forbids it"
#define NO_PERMISSION_ADVICE "Windows keeps this device to itself or a policy forbids opening it"
#else
#define NO_PERMISSION_HINT "another program holds it open"
#define NO_PERMISSION_ADVICE "another program holds it open; close that program"
#endif

// clang-format off
const CliCase kCliCases[] = {
    {"PeekReadsTheSimulatedStore", {"--simulate", "peek", "0", "3"}, nullptr, 0, "0: 0\n1: 0\n2: 31\n", ""},
    {"PeekTakesHexadecimalAndOneByDefault", {"peek", "0x1c", "--simulate"}, nullptr, 0, "28: 50\n", ""},
    {"PeekBeyondTheStoreReadsZero", {"--simulate", "peek", "255"}, nullptr, 0, "255: 0\n", ""},
    {"ListShowsEachMatch", {"list"}, [](SimulatedPlatform& p) { Other(p, "/dev/hidraw0"); AddVexaro(p, "/dev/hidraw1", OpenError::NoPermission); AddVexaro(p, "/dev/hidraw2"); }, 0, "/dev/hidraw1: no permission to open (" NO_PERMISSION_HINT ")\n/dev/hidraw2: can be opened\n", ""},
    {"ListWithNoDevice", {"list"}, [](SimulatedPlatform&) {}, 1, "", "no Vexaro found"},
    {"ListWithOnlyAnUnopenableDevice", {"list"}, [](SimulatedPlatform& p) { AddVexaro(p, "/dev/hidraw1", OpenError::Failed); }, 1, "/dev/hidraw1: cannot be opened\n", "vexaro: the Vexaro at /dev/hidraw1 cannot be used: it cannot be opened.\n"},
    {"ListWhenTheHidServiceDidNotStart", {"list"}, [](SimulatedPlatform& p) { p.failedService = "hid_init failed"; }, 1, "", "vexaro: the HID service could not be started (hid_init failed), so no device can be reached.\n"},
    {"PeekNamesTheDeviceItCannotUseAndWhy", {"peek", "0"}, [](SimulatedPlatform& p) { AddVexaro(p, "/dev/hidraw1"); p.interfaces().back().descriptor.clear(); }, 1, "", "vexaro: the Vexaro at /dev/hidraw1 cannot be used: its report descriptor cannot be read.\n"},
    {"PeekWithoutPermissionNamesTheUdevRule", {"peek", "0"}, [](SimulatedPlatform& p) { AddVexaro(p, "/dev/hidraw1", OpenError::NoPermission); }, 1, "", "no permission to open /dev/hidraw1; " NO_PERMISSION_ADVICE},
    {"HeldByAnotherProgram", {"list"}, [](SimulatedPlatform& p) { AddVexaro(p, "/dev/hidraw1", OpenError::InUse); }, 1, "/dev/hidraw1: no permission to open (another program holds it open)\n", "vexaro: no permission to open /dev/hidraw1; another program holds it open; close that program and try again.\n"},
    {"NoPermissionIsToldBeforeAnUnusableDevice", {"peek", "0"}, [](SimulatedPlatform& p) { AddVexaro(p, "/dev/hidraw1", OpenError::Failed); AddVexaro(p, "/dev/hidraw2", OpenError::NoPermission); }, 1, "", "no permission to open /dev/hidraw2; " NO_PERMISSION_ADVICE},
    {"DeviceLostPrintsNothing", {"peek", "0", "29"}, OnDevice([](SimulatedFirmware& f) { f.faults().silentAtReport = 5; }), 3, "", "device lost while reading address 4."},
    {"DeviceOptionPicksThatDevice", {"--device", "/dev/hidraw2", "peek", "9"}, [](SimulatedPlatform& p) { p.addInterface({"/dev/hidraw1", kVexaroVendorId, kVexaroProductId}, false); AddVexaro(p, "/dev/hidraw2"); }, 0, "9: 170\n", ""},
    {"DeviceOptionRefusesAPathNotEnumerated", {"--device", "/dev/null", "peek", "0"}, OnDevice(), 1, "", "\"/dev/null\" is not a HID device on this machine."},
    {"DeviceOptionWhenTheHidServiceDidNotStart", {"--device", "/dev/hidraw1", "peek", "0"}, [](SimulatedPlatform& p) { AddVexaro(p, "/dev/hidraw1"); p.failedService = "hid_init failed"; }, 1, "", "the HID service could not be started (hid_init failed)"},
    {"DeviceOptionRefusesAnotherDevice", {"--device", "/dev/hidraw0", "peek", "0"}, [](SimulatedPlatform& p) { Other(p, "/dev/hidraw0"); }, 1, "", "\"/dev/hidraw0\" is not a Vexaro"},
    {"NoCommand", {"--simulate"}, nullptr, 2, "", "no command given"},
    {"UnknownCommand", {"poke", "1"}, nullptr, 2, "", "see 'vexaro --help'"},
    {"AddressNotANumber", {"--simulate", "peek", "x1"}, nullptr, 2, "", "ADDR must be a number from 0 to 255, not \"x1\"."},
    {"CountRunsPastTheLastAddress", {"--simulate", "peek", "250", "7"}, nullptr, 2, "", "COUNT must be a number from 1 to 6, not \"7\"."},
    {"EmptySimulateFile", {"--simulate=", "peek", "0"}, nullptr, 2, "", "--simulate= needs a file name"},
    {"SimulateFileThatIsNoMemory", {"--simulate=" VEXARO_DATA_DIR "/two-notes.txt", "peek", "2"}, nullptr, 2, "", "is not a two-digit hexadecimal byte"},
    {"ReadPrintsWhatTheWindowShows", {"--simulate", "read"}, nullptr, 0, kFactoryRead, ""},
    {"ReadAsJson", {"read", "--json", "--simulate"}, nullptr, 0, AsJson(kFactoryRead), ""},
    {"ReadLeavesOutWhatOlderFirmwareHides", {"read"}, OnDevice([](SimulatedFirmware& f) { f.store()[2] = 29; }), 0, OlderFirmwareRead(), ""},
    {"ReadOfAByteThatCannotBeShown", {"read"}, OnDevice([](SimulatedFirmware& f) { f.store()[3] = 0; }), 3, "", "the device holds 0 at address 3, which cannot be shown as beep-frequency."},
    {"ReadStopsAtTheFirstLostTransfer", {"read"}, OnDevice([](SimulatedFirmware& f) { f.faults().failingRead = 12; }), 3, "", "device lost while reading address 11."},
    {"SetRefusedByTheEntryCheckWritesNothing", {"set", "beep-duration=0.5", "beep-frequency=6000"}, OnDevice(), 2, "", "beep-frequency: Frequency must be between 500 and 5000 Hz."},
    {"SetUnknownKey", {"--simulate", "set", "volume=11"}, nullptr, 2, "", "there is no setting \"volume\""},
    {"SetFromAFileThatIsNotJson", {"--simulate", "set", "--from", VEXARO_DATA_DIR "/two-notes.txt"}, nullptr, 2, "", "does not hold a JSON object such as 'vexaro read --json' prints."},
    {"SetWithoutEquals", {"--simulate", "set", "turn-on"}, nullptr, 2, "", "\"turn-on\" is not of the form key=value."},
    {"SetPickOnlyNotAnItem", {"--simulate", "set", "command-window=2.25"}, nullptr, 2, "", "command-window must be one of 1.0, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0"},
    {"SetGatedFieldOnOlderFirmware", {"set", "min-voltage-capture=200"}, OnDevice([](SimulatedFirmware& f) { f.store()[2] = 29; }), 2, "", "min-voltage-capture needs firmware 3.0 or later; this device has 2.9."},
    {"SetLostPartWay", {"set", "--defaults"}, OnDevice([](SimulatedFirmware& f) { f.faults().unplugAfter = 29 + 5; }), 3, "", "device lost after storing 5 or 6 of 23 settings bytes."},
    {"SetNormalisesAsTheBoxesDo", {"--simulate", "--trace", "set", "beep-frequency=1568 (G6)", "beep-duration=0,25"}, nullptr, 0, "", "hid> 00 54 03 50 00 00 00 00 00\nhid< 00 06 00 00 00 00 00 00 00\nhid> 00 54 04 18 00"},
    {"SetClampsTheTurnOnAsTheBoxDoes", {"--simulate", "--trace", "set", "turn-on=150"}, nullptr, 0, "", "hid> 00 54 09 c8 00"},
    {"SetRefusesANumberTheBoxWouldCut", {"set", "beep-frequency=12500"}, OnDevice(), 2, "", "beep-frequency: Frequency must be between 500 and 5000 Hz."},
    {"SetTakesTheDevicesOwnTextUnchecked", {"set", "beep-frequency=12500", "reverse=1"}, OnDevice([](SimulatedFirmware& f) { f.store()[3] = 10; }), 0, "", ""},
    {"SetKeyTwice", {"--simulate", "set", "turn-on=5", "turn-on=6"}, nullptr, 2, "", "turn-on is given twice, so it is not clear which value counts."},
    {"SetVersionNoDeviceReports", {"--simulate", "set", "version=inf"}, nullptr, 2, "", "version must be a firmware version from 0.0 to 25.5 such as 3.1, not \"inf\"."},
    {"SetQuotesARefusedTextSafely", {"--simulate", "set", "command-window=\x1b[2J\n"}, nullptr, 2, "", "not \"\\x1b[2J\\n\"."},
    {"SetMendsTheByteTheWindowCannotShow", {"--trace", "set", "power-up-beeps=2"}, OnDevice([](SimulatedFirmware& f) { f.store()[16] = 9; }), 0, "", "hid> 00 54 10 02 00"},
    {"SetOverUnshowableBytesPointsToDefaults", {"set", "turn-on=5"}, OnDevice([](SimulatedFirmware& f) { f.store()[16] = 9; }), 3, "", "'vexaro set --defaults' stores the factory settings."},
    {"PokeStoresOneByte", {"--simulate", "--trace", "poke", "0x1b", "3"}, nullptr, 0, "", "hid> 00 54 1b 03 00"},
    {"PokeOutOfRange", {"--simulate", "poke", "3", "256"}, nullptr, 2, "", "ADDR and VALUE must be numbers from 0 to 255"},
    {"ParseWaveIntoNoFolder", {"parse", VEXARO_DATA_DIR "/two-notes.txt", "--wav", "/no-such-folder/x.wav"}, nullptr, 2, "", "vexaro: cannot write \"/no-such-folder/x.wav\": its folder does not exist; nothing was written.\n"},
    {"LoadSaysNothingOffATerminal", {"--simulate", "load", VEXARO_DATA_DIR "/two-notes.txt"}, nullptr, 0, "", ""},
    {"ParseTwoNotes", {"parse", VEXARO_DATA_DIR "/two-notes.txt"}, nullptr, 0, "1: 1046.50 Hz 0.3000 s tone pitch 119 duration 20\n2: 1174.66 Hz 0.3000 s tone pitch 106 duration 22\n28: 119 20 106 22 0 0 0 0 0 0\n38: 0 0 0 0 0 0 0 0 0 0\n48: 0 0 0 0 0 0 0 0 0 0\n58: 0 0 0 0 0 0 0 0 0 0\n68: 0 0 0 0 0 0 0 0 0 0\n78: 0 0 0 0 0 0 0 0 0 0\n88: 0 0 0 0 0 0 0 0 0 0\n98: 0 0 0 0 0 0 0 0 0 0\n108: 0 0 0 0 0 0 0 0 0 0\n118: 0 0 0 0 0 0 0 0 0 0\n", ""},
    {"LoadOfABadFileTouchesNoDevice", {"load", "/no/such/tune.txt"}, OnDevice(), 2, "", "Nothing was sent."},
    {"LoadStoresTheMelody", {"--simulate", "--trace", "load", VEXARO_DATA_DIR "/two-notes.txt"}, nullptr, 0, "", "hid> 00 54 1f 16 00"},
    {"LoadDefault", {"--simulate", "--trace", "load", "default"}, nullptr, 0, "", "hid> 00 54 1c 32 00"},
    {"PlayAndWait", {"--simulate", "--trace", "play", "--wait"}, nullptr, 0, "", "hid> 00 53 00 00"},
    {"Stop", {"--simulate", "--trace", "stop"}, nullptr, 0, "", "hid> 00 53 00 00 00 00 00 00 00\nhid< 00 06"},
    {"LoadRaisedByAnOctave", {"--simulate", "--trace", "load", "--raise-octave", VEXARO_DATA_DIR "/two-notes.txt"}, nullptr, 0, "", "hid> 00 54 1c 3c 00"},
    {"BeepWithTheGivenValues", {"--simulate", "--trace", "beep", "1568 (G6)", "0.125"}, nullptr, 0, "", "hid> 00 42 50 0c 00"},
    {"BeepWithTheDevicesSettings", {"--simulate", "--trace", "beep"}, nullptr, 0, "", "hid> 00 42 35 25 00"},
    {"BeepRefusedLikeTheBox", {"--simulate", "beep", "6000"}, nullptr, 2, "", "Frequency must be between 500 and 5000 Hz."},
    {"AdcWithTheEstimates", {"--simulate", "--trace", "adc"}, nullptr, 0, "A/D value: 700\n+1: 703\n+2: 705\n+3: 708\n+4: 711\n+5: 714\n+6: 716\n+7: 719\n-1: 697\n-2: 695\n-3: 692\n-4: 689\n-5: 686\n-6: 684\n-7: 681\n", "hid> 00 48 00 00 00 00 00 00 00\nhid< 00 02 00 00 00 00 00 00 00\nhid> 00 4c 00 00 00 00 00 00 00\nhid< 00 bc"},
    {"TrimPrinted", {"trim"}, OnDevice([](SimulatedFirmware& f) { f.store()[27] = 135; }), 0, "-7\n", ""},
    {"TrimStored", {"--simulate", "--trace", "trim", "+3"}, nullptr, 0, "", "hid> 00 54 1b 03 00"},
    {"TrimStoredNegative", {"--simulate", "--trace", "trim", "-3"}, nullptr, 0, "", "hid> 00 54 1b 83 00"},
    {"TrimOutOfTheList", {"--simulate", "trim", "8"}, nullptr, 2, "", "the trim must be a whole number from -7 to 7, not \"8\"."},
    {"WaitEndsAtOnceOnAPluggedDevice", {"--simulate", "wait"}, nullptr, 0, std::string(SimulatedPlatform::kDefaultPath) + "\n", ""},
    {"WaitGoneOnTheSimulatedDeviceTimesOut", {"--simulate", "wait", "--gone", "--timeout", "0"}, nullptr, 1, "", "vexaro: a Vexaro was still plugged in after 0 s.\n"},
    {"WaitTimeoutNotANumber", {"--simulate", "wait", "--timeout", "1e"}, nullptr, 2, "", "--timeout must be a number of seconds, 0 or more, not \"1e\"."},
    {"TrimByteNoDeviceShouldHold", {"trim"}, OnDevice([](SimulatedFirmware& f) { f.store()[27] = 20; }), 3, "", "the device holds the trim byte 20, which is not a trim of -7 to 7"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Commands, Cli, ::testing::ValuesIn(kCliCases),
                         [](const auto& info) { return std::string(info.param.name); });

// `wait` on a platform whose enumerations find `scans` in turn (the last one from then on), with
// `notices` already sent: it enumerates at once and again on a notice that may concern a Vexaro
// (not on those of other devices, and it opens nothing), and gives up when the time runs out.
struct WaitCase {
  const char* name;
  std::vector<std::string> args;
  std::vector<std::vector<HidInterfaceInfo>> scans;
  std::vector<DeviceNotice> notices;
  int status;
  std::string out;
  std::string err;
  int enumerations;
  int waits;  // for notices: 1 when the first notice ended the wait, more when the poll did
};

class ScannedPlatform final : public HidPlatform {
 public:
  explicit ScannedPlatform(std::vector<std::vector<HidInterfaceInfo>> scans)
      : scans_(std::move(scans)) {}
  std::vector<HidInterfaceInfo> enumerate() override {
    return scans_[std::min<std::size_t>(enumerations++, scans_.size() - 1)];
  }
  OpenResult open(const std::string&) override {
    ++opens;
    return {};
  }
  int enumerations = 0;
  int opens = 0;

 private:
  std::vector<std::vector<HidInterfaceInfo>> scans_;
};

class CliWait : public ::testing::TestWithParam<WaitCase> {};

TEST_P(CliWait, EnumeratesOnlyForNoticesThatMayConcernIt) {
  const WaitCase& c = GetParam();
  ScannedPlatform platform(c.scans);
  StandInNotices notices;
  for (const DeviceNotice& notice : c.notices) notices.send(notice);
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(RunVexaroCli(c.args, out, err, &platform, kDeviceLockWait, &notices), c.status);
  EXPECT_EQ(out.str(), c.out);
  EXPECT_EQ(err.str(), c.err);
  EXPECT_EQ(platform.enumerations, c.enumerations);
  EXPECT_EQ(notices.waits(), c.waits);
  EXPECT_EQ(platform.opens, 0);
}

const HidInterfaceInfo kPlugged{"/dev/hidraw3", kVexaroVendorId, kVexaroProductId};
const HidInterfaceInfo kMouse{"/dev/hidraw0", 0x046d, 0xc52b};
const DeviceNotice kMouseArrived{true, 0x046d, 0xc52b};
// clang-format off
const WaitCase kWaitCases[] = {
    {"AlreadyPlugged", {"wait"}, {{kMouse, kPlugged}}, {}, 0, "/dev/hidraw3\n", "", 1, 0},
    {"ArrivalOfOurs", {"wait", "--timeout", "60"}, {{kMouse}, {kMouse, kPlugged}}, {kMouseArrived, {true, kVexaroVendorId, kVexaroProductId}}, 0, "/dev/hidraw3\n", "", 2, 1},
    {"LeavingOfUnknownIds", {"wait", "--gone", "--timeout", "60"}, {{kPlugged}, {}}, {{false, {}, {}}}, 0, "", "", 2, 1},
    {"StormOfOthersAndTimeout", {"wait", "--timeout", "0.2"}, {{kMouse}}, std::vector<DeviceNotice>(100, kMouseArrived), 1, "", "vexaro: no Vexaro was plugged in within 0.2 s.\n", 2, 2},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Notices, CliWait, ::testing::ValuesIn(kWaitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Only notes the device plays other than written are marked; the first is the example.
TEST(CliParse, MarksNotesTheDevicePlaysOtherThanWritten) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"Held:d=4,o=5,b=140:c6,8e,p,g6,16a#4,8p,32f7,2d5",
       "5: 466.16 Hz 0.1071 s tone pitch 255 duration 3  (played at 490.20 Hz for 0.0979 s, the device's lowest tone)\n"},
      {"t:d=32,o=14,b=2000:c,p,b=10,1c6,1c4",
       "1: 267904.58 Hz 0.0037 s tone pitch 0 duration 63  (too high for the device: silent for 1.0080 s)\n"
       "2: 1000.00 Hz 0.0037 s pause pitch 0 duration 1  (raised to 1 unit: 0.0160 s)\n"
       "3: 1046.50 Hz 24.0000 s tone pitch 119 duration 255  (cut to 255 units: 3.8842 s)\n"
       "4: 261.63 Hz 24.0000 s tone pitch 255 duration 255  (played at 490.20 Hz, the device's lowest tone; cut to 255 units: 8.3232 s)\n"},
  };
  // clang-format on
  for (const auto& [text, expected] : cases) {
    std::istringstream lines(RunCli({"parse", TestFile("marks.txt", text)}).out);
    std::string marked;
    for (std::string line; std::getline(lines, line);)
      marked += line.find("  (") != std::string::npos ? line + '\n' : "";
    EXPECT_EQ(marked, expected);
  }
}

// `parse --wav` and `tune --wav` of the same bytes write the same file. Two-notes raised: pitch
// 60 for 39 units and 53 for 44, 74752 ticks of 8 us, 26372.5 samples: 26373, 52746 bytes of data.
TEST(CliWave, ParseAndTuneWriteTheSameSound) {
  const std::string parsed = (TestFolder() / "parsed.wav").string();
  const std::string tuned = (TestFolder() / "tuned.wav").string();
  const std::string notes = VEXARO_DATA_DIR "/two-notes.txt";
  EXPECT_EQ(RunCli({"parse", notes, "--raise-octave", "--wav", parsed}), (CliOutcome{0, "", ""}));
  EXPECT_EQ(ReadTestFile(parsed).size(), 44u + 52746);
  CliDevice device;
  ASSERT_EQ(device({"load", "--raise-octave", notes}).status, kExitDone);
  EXPECT_EQ(device({"tune", "--wav", tuned}), (CliOutcome{0, "", ""}));
  EXPECT_EQ(ReadTestFile(tuned), ReadTestFile(parsed));
}

// On a terminal, restore and load count acknowledged bytes on one line; with --trace, nothing.
TEST(CliProgress, CountsAcknowledgedBytesOnATerminalOnly) {
  const std::string backup = (TestFolder() / "progress.json").string();
  ASSERT_EQ(CliDevice()({"backup", backup}).status, kExitDone);
  const std::string notes = VEXARO_DATA_DIR "/two-notes.txt";
  const struct {
    std::vector<std::string> args;
    std::optional<std::size_t> silentAt;  // the report that gets no reply
    std::optional<std::string> tail;      // standard error after the last carriage return
    long counts;
  } cases[] = {
      // clang-format off
      {{"restore", backup}, {}, "vexaro: stored 124 of 124 bytes\n", 125},
      {{"load", notes}, 4, "vexaro: stored 3 of 100 bytes\nvexaro: device lost during the "
       "upload; the melody in the device is incomplete.\n", 4},
      {{"--trace", "load", notes}, {}, {}, 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    CliDevice device([&c](SimulatedFirmware& f) { f.faults().silentAtReport = c.silentAt; });
    std::ostringstream out, err;
    EXPECT_EQ(RunVexaroCli(c.args, out, err, &device.platform, kDeviceLockWait, nullptr, true),
              c.silentAt ? kExitDeviceLost : kExitDone);
    const std::string said = err.str();
    if (c.tail) {
      EXPECT_EQ(said.substr(said.rfind('\r') + 1), *c.tail);  // all of it when there is none
    }
    EXPECT_EQ(std::count(said.begin(), said.end(), '\r'), c.counts) << said;
  }
}

// A turn-on byte outside 100 to 200 reads as the window's box shows it, and is stored back as
// the box's Send would store it when another setting changes.
TEST(CliSet, TurnOnOutsideTheSliderIsReadAndStoredAsTheBoxHoldsIt) {
  const std::tuple<int, const char*, int> cases[] = {
      {50, "turn-on: 0\n", 100}, {255, "turn-on: 100\n", 200}, {150, "turn-on: 50\n", 150}};
  for (const auto& [byte, shown, stored] : cases) {
    CliDevice device(
        [b = byte](SimulatedFirmware& f) { f.store()[9] = static_cast<std::uint8_t>(b); });
    EXPECT_THAT(device({"read"}).out, HasSubstr(shown)) << byte;
    ASSERT_EQ(device({"set", "reverse=1"}).status, kExitDone);
    EXPECT_EQ(device.store()[9], stored) << byte;
  }
}

// The simulated device's memory is written back to its file as the device is given back: a file
// that cannot be is found before anything is sent, and a write that fails is no success.
TEST(CliSimulateFile, MemoryThatCannotBeKeptIsNeverASilentSuccess) {
  namespace fs = std::filesystem;
  struct Case {
    const char* name;
    std::function<void(const fs::path& file)> before;  // run on the factory file before the run
    const char* removeFolderAt;  // the trace line at which the folder goes, if it does
    int status;
    std::string lastLine;  // of standard error; FILE stands for the file's path
  };
  // clang-format off
  const Case cases[] = {
      // Refused for root too, who could write it.
      {"read-only file", [](const fs::path& f) { fs::permissions(f, fs::perms::owner_read); }, nullptr, kExitBadInput, "vexaro: Cannot write the simulated device file FILE: it is read-only."},
      // Before the device is held: the memory cannot be read again, and nothing is sent.
      {"folder gone before the device is held", nullptr, "hid: open", kExitNoDevice, "vexaro: Cannot write the simulated device file FILE: its folder does not exist."},
      {"folder gone during the run", nullptr, "hid>", kExitDeviceLost, "vexaro: Cannot write the simulated device file FILE: its folder does not exist, so what the simulated device stored in this run is lost."},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = TestFolder() / c.name;
    fs::create_directories(dir);
    const fs::path file = dir / "device.txt";
    const std::string simulate = "--simulate=" + file.string();
    ASSERT_EQ(RunCli({simulate, "peek", "0"}).status, kExitDone);
    if (c.before) c.before(file);
    const std::string before = ReadTestFile(file.string());

    HookedErr errText(c.removeFolderAt != nullptr ? c.removeFolderAt : "", [&] {
      if (c.removeFolderAt != nullptr) fs::remove_all(dir);
    });
    std::ostream err(&errText);
    std::ostringstream out;
    EXPECT_EQ(RunVexaroCli({simulate, "--trace", "poke", "9", "200"}, out, err), c.status);
    std::string expected = c.lastLine;
    expected.replace(expected.find("FILE"), 4, QuotedText(file.string()));
    if (c.status == kExitBadInput) {
      EXPECT_EQ(errText.str(), expected + "\n");  // not one report on the trace
      EXPECT_EQ(ReadTestFile(file.string()), before);
    } else {
      EXPECT_THAT(errText.str(), ::testing::HasSubstr("\n" + expected + "\n"));
    }
  }
}

// A backup (or a tune's sound) onto the simulated device's own memory file would be replaced by
// the memory's save as the command ends: refused, however the file is named, and nothing is sent.
TEST(CliSimulateFile, ABackupOntoTheMemoryFileIsRefused) {
  namespace fs = std::filesystem;
  const fs::path dir = TestFolder() / "memory backed up";
  fs::create_directories(dir);
  const std::string file = (dir / "device.txt").string();
  const std::string simulate = "--simulate=" + file;
  ASSERT_EQ(RunCli({simulate, "poke", "9", "200"}).status, kExitDone);
  const std::string before = ReadTestFile(file);
  std::vector<std::string> names = {file, (dir / "." / "device.txt").string()};
#ifndef _WIN32
  fs::create_symlink("device.txt", dir / "link");
  names.push_back((dir / "link").string());
#endif
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const CliOutcome run = RunCli({simulate, "--trace", "backup", name});
    EXPECT_EQ(RunCli({simulate, "--trace", "tune", "--wav", name}), run);
    EXPECT_EQ(run.status, kExitBadInput);
    EXPECT_EQ(run.err, "vexaro: cannot write " + QuotedText(name) +
                           ": it is the simulated device's memory file, which is written when the "
                           "command ends; the file already there is unchanged.\n");
    EXPECT_EQ(ReadTestFile(file), before);
  }
}

// A device that another program holds: the tool says once that it waits, goes on when the device
// is given back, and gives up with exit status 1 when it is not, nothing stored.
TEST(CliSimulateFile, AHeldDeviceIsWaitedForThenGivenUp) {
  using namespace std::chrono_literals;
  const std::string file = (TestFolder() / "held.txt").string();
  const std::string simulate = "--simulate=" + file;
  ASSERT_EQ(RunCli({simulate, "peek", "9"}).status, kExitDone);
  const std::uint8_t changed = FactoryStore()[9] ^ 0x40;
  PlatformOptions options;
  options.simulate = true;
  options.simulateFile = file;
  std::ostringstream ignored;
  const auto other = PlatformChoice::make(options, ignored);
  ASSERT_TRUE(other.ok());
  for (const bool givenBack : {false, true}) {
    SCOPED_TRACE(givenBack ? "given back" : "kept");
    LockHeldElsewhere holder(
        [&] { return (*other)->platform().lockDevice(SimulatedPlatform::kDefaultPath); });
    ASSERT_TRUE(holder.taken());
    HookedErr errText("vexaro: another program is using", [&] {
      if (givenBack) holder.release();
    });
    std::ostream err(&errText);
    std::ostringstream out;
    const std::string waited = givenBack ? "10 s" : "30 ms";
    EXPECT_EQ(RunVexaroCli({simulate, "poke", "9", std::to_string(changed)}, out, err, nullptr,
                           givenBack ? kDeviceLockWait : 30ms),
              givenBack ? kExitDone : kExitNoDevice);
    const std::string waiting = "vexaro: another program is using " + QuotedText(file) +
                                "; waiting up to " + waited + " for it to finish.\n";
    EXPECT_EQ(errText.str(), givenBack ? waiting
                                       : waiting + "vexaro: another program is still using " +
                                             QuotedText(file) +
                                             " after 30 ms; try again when it has finished.\n");
    EXPECT_EQ((*LoadStoreFile(file))[9], givenBack ? changed : FactoryStore()[9]);
  }
}

// An exception that no command catches (here: standard output failing) is one sentence and exit
// status 4, not an abort.
TEST(CliInformation, AnUnexpectedErrorIsOneSentence) {
  struct Failing final : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
  } failing;
  std::ostream out(&failing);
  out.exceptions(std::ios::badbit);
  std::ostringstream err;
  EXPECT_EQ(RunVexaroCli({"--simulate", "peek", "0"}, out, err), kExitInternalError);
  const std::string said = err.str();
  EXPECT_THAT(said, ::testing::StartsWith("vexaro: the command stopped on an error this program "
                                          "did not expect ("));
  EXPECT_THAT(said, ::testing::EndsWith("); please report it.\n"));
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
}

// Quotes escaped, controls and bytes of no UTF-8 character as \x, printable characters kept; cut
// after 40 characters, not bytes, an escape counting as one.
TEST(QuotedText, EscapesAndCutsByCharacters) {
  const std::string a39(39, 'a'), euro = "\xe2\x82\xac";
  const struct {
    std::string text;
    std::string quoted;
  } cases[] = {
      // clang-format off
      {"a\"b\\c", "\"a\\\"b\\\\c\""}, {"\n\x1b[2J\x7f", "\"\\n\\x1b[2J\\x7f\""},
      {"\xc2\x9b" "1m", "\"\\xc2\\x9b1m\""}, {"\xc3\xa9" + euro, "\"\xc3\xa9" + euro + "\""},
      {"\xed\xa0\x80", "\"\\xed\\xa0\\x80\""}, {a39 + "a", "\"" + a39 + "a\""},
      {a39 + euro + euro, "\"" + a39 + euro + "\"..."}, {a39 + "\x1b\x1b", "\"" + a39 + "\\x1b\"..."},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(QuotedText(c.text), c.quoted) << c.quoted;
}

// Every place where the tool quotes a text from outside, with each kind of hostile text: standard
// error stays one short line with no control character.
TEST(CliQuoting, HostileTextsReachNoTerminal) {
  std::string long5k;
  while (long5k.size() < 5000) long5k += "\x1b[31mred";
  const std::vector<std::string> hostile = {"\x1b[2J", "\x1b]0;title\x07", "\x07", long5k,
                                            "\xff\xfe\xc0\x80"};
  const std::string folder = (TestFolder() / "quoting").string();
  std::filesystem::create_directories(folder);
  // Each row: the arguments, H standing for the hostile text and F for a file in `folder`, named
  // H, or when `contents` are given, a plain name holding them with H (J: H in JSON escapes).
  const struct {
    std::vector<std::string> args;
    std::string contents;
  } places[] = {
      // clang-format off
      {{"peek", "H"}, ""}, {{"peek", "0", "H"}, ""}, {{"poke", "H", "1"}, ""}, {{"poke", "1", "H"}, ""},
      {{"trim", "H"}, ""}, {{"set", "H"}, ""}, {{"set", "H=1"}, ""}, {{"set", "version=H"}, ""},
      {{"set", "reverse=H"}, ""}, {{"set", "beep-frequency=H"}, ""}, {{"set", "zero-output=H"}, ""},
      {{"set", "--from", "F"}, ""}, {{"set", "--from", "F"}, "{\"version\": \"3.1\", \"J\": \"1\"}"},
      {{"set", "--from", "F"}, "{\"version\": \"J\"}"}, {{"restore", "F"}, ""},
      {{"restore", "F"}, "{\"vexaro-backup\": \"J\"}"}, {{"restore", "F", "--only", "H"}, ""},
      {{"restore", "F", "--only=H"}, ""}, {{"backup", "F/x"}, ""}, {{"parse", "F"}, ""},
      {{"parse", "F"}, "t:d=H,o=5,b=100:c"}, {{"load", "F"}, ""}, {{"load", "F"}, "t:d=4,o=5,b=H:c"},
      {{"--simulate=F", "peek", "0"}, "00 H"}, {{"--simulate=F/x", "peek", "0"}, ""},
      {{"--device", "H", "peek", "0"}, ""}, {{"read", "H"}, ""}, {{"H"}, ""}, {{"--H"}, ""},
      // clang-format on
  };
  const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
    return text;
  };
  for (const auto& place : places) {
    for (std::size_t k = 0; k < hostile.size(); ++k) {
      const std::string& h = hostile[k];
      std::string json;
      for (const char c : h) {
        json +=
            std::string("\\u00") + "0123456789abcdef"[(c >> 4) & 15] + "0123456789abcdef"[c & 15];
      }
      const std::string file = folder + "/" + (place.contents.empty() ? h : std::to_string(k));
      if (!place.contents.empty()) {
        TestFile("quoting/" + std::to_string(k),
                 replaced(replaced(place.contents, "J", json), "H", h));
      }
      std::vector<std::string> args;
      for (const std::string& arg : place.args) {
        args.push_back(replaced(replaced(arg, "H", h), "F", file));
      }
      CliDevice device;
      const CliOutcome run = device(args);
      const std::string where = place.args[0] + " " + std::to_string(k);
      EXPECT_NE(run.status, kExitDone) << where;
      ASSERT_FALSE(run.err.empty()) << where;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << where << ": " << run.err;
      EXPECT_EQ(run.err.back(), '\n') << where;
      // No C0 or C1 control, DEL, or byte that no UTF-8 character holds (a text in a JSON file
      // may name any character; a printable one may be shown).
      for (std::size_t i = 0; i + 1 < run.err.size(); ++i) {
        const auto u = static_cast<unsigned char>(run.err[i]);
        const auto next = static_cast<unsigned char>(run.err[i + 1]);
        EXPECT_FALSE(u < 0x20 || u == 0x7f || u == 0xc0 || u == 0xc1 || u >= 0xf5 ||
                     (u == 0xc2 && next < 0xa0))
            << where << ": " << run.err;
      }
      EXPECT_LT(run.err.size(), 400u) << where << ": " << run.err;
    }
  }
}

#ifndef _WIN32
// Output to a full disk is no success: one sentence, status 5, for every command that prints. (A
// closed pipe, and the tool's own standard output, are in acceptance.sh.)
TEST(CliOutput, OutputThatCannotBeWrittenIsTold) {
  const std::string tune = TestFile("tune.txt", "t:d=4,o=5,b=100:c,d");
  const std::vector<std::vector<std::string>> commands = {
      {"list"},      {"peek", "0", "3"}, {"read"}, {"read", "--json"},  {"parse", tune},
      {"adc"},       {"trim"},           {"tune"}, {"tune", "--rtttl"}, {"--help"},
      {"--version"},
  };
  std::FILE* const full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  for (const std::vector<std::string>& args : commands) {
    CheckedOutput buffer(full);
    std::ostream out(&buffer);
    std::ostringstream err;
    CliDevice device;
    EXPECT_EQ(RunVexaroCli(args, out, err, &device.platform), kExitOutputLost) << args[0];
    EXPECT_EQ(err.str(), "vexaro: the output could not be written: the disk is full.\n") << args[0];
    std::clearerr(full);
  }
  std::fclose(full);
  // Without a CheckedOutput the cause is not known; a command that failed keeps its own sentence.
  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  std::ostringstream err;
  EXPECT_EQ(RunVexaroCli({"--version"}, bad, err), kExitOutputLost);
  EXPECT_EQ(RunVexaroCli({"peek", "300"}, bad, err), kExitBadInput);
  EXPECT_EQ(err.str(),
            "vexaro: the output could not be written.\n"
            "vexaro: ADDR must be a number from 0 to 255, not \"300\".\n");
}
#endif

}  // namespace
}  // namespace vexaro
