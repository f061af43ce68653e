// The melody's codes and image, the factory tune and the test beep's codes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "common/NumberText.h"
#include "melody/DefaultTune.h"
#include "melody/RingTone.h"
#include "melody/TuneImage.h"

namespace vexaro {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Show(const std::optional<NoteCodes>& codes) {
  if (!codes) return "nullopt";
  return std::to_string(codes->PitchCode) + "," + std::to_string(codes->DurationCode);
}

std::optional<NoteCodes> Codes(int pitch, int duration) {
  return NoteCodes{static_cast<std::uint8_t>(pitch), static_cast<std::uint8_t>(duration)};
}

TEST(EncodeTuneNote, CodesAndTheirLimits) {
  struct Case {
    const char* what;
    TuneNote note;
    std::optional<NoteCodes> codes;
  };
  const double quarter63 = 240.0 / 63 / 4;
  const Case cases[] = {
      {"C6 quarter at 100", {1046.502, 0.3, false}, Codes(119, 20)},
      {"D6 quarter at 100", {1174.659, 0.3, false}, Codes(106, 22)},
      {"eighth pause at 63", {1000.0, quarter63 / 2, true}, Codes(0, 30)},
      {"pause timed at 1000 Hz", {0.0, quarter63 / 2, true}, Codes(0, 30)},
      {"A4 capped", {440.0, 0.5, false}, Codes(255, 14)},
      {"489 Hz capped", {489.0, 0.5, false}, Codes(255, 15)},
      {"B4", {493.883, 0.5, false}, Codes(253, 15)},
      {"raised C6 is C7", {2093.005, quarter63, false}, Codes(60, 125)},
      {"whole C8 at 63 capped", {4186.009, 4 * quarter63, false}, Codes(30, 255)},
      {"short note at least 1", {4186.009, 0.001, false}, Codes(30, 1)},
      {"2000 Hz rounds up", {2000.0, 0.008, false}, Codes(63, 1)},
      {"half to even, down", {512.0, 0.078125, false}, Codes(244, 2)},
      {"half to even, up", {512.0, 0.109375, false}, Codes(244, 4)},
      {"tiny negative length rounds to 0", {1000.0, -0.001, false}, Codes(125, 1)},
      {"lowest frequency", {3.815, 0.001, false}, Codes(255, 1)},
      {"negative length", {1000.0, -1.0, false}, std::nullopt},
      {"negative pause", {1000.0, -1.0, true}, std::nullopt},
      {"frequency 0", {0.0, 0.5, false}, std::nullopt},
      {"negative frequency", {-440.0, 0.5, false}, std::nullopt},
      {"period beyond 16 bits", {3.81, 0.001, false}, std::nullopt},
      {"count beyond 16 bits", {4000.0, 240.0, false}, std::nullopt},
      {"frequency NaN", {kNaN, 0.5, false}, std::nullopt},
      {"length NaN", {1000.0, kNaN, false}, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(Show(EncodeTuneNote(c.note)), Show(c.codes)) << c.what;
}

TEST(MakeTuneImage, WorkedExampleAndZeroTail) {
  const Result<TuneImage> r = MakeTuneImage(*ParseRingTone("name:d=4,o=5,b=100:8c6,8d6", 0));
  ASSERT_TRUE(r) << r.why();
  TuneImage expected{};
  expected[0] = 119, expected[1] = 20, expected[2] = 106, expected[3] = 22;
  EXPECT_EQ(*r, expected);

  const Result<TuneImage> none = MakeTuneImage({});
  ASSERT_TRUE(none) << none.why();
  EXPECT_EQ(*none, TuneImage{});
}

TEST(MakeTuneImage, RaisedC6IsStoredAsC7) {
  const TuneImage raised = *MakeTuneImage(*ParseRingTone("c6", 1));
  EXPECT_EQ(raised, *MakeTuneImage(*ParseRingTone("c7", 0)));
  EXPECT_EQ(raised[0], 60);
  EXPECT_EQ(raised[1], 125);
}

TEST(MakeTuneImage, FiftyNotesFillTheImage) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "8c6,";
  const Result<TuneImage> r = MakeTuneImage(*ParseRingTone(text, 0));
  ASSERT_TRUE(r) << r.why();
  for (std::size_t i = 0; i < r->size(); i += 2) {
    EXPECT_EQ((*r)[i], 119) << i;
    EXPECT_EQ((*r)[i + 1], 31) << i;  // no closing pair
  }
}

TEST(MakeTuneImage, FailuresNameTheNote) {
  const TuneNote good{1000.0, 0.5, false};
  struct Case {
    std::vector<TuneNote> notes;
    const char* error;
  };
  const Case cases[] = {
      {{good, good, {1000.0, -1.0, false}}, "Note 3 cannot be stored: its length is negative."},
      {{good, {0.0, 0.5, false}}, "Note 2 cannot be stored: its frequency is not positive."},
      {{{0.5, 0.5, false}}, "Note 1 cannot be stored: its frequency is too low."},
      {{good, {4000.0, 240.0, false}},
       "Note 2 cannot be stored: its length is too long for its "
       "frequency."},
      {std::vector<TuneNote>(51, good),
       "The melody has 51 notes, more than the 50 the device "
       "can store."},
  };
  for (const Case& c : cases) {
    const Result<TuneImage> r = MakeTuneImage(c.notes);
    ASSERT_FALSE(r) << c.error;
    EXPECT_EQ(r.why(), c.error);
  }
}

TEST(DefaultTuneImage, FactoryBytesThenZeros) {
  const TuneImage image = DefaultTuneImage();
  EXPECT_TRUE(std::equal(kDefaultTune.begin(), kDefaultTune.end(), image.begin()));
  EXPECT_TRUE(std::all_of(image.begin() + 86, image.end(), [](int b) { return b == 0; }));
  EXPECT_EQ(image[0], 50);
  EXPECT_EQ(image[85], 88);
}

TEST(BeepCodes, NoLowerLimitOnDurationAndNoCapOnPitch) {
  struct Case {
    double frequency;
    double seconds;
    std::optional<NoteCodes> codes;
  };
  const Case cases[] = {
      {*LeadingNumber("1568 (G6)"), *LeadingNumber("0.125 (1/8)"), Codes(80, 12)},
      {2000, 0.25, Codes(63, 31)},
      {5000, 1.0, Codes(25, 255)},
      {500, 0.032, Codes(250, 1)},
      {490, 0.032, Codes(255, 1)},
      {1000, 0.001, Codes(125, 0)},
      {1024, 0.0390625, Codes(122, 2)},  // 2.5 goes to the even 2
      {489.2, 0.5, std::nullopt},
      {400, 0.5, std::nullopt},
      {0, 0.5, std::nullopt},
      {1000, -1.0, std::nullopt},
      {5000, 200.0, std::nullopt},  // beyond 16 bits before the limit of 255
      {kNaN, 0.5, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Show(BeepCodes(c.frequency, c.seconds)), Show(c.codes))
        << c.frequency << " Hz, " << c.seconds << " s";
  }
}

}  // namespace
}  // namespace vexaro
