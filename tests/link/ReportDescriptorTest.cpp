// The report descriptor parser: report lengths, IDs, and descriptors it refuses.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "link/ReportDescriptor.h"

namespace vexaro {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Vendor page device: 8-byte input and 8-byte output report, no report IDs.
const Bytes kVendorDevice = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x01,
                             0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x08,
                             0x81, 0x02, 0x09, 0x02, 0x95, 0x08, 0x91, 0x02, 0xC0};

TEST(ReportDescriptor, ComputesReportLengths) {
  // The lengths: {input, output, numbered, output ID, output reports, input IDs differ}.
  struct Case {
    const char* name;
    Bytes descriptor;
    ReportLengths expected;
  };
  // clang-format off
  const Case cases[] = {
      {"vendor device", kVendorDevice, {9, 9, false, 0, 1, false}},
      // ID 1: 4 input + 4 output bytes, ID 2: 16 input bytes; IDs 1 and 2 must not be summed.
      {"numbered, largest wins", {0x85, 0x01, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0x91, 0x02, 0x85, 0x02, 0x95, 0x10, 0x81, 0x02}, {17, 5, true, 1, 1, true}},
      // 3 + 5 + 1 bits = 9 bits -> 2 bytes.
      {"bit-packed rounds up", {0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x75, 0x05, 0x95, 0x01, 0x81, 0x03, 0x75, 0x01, 0x81, 0x02}, {3, 0, false}},
      // Inside Push: 16 bits x 4; after Pop the 8 bits x 2 are back.
      {"pop restores size and count", {0x75, 0x08, 0x95, 0x02, 0xA4, 0x75, 0x10, 0x95, 0x04, 0x81, 0x02, 0xB4, 0x91, 0x02}, {9, 3, false, 0, 1, false}},
      // The long item's data looks like Input and Output items and must not count.
      {"long item skipped", {0x75, 0x08, 0x95, 0x02, 0xFE, 0x03, 0x10, 0x81, 0x02, 0x91, 0x81, 0x02}, {3, 0, false}},
      {"huge sizes saturate", {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02, 0x91, 0x02}, {65536, 65536, false, 0, 1, false}},
      {"numbered, one ID both ways", {0x85, 0x03, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0x91, 0x02}, {9, 9, true, 3, 1, false}},
      // Output reports 2 and 1: the lowest ID is named, the count tells there are two.
      {"two output reports", {0x75, 0x08, 0x95, 0x02, 0x85, 0x02, 0x81, 0x02, 0x91, 0x02, 0x85, 0x01, 0x91, 0x02}, {3, 3, true, 1, 2, true}},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(ParseReportDescriptor(c.descriptor), c.expected) << c.name;
  }
}

TEST(ReportDescriptor, RejectsUnusableDescriptors) {
  // clang-format off
  const std::pair<const char*, Bytes> cases[] = {
      {"pop without push", {0xB4}}, {"more pops than pushes", {0xA4, 0xB4, 0xB4}},
      {"push without bound", Bytes(1000, 0xA4)}, {"4-byte item cut off", {0x27, 0xFF, 0xFF}},
      {"long item data cut off", {0xFE, 0x05, 0x10, 0x01, 0x02}}, {"long item header cut off", {0xFE, 0x05}},
      {"report ID 0", {0x85, 0x00, 0x75, 0x08, 0x95, 0x01, 0x91, 0x02}},
      {"report ID above 255", {0x86, 0x00, 0x01, 0x75, 0x08, 0x95, 0x01, 0x91, 0x02}},
  };
  // clang-format on
  for (const auto& [name, descriptor] : cases) {
    EXPECT_FALSE(ParseReportDescriptor(descriptor).has_value()) << name;
  }
}

}  // namespace
}  // namespace vexaro
