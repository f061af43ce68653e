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
#include <memory>
#include <string>
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

// `device` is a handle without FILE_FLAG_OVERLAPPED: the HidD_ calls are requests to the driver
// that expect to complete before they return.
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

// One overlapped transfer: what the driver may write into or signal until the transfer ends.
struct Transfer {
  explicit Transfer(std::vector<std::uint8_t> data) : buffer(std::move(data)) {
    overlapped.hEvent = event.get();  // manual reset; ReadFile and WriteFile reset it
  }
  OVERLAPPED overlapped{};
  std::vector<std::uint8_t> buffer;
  Handle event{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// Every handle is opened for overlapped I/O, since the link opens the device twice through the
// same call and reads with a time limit through one of them: WriteFile and ReadFile start a
// transfer, and a wait on the transfer's own event ends it.
class WinHidDevice final : public HidDevice {
 public:
  WinHidDevice(Handle device, std::optional<Caps> caps)
      : device_(std::move(device)), caps_(std::move(caps)) {}

  std::optional<ReportLengths> reportLengths() override {
    if (!caps_) return std::nullopt;
    return caps_->reports;
  }

  bool write(std::span<const std::uint8_t> report) override {
    if (!caps_) return false;
    auto buffer = winhid::OutputBuffer(report, caps_->lengths);
    if (!buffer) return false;
    DWORD written = 0;
    return run(std::move(*buffer), false, Milliseconds(winhid::kWriteLimit), nullptr, written) ==
           ReadOutcome::Completed;
  }

  ReadOutcome read(std::span<std::uint8_t> report, std::chrono::milliseconds limit) override {
    if (!caps_ || caps_->lengths.input == 0 || report.empty()) return ReadOutcome::Failed;
    // ReadFile wants room for a whole input report, report-ID byte first, whatever the caller's
    // buffer holds.
    DWORD got = 0;
    return run(std::vector<std::uint8_t>(caps_->lengths.input, 0), true, Milliseconds(limit),
               &report, got);
  }

  // read() and write() return only once their transfer has ended: nothing is pending.
  void cancel() override {}

  std::uint32_t lastErrorCode() const override { return lastError_; }

 private:
  // Starts one transfer of `data` and waits for it for at most `limitMs`; one that did not end
  // in time is cancelled (winhid::EndOfTransfer decides the rest). A completed read copies what
  // arrived into `into`.
  ReadOutcome run(std::vector<std::uint8_t> data, bool reading, DWORD limitMs,
                  std::span<std::uint8_t>* into, DWORD& transferred) {
    // A transfer that never ended still owns this handle's driver queue.
    if (stranded_) return ReadOutcome::Failed;
    auto transfer = std::make_unique<Transfer>(std::move(data));
    if (!transfer->event.valid()) {
      lastError_ = GetLastError();
      return ReadOutcome::Failed;
    }
    const auto size = static_cast<DWORD>(transfer->buffer.size());
    const BOOL started =
        reading ? ReadFile(device_.get(), transfer->buffer.data(), size, nullptr,
                           &transfer->overlapped)
                : WriteFile(device_.get(), transfer->buffer.data(), size, nullptr,
                            &transfer->overlapped);
    if (!started && GetLastError() != ERROR_IO_PENDING) {
      lastError_ = GetLastError();  // the device is gone, or the handle is of no more use
      return ReadOutcome::Failed;
    }
    const DWORD waited = WaitForSingleObject(transfer->event.get(), limitMs);
    DWORD cancelWaited = waited;
    if (waited != WAIT_OBJECT_0) {
      CancelIoEx(device_.get(), &transfer->overlapped);
      cancelWaited =
          WaitForSingleObject(transfer->event.get(), Milliseconds(winhid::kCancelLimit));
    }
    bool finished = false;
    if (cancelWaited == WAIT_OBJECT_0) {
      finished = GetOverlappedResult(device_.get(), &transfer->overlapped, &transferred, FALSE);
      if (!finished) lastError_ = GetLastError();
    }
    const winhid::TransferEnd end = winhid::EndOfTransfer(waited, cancelWaited, finished);
    if (end.stranded) {
      // The driver may still write into the buffer and signal the event: both stay alive for
      // the rest of the process, on purpose.
      stranded_ = true;
      (void)transfer.release();
    } else if (end.outcome == ReadOutcome::Completed && into != nullptr) {
      std::copy_n(transfer->buffer.begin(),
                  std::min<std::size_t>({transferred, transfer->buffer.size(), into->size()}),
                  into->begin());
    }
    return end.outcome;
  }

  Handle device_;
  std::optional<Caps> caps_;
  std::uint32_t lastError_ = 0;
  bool stranded_ = false;
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
std::wstring InterfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interfaceData) {
  DWORD required = 0;
  SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, nullptr, 0, &required, nullptr);
  if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return {};
  // Storage aligned for the detail record, which starts with its fixed part's size.
  std::vector<std::uint64_t> storage((required + sizeof(std::uint64_t) - 1) /
                                     sizeof(std::uint64_t));
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  if (!SetupDiGetDeviceInterfaceDetailW(set, &interfaceData, detail, required, nullptr, nullptr)) {
    return {};
  }
  return detail->DevicePath;
}

// A handle without read or write access and without FILE_FLAG_OVERLAPPED: enough for the HidD_
// queries, given even for interfaces that the system keeps to itself, and touches nothing on the
// device.
Handle QueryHandle(const std::wstring& path) {
  return Handle(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr));
}

