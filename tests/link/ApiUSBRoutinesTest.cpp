// The link: discovery, the plain transfer and the acknowledged exchange, through the simulated
// device; the report descriptor parser: report lengths, IDs, and descriptors it refuses.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <sstream>
#include <vector>

#include "link/ApiUSBRoutines.h"
#include "link/CommandExchange.h"
#include "link/DeviceContract.h"
#include "link/ReportDescriptor.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro {
namespace {

using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

// Descriptors of matching devices that cannot be used: 16-byte reports; two output reports;
// the input report under another ID than the output report.
const Bytes kLongReports = {0x75, 0x08, 0x95, 0x10, 0x81, 0x02, 0x91, 0x02};
const Bytes kTwoOutputReports = {0x75, 0x08, 0x95, 0x08, 0x85, 0x01, 0x81,
                                 0x02, 0x91, 0x02, 0x85, 0x02, 0x91, 0x02};
const Bytes kInputUnderAnotherId = {0x75, 0x08, 0x95, 0x08, 0x85, 0x02,
                                    0x81, 0x02, 0x85, 0x01, 0x91, 0x02};
// Numbered reports, but the output report comes before the first Report ID item.
const Bytes kOutputBeforeAnyId = {0x75, 0x08, 0x95, 0x08, 0x91, 0x02, 0x85, 0x01, 0x81, 0x02};

void Other(SimulatedPlatform& p, const char* path, std::uint16_t vendor = 0x046d,
           std::uint16_t product = 0xc52b) {
  p.addInterface({path, vendor, product}, false);
}
SimulatedPlatform::Interface& Match(SimulatedPlatform& p, const char* path) {
  return p.addInterface({path, kVexaroVendorId, kVexaroProductId}, true);
}

// A link whose every report and handle event goes to `text`.
struct TracedLink {
  explicit TracedLink(SimulatedPlatform& platform) : traced(MakeTracingPlatform(platform, trace)) {}
  std::ostringstream text;
  TrafficTrace trace{&text};
  std::unique_ptr<HidPlatform> traced;
  LinkState link;
  ApiUSBRoutines usb{*traced, link, trace};
};

struct DiscoveryCase {
  const char* name;
  std::function<void(SimulatedPlatform&)> setUp;
  const char* found;  // DevicePath after the search; "" when none was found
  std::map<std::string, int> opens;
  const char* noAccess = "";  // NoAccessPath: the first match this user may not open
  const char* passedBy = "";  // the first match passed by, and why: "path: reason"
  const char* onlyPath = "";  // the search is restricted to this path
};

class Discovery : public ::testing::TestWithParam<DiscoveryCase> {};

TEST_P(Discovery, FindsTheFirstUsableMatchAndLeavesNothingElseOpen) {
  const DiscoveryCase& c = GetParam();
  SimulatedPlatform platform{SimulatedPlatform::Empty{}};
  c.setUp(platform);
  TracedLink t(platform);
  if (*c.onlyPath) t.usb.restrictToPath(c.onlyPath);
  const bool found = *c.found != '\0';
  EXPECT_EQ(t.usb.FindDevice(), found);
  EXPECT_EQ(t.link.DeviceDetected, found);
  EXPECT_EQ(t.link.DevicePath, c.found);
  EXPECT_EQ(platform.opens(), c.opens);
  EXPECT_EQ(platform.openHandles(), found ? 2 : 0);  // the write handle and the read handle
  EXPECT_EQ(t.link.InputReportLength + t.link.OutputReportLength, found ? 18 : 0);
  EXPECT_EQ(t.link.NoAccessPath, c.noAccess);
  const std::string passedBy = t.link.UnusablePath + ": " + t.link.UnusableReason;
  EXPECT_EQ(t.link.UnusablePath.empty() ? "" : passedBy, c.passedBy);
  EXPECT_THAT(t.text.str(), HasSubstr(*c.passedBy ? "skipping " + passedBy : ""));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Interfaces, Discovery, ::testing::Values(
    DiscoveryCase{"NoInterfaceAtAll", [](SimulatedPlatform&) {}, "", {}},
    DiscoveryCase{"OnlyOtherDevices", [](SimulatedPlatform& p) { Other(p, "/dev/hidraw0"); Other(p, "/dev/hidraw1", kVexaroVendorId, 1); Other(p, "/dev/hidraw2", 1, kVexaroProductId); }, "", {}},
    DiscoveryCase{"MatchInTheMiddle", [](SimulatedPlatform& p) { Other(p, "/dev/hidraw0"); Other(p, "/dev/hidraw1"); Match(p, "/dev/hidraw2"); Other(p, "/dev/hidraw3"); }, "/dev/hidraw2", {{"/dev/hidraw2", 2}}},
    DiscoveryCase{"TwoMatchesTakesTheFirst", [](SimulatedPlatform& p) { Match(p, "/dev/hidraw4"); Match(p, "/dev/hidraw5"); }, "/dev/hidraw4", {{"/dev/hidraw4", 2}}},
    DiscoveryCase{"RestrictedToTheSecond", [](SimulatedPlatform& p) { Match(p, "/dev/hidraw4"); Match(p, "/dev/hidraw5"); }, "/dev/hidraw5", {{"/dev/hidraw5", 2}}, "", "", "/dev/hidraw5"},
    DiscoveryCase{"MatchWithoutPermissionIsRemembered", [](SimulatedPlatform& p) { Match(p, "/dev/hidraw1").openError = OpenError::NoPermission; }, "", {}, "/dev/hidraw1"},
    // The first match without permission and the first one passed by are the ones told about.
    DiscoveryCase{"UnusableMatchesArePassedForTheNext", [](SimulatedPlatform& p) {
      Match(p, "/dev/hidraw1").openError = OpenError::NoPermission;
      Match(p, "/dev/hidraw2").openError = OpenError::Failed;
      Match(p, "/dev/hidraw3").openError = OpenError::NoPermission;
      Match(p, "/dev/hidraw4").descriptor = kLongReports;
      Match(p, "/dev/hidraw5");
    }, "/dev/hidraw5", {{"/dev/hidraw4", 1}, {"/dev/hidraw5", 2}}, "/dev/hidraw1", "/dev/hidraw2: it cannot be opened"},
    DiscoveryCase{"ReportsLongerThanNineBytesAreSkipped", [](SimulatedPlatform& p) { Match(p, "/dev/hidraw1").descriptor = kLongReports; }, "", {{"/dev/hidraw1", 1}}, "", "/dev/hidraw1: reports longer than 9 bytes (input 17, output 17)"},
    DiscoveryCase{"ReportsTooShortForACommandAreSkipped", [](SimulatedPlatform& p) { Match(p, "/dev/hidraw1").descriptor = {0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x91, 0x02}; }, "", {{"/dev/hidraw1", 1}}, "", "/dev/hidraw1: reports too short for a command (input 9, output 2)"},
    DiscoveryCase{"UnreadableDescriptorIsSkipped", [](SimulatedPlatform& p) { Match(p, "/dev/hidraw1").descriptor.clear(); }, "", {{"/dev/hidraw1", 1}}, "", "/dev/hidraw1: its report descriptor cannot be read"},
    DiscoveryCase{"SeveralOutputReportsAreSkipped", [](SimulatedPlatform& p) { Match(p, "/dev/hidraw1").descriptor = kTwoOutputReports; }, "", {{"/dev/hidraw1", 1}}, "", "/dev/hidraw1: 2 output reports, where one is expected"},
    DiscoveryCase{"OutputWithoutAnIdAmongNumberedReportsIsSkipped", [](SimulatedPlatform& p) { Match(p, "/dev/hidraw1").descriptor = kOutputBeforeAnyId; }, "", {{"/dev/hidraw1", 1}}, "", "/dev/hidraw1: an output report without a report ID among numbered reports"},
    DiscoveryCase{"InputUnderAnotherReportIdIsSkipped", [](SimulatedPlatform& p) { Match(p, "/dev/hidraw1").descriptor = kInputUnderAnotherId; }, "", {{"/dev/hidraw1", 1}}, "", "/dev/hidraw1: input reports under another report ID than the output report (1)"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(PlainTransfer, OutputReportLayoutAndCarriedOverArguments) {
  SimulatedPlatform platform;
  TracedLink t(platform);
  ASSERT_TRUE(t.usb.FindDevice());
  t.link.OutputReport = {command::kStoreByte, 28, 119};
  t.usb.WriteOutputReport();
  t.usb.ReadInputReport();
  EXPECT_EQ(t.link.InputReport[0], kAcknowledge);
  // The status poll sets only its command byte: the arguments of the store come along.
  EXPECT_EQ(t.usb.plainTransfer({command::kStatusPoll}), kAcknowledge);
  EXPECT_EQ(t.usb.plainTransfer({command::kReadByte, 28}), 119);
  EXPECT_THAT(t.text.str(),
              HasSubstr("hid> 00 54 1c 77 00 00 00 00 00\nhid< 00 06 00 00 00 00 00 00 00\n"
                        "hid> 00 73 1c 77 00 00 00 00 00\nhid< 00 06 00 00 00 00 00 00 00\n"
                        "hid> 00 46 1c 77 00 00 00 00 00\nhid< 00 77 00 00 00 00 00 00 00\n"));
}

// A numbered device's reports carry its ID both ways, and it acts on no other; shorter reports (3
// data bytes) use the front of the buffers, and the rest of InputReport keeps its bytes.
TEST(PlainTransfer, NumberedAndShortReports) {
  Bytes numbered = VexaroReportDescriptor();
  numbered.insert(numbered.begin() + 7, {0x85, 0x05});  // Report ID 5, inside the collection
  // clang-format off
  const std::tuple<Bytes, std::array<std::uint8_t, 8>, const char*> cases[] = {
      {numbered, {31, 0, 0, 0, 0, 0, 0, 0}, "hid> 05 46 02 09 00 00 00 00 00\nhid< 05 1f 00 00 00 00 00 00 00\n"},
      {{0x75, 0x08, 0x95, 0x03, 0x81, 0x02, 0x91, 0x02}, {31, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, "hid> 00 46 02 09\nhid< 00 1f 00 00\n"},
  };
  // clang-format on
  for (const auto& [descriptor, input, trace] : cases) {
    SimulatedPlatform platform(SimulatedPlatform::Empty{});
    Match(platform, "/dev/hidraw1").descriptor = descriptor;
    TracedLink t(platform);
    ASSERT_TRUE(t.usb.FindDevice());
    t.link.InputReport.fill(0xEE);
    EXPECT_EQ(t.usb.plainTransfer({command::kReadByte, 2, 9}), 31);
    EXPECT_EQ(t.link.InputReport, input);
    EXPECT_THAT(t.text.str(), HasSubstr(trace));
  }
  SimulatedPlatform platform(SimulatedPlatform::Empty{});
  Match(platform, "/dev/hidraw1").descriptor = numbered;
  TracedLink t(platform);
  ASSERT_TRUE(t.usb.FindDevice());
  t.link.OutputReportId = 0;  // a report under another ID reaches the device, which drops it
  EXPECT_EQ(t.usb.plainTransfer({command::kReadByte, 2}), 0);
  EXPECT_FALSE(t.link.DeviceDetected);
}

// A timed-out read, or an incomplete write (no read follows), closes both handles; a failed read
// keeps them until the next search. The reply is zeros, the device lost, each handle closed once.
TEST(PlainTransfer, LostDeviceLeavesZerosAndClosesEachHandleOnce) {
  enum Fault { kTimeOut, kReadFails, kWriteFails };
  for (const Fault fault : {kTimeOut, kReadFails, kWriteFails}) {
    SCOPED_TRACE(fault);
    SimulatedPlatform platform;
    SimulatedFaults& faults = platform.firmware().faults();
    (fault == kTimeOut     ? faults.silentAtReport
     : fault == kReadFails ? faults.failingRead
                           : faults.unplugAfter) = fault == kWriteFails ? 1 : 2;
    TracedLink t(platform);
    ASSERT_TRUE(t.usb.FindDevice());
    EXPECT_EQ(t.usb.plainTransfer({command::kReadByte, 2}), 31);
    const std::size_t reads = platform.firmware().readsServed();
    t.link.InputReport.fill(0xEE);
    EXPECT_EQ(t.usb.plainTransfer({command::kReadByte, 2}), 0);
    EXPECT_EQ(t.link.InputReport, (std::array<std::uint8_t, 8>{}));
    EXPECT_FALSE(t.link.DeviceDetected);
    EXPECT_EQ(platform.openHandles(), fault == kReadFails ? 2 : 0);
    if (fault == kWriteFails) {
      EXPECT_EQ(platform.firmware().readsServed(), reads);
      EXPECT_THAT(t.text.str(), HasSubstr("write failed on sim:vexaro\nhid: read skipped: the "
                                          "write did not complete\n"));
    }
    if (fault != kReadFails) {
      // A transfer without handles ends as a time-out too, at once.
      t.link.InputReport.fill(0xEE);
      EXPECT_EQ(t.usb.plainTransfer({command::kStatusPoll}), 0);
      EXPECT_EQ(t.link.InputReport, (std::array<std::uint8_t, 8>{}));
    } else {
      ASSERT_TRUE(t.usb.FindDevice());  // replaces the stale handles
    }
    t.usb.CloseDeviceHandles();
    t.usb.CloseDeviceHandles();  // as the window's unload does again
    const int opens = platform.opens().at(SimulatedPlatform::kDefaultPath);
    EXPECT_EQ(opens, fault == kReadFails ? 4 : 2);
    EXPECT_EQ(platform.closes().at(SimulatedPlatform::kDefaultPath), opens);
  }
}

// Vendor page device: 8-byte input and 8-byte output report, no report IDs.
const Bytes kVendorDevice = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x01,
                             0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x08,
                             0x81, 0x02, 0x09, 0x02, 0x95, 0x08, 0x91, 0x02, 0xC0};

TEST(ReportDescriptor, ComputesReportLengths) {
  // The lengths: {input, output, numbered, output ID, output reports, input IDs differ}.
  struct Case {
    const char* name;
    Bytes descriptor;
    ReportLengths expected;
  };
  // clang-format off
  const Case cases[] = {
      {"vendor device", kVendorDevice, {9, 9, false, 0, 1, false}},
      // ID 1: 4 input + 4 output bytes, ID 2: 16 input bytes; IDs 1 and 2 must not be summed.
      {"numbered, largest wins", {0x85, 0x01, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0x91, 0x02, 0x85, 0x02, 0x95, 0x10, 0x81, 0x02}, {17, 5, true, 1, 1, true}},
      // 3 + 5 + 1 bits = 9 bits -> 2 bytes.
      {"bit-packed rounds up", {0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x75, 0x05, 0x95, 0x01, 0x81, 0x03, 0x75, 0x01, 0x81, 0x02}, {3, 0, false}},
      // Inside Push: 16 bits x 4; after Pop the 8 bits x 2 are back.
      {"pop restores size and count", {0x75, 0x08, 0x95, 0x02, 0xA4, 0x75, 0x10, 0x95, 0x04, 0x81, 0x02, 0xB4, 0x91, 0x02}, {9, 3, false, 0, 1, false}},
      // The long item's data looks like Input and Output items and must not count.
      {"long item skipped", {0x75, 0x08, 0x95, 0x02, 0xFE, 0x03, 0x10, 0x81, 0x02, 0x91, 0x81, 0x02}, {3, 0, false}},
      {"huge sizes saturate", {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02, 0x91, 0x02}, {65536, 65536, false, 0, 1, false}},
      {"numbered, one ID both ways", {0x85, 0x03, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0x91, 0x02}, {9, 9, true, 3, 1, false}},
      // Output reports 2 and 1: the lowest ID is named, the count tells there are two.
      {"two output reports", {0x75, 0x08, 0x95, 0x02, 0x85, 0x02, 0x81, 0x02, 0x91, 0x02, 0x85, 0x01, 0x91, 0x02}, {3, 3, true, 1, 2, true}},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(ParseReportDescriptor(c.descriptor), c.expected) << c.name;
  }
}

TEST(ReportDescriptor, RejectsUnusableDescriptors) {
  // clang-format off
  const std::pair<const char*, Bytes> cases[] = {
      {"pop without push", {0xB4}}, {"more pops than pushes", {0xA4, 0xB4, 0xB4}},
      {"push without bound", Bytes(1000, 0xA4)}, {"4-byte item cut off", {0x27, 0xFF, 0xFF}},
      {"long item data cut off", {0xFE, 0x05, 0x10, 0x01, 0x02}}, {"long item header cut off", {0xFE, 0x05}},
      {"report ID 0", {0x85, 0x00, 0x75, 0x08, 0x95, 0x01, 0x91, 0x02}},
      {"report ID above 255", {0x86, 0x00, 0x01, 0x75, 0x08, 0x95, 0x01, 0x91, 0x02}},
  };
  // clang-format on
  for (const auto& [name, descriptor] : cases) {
    EXPECT_FALSE(ParseReportDescriptor(descriptor).has_value()) << name;
  }
}

using ::testing::ElementsAre;
using Calls = std::vector<std::string>;

class RecordingHost final : public LinkHost {
 public:
  void setPollTimer(bool enabled) override { calls.push_back(enabled ? "timer on" : "timer off"); }
  void processEvents() override {
    calls.push_back("events");
    if (onEvents) std::exchange(onEvents, nullptr)();
  }
  void endProgram() override { calls.push_back("end"); }

  Calls calls;
  std::function<void()> onEvents;  // a handler the user starts while the exchange waits
};

struct ExchangeFixture {
  SimulatedPlatform platform;
  TrafficTrace trace;
  LinkState link;
  ApiUSBRoutines usb{platform, link, trace};
  RecordingHost host;
  CommandExchange exchange{usb, host};
  ExchangeFixture() { EXPECT_TRUE(usb.FindDevice()); }
};

// Three busy replies, then the acknowledgement: one write, four reads, the poll off meanwhile.
TEST(SendCommand, WritesOnceAndReadsUntilTheAcknowledgement) {
  ExchangeFixture f;
  f.platform.firmware().faults().busyBeforeAck = 3;
  ASSERT_TRUE(f.exchange.SendCommand(command::kStoreByte, 28, 119));
  EXPECT_THAT(f.platform.firmware().received(),
              ElementsAre(ReceivedCommand{command::kStoreByte, 28, 119}));
  EXPECT_EQ(f.platform.firmware().store()[28], 119);
  EXPECT_EQ(f.host.calls, (Calls{"timer off", "events", "events", "events", "events", "timer on"}));
  EXPECT_FALSE(f.exchange.busy());
}

TEST(SendCommand, LostDeviceEndsTheProgramAndLeavesThePollOff) {
  const Calls lost = {"timer off", "events", "end"};
  // clang-format off
  const std::tuple<const char*, std::function<void(SimulatedFaults&)>, std::uint8_t, Calls> cases[] = {
      {"the read times out", [](SimulatedFaults& f) { f.silentAtReport = 1; }, command::kBeep, lost},
      {"the read fails", [](SimulatedFaults& f) { f.failingRead = 1; }, command::kBeep, lost},
      {"unplugged before the write", [](SimulatedFaults& f) { f.unplugAfter = 0; }, command::kBeep, lost},
      // Only 6 acknowledges: a query's reply (170) is waited past, into a time-out.
      {"a reply other than 6", [](SimulatedFaults&) {}, command::kReadByte, {"timer off", "events", "events", "end"}},
  };
  // clang-format on
  for (const auto& [what, fault, command, calls] : cases) {
    ExchangeFixture f;
    fault(f.platform.firmware().faults());
    EXPECT_FALSE(f.exchange.SendCommand(command, 9, 37)) << what;
    EXPECT_EQ(f.host.calls, calls) << what;
    EXPECT_FALSE(f.link.DeviceDetected) << what;
  }
}

// A stop clicked while a play waits: the nested exchange runs whole, the outer one ends with the
// acknowledgement the nested one left, and the poll comes back only after both.
TEST(SendCommand, NestedExchangeEndsTheOuterOneAndThePollWaitsForIt) {
  ExchangeFixture f;
  f.host.onEvents = [&] {
    EXPECT_TRUE(f.exchange.busy());
    EXPECT_TRUE(f.exchange.SendCommand(command::kStop, 0, 0));
  };
  ASSERT_TRUE(f.exchange.SendCommand(command::kPlay, 0, 0));
  EXPECT_THAT(f.host.calls, ElementsAre("timer off", "events", "timer off", "events", "timer on"));
  EXPECT_THAT(f.platform.firmware().received(), ElementsAre(ReceivedCommand{command::kPlay, 0, 0},
                                                            ReceivedCommand{command::kStop, 0, 0}));
  EXPECT_FALSE(f.platform.firmware().playing());
}

}  // namespace
}  // namespace vexaro
