#include "link/windows/WinHidPlatform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// The setup and HID headers need windows.h before them; MinGW's HID headers have no C++ guards
// of their own.
// clang-format off
#include <windows.h>
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
// clang-format on

#include <algorithm>
#include <cstdint>
#include <utility>

#include "link/windows/WinHidReports.h"
#include "link/windows/WinText.h"

namespace vexaro {
namespace {

// WinHidReports spells out the Win32 numbers it decides on; they must be windows.h's.
static_assert(winhid::kErrorAccessDenied == static_cast<DWORD>(ERROR_ACCESS_DENIED));
static_assert(winhid::kErrorSharingViolation == static_cast<DWORD>(ERROR_SHARING_VIOLATION));
static_assert(winhid::kWaitObject0 == static_cast<DWORD>(WAIT_OBJECT_0));
static_assert(winhid::kWaitTimeout == static_cast<DWORD>(WAIT_TIMEOUT));

// A write reaches the device within milliseconds; one that takes longer than a read may wait is
// cancelled and counts as failed, so that a stuck device cannot hang the program.
constexpr DWORD kWriteLimitMs = 5000;

// A kernel handle, closed exactly once. CreateFile fails with INVALID_HANDLE_VALUE, CreateEvent
// with NULL; neither is closed.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  Handle& operator=(Handle&&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

DWORD Milliseconds(std::chrono::milliseconds limit) {
  // INFINITE is 0xFFFFFFFF: stay below it.
  return static_cast<DWORD>(std::clamp<long long>(limit.count(), 0, INFINITE - 1));
}

// Appends the ReportID of every value and button capability of one report kind. False when the
// HID service will not list them.
bool AppendReportIds(PHIDP_PREPARSED_DATA preparsed, HIDP_REPORT_TYPE kind, USHORT valueCount,
                     USHORT buttonCount, std::vector<std::uint8_t>& ids) {
  if (valueCount > 0) {
    std::vector<HIDP_VALUE_CAPS> values(valueCount);
    if (HidP_GetValueCaps(kind, values.data(), &valueCount, preparsed) != HIDP_STATUS_SUCCESS) {
      return false;
    }
    for (USHORT i = 0; i < valueCount; ++i) ids.push_back(values[i].ReportID);
  }
  if (buttonCount > 0) {
    std::vector<HIDP_BUTTON_CAPS> buttons(buttonCount);
    if (HidP_GetButtonCaps(kind, buttons.data(), &buttonCount, preparsed) != HIDP_STATUS_SUCCESS) {
      return false;
    }
    for (USHORT i = 0; i < buttonCount; ++i) ids.push_back(buttons[i].ReportID);
  }
  return true;
}

// What the HID service knows of an interface's reports; std::nullopt when it will not say.
struct Caps {
  winhid::CapsLengths lengths;
  ReportLengths reports;
};

std::optional<Caps> ReadCaps(HANDLE device) {
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!HidD_GetPreparsedData(device, &preparsed)) return std::nullopt;
  HIDP_CAPS caps{};
  winhid::CapsReportIds ids;
  const bool ok = HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS &&
                  AppendReportIds(preparsed, HidP_Input, caps.NumberInputValueCaps,
                                  caps.NumberInputButtonCaps, ids.input) &&
                  AppendReportIds(preparsed, HidP_Output, caps.NumberOutputValueCaps,
                                  caps.NumberOutputButtonCaps, ids.output);
  HidD_FreePreparsedData(preparsed);
  if (!ok) return std::nullopt;
  const winhid::CapsLengths lengths{caps.InputReportByteLength, caps.OutputReportByteLength};
  return Caps{lengths, winhid::LengthsFromCaps(lengths, ids)};
}

// Every handle is opened for overlapped I/O, since the link opens the device twice through the
// same call and reads with a time limit through one of them: WriteFile and ReadFile then start a
// transfer, and a wait on the handle's own event ends it.
class WinHidDevice final : public HidDevice {
 public:
  WinHidDevice(Handle device, Handle event, std::optional<Caps> caps)
      : device_(std::move(device)), event_(std::move(event)), caps_(std::move(caps)) {}

  std::optional<ReportLengths> reportLengths() override {
    if (!caps_) return std::nullopt;
    return caps_->reports;
  }

