#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace vexaro {

// Report byte lengths of a device, as the link transfers them: the largest report of each kind in
// bytes plus one byte for the report ID that leads every transfer. 0 when the device has no report
// of that kind.
struct ReportLengths {
  int input = 0;
  int output = 0;
  bool numbered = false;  // the descriptor declares Report IDs (input data then starts with the ID)

  friend bool operator==(const ReportLengths&, const ReportLengths&) = default;
};

// Parses a HID report descriptor. std::nullopt when the bytes are not a usable descriptor
// (an item cut off by the end of the buffer, Pop without Push, ...). Never reads outside
// `descriptor`.
std::optional<ReportLengths> ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace vexaro
