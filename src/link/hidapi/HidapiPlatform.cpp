#include "link/hidapi/HidapiPlatform.h"

// pkg-config puts hidapi's own folder on the include path, on every system.
#include <hidapi.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

// hidapi 0.14 and newer hand out the report descriptor of an open device on every system; 0.13
// has no call for it, and only Linux publishes it elsewhere (sysfs).
#if HID_API_VERSION >= HID_API_MAKE_VERSION(0, 14, 0)
#define VEXARO_HIDAPI_REPORT_DESCRIPTOR 1
#elif defined(__APPLE__)
#error "On macOS the report descriptor needs hidapi 0.14 or newer."
#endif

#ifdef __APPLE__
#include <hidapi_darwin.h>  // hid_darwin_set_open_exclusive, since hidapi 0.12
#endif

namespace vexaro {
namespace {

// hid_init starts hidapi, or does nothing while it runs. On macOS every start makes hidapi open
// devices exclusively, which refuses the link's second open of the device: open them shared
// again. hidapi is one per process: it ends once, as the process ends, never with one platform
// object while another still uses it.
bool StartHidapi() {
  if (hid_init() != 0) return false;
  static const bool exitAtEnd = std::atexit([] { hid_exit(); }) == 0;
  (void)exitAtEnd;
#ifdef __APPLE__
  hid_darwin_set_open_exclusive(0);
#endif
  return true;
}

#ifdef VEXARO_HIDAPI_REPORT_DESCRIPTOR

std::optional<ReportLengths> ReadReportLengths(hid_device* device, const std::string&,
                                               const std::string&) {
  std::vector<unsigned char> descriptor(HID_API_MAX_REPORT_DESCRIPTOR_SIZE);
  const int got = hid_get_report_descriptor(device, descriptor.data(), descriptor.size());
  if (got < 0) return std::nullopt;
  descriptor.resize(static_cast<std::size_t>(got));
  return ParseReportDescriptor(descriptor);
}

#else

// The kernel limits report descriptors to 4096 bytes.
constexpr std::size_t kMaxDescriptorSize = 4096;

// /dev/hidrawN -> <folder>/hidrawN/device/report_descriptor, read without opening the device
// itself.
std::optional<ReportLengths> ReadReportLengths(hid_device*, const std::string& folder,
                                               const std::string& path) {
  const std::string node = std::filesystem::path(path).filename().string();
  if (node.rfind("hidraw", 0) != 0) return std::nullopt;
  std::ifstream in(folder + "/" + node + "/device/report_descriptor", std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> descriptor(kMaxDescriptorSize);
  in.read(reinterpret_cast<char*>(descriptor.data()),
          static_cast<std::streamsize>(descriptor.size()));
  descriptor.resize(static_cast<std::size_t>(in.gcount()));
  return ParseReportDescriptor(descriptor);
}

#endif

class HidapiDevice final : public HidDevice {
 public:
  HidapiDevice(hid_device* device, std::optional<ReportLengths> lengths)
      : device_(device), lengths_(lengths) {}
  ~HidapiDevice() override { hid_close(device_); }

  std::optional<ReportLengths> reportLengths() override { return lengths_; }

  bool write(std::span<const std::uint8_t> report) override {
    // hidapi takes the report-ID byte first on every platform, 0 for unnumbered reports.
    return hid_write(device_, report.data(), report.size()) >= 0;
  }

  ReadOutcome read(std::span<std::uint8_t> report, std::chrono::milliseconds limit) override {
    if (report.empty()) return ReadOutcome::Failed;
    // hidapi gives the data of unnumbered reports without a report-ID byte; put the 0 back.
    const bool numbered = lengths_ && lengths_->numbered;
    std::array<std::uint8_t, 64> received{};
    std::uint8_t* const into = numbered ? received.data() : received.data() + 1;
    const std::size_t room = std::min(report.size(), received.size()) - (numbered ? 0 : 1);
    const int timeoutMs = static_cast<int>(std::min<long long>(limit.count(), INT_MAX));
    const int got = hid_read_timeout(device_, into, room, timeoutMs);
    if (got == 0) return ReadOutcome::TimedOut;
    if (got < 0) return ReadOutcome::Failed;
    std::copy_n(received.begin(), std::min(report.size(), received.size()), report.begin());
    return ReadOutcome::Completed;
  }

  // hid_read_timeout is synchronous: once it has returned, no read is pending.
  void cancel() override {}

 private:
  hid_device* device_;
  std::optional<ReportLengths> lengths_;
};

class HidapiPlatform final : public HidPlatform {
 public:
  explicit HidapiPlatform(std::string descriptorFolder)
      : descriptorFolder_(std::move(descriptorFolder)), initialised_(StartHidapi()) {}

  std::vector<HidInterfaceInfo> enumerate() override {
    std::vector<HidInterfaceInfo> found;
    if (!initialised_) initialised_ = StartHidapi();
    if (!initialised_) return found;
    // NULL both when there is no HID device and when the enumeration failed.
    hid_device_info* const list = hid_enumerate(0, 0);
    for (const hid_device_info* info = list; info != nullptr; info = info->next) {
      if (info->path == nullptr) continue;
      found.push_back({info->path, info->vendor_id, info->product_id});
    }
    hid_free_enumeration(list);
    return found;
  }

  OpenResult open(const std::string& path) override {
    if (!initialised_ || !StartHidapi()) return {nullptr, OpenError::Failed};
    hid_device* const device = hid_open_path(path.c_str());
    if (device == nullptr) {
      // hidapi does not say why; ask the file system whether it is a matter of permission.
      const bool denied = ::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
      return {nullptr, denied ? OpenError::NoPermission : OpenError::Failed};
    }
    return {
        std::make_unique<HidapiDevice>(device, ReadReportLengths(device, descriptorFolder_, path)),
        OpenError::Failed};
  }

  std::string serviceFailure() override { return initialised_ ? std::string() : "hid_init failed"; }

  LockResult lockDevice(const std::string& path) override { return TryLockDevicePath(path); }

 private:
  std::string descriptorFolder_;
  bool initialised_;
};

}  // namespace

std::unique_ptr<HidPlatform> MakeHidapiPlatform(std::string descriptorFolder) {
  return std::make_unique<HidapiPlatform>(std::move(descriptorFolder));
}

}  // namespace vexaro
