#pragma once
// The sound output on Windows: PlaySound from memory (winmm.dll), which plays a WAVE file held by
// the program on a thread of Windows' own. The only sound code that includes windows.h.

#include <memory>

#include "sound/SoundOutput.h"

namespace vexaro {

// The position is the time since the play started: PlaySound tells nothing while it plays.
std::unique_ptr<SoundOutput> MakeWinSoundOutput();

}  // namespace vexaro