class WinHidPlatform final : public HidPlatform {
 public:
  std::vector<HidInterfaceInfo> enumerate() override {
    std::vector<HidInterfaceInfo> found;
    GUID hidClass{};
    HidD_GetHidGuid(&hidClass);
    const DeviceInfoSet set(hidClass);
    if (!set.valid()) {
      serviceFailure_ = "SetupDiGetClassDevs failed with error " + std::to_string(GetLastError());
      return found;
    }
    serviceFailure_.clear();
    for (DWORD index = 0;; ++index) {
      SP_DEVICE_INTERFACE_DATA interfaceData{};
      interfaceData.cbSize = sizeof interfaceData;
      // Fails with ERROR_NO_MORE_ITEMS after the last interface.
      if (!SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hidClass, index, &interfaceData)) {
        break;
      }
      const std::wstring path = InterfacePath(set.get(), interfaceData);
      if (path.empty()) continue;
      std::string utf8Path = Utf8FromWide(path);
      // Other interfaces are listed without their IDs and never opened: HID filter drivers can
      // make an open take seconds, and other people's keyboards and mice are none of ours.
      if (!winhid::PathMayBeVexaro(utf8Path)) {
        found.push_back({std::move(utf8Path), 0, 0});
        continue;
      }
      // An interface that cannot be opened or asked is left out, never matched on stale IDs.
      const Handle query = QueryHandle(path);
      if (!query.valid()) continue;
      HIDD_ATTRIBUTES attributes{};
      attributes.Size = sizeof attributes;
      if (!HidD_GetAttributes(query.get(), &attributes)) continue;
      found.push_back({std::move(utf8Path), attributes.VendorID, attributes.ProductID});
    }
    return found;
  }

  OpenResult open(const std::string& path) override {
    const std::wstring widePath = WideFromUtf8(path);
    Handle device(CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr));
    if (!device.valid()) return {nullptr, winhid::OpenErrorFromCode(GetLastError())};
    std::optional<Caps> caps;
    if (const Handle query = QueryHandle(widePath); query.valid()) caps = ReadCaps(query.get());
    return {std::make_unique<WinHidDevice>(std::move(device), caps), OpenError::Failed};
  }

  std::string serviceFailure() override { return serviceFailure_; }
  LockResult lockDevice(const std::string& path) override { return TryLockDevicePath(path); }

 private:
  std::string serviceFailure_;
};

}  // namespace

std::unique_ptr<HidPlatform> MakeWinHidPlatform() {
  return std::make_unique<WinHidPlatform>();
}

}  // namespace vexaro
