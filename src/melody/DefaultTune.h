#pragma once
// The factory melody, as the device stores it: pitch code (tone period in 8 us ticks, 0 for a
// pause) and duration code (groups of 16 periods) for 36 notes and 7 pauses, then the closing
// pair 0, 0. It is stored as it stands: never raised by an octave, never parsed.

#include <array>
#include <cstdint>

namespace vexaro {

inline constexpr std::array<std::uint8_t, 88> kDefaultTune = {
    50, 23, 53, 22, 50, 23, 0,  9,  53, 88, 53, 44, 53, 44, 53, 44,  //
    60, 39, 53, 88, 0,  37, 50, 23, 53, 22, 50, 23, 0,  9,  53, 88,  //
    53, 44, 53, 44, 53, 44, 60, 39, 53, 88, 0,  37, 50, 23, 53, 22,  //
    50, 23, 0,  9,  50, 93, 50, 47, 50, 47, 50, 47, 45, 52, 50, 93,  //
    0,  37, 50, 23, 53, 22, 50, 23, 0,  9,  53, 88, 53, 44, 53, 44,  //
    53, 44, 60, 39, 53, 88, 0,  0,
};

}  // namespace vexaro
