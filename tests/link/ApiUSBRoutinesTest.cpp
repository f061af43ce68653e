// Discovery and the plain transfer, through the simulated device.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "link/ApiUSBRoutines.h"
#include "link/DeviceContract.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro {
namespace {

using ::testing::HasSubstr;

HidInterfaceInfo Other(const std::string& path) {
  return {path, 0x046d, 0xc52b};
}
HidInterfaceInfo Match(const std::string& path) {
  return {path, kVexaroVendorId, kVexaroProductId};
}

// A descriptor with 16-byte input and output reports.
const std::vector<std::uint8_t> kLongReports = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75,
                                                0x08, 0x95, 0x10, 0x81, 0x02, 0x91, 0x02, 0xC0};
// 8-byte reports: input and output report 1, and another output report 2.
const std::vector<std::uint8_t> kTwoOutputReports = {0x75, 0x08, 0x95, 0x08, 0x85, 0x01, 0x81,
                                                     0x02, 0x91, 0x02, 0x85, 0x02, 0x91, 0x02};
// 8-byte reports: input report 2, output report 1.
const std::vector<std::uint8_t> kInputUnderAnotherId = {0x75, 0x08, 0x95, 0x08, 0x85, 0x02,
                                                        0x81, 0x02, 0x85, 0x01, 0x91, 0x02};

struct LinkFixture {
  SimulatedPlatform platform{SimulatedPlatform::Empty{}};
  std::ostringstream traceText;
  TrafficTrace trace{&traceText};
  LinkState link;
  ApiUSBRoutines usb{platform, link, trace};
};

struct DiscoveryCase {
  const char* name;
  std::function<void(SimulatedPlatform&)> setUp;
  bool found;
  std::string path;          // DevicePath after a successful search
  std::string noAccessPath;  // NoAccessPath after the search
  std::map<std::string, int> opens;
  std::string passedBy = "";  // the first matching device passed by and why: "path: reason"
};

void PrintTo(const DiscoveryCase& c, std::ostream* os) {
  *os << c.name;
}

class Discovery : public ::testing::TestWithParam<DiscoveryCase> {};

