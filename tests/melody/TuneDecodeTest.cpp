// A stored melody read back into notes, and the search for a ring-tone text that loads as it.

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

// Fifty pairs of `pitch` (every other one a pause when `pauses`) and `duration`: no closing pair.
TuneImage Fifty(std::uint8_t pitch, std::uint8_t duration, bool pauses = false) {
  TuneImage image{};
  for (std::size_t i = 0; i < image.size(); i += 2) {
    image[i] = pauses && i % 4 == 0 ? 0 : pitch;
    image[i + 1] = duration;
  }
  return image;
}

TEST(DecodeTuneImage, PlayedFrequencyLengthAndNearestNote) {
  struct Note {
    double frequency;
    double length;
    const char* name;  // "" for a pause
  };
  struct Case {
    const char* what;
    TuneImage image;
    std::vector<Note> notes;
    std::optional<std::size_t> strayByte;
  };
  // clang-format off
  const Case cases[] = {
      {"two notes and the closing pair", Image({119, 20, 106, 22}), {{1050.420168, 0.30464, "C6"}, {1179.245283, 0.298496, "D6"}}, {}},
      {"a pause counts 16 ms units; every low tone plays 490 Hz", Image({0, 30, 255, 16, 253, 1}),
       {{1000, 0.48, ""}, {490.196078, 0.52224, "B4"}, {494.071146, 0.032384, "B4"}}, {}},
      {"a byte after the closing pair", Image({50, 23, 0, 0, 0, 5}), {{2500, 0.1472, "D#7"}}, 5},
      {"a pitch code in the closing pair", Image({60, 0}), {}, 0},
      {"fifty notes fill the image", Fifty(45, 52), std::vector<Note>(50, {2777.777778, 0.29952, "F7"}), {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    const StoredMelody melody = DecodeTuneImage(c.image);
    ASSERT_EQ(melody.notes.size(), c.notes.size()) << c.what;
    for (std::size_t k = 0; k < c.notes.size(); ++k) {
      EXPECT_NEAR(melody.notes[k].Frequency, c.notes[k].frequency, 1e-6) << c.what << k;
      EXPECT_NEAR(melody.notes[k].Length, c.notes[k].length, 1e-9) << c.what << k;
      EXPECT_EQ(melody.notes[k].Name, c.notes[k].name) << c.what << k;
      EXPECT_EQ(melody.notes[k].IsPause, *c.notes[k].name == '\0') << c.what << k;
    }
    EXPECT_EQ(melody.strayByte, c.strayByte) << c.what;
  }
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
      {"fifty notes and no closing pair", Fifty(119, 30, true), ""},
      {"a pitch code only octave 9 gives, first", Image({15, 40, 119, 20}), ""},
      {"a pitch code only octave 9 gives, later", Image({119, 20, 15, 40}), ""},
      {"a pitch code no note gives", Image({119, 20, 118, 20}),
       "note 2 (pitch code 118, 1059.32 Hz): no note is played with this pitch code; the nearest, C6, has 119."},
      {"the longest and the shortest pause need tempos far apart", Image({0, 255, 0, 1}), "duration code"},
      {"a tempo too slow for the shortest length of a very high note", Image({0, 255, 1, 61}), "note 2 ("},
      {"a byte after the closing pair", Image({119, 20, 0, 0, 7}),
       "the bytes after the last note are not all 0 (address 32 holds 7); a load stores 0 there."},
  };
  // clang-format on
  for (const Case& c : cases) {
    const RingToneText found = FindRingToneText(c.image);
    const RingToneResult parsed = ParseRingTone(found.text, 0);
    ASSERT_EQ(parsed.error, "") << c.what << ": " << found.text;
    const TuneImageResult loaded = MakeTuneImage(parsed.notes);
    ASSERT_EQ(loaded.error, "") << c.what << ": " << found.text;
    if (*c.inexact) {
      EXPECT_THAT(found.inexact, ::testing::ElementsAre(::testing::HasSubstr(c.inexact))) << c.what;
    } else {
      EXPECT_THAT(found.inexact, ::testing::IsEmpty()) << c.what;
      EXPECT_EQ(loaded.image, c.image) << c.what << ": " << found.text;
    }
  }
}

}  // namespace
}  // namespace vexaro
