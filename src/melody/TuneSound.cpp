#include "melody/TuneSound.h"

#include <cmath>

namespace vexaro {
namespace {

// The device counts time in 8 us ticks: a tone's period is its pitch code in ticks, and a pause's
// 16 ms unit is 2000 ticks. 44,100 samples a second are 441 samples per 1250 ticks.
constexpr std::uint64_t kSamplesPer = 441;
constexpr std::uint64_t kTicksPer = 1250;
constexpr std::uint64_t kPauseUnitTicks = 2000;
constexpr std::uint64_t kPeriodsPerCode = 16;

// The first sample at or after `ticks`, rounded to the nearest.
std::size_t SampleAt(std::uint64_t ticks) {
  return static_cast<std::size_t>((ticks * kSamplesPer + kTicksPer / 2) / kTicksPer);
}

void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

TuneSound RenderTuneSound(const TuneImage& image) {
  TuneSound sound;
  std::uint64_t startTicks = 0;
  for (const StoredNote& note : DecodeTuneImage(image).notes) {
    const std::uint64_t period = note.codes.PitchCode;
    const std::uint64_t ticks = note.IsPause ? note.codes.DurationCode * kPauseUnitTicks
                                             : note.codes.DurationCode * kPeriodsPerCode * period;
    const std::size_t first = SampleAt(startTicks);
    const std::size_t end = SampleAt(startTicks + ticks);
    sound.notes.push_back({note, first, end - first});
    for (std::size_t i = first; i < end; ++i) {
      std::int16_t level = 0;
      if (!note.IsPause) {
        // Where this sample falls in the tone, in periods: the first half of each is high.
        const double sinceStart =
            static_cast<double>(i) * kTicksPer / kSamplesPer - static_cast<double>(startTicks);
        const double phase = std::fmod(sinceStart / static_cast<double>(period), 1.0);
        level = phase < 0.5 ? kSquareLevel : static_cast<std::int16_t>(-kSquareLevel);
      }
      sound.samples.push_back(level);
    }
    startTicks += ticks;
  }
  return sound;
}

std::vector<std::uint8_t> WaveFile(std::span<const std::int16_t> samples) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(44 + dataBytes);
  const auto text = [&](const char* four) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(four[i]));
  };
  text("RIFF");
  PutLittleEndian(bytes, 36 + dataBytes, 4);
  text("WAVE");
  text("fmt ");
  PutLittleEndian(bytes, 16, 4);              // the format chunk's size
  PutLittleEndian(bytes, 1, 2);               // PCM
  PutLittleEndian(bytes, 1, 2);               // mono
  PutLittleEndian(bytes, kSoundRate, 4);      // samples a second
  PutLittleEndian(bytes, kSoundRate * 2, 4);  // bytes a second
  PutLittleEndian(bytes, 2, 2);               // bytes a sample
  PutLittleEndian(bytes, 16, 2);              // bits a sample
  text("data");
  PutLittleEndian(bytes, dataBytes, 4);
  for (const std::int16_t sample : samples) {
    PutLittleEndian(bytes, static_cast<std::uint16_t>(sample), 2);
  }
  return bytes;
}

}  // namespace vexaro
