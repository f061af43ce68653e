// The melody's codes and image, the factory tune, the test beep's codes, the search for a
// ring-tone text that loads as a stored melody, and the melody's sound.

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
#include "melody/TuneSound.h"

namespace vexaro {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kQuarter63 = 240.0 / 63 / 4;

// "pitch,duration", or "none" when no codes can be formed.
std::string Show(const std::optional<NoteCodes>& codes) {
  if (!codes) return "none";
  return std::to_string(codes->PitchCode) + "," + std::to_string(codes->DurationCode);
}

std::string ShowWithLimits(const TuneNote& note) {
  const NoteLimits l = TuneNoteLimits(note).value_or(NoteLimits{});
  return Show(EncodeTuneNote(note)) + (l.lowestTone ? " lowest" : "") +
         (l.silenced ? " silent" : "") + (l.lengthCut ? " cut" : "") +
         (l.lengthRaised ? " raised" : "");
}

TEST(EncodeTuneNote, CodesAndTheirLimits) {
  // clang-format off
  const std::pair<TuneNote, const char*> cases[] = {
      {{1046.502, 0.3, false}, "119,20"}, {{1174.659, 0.3, false}, "106,22"},  // C6 and D6, quarters at 100
      {{1000.0, kQuarter63 / 2, true}, "0,30"},  // an eighth pause at 63
      {{440.0, 0.5, false}, "255,14 lowest"}, {{493.883, 0.5, false}, "253,15"},  // A4 capped, B4 not
      {{490.2, 0.5, false}, "255,15"}, {{489.3, 0.5, false}, "255,15"}, {{489.2, 0.5, false}, "255,15 lowest"},  // 255, 255.47, 255.52 ticks
      {{2093.005, kQuarter63, false}, "60,125"},  // C6 raised is C7
      {{4186.009, 4 * kQuarter63, false}, "30,255 cut"}, {{4186.009, 0.001, false}, "30,1 raised"},  // C8: capped, at least 1
      {{1000.0, 4.087, true}, "0,255"}, {{1000.0, 4.088, true}, "0,255 cut"},  // 255.44 and 255.5 units
      {{1000.0, 0.0081, true}, "0,1"}, {{1000.0, 0.008, true}, "0,1 raised"}, {{267904.6, 0.00375, false}, "0,63 silent"}, {{1e5, 0.001, false}, "1,6"},  // C14; 1.25 ticks
      {{2000.0, 0.008, false}, "63,1"}, {{512.0, 0.078125, false}, "244,2"}, {{512.0, 0.109375, false}, "244,4"},
      {{1000.0, -0.001, false}, "125,1 raised"}, {{3.815, 0.001, false}, "255,1 lowest raised"},  // rounds to 0; the lowest frequency
      {{1000.0, -1.0, false}, "none"}, {{0.0, 0.5, false}, "none"}, {{-440.0, 0.5, false}, "none"},
      {{3.81, 0.001, false}, "none"}, {{4000.0, 240.0, false}, "none"}, {{kNaN, 0.5, false}, "none"},  // beyond 16 bits
  };
  // clang-format on
  for (const auto& [note, codes] : cases) {
    EXPECT_EQ(ShowWithLimits(note), codes) << note.Frequency << " Hz, " << note.Length << " s";
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

// Pitch 119 for 20 units, a 2-unit pause, pitch 255 for 3 units: 38080, 4000 and 12240 ticks of
// 8 us, ending at 0.30464, 0.33664 and 0.43456 s, at 44.1 kHz samples 13434.6, 14845.8, 19164.1.
TEST(RenderTuneSound, EachToneAtTheDevicesFrequencyEachPauseSilent) {
  const TuneSound sound = RenderTuneSound(Image({119, 20, 0, 2, 255, 3}));
  ASSERT_EQ(sound.samples.size(), 19164u);
  ASSERT_EQ(sound.notes.size(), 3u);
  const struct {
    std::size_t first, count, periods;
    double hertz;  // 125000 / pitch code
  } cases[] = {{0, 13435, 320, 1050.42}, {13435, 1411, 0, 0}, {14846, 4318, 48, 490.196}};
  for (std::size_t k = 0; k < 3; ++k) {
    const auto& c = cases[k];
    EXPECT_EQ(std::pair(sound.notes[k].firstSample, sound.notes[k].samples),
              std::pair(c.first, c.count));
    std::vector<std::size_t> falls;  // where the wave goes from high to low
    std::size_t silent = 0;
    for (std::size_t i = c.first; i < c.first + c.count; ++i) {
      silent += sound.samples[i] == 0 ? 1 : 0;
      if (i > c.first && sound.samples[i - 1] > 0 && sound.samples[i] < 0) falls.push_back(i);
    }
    EXPECT_EQ(std::pair(falls.size(), silent), std::pair(c.periods, c.periods ? 0 : c.count)) << k;
    const double hertz =
        falls.size() < 2 ? 0 : (falls.size() - 1) * 44100.0 / (falls.back() - falls.front());
    EXPECT_NEAR(hertz, c.hertz, c.hertz * 0.005) << k;
  }
  // Each tone starts high; the first half period of pitch 119 (59.5 ticks) ends between samples
  // 20 (56.7 ticks) and 21 (59.52 ticks).
  const std::pair<std::size_t, int> levels[] = {{0, 8192},      {20, 8192},    {21, -8192},
                                                {13434, -8192}, {14846, 8192}, {19163, -8192}};
  for (const auto& [at, level] : levels) EXPECT_EQ(sound.samples[at], level) << at;
}

// PCM, mono, 44100 samples and 88200 bytes a second, 2 bytes and 16 bits a sample.
TEST(WaveFile, HeaderThenLittleEndianSamples) {
  // clang-format off
  const std::vector<std::uint8_t> expected = {'R', 'I', 'F', 'F', 42, 0, 0, 0, 'W', 'A', 'V', 'E',
      'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xac, 0, 0, 0x88, 0x58, 0x01, 0, 2, 0, 16, 0,
      'd', 'a', 't', 'a', 6, 0, 0, 0, 0x00, 0x20, 0x00, 0xe0, 0x01, 0x00};
  // clang-format on
  EXPECT_EQ(WaveFile(std::vector<std::int16_t>{8192, -8192, 1}), expected);
}

}  // namespace
}  // namespace vexaro
