// The Windows platform's decisions that need no Windows: built and run on every platform.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "link/ApiUSBRoutines.h"
#include "link/windows/WinHidReports.h"

namespace vexaro::winhid {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(WinHidReports, OpenErrorsAndWaitResults) {
  // clang-format off
  const std::pair<std::uint32_t, OpenError> opens[] = {
      {5, OpenError::NoPermission},   // ERROR_ACCESS_DENIED
      {32, OpenError::NoPermission},  // ERROR_SHARING_VIOLATION: held by another program
      {2, OpenError::Failed},         // ERROR_FILE_NOT_FOUND: unplugged meanwhile
      {1167, OpenError::Failed},      // ERROR_DEVICE_NOT_CONNECTED
      {0, OpenError::Failed},
  };
  const std::pair<std::uint32_t, ReadOutcome> waits[] = {
      {0, ReadOutcome::Completed}, {258, ReadOutcome::TimedOut},          // WAIT_OBJECT_0, WAIT_TIMEOUT
      {0xFFFFFFFF, ReadOutcome::Failed}, {0x80, ReadOutcome::Failed},  // WAIT_FAILED, WAIT_ABANDONED
  };
  // clang-format on
  for (const auto& [code, expected] : opens) EXPECT_EQ(OpenErrorFromCode(code), expected) << code;
  for (const auto& [result, expected] : waits) EXPECT_EQ(OutcomeOfWait(result), expected) << result;
}

TEST(WinHidReports, OutputBufferHasExactlyTheDevicesLength) {
  struct Case {
    const char* name;
    Bytes report;
    CapsLengths caps;
    std::optional<Bytes> expected;
  };
  // clang-format off
  const Case cases[] = {
      {"whole report", {0, 0x54, 3, 63, 0, 0, 0, 0, 0}, {9, 9}, Bytes{0, 0x54, 3, 63, 0, 0, 0, 0, 0}},
      {"shorter report padded", {0, 0x73, 1}, {9, 6}, Bytes{0, 0x73, 1, 0, 0, 0}},
      {"report one byte too long", {0, 0x54, 3, 63, 0, 0, 0}, {9, 6}, std::nullopt},
      {"no output report", {0, 0x73}, {9, 0}, std::nullopt},
      {"empty report", {}, {9, 9}, std::nullopt},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(OutputBuffer(c.report, c.caps), c.expected) << c.name;
}

}  // namespace
}  // namespace vexaro::winhid
