// The real HID platform over a stand-in for hidapi answering as on hidraw, by the simulated
// firmware, with report descriptors in a folder laid out as sysfs lays them out.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <hidapi/hidapi.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>

#include "link/ApiUSBRoutines.h"
#include "link/hidapi/HidapiPlatform.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"

namespace {

// A device as hidraw shows it: its report ID (0 when its reports are unnumbered) and its firmware.
struct StandInDevice {
  std::string path;
  std::uint8_t reportId = 0;
  int openErrno = 0;  // hid_open_path fails, and the file system answers with this errno
  vexaro::SimulatedFirmware firmware{};
};

struct StandIn {
  bool initFails = false;
  int exits = 0;  // hid_exit calls
  std::deque<StandInDevice> devices;
};

StandIn& Library() {
  static StandIn library;
  return library;
}

}  // namespace

// The stand-in's calls, defined in this program so that the platform's calls bind to them.
extern "C" {

struct hid_device_ {
  StandInDevice* device;
};

// clang-format off
int hid_init() { return Library().initFails ? -1 : 0; }
int hid_exit() { ++Library().exits; return 0; }
void hid_close(hid_device* handle) { delete handle; }
// clang-format on

hid_device_info* hid_enumerate(unsigned short, unsigned short) {
  hid_device_info* first = nullptr;
  hid_device_info** next = &first;
  for (const StandInDevice& device : Library().devices) {
    auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
    info->path = strdup(device.path.c_str());
    info->vendor_id = vexaro::kVexaroVendorId;
    info->product_id = vexaro::kVexaroProductId;
    *next = info;
    next = &info->next;
  }
  return first;
}

void hid_free_enumeration(hid_device_info* info) {
  while (info != nullptr) {
    hid_device_info* const next = info->next;
    std::free(info->path);
    std::free(info);
    info = next;
  }
}

hid_device* hid_open_path(const char* path) {
  for (StandInDevice& device : Library().devices) {
    if (device.path != path) continue;
    if (device.openErrno != 0) return nullptr;
    device.firmware.dropPendingReplies();
    return new hid_device_{&device};
  }
  return nullptr;
}

// Byte 0 is the report ID. hidraw sends an unnumbered device the bytes after a 0 (any other first
// byte goes along as data); a numbered device gets the report as it is and acts only on its own ID.
// The file system's answer for a device that hid_open_path refused; the C library's otherwise.
int access(const char* path, int mode) {
  for (const StandInDevice& device : Library().devices) {
    if (device.path != path || device.openErrno == 0) continue;
    errno = device.openErrno;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_faccessat, AT_FDCWD, path, mode));
}

int hid_write(hid_device* handle, const unsigned char* data, size_t length) {
  StandInDevice& device = *handle->device;
  std::vector<std::uint8_t> received(data, data + length);
  if (device.reportId == 0 && received[0] != 0) received.insert(received.begin(), 0);
  if (received[0] == device.reportId) device.firmware.receive(received);
  return static_cast<int>(length);
}

// A numbered device's reply starts with its report ID; an unnumbered device's has none.
int hid_read_timeout(hid_device* handle, unsigned char* data, size_t length, int milliseconds) {
  StandInDevice& device = *handle->device;
  std::uint8_t reply = 0;
  const auto outcome = device.firmware.nextReply(reply, std::chrono::milliseconds(milliseconds));
  if (outcome != vexaro::ReadOutcome::Completed) {
    return outcome == vexaro::ReadOutcome::TimedOut ? 0 : -1;
  }
  std::vector<std::uint8_t> report = {reply, 0, 0, 0, 0, 0, 0, 0};
  if (device.reportId != 0) report.insert(report.begin(), device.reportId);
  const std::size_t count = std::min(length, report.size());
  std::copy_n(report.begin(), count, data);
  return static_cast<int>(count);
}

}  // extern "C"

