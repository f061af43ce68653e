#pragma once
// The sound output on macOS: an AudioQueue (AudioToolbox) fed from the samples by its own
// callback thread. The only target that includes AudioToolbox. Never compiled on the machines
// this project is built on so far.

#include <memory>

#include "sound/SoundOutput.h"

namespace vexaro {

std::unique_ptr<SoundOutput> MakeMacSoundOutput();

}  // namespace vexaro
