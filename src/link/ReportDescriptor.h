#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace vexaro {

// Report byte lengths of a device, as the link transfers them: the largest report of each kind in
// bytes plus one byte for the report ID that leads every transfer. 0 when the device has no report
// of that kind. With them, what the link needs to know of the report IDs.
struct ReportLengths {
  int input = 0;
  int output = 0;
  bool numbered = false;  // the descriptor declares Report IDs (input data then starts with the ID)
  // Byte 0 of every output report: the output report's ID, 0 when the reports are unnumbered (the
  // lowest ID when there are several output reports).
  std::uint8_t outputId = 0;
  int outputReports = 0;  // how many output reports the descriptor declares (one per report ID)
  bool inputIdsDiffer = false;  // an input report is declared under another ID than outputId

  friend bool operator==(const ReportLengths&, const ReportLengths&) = default;
};

// Parses a HID report descriptor. std::nullopt when the bytes are not a usable descriptor
// (an item cut off by the end of the buffer, Pop without Push, a Report ID of 0 or above 255,
// ...). Never reads outside `descriptor`.
std::optional<ReportLengths> ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace vexaro
