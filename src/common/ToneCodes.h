#pragma once
// The device's two codes for a tone, the same for every tone it sounds (the beeps of the settings,
// the test beep, the notes of a melody): the tone period in 8 us ticks, and the length in groups
// of 16 periods of the tone. None of these throws: a code that cannot be formed is a Failure.

#include <cstdint>

#include "common/Result.h"

namespace vexaro {

inline constexpr double kToneTick = 0.000008;      // seconds per tone-period tick (8 us)
inline constexpr double kPeriodsPerLength = 16.0;  // tone periods per unit of a length code

// The period code of a tone of `frequency` Hz: 1 / f / 8 us (two divisions in this order), halves
// to even. Fails when that is not 0 to 255: below about 489.2 Hz, at 0 Hz or below.
Result<std::uint8_t> TonePeriodCode(double frequency);

// The length code of a tone of `frequency` Hz lasting `seconds`: d x f / 16, halves to even, at
// most 255. It counts periods of the frequency as given, not of the one the period code rounds
// to. Fails when the count is negative or beyond a 16-bit number before the cap.
Result<std::uint8_t> ToneLengthCode(double seconds, double frequency);

}  // namespace vexaro
