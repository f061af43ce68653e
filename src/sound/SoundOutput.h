#pragma once
// The sound-output seam: the computer's own speakers sounding 16-bit mono samples at kSoundRate
// (melody/TuneSound.h), so that a melody can be heard without the device. Behind it: PulseAudio's
// simple API on Linux (src/sound/pulse; PipeWire serves it too), PlaySound from memory on Windows
// (src/sound/windows), an AudioQueue on macOS (src/sound/mac), and one that never sounds, for a
// system without any.
//
// Every call comes from one thread (the window's); a backend plays on threads of its own.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/Result.h"

namespace vexaro {

// How far a play has come.
struct SoundProgress {
  bool playing = false;    // still sounding
  std::size_t sample = 0;  // samples sounded so far, counted from the first one given to start()
  std::string failure;     // why the play ended before its end; empty when it did not
};

class SoundOutput {
 public:
  // Stops what still sounds.
  virtual ~SoundOutput() = default;
  SoundOutput() = default;
  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;

  // Starts sounding `samples` and returns without waiting for them; a play under way is stopped
  // first. The output keeps the samples for as long as it needs them. Fails with one sentence
  // that starts "No sound output: ", and then nothing sounds. Never throws.
  virtual Result<void> start(std::vector<std::int16_t> samples) = 0;

  // Ends the play at once: when it returns, nothing more sounds. Nothing happens without a play.
  virtual void stop() = 0;

  virtual SoundProgress progress() = 0;
};

// The sentence of an output that cannot sound: "No sound output: " and `why` (a sentence's rest,
// with its full stop).
std::string NoSoundOutputText(const std::string& why);

// The output of a system without one: start() always fails, with NoSoundOutputText(why).
std::unique_ptr<SoundOutput> MakeNoSoundOutput(std::string why);

}  // namespace vexaro
