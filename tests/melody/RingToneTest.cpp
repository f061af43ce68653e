// The ring-tone reader: the worked example, the lenient note rules, the defaults numbers, the
// failures, the reader's robustness on any bytes, and the files it reads.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "melody/MelodyLoad.h"
#include "melody/RingTone.h"
#include "support/TestFiles.h"

namespace vexaro {
namespace {

// The parser's answer as its notes and its sentence ("" when the text parsed).
struct Parsed {
  std::vector<TuneNote> notes;
  std::string error;
};
Parsed Parse(std::string_view text, int raise) {
  auto parsed = ParseRingTone(text, raise);
  if (!parsed) return {{}, parsed.why()};
  return {*parsed, ""};
}

// Equal-temperament frequencies of octave 6, C to B.
constexpr double kOctave6[] = {1046.50, 1108.73, 1174.66, 1244.51, 1318.51, 1396.91,
                               1479.98, 1567.98, 1661.22, 1760.00, 1864.66, 1975.53};
constexpr double kC5 = 523.25;
// A quarter note at the initial tempo of 63 beats per minute.
constexpr double kQuarter63 = 240.0 / 63 / 4;

struct Note {
  double frequency;
  double length;
  bool pause = false;
};

void ExpectNotes(const std::string& text, int raise, const std::vector<Note>& expected) {
  const Parsed r = Parse(text, raise);
  const std::string what = text.substr(0, 60);
  EXPECT_EQ(r.error, "") << what;
  ASSERT_EQ(r.notes.size(), expected.size()) << what;
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_NEAR(r.notes[k].Frequency, expected[k].frequency, 0.01) << what << " note " << k + 1;
    EXPECT_NEAR(r.notes[k].Length, expected[k].length, 1e-9) << what << " note " << k + 1;
    EXPECT_EQ(r.notes[k].IsPause, expected[k].pause) << what << " note " << k + 1;
  }
}

TEST(ParseRingTone, WorkedExampleWithEveryLineEnd) {
  // clang-format off
  for (const char* text : {
           "name:d=4,o=5,b=100:8c6,8d6", "name:d=4,o=5,b=100:\r\n8c6\r\n8d6\r\n",
           "name:d=4,o=5,b=100:\r8c6\r8d6\r", "NAME:D=4,O=5,B=100:8C6,\n8D6",
           "  name:d=4, o=5,\tb=100:8c6,\r\n,,8d6\n\n", "name:d=4,o=5,b=100:\r\n8c6\t\r\n \t \r\n8d6 ",
           "name:d=4 ,o=5\t,b=100:8c6  ,8d6 \t\n",  // blanks before the comma or line end
       }) {
    // clang-format on
    ExpectNotes(text, 0, {{1046.50, 0.3}, {1174.66, 0.3}});
  }
}

// One note: its name, octave, duration, dot and pause, and the whole numbers of the defaults items.
TEST(ParseRingTone, OneNote) {
  const std::string b60 = "x:d=4,o=5,b=60\n";  // a quarter note lasts 1 s; the octave is 5
  // clang-format off
  const std::pair<std::string, Note> cases[] = {
      // Without defaults items: octave 6, 63 beats per minute, quarter notes. The last name of the
      // table found in an item wins.
      {"c", {kOctave6[0], kQuarter63}}, {"c#", {kOctave6[1], kQuarter63}}, {"d#", {kOctave6[3], kQuarter63}},
      {"f#", {kOctave6[6], kQuarter63}}, {"g#", {kOctave6[8], kQuarter63}}, {"a#", {kOctave6[10], kQuarter63}},
      {"A#", {kOctave6[10], kQuarter63}}, {"b", {kOctave6[11], kQuarter63}}, {"h", {kOctave6[11], kQuarter63}},
      {"H", {kOctave6[11], kQuarter63}}, {"e#", {kOctave6[4], kQuarter63}}, {"x", {kOctave6[0], kQuarter63}},
      {"ca", {kOctave6[9], kQuarter63}}, {"e+6", {kOctave6[4], kQuarter63}},
      {b60 + "c.6", {1046.50, 1.5}},     // octave from the last character
      {b60 + "c6.", {kC5, 1.5}},         // ends in a point: default octave
      {b60 + "c6 \t", {1046.50, 1.0}},  // blanks at the end are dropped
      {b60 + " \t c6", {1046.50, 1.0}}, // blanks before an item are skipped
      {b60 + "c3", {kC5, 1.0}}, {b60 + "c9", {kC5, 1.0}},  // 3 and 9 are no octave digits
      {b60 + "c4", {261.63, 1.0}}, {b60 + "c8", {4186.01, 1.0}}, {b60 + "32p", {1000.0, 0.125, true}},
      {b60 + "p", {1000.0, 1.0, true}}, {b60 + "8p.6", {1000.0, 0.75, true}}, {b60 + "05c", {kC5, 0.8}},
      {b60 + "3c", {kC5, 4.0 / 3}},      // any duration number is used
      {b60 + "128c", {kC5, 1.0 / 3}},    // a third digit is not read
      {b60 + "16a#.", {932.33, 0.375}},
      // Without a tempo item the tempo is 63.
      {"d= 8 :c", {1046.50, kQuarter63 / 2}}, {"d=\t+8\t:c", {1046.50, kQuarter63 / 2}},
      {"d=0008.:c", {1046.50, kQuarter63 / 2}}, {"d=4.5:c", {1046.50, kQuarter63}},  // halves to even
      {"d=5.5:c", {1046.50, kQuarter63 * 4 / 6}}, {"d=7.49:c", {1046.50, kQuarter63 * 4 / 7}},
      {"d=-2:c", {1046.50, -kQuarter63 * 2}},  // negative lengths are left to the encoder
      {"o=2:c", {65.41, kQuarter63}}, {"o=-.5:c", {16.35, kQuarter63}},  // any default octave
      {"b=120.4:c", {1046.50, 0.5}}, {"b=-60:c", {1046.50, -1.0}},
      {"o=5,b=30:d=1:c", {kC5, kQuarter63 * 4}},  // "d=" is taken first and cuts away "b=30"
  };
  // clang-format on
  for (const auto& [text, note] : cases) ExpectNotes(text, 0, {note});
}

TEST(ParseRingTone, DefaultsItemsAndNames) {
  // Defaults hold for every later note, on later lines too.
  ExpectNotes("c\nd=8,o=5,b=120\nc,e6\nd=2:c\n", 0,
              {{1046.50, kQuarter63}, {kC5, 0.25}, {1318.51, 0.25}, {kC5, 1.0}});
  // A name without its colon is a note: "Happy Birthday" holds a p, "Intro" no note letter.
  ExpectNotes("Happy Birthday, Song:d=4,o=5,b=100:c\nIntro, x:c", 0,
              {{1000.0, kQuarter63, true}, {kC5, 0.6}, {kC5, 0.6}, {kC5, 0.6}});
  // Only a raise of exactly 1 doubles the notes; never a pause.
  for (int raise : {1, 0, 2, -1, 257}) {
    const double factor = raise == 1 ? 2 : 1;
    ExpectNotes("c6,p,8c#4", raise,
                {{1046.50 * factor, kQuarter63},
                 {1000.0, kQuarter63, true},
                 {277.18 * factor, kQuarter63 / 2}});
  }
}

// The sentence, or "" when any sentence will do.
TEST(ParseRingTone, FailuresDeliverNoNotes) {
  // clang-format off
  const std::tuple<const char*, int, const char*> cases[] = {  // text, raise, sentence
      {"c,d=x:c", 0, "The default duration \"x\" is not a whole number."},
      {"d=:c", 0, "The default duration has no value."}, {"name:d=4,o=", 0, "The default octave has no value."},
      {"o=32768:c", 0, "The default octave \"32768\" lies outside -32768 to 32767."},
      {"o=32767.5:c", 0, ""}, {"b=99999999999999999999999:c", 0, ""}, {"d=0x10:c", 0, ""},
      {"d=1e1:c", 0, ""}, {"b=3 2:c", 0, ""}, {"b=1.2.3:c", 0, ""}, {"b=.:c", 0, ""}, {"o=+-1:c", 0, ""},
      {"c,b=0:c", 0, "A tempo of 0 beats per minute cannot be played."},
      {"c,0c", 0, "A duration number of 0 cannot be played."}, {"00c", 0, "A duration number of 0 cannot be played."},
      {"d=0.4:c", 0, "A duration number of 0 cannot be played."},
      {"c,o=32767:c", 0, "The frequency of note 2 is too large to compute."},
      {"o=32767:p", 0, ""},  // the frequency is computed before the pause replaces it
      {"o=1019:c", 1, ""},   // the raise overflows
  };
  // clang-format on
  for (const auto& [text, raise, error] : cases) {
    const Parsed r = Parse(text, raise);
    EXPECT_TRUE(r.notes.empty()) << text;
    EXPECT_TRUE(*error ? r.error == error : !r.error.empty()) << text << ": " << r.error;
  }
  EXPECT_EQ(Parse("o=1019:c", 0).error, "");
  EXPECT_EQ(Parse("o=-32768.5:c", 0).error, "");  // a frequency of 0 is no overflow
}

TEST(ParseRingTone, HowManyNotes) {
  std::string repeated;  // 1 MB
  for (int i = 0; i < (1 << 19); ++i) repeated += "c,";
  // clang-format off
  const std::pair<std::string, std::size_t> cases[] = {
      {"", 0}, {"name:d=4,o=5,b=100:\r\n", 0}, {" \t\n\r\n,,, ,\n", 0},
      {"name:d=4,o=5,b=0:", 0},  // a tempo of 0 fails only for a note
      {repeated.substr(0, 120), 50}, {std::string(1 << 20, 'c'), 1}, {repeated + "0c", 50},
      {repeated.substr(0, 100) + "0c,d=x", 50},  // nothing after the 50th note is read
  };
  // clang-format on
  for (const auto& [text, count] : cases) {
    const Parsed r = Parse(text, 0);
    EXPECT_EQ(r.error, "") << text.substr(0, 40);
    EXPECT_EQ(r.notes.size(), count) << text.substr(0, 40);
  }
}

TEST(LoadTuneFile, FilesThatCannotBeLoadedSayWhy) {
  // A file of `size` zero bytes that takes no room on the disk.
  const auto sparse = [](const std::string& name, std::uintmax_t size) {
    const std::string path = TestFile(name, "");
    std::filesystem::resize_file(path, size);
    return path;
  };
  constexpr std::uintmax_t kSixteenMiB = 16 * 1024 * 1024;
  const std::pair<std::string, const char*> cases[] = {
      {(TestFolder() / "no-such-tune.txt").string(), "There is no file"},
      {TestFolder().string(), "is not a file"},
      {TestFile("zero-tempo.txt", "x:d=4,o=5,b=0:c"), "tempo of 0"},
      {TestFile("zero-length.txt", "x:d=4,o=5,b=63:0c"), "duration number of 0"},
      {TestFile("negative.txt", "x:d=-4,o=5,b=63:c"), "Note 1 cannot be stored"},
      {sparse("over-16-mib.txt", kSixteenMiB + 1), "is too large to be a ring tone."},
  };
  for (const auto& [path, error] : cases) {
    const auto loaded = LoadTuneFile(path, 0);
    ASSERT_FALSE(loaded) << path;
    EXPECT_THAT(loaded.why(), ::testing::HasSubstr(error)) << path;
  }
  // 16 MiB itself is read: one item of zero bytes, a C.
  EXPECT_EQ(LoadTuneFile(sparse("16-mib.txt", kSixteenMiB), 0)->notes.size(), 1u);
}

}  // namespace
}  // namespace vexaro
