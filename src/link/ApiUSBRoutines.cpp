#include "link/ApiUSBRoutines.h"

#include <algorithm>
#include <array>
#include <utility>

#include "link/DeviceContract.h"

namespace vexaro {

bool IsVexaro(const HidInterfaceInfo& info) {
  return info.vendorId == kVexaroVendorId && info.productId == kVexaroProductId;
}

bool SameDevicePath(const std::string& a, const std::string& b) {
#ifdef _WIN32
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
#else
  return a == b;
#endif
}

Result<void> CheckReportLengths(const std::optional<ReportLengths>& lengths) {
  if (!lengths) return Failure{"its report descriptor cannot be read"};
  const std::string sizes = " (input " + std::to_string(lengths->input) + ", output " +
                            std::to_string(lengths->output) + ")";
  if (lengths->input > kMaxReportLength || lengths->output > kMaxReportLength) {
    return Failure{"reports longer than " + std::to_string(kMaxReportLength) + " bytes" + sizes};
  }
  if (lengths->input < kMinInputReportLength || lengths->output < kMinOutputReportLength) {
    return Failure{"reports too short for a command" + sizes};
  }
  // The link writes one kind of output report and takes every input report as the reply.
  if (lengths->outputReports > 1) {
    return Failure{std::to_string(lengths->outputReports) +
                   " output reports, where one is expected"};
  }
  // Among numbered reports an output report without an ID cannot be addressed.
  if (lengths->numbered && lengths->outputReports > 0 && lengths->outputId == 0) {
    return Failure{"an output report without a report ID among numbered reports"};
  }
  if (lengths->inputIdsDiffer) {
    return Failure{"input reports under another report ID than the output report (" +
                   std::to_string(lengths->outputId) + ")"};
  }
  return {};
}

bool ApiUSBRoutines::FindDevice() {
  // Handles left open by a read that failed without a time-out are of no more use.
  CloseDeviceHandles();
  link_.DeviceDetected = false;
  link_.NoAccessPath.clear();
  link_.NoAccessError = OpenError::NoPermission;
  link_.UnusablePath.clear();
  link_.UnusableReason.clear();

  // The enumeration already carries every interface's IDs, so only a matching interface is ever
  // opened: other people's keyboards and mice are not touched.
  const std::vector<HidInterfaceInfo> interfaces = platform_.enumerate();
  link_.ServiceFailure = platform_.serviceFailure();  // as the enumeration found it
  for (const HidInterfaceInfo& candidate : interfaces) {
    if (!onlyPath_.empty() && !SameDevicePath(candidate.path, onlyPath_)) continue;
    if (IsVexaro(candidate) && openMatch(candidate)) {
      link_.DeviceDetected = true;
      return true;
    }
  }
  return false;
}

bool ApiUSBRoutines::openMatch(const HidInterfaceInfo& candidate) {
  // The first device passed by is the one a user is told about.
  const auto passBy = [&](const std::string& reason) {
    trace_.note("skipping " + candidate.path + ": " + reason);
    if (link_.UnusablePath.empty()) {
      link_.UnusablePath = candidate.path;
      link_.UnusableReason = reason;
    }
    return false;
  };

  OpenResult first = platform_.open(candidate.path);
  if (!first.device) {
    if (first.error == OpenError::Failed) return passBy("it cannot be opened");
    if (link_.NoAccessPath.empty()) {
      link_.NoAccessPath = candidate.path;
      link_.NoAccessError = first.error;
    }
    return false;
  }

  const auto lengths = first.device->reportLengths();
  if (const Result<void> usable = CheckReportLengths(lengths); !usable) return passBy(usable.why());

  OpenResult second = platform_.open(candidate.path);
  if (!second.device) return passBy("it cannot be opened");  // `first` closes as it goes

  link_.WriteHandle = std::move(first.device);
  link_.ReadHandle = std::move(second.device);
  link_.InputReportLength = static_cast<std::int16_t>(lengths->input);
  link_.OutputReportLength = static_cast<std::int16_t>(lengths->output);
  link_.OutputReportId = lengths->outputId;
  link_.DevicePath = candidate.path;
  return true;
}

void ApiUSBRoutines::WriteOutputReport(std::initializer_list<std::uint8_t> leadingBytes) {
  std::copy_n(leadingBytes.begin(), std::min(leadingBytes.size(), link_.OutputReport.size()),
              link_.OutputReport.begin());
  std::array<std::uint8_t, kMaxReportLength> report{};
  report[0] = link_.OutputReportId;
  const auto length =
      static_cast<std::size_t>(std::clamp<int>(link_.OutputReportLength, 0, kMaxReportLength));
  for (std::size_t i = 1; i < length; ++i) report[i] = link_.OutputReport[i - 1];
  HidDevice* const handle = link_.WriteHandle.get();
  bool written = true;
  if (handle != nullptr) {
    wait([&] { written = handle->write(std::span(report.data(), length)); });
  }
  lastWriteFailed_ = !written;
}

void ApiUSBRoutines::wait(const std::function<void()>& call) {
  if (waiter_) {
    waiter_(call);
  } else {
    call();
  }
}

void ApiUSBRoutines::ReadInputReport() {
  std::array<std::uint8_t, kMaxReportLength> report{};
  const auto length =
      static_cast<std::size_t>(std::clamp<int>(link_.InputReportLength, 0, kMaxReportLength));

  // With no handle (the device was lost earlier), or after a write that did not complete, the
  // read can only end as a time-out; there is no point in waiting for it.
  const bool skip = std::exchange(lastWriteFailed_, false);
  if (skip) trace_.note("read skipped: the write did not complete");
  ReadOutcome outcome = ReadOutcome::TimedOut;
  if (HidDevice* const handle = link_.ReadHandle.get(); handle != nullptr && !skip) {
    wait([&] { outcome = handle->read(std::span(report.data(), length), readLimit_); });
  }
  switch (outcome) {
    case ReadOutcome::Completed:
      break;
    case ReadOutcome::TimedOut:
      if (link_.ReadHandle) link_.ReadHandle->cancel();
      CloseDeviceHandles();
      link_.DeviceDetected = false;
      break;
    case ReadOutcome::Failed:
      // The handles stay open; nothing may still complete into the buffer after this. (The
      // window may have closed them while the read waited.)
      if (link_.ReadHandle) link_.ReadHandle->cancel();
      link_.DeviceDetected = false;
      break;
  }
  // The report-ID byte is dropped; a report that did not arrive leaves zeros.
  for (std::size_t i = 1; i < length; ++i) link_.InputReport[i - 1] = report[i];
}

void ApiUSBRoutines::CloseDeviceHandles() {
  link_.WriteHandle.reset();
  link_.ReadHandle.reset();
}

DeviceHold::DeviceHold(DeviceHold&& other) noexcept
    : usb_(std::exchange(other.usb_, nullptr)), refusal_(std::move(other.refusal_)) {}

DeviceHold& DeviceHold::operator=(DeviceHold&& other) noexcept {
  if (this != &other) {
    if (usb_ != nullptr) usb_->releaseHold();
    usb_ = std::exchange(other.usb_, nullptr);
    refusal_ = std::move(other.refusal_);
  }
  return *this;
}

DeviceHold::~DeviceHold() {
  if (usb_ != nullptr) usb_->releaseHold();
}

DeviceHold ApiUSBRoutines::holdDevice(std::chrono::milliseconds wait,
                                      const std::function<void(const std::string&)>& waiting) {
  if (holds_ == 0) {
    LockResult taken =
        WaitForLock([this] { return platform_.lockDevice(link_.DevicePath); }, wait, waiting);
    if (!taken.lock) return DeviceHold(std::move(taken));
    lock_ = std::move(taken.lock);
    if (link_.ReadHandle && link_.InputReportLength > 0) {
      link_.ReadHandle->dropWaitingReports(static_cast<std::size_t>(link_.InputReportLength));
    }
  }
  ++holds_;
  return DeviceHold(this);
}

void ApiUSBRoutines::releaseHold() {
  if (--holds_ == 0) lock_.reset();
}

std::uint8_t ApiUSBRoutines::plainTransfer(std::initializer_list<std::uint8_t> leadingBytes) {
  WriteOutputReport(leadingBytes);
  ReadInputReport();
  return link_.InputReport[0];
}

}  // namespace vexaro
