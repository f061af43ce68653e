#pragma once
// What the stand-in winmm.dll (standin_winmm.cpp) answers and what it has seen; a test reaches it
// through the DLL's export StandInWinmm.

#include <cstddef>

namespace vexaro::standin {

struct WinmmRecord {
  unsigned devices = 1;       // what waveOutGetNumDevs answers
  unsigned long refusal = 0;  // not 0: PlaySoundW fails, with this as the last error
  int plays = 0;              // PlaySoundW calls with a sound
  int stops = 0;              // PlaySoundW calls without one: stop what plays
  unsigned long flags = 0;    // of the last play
  // Calls that found the sound playing before them changed in memory: Windows reads it there
  // until it is stopped or another sound starts.
  int lost = 0;
  const unsigned char* heard = nullptr;  // a copy of the last WAVE file played
  std::size_t heardBytes = 0;
};

}  // namespace vexaro::standin
