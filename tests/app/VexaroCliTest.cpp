// The command-line tool's commands, exit statuses and messages, run in-process.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "app/VexaroCli.h"
#include "link/DeviceContract.h"
#include "link/SimulatedDevice.h"

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

const char* const kFactoryJson = R"({
  "version": "3.1",
  "range": "7V",
  "turn-on": "70",
  "reverse": "0",
  "low-battery": "4.60",
  "beep-frequency": "2358",
  "beep-duration": "0.251",
  "power-up-beeps": "2",
  "alert-beeps": "3",
  "alert-delay": "2.0",
  "glitch-period": "30",
  "clear-glitch-count": "0",
  "clear-min-voltage": "0",
  "command-window": "2.5",
  "voltage-cycles": "2",
  "glitch-cycles": "3",
  "min-voltage-cycles": "4",
  "min-voltage-capture": "100",
  "zero-output": "two-tone",
  "ze-frequency": "2404",
  "ze-duration": "0.126",
  "ro-frequency": "1984",
  "ro-duration": "0.250",
  "inter-beep-pause": "0.496",
  "inter-digit-pause": "1.50"
}
)";

std::string OlderFirmwareRead() {
  std::string text = kFactoryRead;
  text.replace(text.find("3.1"), 3, "2.9");
  for (const char* line :
       {"clear-min-voltage: 0\n", "min-voltage-cycles: 4\n", "min-voltage-capture: 100\n"}) {
    text.erase(text.find(line), std::string(line).size());
  }
  return text;
}

struct CliCase {
  const char* name;
  std::vector<std::string> args;
  std::function<void(SimulatedPlatform&)> setUp;  // null: the tool picks its own platform
  int status;
  std::string out;  // the whole standard output
  std::string err;  // a part of standard error
};

void PrintTo(const CliCase& c, std::ostream* os) {
  *os << c.name;
}

class Cli : public ::testing::TestWithParam<CliCase> {};

TEST_P(Cli, ExitStatusAndOutput) {
  const CliCase& c = GetParam();
  SimulatedPlatform platform(SimulatedPlatform::Empty{});
  if (c.setUp) c.setUp(platform);
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunVexaroCli(c.args, out, err, c.setUp ? &platform : nullptr);
  EXPECT_EQ(status, c.status) << err.str();
  EXPECT_EQ(out.str(), c.out);
  EXPECT_THAT(err.str(), HasSubstr(c.err));
  if (status != kExitDone) {
    const std::string message = err.str();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);  // one sentence
  }
  EXPECT_EQ(platform.openHandles(), 0);
}