TEST_P(Discovery, FindsTheFirstUsableMatchAndLeavesNothingElseOpen) {
  const DiscoveryCase& c = GetParam();
  LinkFixture f;
  c.setUp(f.platform);

  EXPECT_EQ(f.usb.FindDevice(), c.found);
  EXPECT_EQ(f.link.DeviceDetected, c.found);
  EXPECT_EQ(f.platform.opens(), c.opens);
  EXPECT_EQ(f.link.NoAccessPath, c.noAccessPath);
  EXPECT_EQ(f.link.UnusablePath.empty() ? "" : f.link.UnusablePath + ": " + f.link.UnusableReason,
            c.passedBy);
  EXPECT_THAT(f.traceText.str(), HasSubstr(c.passedBy.empty() ? "" : "skipping " + c.passedBy));
  if (c.found) {
    EXPECT_EQ(f.link.DevicePath, c.path);
    EXPECT_EQ(f.platform.openHandles(), 2);  // the write handle and the read handle
    EXPECT_EQ(f.link.InputReportLength, 9);
    EXPECT_EQ(f.link.OutputReportLength, 9);
  } else {
    EXPECT_EQ(f.platform.openHandles(), 0);
    EXPECT_EQ(f.link.WriteHandle, nullptr);
    EXPECT_EQ(f.link.ReadHandle, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Interfaces, Discovery,
    ::testing::Values(
        DiscoveryCase{"NoInterfaceAtAll", [](SimulatedPlatform&) {}, false, "", "", {}},
        DiscoveryCase{"OnlyOtherDevices",
                      [](SimulatedPlatform& p) {
                        p.addInterface(Other("/dev/hidraw0"), false);
                        p.addInterface({"/dev/hidraw1", kVexaroVendorId, 0x0001}, false);
                        p.addInterface({"/dev/hidraw2", 0x0001, kVexaroProductId}, false);
                      },
                      false,
                      "",
                      "",
                      {}},
        DiscoveryCase{"MatchInTheMiddle",
                      [](SimulatedPlatform& p) {
                        p.addInterface(Other("/dev/hidraw0"), false);
                        p.addInterface(Other("/dev/hidraw1"), false);
                        p.addInterface(Match("/dev/hidraw2"), true);
                        p.addInterface(Other("/dev/hidraw3"), false);
                      },
                      true,
                      "/dev/hidraw2",
                      "",
                      {{"/dev/hidraw2", 2}}},
        DiscoveryCase{"TwoMatchesTakesTheFirst",
                      [](SimulatedPlatform& p) {
                        p.addInterface(Match("/dev/hidraw4"), true);
                        p.addInterface(Match("/dev/hidraw5"), true);
                      },
                      true,
                      "/dev/hidraw4",
                      "",
                      {{"/dev/hidraw4", 2}}},
        DiscoveryCase{"MatchWithoutPermissionIsRemembered",
                      [](SimulatedPlatform& p) {
                        p.addInterface(Match("/dev/hidraw1"), true).openError =
                            OpenError::NoPermission;
                      },
                      false,
                      "",
                      "/dev/hidraw1",
                      {}},
        DiscoveryCase{"UnopenableMatchIsPassedForTheNext",
                      [](SimulatedPlatform& p) {
                        p.addInterface(Match("/dev/hidraw1"), true).openError =
                            OpenError::NoPermission;
                        p.addInterface(Match("/dev/hidraw2"), true).openError = OpenError::Failed;
                        p.addInterface(Match("/dev/hidraw3"), true);
                      },
                      true,
                      "/dev/hidraw3",
                      "/dev/hidraw1",
                      {{"/dev/hidraw3", 2}},
                      "/dev/hidraw2: it cannot be opened"},
        DiscoveryCase{"ReportsLongerThanNineBytesAreSkipped",
                      [](SimulatedPlatform& p) {
                        p.addInterface(Match("/dev/hidraw1"), true).descriptor = kLongReports;
                      },
                      false,
                      "",
                      "",
                      {{"/dev/hidraw1", 1}},
                      "/dev/hidraw1: reports longer than 9 bytes (input 17, output 17)"},
        DiscoveryCase{"UnreadableDescriptorIsSkipped",
                      [](SimulatedPlatform& p) {
                        p.addInterface(Match("/dev/hidraw1"), true).descriptor.clear();
                        p.addInterface(Match("/dev/hidraw2"), true);
                      },
                      true,
                      "/dev/hidraw2",
                      "",
                      {{"/dev/hidraw1", 1}, {"/dev/hidraw2", 2}},
                      "/dev/hidraw1: its report descriptor cannot be read"},
        DiscoveryCase{"SeveralOutputReportsAreSkipped",
                      [](SimulatedPlatform& p) {
                        p.addInterface(Match("/dev/hidraw1"), true).descriptor = kTwoOutputReports;
                      },
                      false,
                      "",
                      "",
                      {{"/dev/hidraw1", 1}},
                      "/dev/hidraw1: 2 output reports, where one is expected"},
        DiscoveryCase{
            "InputUnderAnotherReportIdIsSkipped",
            [](SimulatedPlatform& p) {
              p.addInterface(Match("/dev/hidraw1"), true).descriptor = kInputUnderAnotherId;
            },
            false,
            "",
            "",
            {{"/dev/hidraw1", 1}},
            "/dev/hidraw1: input reports under another report ID than the output report (1)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DiscoveryRestricted, OpensOnlyTheNamedPath) {
  LinkFixture f;
  f.platform.addInterface(Match("/dev/hidraw1"), true);
  f.platform.addInterface(Match("/dev/hidraw2"), true);
  f.usb.RestrictToPath("/dev/hidraw2");
  ASSERT_TRUE(f.usb.FindDevice());
  EXPECT_EQ(f.link.DevicePath, "/dev/hidraw2");
  EXPECT_EQ(f.platform.opens().count("/dev/hidraw1"), 0u);
}

// Every report on the wire, one trace line each.
std::vector<std::string> WrittenReports(const std::string& trace) {
  std::vector<std::string> lines;
  std::istringstream in(trace);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("hid> ", 0) == 0) lines.push_back(line.substr(5));
  }
  return lines;
}

TEST(PlainTransfer, OutputReportLayoutAndCarriedOverArguments) {
  SimulatedPlatform platform;
  std::ostringstream traceText;
  TrafficTrace trace(&traceText);
  const auto traced = MakeTracingPlatform(platform, trace);
  LinkState link;
  ApiUSBRoutines usb(*traced, link, trace);
  ASSERT_TRUE(usb.FindDevice());

  link.OutputReport[0] = command::kStoreByte;
  link.OutputReport[1] = 28;
  link.OutputReport[2] = 119;
  usb.WriteOutputReport();
  usb.ReadInputReport();
  EXPECT_EQ(link.InputReport[0], kAcknowledge);
  // The status poll sets only its command byte: the arguments of the store come along.
  EXPECT_EQ(usb.PlainTransfer({command::kStatusPoll}), kAcknowledge);
  EXPECT_EQ(usb.PlainTransfer({command::kReadByte, 28}), 119);

  EXPECT_THAT(WrittenReports(traceText.str()),
              ::testing::ElementsAre("00 54 1c 77 00 00 00 00 00", "00 73 1c 77 00 00 00 00 00",
                                     "00 46 1c 77 00 00 00 00 00"));
}

// A device of our own making, to see exactly which bytes the link takes from a report.
class ScriptedDevice final : public HidDevice {
 public:
  ScriptedDevice(ReportLengths lengths, std::vector<std::uint8_t> reply,
                 std::vector<std::vector<std::uint8_t>>& written)
      : lengths_(lengths), reply_(std::move(reply)), written_(written) {}
  std::optional<ReportLengths> reportLengths() override { return lengths_; }
  bool write(std::span<const std::uint8_t> report) override {
    written_.emplace_back(report.begin(), report.end());
    return true;
  }
  ReadOutcome read(std::span<std::uint8_t> report, std::chrono::milliseconds) override {
    std::copy_n(reply_.begin(), std::min(reply_.size(), report.size()), report.begin());
    return ReadOutcome::Completed;
  }
  void cancel() override {}

 private:
  ReportLengths lengths_;
  std::vector<std::uint8_t> reply_;
  std::vector<std::vector<std::uint8_t>>& written_;
};

class ScriptedPlatform final : public HidPlatform {
 public:
  ScriptedPlatform(ReportLengths lengths, std::vector<std::uint8_t> reply)
      : lengths_(lengths), reply_(std::move(reply)) {}
  std::vector<HidInterfaceInfo> enumerate() override { return {Match("scripted")}; }
  OpenResult open(const std::string&) override {
    return {std::make_unique<ScriptedDevice>(lengths_, reply_, written), OpenError::Failed};
  }
  std::vector<std::vector<std::uint8_t>> written;

 private:
  ReportLengths lengths_;
  std::vector<std::uint8_t> reply_;
};

TEST(PlainTransfer, ReportIdByteNeverReachesInputReport) {
  struct Case {
    ReportLengths lengths;
    std::vector<std::uint8_t> written;
    std::array<std::uint8_t, 8> input;
  };
  const std::vector<std::uint8_t> reply = {0xA5, 1, 2, 3, 4, 5, 6, 7, 8};
  const Case cases[] = {
      {{9, 9, false}, {0, 0x46, 7, 0, 0, 0, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8}},
      // Shorter reports use the front of the buffers; the rest of InputReport keeps its bytes.
      {{4, 4, false}, {0, 0x46, 7, 0}, {1, 2, 3, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}},
      // Numbered reports: every output report goes under the device's own ID.
      {{9, 9, true, 5, 1, false}, {5, 0x46, 7, 0, 0, 0, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 7, 8}},
  };
  for (const Case& c : cases) {
    ScriptedPlatform platform(c.lengths, reply);
    TrafficTrace trace;
    LinkState link;
    link.InputReport.fill(0xEE);
    ApiUSBRoutines usb(platform, link, trace);
    ASSERT_TRUE(usb.FindDevice());
    EXPECT_EQ(usb.PlainTransfer({command::kReadByte, 7}), 1);
    EXPECT_EQ(link.InputReport, c.input);
    ASSERT_EQ(platform.written.size(), 1u);
    EXPECT_EQ(platform.written[0], c.written);
  }
}

TEST(PlainTransfer, NumberedDeviceActsOnlyOnReportsUnderItsId) {
  SimulatedPlatform platform(SimulatedPlatform::Empty{});
  std::vector<std::uint8_t> descriptor = VexaroReportDescriptor();
  descriptor.insert(descriptor.begin() + 7, {0x85, 0x05});  // Report ID 5, inside the collection
  platform.addInterface(Match("/dev/hidraw1"), true).descriptor = descriptor;
  std::ostringstream traceText;
  TrafficTrace trace(&traceText);
  const auto traced = MakeTracingPlatform(platform, trace);
  LinkState link;
  ApiUSBRoutines usb(*traced, link, trace);
  ASSERT_TRUE(usb.FindDevice());

  EXPECT_EQ(usb.PlainTransfer({command::kReadByte, 2}), 31);
  EXPECT_THAT(traceText.str(),
              HasSubstr("hid> 05 46 02 00 00 00 00 00 00\nhid< 05 1f 00 00 00 00 00 00 00\n"));
  // A report under another ID reaches the device, which does not act on it.
  link.OutputReportId = 0;
  EXPECT_EQ(usb.PlainTransfer({command::kReadByte, 2}), 0);
  EXPECT_FALSE(link.DeviceDetected);
}

TEST(PlainTransfer, TimeOutLeavesZerosClearsTheFlagAndClosesBothHandles) {
  SimulatedPlatform platform;
  platform.firmware().faults().silentAtReport = 2;
  TrafficTrace trace;
  LinkState link;
  ApiUSBRoutines usb(platform, link, trace);
  ASSERT_TRUE(usb.FindDevice());
  EXPECT_EQ(usb.PlainTransfer({command::kReadByte, 2}), 31);
  link.InputReport.fill(0xEE);

  EXPECT_EQ(usb.PlainTransfer({command::kReadByte, 2}), 0);
  EXPECT_EQ(link.InputReport, (std::array<std::uint8_t, 8>{}));
  EXPECT_FALSE(link.DeviceDetected);
  EXPECT_EQ(platform.openHandles(), 0);

  // Closing again, as the window's unload does, closes nothing twice.
  usb.CloseDeviceHandles();
  EXPECT_EQ(platform.closes().at(SimulatedPlatform::kDefaultPath), 2);

  // A transfer without handles ends as a time-out too, at once.
  link.InputReport.fill(0xEE);
  EXPECT_EQ(usb.PlainTransfer({command::kStatusPoll}), 0);
  EXPECT_EQ(link.InputReport, (std::array<std::uint8_t, 8>{}));
}

TEST(PlainTransfer, FailedReadClearsTheFlagButKeepsTheHandlesUntilTheNextSearch) {
  SimulatedPlatform platform;
  platform.firmware().faults().failingRead = 1;
  TrafficTrace trace;
  LinkState link;
  ApiUSBRoutines usb(platform, link, trace);
  ASSERT_TRUE(usb.FindDevice());
  link.InputReport.fill(0xEE);

  EXPECT_EQ(usb.PlainTransfer({command::kStatusPoll}), 0);
  EXPECT_EQ(link.InputReport, (std::array<std::uint8_t, 8>{}));
  EXPECT_FALSE(link.DeviceDetected);
  EXPECT_EQ(platform.openHandles(), 2);

  // The next search replaces the stale handles; each handle is closed exactly once.
  ASSERT_TRUE(usb.FindDevice());
  EXPECT_EQ(platform.openHandles(), 2);
  usb.CloseDeviceHandles();
  usb.CloseDeviceHandles();
  EXPECT_EQ(platform.opens().at(SimulatedPlatform::kDefaultPath), 4);
  EXPECT_EQ(platform.closes().at(SimulatedPlatform::kDefaultPath), 4);
}

}  // namespace
}  // namespace vexaro
