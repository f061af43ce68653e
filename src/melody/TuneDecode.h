#pragma once
// A stored melody read back: the device's codes decoded into what it plays, and a ring-tone text
// that `load` stores as exactly the same 100 bytes, when such a text exists.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "melody/TuneImage.h"

namespace vexaro {

// One note of a stored melody as the device plays it.
struct StoredNote {
  NoteCodes codes;
  bool IsPause = false;
  // Hz: 1 / (pitch code x 8 us). A pause is timed as a 1000 Hz tone, so it shows 1000.
  double Frequency = 0;
  double Length = 0;  // seconds: duration code x 16 periods of the tone (16 ms for a pause)
  std::string Name;   // the nearest note in equal temperament, "C#6"; empty for a pause
};

struct StoredMelody {
  // The notes before the closing pair (the first pair whose duration code is 0); all 50 pairs
  // when there is none.
  std::vector<StoredNote> notes;
  // Image index of the first byte after the last note that is not 0. The device never plays it
  // and `load` always stores 0 there.
  std::optional<std::size_t> strayByte;
};

StoredMelody DecodeTuneImage(const TuneImage& image);

// One note as `parse` and `tune` print it and a backup file holds it ("1: 1046.50 Hz 0.3000 s
// tone pitch 119 duration 20"); a `name` that is not empty follows "tone". The same in every
// locale.
std::string NoteLine(std::size_t number, double frequency, double seconds, bool pause,
                     const NoteCodes& codes, const std::string& name = {});

struct RingToneText {
  std::string text;  // one line, e.g. "vexaro:d=8,o=6,b=100:c,d"
  int beatsPerMinute = 0;
  // One sentence for each note that `load` of `text` would not store exactly (and one for stray
  // bytes after the last note). Empty: `load` stores exactly the 100 bytes of the image.
  std::vector<std::string> inexact;
};

// Searches one tempo and, for every note, a name, an octave and a length (duration number 1 to
// 99, dotted or not) with which `load` stores exactly `image`. Standard lengths (1 to 32) and
// octaves that a note item can name (4 to 8) are preferred; other octaves are reached through
// "o=" items. When no tempo serves every note, the text takes the tempo that serves the most and
// the nearest codes for the rest, and says which notes are not exact and why.
RingToneText FindRingToneText(const TuneImage& image);

}  // namespace vexaro
