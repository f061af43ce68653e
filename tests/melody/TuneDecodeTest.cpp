// The search for a ring-tone text that loads as a stored melody. (The command-line tests check
// the notes that `tune` prints.)

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>

#include "melody/TuneDecode.h"

namespace vexaro {
namespace {

TuneImage Image(std::initializer_list<std::uint8_t> bytes) {
  TuneImage image{};
  std::copy(bytes.begin(), bytes.end(), image.begin());
  return image;
}

// Fifty notes, pauses and C6 by turns, 30 units each: no closing pair.
TuneImage Fifty() {
  TuneImage image{};
  for (std::size_t i = 0; i < image.size(); i += 2) image[i] = i % 4 ? 119 : 0, image[i + 1] = 30;
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
      {"fifty notes and no closing pair", Fifty(), ""},
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
