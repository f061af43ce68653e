// The stand-in winmm.dll: PlaySoundW and waveOutGetNumDevs, answered as WinmmRecord says and
// recorded there. A sound "plays" until the next PlaySoundW call.

#define WIN32_LEAN_AND_MEAN  // without mmsystem.h, whose calls this file defines
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "StandInWinmm.h"

namespace {

vexaro::standin::WinmmRecord record;
std::vector<unsigned char> heard;  // the file played last
const void* playing = nullptr;     // where Windows would be reading it

}  // namespace

extern "C" {

__declspec(dllexport) vexaro::standin::WinmmRecord* StandInWinmm() {
  return &record;
}

__declspec(dllexport) UINT __stdcall waveOutGetNumDevs() {
  return record.devices;
}

__declspec(dllexport) BOOL __stdcall PlaySoundW(LPCWSTR sound, HMODULE, DWORD flags) {
  if (playing != nullptr && std::memcmp(playing, heard.data(), heard.size()) != 0) ++record.lost;
  playing = nullptr;
  if (sound == nullptr) {
    ++record.stops;
    return TRUE;
  }
  if (record.refusal != 0) {
    SetLastError(record.refusal);
    return FALSE;
  }
  ++record.plays;
  record.flags = flags;
  // A RIFF file: its size after the first 8 bytes is in bytes 4 to 7.
  const auto* bytes = reinterpret_cast<const unsigned char*>(sound);
  std::uint32_t rest = 0;
  std::memcpy(&rest, bytes + 4, sizeof rest);
  heard.assign(bytes, bytes + 8 + rest);
  record.heard = heard.data();
  record.heardBytes = heard.size();
  playing = sound;
  return TRUE;
}

}  // extern "C"
