#pragma once
// The melody as the device stores it: 100 bytes at device addresses 28 to 127, byte 2k the pitch
// code and byte 2k + 1 the duration code of note k, every byte after the last note 0.
//
// A pitch code is the tone's period in 8 us ticks (0 for a pause); a duration code counts groups
// of 16 periods of the note's own tone, so a pause, timed as a 1000 Hz tone, counts 16 ms units.
// The test beep uses the same two codes with limits of its own.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Result.h"
#include "melody/RingTone.h"

namespace vexaro {

using TuneImage = std::array<std::uint8_t, 100>;

struct NoteCodes {
  std::uint8_t PitchCode = 0;
  std::uint8_t DurationCode = 0;
};

// The codes of one melody note: the pitch code is at most 255 (every tone below about 489 Hz
// gets 255) and 0 for a pause; the duration code is 1 to 255. std::nullopt when the codes cannot
// be formed: a frequency of 0, below about 0.5 Hz or negative, a negative length, or a tone
// period or period count beyond a 16-bit number before the limits apply. A pause is timed as a
// 1000 Hz tone whatever its Frequency holds. Never throws.
std::optional<NoteCodes> EncodeTuneNote(const TuneNote& note);

// Where the device's limits make it play a note other than written, beyond the rounding of the
// two codes.
struct NoteLimits {
  bool lowestTone = false;    // a tone below the device's lowest: pitch code 255
  bool silenced = false;      // a tone too high for a pitch code: 0, played as a pause
  bool lengthCut = false;     // more than 255 units: duration code 255
  bool lengthRaised = false;  // less than half a unit: duration code 1
  bool any() const { return lowestTone || silenced || lengthCut || lengthRaised; }
};

// The limits that the codes of `note` meet; std::nullopt when it cannot be encoded. Never throws.
std::optional<NoteLimits> TuneNoteLimits(const TuneNote& note);

// Encodes the notes in order into bytes 2k and 2k + 1, zeros after the last note. Fails for a note
// that cannot be encoded (the sentence names it, counting from 1), and for more than 50 notes.
// Never throws.
Result<TuneImage> MakeTuneImage(const std::vector<TuneNote>& notes);

// The factory tune: the 88 bytes of kDefaultTune followed by 12 zeros.
TuneImage DefaultTuneImage();

// The test beep's codes from the frequency (Hz) and duration (s) the settings boxes show: the
// tone codes of the settings' own beeps (common/ToneCodes.h). Unlike a note there is no lower
// limit of 1 on the duration and no cap on the pitch, so anything below about 489.2 Hz, or a
// frequency of 0, gives std::nullopt. Never throws.
std::optional<NoteCodes> BeepCodes(double frequency, double seconds);

}  // namespace vexaro
