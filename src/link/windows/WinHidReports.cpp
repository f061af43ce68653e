#include "link/windows/WinHidReports.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "link/DeviceContract.h"

namespace vexaro::winhid {

OpenError OpenErrorFromCode(std::uint32_t lastError) {
  switch (lastError) {
    case kErrorSharingViolation:
      return OpenError::InUse;
    case kErrorAccessDenied:
      return OpenError::NoPermission;
    default:
      return OpenError::Failed;
  }
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

TransferEnd EndOfTransfer(std::uint32_t waitResult, std::uint32_t cancelWaitResult, bool finished) {
  const ReadOutcome waited = OutcomeOfWait(waitResult);
  if (waited == ReadOutcome::Completed) {
    return {finished ? ReadOutcome::Completed : ReadOutcome::Failed, false};
  }
  if (OutcomeOfWait(cancelWaitResult) != ReadOutcome::Completed) return {ReadOutcome::Failed, true};
  // A report that arrived between the end of the wait and the cancellation is kept.
  return {finished ? ReadOutcome::Completed : waited, false};
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> IdsInPath(std::string_view path) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  // The four hex digits after the first `key` in `rest`; `rest` then starts after them.
  const auto idAfter = [&](std::string_view key,
                           std::string_view& rest) -> std::optional<std::uint16_t> {
    const auto at = std::search(rest.begin(), rest.end(), key.begin(), key.end(),
                                [&](char a, char b) { return lower(a) == b; });
    const auto offset = static_cast<std::size_t>(at - rest.begin()) + key.size();
    std::uint16_t id = 0;
    if (offset + 4 > rest.size()) return std::nullopt;
    const char* digits = rest.data() + offset;
    const auto [end, ec] = std::from_chars(digits, digits + 4, id, 16);
    if (ec != std::errc() || end != digits + 4) return std::nullopt;
    rest.remove_prefix(offset + 4);
    return id;
  };
  std::string_view rest = path;
  const std::optional<std::uint16_t> vendor = idAfter("vid_", rest);
  const std::optional<std::uint16_t> product = vendor ? idAfter("pid_", rest) : std::nullopt;
  if (!product) return std::nullopt;
  return std::pair{*vendor, *product};
}

bool PathMayBeVexaro(std::string_view path) {
  return IdsInPath(path) == std::pair{kVexaroVendorId, kVexaroProductId};
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
