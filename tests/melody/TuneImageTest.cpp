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
  // clang-format off
  const std::pair<TuneNote, const char*> cases[] = {
      {{1046.502, 0.3, false}, "119,20"}, {{1174.659, 0.3, false}, "106,22"},  // C6 and D6, quarters at 100
      {{1000.0, kQuarter63 / 2, true}, "0,30"},  // an eighth pause at 63
      {{440.0, 0.5, false}, "255,14"}, {{493.883, 0.5, false}, "253,15"},  // A4 capped, B4 not
      {{2093.005, kQuarter63, false}, "60,125"},  // C6 raised is C7
      {{4186.009, 4 * kQuarter63, false}, "30,255"}, {{4186.009, 0.001, false}, "30,1"},  // C8: capped, at least 1
      {{2000.0, 0.008, false}, "63,1"}, {{512.0, 0.078125, false}, "244,2"}, {{512.0, 0.109375, false}, "244,4"},
      {{1000.0, -0.001, false}, "125,1"}, {{3.815, 0.001, false}, "255,1"},  // rounds to 0; the lowest frequency
      {{1000.0, -1.0, false}, "none"}, {{0.0, 0.5, false}, "none"}, {{-440.0, 0.5, false}, "none"},
      {{3.81, 0.001, false}, "none"}, {{4000.0, 240.0, false}, "none"}, {{kNaN, 0.5, false}, "none"},  // beyond 16 bits
  };
  // clang-format on
  for (const auto& [note, codes] : cases) {
    EXPECT_EQ(Show(EncodeTuneNote(note)), codes)
        << note.Frequency << " Hz, " << note.Length << " s";
  }
}

// 43 notes, the closing pair, then zeros.
TEST(DefaultTuneImage, IsTheFactoryTune) {
  const TuneImage factory = DefaultTuneImage();
  EXPECT_EQ(std::vector(factory.begin(), factory.begin() + 4),
            (std::vector<std::uint8_t>{50, 23, 53, 22}));
  EXPECT_EQ(factory[84], 53);
  EXPECT_EQ(factory[85], 88);
  EXPECT_TRUE(std::all_of(factory.begin() + 86, factory.end(), [](int b) { return b == 0; }));
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
