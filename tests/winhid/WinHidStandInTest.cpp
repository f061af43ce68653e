// The real Windows HID platform, unchanged, against the stand-in hid.dll and setupapi.dll beside
// this program and stand-in devices on named pipes: what a user runs on a PC with a Vexaro, down
// to the overlapped transfers, with faults no real device shows on demand.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "StandInDevice.h"
#include "common/QuotedText.h"
#include "link/ApiUSBRoutines.h"
#include "link/TrafficTrace.h"
#include "link/windows/WinHidPlatform.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace vexaro::standin {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using namespace std::chrono_literals;

// The link waits this long for a reply here, instead of kReadLimit, so that the suite stays fast.
constexpr std::chrono::milliseconds kShortReadLimit{300};

long StandInCount(const char* dll, const char* counter) {
  const HMODULE module = GetModuleHandleA(dll);
  const auto read =
      module == nullptr
          ? nullptr
          : reinterpret_cast<long (*)()>(reinterpret_cast<void*>(GetProcAddress(module, counter)));
  if (read == nullptr) ADD_FAILURE() << dll << " is not the stand-in (run with WINEDLLOVERRIDES)";
  return read == nullptr ? -1 : read();
}

std::string Pipe(const std::string& ids, const std::string& tag) {
  return R"(\\.\pipe\hid#)" + ids + "#" + tag + "#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

// A Vexaro with 8-byte reports under `reportId` (0: unnumbered).
DeviceBehaviour Vexaro(const std::string& tag, std::uint8_t reportId = 0) {
  DeviceBehaviour d;
  d.entry = {Pipe("vid_04d8&pid_47a1", tag),
             kVexaroVendorId,
             kVexaroProductId,
             9,
             9,
             std::vector<std::uint8_t>(8, reportId),
             std::vector<std::uint8_t>(8, reportId)};
  d.reportId = reportId;
  return d;
}

DeviceBehaviour Foreign(const std::string& tag) {
  DeviceBehaviour d;
  d.entry = {Pipe("vid_046d&pid_c52b&mi_00", tag), 0x046d, 0xc52b, 8, 0, {1}, {}};
  d.isVexaro = false;
  return d;
}

// A scenario: the catalogue written and named in the environment, the devices served, and at
// the end every handle, info set and preparsed data released.
class StandIn {
 public:
  explicit StandIn(std::vector<DeviceBehaviour> devices, Catalogue extra = {}) {
    Catalogue catalogue = extra;
    for (const auto& d : devices) catalogue.interfaces.push_back(d.entry);
    const std::string file = TestFile(RunTag() + ".txt", FormatCatalogue(catalogue));
    SetEnvironmentVariableA(kCatalogueVariable, file.c_str());
    devices_ = std::make_unique<StandInDevices>(std::move(devices));
  }
  ~StandIn() {
    EXPECT_TRUE(devices_->waitUntilAllClosed()) << devices_->openNow() << " handles left open";
    EXPECT_EQ(StandInCount("setupapi.dll", "StandInInfoSetsLive"), 0);
    EXPECT_EQ(StandInCount("hid.dll", "StandInPreparsedLive"), 0);
    EXPECT_EQ(StandInCount("hid.dll", "StandInOverlappedQueries"), 0);
  }
  StandInDevices& devices() { return *devices_; }

 private:
  std::unique_ptr<StandInDevices> devices_;
};

// The link on the real platform, traced, with the short read limit.
struct TracedLink {
  std::unique_ptr<HidPlatform> real = MakeWinHidPlatform();
  std::ostringstream text;
  TrafficTrace trace{&text};
  std::unique_ptr<HidPlatform> traced = MakeTracingPlatform(*real, trace);
  LinkState link;
  ApiUSBRoutines usb{*traced, link, trace, kShortReadLimit};
};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TEST(WinHidStandIn, CommandsRunOnNumberedAndUnnumberedReportsAndNoOtherInterfaceIsOpened) {
  const std::string tag = RunTag();
  StandIn standIn({Foreign(tag + "-f1"), Vexaro(tag + "-a"), Foreign(tag + "-f2"),
                   Vexaro(tag + "-b", 5), Foreign(tag + "-f3")});
  const auto platform = MakeWinHidPlatform();
  const std::string a = Vexaro(tag + "-a").entry.path;
  const std::string b = Vexaro(tag + "-b").entry.path;
  EXPECT_EQ(RunCli({"list"}, platform.get()),
            (CliOutcome{kExitDone, a + ": can be opened\n" + b + ": can be opened\n", ""}));
  // --device in other letters names the same interface.
  for (const std::string& path : {a, Upper(b)}) {
    EXPECT_EQ(RunCli({"--device", path, "peek", "0", "3"}, platform.get()),
              (CliOutcome{kExitDone, "0: 0\n1: 0\n2: 31\n", ""}));
    EXPECT_EQ(RunCli({"--device", path, "poke", "100", "7"}, platform.get()).status, kExitDone);
  }
  EXPECT_THAT(RunCli({"--device", b, "--trace", "peek", "2"}, platform.get()).err,
              HasSubstr("hid> 05 46 02 00 00 00 00 00 00\nhid< 05 1f 00 00 00 00 00 00 00\n"));
  EXPECT_EQ(RunCli({"--device", Foreign(tag + "-f1").entry.path, "peek", "0"}, platform.get()).err,
            "vexaro: " + QuotedText(Foreign(tag + "-f1").entry.path) +
                " is not a Vexaro (vendor 04d8, product 47a1).\n");
  for (const char* f : {"-f1", "-f2", "-f3"})
    EXPECT_EQ(standIn.devices().opens(Foreign(tag + f).entry.path), 0) << f;
  const auto lock = standIn.devices().locked();
  EXPECT_EQ(standIn.devices().firmware().store()[100], 7);
}

// What `vexaro list` says of each interface that is refused, and why the first is refused.
TEST(WinHidStandIn, RefusedInterfacesAreToldApart) {
  const std::string tag = RunTag();
  DeviceBehaviour twoOutputs = Vexaro(tag + "-two", 2);
  twoOutputs.entry.outputIds = {2, 3};
  DeviceBehaviour noCaps = Vexaro(tag + "-nocaps");
  noCaps.entry.noCaps = true;
  // Windows refuses a collection that it keeps to itself with access denied: here a pipe that
  // takes no reader. A file held without sharing gives the sharing violation.
  DeviceBehaviour denied = Vexaro(tag + "-denied");
  denied.denied = true;
  const std::string held = TestFile(tag + "-vid_04d8&pid_47a1-held", "");
  const HANDLE holder =
      CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  Catalogue files;
  files.interfaces.push_back({held, kVexaroVendorId, kVexaroProductId, 9, 9, {0}, {0}});
  const std::string readOnly = denied.entry.path;
  {
    StandIn standIn({denied, twoOutputs, noCaps}, files);
    const auto platform = MakeWinHidPlatform();
    EXPECT_EQ(
        RunCli({"list"}, platform.get()),
        (CliOutcome{kExitNoDevice,
                    held + ": no permission to open (another program holds it open)\n" + readOnly +
                        ": no permission to open (Windows keeps it or a policy forbids it)\n" +
                        twoOutputs.entry.path +
                        ": cannot be used: 2 output reports, where one is expected\n" +
                        noCaps.entry.path +
                        ": cannot be used: its report descriptor cannot be read\n",
                    "vexaro: no permission to open " + held +
                        "; another program holds it open; close that program and try again.\n"}));
    EXPECT_EQ(RunCli({"--device", readOnly, "peek", "0"}, platform.get()).err,
              "vexaro: no permission to open " + readOnly +
                  "; Windows keeps this device to itself or a policy forbids opening it.\n");
  }
  CloseHandle(holder);

  Catalogue failing;
  failing.setupFails = true;
  StandIn standIn({Vexaro(tag + "-c")}, failing);
  EXPECT_EQ(RunCli({"list"}, MakeWinHidPlatform().get()).err,
            "vexaro: the HID service could not be started (SetupDiGetClassDevs failed with error "
            "13), so no device can be reached.\n");
}

// Devices that stop answering, through the link: each ends the transfer as lost, in time, and a
// reply that comes too late is never taken for the next command's.
TEST(WinHidStandIn, DevicesThatStopAnswering) {
  struct Case {
    const char* name;
    std::function<void(DeviceBehaviour&, SimulatedFaults&)> setUp;
    const char* trace;
  };
  // clang-format off
  const Case cases[] = {
      {"silent", [](DeviceBehaviour&, SimulatedFaults& f) { f.silentAtReport = 2; }, "hid: read timed out after 300 ms"},
      {"takes no report", [](DeviceBehaviour& d, SimulatedFaults&) { d.takesReports = false; }, "hid: read skipped: the write did not complete"},
      {"unplugged at the first report", [](DeviceBehaviour&, SimulatedFaults& f) { f.unplugAfter = 0; }, "\\(error \\d+\\)"},
      {"unplugged at the second", [](DeviceBehaviour&, SimulatedFaults& f) { f.unplugAfter = 1; }, "\\(error \\d+\\)"},
      {"late reply", [](DeviceBehaviour& d, SimulatedFaults&) { d.lateReplies = 1; d.replyDelay = kShortReadLimit + 100ms; }, "hid: read timed out after 300 ms"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceBehaviour device = Vexaro(RunTag());
    SimulatedFaults faults;
    c.setUp(device, faults);
    StandIn standIn({device});
    standIn.devices().firmware().faults() = faults;
    TracedLink l;
    ASSERT_TRUE(l.usb.FindDevice());
    const std::uint8_t first = l.usb.plainTransfer({command::kReadByte, 2});
    const bool answersFirst = faults.silentAtReport.has_value() || faults.unplugAfter == 1u;
    EXPECT_EQ(first, answersFirst ? 31 : 0);
    if (answersFirst) {
      EXPECT_EQ(l.usb.plainTransfer({command::kReadByte, 2}), 0);
    }
    EXPECT_FALSE(l.link.DeviceDetected);
    EXPECT_THAT(l.text.str(), ContainsRegex(c.trace));
    if (device.lateReplies > 0) {
      std::this_thread::sleep_for(device.replyDelay);  // the late 31 has gone out meanwhile
      ASSERT_TRUE(l.usb.FindDevice());
      EXPECT_EQ(l.usb.plainTransfer({command::kReadByte, 28}), 50);
    }
    l.usb.CloseDeviceHandles();
  }
}

}  // namespace
}  // namespace vexaro::standin
