// The Windows platform's decisions that need no Windows: built and run on every platform.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <tuple>
#include <vector>

#include "link/ApiUSBRoutines.h"
#include "link/windows/WinHidReports.h"

namespace vexaro::winhid {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(WinHidReports, OpenErrorsAndWaitResults) {
  // clang-format off
  const std::pair<std::uint32_t, OpenError> opens[] = {
      {5, OpenError::NoPermission},   // ERROR_ACCESS_DENIED: the system keeps it, or a policy
      {32, OpenError::InUse},         // ERROR_SHARING_VIOLATION: held by another program
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

TEST(WinHidReports, EndOfTransferBoundsTheCancel) {
  constexpr std::uint32_t kDone = 0, kLate = 258, kWaitFailed = 0xFFFFFFFF;
  // clang-format off
  const std::tuple<const char*, std::uint32_t, std::uint32_t, bool, TransferEnd> cases[] = {  // wait, cancel wait, finished
      {"completed",                          kDone, kDone, true,  {ReadOutcome::Completed, false}},
      {"ended with an error",                kDone, kDone, false, {ReadOutcome::Failed, false}},
      {"cancelled in time",                  kLate, kDone, false, {ReadOutcome::TimedOut, false}},
      {"completed just at the deadline",     kLate, kDone, true,  {ReadOutcome::Completed, false}},
      {"the driver ignores the cancel",      kLate, kLate, false, {ReadOutcome::Failed, true}},
      {"wait failed, cancel ended it",       kWaitFailed, kDone, false, {ReadOutcome::Failed, false}},
      {"wait failed, cancel ignored",        kWaitFailed, kLate, false, {ReadOutcome::Failed, true}},
  };
  // clang-format on
  for (const auto& [name, wait, cancelWait, finished, expected] : cases)
    EXPECT_EQ(EndOfTransfer(wait, cancelWait, finished), expected) << name;
  EXPECT_LE(kWriteLimit.count(), 1000);  // a device that takes no report holds a command 1 s
}

// A path's IDs, which tell a notice of ours from others'; only ours are ever opened.
TEST(WinHidReports, OnlyPathsWithTheVexarosIdsAreOpened) {
  using Ids = std::optional<std::pair<std::uint16_t, std::uint16_t>>;
  const Ids ours{{0x04D8, 0x47A1}};
  // clang-format off
  const std::pair<const char*, Ids> paths[] = {
      {R"(\?\hid#vid_04d8&pid_47a1#7&2a7f1c2&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})", ours},
      {R"(\?\HID#VID_04D8&PID_47A1#7&2A7F1C2&0&0000#{4D1E55B2-F16F-11CF-88CB-001111000030})", ours},
      {R"(\?\hid#vid_046d&pid_c52b&mi_00#8&1f2e&0&0000#{x})", Ids{{0x046D, 0xC52B}}},
      {R"(\?\hid#vid_04d8&pid_47a2#1#{x})", Ids{{0x04D8, 0x47A2}}},   // one product further
      {R"(\?\hid#vid_04d9&pid_47a1#1#{x})", Ids{{0x04D9, 0x47A1}}},   // another maker
      {R"(\?\hid#pid_47a1&vid_04d8#1#{x})", std::nullopt},
      {R"(\?\hid#vid_04d8&pid_47a)", std::nullopt},
      {"", std::nullopt},
  };
  // clang-format on
  for (const auto& [path, ids] : paths) {
    EXPECT_EQ(IdsInPath(path), ids) << path;
    EXPECT_EQ(PathMayBeVexaro(path), ids == ours) << path;
  }
}

// What Windows lists for a device, as the link needs it: byte 0 of every write is outputId.
TEST(WinHidReports, LengthsFromCapsGiveTheOutputReportId) {
  // The lengths: input, output, numbered, outputId, outputReports, inputIdsDiffer.
  // clang-format off
  const std::tuple<const char*, CapsLengths, CapsReportIds, ReportLengths> cases[] = {
      {"unnumbered",                {9, 9},  {{0, 0}, {0}},       {9, 9, false, 0, 1, false}},
      {"numbered, one ID",          {9, 9},  {{3}, {3, 3, 3}},    {9, 9, true, 3, 1, false}},
      {"output of padding only",    {9, 9},  {{0}, {}},           {9, 9, false, 0, 1, false}},
      {"two output reports",        {9, 9},  {{2}, {5, 2}},       {9, 9, true, 2, 2, false}},
      {"input under another ID",    {9, 9},  {{4}, {3}},          {9, 9, true, 3, 1, true}},
      {"numbered input, no output", {9, 0},  {{1}, {}},           {9, 0, true, 0, 0, true}},
      {"no output report",          {9, 0},  {{0}, {}},           {9, 0, false, 0, 0, false}},
  };
  // clang-format on
  for (const auto& [name, caps, ids, expected] : cases)
    EXPECT_EQ(LengthsFromCaps(caps, ids), expected) << name;
}

TEST(WinHidReports, OutputBufferHasExactlyTheDevicesLength) {
  // clang-format off
  const std::tuple<const char*, Bytes, CapsLengths, std::optional<Bytes>> cases[] = {
      {"whole report", {0, 0x54, 3, 63, 0, 0, 0, 0, 0}, {9, 9}, Bytes{0, 0x54, 3, 63, 0, 0, 0, 0, 0}},
      {"shorter report padded", {0, 0x73, 1}, {9, 6}, Bytes{0, 0x73, 1, 0, 0, 0}},
      {"report one byte too long", {0, 0x54, 3, 63, 0, 0, 0}, {9, 6}, std::nullopt},
      {"no output report", {0, 0x73}, {9, 0}, std::nullopt},
      {"empty report", {}, {9, 9}, std::nullopt},
  };
  // clang-format on
  for (const auto& [name, report, caps, expected] : cases)
    EXPECT_EQ(OutputBuffer(report, caps), expected) << name;
}

}  // namespace
}  // namespace vexaro::winhid
