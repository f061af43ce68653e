// The ring-tone reader: the worked examples, the lenient note rules, the defaults numbers, the
// failures, and the reader's robustness on any bytes.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

#include "melody/RingTone.h"

namespace vexaro {
namespace {

constexpr double kHz = 0.01;
constexpr double kSeconds = 1e-9;

// Equal-temperament frequencies of octave 6, C to B.
constexpr double kOctave6[] = {1046.50, 1108.73, 1174.66, 1244.51, 1318.51, 1396.91,
                               1479.98, 1567.98, 1661.22, 1760.00, 1864.66, 1975.53};

struct Expected {
  double frequency;
  double length;
  bool pause;
};

void ExpectNote(const TuneNote& note, const Expected& e, const std::string& what) {
  EXPECT_NEAR(note.Frequency, e.frequency, kHz) << what;
  EXPECT_NEAR(note.Length, e.length, kSeconds) << what;
  EXPECT_EQ(note.IsPause, e.pause) << what;
}

// A parse's notes, or none and its sentence ("" when it succeeded).
struct Parsed {
  std::vector<TuneNote> notes;
  std::string error;
};
Parsed Parse(std::string_view text, int raiseOctave) {
  Result<std::vector<TuneNote>> r = ParseRingTone(text, raiseOctave);
  if (!r) return {{}, r.why()};
  return {*std::move(r), ""};
}

// The one note `text` yields.
TuneNote OnlyNote(const std::string& text, int raiseOctave = 0) {
  const Parsed r = Parse(text, raiseOctave);
  EXPECT_EQ(r.error, "") << text;
  EXPECT_EQ(r.notes.size(), 1u) << text;
  return r.notes.empty() ? TuneNote{} : r.notes[0];
}

std::string Repeat(const std::string& item, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += item;
  return text;
}

TEST(ParseRingTone, WorkedExampleWithEveryLineEnd) {
  const std::string texts[] = {
      "name:d=4,o=5,b=100:8c6,8d6",
      "name:d=4,o=5,b=100:8c6,8d6\n",
      "name:d=4,o=5,b=100:\r\n8c6\r\n8d6\r\n",
      "name:d=4,o=5,b=100:\r8c6\r8d6\r",
      "NAME:D=4,O=5,B=100:8C6,\n8D6",
      "  name:d=4, o=5,\tb=100:8c6,\r\n,,8d6\n\n",
      "name:d=4 ,o=5\t,b=100:8c6  ,8d6 \t\n",  // blanks before the comma or line end
      "name:d=4,o=5,b=100:\r\n8c6\t\r\n \t \r\n8d6 ",
  };
  for (const std::string& text : texts) {
    const Parsed r = Parse(text, 0);
    EXPECT_EQ(r.error, "") << text;
    ASSERT_EQ(r.notes.size(), 2u) << text;
    ExpectNote(r.notes[0], {1046.50, 0.3, false}, text);
    ExpectNote(r.notes[1], {1174.66, 0.3, false}, text);
  }
}

TEST(ParseRingTone, NoteNamesLastTableRowWins) {
  struct Case {
    const char* item;
    int index;
  };
  const Case cases[] = {
      {"c", 0},  {"c#", 1}, {"d", 2},   {"d#", 3},  {"e", 4},   {"f", 5},  {"f#", 6},
      {"g", 7},  {"g#", 8}, {"a", 9},   {"a#", 10}, {"b", 11},  {"h", 11}, {"H", 11},
      {"e#", 4}, {"x", 0},  {"A#", 10}, {"ca", 9},  {"e+6", 4},
  };
  // No defaults items: octave 6, 63 beats per minute, quarter notes; a leading 8 changes only
  // the length.
  for (const Case& c : cases) {
    ExpectNote(OnlyNote(c.item), {kOctave6[c.index], 240.0 / 63 / 4, false}, c.item);
    const std::string eighth = std::string("8") + c.item;
    ExpectNote(OnlyNote(eighth), {kOctave6[c.index], 240.0 / 63 / 8, false}, eighth);
  }
}

TEST(ParseRingTone, OctaveDurationDotAndPause) {
  struct Case {
    const char* item;
    Expected note;
  };
  // Default octave 5; at 60 beats per minute a quarter note lasts 1 s.
  const Case cases[] = {
      {"c.6", {1046.50, 1.5, false}},     // octave from the last character
      {"c6.", {523.25, 1.5, false}},      // ends in a point: default octave
      {"c6 \t", {1046.50, 1.0, false}},   // blanks at the end are dropped
      {" \t c6", {1046.50, 1.0, false}},  // blanks before an item are skipped
      {"c3", {523.25, 1.0, false}},       // 3 and 9 are no octave digits
      {"c9", {523.25, 1.0, false}},       {"c4", {261.63, 1.0, false}},
      {"c8", {4186.01, 1.0, false}},      {"32p", {1000.0, 0.125, true}},
      {"p", {1000.0, 1.0, true}},         {"8p.6", {1000.0, 0.75, true}},
      {"3c", {523.25, 4.0 / 3, false}},    // any duration number is used
      {"128c", {523.25, 1.0 / 3, false}},  // a third digit is not read
      {"05c", {523.25, 0.8, false}},      {"16a#.", {932.33, 0.375, false}},
  };
  for (const Case& c : cases) {
    ExpectNote(OnlyNote(std::string("x:d=4,o=5,b=60\n") + c.item), c.note, c.item);
  }
}

TEST(ParseRingTone, DefaultsHoldForLaterNotesOnLaterLines) {
  const Parsed r = Parse("c\nd=8,o=5,b=120\nc,e6\nd=2:c\n", 0);
  EXPECT_EQ(r.error, "");
  ASSERT_EQ(r.notes.size(), 4u);
  ExpectNote(r.notes[0], {1046.50, 240.0 / 63 / 4, false}, "initial defaults");
  ExpectNote(r.notes[1], {523.25, 0.25, false}, "after the defaults line");
  ExpectNote(r.notes[2], {1318.51, 0.25, false}, "explicit octave");
  ExpectNote(r.notes[3], {523.25, 1.0, false}, "second tone's duration");
}

TEST(ParseRingTone, NameWithoutColonIsANote) {
  const Parsed r = Parse("Happy Birthday, Song:d=4,o=5,b=100:c\nIntro, x:c", 0);
  EXPECT_EQ(r.error, "");
  ASSERT_EQ(r.notes.size(), 4u);
  ExpectNote(r.notes[0], {1000.0, 240.0 / 63 / 4, true}, "holds a p");
  ExpectNote(r.notes[1], {523.25, 0.6, false}, "c");
  ExpectNote(r.notes[2], {523.25, 0.6, false}, "no note letter: C");
}

TEST(ParseRingTone, RaiseDoublesOnlyWhenOne) {
  struct Case {
    int raise;
    double c6;
    double cSharp4;
  };
  const Case cases[] = {{1, 2093.00, 554.37},
                        {0, 1046.50, 277.18},
                        {2, 1046.50, 277.18},
                        {-1, 1046.50, 277.18},
                        {257, 1046.50, 277.18}};
  for (const Case& c : cases) {
    const Parsed r = Parse("c6,p,8c#4", c.raise);
    ASSERT_EQ(r.notes.size(), 3u) << c.raise;
    EXPECT_NEAR(r.notes[0].Frequency, c.c6, kHz) << c.raise;
    EXPECT_EQ(r.notes[1].Frequency, 1000.0) << c.raise;
    EXPECT_NEAR(r.notes[2].Frequency, c.cSharp4, kHz) << c.raise;
  }
}

TEST(ParseRingTone, DefaultsValuesAreWholeNumbers) {
  struct Case {
    const char* item;  // followed by ":c"
    double frequency;
    double length;
  };
  const double quarter63 = 240.0 / 63 / 4;
  const Case cases[] = {
      {"d= 8 ", 1046.50, 240.0 / 63 / 8},
      {"d=\t+8\t", 1046.50, 240.0 / 63 / 8},
      {"d=0008.", 1046.50, 240.0 / 63 / 8},
      {"d=4.5", 1046.50, 240.0 / 63 / 4},  // halves to even
      {"d=5.5", 1046.50, 240.0 / 63 / 6},
      {"d=7.49", 1046.50, 240.0 / 63 / 7},
      {"d=-2", 1046.50, -240.0 / 63 / 2},  // negative lengths are left to the encoder
      {"o=2", 65.41, quarter63},           // any default octave
      {"o=-.5", 16.35, quarter63},
      {"b=120.4", 1046.50, 0.5},
      {"b=-60", 1046.50, -1.0},
      {"o=5,b=30:d=1", 523.25, 240.0 / 63},  // "d=" is taken first and cuts away "b=30"
  };
  for (const Case& c : cases) {
    const TuneNote note = OnlyNote(std::string(c.item) + ":c");
    EXPECT_NEAR(note.Frequency, c.frequency, kHz) << c.item;
    EXPECT_NEAR(note.Length, c.length, kSeconds) << c.item;
  }
}

TEST(ParseRingTone, FailuresDeliverNoNotes) {
  struct Case {
    const char* text;
    int raise;
    const char* error;  // the sentence, or "" when any sentence will do
  };
  const Case cases[] = {
      {"c,d=x:c", 0, "The default duration \"x\" is not a whole number."},
      {"d=:c", 0, "The default duration has no value."},
      {"name:d=4,o=", 0, "The default octave has no value."},
      {"o=32768:c", 0, "The default octave \"32768\" lies outside -32768 to 32767."},
      {"o=32767.5:c", 0, ""},
      {"b=99999999999999999999999:c", 0, ""},
      {"d=0x10:c", 0, ""},
      {"d=1e1:c", 0, ""},
      {"b=3 2:c", 0, ""},
      {"b=1.2.3:c", 0, ""},
      {"b=.:c", 0, ""},
      {"o=+-1:c", 0, ""},
      {"c,b=0:c", 0, "A tempo of 0 beats per minute cannot be played."},
      {"c,0c", 0, "A duration number of 0 cannot be played."},
      {"00c", 0, "A duration number of 0 cannot be played."},
      {"d=0.4:c", 0, "A duration number of 0 cannot be played."},
      {"c,o=32767:c", 0, "The frequency of note 2 is too large to compute."},
      {"o=32767:p", 0, ""},  // the frequency is computed before the pause replaces it
      {"o=1019:c", 1, ""},   // the raise overflows
  };
  for (const Case& c : cases) {
    const Parsed r = Parse(c.text, c.raise);
    EXPECT_TRUE(r.notes.empty()) << c.text;
    if (*c.error) {
      EXPECT_EQ(r.error, c.error) << c.text;
    } else {
      EXPECT_NE(r.error, "") << c.text;
    }
  }
  EXPECT_EQ(Parse("o=1019:c", 0).error, "");
  EXPECT_EQ(Parse("o=-32768.5:c", 0).error, "");  // a frequency of 0 is no overflow
}

TEST(ParseRingTone, HowManyNotes) {
  struct Case {
    std::string text;
    std::size_t notes;
  };
  const std::string fifty = Repeat("c,", 50);
  const Case cases[] = {
      {"", 0},
      {"name:d=4,o=5,b=100:", 0},
      {"name:d=4,o=5,b=100:\r\n", 0},
      {"name:d=4,o=5,b=0:", 0},  // a tempo of 0 fails only for a note
      {" \t\n\r\n,,, ,\n", 0},
      {Repeat("c,", 60), 50},
      {fifty + "0c,d=x", 50},  // nothing after the 50th note is read
      {std::string(1 << 20, 'c'), 1},
      {Repeat("c,", 1 << 19) + "0c", 50},
  };
  for (const Case& c : cases) {
    const Parsed r = Parse(c.text, 0);
    EXPECT_EQ(r.error, "") << c.text.substr(0, 40);
    EXPECT_EQ(r.notes.size(), c.notes) << c.text.substr(0, 40);
  }
}

TEST(ParseRingTone, AnyBytesAreText) {
  // Embedded NULs are ordinary characters; the item "\0" is a C in the default octave.
  const Parsed nul = Parse(std::string("o=5,4p,\0,8d6\0\n8c\0"
                                       "6",
                                       18),
                           0);
  ASSERT_EQ(nul.notes.size(), 4u);
  ExpectNote(nul.notes[1], {523.25, 240.0 / 63 / 4, false}, "NUL item");
  ExpectNote(nul.notes[2], {587.33, 240.0 / 63 / 8, false}, "NUL at the end: default octave");
  ExpectNote(nul.notes[3], {1046.50, 240.0 / 63 / 8, false}, "after a NUL");

  // A 1 MB item: its first two and last characters count. (Random bytes: the fuzz target.)
  const TuneNote longItem = OnlyNote("16" + std::string(1 << 20, 'x') + "5");
  ExpectNote(longItem, {523.25, 240.0 / 63 / 16, false}, "1 MB item");
}

TEST(ParseRingTone, SongCollection) {
  std::ifstream file(VEXARO_DATA_DIR "/rtttl-songs.txt", std::ios::binary);
  ASSERT_TRUE(file) << "rtttl-songs.txt is missing";
  const std::string contents{std::istreambuf_iterator<char>(file), {}};

  // The first tone alone has more than 50 notes: 16b5 and 16d#6 alternate with others at 130.
  const Parsed whole = Parse(contents, 0);
  EXPECT_EQ(whole.error, "");
  ASSERT_EQ(whole.notes.size(), 50u);
  ExpectNote(whole.notes[0], {987.77, 240.0 / 130 / 16, false}, "16b5");
  ExpectNote(whole.notes[1], {1244.51, 240.0 / 130 / 16, false}, "16d#6");
}

}  // namespace
}  // namespace vexaro
