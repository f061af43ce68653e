// The melody's codes and image, the factory tune, the test beep's codes, and the search for a
// ring-tone text that loads as a stored melody.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "melody/RingTone.h"
#include "melody/TuneDecode.h"
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

TuneImage Image(std::initializer_list<std::uint8_t> bytes) {
  TuneImage image{};
  std::copy(bytes.begin(), bytes.end(), image.begin());
  return image;
}

// The judge of every text is the loader itself: the text, parsed and encoded, gives the image, and
// a text that cannot give it still loads.
TEST(FindRingToneText, LoadsAsTheSameBytesOrSaysWhichNotesCannot) {
  struct Case {
    const char* what;
    TuneImage image;
    const char* inexact;  // a part of the one sentence; "" when the text loads as the image
  };
  // clang-format off
  const Case cases[] = {
      {"two notes", Image({119, 20, 106, 22}), ""},
      {"the factory tune, which no ring tone made", DefaultTuneImage(), ""},
      {"no notes", TuneImage{}, ""},
      {"fifty notes, pauses and C6 by turns, and no closing pair", [] { TuneImage image{}; for (std::size_t i = 0; i < image.size(); i += 2) image[i] = i % 4 ? 119 : 0, image[i + 1] = 30; return image; }(), ""},
      {"a pitch code only octave 9 gives, first", Image({15, 40, 119, 20}), ""},
      {"a pitch code only octave 9 gives, later", Image({119, 20, 15, 40}), ""},
      {"two pauses that only tempo 2 serves", Image({0, 76, 0, 126}), ""},
      {"a pitch code no note gives", Image({119, 20, 118, 20}),
       "note 2 (pitch code 118, 1059.32 Hz): no note is played with this pitch code; the nearest, C6, has 119."},
      {"the longest and the shortest pause need tempos far apart", Image({0, 255, 0, 1}), "duration code"},
      {"a tempo too slow for the shortest length of a very high note", Image({0, 255, 1, 61}), "note 2 ("},
      {"a pitch code in the closing pair", Image({60, 0}),
       "the bytes after the last note are not all 0 (address 28 holds 60); a load stores 0 there."},
      {"a byte after the closing pair", Image({119, 20, 0, 0, 7}),
       "the bytes after the last note are not all 0 (address 32 holds 7); a load stores 0 there."},
  };
  // clang-format on
  for (const Case& c : cases) {
    const RingToneText found = FindRingToneText(c.image);
    const auto parsed = ParseRingTone(found.text, 0);
    ASSERT_TRUE(parsed) << c.what << ": " << found.text << ": " << parsed.why();
    const auto loaded = MakeTuneImage(*parsed);
    ASSERT_TRUE(loaded) << c.what << ": " << found.text << ": " << loaded.why();
    if (*c.inexact) {
      EXPECT_THAT(found.inexact, ::testing::ElementsAre(::testing::HasSubstr(c.inexact))) << c.what;
    } else {
      EXPECT_THAT(found.inexact, ::testing::IsEmpty()) << c.what;
      EXPECT_EQ(*loaded, c.image) << c.what << ": " << found.text;
    }
  }
}

}  // namespace
}  // namespace vexaro
