#pragma once
// The stored melody as the device sounds it, as 16-bit mono PCM at 44.1 kHz: each tone a square
// wave at the device's own frequency (its period a whole number of 8 us ticks) for exactly its
// 16 x duration-code periods, each pause silent for its 16 ms units, note after note with no gap,
// up to the closing pair. So a note the device cannot play as written sounds as it will.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "melody/TuneDecode.h"
#include "melody/TuneImage.h"

namespace vexaro {

inline constexpr int kSoundRate = 44100;           // samples a second
inline constexpr std::int16_t kSquareLevel = 8192;  // a quarter of full scale, for the ears' sake

// One note of the sound: where its samples start and how many there are.
struct SoundedNote {
  StoredNote note;
  std::size_t firstSample = 0;
  std::size_t samples = 0;
};

struct TuneSound {
  std::vector<std::int16_t> samples;
  std::vector<SoundedNote> notes;  // in order, each starting where the one before ends
};

// The same bytes always give the same samples. Never throws.
TuneSound RenderTuneSound(const TuneImage& image);

// A WAVE file of the samples: RIFF, PCM, 16-bit, mono, kSoundRate.
std::vector<std::uint8_t> WaveFile(std::span<const std::int16_t> samples);

}  // namespace vexaro
