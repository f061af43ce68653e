#include "link/windows/WinHidReports.h"

#include <algorithm>
#include <set>

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

ReportLengths LengthsFromCaps(CapsLengths caps, const CapsReportIds& ids) {
  ReportLengths lengths{caps.input, caps.output};
  const std::set<std::uint8_t> outputIds(ids.output.begin(), ids.output.end());
  if (!outputIds.empty()) {
    lengths.outputId = *outputIds.begin();
    lengths.outputReports = static_cast<int>(outputIds.size());
  } else if (caps.output > 0) {
    lengths.outputReports = 1;
  }
  const auto numbered = [](std::uint8_t id) { return id != 0; };
  lengths.numbered =
      std::ranges::any_of(ids.input, numbered) || std::ranges::any_of(ids.output, numbered);
  lengths.inputIdsDiffer =
      std::ranges::any_of(ids.input, [&](std::uint8_t id) { return id != lengths.outputId; });
  return lengths;
}

std::optional<std::vector<std::uint8_t>> OutputBuffer(std::span<const std::uint8_t> report,
                                                      CapsLengths caps) {
  if (report.empty() || report.size() > caps.output) return std::nullopt;
  std::vector<std::uint8_t> buffer(caps.output, 0);
  std::copy(report.begin(), report.end(), buffer.begin());
  return buffer;
}

}  // namespace vexaro::winhid
