#pragma once
// The sound output on Linux: PulseAudio's simple API (libpulse-simple), which PipeWire's
// PulseAudio server answers as well. The only target that includes the PulseAudio headers.

#include <memory>

#include "sound/SoundOutput.h"

namespace vexaro {

// Each start() connects to the server of the user's session (or the one PULSE_SERVER names) and
// writes the samples from a thread of its own, which ends with the play.
std::unique_ptr<SoundOutput> MakePulseSoundOutput();

}  // namespace vexaro