namespace vexaro {
namespace {

namespace fs = std::filesystem;

// A Vexaro at /dev/hidrawN whose descriptor declares `reportId` (none when 0).
void AddDevice(int n, std::uint8_t reportId) {
  std::vector<std::uint8_t> descriptor = VexaroReportDescriptor();
  if (reportId != 0) descriptor.insert(descriptor.begin() + 7, {0x85, reportId});
  const fs::path folder = TestFolder() / ("hidraw" + std::to_string(n)) / "device";
  fs::create_directories(folder);
  std::ofstream(folder / "report_descriptor", std::ios::binary)
      << std::string(descriptor.begin(), descriptor.end());
  Library().devices.push_back({"/dev/hidraw" + std::to_string(n), reportId});
}

// Every command, on a device with numbered reports and on one without, runs alike; a hold drops
// the replies to another program.
TEST(HidapiStandIn, NumberedReportsAnswerEveryCommandAsUnnumberedOnesDo) {
  AddDevice(1, 0);
  AddDevice(2, 5);
  const auto platform = MakeHidapiPlatform(TestFolder().string());
  EXPECT_EQ(
      RunCli({"list"}, platform.get()),
      (CliOutcome{kExitDone, "/dev/hidraw1: can be opened\n/dev/hidraw2: can be opened\n", ""}));
  // clang-format off
  const std::vector<std::vector<std::string>> commands = {
      {"peek", "0", "29"}, {"read"}, {"read", "--json"}, {"set", "beep-frequency=2000", "turn-on=55", "zero-output=10-beeps"},
      {"poke", "100", "7"}, {"load", VEXARO_DATA_DIR "/two-notes.txt"}, {"play", "--wait"}, {"play"}, {"stop"},
      {"beep", "1000", "0.5"}, {"adc"}, {"trim", "-3"}, {"trim"}, {"set", "--defaults"}, {"load", "default"},
  };
  // clang-format on
  for (const auto& command : commands) {
    const auto on = [&](const char* path) {
      std::vector<std::string> args = {"--device", path};
      args.insert(args.end(), command.begin(), command.end());
      return RunCli(args, platform.get());
    };
    const CliOutcome unnumbered = on("/dev/hidraw1");
    EXPECT_EQ(unnumbered.status, kExitDone) << command[0] << ": " << unnumbered.err;
    EXPECT_EQ(on("/dev/hidraw2"), unnumbered) << command[0];
  }
  EXPECT_EQ(Library().devices[1].firmware.received(), Library().devices[0].firmware.received());

  // hidapi is the process's: a second platform that ends first leaves it running for the first.
  MakeHidapiPlatform(TestFolder().string()).reset();
  EXPECT_EQ(Library().exits, 0);
  EXPECT_EQ(Library().devices[1].firmware.store(), Library().devices[0].firmware.store());

  // On the wire, every report of the numbered device carries its ID.
  EXPECT_THAT(
      RunCli({"--device", "/dev/hidraw2", "--trace", "peek", "2"}, platform.get()).err,
      ::testing::HasSubstr("hid> 05 46 02 00 00 00 00 00 00\nhid< 05 1f 00 00 00 00 00 00 00\n"));

  // Another program's replies wait on our handle too (hidraw gives every handle every input
  // report): a hold drops them before our command, so the reply read is our own.
  std::ostringstream text;
  TrafficTrace trace(&text);
  const std::unique_ptr<HidPlatform> traced = MakeTracingPlatform(*platform, trace);
  LinkState link;
  ApiUSBRoutines usb(*traced, link, trace);
  ASSERT_TRUE(usb.FindDevice());
  hid_device* const other = hid_open_path("/dev/hidraw1");
  for (const unsigned char address : {5, 6}) {
    const unsigned char report[9] = {0, command::kReadByte, address};
    hid_write(other, report, sizeof report);
  }
  hid_close(other);
  const DeviceHold hold = usb.holdDevice();
  ASSERT_TRUE(hold);
  EXPECT_EQ(usb.plainTransfer({command::kReadByte, 9}), 170);
  EXPECT_THAT(text.str(), ::testing::HasSubstr("hid: dropped 2 input reports waiting on "
                                               "/dev/hidraw1 (replies to another program)\n"));
  Library().devices.clear();
}

// hid_init failing is a service failure until a later enumeration starts it; an open that hidapi
// refuses is a matter of permission only when the file system says so.
TEST(HidapiStandIn, InitFailureAndRefusedOpens) {
  Library().initFails = true;
  const auto platform = MakeHidapiPlatform(TestFolder().string());
  EXPECT_EQ(RunCli({"list"}, platform.get()).err,
            "vexaro: the HID service could not be started (hid_init failed), so no device can be "
            "reached.\n");
  Library().initFails = false;
  AddDevice(3, 0);
  AddDevice(4, 0);
  Library().devices[0].openErrno = EACCES;
  Library().devices[1].openErrno = ENOENT;
  EXPECT_EQ(
      RunCli({"list"}, platform.get()),
      (CliOutcome{kExitNoDevice,
                  "/dev/hidraw3: no permission to open (see vexaro --print-udev-rules)\n"
                  "/dev/hidraw4: cannot be opened\n",
                  "vexaro: no permission to open /dev/hidraw3; install the udev rule that 'vexaro "
                  "--print-udev-rules' prints.\n"}));
  Library().devices.clear();
}

}  // namespace
}  // namespace vexaro