  bool write(std::span<const std::uint8_t> report) override {
    if (!caps_) return false;
    const auto buffer = winhid::OutputBuffer(report, caps_->lengths);
    if (!buffer) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_.get();
    if (!WriteFile(device_.get(), buffer->data(), static_cast<DWORD>(buffer->size()), nullptr,
                   &overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
      return false;
    }
    DWORD written = 0;
    return Finish(overlapped, kWriteLimitMs, written) == ReadOutcome::Completed &&
           written == buffer->size();
  }

  ReadOutcome read(std::span<std::uint8_t> report, std::chrono::milliseconds limit) override {
    if (!caps_ || caps_->lengths.input == 0 || report.empty()) return ReadOutcome::Failed;
    // ReadFile wants room for a whole input report, report-ID byte first, whatever the caller's
    // buffer holds.
    std::vector<std::uint8_t> received(caps_->lengths.input, 0);
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_.get();
    if (!ReadFile(device_.get(), received.data(), static_cast<DWORD>(received.size()), nullptr,
                  &overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
      return ReadOutcome::Failed;  // the device is gone, or the handle is of no more use
    }
    DWORD got = 0;
    const ReadOutcome outcome = Finish(overlapped, Milliseconds(limit), got);
    if (outcome == ReadOutcome::Completed) {
      std::copy_n(received.begin(), std::min<std::size_t>(got, report.size()), report.begin());
    }
    return outcome;
  }

  // read() and write() return only once their transfer has ended: nothing is pending.
  void cancel() override {}

 private:
  // Waits for the transfer of `overlapped` for at most `limitMs`. A transfer that did not end in
  // time is cancelled, and the wait goes on until the cancellation has ended it, so that nothing
  // is written into a buffer after the caller has moved on.
  ReadOutcome Finish(OVERLAPPED& overlapped, DWORD limitMs, DWORD& transferred) {
    const ReadOutcome waited = winhid::OutcomeOfWait(WaitForSingleObject(event_.get(), limitMs));
    if (waited != ReadOutcome::Completed) CancelIo(device_.get());
    const bool ended = GetOverlappedResult(device_.get(), &overlapped, &transferred, TRUE);
    if (waited == ReadOutcome::Completed) {
      return ended ? ReadOutcome::Completed : ReadOutcome::Failed;
    }
    // A report that arrived between the end of the wait and the cancellation is kept.
    return ended ? ReadOutcome::Completed : waited;
  }

  Handle device_;
  Handle event_;  // manual reset; ReadFile and WriteFile reset it when they start
  std::optional<Caps> caps_;
};

class DeviceInfoSet {
 public:
  explicit DeviceInfoSet(const GUID& hidClass)
      : set_(SetupDiGetClassDevsW(&hidClass, nullptr, nullptr,
                                  DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
  ~DeviceInfoSet() {
    if (valid()) SetupDiDestroyDeviceInfoList(set_);
  }
  DeviceInfoSet(const DeviceInfoSet&) = delete;
  DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;

  bool valid() const { return set_ != INVALID_HANDLE_VALUE; }
  HDEVINFO get() const { return set_; }

 private:
  HDEVINFO set_;
};

// The device path of one interface, or "" when the system will not give it.
std::wstring InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interface) {
  DWORD required = 0;
  SetupDiGetDeviceInterfaceDetailW(set, &interface, nullptr, 0, &required, nullptr);
  if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return {};
  // Storage aligned for the detail record, which starts with its fixed part's size.
  std::vector<std::uint64_t> storage((required + sizeof(std::uint64_t) - 1) /
                                     sizeof(std::uint64_t));
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  if (!SetupDiGetDeviceInterfaceDetailW(set, &interface, detail, required, nullptr, nullptr)) {
    return {};
  }
  return detail->DevicePath;
}

class WinHidPlatform final : public HidPlatform {
 public:
  std::vector<HidInterfaceInfo> enumerate() override {
    std::vector<HidInterfaceInfo> found;
    GUID hidClass{};
    HidD_GetHidGuid(&hidClass);
    const DeviceInfoSet set(hidClass);
    if (!set.valid()) return found;
    for (DWORD index = 0;; ++index) {
      SP_DEVICE_INTERFACE_DATA interface {};
      interface.cbSize = sizeof interface;
      // Fails with ERROR_NO_MORE_ITEMS after the last interface.
      if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hidClass, index, &interface)) break;
      const std::wstring path = InterfacePath(set.get(), interface);
      if (path.empty()) continue;
      // The IDs need a handle. One without read or write access is given even for interfaces
      // that the system keeps to itself (keyboards, mice) and touches nothing on the device; an
      // interface that cannot be opened or asked is left out, never matched on stale IDs.
      const Handle query(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
      if (!query.valid()) continue;
      HIDD_ATTRIBUTES attributes{};
      attributes.Size = sizeof attributes;
      if (!HidD_GetAttributes(query.get(), &attributes)) continue;
      found.push_back({Utf8FromWide(path), attributes.VendorID, attributes.ProductID});
    }
    return found;
  }

  OpenResult open(const std::string& path) override {
    Handle device(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr));
    if (!device.valid()) return {nullptr, winhid::OpenErrorFromCode(GetLastError())};
    // Manual reset, not signalled: each transfer's start resets it, its end signals it.
    Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event.valid()) return {nullptr, OpenError::Failed};
    const auto caps = ReadCaps(device.get());
    return {std::make_unique<WinHidDevice>(std::move(device), std::move(event), caps),
            OpenError::Failed};
  }
};

}  // namespace

std::unique_ptr<HidPlatform> MakeWinHidPlatform() {
  return std::make_unique<WinHidPlatform>();
}

}  // namespace vexaro
