// The melody's codes and image, the factory tune and the test beep's codes.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "melody/RingTone.h"
#include "melody/TuneImage.h"

namespace vexaro {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kQuarter63 = 240.0 / 63 / 4;

// "pitch,duration", or "none" when no codes can be formed.
std::string Show(const std::optional<NoteCodes>& codes) {
  if (!codes) return "none";
  return std::to_string(codes->PitchCode) + "," + std::to_string(codes->DurationCode);
}

TEST(EncodeTuneNote, CodesAndTheirLimits) {
  struct Case {
    const char* what;
    TuneNote note;
    const char* codes;
  };
  // clang-format off
  const Case cases[] = {
      {"C6 quarter at 100", {1046.502, 0.3, false}, "119,20"}, {"D6 quarter at 100", {1174.659, 0.3, false}, "106,22"},
      {"eighth pause at 63", {1000.0, kQuarter63 / 2, true}, "0,30"}, {"pause timed at 1000 Hz", {0.0, kQuarter63 / 2, true}, "0,30"},
      {"A4 capped", {440.0, 0.5, false}, "255,14"}, {"489 Hz capped", {489.0, 0.5, false}, "255,15"},
      {"B4", {493.883, 0.5, false}, "253,15"}, {"raised C6 is C7", {2093.005, kQuarter63, false}, "60,125"},
      {"whole C8 at 63 capped", {4186.009, 4 * kQuarter63, false}, "30,255"}, {"short note at least 1", {4186.009, 0.001, false}, "30,1"},
      {"2000 Hz rounds up", {2000.0, 0.008, false}, "63,1"}, {"half to even, down", {512.0, 0.078125, false}, "244,2"},
      {"half to even, up", {512.0, 0.109375, false}, "244,4"}, {"tiny negative length", {1000.0, -0.001, false}, "125,1"},
      {"lowest frequency", {3.815, 0.001, false}, "255,1"}, {"negative length", {1000.0, -1.0, false}, "none"},
      {"negative pause", {1000.0, -1.0, true}, "none"}, {"frequency 0", {0.0, 0.5, false}, "none"},
      {"negative frequency", {-440.0, 0.5, false}, "none"}, {"period beyond 16 bits", {3.81, 0.001, false}, "none"},
      {"count beyond 16 bits", {4000.0, 240.0, false}, "none"}, {"frequency NaN", {kNaN, 0.5, false}, "none"},
      {"length NaN", {1000.0, kNaN, false}, "none"},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(Show(EncodeTuneNote(c.note)), c.codes) << c.what;
}

TEST(MakeTuneImage, WorkedExamplesFiftyNotesAndTheFactoryTune) {
  TuneImage expected{};
  expected[0] = 119, expected[1] = 20, expected[2] = 106, expected[3] = 22;
  EXPECT_EQ(MakeTuneImage(ParseRingTone("name:d=4,o=5,b=100:8c6,8d6", 0).notes).image, expected);
  EXPECT_EQ(MakeTuneImage({}).image, TuneImage{});
  // With the octave raised, C6 is stored exactly as C7.
  const TuneImage raised = MakeTuneImage(ParseRingTone("c6", 1).notes).image;
  EXPECT_EQ(raised, MakeTuneImage(ParseRingTone("c7", 0).notes).image);
  EXPECT_EQ(raised[0], 60);
  EXPECT_EQ(raised[1], 125);

  // Fifty notes fill the image: no closing pair.
  std::string fifty;
  for (int i = 0; i < 50; ++i) fifty += "8c6,";
  const TuneImageResult full = MakeTuneImage(ParseRingTone(fifty, 0).notes);
  EXPECT_EQ(full.error, "");
  TuneImage fiftyC6{};
  for (std::size_t i = 0; i < fiftyC6.size(); ++i) fiftyC6[i] = i % 2 ? 31 : 119;
  EXPECT_EQ(full.image, fiftyC6);

  // The factory tune: 43 notes, the closing pair, then zeros.
  const TuneImage factory = DefaultTuneImage();
  EXPECT_EQ(std::vector(factory.begin(), factory.begin() + 4),
            (std::vector<std::uint8_t>{50, 23, 53, 22}));
  EXPECT_EQ(factory[84], 53);
  EXPECT_EQ(factory[85], 88);
  EXPECT_TRUE(std::all_of(factory.begin() + 86, factory.end(), [](int b) { return b == 0; }));
}

TEST(MakeTuneImage, FailuresNameTheNote) {
  const TuneNote good{1000.0, 0.5, false};
  // clang-format off
  const std::pair<std::vector<TuneNote>, const char*> cases[] = {
      {{good, good, {1000.0, -1.0, false}}, "Note 3 cannot be stored: its length is negative."},
      {{good, {0.0, 0.5, false}}, "Note 2 cannot be stored: its frequency is not positive."},
      {{{0.5, 0.5, false}}, "Note 1 cannot be stored: its frequency is too low."},
      {{good, {4000.0, 240.0, false}}, "Note 2 cannot be stored: its length is too long for its frequency."},
      {std::vector<TuneNote>(51, good), "The melody has 51 notes, more than the 50 the device can store."},
  };
  // clang-format on
  for (const auto& [notes, error] : cases) {
    const TuneImageResult r = MakeTuneImage(notes);
    EXPECT_EQ(r.error, error);
    EXPECT_EQ(r.image, TuneImage{}) << error;
  }
}

// The test beep: no lower limit on the duration code and no cap on the pitch code.
TEST(BeepCodes, OfTheTwoBoxes) {
  // clang-format off
  const std::tuple<double, double, const char*> cases[] = {  // Hz, seconds, codes
      {1568, 0.125, "80,12"}, {2000, 0.25, "63,31"}, {5000, 1.0, "25,255"}, {500, 0.032, "250,1"},
      {490, 0.032, "255,1"}, {1000, 0.001, "125,0"}, {1024, 0.0390625, "122,2"},  // 2.5 to the even 2
      {489.2, 0.5, "none"}, {400, 0.5, "none"}, {0, 0.5, "none"}, {1000, -1.0, "none"},
      {5000, 200.0, "none"},  // beyond 16 bits before the limit of 255
      {kNaN, 0.5, "none"},
  };
  // clang-format on
  for (const auto& [frequency, seconds, codes] : cases) {
    EXPECT_EQ(Show(BeepCodes(frequency, seconds)), codes)
        << frequency << " Hz, " << seconds << " s";
  }
}

}  // namespace
}  // namespace vexaro
