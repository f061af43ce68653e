#pragma once
// How the answers of the Windows HID service become the link's: which failed opens mean "no
// permission", how a wait for a transfer ended, and how the link's reports meet the exact report
// lengths that Windows insists on. Plain C++ with the Win32 numbers spelled out, so that it builds
// and is tested on every platform; WinHidPlatform.cpp checks the numbers against windows.h.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "link/HidPlatform.h"

namespace vexaro::winhid {

// GetLastError() values after a failed CreateFile.
inline constexpr std::uint32_t kErrorAccessDenied = 5;       // ERROR_ACCESS_DENIED
inline constexpr std::uint32_t kErrorSharingViolation = 32;  // ERROR_SHARING_VIOLATION

// WaitForSingleObject results.
inline constexpr std::uint32_t kWaitObject0 = 0;    // WAIT_OBJECT_0: the transfer has ended
inline constexpr std::uint32_t kWaitTimeout = 258;  // WAIT_TIMEOUT

// A write reaches the device within milliseconds; one that takes longer (a device that takes no
// more reports) is cancelled and counts as failed, and the link then skips the read.
inline constexpr std::chrono::milliseconds kWriteLimit{1000};

// How long a cancelled transfer may take to end. A driver that ignores the cancel must not hang
// the program.
inline constexpr std::chrono::milliseconds kCancelLimit{500};

// Why CreateFile refused a HID interface. A sharing violation means that another program opened
// it without sharing; access denied means that Windows keeps the collection to itself (keyboards,
// mice) or a policy forbids it. Everything else is a plain failure.
OpenError OpenErrorFromCode(std::uint32_t lastError);

// How the wait for an overlapped transfer ended: signalled is Completed, the time limit TimedOut,
// anything else (WAIT_FAILED, an abandoned wait) Failed.
ReadOutcome OutcomeOfWait(std::uint32_t waitResult);

// How a transfer ends. `waitResult` is the first wait's; when it was not WAIT_OBJECT_0 the
// transfer was cancelled (CancelIoEx) and `cancelWaitResult` is the wait for that, bounded by
// kCancelLimit. `finished` is what GetOverlappedResult returned once the event was signalled: its
// TRUE alone is success, whatever byte count the driver reports.
//
// A transfer that did not end even after the cancel is still pending inside the driver: it may
// write into its buffer and signal its event at any later time. It is `stranded`: its buffer,
// OVERLAPPED and event are kept alive for the rest of the process, the handle takes no further
// transfer, and the outcome is Failed, so that the link searches for the device again (opening new
// handles) instead of waiting behind it.
struct TransferEnd {
  ReadOutcome outcome = ReadOutcome::Failed;
  bool stranded = false;
  friend bool operator==(const TransferEnd&, const TransferEnd&) = default;
};
TransferEnd EndOfTransfer(std::uint32_t waitResult, std::uint32_t cancelWaitResult, bool finished);

// The vendor and product IDs in a USB HID interface path ("vid_04d8&pid_47a1", in any case);
// none when the path has none (a Bluetooth or virtual interface).
std::optional<std::pair<std::uint16_t, std::uint16_t>> IdsInPath(std::string_view path);

// Whether a device interface path may belong to a Vexaro: USB HID paths carry the IDs as
// "vid_04d8&pid_47a1", in any case. Only such interfaces are opened to read their IDs (which
// HidD_GetAttributes then confirms); other people's keyboards and mice are never opened.
bool PathMayBeVexaro(std::string_view path);

// The report lengths of HIDP_CAPS: InputReportByteLength and OutputReportByteLength, both counting
// the report-ID byte, as ReportLengths does. 0 when the interface has no report of that kind.
struct CapsLengths {
  std::uint16_t input = 0;
  std::uint16_t output = 0;
};

// The ReportID of every HIDP_VALUE_CAPS and HIDP_BUTTON_CAPS entry of an interface, by report
// kind, in any order and with repeats (one entry per field). 0 means unnumbered reports.
struct CapsReportIds {
  std::vector<std::uint8_t> input;
  std::vector<std::uint8_t> output;
};

// The link's view of an interface's reports: the lengths of HIDP_CAPS, and from the report IDs
// its output report ID (the lowest), how many output reports it has (distinct IDs) and whether an
// input report comes under another ID. A report of nothing but padding has no capability entry;
// an output length without any entry counts as one unnumbered report. `numbered` tells whether any
// report has an ID; Windows puts the report-ID byte first in every input report either way.
ReportLengths LengthsFromCaps(CapsLengths caps, const CapsReportIds& ids);

// WriteFile on a HID interface takes exactly OutputReportByteLength bytes: the link's report,
// report-ID byte first, padded with zeros to that length. std::nullopt when the report is empty,
// longer than the device's (it would lose bytes), or the device has no output report.
std::optional<std::vector<std::uint8_t>> OutputBuffer(std::span<const std::uint8_t> report,
                                                      CapsLengths caps);

}  // namespace vexaro::winhid
