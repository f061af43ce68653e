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
  const struct {
    std::uint32_t lastError;
    OpenError expected;
  } opens[] = {
      {5, OpenError::NoPermission},   // ERROR_ACCESS_DENIED
      {32, OpenError::NoPermission},  // ERROR_SHARING_VIOLATION: held by another program
      {2, OpenError::Failed},         // ERROR_FILE_NOT_FOUND: unplugged meanwhile
      {1167, OpenError::Failed},      // ERROR_DEVICE_NOT_CONNECTED
      {0, OpenError::Failed},
  };
  for (const auto& c : opens) EXPECT_EQ(OpenErrorFromCode(c.lastError), c.expected) << c.lastError;

  const struct {
    std::uint32_t waitResult;
    ReadOutcome expected;
  } waits[] = {
      {0, ReadOutcome::Completed},        // WAIT_OBJECT_0
      {258, ReadOutcome::TimedOut},       // WAIT_TIMEOUT
      {0xFFFFFFFF, ReadOutcome::Failed},  // WAIT_FAILED
      {0x80, ReadOutcome::Failed},        // WAIT_ABANDONED
  };
  for (const auto& c : waits) EXPECT_EQ(OutcomeOfWait(c.waitResult), c.expected) << c.waitResult;
}

TEST(WinHidReports, LengthsAndReportIdsFromCaps) {
  const struct {
    const char* name;
    CapsLengths caps;
    CapsReportIds ids;  // {input, output}: one ID per capability entry
    ReportLengths expected;
  } cases[] = {
      // {input, output, numbered, output ID, output reports, input IDs differ}
      {"the Vexaro", {9, 9}, {{0, 0}, {0}}, {9, 9, false, 0, 1, false}},
      {"lengths kept apart", {17, 5}, {{0}, {0}}, {17, 5, false, 0, 1, false}},
      {"numbered, one ID both ways", {9, 9}, {{3}, {3, 3, 3}}, {9, 9, true, 3, 1, false}},
      {"two output reports, lowest named", {9, 9}, {{1}, {2, 1, 2}}, {9, 9, true, 1, 2, false}},
      {"one input report under another ID", {9, 9}, {{1, 2}, {1}}, {9, 9, true, 1, 1, true}},
      {"only output reports numbered", {0, 9}, {{}, {5}}, {0, 9, true, 5, 1, false}},
      {"output of padding alone", {9, 9}, {{0}, {}}, {9, 9, false, 0, 1, false}},
      {"no output report", {9, 0}, {{0}, {}}, {9, 0, false, 0, 0, false}},
  };
  for (const auto& c : cases) EXPECT_EQ(LengthsFromCaps(c.caps, c.ids), c.expected) << c.name;
  // The Vexaro's lengths pass the link's check; an output report too short for a command does not.
  EXPECT_TRUE(CheckReportLengths(LengthsFromCaps({9, 9}, {{0}, {0}})));
  EXPECT_EQ(CheckReportLengths(LengthsFromCaps({9, 2}, {{0}, {0}})).why(),
            "reports too short for a command (input 9, output 2)");
}

TEST(WinHidReports, OutputBufferHasExactlyTheDevicesLength) {
  const struct {
    const char* name;
    Bytes report;
    CapsLengths caps;
    std::optional<Bytes> expected;
  } cases[] = {
      {"whole report",
       {0, 0x54, 3, 63, 0, 0, 0, 0, 0},
       {9, 9},
       Bytes{0, 0x54, 3, 63, 0, 0, 0, 0, 0}},
      {"shorter report padded", {0, 0x73, 1}, {9, 6}, Bytes{0, 0x73, 1, 0, 0, 0}},
      {"report one byte too long", {0, 0x54, 3, 63, 0, 0, 0}, {9, 6}, std::nullopt},
      {"no output report", {0, 0x73}, {9, 0}, std::nullopt},
      {"empty report", {}, {9, 9}, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(OutputBuffer(c.report, c.caps), c.expected) << c.name;
}

}  // namespace
}  // namespace vexaro::winhid
