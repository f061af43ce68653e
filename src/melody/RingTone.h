#pragma once
// Reads a ring-tone text file (a name, defaults items "d=", "o=", "b=" and a comma-separated list
// of notes such as 8c6, 4p or 16a#.) into at most 50 notes with a frequency and a length.
//
// The reader is lenient: it never rejects a note for its form. It looks for known pieces of text
// anywhere in an item, takes the octave only from an item's last character and the duration only
// from its first two characters, and falls back to the defaults in force for whatever it does not
// find. The only failures are defaults values that are not whole numbers and arithmetic that
// cannot be done (a tempo or duration number of 0, a frequency that overflows).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/Result.h"

namespace vexaro {

// One note or pause of a melody.
struct TuneNote {
  double Frequency = 0;  // hertz, already doubled when the octave is raised; 1000.0 for a pause
  double Length = 0;     // seconds
  bool IsPause = false;
};

// The most notes one file yields: the capacity of the device's melody area.
inline constexpr std::size_t kMaxTuneNotes = 50;

// The frequency (Hz) of the note `index` semitones above C in `octave`, in equal temperament
// from C4 = 261.6255653 Hz (A4 is 440 Hz), as the parser computes it; not finite when too large.
double NoteFrequency(int index, int octave);

// The length (s) of a note of duration number `durationNumber` at `beatsPerMinute`, a quarter
// note lasting one beat, times 1.5 when dotted, as the parser computes it.
double NoteLength(int beatsPerMinute, int durationNumber, bool dotted);

// Parses ring-tone text (the whole file's bytes, any bytes at all) into its notes, in file order,
// or one plain English sentence saying why it cannot. raiseOctave: 1 raises every note one
// octave; any other value (0 unchecked, 2 grayed) does not. Never throws (the reader's own
// exceptions stay inside it).
Result<std::vector<TuneNote>> ParseRingTone(std::string_view contents, int raiseOctave);

}  // namespace vexaro
