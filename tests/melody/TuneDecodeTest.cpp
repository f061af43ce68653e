// A stored melody read back into notes, and the search for a ring-tone text that loads as it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>

#include "melody/DefaultTune.h"
#include "melody/TuneDecode.h"

namespace vexaro {
namespace {

using ::testing::HasSubstr;

TuneImage Image(std::initializer_list<std::uint8_t> bytes) {
  TuneImage image{};
  std::copy(bytes.begin(), bytes.end(), image.begin());
  return image;
}

TEST(DecodeTuneImage, PlayedFrequencyLengthAndNearestNote) {
  struct Expected {
    double frequency;
    double length;
    const char* name;  // "" for a pause
  };
  struct Case {
    const char* what;
    TuneImage image;
    std::vector<Expected> notes;
    std::optional<std::size_t> strayByte;
  };
  TuneImage full{};
  for (std::size_t i = 0; i < full.size(); i += 2) full[i] = 45, full[i + 1] = 52;
  const Case cases[] = {
      {"two notes and the closing pair",
       Image({119, 20, 106, 22}),
       {{1050.420168, 0.30464, "C6"}, {1179.245283, 0.298496, "D6"}},
       {}},
      {"a pause counts 16 ms units; every low tone plays 490 Hz",
       Image({0, 30, 255, 16, 253, 1}),
       {{1000, 0.48, ""}, {490.196078, 0.52224, "B4"}, {494.071146, 0.032384, "B4"}},
       {}},
      {"a byte after the closing pair", Image({50, 23, 0, 0, 0, 5}), {{2500, 0.1472, "D#7"}}, 5},
      {"a pitch code in the closing pair", Image({60, 0}), {}, 0},
      {"fifty notes fill the image",
       full,
       std::vector<Expected>(50, {2777.777778, 0.29952, "F7"}),
       {}},
  };
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
    std::vector<const char*> inexact;  // a part of each sentence, in order
  };
  TuneImage fifty{};
  for (std::size_t i = 0; i < fifty.size(); i += 2) fifty[i] = i % 4 ? 119 : 0, fifty[i + 1] = 30;
  const Case cases[] = {
      {"two notes", Image({119, 20, 106, 22}), {}},
      {"the factory tune, which no ring tone made", DefaultTuneImage(), {}},
      {"no notes", TuneImage{}, {}},
      {"fifty notes and no closing pair", fifty, {}},
      {"a pitch code only octave 9 gives, first", Image({15, 40, 119, 20}), {}},
      {"a pitch code only octave 9 gives, later", Image({119, 20, 15, 40}), {}},
      {"a pitch code no note gives",
       Image({119, 20, 118, 20}),
       {"note 2 (pitch code 118, 1059.32 Hz): no note is played with this pitch code; the "
        "nearest, C6, has 119."}},
      {"the longest and the shortest pause need tempos far apart",
       Image({0, 255, 0, 1}),
       {"duration code"}},
      {"a tempo too slow for the shortest length of a very high note",
       Image({0, 255, 1, 61}),
       {"note 2 ("}},
      {"a byte after the closing pair",
       Image({119, 20, 0, 0, 7}),
       {"the bytes after the last note are not all 0 (address 32 holds 7); a load stores 0 "
        "there."}},
  };
  for (const Case& c : cases) {
    const RingToneText found = FindRingToneText(c.image);
    const Result<std::vector<TuneNote>> parsed = ParseRingTone(found.text, 0);
    ASSERT_TRUE(parsed) << c.what << ": " << found.text << ": " << parsed.why();
    const Result<TuneImage> loaded = MakeTuneImage(*parsed);
    ASSERT_TRUE(loaded) << c.what << ": " << found.text << ": " << loaded.why();
    ASSERT_EQ(found.inexact.size(), c.inexact.size()) << c.what << ": " << found.text;
    for (std::size_t i = 0; i < c.inexact.size(); ++i) {
      EXPECT_THAT(found.inexact[i], HasSubstr(c.inexact[i])) << c.what;
    }
    if (c.inexact.empty()) {
      EXPECT_EQ(*loaded, c.image) << c.what << ": " << found.text;
    }
  }
}

}  // namespace
}  // namespace vexaro
