#include "link/windows/WinHidReports.h"

#include <algorithm>

namespace vexaro::winhid {

OpenError OpenErrorFromCode(std::uint32_t lastError) {
  return lastError == kErrorAccessDenied || lastError == kErrorSharingViolation
             ? OpenError::NoPermission
             : OpenError::Failed;
}

ReadOutcome OutcomeOfWait(std::uint32_t waitResult) {
  switch (waitResult) {
    case kWaitObject0:
      return ReadOutcome::Completed;
    case kWaitTimeout:
      return ReadOutcome::TimedOut;
    default:
      return ReadOutcome::Failed;
  }
}

ReportLengths LengthsFromCaps(CapsLengths caps) {
  return {caps.input, caps.output, false};
}

std::optional<std::vector<std::uint8_t>> OutputBuffer(std::span<const std::uint8_t> report,
                                                      CapsLengths caps) {
  if (report.empty() || report.size() > caps.output) return std::nullopt;
  std::vector<std::uint8_t> buffer(caps.output, 0);
  std::copy(report.begin(), report.end(), buffer.begin());
  return buffer;
}

}  // namespace vexaro::winhid
