#pragma once
// The traffic trace: every report that crosses the link, one line each, the whole report in
// lower-case hex with the report-ID byte first, plus "hid: ..." lines for opens, closes, time-outs,
// failures, replies to another program dropped, and the reasons discovery passes a device by.
//
//   hid> 00 54 03 3f 00 00 00 00 00     report written to the device
//   hid< 00 06 00 00 00 00 00 00 00     report read from the device
//   hid: open /dev/hidraw3 (input 9, output 9)

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <string_view>

#include "link/HidPlatform.h"

namespace vexaro {

class TrafficTrace {
 public:
  TrafficTrace() = default;  // off
  explicit TrafficTrace(std::ostream* out) : out_(out) {}

  bool enabled() const { return out_ != nullptr; }
  void sent(std::span<const std::uint8_t> report);
  void received(std::span<const std::uint8_t> report);
  void note(std::string_view text);

 private:
  void reportLine(std::string_view prefix, std::span<const std::uint8_t> report);
  std::ostream* out_ = nullptr;
};

// Wraps a platform so that everything passing through it is traced. The wrapped platform must
// outlive the wrapper.
std::unique_ptr<HidPlatform> MakeTracingPlatform(HidPlatform& inner, TrafficTrace& trace);

}  // namespace vexaro