void Vexaro(SimulatedPlatform& p, const char* path, std::optional<OpenError> error = {}) {
  p.addInterface({path, kVexaroVendorId, kVexaroProductId}, true).openError = error;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Cli,
    ::testing::Values(
        CliCase{"PeekReadsTheSimulatedStore",
                {"--simulate", "peek", "0", "3"},
                nullptr,
                0,
                "0: 0\n1: 0\n2: 31\n",
                ""},
        CliCase{"PeekTakesHexadecimalAndOneByDefault",
                {"peek", "0x1c", "--simulate"},
                nullptr,
                0,
                "28: 50\n",
                ""},
        CliCase{"PeekBeyondTheStoreReadsZero",
                {"--simulate", "peek", "255"},
                nullptr,
                0,
                "255: 0\n",
                ""},
        CliCase{"ListShowsEachMatch",
                {"list"},
                [](SimulatedPlatform& p) {
                  p.addInterface({"/dev/hidraw0", 0x046d, 0xc52b}, false);
                  Vexaro(p, "/dev/hidraw1", OpenError::NoPermission);
                  Vexaro(p, "/dev/hidraw2");
                },
                0,
                "/dev/hidraw1: no permission to open (see vexaro --print-udev-rules)\n"
                "/dev/hidraw2: can be opened\n",
                ""},
        CliCase{"ListWithNoDevice", {"list"}, [](SimulatedPlatform&) {}, 1, "", "no Vexaro found"},
        CliCase{"ListWithOnlyAnUnopenableDevice",
                {"list"},
                [](SimulatedPlatform& p) { Vexaro(p, "/dev/hidraw1", OpenError::Failed); },
                1,
                "/dev/hidraw1: cannot be opened\n",
                "no Vexaro found can be used."},
        CliCase{
            "PeekWithNoDevice", {"peek", "0"}, [](SimulatedPlatform&) {}, 1, "", "no Vexaro found"},
        CliCase{"PeekWithoutPermissionNamesTheUdevRule",
                {"peek", "0"},
                [](SimulatedPlatform& p) { Vexaro(p, "/dev/hidraw1", OpenError::NoPermission); },
                1,
                "",
                "no permission to open /dev/hidraw1; install the udev rule"},
        CliCase{"DeviceLostPrintsNothing",
                {"peek", "0", "29"},
                [](SimulatedPlatform& p) {
                  Vexaro(p, "/dev/hidraw1");
                  p.firmware().faults().silentAtReport = 5;
                },
                3,
                "",
                "device lost while reading address 4."},
        CliCase{"DeviceOptionPicksThatDevice",
                {"--device", "/dev/hidraw2", "peek", "9"},
                [](SimulatedPlatform& p) {
                  p.addInterface({"/dev/hidraw1", kVexaroVendorId, kVexaroProductId}, false);
                  Vexaro(p, "/dev/hidraw2");
                },
                0,
                "9: 170\n",
                ""},
        CliCase{"DeviceOptionRefusesAPathNotEnumerated",
                {"--device", "/dev/null", "peek", "0"},
                [](SimulatedPlatform& p) { Vexaro(p, "/dev/hidraw1"); },
                1,
                "",
                "/dev/null is not a HID device on this machine."},
        CliCase{"DeviceOptionRefusesAnotherDevice",
                {"--device", "/dev/hidraw0", "peek", "0"},
                [](SimulatedPlatform& p) {
                  p.addInterface({"/dev/hidraw0", 0x046d, 0xc52b}, false);
                },
                1,
                "",
                "/dev/hidraw0 is not a Vexaro"},
        CliCase{"NoCommand", {"--simulate"}, nullptr, 2, "", "no command given"},
        CliCase{"UnknownCommand", {"poke", "1"}, nullptr, 2, "", "see 'vexaro --help'"},
        CliCase{"UnknownOption", {"--fast", "list"}, nullptr, 2, "", "--fast"},
        CliCase{"AddressNotANumber",
                {"--simulate", "peek", "x1"},
                nullptr,
                2,
                "",
                "ADDR must be a number from 0 to 255, not \"x1\"."},
        CliCase{"AddressTooLarge",
                {"--simulate", "peek", "256"},
                nullptr,
                2,
                "",
                "ADDR must be a number from 0 to 255"},
        CliCase{"CountRunsPastTheLastAddress",
                {"--simulate", "peek", "250", "7"},
                nullptr,
                2,
                "",
                "COUNT must be a number from 1 to 6, not \"7\"."},
        CliCase{"CountZero", {"--simulate", "peek", "0", "0"}, nullptr, 2, "", "COUNT must be"},
        CliCase{"EmptySimulateFile",
                {"--simulate=", "peek", "0"},
                nullptr,
                2,
                "",
                "--simulate= needs a file name"},
        CliCase{"MissingAddress", {"--simulate", "peek"}, nullptr, 2, "", "ADDR"},
        CliCase{"ReadPrintsWhatTheWindowShows", {"--simulate", "read"}, nullptr, 0,
                kFactoryRead, ""},
        CliCase{"ReadAsJson", {"read", "--json", "--simulate"}, nullptr, 0, kFactoryJson, ""},
        CliCase{"ReadLeavesOutWhatOlderFirmwareHides",
                {"read"},
                [](SimulatedPlatform& p) {
                  Vexaro(p, "/dev/hidraw1");
                  p.firmware().store()[2] = 29;
                },
                0, OlderFirmwareRead(), ""},
        CliCase{"ReadOfAByteThatCannotBeShown",
                {"read"},
                [](SimulatedPlatform& p) {
                  Vexaro(p, "/dev/hidraw1");
                  p.firmware().store()[3] = 0;
                },
                3, "", "the device holds 0 at address 3, which cannot be shown as beep-frequency."},
        CliCase{"ReadStopsAtTheFirstLostTransfer",
                {"read"},
                [](SimulatedPlatform& p) {
                  Vexaro(p, "/dev/hidraw1");
                  p.firmware().faults().failingRead = 12;
                },
                3, "", "device lost while reading address 11."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliInformation, HelpVersionAndUdevRules) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> fragments;
  };
  const Case cases[] = {
      {{"--help"}, {"list", "peek", "read", "--simulate", "--trace", "--device", "--print-udev-rules"}},
      {{"--version"}, {"vexaro 0."}},
      {{"--print-udev-rules"},
       {"SUBSYSTEM==\"hidraw\"", "ATTRS{idVendor}==\"04d8\"", "ATTRS{idProduct}==\"47a1\"",
        "TAG+=\"uaccess\""}},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunVexaroCli(c.args, out, err), kExitDone);
    for (const std::string& fragment : c.fragments) EXPECT_THAT(out.str(), HasSubstr(fragment));
    EXPECT_EQ(err.str(), "");
  }
  std::ostringstream out;
  std::ostringstream err;
  RunVexaroCli({"--print-udev-rules"}, out, err);
  EXPECT_THAT(out.str(), ::testing::Not(HasSubstr("MODE")));  // never world-writable
}

}  // namespace
}  // namespace vexaro
